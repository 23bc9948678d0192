#include <gtest/gtest.h>

#include "app/KeyCommand.h"

namespace {

// The whole key table: every byte that is not listed does nothing.
KeyCommand expectedFor(int key) {
    KeyCommand command;
    switch (key) {
        case 27:
            command.action = KeyCommand::quit;
            break;
        case '1':
        case '2':
        case '3':
        case '4':
        case '5':
        case '6': {
            const int sizes[6] = {128, 64, 48, 32, 16, 4};
            command.action = KeyCommand::rebuild;
            command.gridSize = sizes[key - '1'];
            break;
        }
        case 'f':
            command.action = KeyCommand::enableGlsl;
            break;
        case 'g':
            command.action = KeyCommand::disableGlsl;
            break;
        default:
            break;
    }
    return command;
}

}  // namespace

TEST(KeyCommandTable, EveryByteMapsToItsCommand) {
    for (int key = 0; key < 256; ++key) {
        KeyCommand expected = expectedFor(key);
        KeyCommand actual = commandForKey(static_cast<unsigned char>(key));
        EXPECT_EQ(actual.action, expected.action) << "key " << key;
        if (expected.action == KeyCommand::rebuild) {
            EXPECT_EQ(actual.gridSize, expected.gridSize) << "key " << key;
        }
    }
}

TEST(KeyCommandTable, GridSizesFollowTheDigits) {
    EXPECT_EQ(commandForKey('1').gridSize, 128);
    EXPECT_EQ(commandForKey('2').gridSize, 64);
    EXPECT_EQ(commandForKey('3').gridSize, 48);
    EXPECT_EQ(commandForKey('4').gridSize, 32);
    EXPECT_EQ(commandForKey('5').gridSize, 16);
    EXPECT_EQ(commandForKey('6').gridSize, 4);  // 4, not 8
}

TEST(KeyCommandTable, LookalikesAndPolledKeysDoNothing) {
    // Case matters, the neighbouring digits are not grid sizes, and the movement and V keys
    // are polled elsewhere.
    const int keys[] = {'F', 'G', '0', '7', '8', '9', 'V',  'v', 'w',      'a',       's',
                        'd', 'q', 'z', 'W', 'Q', ' ', '\r', 0,   27 + 128, '1' + 128, 255};
    for (int key : keys) {
        EXPECT_EQ(commandForKey(static_cast<unsigned char>(key)).action, KeyCommand::none)
            << "key " << key;
    }
}
