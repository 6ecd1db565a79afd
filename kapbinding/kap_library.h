// Loading KAP.dll at run time from Reel Keeper's installation folder and binding its entries
// by name. The library stays loaded until the program ends. Used from the main thread only.
#pragma once

#include <stdexcept>
#include <string>

#include "kapbinding/kap_entries.h"

namespace capsdub {

// The loaded library lacks one of the entries CapsDub binds. what() is
// "Assertion failure (<binding source>, line <N>)", N telling which entry was missing.
class KapBindingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reel Keeper's installation folder as the registry holds it, from the value "InstalledPath" of
// HKEY_LOCAL_MACHINE\Software\Orvan Corporation\Tessaly; empty when the key or value is
// missing or is not a string. Always empty outside Windows.
std::wstring KapInstallFolderWide();
// The same in Shift-JIS; empty also when it names a folder that Shift-JIS cannot write.
std::string KapInstallFolder();

// Loads "KAP.DLL" and binds its entries, once: true when the library is usable (at once, when
// it already was). An empty `folder` means KapInstallFolder(). When `folder` holds KAP.DLL it
// is made current while the library loads, so that the system's search finds the library and
// its companions there; the caller's current directory is restored afterwards. A library that
// lacks an entry is freed again and KapBindingError is thrown; nothing stays bound. Throws
// platform::IoError when `folder` holds KAP.DLL but cannot be made current. Always false
// outside Windows.
bool LoadKapLibrary(const std::string& folder);

// The bound entries; all null unless LoadKapLibrary returned true.
const KapEntries& KapLibraryEntries();

}  // namespace capsdub
