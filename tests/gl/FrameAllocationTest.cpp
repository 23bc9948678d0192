#include <gtest/gtest.h>

#include <cstdlib>

#include "GlContextSupport.h"
#include "app/ShellSettings.h"
#include "platform/VirtualKeys.h"

namespace {

// Kept in a volatile so the compiler cannot drop the probe allocations.
void* volatile probe = nullptr;

TEST(FrameAllocation, AWarmFrameAllocatesNothing) {
    // The counter itself must see both kinds of allocation it claims to count.
    const long probes = countAllocations([] {
        probe = new int(1);
        delete static_cast<int*>(probe);
        probe = std::malloc(16);
        std::free(probe);
    });
    if (probes < 0) {
        GTEST_SKIP() << "the sanitizer build owns the allocator";
    }
    ASSERT_EQ(probes, 2);

    resetScene();
    glTestInput().setKey(vk::v, true);
    for (bool glsl : {true, false}) {
        SCOPED_TRACE(glsl ? "GLSL" : "fixed function");
        glslEnabled = glsl;
        // The first frames may build driver state; the frame loop itself must not allocate.
        drawCountedFrame();
        drawCountedFrame();
        FrameCalls calls;
        const long allocations = countAllocations([&] { calls = drawCountedFrame(); });
        EXPECT_GT(calls.lineDraws, 0);
        EXPECT_EQ(allocations, 0);
    }
    resetScene();
}

}  // namespace
