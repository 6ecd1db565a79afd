// Time services on Windows.
#include <windows.h>

#include "platform/clock.h"

namespace capsdub::platform {

DateTime Now() {
  SYSTEMTIME st{};
  ::GetLocalTime(&st);
  return MakeDateTime(
      {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds});
}

void SleepMs(unsigned milliseconds) {
  ::Sleep(milliseconds);
}

std::uint64_t MonotonicMs() {
  return ::GetTickCount64();
}

}  // namespace capsdub::platform
