#include "platform/Input.h"
#include "platform/X11Input.h"

namespace {
Input* replacement = nullptr;
}

Input& activeInput() {
    if (replacement != nullptr) {
        return *replacement;
    }
    static X11Input systemInput;
    return systemInput;
}

void setActiveInput(Input* input) {
    replacement = input;
}
