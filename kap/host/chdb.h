// Declarations of Reel Keeper's channel-table library, chdb.dll, as KAP.dll calls it: the
// channel record it fills into a caller's buffer and its C-convention functions.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(CHDB_BUILD)
#define CHDB_API __declspec(dllexport)
#else
#define CHDB_API __declspec(dllimport)
#endif

extern "C" {

constexpr std::size_t kChdbNameSize = 256;
constexpr std::size_t kChdbAltNamesSize = 1024;

// One channel. The caller sets `version` to 1 before each read. Same layout on i686 and
// x86_64 (no pointers, 2-byte alignment).
struct ChdbChannel {
  std::uint16_t version;
  std::uint8_t reserved[4];
  std::uint16_t excluded;  // nonzero: not offered for reservations
  std::uint16_t number;    // channel number
  std::uint16_t number2;   // second channel number
  char name[kChdbNameSize];
  char alt_names[kChdbAltNamesSize];  // comma-separated alternative names, empty for none
};
static_assert(offsetof(ChdbChannel, excluded) == 6);
static_assert(offsetof(ChdbChannel, number) == 8);
static_assert(offsetof(ChdbChannel, number2) == 10);
static_assert(offsetof(ChdbChannel, name) == 12);
static_assert(offsetof(ChdbChannel, alt_names) == 268);
static_assert(sizeof(ChdbChannel) == 1292);

// Every function returns 0 on success.
CHDB_API std::int32_t __cdecl CHDB_Open(std::int32_t* handle);
// 0 = record filled; nonzero = no more channels.
CHDB_API std::int32_t __cdecl CHDB_GetFirstChannel(std::int32_t handle, ChdbChannel* channel);
CHDB_API std::int32_t __cdecl CHDB_GetNextChannel(std::int32_t handle, ChdbChannel* channel);
CHDB_API std::int32_t __cdecl CHDB_Close(std::int32_t handle);

}  // extern "C"
