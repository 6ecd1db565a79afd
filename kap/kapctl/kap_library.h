// KAP.dll loaded by name and its exports looked up by name, the way any caller binds it.
#pragma once

#include <windows.h>

#include <string>

#include "kap/kap.h"
#include "ui/win32/handles.h"

namespace capsdub::kapctl {

class KapLibrary {
 public:
  KapLibrary() = default;
  KapLibrary(const KapLibrary&) = delete;
  KapLibrary& operator=(const KapLibrary&) = delete;

  // Loads "KAP.dll" through the system's search order, then from Reel Keeper's installation
  // folder; binds every export. False with a description in `error` when that fails.
  bool Load(std::wstring* error);

  KapOpenProc Open = nullptr;
  KapSessionProc Close = nullptr;
  KapSessionProc IsRecording = nullptr;
  KapChannelEnumProc GetFirstChannel = nullptr;
  KapChannelEnumProc GetNextChannel = nullptr;
  KapRecordEnumProc GetFirstReservation = nullptr;
  KapRecordEnumProc GetNextReservation = nullptr;
  KapSetReservationProc SetReservation = nullptr;
  KapSetReservationProc SetReservationEx = nullptr;
  KapIdProc DeleteReservation = nullptr;
  KapRecordEnumProc GetFirstRecorded = nullptr;
  KapRecordEnumProc GetNextRecorded = nullptr;
  KapIdProc DeleteRecorded = nullptr;
  KapSetTextProc SetMemoRecorded = nullptr;
  KapSetTextProc SetNameRecorded = nullptr;
  KapDiskSpaceLeftProc GetDiskSpaceLeft = nullptr;
  KapDiskSpaceRequiredProc GetDiskSpaceRequired = nullptr;

 private:
  win32::Module module_;
};

}  // namespace capsdub::kapctl
