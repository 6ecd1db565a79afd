// Status values of the stand-in database and channel libraries. 0 is success; 1004 and 1005
// are the values KAP.dll knows from RVCRCreateTape; the others are the stand-in's own.
#pragma once

#include <cstdint>

namespace capsdub::hostsim {

enum Status : std::int32_t {
  kOk = 0,
  kFailed = 1,          // unexpected failure inside the library
  kNotInitialized = 2,  // window or channel handle not opened by this library
  kNotFound = 3,        // no capsule or reservation with that id; no further channel
  kCorrupt = 4,         // a database or stand-in file cannot be parsed
  kIoError = 5,         // a file cannot be read, written or deleted
  kBadArgument = 6,     // null pointer, mode or date out of range, wrong record version
  kNoDataFolder = 7,    // the host folder is not configured or does not exist
  kRefused = 8,         // RVCRDBInitialize: window without the "Reel Keeper 1.0" property
  kNoDiskSpace = 9,     // no free space for a capsule
  kNameExists = 1004,   // a reservation or recording of that name exists
  kNoMoreReservations = 1005,
};

}  // namespace capsdub::hostsim
