// GoogleTest for the win32 thread model, whose libstdc++ has no std::mutex:
// the one class GoogleTest builds on it, made of a Win32 event instead.
#ifndef BRINDLEWICK_GTEST_WIN32_PORT_H_
#define BRINDLEWICK_GTEST_WIN32_PORT_H_

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() { CloseHandle(event_); }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;
  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace internal
}  // namespace testing

#endif  // BRINDLEWICK_GTEST_WIN32_PORT_H_
