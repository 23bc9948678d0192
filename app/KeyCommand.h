#pragma once

// What a key of the keyboard callback asks for.
struct KeyCommand {
    enum Action { none, quit, rebuild, enableGlsl, disableGlsl };
    Action action = none;
    int gridSize = 0;  // for rebuild
};

// Keys are compared as 8-bit characters: upper and lower case are different keys.
KeyCommand commandForKey(unsigned char key);
