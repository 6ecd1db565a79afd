// The test seam's state: one set of faults for the whole process.
#include "platform/fault_injection.h"

namespace capsdub::platform::testing {

Faults& ActiveFaults() {
  static Faults faults;
  return faults;
}

void ResetFaults() {
  ActiveFaults() = Faults{};
}

}  // namespace capsdub::platform::testing
