// kapctl: a console client of KAP.dll. Lists channels, reservations and recorded capsules,
// makes and deletes reservations, deletes, renames and sets the memo of recorded capsules, and
// prints the library's result codes.
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kap/kapctl/console.h"
#include "kap/kapctl/kap_library.h"

namespace capsdub::kapctl {
namespace {

constexpr int kUsageExit = 255;

constexpr wchar_t kUsage[] =
    L"usage: kapctl <command> [arguments]\n"
    L"  channels                      list the channel table\n"
    L"  reservations                  list the reservations\n"
    L"  recorded                      list the recorded capsules\n"
    L"  reserve <channel> <start> <end> [<mode 1-3> [<title> [<memo>]]]\n"
    L"                                make a reservation; <channel> is a number or a name,\n"
    L"                                <start> and <end> are YYYY-MM-DDTHH:MM\n"
    L"  unreserve <id>                delete a reservation and its capsule\n"
    L"  delete <id>                   delete a recorded capsule\n"
    L"  rename <id> <title>           set the title of a recorded capsule\n"
    L"  memo <id> <memo>              set the memo of a recorded capsule\n"
    L"  space [<mode 1-3> <minutes>]  free disk space, and the space a recording needs\n"
    L"  recording                     whether the host is recording (1) or not (0)\n"
    L"  abandon                       open a session and end without closing it\n"
    L"Exit status: 0 on success, the negated result code on a failure, 255 on wrong usage.\n";

struct LocalFreeDeleter {
  void operator()(LPWSTR* p) const { LocalFree(p); }
};

std::wstring Number(long long value) {
  return std::to_wstring(value);
}

// Short gloss of a result code for the console.
const wchar_t* Gloss(std::int32_t code) {
  switch (code) {
    case kKapOk:
      return L"success";
    case kKapBadVersion:
      return L"record version is not 1";
    case kKapNoMoreEntries:
      return L"no more entries";
    case kKapReservationLimit:
      return L"reservation limit reached";
    case kKapNameExists:
      return L"a reservation or recording of that name exists";
    case kKapNoDiskSpace:
      return L"no disk space for the reservation";
    case kKapBadParameters:
      return L"reservation parameters rejected";
    case kKapNoSuchId:
      return L"nothing with that id was changed";
    case kKapBadMode:
      return L"no such recording mode";
    case kKapTooClose:
      return L"start too close to now";
    case kKapInUse:
      return L"in use by someone else";
    default:
      return L"unknown";
  }
}

int ReportResult(std::int32_t code) {
  Write(L"result " + Number(code) + L" (" + Gloss(code) + L")\n");
  return code == kKapOk ? 0 : -code;
}

std::wstring TimeText(const KapTime& time) {
  wchar_t text[32];
  std::swprintf(text, 32, L"%04u-%02u-%02uT%02u:%02u", time.year, time.month, time.day, time.hour,
                time.minute);
  return text;
}

// Field text up to its NUL or its end, with line breaks and tabs shown as blanks.
std::string FieldText(const char* field, std::size_t size) {
  std::string text;
  for (std::size_t i = 0; i < size && field[i] != '\0'; ++i) {
    const char c = field[i];
    text.push_back(c == '\r' || c == '\n' || c == '\t' ? ' ' : c);
  }
  return text;
}

void PrintRecord(const KapRecordInfo& record) {
  Write(Number(record.id) + L"\t" + TimeText(record.start) + L"\t" + TimeText(record.end) +
        L"\tmode " + Number(record.mode) + L"\tch " + Number(record.channel.number) + L" ");
  WriteSjis(FieldText(record.channel.name, sizeof(record.channel.name)) + "\t" +
            FieldText(record.title, sizeof(record.title)) + "\t" +
            FieldText(record.memo, sizeof(record.memo)));
  Write(L"\n");
}

KapRecordInfo BlankRecord() {
  KapRecordInfo record{};
  record.version = 1;
  record.start.version = 1;
  record.end.version = 1;
  record.channel.version = 1;
  return record;
}

int ListChannels(const KapLibrary& kap, std::int32_t session) {
  KapChannelInfo channel{};
  channel.version = 1;
  std::int32_t cursor = 0;
  std::int32_t result = kap.GetFirstChannel(session, &cursor, &channel);
  int count = 0;
  for (; result == kKapOk; result = kap.GetNextChannel(session, &cursor, &channel), ++count) {
    Write(Number(channel.number) + L"\t" + Number(channel.number2) + L"\t");
    WriteSjis(FieldText(channel.name, sizeof(channel.name)));
    Write(L"\n");
  }
  Write(Number(count) + L" channels\n");
  return result == kKapNoMoreEntries ? 0 : ReportResult(result);
}

int ListRecords(std::int32_t session, KapRecordEnumProc first, KapRecordEnumProc next,
                const wchar_t* what) {
  KapRecordInfo record = BlankRecord();
  std::int32_t cursor = 0;
  std::int32_t result = first(session, &cursor, &record);
  int count = 0;
  for (; result == kKapOk; result = next(session, &cursor, &record), ++count) {
    PrintRecord(record);
  }
  Write(Number(count) + L" " + what + L"\n");
  return result == kKapNoMoreEntries ? 0 : ReportResult(result);
}

std::optional<std::int32_t> ParseId(const std::wstring& text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  long long value = 0;
  std::size_t i = text[0] == L'-' ? 1 : 0;
  if (i == text.size()) return std::nullopt;
  for (; i < text.size(); ++i) {
    if (text[i] < L'0' || text[i] > L'9') return std::nullopt;
    value = value * 10 + (text[i] - L'0');
  }
  if (text[0] == L'-') value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::optional<KapTime> ParseTime(const std::wstring& text) {
  unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0;
  wchar_t rest = 0;
  if (std::swscanf(text.c_str(), L"%4u-%2u-%2uT%2u:%2u%lc", &year, &month, &day, &hour, &minute,
                   &rest) != 5 ||
      month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59) {
    return std::nullopt;
  }
  KapTime time{};
  time.version = 1;
  time.year = static_cast<std::uint16_t>(year);
  time.month = static_cast<std::uint8_t>(month);
  time.day = static_cast<std::uint8_t>(day);
  time.hour = static_cast<std::uint8_t>(hour);
  time.minute = static_cast<std::uint8_t>(minute);
  return time;
}

// Copies Shift-JIS text into a fixed field, refusing text that does not fit with its NUL.
bool SetField(char* field, std::size_t size, const std::string& text) {
  if (text.size() >= size) return false;
  std::memcpy(field, text.data(), text.size());
  field[text.size()] = '\0';
  return true;
}

int Reserve(const KapLibrary& kap, std::int32_t session, const std::vector<std::wstring>& args) {
  if (args.size() < 4 || args.size() > 7) return -1;
  KapRecordInfo record = BlankRecord();
  const auto start = ParseTime(args[2]);
  const auto end = ParseTime(args[3]);
  if (!start || !end) {
    WriteError(L"kapctl: times are written YYYY-MM-DDTHH:MM\n");
    return kUsageExit;
  }
  record.start = *start;
  record.end = *end;
  record.mode = 1;
  if (args.size() > 4) {
    const auto mode = ParseId(args[4]);
    if (!mode || *mode < 1 || *mode > 3) {
      WriteError(L"kapctl: the mode is 1, 2 or 3\n");
      return kUsageExit;
    }
    record.mode = static_cast<std::uint16_t>(*mode);
  }
  const auto title = ToSjis(args.size() > 5 ? args[5] : L"");
  const auto memo = ToSjis(args.size() > 6 ? args[6] : L"");
  const auto channel_name = ToSjis(args[1]);
  if (!title || !memo || !channel_name || !SetField(record.title, sizeof(record.title), *title) ||
      !SetField(record.memo, sizeof(record.memo), *memo)) {
    WriteError(
        L"kapctl: the title (255 bytes) or memo (4095 bytes) does not fit or has "
        L"characters that Shift-JIS cannot write\n");
    return kUsageExit;
  }
  std::int32_t result = 0;
  const auto number = ParseId(args[1]);
  if (number && *number >= 0 && *number <= 0xFFFF) {
    record.channel.number = static_cast<std::uint16_t>(*number);
    result = kap.SetReservation(session, &record);
  } else {
    if (!SetField(record.channel.name, sizeof(record.channel.name), *channel_name)) {
      WriteError(L"kapctl: the channel name does not fit\n");
      return kUsageExit;
    }
    result = kap.SetReservationEx(session, &record);
  }
  if (result == kKapOk) {
    Write(L"reserved " + TimeText(record.start) + L" - " + TimeText(record.end) + L" on ch " +
          Number(record.channel.number) + L" ");
    WriteSjis(FieldText(record.channel.name, sizeof(record.channel.name)));
    Write(L"\n");
  }
  return ReportResult(result);
}

int RunCommand(const KapLibrary& kap, std::int32_t session, const std::vector<std::wstring>& args) {
  const std::wstring& command = args[0];
  if (command == L"channels" && args.size() == 1) return ListChannels(kap, session);
  if (command == L"reservations" && args.size() == 1) {
    return ListRecords(session, kap.GetFirstReservation, kap.GetNextReservation, L"reservations");
  }
  if (command == L"recorded" && args.size() == 1) {
    return ListRecords(session, kap.GetFirstRecorded, kap.GetNextRecorded, L"capsules");
  }
  if (command == L"recording" && args.size() == 1) {
    Write(Number(kap.IsRecording(session)) + L"\n");
    return 0;
  }
  if (command == L"reserve") return Reserve(kap, session, args);
  if (command == L"space" && (args.size() == 1 || args.size() == 3)) {
    std::uint64_t bytes = 0;
    std::int32_t result = kap.GetDiskSpaceLeft(session, &bytes);
    Write(L"free " + Number(static_cast<long long>(bytes)) + L" bytes\n");
    if (result == kKapOk && args.size() == 3) {
      const auto mode = ParseId(args[1]);
      const auto minutes = ParseId(args[2]);
      if (!mode || !minutes || *minutes < 0) return -1;
      result =
          kap.GetDiskSpaceRequired(session, *mode, static_cast<std::uint32_t>(*minutes), &bytes);
      if (result == kKapOk) {
        Write(L"required " + Number(static_cast<long long>(bytes)) + L" bytes\n");
      }
    }
    return ReportResult(result);
  }
  if (args.size() < 2) return -1;
  const auto id = ParseId(args[1]);
  if (!id) return -1;
  if (command == L"unreserve" && args.size() == 2) {
    return ReportResult(kap.DeleteReservation(session, *id));
  }
  if (command == L"delete" && args.size() == 2) {
    return ReportResult(kap.DeleteRecorded(session, *id));
  }
  if ((command == L"rename" || command == L"memo") && args.size() == 3) {
    const auto text = ToSjis(args[2]);
    if (!text) {
      WriteError(L"kapctl: the text has characters that Shift-JIS cannot write\n");
      return kUsageExit;
    }
    return ReportResult(command == L"rename" ? kap.SetNameRecorded(session, *id, text->c_str())
                                             : kap.SetMemoRecorded(session, *id, text->c_str()));
  }
  return -1;
}

int Run() {
  int argc = 0;
  const std::unique_ptr<LPWSTR, LocalFreeDeleter> argv(
      CommandLineToArgvW(GetCommandLineW(), &argc));
  if (!argv || argc < 2) {
    WriteError(kUsage);
    return kUsageExit;
  }
  std::vector<std::wstring> args(argv.get() + 1, argv.get() + argc);

  KapLibrary kap;
  std::wstring error;
  if (!kap.Load(&error)) {
    WriteError(L"kapctl: " + error + L"\n");
    return kUsageExit;
  }
  std::int32_t session = 0;
  const std::int32_t opened = kap.Open(&session);
  if (opened != kKapOk) {
    Write(L"open: ");
    return ReportResult(opened);
  }
  if (args[0] == L"abandon" && args.size() == 1) {
    Write(L"session left open\n");
    ExitProcess(0);  // ends without KapClose on purpose
  }
  int status = RunCommand(kap, session, args);
  kap.Close(session);
  if (status < 0) {
    WriteError(kUsage);
    status = kUsageExit;
  }
  return status;
}

}  // namespace
}  // namespace capsdub::kapctl

int main() {
  try {
    return capsdub::kapctl::Run();
  } catch (...) {
    capsdub::kapctl::WriteError(L"kapctl: out of memory\n");
    return 255;
  }
}
