// Loading and binding of KAP.dll for kapctl.
#include "kap/kapctl/kap_library.h"

#include "kapbinding/kap_library.h"

namespace capsdub::kapctl {
namespace {

template <typename Proc>
bool Bind(HMODULE module, const char* name, Proc& proc, std::wstring* error) {
  // The library's exports are looked up by name; their types come from kap.h.
  proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  if (proc != nullptr) return true;
  *error = L"KAP.dll does not export ";
  for (const char* c = name; *c != '\0'; ++c) error->push_back(static_cast<wchar_t>(*c));
  return false;
}

}  // namespace

bool KapLibrary::Load(std::wstring* error) {
  if (!module_) module_.reset(LoadLibraryW(L"KAP.dll"));
  if (!module_) {
    // Reel Keeper's installation folder, read as CapsDub's binding reads it.
    std::wstring folder = KapInstallFolderWide();
    if (!folder.empty()) {
      if (folder.back() != L'\\') folder += L'\\';
      module_.reset(LoadLibraryW((folder + L"KAP.dll").c_str()));
    }
  }
  if (!module_) {
    *error = L"KAP.dll cannot be loaded";
    return false;
  }
  const HMODULE module = module_.get();
  return Bind(module, "KapOpen", Open, error) && Bind(module, "KapClose", Close, error) &&
         Bind(module, "KapPVRIsRecording", IsRecording, error) &&
         Bind(module, "KapGetFirstChannel", GetFirstChannel, error) &&
         Bind(module, "KapGetNextChannel", GetNextChannel, error) &&
         Bind(module, "KapGetFirstReservation", GetFirstReservation, error) &&
         Bind(module, "KapGetNextReservation", GetNextReservation, error) &&
         Bind(module, "KapSetReservation", SetReservation, error) &&
         Bind(module, "KapSetReservationEx", SetReservationEx, error) &&
         Bind(module, "KapDeleteReservation", DeleteReservation, error) &&
         Bind(module, "KapGetFirstRecorded", GetFirstRecorded, error) &&
         Bind(module, "KapGetNextRecorded", GetNextRecorded, error) &&
         Bind(module, "KapDeleteRecorded", DeleteRecorded, error) &&
         Bind(module, "KapSetMemoRecorded", SetMemoRecorded, error) &&
         Bind(module, "KapSetNameRecorded", SetNameRecorded, error) &&
         Bind(module, "KapGetDiskSpaceLeft", GetDiskSpaceLeft, error) &&
         Bind(module, "KapGetDiskSpaceRequired", GetDiskSpaceRequired, error);
}

}  // namespace capsdub::kapctl
