// Extra export of the stand-in chdb.dll for tests: channel-table handles opened by CHDB_Open
// and not yet closed.
#pragma once

#include <cstdint>

#include "kap/host/chdb.h"

extern "C" {

CHDB_API std::int32_t __cdecl StandInOpenChannelHandles(void);

}  // extern "C"
