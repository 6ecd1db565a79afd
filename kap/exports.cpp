// The 17 exports of KAP.dll and its entry point. Each export turns any exception into a result
// code so that none crosses the library's boundary.
#include <windows.h>

#include <cstdint>
#include <utility>

#include "kap/kap.h"
#include "kap/recorded.h"
#include "kap/reservations.h"
#include "kap/session.h"

namespace {

template <typename Operation>
std::int32_t Guarded(std::int32_t on_failure, Operation&& operation) noexcept {
  try {
    return std::forward<Operation>(operation)();
  } catch (...) {
    return on_failure;
  }
}

}  // namespace

namespace kap = capsdub::kap;

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(module);
    kap::AttachLibrary(module);
  } else if (reason == DLL_PROCESS_DETACH) {
    kap::DetachLibrary(reserved == nullptr);
  }
  return TRUE;
}

KAP_API int32_t KAP_CALL KapOpen(int32_t* session) {
  return Guarded(kKapInUse, [&] { return kap::OpenSession(session); });
}

KAP_API int32_t KAP_CALL KapPVRIsRecording(int32_t) {
  return kap::State().recording.load();
}

KAP_API int32_t KAP_CALL KapClose(int32_t) {
  return Guarded(kKapOk, [] { return kap::CloseSession(); });
}

KAP_API int32_t KAP_CALL KapGetFirstChannel(int32_t, int32_t* cursor, KapChannelInfo* out) {
  return Guarded(kKapNoMoreEntries, [&] { return kap::GetFirstChannel(cursor, out); });
}

KAP_API int32_t KAP_CALL KapGetNextChannel(int32_t, int32_t* cursor, KapChannelInfo* out) {
  return Guarded(kKapNoMoreEntries, [&] { return kap::GetNextChannel(cursor, out); });
}

KAP_API int32_t KAP_CALL KapGetFirstReservation(int32_t, int32_t* cursor, KapRecordInfo* out) {
  return Guarded(kKapNoMoreEntries, [&] { return kap::GetFirstReservation(cursor, out); });
}

KAP_API int32_t KAP_CALL KapGetNextReservation(int32_t, int32_t* cursor, KapRecordInfo* out) {
  return Guarded(kKapNoMoreEntries, [&] { return kap::GetNextReservation(cursor, out); });
}

KAP_API int32_t KAP_CALL KapSetReservation(int32_t, KapRecordInfo* in) {
  return Guarded(kKapBadParameters, [&] { return kap::SetReservation(in); });
}

KAP_API int32_t KAP_CALL KapSetReservationEx(int32_t, KapRecordInfo* in) {
  return Guarded(kKapBadParameters, [&] { return kap::SetReservationEx(in); });
}

KAP_API int32_t KAP_CALL KapDeleteReservation(int32_t, int32_t id) {
  return Guarded(kKapNoSuchId, [&] { return kap::DeleteReservation(id); });
}

KAP_API int32_t KAP_CALL KapGetFirstRecorded(int32_t, int32_t* cursor, KapRecordInfo* out) {
  return Guarded(kKapNoMoreEntries, [&] { return kap::GetFirstRecorded(cursor, out); });
}

KAP_API int32_t KAP_CALL KapGetNextRecorded(int32_t, int32_t* cursor, KapRecordInfo* out) {
  return Guarded(kKapNoMoreEntries, [&] { return kap::GetNextRecorded(cursor, out); });
}

KAP_API int32_t KAP_CALL KapDeleteRecorded(int32_t, int32_t id) {
  return Guarded(kKapNoSuchId, [&] { return kap::DeleteRecorded(id); });
}

KAP_API int32_t KAP_CALL KapSetMemoRecorded(int32_t, int32_t id, const char* memo) {
  return Guarded(kKapNoSuchId, [&] { return kap::SetMemoRecorded(id, memo); });
}

KAP_API int32_t KAP_CALL KapSetNameRecorded(int32_t, int32_t id, const char* name) {
  return Guarded(kKapNoSuchId, [&] { return kap::SetNameRecorded(id, name); });
}

KAP_API int32_t KAP_CALL KapGetDiskSpaceLeft(int32_t, uint64_t* bytes) {
  return Guarded(kKapNoMoreEntries, [&] { return kap::GetDiskSpaceLeft(bytes); });
}

KAP_API int32_t KAP_CALL KapGetDiskSpaceRequired(int32_t, int32_t mode, uint32_t minutes,
                                                 uint64_t* bytes) {
  return Guarded(kKapNoMoreEntries,
                 [&] { return kap::GetDiskSpaceRequired(mode, minutes, bytes); });
}

}  // extern "C"
