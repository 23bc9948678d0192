#include "platform/X11Input.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "tests/platform/PolledKeys.h"

TEST(X11Input, EachPolledKeyOnARealXServerIsThatKeyAloneAndMovesTheEyeItsOwnWay) {
    // A private server that ends by itself once its last client, this test, has gone.
    std::unique_ptr<FILE, int (*)(FILE*)> server(
        popen("Xvfb -displayfd 1 -terminate -nolisten tcp 2>/dev/null", "r"), pclose);
    int display = -1;
    ASSERT_EQ(std::fscanf(server.get(), "%d", &display), 1) << "Xvfb did not start";
    setenv("DISPLAY", (":" + std::to_string(display)).c_str(), 1);
    X11Input x11;
    setActiveInput(&x11);
    x11.moveCursor(400, 300);
    expectEachKeyAlone(x11, [](const PolledKey& key, bool down) {
        const std::string command =
            std::string("xdotool key") + (down ? "down " : "up ") + key.name;
        return std::system(command.c_str()) == 0;
    });
    setActiveInput(nullptr);
}
