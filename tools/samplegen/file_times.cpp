// Sets a written file's last-write time, given as local time, on either side: the capsule
// scan shows it for capsules without a tape record, so it must be deterministic too.
#include "tools/samplegen/file_times.h"

#include "platform/files.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/codepage.h"
#else
#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

#include "platform/posix_paths.h"
#endif

namespace capsdub::samplegen {

void SetLastWriteTime(const std::string& path, const CivilDateTime& local) {
#ifdef _WIN32
  // The inverse of FileTimeToLocalFileTime, which the listing uses.
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(local.year);
  st.wMonth = static_cast<WORD>(local.month);
  st.wDay = static_cast<WORD>(local.day);
  st.wHour = static_cast<WORD>(local.hour);
  st.wMinute = static_cast<WORD>(local.minute);
  st.wSecond = static_cast<WORD>(local.second);
  FILETIME local_time{};
  FILETIME utc{};
  bool ok =
      ::SystemTimeToFileTime(&st, &local_time) && ::LocalFileTimeToFileTime(&local_time, &utc);
  if (ok) {
    const HANDLE file = ::CreateFileW(platform::SjisToWide(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ok = file != INVALID_HANDLE_VALUE;
    if (ok) {
      ok = ::SetFileTime(file, nullptr, nullptr, &utc);
      ::CloseHandle(file);
    }
  }
#else
  // The inverse of localtime_r, which the listing uses.
  std::tm tm{};
  tm.tm_year = local.year - 1900;
  tm.tm_mon = local.month - 1;
  tm.tm_mday = local.day;
  tm.tm_hour = local.hour;
  tm.tm_min = local.minute;
  tm.tm_sec = local.second;
  tm.tm_isdst = -1;
  const std::time_t when = std::mktime(&tm);
  const timespec times[2] = {{when, 0}, {when, 0}};
  const bool ok = when != static_cast<std::time_t>(-1) &&
                  ::utimensat(AT_FDCWD, platform::HostPath(path).c_str(), times, 0) == 0;
#endif
  if (!ok) throw platform::IoError("sample host: cannot set the time of " + path);
}

}  // namespace capsdub::samplegen
