// Declarations of Reel Keeper's capsule and reservation database library, RKDB.dll, as
// KAP.dll calls it: the records it hands out or fills and its C-convention functions.
//
// Layout: on i686 every field sits at the byte offset the host library uses (asserted below).
// On x86_64 the records keep the same field order with the same reserved gaps, natural
// alignment and 8-byte pointers, so the fields after a pointer move; records without pointers
// (RvcrDateTime, RvcrReserveInfo, RvcrMediaInfo) are identical on both.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#if defined(RKDB_BUILD)
#define RKDB_API __declspec(dllexport)
#else
#define RKDB_API __declspec(dllimport)
#endif

extern "C" {

// Date and time of a recording or reservation. Passed by value to RVCRCreateReserve.
struct RvcrDateTime {
  std::uint16_t year;  // four digits
  std::uint8_t month;  // 1-12
  std::uint8_t day;
  std::uint8_t hour;
  std::uint8_t minute;
  std::uint8_t reserved[2];  // written as 0, never read
};
static_assert(sizeof(RvcrDateTime) == 8);
static_assert(offsetof(RvcrDateTime, month) == 2);
static_assert(offsetof(RvcrDateTime, minute) == 5);

// One capsule, allocated by RVCRGetTapeInfo and released by RVCRFreeTape. A null text
// pointer means an empty text.
struct RvcrTapeInfo {
  std::int32_t id;  // capsule id
  char* name;
  std::uint32_t reserved1;
  std::int32_t state_a;  // state word A
  std::uint8_t reserved2[12];
  RvcrDateTime start;  // recording start
  std::uint8_t reserved3[36];
  std::uint32_t length_ms;  // recorded length in milliseconds
  std::uint8_t reserved4[8];
  std::int32_t mode;      // recording mode 0, 1 or 2
  std::uint16_t channel;  // channel number
  std::uint16_t reserved5;
  char* channel_name;
  std::uint32_t reserved6;
  std::int32_t state_b;  // state word B
  std::uint8_t reserved7[68];
  char* memo;
};

#if defined(_WIN64) || defined(__x86_64__)
static_assert(offsetof(RvcrTapeInfo, name) == 8);
static_assert(offsetof(RvcrTapeInfo, state_a) == 20);
static_assert(offsetof(RvcrTapeInfo, start) == 36);
static_assert(offsetof(RvcrTapeInfo, length_ms) == 80);
static_assert(offsetof(RvcrTapeInfo, mode) == 92);
static_assert(offsetof(RvcrTapeInfo, channel) == 96);
static_assert(offsetof(RvcrTapeInfo, channel_name) == 104);
static_assert(offsetof(RvcrTapeInfo, state_b) == 116);
static_assert(offsetof(RvcrTapeInfo, memo) == 192);
static_assert(sizeof(RvcrTapeInfo) == 200);
#else
static_assert(offsetof(RvcrTapeInfo, name) == 4);
static_assert(offsetof(RvcrTapeInfo, state_a) == 12);
static_assert(offsetof(RvcrTapeInfo, start) == 28);
static_assert(offsetof(RvcrTapeInfo, length_ms) == 72);
static_assert(offsetof(RvcrTapeInfo, mode) == 84);
static_assert(offsetof(RvcrTapeInfo, channel) == 88);
static_assert(offsetof(RvcrTapeInfo, channel_name) == 92);
static_assert(offsetof(RvcrTapeInfo, state_b) == 100);
static_assert(offsetof(RvcrTapeInfo, memo) == 172);
static_assert(sizeof(RvcrTapeInfo) == 176);
#endif

// One reservation, allocated by RVCRGetReserveInfo and released by RVCRFreeReserve.
struct RvcrReserveInfo {
  std::int32_t id;  // reservation id
  std::uint8_t reserved1[8];
  RvcrDateTime start;
  RvcrDateTime end;
  std::int32_t tape_id;  // capsule the reservation records into
  std::uint8_t reserved2[8];
  std::int32_t disk_area;  // nonzero once disk space is assigned
};
static_assert(offsetof(RvcrReserveInfo, start) == 12);
static_assert(offsetof(RvcrReserveInfo, end) == 20);
static_assert(offsetof(RvcrReserveInfo, tape_id) == 28);
static_assert(offsetof(RvcrReserveInfo, disk_area) == 40);
static_assert(sizeof(RvcrReserveInfo) == 44);

// Totals of the recording media, filled into a caller's buffer by RVCRGetTotalMediaInfo.
struct RvcrMediaInfo {
  std::uint8_t reserved[16];
  std::uint64_t free_bytes;
};
static_assert(offsetof(RvcrMediaInfo, free_bytes) == 16);
static_assert(sizeof(RvcrMediaInfo) == 24);

// Window message of the host's recording broadcasts and the events KAP.dll acts on.
constexpr UINT kRvcrBroadcastMessage = 0x0709;
constexpr LPARAM kRvcrEventRecordingStarted = 24;
constexpr LPARAM kRvcrEventRecordingEnded = 28;

// Statuses of RVCRCreateTape besides 0.
constexpr std::int32_t kRvcrNameExists = 1004;  // a reservation or recording of that name
constexpr std::int32_t kRvcrNoMoreReservations = 1005;

// Every function returns 0 on success. `db` is the window passed to RVCRDBInitialize with
// mode 5; it serves as the database handle.
RKDB_API std::int32_t __cdecl RVCRDBInitialize(HWND window, std::int32_t mode);
RKDB_API std::int32_t __cdecl RVCRDBClose(HWND window);

RKDB_API std::int32_t __cdecl RVCRFirstTape(HWND db, std::int32_t* id, std::int32_t reserved);
RKDB_API std::int32_t __cdecl RVCRNextTape(HWND db, std::int32_t* id, std::int32_t current,
                                           std::int32_t reserved);
RKDB_API std::int32_t __cdecl RVCRGetTapeInfo(HWND db, std::int32_t id, RvcrTapeInfo** out);
RKDB_API std::int32_t __cdecl RVCRFreeTape(HWND db, RvcrTapeInfo* info);
RKDB_API std::int32_t __cdecl RVCRCreateTape(HWND db, std::int32_t* id, const char* name,
                                             std::int32_t one, const char* creator,
                                             std::int32_t reserved, std::int32_t mode);
RKDB_API std::int32_t __cdecl RVCRSetTapeMemo(HWND db, std::int32_t id, const char* memo);
RKDB_API std::int32_t __cdecl RVCRSetTapeName(HWND db, std::int32_t id, const char* name);
RKDB_API std::int32_t __cdecl RVCRGetTapeArea(HWND db, std::int32_t id);
// flag: 0 when a caller of KAP.dll asks, 1 when undoing a half-made reservation.
RKDB_API std::int32_t __cdecl RVCRDeleteTape(HWND db, std::int32_t id, std::int32_t flag);

RKDB_API std::int32_t __cdecl RVCRFirstReserve(HWND db, std::int32_t* id, std::int32_t reserved);
RKDB_API std::int32_t __cdecl RVCRNextReserve(HWND db, std::int32_t* id, std::int32_t current);
RKDB_API std::int32_t __cdecl RVCRGetReserveInfo(HWND db, std::int32_t id, RvcrReserveInfo** out);
RKDB_API std::int32_t __cdecl RVCRFreeReserve(HWND db, RvcrReserveInfo* info);
RKDB_API std::int32_t __cdecl RVCRCreateReserve(HWND db, std::int32_t* id, RvcrDateTime start,
                                                RvcrDateTime end, std::int32_t tape_id,
                                                std::int32_t reserved1, std::int32_t reserved2,
                                                std::int32_t channel, const char* channel_name,
                                                std::int32_t reserved3);
RKDB_API std::int32_t __cdecl RVCRDeleteReserve(HWND db, std::int32_t id, std::int32_t flag);

RKDB_API std::int32_t __cdecl RVCRGetTotalMediaInfo(HWND db, RvcrMediaInfo* info,
                                                    std::uint32_t* count1, std::uint32_t* count2,
                                                    std::uint32_t* count3);
// Bytes required for `ms` milliseconds in `mode` are *a + *b.
RKDB_API std::int32_t __cdecl RVCRCalcDiskSpaceFromTime(HWND db, std::uint32_t ms,
                                                        std::int32_t mode, std::uint64_t* a,
                                                        std::uint64_t* b);
// Decodes the lParam of a broadcast message; *event receives the event code.
RKDB_API std::int32_t __cdecl RVCREvalBroadcastMessage(LPARAM lparam, WPARAM* wparam, LPARAM* event,
                                                       UINT* message);

}  // extern "C"
