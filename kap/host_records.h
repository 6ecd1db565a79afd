// Records handed out by Reel Keeper's database library, held so that they are released on every
// path, and the small helpers that the exports share.
#pragma once

#include <cstdint>
#include <memory>

#include "kap/host/rkdb.h"
#include "kap/kap.h"
#include "kap/session.h"

namespace capsdub::kap {

struct TapeRecordRelease {
  HWND db;
  void operator()(RvcrTapeInfo* record) const { RVCRFreeTape(db, record); }
};
struct ReserveRecordRelease {
  HWND db;
  void operator()(RvcrReserveInfo* record) const { RVCRFreeReserve(db, record); }
};
using TapeRecord = std::unique_ptr<RvcrTapeInfo, TapeRecordRelease>;
using ReserveRecord = std::unique_ptr<RvcrReserveInfo, ReserveRecordRelease>;

// The capsule or reservation record of `id`; empty when the host does not supply it.
TapeRecord ReadTapeRecord(HWND db, std::int32_t id);
ReserveRecord ReadReserveRecord(HWND db, std::int32_t id);

// The host database handle of the session.
inline HWND Database() {
  return State().ops_window;
}

// True when the version words of the record and of its start, end and channel are all 1.
bool VersionsAreOne(const KapRecordInfo* record);

// Fills `out` from capsule `id`: 0, -1 (a version word is not 1, checked before any host call)
// or -2 (the host does not supply the capsule).
std::int32_t FillFromCapsule(HWND db, std::int32_t id, KapRecordInfo* out);

}  // namespace capsdub::kap
