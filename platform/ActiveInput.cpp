#include "platform/Input.h"

#ifdef _WIN32
#include "platform/Win32Input.h"
using SystemInput = Win32Input;
#else
#include "platform/X11Input.h"
using SystemInput = X11Input;
#endif

namespace {
Input* replacement = nullptr;
}

Input& activeInput() {
    if (replacement != nullptr) {
        return *replacement;
    }
    static SystemInput systemInput;
    return systemInput;
}

void setActiveInput(Input* input) {
    replacement = input;
}
