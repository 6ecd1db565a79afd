/* Public interface of KAP.dll, the recording-reservation library: the records that cross it,
   its result codes and its 17 functions. Every function uses the Windows standard calling
   convention and is exported under its undecorated name; every function but KapOpen takes the
   session token written by KapOpen as its first argument and ignores it. Records are allocated
   by the caller, packed and little-endian, and begin with a version word that must be 1. */
#ifndef CAPSDUB_KAP_KAP_H_
#define CAPSDUB_KAP_KAP_H_

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(KAP_BUILD)
#define KAP_API __declspec(dllexport)
#else
#define KAP_API
#endif
#define KAP_CALL __stdcall

/* Result codes, shared by all functions. */
enum {
  kKapOk = 0,
  kKapBadVersion = -1,       /* a record passed in does not carry version 1 */
  kKapNoMoreEntries = -2,    /* no (further) entry, or the host failed to supply it */
  kKapReservedUnknown = -3,  /* never returned */
  kKapReservationLimit = -4, /* no more reservations can be made */
  kKapNameExists = -5,       /* a reservation or recording of the same name exists */
  kKapNoDiskSpace = -6,      /* no disk space could be assigned to the reservation */
  kKapOverlap = -7,          /* never returned by this library */
  kKapBadParameters = -8,    /* reservation parameters rejected */
  kKapNoSuchId = -9,         /* the capsule or reservation was not changed or deleted */
  kKapBadMode = -10,         /* recording mode other than 1, 2 or 3 */
  kKapTooClose = -11,        /* start time too close to now */
  kKapInUse = -20,           /* the session cannot be opened (in use) */
  kKapProtected = -21,       /* never returned by this library */
  kKapLoadFailed = -100      /* used by callers that could not load the library */
};

#pragma pack(push, 1)

/* One channel, as listed by KapGetFirstChannel and embedded in KapRecordInfo. */
typedef struct KapChannelInfo {
  uint16_t version; /* 1 */
  uint16_t number;  /* channel number; 0 marks the end of the channel table */
  uint16_t number2; /* second channel number */
  char name[256];   /* Shift-JIS, NUL-terminated */
} KapChannelInfo;

typedef struct KapTime {
  uint16_t version; /* 1 */
  uint16_t year;    /* four digits */
  uint8_t month;    /* 1-12 (0 is read as January) */
  uint8_t day;
  uint8_t hour;   /* 0-23 */
  uint8_t minute; /* 0-59 */
} KapTime;

/* A recorded capsule or a reservation. */
typedef struct KapRecordInfo {
  uint16_t version; /* 1 */
  uint16_t unused;
  int32_t id; /* capsule id, or reservation id for reservations (output) */
  KapTime start;
  KapTime end;
  uint16_t mode; /* recording mode 1, 2 or 3 */
  KapChannelInfo channel;
  char title[256]; /* Shift-JIS, NUL-terminated */
  char memo[4096]; /* Shift-JIS, NUL-terminated; at most 3839 bytes of text come back */
} KapRecordInfo;

#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(KapChannelInfo) == 262, "KapChannelInfo is 262 bytes");
static_assert(offsetof(KapChannelInfo, number) == 2, "KapChannelInfo layout");
static_assert(offsetof(KapChannelInfo, number2) == 4, "KapChannelInfo layout");
static_assert(offsetof(KapChannelInfo, name) == 6, "KapChannelInfo layout");
static_assert(sizeof(KapTime) == 8, "KapTime is 8 bytes");
static_assert(offsetof(KapTime, year) == 2, "KapTime layout");
static_assert(offsetof(KapTime, month) == 4, "KapTime layout");
static_assert(offsetof(KapTime, minute) == 7, "KapTime layout");
static_assert(sizeof(KapRecordInfo) == 4640, "KapRecordInfo is 4640 bytes");
static_assert(offsetof(KapRecordInfo, id) == 4, "KapRecordInfo layout");
static_assert(offsetof(KapRecordInfo, start) == 8, "KapRecordInfo layout");
static_assert(offsetof(KapRecordInfo, end) == 16, "KapRecordInfo layout");
static_assert(offsetof(KapRecordInfo, mode) == 24, "KapRecordInfo layout");
static_assert(offsetof(KapRecordInfo, channel) == 26, "KapRecordInfo layout");
static_assert(offsetof(KapRecordInfo, channel) + offsetof(KapChannelInfo, number) == 28,
              "KapRecordInfo layout");
static_assert(offsetof(KapRecordInfo, channel) + offsetof(KapChannelInfo, name) == 32,
              "KapRecordInfo layout");
static_assert(offsetof(KapRecordInfo, title) == 288, "KapRecordInfo layout");
static_assert(offsetof(KapRecordInfo, memo) == 544, "KapRecordInfo layout");
#endif

/* Null pointers are refused without touching anything: KapOpen returns kKapInUse, a null
   record gives kKapBadVersion, a null cursor or output gives kKapNoMoreEntries, a null memo
   or name gives kKapNoSuchId. */

/* Session. KapOpen writes 1 to *session once the session lock is held. */
KAP_API int32_t KAP_CALL KapOpen(int32_t* session);
KAP_API int32_t KAP_CALL KapPVRIsRecording(int32_t session);
KAP_API int32_t KAP_CALL KapClose(int32_t session);

/* Channels of the table loaded at KapOpen. */
KAP_API int32_t KAP_CALL KapGetFirstChannel(int32_t session, int32_t* cursor, KapChannelInfo* out);
KAP_API int32_t KAP_CALL KapGetNextChannel(int32_t session, int32_t* cursor, KapChannelInfo* out);

/* Reservations. */
KAP_API int32_t KAP_CALL KapGetFirstReservation(int32_t session, int32_t* cursor,
                                                KapRecordInfo* out);
KAP_API int32_t KAP_CALL KapGetNextReservation(int32_t session, int32_t* cursor,
                                               KapRecordInfo* out);
KAP_API int32_t KAP_CALL KapSetReservation(int32_t session, KapRecordInfo* in);
KAP_API int32_t KAP_CALL KapSetReservationEx(int32_t session, KapRecordInfo* in);
KAP_API int32_t KAP_CALL KapDeleteReservation(int32_t session, int32_t id);

/* Recorded capsules. */
KAP_API int32_t KAP_CALL KapGetFirstRecorded(int32_t session, int32_t* cursor, KapRecordInfo* out);
KAP_API int32_t KAP_CALL KapGetNextRecorded(int32_t session, int32_t* cursor, KapRecordInfo* out);
KAP_API int32_t KAP_CALL KapDeleteRecorded(int32_t session, int32_t id);
KAP_API int32_t KAP_CALL KapSetMemoRecorded(int32_t session, int32_t id, const char* memo);
KAP_API int32_t KAP_CALL KapSetNameRecorded(int32_t session, int32_t id, const char* name);

/* Disk space. */
KAP_API int32_t KAP_CALL KapGetDiskSpaceLeft(int32_t session, uint64_t* bytes);
KAP_API int32_t KAP_CALL KapGetDiskSpaceRequired(int32_t session, int32_t mode, uint32_t minutes,
                                                 uint64_t* bytes);

/* Pointer types for callers that look the functions up by name. */
typedef int32_t(KAP_CALL* KapOpenProc)(int32_t*);
typedef int32_t(KAP_CALL* KapSessionProc)(int32_t);
typedef int32_t(KAP_CALL* KapChannelEnumProc)(int32_t, int32_t*, KapChannelInfo*);
typedef int32_t(KAP_CALL* KapRecordEnumProc)(int32_t, int32_t*, KapRecordInfo*);
typedef int32_t(KAP_CALL* KapSetReservationProc)(int32_t, KapRecordInfo*);
typedef int32_t(KAP_CALL* KapIdProc)(int32_t, int32_t);
typedef int32_t(KAP_CALL* KapSetTextProc)(int32_t, int32_t, const char*);
typedef int32_t(KAP_CALL* KapDiskSpaceLeftProc)(int32_t, uint64_t*);
typedef int32_t(KAP_CALL* KapDiskSpaceRequiredProc)(int32_t, int32_t, uint32_t, uint64_t*);

#ifdef __cplusplus
}
#endif

#endif /* CAPSDUB_KAP_KAP_H_ */
