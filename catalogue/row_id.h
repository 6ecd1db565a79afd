// The identity of a catalogue row, shared by the tables and the selection.
#pragma once

#include <cstdint>

namespace capsdub {

// Identity of a catalogue row: a counter assigned when the row is added, so it records the
// order in which the scan added the rows.
using RowId = std::uint64_t;

}  // namespace capsdub
