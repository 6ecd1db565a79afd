// Where the stand-in libraries find the host folder (Reel Keeper's data folder, the one
// CapsDub reads): the environment variable CAPSDUB_STANDIN_DATA when it is set, otherwise the
// string value "StandInDataPath" beside Reel Keeper's own values under
// HKEY_LOCAL_MACHINE\Software\Orvan Corporation\Tessaly.
#pragma once

#include <optional>
#include <string>

namespace capsdub::hostsim {

inline constexpr const char* kDataFolderVariable = "CAPSDUB_STANDIN_DATA";
inline constexpr const wchar_t* kTessalyKey = L"Software\\Orvan Corporation\\Tessaly";
inline constexpr const wchar_t* kDataFolderValue = L"StandInDataPath";

// The configured host folder (Shift-JIS), looked up anew at every call; nullopt when nothing
// is configured or the folder does not exist.
std::optional<std::string> FindHostFolder();

}  // namespace capsdub::hostsim
