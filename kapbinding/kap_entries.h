// The KAP.dll functions that CapsDub binds by name: 16 of the library's 17 exports (the
// recording query KapPVRIsRecording is not used), typed as kap/kap.h declares them.
#pragma once

// Outside Windows there is no calling-convention keyword; the portable core sees the same
// declarations with the platform's only convention, so that tests can supply fake entries.
#if !defined(_WIN32) && !defined(__stdcall)
#define __stdcall
#endif

#include "kap/kap.h"

namespace capsdub {

// One pointer per bound export, in the order in which the binding looks them up. All null
// until the library is bound.
struct KapEntries {
  KapOpenProc KapOpen = nullptr;
  KapSessionProc KapClose = nullptr;
  KapChannelEnumProc KapGetFirstChannel = nullptr;
  KapChannelEnumProc KapGetNextChannel = nullptr;
  KapRecordEnumProc KapGetFirstReservation = nullptr;
  KapRecordEnumProc KapGetNextReservation = nullptr;
  KapSetReservationProc KapSetReservation = nullptr;
  KapSetReservationProc KapSetReservationEx = nullptr;
  KapIdProc KapDeleteReservation = nullptr;
  KapRecordEnumProc KapGetFirstRecorded = nullptr;
  KapRecordEnumProc KapGetNextRecorded = nullptr;
  KapIdProc KapDeleteRecorded = nullptr;
  KapSetTextProc KapSetMemoRecorded = nullptr;
  KapSetTextProc KapSetNameRecorded = nullptr;
  KapDiskSpaceLeftProc KapGetDiskSpaceLeft = nullptr;
  KapDiskSpaceRequiredProc KapGetDiskSpaceRequired = nullptr;
};

}  // namespace capsdub
