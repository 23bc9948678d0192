// GoogleTest's custom port header in the Windows build: GCC 12's win32 thread flavour of mingw-w64
// has no std::mutex, which GoogleTest's Notification is made of. This one spins on an atomic
// flag; only GoogleTest's own thread tests wait on it.
#pragma once

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
public:
    void Notify() { notified.store(true); }
    void WaitForNotification() {
        while (!notified.load()) {
        }
    }

private:
    std::atomic<bool> notified{false};
};

}  // namespace internal
}  // namespace testing
