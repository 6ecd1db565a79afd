// Reservations through KAP.dll's exports: creation with its checks, channel choice by number
// and by alternative name, the capsule name of an untitled reservation, the host's statuses
// and the undo steps of a failed creation, listing and deletion.
#include <atomic>
#include <cstring>
#include <ctime>
#include <regex>
#include <thread>

#include "tests/kap/kap_fixture.h"

namespace capsdub::kaptest {
namespace {

using ReservationTest = KapFixture;

KapRecordInfo Request(const KapTime& start, const KapTime& end, std::uint16_t channel,
                      const std::string& title, std::uint16_t mode = 1,
                      const std::string& memo = {}) {
  KapRecordInfo record = BlankRecord();
  record.start = start;
  record.end = end;
  record.channel.number = channel;
  record.mode = mode;
  std::memcpy(record.title, title.data(), std::min(title.size(), sizeof(record.title)));
  std::memcpy(record.memo, memo.data(), std::min(memo.size(), sizeof(record.memo)));
  return record;
}

int NextYear() {
  const std::time_t now = std::time(nullptr);
  return std::localtime(&now)->tm_year + 1900 + 1;
}

KapTime FromSeconds(std::time_t seconds) {
  const std::tm local = *std::localtime(&seconds);
  return MakeTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min);
}

std::string CallLog() {
  std::string log(1 << 16, '\0');
  const std::int32_t length = StandInGetCallLog(log.data(), static_cast<std::int32_t>(log.size()));
  log.resize(std::min<std::size_t>(static_cast<std::size_t>(length), log.size() - 1));
  return log;
}

bool Logged(const std::string& pattern) {
  return std::regex_search(CallLog(), std::regex(pattern));
}

// Closes every message box of this process by its OK button, noting whether its texts were
// empty.
struct BoxCloser {
  int boxes = 0;
  bool all_empty = true;

  static BOOL CALLBACK ChildText(HWND child, LPARAM param) {
    wchar_t name[16] = {};
    GetClassNameW(child, name, 16);
    if (_wcsicmp(name, L"Static") == 0 && GetWindowTextLengthW(child) > 0) {
      reinterpret_cast<BoxCloser*>(param)->all_empty = false;
    }
    return TRUE;
  }
  static BOOL CALLBACK Visit(HWND window, LPARAM param) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (process == GetCurrentProcessId() && std::wstring(name) == L"#32770" &&
        IsWindowVisible(window)) {
      auto* self = reinterpret_cast<BoxCloser*>(param);
      ++self->boxes;
      EnumChildWindows(window, ChildText, param);
      if (GetWindowTextLengthW(window) > 0) self->all_empty = false;
      PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
  }
};

TEST_F(ReservationTest, CreatesAReservationAndItsCapsuleThenDeletesThem) {
  Open();
  KapRecordInfo in =
      Request(DaysFromNow(2, 21, 0), DaysFromNow(2, 22, 30), 4, "Delta", 2, "a memo");
  ASSERT_EQ(kap_->SetReservation(1, &in), kKapOk);
  // The caller's channel sub-record now holds the table's entry.
  EXPECT_EQ(in.channel.number, 4);
  EXPECT_EQ(in.channel.number2, 1004);
  EXPECT_EQ(KAP_FIELD(in, channel.name), "NTV");

  const auto reservations = ReadReservations(host_);
  ASSERT_EQ(reservations.size(), 1u);
  EXPECT_EQ(reservations[0].channel, 4);
  EXPECT_EQ(reservations[0].channel_name, "NTV");
  EXPECT_TRUE(reservations[0].disk_area);
  const KapTime start = DaysFromNow(2, 21, 0);
  EXPECT_EQ(reservations[0].start, (hoststore::Minute{start.year, start.month, start.day, 21, 0}));
  EXPECT_TRUE(Logged("RVCRCreateTape[^\\n]* 1\\b"));  // host mode 1 for mode 2

  KapRecordInfo out = BlankRecord();
  std::int32_t cursor = 0;
  ASSERT_EQ(kap_->GetFirstReservation(1, &cursor, &out), kKapOk);
  EXPECT_EQ(cursor, reservations[0].id);
  EXPECT_EQ(out.id, reservations[0].id);
  EXPECT_EQ(TimeText(out.start), TimeText(DaysFromNow(2, 21, 0)));
  EXPECT_EQ(TimeText(out.end), TimeText(DaysFromNow(2, 22, 30)));
  EXPECT_EQ(out.mode, 2);
  EXPECT_EQ(out.channel.number, 4);
  EXPECT_EQ(KAP_FIELD(out, title), "Delta");
  EXPECT_EQ(KAP_FIELD(out, memo), "a memo");
  EXPECT_EQ(kap_->GetNextReservation(1, &cursor, &out), kKapNoMoreEntries);

  // A capsule awaiting its recording is not a recorded one.
  std::int32_t recorded = 0;
  KapRecordInfo capsule = BlankRecord();
  ASSERT_EQ(kap_->GetFirstRecorded(1, &recorded, &capsule), kKapOk);
  while (kap_->GetNextRecorded(1, &recorded, &capsule) == kKapOk) {
    EXPECT_NE(KAP_FIELD(capsule, title), "Delta");
  }

  EXPECT_EQ(kap_->DeleteReservation(1, reservations[0].id), kKapOk);
  EXPECT_TRUE(ReadReservations(host_).empty());
  EXPECT_EQ(ReadCapsules(host_).size(), 3u);
  EXPECT_EQ(kap_->DeleteReservation(1, reservations[0].id), kKapNoSuchId);
  EXPECT_EQ(kap_->GetFirstReservation(1, &cursor, &out), kKapNoMoreEntries);
}

TEST_F(ReservationTest, LengthAndEndDayChecks) {
  const int year = NextYear();
  struct Case {
    const char* what;
    KapTime start;
    KapTime end;
    std::int32_t result;
    std::string end_after;  // the caller's end after the call
  };
  const Case cases[] = {
      {"2 minutes", MakeTime(year, 6, 1, 21, 0), MakeTime(year, 6, 1, 21, 2), kKapBadParameters,
       Numbered("v1 ", year) + "-06-01 21:02"},
      {"3 minutes", MakeTime(year, 6, 2, 21, 0), MakeTime(year, 6, 2, 21, 3), kKapOk,
       Numbered("v1 ", year) + "-06-02 21:03"},
      {"end on the next day: day overwritten", MakeTime(year, 4, 13, 23, 30),
       MakeTime(year, 4, 14, 0, 30), kKapBadParameters, Numbered("v1 ", year) + "-04-13 00:30"},
      {"end two days later: day overwritten", MakeTime(year, 4, 20, 21, 0),
       MakeTime(year, 4, 22, 22, 0), kKapOk, Numbered("v1 ", year) + "-04-20 22:00"},
      {"end in the next month keeps its month", MakeTime(year, 7, 31, 21, 0),
       MakeTime(year, 8, 1, 22, 0), kKapOk, Numbered("v1 ", year) + "-08-31 22:00"},
      {"minutes beyond the hour are normalised", MakeTime(year, 9, 1, 21, 0),
       MakeTime(year, 9, 1, 21, 90), kKapOk, Numbered("v1 ", year) + "-09-01 22:30"},
  };
  TestHost host = DefaultHost();
  host.media.free_bytes = 1'000'000'000'000'000ull;  // room for a month-long recording
  WriteHost(host);
  Open();
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StandInClearCallLog();
    KapRecordInfo in = Request(c.start, c.end, 1, Numbered("length ", n++));
    EXPECT_EQ(kap_->SetReservation(1, &in), c.result);
    EXPECT_EQ(TimeText(in.end), c.end_after);
    if (c.result == kKapBadParameters) {
      EXPECT_EQ(CallLog(), "");  // refused before the host
    }
  }
  EXPECT_EQ(ReadReservations(host_).size(), 4u);
}

TEST_F(ReservationTest, StartMustBeAtLeast300SecondsAway) {
  Open();
  // Wait for the first second of a minute so that a start five minutes on is exactly 300
  // seconds away, then one second more for 299. A call that straddles a second is repeated.
  bool accepted_at_300 = false;
  bool refused_at_299 = false;
  for (int attempt = 0; attempt < 3 && !(accepted_at_300 && refused_at_299); ++attempt) {
    std::time_t now = std::time(nullptr);
    while (now % 60 != 0) {
      Sleep(20);
      now = std::time(nullptr);
    }
    const std::time_t start = now + 300;
    KapRecordInfo in =
        Request(FromSeconds(start), FromSeconds(start + 600), 1, Numbered("lead ", attempt));
    const std::int32_t at_300 = kap_->SetReservation(1, &in);
    if (std::time(nullptr) != now) continue;
    EXPECT_EQ(at_300, kKapOk);
    accepted_at_300 = true;
    while (std::time(nullptr) == now) Sleep(5);
    KapRecordInfo again =
        Request(FromSeconds(start), FromSeconds(start + 600), 1, Numbered("lead again ", attempt));
    StandInClearCallLog();
    const std::int32_t at_299 = kap_->SetReservation(1, &again);
    if (std::time(nullptr) != now + 1) continue;
    EXPECT_EQ(at_299, kKapTooClose);
    EXPECT_EQ(CallLog(), "");
    refused_at_299 = true;
  }
  EXPECT_TRUE(accepted_at_300 && refused_at_299) << "no attempt fell within single seconds";
  KapRecordInfo past = Request(MakeTime(2001, 4, 13, 21, 0), MakeTime(2001, 4, 13, 22, 0), 1, "p");
  EXPECT_EQ(kap_->SetReservation(1, &past), kKapTooClose);
}

TEST_F(ReservationTest, ChannelNotInTheTableBecomesTheUnknownChannel) {
  Open();
  KapRecordInfo in = Request(DaysFromNow(3, 21, 0), DaysFromNow(3, 22, 0), 55, "Echo");
  std::memset(in.channel.name, 'q', sizeof(in.channel.name));
  in.channel.number2 = 9;
  ASSERT_EQ(kap_->SetReservation(1, &in), kKapOk);
  EXPECT_EQ(in.channel.version, 1);
  EXPECT_EQ(in.channel.number, 0);
  EXPECT_EQ(in.channel.number2, 0);
  EXPECT_EQ(KAP_FIELD(in, channel.name), kUnknownChannel);
  const auto reservations = ReadReservations(host_);
  ASSERT_EQ(reservations.size(), 1u);
  EXPECT_EQ(reservations[0].channel, 0);
  EXPECT_EQ(reservations[0].channel_name, kUnknownChannel);
}

TEST_F(ReservationTest, UntitledReservationIsNamedAfterItsStartAndChannel) {
  Open();
  const int year = NextYear();
  struct Case {
    KapTime start;
    KapTime end;
    std::uint16_t channel;
    std::string name;
  };
  const Case cases[] = {
      // "5月4日9時05分 CX"
      {MakeTime(year, 5, 4, 9, 5), MakeTime(year, 5, 4, 10, 0), 8,
       "5\x8c\x8e"
       "4\x93\xfa"
       "9\x8e\x9e"
       "05\x95\xaa CX"},
      // "12月31日23時59分 ＮＨＫ総合"
      {MakeTime(year, 12, 31, 23, 59), MakeTime(year, 12, 31, 23, 59 + 30), 1,
       "12\x8c\x8e"
       "31\x93\xfa"
       "23\x8e\x9e"
       "59\x95\xaa " +
           kNhk},
      // Month 0 is January, and 24:00 is normalised to the next day first: "1月2日0時00分 NTV"
      {MakeTime(year, 0, 1, 24, 0), MakeTime(year, 0, 1, 25, 0), 4,
       "1\x8c\x8e"
       "2\x93\xfa"
       "0\x8e\x9e"
       "00\x95\xaa NTV"},
  };
  for (const Case& c : cases) {
    KapRecordInfo in = Request(c.start, c.end, c.channel, "");
    ASSERT_EQ(kap_->SetReservation(1, &in), kKapOk) << c.name;
  }
  std::vector<std::string> titles;
  for (const auto& capsule : ReadCapsules(host_)) titles.push_back(capsule.title);
  for (const Case& c : cases) {
    EXPECT_NE(std::find(titles.begin(), titles.end(), c.name), titles.end()) << c.name;
  }
}

TEST_F(ReservationTest, ChannelByAlternativeName) {
  TestHost host = DefaultHost();
  host.channels.push_back(MakeChannel(10, "Ten", "A,B,C"));
  host.channels.push_back(MakeChannel(12, "Twelve", "P,,Q"));
  host.channels.push_back(MakeChannel(20, "Twenty", std::string(256, 'N')));
  host.channels.push_back(MakeChannel(30, std::string(256, 'L')));  // fills its field
  WriteHost(host);
  Open();
  struct Case {
    std::string name;
    std::uint16_t channel;  // after the call; 0: channel 103 asked for, not in the table
  };
  const Case cases[] = {
      {"nhk", 1},  {"G", 1},   {"g", 1},   {kNhk, 0},  // a name with alternatives is not one
      {"ntv", 4},  {"NTV", 4},                         // a name without alternatives is one
      {"TBS", 0},                                      // excluded channel
      {"fuji", 8}, {"CX8", 8}, {"CX", 0},  {" Fuji", 0}, {"Fuji ", 0}, {"a", 10},      {"b", 10},
      {"C", 10},   {" B", 0},  {"A,B", 0}, {"", 12},     {"q", 12},    {"nowhere", 0},
  };
  int day = 2;
  for (const Case& c : cases) {
    SCOPED_TRACE("name '" + c.name + "'");
    KapRecordInfo in =
        Request(DaysFromNow(day, 20, 0), DaysFromNow(day, 21, 0), 1, Numbered("alias ", day));
    ++day;
    std::memcpy(in.channel.name, c.name.data(), c.name.size());
    ASSERT_EQ(kap_->SetReservationEx(1, &in), kKapOk);
    EXPECT_EQ(in.channel.number, c.channel);
  }
  // A name that fills its field without a NUL is read up to the field's end only.
  GuardedRecord<KapRecordInfo> in;
  *in.get() = Request(DaysFromNow(day, 20, 0), DaysFromNow(day, 21, 0), 1, "");
  std::memset(in->channel.name, 'N', sizeof(in->channel.name));
  std::memset(in->title, 'T', sizeof(in->title));
  std::memset(in->memo, 'M', sizeof(in->memo));
  ASSERT_EQ(kap_->SetReservationEx(1, in.get()), kKapOk);
  EXPECT_EQ(in->channel.number, 20);
  // A channel without alternatives goes by its whole name, all 256 bytes of it.
  struct NameCase {
    std::size_t length;
    std::uint16_t channel;
  };
  for (const NameCase& c : {NameCase{256, 30}, NameCase{255, 0}}) {
    SCOPED_TRACE(Numbered("name of length ", static_cast<long long>(c.length)));
    ++day;
    *in.get() =
        Request(DaysFromNow(day, 20, 0), DaysFromNow(day, 21, 0), 1, Numbered("long name ", day));
    std::memset(in->channel.name, 'L', c.length);
    ASSERT_EQ(kap_->SetReservationEx(1, in.get()), kKapOk);
    EXPECT_EQ(in->channel.number, c.channel);
  }
}

TEST_F(ReservationTest, FailedAliasListBuildShowsAnEmptyBoxOnceAndStaysEmpty) {
  Open();
  StandInFailNext("CHDB_Open", 3);
  BoxCloser closer;
  std::atomic<bool> done{false};
  std::thread watcher([&] {
    while (!done) {
      EnumWindows(BoxCloser::Visit, reinterpret_cast<LPARAM>(&closer));
      Sleep(20);
    }
  });
  KapRecordInfo in = Request(DaysFromNow(2, 20, 0), DaysFromNow(2, 21, 0), 1, "Mike");
  std::memcpy(in.channel.name, "NTV", 3);
  EXPECT_EQ(kap_->SetReservationEx(1, &in), kKapOk);
  EXPECT_EQ(in.channel.number, 0);  // no alias: channel 103, not in the table
  StandInClearCallLog();
  KapRecordInfo again = Request(DaysFromNow(3, 20, 0), DaysFromNow(3, 21, 0), 1, "November");
  std::memcpy(again.channel.name, "NTV", 3);
  EXPECT_EQ(kap_->SetReservationEx(1, &again), kKapOk);
  EXPECT_EQ(again.channel.number, 0);
  EXPECT_EQ(CallLog().find("CHDB_Open"), std::string::npos) << "the list was built again";
  done = true;
  watcher.join();
  EXPECT_EQ(closer.boxes, 1);
  EXPECT_TRUE(closer.all_empty);
}

TEST_F(ReservationTest, UnmatchedNameAsksForChannel103) {
  TestHost host = DefaultHost();
  host.channels.push_back(MakeChannel(103, "External"));
  WriteHost(host);
  Open();
  KapRecordInfo in = Request(DaysFromNow(2, 20, 0), DaysFromNow(2, 21, 0), 1, "Foxtrot");
  std::memcpy(in.channel.name, "nowhere", 7);
  ASSERT_EQ(kap_->SetReservationEx(1, &in), kKapOk);
  EXPECT_EQ(in.channel.number, 103);
  EXPECT_EQ(KAP_FIELD(in, channel.name), "External");
}

TEST_F(ReservationTest, UnterminatedTitleAndMemoAreReadUpToTheirFieldsEnds) {
  Open();
  GuardedRecord<KapRecordInfo> in;
  *in.get() = Request(DaysFromNow(2, 20, 0), DaysFromNow(2, 21, 0), 4, "");
  std::memset(in->title, 'T', sizeof(in->title));
  std::memset(in->memo, 'M', sizeof(in->memo));  // the memo ends the record
  ASSERT_EQ(kap_->SetReservation(1, in.get()), kKapOk);
  const auto capsules = ReadCapsules(host_);
  ASSERT_EQ(capsules.size(), 4u);
  EXPECT_EQ(capsules.back().title, std::string(256, 'T'));
  EXPECT_EQ(hoststore::MemoOfExtension(
                ReadFileBytes(hoststore::ExtensionPathOf(host_, capsules.back().number))),
            std::string(4096, 'M'));
}

TEST_F(ReservationTest, RecordsWithoutVersionOneAreRefusedBeforeTheHost) {
  Open();
  for (std::size_t offset : {0u, 8u, 16u, 26u}) {
    KapRecordInfo in = Request(DaysFromNow(2, 20, 0), DaysFromNow(2, 21, 0), 4, "Golf");
    const std::uint16_t version = 2;
    std::memcpy(reinterpret_cast<char*>(&in) + offset, &version, sizeof(version));
    StandInClearCallLog();
    EXPECT_EQ(kap_->SetReservation(1, &in), kKapBadVersion) << offset;
    EXPECT_EQ(kap_->SetReservationEx(1, &in), kKapBadVersion) << offset;
    EXPECT_EQ(CallLog().find("RVCR"), std::string::npos);
  }
  EXPECT_EQ(kap_->SetReservation(1, nullptr), kKapBadVersion);
  EXPECT_EQ(kap_->SetReservationEx(1, nullptr), kKapBadVersion);
}

TEST_F(ReservationTest, CapsuleCreationStatuses) {
  Open();
  struct Case {
    std::int32_t status;
    std::int32_t result;
  };
  const Case cases[] = {{1004, kKapNameExists},
                        {1005, kKapReservationLimit},
                        {1, kKapBadParameters},
                        {9, kKapBadParameters}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    StandInFailNext("RVCRCreateTape", c.status);
    KapRecordInfo in = Request(DaysFromNow(2, 20, 0), DaysFromNow(2, 21, 0), 4, "Hotel");
    EXPECT_EQ(kap_->SetReservation(1, &in), c.result);
  }
  KapRecordInfo same_name = Request(DaysFromNow(2, 20, 0), DaysFromNow(2, 21, 0), 4, "Alpha");
  EXPECT_EQ(kap_->SetReservation(1, &same_name), kKapNameExists);  // the host's own check
  EXPECT_EQ(ReadCapsules(host_).size(), 3u);
  EXPECT_TRUE(ReadReservations(host_).empty());
}

TEST_F(ReservationTest, FailedCreationIsUndone) {
  struct Case {
    const char* fail;  // host function made to fail; nullptr: too little disk space
    std::int32_t result;
    bool reservation_made;  // a reservation existed and had to be taken back
  };
  const Case cases[] = {
      {"RVCRSetTapeMemo", kKapBadParameters, false},
      {"RVCRGetTapeArea", kKapBadParameters, false},
      {"RVCRCreateReserve", kKapBadParameters, false},
      {"RVCRGetReserveInfo", kKapBadParameters, true},
      {nullptr, kKapNoDiskSpace, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fail ? c.fail : "no disk space");
    TestHost host = DefaultHost();
    if (!c.fail) host.media.free_bytes = 1000;
    WriteHost(host);
    Load();
    Open();
    if (c.fail) StandInFailNext(c.fail, 5);
    StandInClearCallLog();
    KapRecordInfo in = Request(DaysFromNow(2, 20, 0), DaysFromNow(2, 21, 0), 4, "India", 1, "m");
    EXPECT_EQ(kap_->SetReservation(1, &in), c.result);
    EXPECT_EQ(ReadCapsules(host_).size(), 3u);
    EXPECT_TRUE(ReadReservations(host_).empty());
    EXPECT_TRUE(Logged("RVCRDeleteTape \\d+ 1")) << CallLog();
    EXPECT_EQ(Logged("RVCRDeleteReserve \\d+ 1"), c.reservation_made) << CallLog();
    EXPECT_EQ(StandInOutstandingRecords(), 0);
    Close();
  }
}

TEST_F(ReservationTest, ListingTakesTimesFromTheReservationAndTheRestFromItsCapsule) {
  TestHost host = DefaultHost();
  TestCapsule waiting = MakeCapsule(20, "Juliet", 1);
  waiting.extras.mode = 2;
  waiting.extras.channel = 8;
  waiting.channel_name = "CX";
  waiting.memo = "waiting";
  host.capsules.push_back(waiting);
  hoststore::Reservation reservation;
  reservation.id = 5;
  reservation.capsule = 20;
  reservation.start = {2030, 1, 2, 3, 4};
  reservation.end = {2030, 1, 2, 5, 6};
  reservation.channel = 8;
  reservation.channel_name = "CX";
  reservation.disk_area = true;
  host.reservations = {reservation};
  WriteHost(host);
  Open();
  KapRecordInfo out = BlankRecord();
  std::int32_t cursor = 0;
  ASSERT_EQ(kap_->GetFirstReservation(1, &cursor, &out), kKapOk);
  EXPECT_EQ(out.id, 5);
  EXPECT_EQ(TimeText(out.start), "v1 2030-01-02 03:04");
  EXPECT_EQ(TimeText(out.end), "v1 2030-01-02 05:06");
  EXPECT_EQ(out.mode, 3);
  EXPECT_EQ(KAP_FIELD(out, title), "Juliet");
  EXPECT_EQ(KAP_FIELD(out, memo), "waiting");

  // A version word other than 1: -1, yet id and times are those of the reservation.
  KapRecordInfo stale = BlankRecord();
  stale.channel.version = 0;
  ASSERT_EQ(kap_->GetFirstReservation(1, &cursor, &stale), kKapBadVersion);
  EXPECT_EQ(stale.id, 5);
  EXPECT_EQ(TimeText(stale.start), "v1 2030-01-02 03:04");
  // The capsule cannot be read: -2 with the same.
  StandInFailNext("RVCRGetTapeInfo", 3);
  KapRecordInfo unread = BlankRecord();
  EXPECT_EQ(kap_->GetFirstReservation(1, &cursor, &unread), kKapNoMoreEntries);
  EXPECT_EQ(unread.id, 5);
  EXPECT_EQ(TimeText(unread.end), "v1 2030-01-02 05:06");
  StandInFailNext("RVCRGetReserveInfo", 3);
  EXPECT_EQ(kap_->GetFirstReservation(1, &cursor, &out), kKapNoMoreEntries);
  StandInFailNext("RVCRFirstReserve", 3);
  EXPECT_EQ(kap_->GetFirstReservation(1, &cursor, &out), kKapNoMoreEntries);
  EXPECT_EQ(kap_->GetFirstReservation(1, nullptr, &out), kKapNoMoreEntries);
  EXPECT_EQ(kap_->GetNextReservation(1, nullptr, &out), kKapNoMoreEntries);
  // Without an output record: -1, and the cursor still names the reservation.
  cursor = 0;
  EXPECT_EQ(kap_->GetFirstReservation(1, &cursor, nullptr), kKapBadVersion);
  EXPECT_EQ(cursor, 5);
}

TEST_F(ReservationTest, DeletionFailuresReleaseTheRecords) {
  Open();
  KapRecordInfo in = Request(DaysFromNow(2, 20, 0), DaysFromNow(2, 21, 0), 4, "Kilo");
  ASSERT_EQ(kap_->SetReservation(1, &in), kKapOk);
  const std::int32_t id = ReadReservations(host_).at(0).id;
  for (const char* fail :
       {"RVCRGetReserveInfo", "RVCRGetTapeInfo", "RVCRDeleteReserve", "RVCRDeleteTape"}) {
    SCOPED_TRACE(fail);
    StandInFailNext(fail, 5);
    EXPECT_EQ(kap_->DeleteReservation(1, id), kKapNoSuchId);
    EXPECT_EQ(StandInOutstandingRecords(), 0);
    StandInReset();
  }
  EXPECT_EQ(kap_->DeleteReservation(1, 999), kKapNoSuchId);
}

}  // namespace
}  // namespace capsdub::kaptest
