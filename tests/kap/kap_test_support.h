// Shared pieces of KAP.dll's tests: a temporary Reel Keeper host folder written with the
// stand-in's own file formats, Reel Keeper's registry values and the stand-in's data-folder
// variable set for one test, KAP.dll loaded by name, child processes, and a guard page behind a
// caller's record.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostlibs/store/standin_files.h"
#include "hostlibs/store/tape_record.h"
#include "kap/kap.h"
#include "kap/kapctl/kap_library.h"
#include "tests/support/file_bytes.h"

namespace capsdub::kaptest {

// Folder of the running test program, with a trailing backslash; KAP.dll, the stand-ins and
// kapctl are copied there.
std::wstring ProgramFolderW();
std::wstring Widen(std::string_view sjis);
std::string Narrow(std::wstring_view wide);

// A new folder under the temporary folder, removed with its contents on destruction.
class TempFolder {
 public:
  TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();
  const std::wstring& path() const { return path_; }  // with a trailing backslash
  std::string sjis() const { return Narrow(path_); }

 private:
  std::wstring path_;
};

// A value under Reel Keeper's key HKLM\Software\Orvan Corporation\Tessaly, set (or removed,
// for nullopt) for the object's lifetime; the previous state comes back on destruction.
class ScopedHostValue {
 public:
  ScopedHostValue(const wchar_t* name, std::optional<std::wstring> value, DWORD type = REG_SZ);
  ScopedHostValue(const ScopedHostValue&) = delete;
  ScopedHostValue& operator=(const ScopedHostValue&) = delete;
  ~ScopedHostValue();

 private:
  std::wstring name_;
  DWORD old_type_ = 0;
  std::optional<std::vector<BYTE>> old_data_;
};

// An environment variable set for the object's lifetime (inherited by child processes).
class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const std::wstring& value);
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
  ~ScopedEnvironment();

 private:
  std::wstring name_;
  std::optional<std::wstring> old_;
};

struct TestCapsule {
  int id = 0;
  std::string title;
  hoststore::Minute start;
  hoststore::TapeExtras extras;
  std::string channel_name;
  std::string memo;
};

struct TestHost {
  std::vector<TestCapsule> capsules;
  std::vector<hoststore::Channel> channels;
  std::vector<hoststore::Reservation> reservations;
  hoststore::MediaSettings media;
};

// Writes the media file, the tape database with one record per capsule (ids in any order;
// their slots follow the order given), extension files with the memos, and the stand-in's
// channel, reservation and media files.
void WriteTestHost(const std::string& host, const TestHost& layout);
using testing::ReadFileBytes;
using testing::WriteFileBytes;

// The capsules of the host's tape database (empty slots left out), and its reservations.
std::vector<hoststore::TapeFields> ReadCapsules(const std::string& host);
std::vector<hoststore::Reservation> ReadReservations(const std::string& host);

// Result of a child process: its exit code and standard output.
struct ChildResult {
  DWORD exit_code = 0;
  std::string output;
};
// Runs a program (a full path, or a file of the test's folder) with the given command-line
// arguments and waits for its end.
ChildResult RunProgram(const std::wstring& program, const std::wstring& arguments);

// The names in the export table of a loaded module.
std::vector<std::string> ExportNames(HMODULE module);

// Caller's records placed so that they end right before an inaccessible page: reading or
// writing one byte past them faults.
template <typename Record>
class GuardedRecord {
 public:
  GuardedRecord();
  GuardedRecord(const GuardedRecord&) = delete;
  GuardedRecord& operator=(const GuardedRecord&) = delete;
  ~GuardedRecord();
  Record* get() const { return record_; }
  Record* operator->() const { return record_; }
  Record& operator*() const { return *record_; }

 private:
  void* base_ = nullptr;
  Record* record_ = nullptr;
};

// Dispatches the window messages waiting for this thread.
void PumpMessages();

// A record ready for the library: all version words 1, everything else 0.
KapRecordInfo BlankRecord();
KapChannelInfo BlankChannel();

// The text of a fixed field up to its NUL (or its end).
std::string FieldText(const char* field, std::size_t size);
#define KAP_FIELD(record, field) \
  ::capsdub::kaptest::FieldText((record).field, sizeof((record).field))

// "v1 2001-04-13 23:30": version word and time, for comparisons with readable failures.
std::string TimeText(const KapTime& time);

// `prefix` followed by the decimal number.
std::string Numbered(const char* prefix, long long number);

// KapTime for a calendar minute.
KapTime MakeTime(int year, int month, int day, int hour, int minute);

}  // namespace capsdub::kaptest
