// Shared pieces of KAP.dll's tests.
#include "tests/kap/kap_test_support.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "platform/codepage.h"
#include "platform/files.h"
#include "tools/samplegen/sample_host.h"

namespace capsdub::kaptest {
namespace {

constexpr wchar_t kHostKey[] = L"Software\\Orvan Corporation\\Tessaly";

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(folder + name + L"\\");
      } else {
        DeleteFileW((folder + name).c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

std::vector<std::string> SplitRecords(const std::string& file) {
  std::vector<std::string> records;
  for (std::size_t at = hoststore::kTapeHeaderRecords * hoststore::kTapeRecordSize;
       at + hoststore::kTapeRecordSize <= file.size(); at += hoststore::kTapeRecordSize) {
    records.push_back(file.substr(at, hoststore::kTapeRecordSize));
  }
  return records;
}

}  // namespace

std::wstring ProgramFolderW() {
  std::array<wchar_t, MAX_PATH * 4> buffer{};
  const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), buffer.size());
  std::wstring path(buffer.data(), length);
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

std::wstring Widen(std::string_view sjis) {
  return platform::SjisToWide(sjis);
}
std::string Narrow(std::wstring_view wide) {
  return platform::WideToSjis(wide);
}

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  std::array<wchar_t, MAX_PATH + 1> temp{};
  GetTempPathW(temp.size(), temp.data());
  path_ = std::wstring(temp.data()) + L"kaptest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(counter++) + L"\\";
  RemoveTree(path_);
  if (!CreateDirectoryW(path_.c_str(), nullptr)) throw std::runtime_error("temp folder");
}

TempFolder::~TempFolder() {
  RemoveTree(path_);
}

ScopedHostValue::ScopedHostValue(const wchar_t* name, std::optional<std::wstring> value, DWORD type)
    : name_(name) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kHostKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    throw std::runtime_error("Reel Keeper's registry key cannot be opened");
  }
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, &old_type_, nullptr, &size) == ERROR_SUCCESS) {
    std::vector<BYTE> data(size);
    RegQueryValueExW(key, name, nullptr, &old_type_, data.data(), &size);
    old_data_ = std::move(data);
  }
  if (value) {
    RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(value->c_str()),
                   static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
  } else {
    RegDeleteValueW(key, name);
  }
  RegCloseKey(key);
}

ScopedHostValue::~ScopedHostValue() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kHostKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
    return;
  }
  if (old_data_) {
    RegSetValueExW(key, name_.c_str(), 0, old_type_, old_data_->data(),
                   static_cast<DWORD>(old_data_->size()));
  } else {
    RegDeleteValueW(key, name_.c_str());
  }
  RegCloseKey(key);
}

ScopedEnvironment::ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
  std::array<wchar_t, 4096> buffer{};
  const DWORD length = GetEnvironmentVariableW(name, buffer.data(), buffer.size());
  if (length > 0 && length < buffer.size()) old_ = std::wstring(buffer.data(), length);
  SetEnvironmentVariableW(name, value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() {
  SetEnvironmentVariableW(name_.c_str(), old_ ? old_->c_str() : nullptr);
}

void WriteTestHost(const std::string& host, const TestHost& layout) {
  platform::CreateFolders(host + "RKDB\\TapeExt");
  WriteFileBytes(hoststore::MediaFilePathOf(host), samplegen::FormatMediaFile({host[0]}));
  std::string tape;
  for (int i = 0; i < static_cast<int>(hoststore::kTapeHeaderRecords); ++i) {
    tape += hoststore::NewHeaderRecord(i);
  }
  for (const TestCapsule& capsule : layout.capsules) {
    std::string record =
        hoststore::NewTapeRecord(capsule.id, capsule.title, capsule.start, capsule.extras);
    hoststore::SetChannelName(record, capsule.channel_name);
    tape += record;
    const auto extension = hoststore::ExtensionWithMemo("", capsule.memo);
    if (!extension) throw std::runtime_error("extension file");
    WriteFileBytes(hoststore::ExtensionPathOf(host, hoststore::CapsuleNumberOf(capsule.id)),
                   *extension);
  }
  WriteFileBytes(hoststore::TapeDatabasePathOf(host), tape);
  platform::CreateFolders(hoststore::StandInPathOf(host, hoststore::kStandInFolder));
  WriteFileBytes(hoststore::StandInPathOf(host, hoststore::kChannelsFile),
                 hoststore::FormatChannels(layout.channels));
  WriteFileBytes(hoststore::StandInPathOf(host, hoststore::kReservationsFile),
                 hoststore::FormatReservations(layout.reservations));
  WriteFileBytes(hoststore::StandInPathOf(host, hoststore::kMediaFile),
                 hoststore::FormatMediaSettings(layout.media));
}

std::vector<hoststore::TapeFields> ReadCapsules(const std::string& host) {
  std::vector<hoststore::TapeFields> capsules;
  for (const std::string& record :
       SplitRecords(ReadFileBytes(hoststore::TapeDatabasePathOf(host)))) {
    if (!hoststore::IsEmptySlot(record)) capsules.push_back(hoststore::ReadTapeRecord(record));
  }
  return capsules;
}

std::vector<hoststore::Reservation> ReadReservations(const std::string& host) {
  const auto parsed = hoststore::ParseReservations(
      ReadFileBytes(hoststore::StandInPathOf(host, hoststore::kReservationsFile)));
  if (!parsed.ok()) throw std::runtime_error("reservation file: " + parsed.error->what);
  return parsed.value;
}

// The child's output goes to a temporary file, and the end of the child is what is waited for:
// a pipe would not reach its end while any process that inherited the write end lives on, and
// under Wine the desktop process that a child's first window starts inherits exactly that.
ChildResult RunProgram(const std::wstring& program, const std::wstring& arguments) {
  std::array<wchar_t, MAX_PATH> temp_folder{};
  std::array<wchar_t, MAX_PATH> temp_name{};
  if (GetTempPathW(MAX_PATH, temp_folder.data()) == 0 ||
      GetTempFileNameW(temp_folder.data(), L"kap", 0, temp_name.data()) == 0) {
    throw std::runtime_error("temporary file");
  }
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  const HANDLE output =
      CreateFileW(temp_name.data(), GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit, CREATE_ALWAYS,
                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (output == INVALID_HANDLE_VALUE) throw std::runtime_error("temporary file");
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output;
  startup.hStdError = output;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  const bool full_path = program.size() > 1 && program[1] == L':';
  std::wstring command =
      L"\"" + (full_path ? program : ProgramFolderW() + program) + L"\" " + arguments;
  const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &process);
  ChildResult result;
  if (!started) {
    CloseHandle(output);
    throw std::runtime_error("cannot start the child process");
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  GetExitCodeProcess(process.hProcess, &result.exit_code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  // The child shared this handle's file position; read from the start.
  SetFilePointer(output, 0, nullptr, FILE_BEGIN);
  std::array<char, 4096> block{};
  DWORD got = 0;
  while (ReadFile(output, block.data(), block.size(), &got, nullptr) && got > 0) {
    result.output.append(block.data(), got);
  }
  CloseHandle(output);
  return result;
}

std::vector<std::string> ExportNames(HMODULE module) {
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  std::vector<std::string> names;
  if (directory.VirtualAddress == 0) return names;
  const auto* exports =
      reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
  const auto* name_rvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    names.emplace_back(reinterpret_cast<const char*>(base + name_rvas[i]));
  }
  return names;
}

template <typename Record>
GuardedRecord<Record>::GuardedRecord() {
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  const std::size_t page = system.dwPageSize;
  const std::size_t pages = (sizeof(Record) + page - 1) / page;
  base_ = VirtualAlloc(nullptr, (pages + 1) * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (base_ == nullptr) throw std::runtime_error("VirtualAlloc");
  auto* guard = static_cast<BYTE*>(base_) + pages * page;
  DWORD old = 0;
  VirtualProtect(guard, page, PAGE_NOACCESS, &old);
  record_ = reinterpret_cast<Record*>(guard - sizeof(Record));
}

template <typename Record>
GuardedRecord<Record>::~GuardedRecord() {
  VirtualFree(base_, 0, MEM_RELEASE);
}

template class GuardedRecord<KapRecordInfo>;
template class GuardedRecord<KapChannelInfo>;

void PumpMessages() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

KapRecordInfo BlankRecord() {
  KapRecordInfo record{};
  record.version = 1;
  record.start.version = 1;
  record.end.version = 1;
  record.channel.version = 1;
  return record;
}

KapChannelInfo BlankChannel() {
  KapChannelInfo channel{};
  channel.version = 1;
  return channel;
}

std::string FieldText(const char* field, std::size_t size) {
  const void* end = std::memchr(field, 0, size);
  return std::string(field, end ? static_cast<const char*>(end) - field : size);
}

std::string TimeText(const KapTime& time) {
  char text[48];
  std::snprintf(text, sizeof(text), "v%u %04u-%02u-%02u %02u:%02u", time.version, time.year,
                time.month, time.day, time.hour, time.minute);
  return text;
}

std::string Numbered(const char* prefix, long long number) {
  std::string text(prefix);
  text += std::to_string(number);
  return text;
}

KapTime MakeTime(int year, int month, int day, int hour, int minute) {
  KapTime time{};
  time.version = 1;
  time.year = static_cast<std::uint16_t>(year);
  time.month = static_cast<std::uint8_t>(month);
  time.day = static_cast<std::uint8_t>(day);
  time.hour = static_cast<std::uint8_t>(hour);
  time.minute = static_cast<std::uint8_t>(minute);
  return time;
}

}  // namespace capsdub::kaptest
