#pragma once

// Elapsed times in milliseconds, as the windowing library counts them.
extern int currentTime;
extern int previousTime;
extern int frameInterval;
extern unsigned int frameCount;
// Decimal text of the last frame rate; room for any 32-bit int and its NUL.
extern char fpsText[12];

// Measures the time since the previous idle call and renews fpsText.
void frameRateTick();

// One update of the rate: counts a frame and, unless the interval is 0 (two frames within a
// millisecond, kept for the next interval), writes frames * 1000 / interval into text.
void updateFrameRate(int interval, unsigned int& frames, char* text);
