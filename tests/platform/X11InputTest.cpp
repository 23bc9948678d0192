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
    auto xdotool = [](const std::string& args) { return std::system(("xdotool " + args).c_str()); };

    Camera camera;
    for (const PolledKey& held : polledKeys) {
        placeAtStart(camera);
        ASSERT_EQ(xdotool(std::string("keydown ") + held.name), 0);
        expectOwnStep(camera, held);  // the frame reads the key map along with the cursor
        for (const PolledKey& key : polledKeys) {
            EXPECT_EQ(x11.isKeyHeld(key.virtualKey), &key == &held)
                << key.name << ", " << held.name;
        }
        ASSERT_EQ(xdotool(std::string("keyup ") + held.name), 0);
    }
    setActiveInput(nullptr);
}
