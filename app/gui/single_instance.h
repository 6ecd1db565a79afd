// One running instance of CapsDub: a named mutex marks it, and a second start brings the
// running instance's window back instead of opening another.
#pragma once

#include <string_view>

namespace capsdub {

// Waits a random 0 to max_delay_ms - 1 milliseconds (none when max_delay_ms <= 0), so that
// programs started together do not test at the same moment, then tests for the named marker
// `name` (Shift-JIS): false when it exists already or cannot be made, true when this call made
// it. The marker stays for the life of the process.
bool CheckSingleInstance(std::string_view name, int max_delay_ms = 1000);

// Looks for the running instance's main window (class "TForm1", title "カプスダブ") and sends
// its owner, or the window itself when it has none, the restore command. True when found.
bool RestoreRunningInstance();

}  // namespace capsdub
