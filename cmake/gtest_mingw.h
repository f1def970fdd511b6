// GoogleTest's Notification, which its own header builds on std::mutex and std::condition_variable:
// MinGW-w64's default (win32) thread model has neither. Given to every file that includes GoogleTest
// (tests/e2e/CMakeLists.txt), this one polls an atomic flag instead.
#pragma once

#ifdef __cplusplus
#include <windows.h>

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
    void Notify() { mNotified = true; }
    void WaitForNotification() {
        while (!mNotified) ::Sleep(1);
    }

private:
    std::atomic<bool> mNotified{false};
};

}  // namespace testing::internal
#endif
