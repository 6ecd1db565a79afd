// Extra exports of the stand-in RKDB.dll that let tests steer the simulated Reel Keeper:
// failing the next call of a function, counting the records handed out and not yet freed,
// sending the recording broadcast, and reading what was called. chdb.dll reports its calls
// through the same log and takes its failures from the same list.
#pragma once

#include <cstdint>

#include "kap/host/rkdb.h"

extern "C" {

// The broadcast's lParam carries this tag in bits 16-31 and the event in bits 0-15;
// RVCREvalBroadcastMessage accepts only tagged values (for any other it writes event 0 and
// returns 6).
constexpr LPARAM kStandInBroadcastTag = 0x52480000;

// The next call of `function` (an export name such as "RVCRCreateTape" or "CHDB_Open")
// returns `status` and does nothing else; status 0 cancels. Returns 0, or 6 for a null name.
RKDB_API std::int32_t __cdecl StandInFailNext(const char* function, std::int32_t status);
// Records handed out by RVCRGetTapeInfo and RVCRGetReserveInfo and not yet freed.
RKDB_API std::int32_t __cdecl StandInOutstandingRecords(void);
// Posts the broadcast message 0x0709 with `event` (such as 24 or 28) to the window registered
// by RVCRDBInitialize with mode 0. 0 when posted; 2 without such a window.
RKDB_API std::int32_t __cdecl StandInSendBroadcast(std::int32_t event);
// The calls made since the last clear, one line each: the function name and its numeric
// arguments ("RVCRDeleteTape 12 1"). Copies at most size - 1 bytes and a NUL; returns the
// length of the whole log.
RKDB_API std::int32_t __cdecl StandInGetCallLog(char* buffer, std::int32_t size);
RKDB_API void __cdecl StandInClearCallLog(void);
// Why the last failed call failed (file and line of a corrupt file, for example); same
// buffer rules as StandInGetCallLog.
RKDB_API std::int32_t __cdecl StandInGetLastError(char* buffer, std::int32_t size);
// Cancels every pending failure and clears the log.
RKDB_API void __cdecl StandInReset(void);

// For chdb.dll: the failure pending for `function` (0 for none), taken off the list.
RKDB_API std::int32_t __cdecl StandInTakeFailure(const char* function);
// For chdb.dll: adds a line to the call log, and records the reason of a failure.
RKDB_API void __cdecl StandInNoteCall(const char* line);
RKDB_API void __cdecl StandInNoteError(const char* text);

}  // extern "C"
