// A KAP.dll that exports only its first nine entries, up to KapDeleteReservation: a library
// from which CapsDub cannot bind KapGetFirstRecorded and what follows it.
#include <cstdint>

#define KAP_EXPORT extern "C" __declspec(dllexport) std::int32_t __stdcall

KAP_EXPORT KapOpen(std::int32_t* session) {
  *session = 1;
  return 0;
}
KAP_EXPORT KapClose(std::int32_t) {
  return 0;
}
KAP_EXPORT KapGetFirstChannel(std::int32_t, std::int32_t*, void*) {
  return -2;
}
KAP_EXPORT KapGetNextChannel(std::int32_t, std::int32_t*, void*) {
  return -2;
}
KAP_EXPORT KapGetFirstReservation(std::int32_t, std::int32_t*, void*) {
  return -2;
}
KAP_EXPORT KapGetNextReservation(std::int32_t, std::int32_t*, void*) {
  return -2;
}
KAP_EXPORT KapSetReservation(std::int32_t, void*) {
  return -8;
}
KAP_EXPORT KapSetReservationEx(std::int32_t, void*) {
  return -8;
}
KAP_EXPORT KapDeleteReservation(std::int32_t, std::int32_t) {
  return -9;
}
