// KAP.dll is a Windows library: outside Windows there is no installation folder and nothing
// to load, so capsule deletion is unavailable.
#include "kapbinding/kap_library.h"

namespace capsdub {

std::wstring KapInstallFolderWide() {
  return {};
}

std::string KapInstallFolder() {
  return {};
}

bool LoadKapLibrary(const std::string& /*folder*/) {
  return false;
}

const KapEntries& KapLibraryEntries() {
  static const KapEntries none;
  return none;
}

}  // namespace capsdub
