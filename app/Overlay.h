#pragma once

// Decimal text of meshSize, written anew every frame.
extern char meshSizeText[12];

// Draws white bitmap text at (x, y) of a 1024 by 768 space with its origin at the top left.
void drawText(const char* text, float x, float y);
// The frame rate, the shading path and the grid size.
void drawOverlay();
