// The dubs that must not lead to a deletion, and the clean one that must: one capsule of a
// generated host dubbed with "削除する" ticked while a segment file is deleted after the
// listing, refuses to open, is cut short during the copy, or an output changes between the
// copy and its read-back. Run natively with a recording deleter and, under Wine, through the
// real KAP.dll and the stand-in host libraries.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "dubbing/capsule_deleter.h"
#include "tests/dubbing/test_support.h"
#include "tools/samplegen/sample_host.h"

namespace capsdub::testing {

// What the job must show for a case.
enum class DeletionExpectation {
  kDeleted,      // handed to the deleter; no box
  kIncomplete,   // "ダビング不完全エラー " + the status text; not handed to the deleter
  kVerifyError,  // "ダビング検証エラー " + the .mpg path; not handed to the deleter
  kStopped,      // stopped during the read-back: no box, not handed to the deleter
};

// The host of one case: a capsule 0005 "Keep Me" in two media segments and one index
// segment, loaded into a window, selected, with its catalogue size lowered to 1 KB so that
// the size check alone would let any dub through.
struct DeletionHost {
  std::string host;  // the host folder
  std::string out;   // the save folder
  samplegen::HostLayout layout;
  FakeWindow window;

  const samplegen::CapsuleLayout& capsule() const { return layout.capsules.front(); }
  std::string SegmentPath(std::size_t position) const;
  std::string MpgPath() const { return out + "Keep Me.mpg"; }
};

struct DeletionCase {
  std::string name;
  // Sets the fault up once the host is loaded (through the platform's test seam, the files,
  // or the window's scripted input).
  std::function<void(DeletionHost&)> arrange;
  DeletionExpectation expected;
  // A status text the job must show (Shift-JIS) and its colour; no check when empty.
  std::function<std::string(const DeletionHost&)> status;
  Colour status_colour = kColourRed;
};

std::vector<DeletionCase> DeletionCases();
inline void PrintTo(const DeletionCase& c, std::ostream* os) {
  *os << c.name;
}

// Writes the host under `scratch` (with the stand-ins' own files when `standin`) and loads
// it into `host.window`.
void PrepareDeletionHost(const ScratchFolder& scratch, bool standin, DeletionHost& host);

// Arranges the case, runs the job with `deleter` and checks what the window showed and that
// the output files are kept. Faults are reset afterwards.
void RunDeletionCase(const DeletionCase& c, DeletionHost& host, CapsuleDeleter& deleter);

}  // namespace capsdub::testing
