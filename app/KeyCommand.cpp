#include "app/KeyCommand.h"

namespace {

constexpr unsigned char escapeKey = 27;
// Keys '1' to '6'; the smallest grid is 4, not 8.
constexpr int gridSizes[6] = {128, 64, 48, 32, 16, 4};

}  // namespace

KeyCommand commandForKey(unsigned char key) {
    KeyCommand command;
    if (key == escapeKey) {
        command.action = KeyCommand::quit;
    } else if (key >= '1' && key <= '6') {
        command.action = KeyCommand::rebuild;
        command.gridSize = gridSizes[key - '1'];
    } else if (key == 'f') {
        command.action = KeyCommand::enableGlsl;
    } else if (key == 'g') {
        command.action = KeyCommand::disableGlsl;
    }
    return command;
}
