// Loading and binding of KAP.dll for kapctl.
#include "kap/kapctl/kap_library.h"

#include <array>

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

KapLibrary::~KapLibrary() {
  if (module_ != nullptr) FreeLibrary(module_);
}

std::wstring HostInstallFolder() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Orvan Corporation\\Tessaly", 0, KEY_READ,
                    &key) != ERROR_SUCCESS) {
    return {};
  }
  std::array<wchar_t, 2048> buffer{};
  DWORD type = 0;
  DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
  const LSTATUS status = RegQueryValueExW(key, L"InstalledPath", nullptr, &type,
                                          reinterpret_cast<BYTE*>(buffer.data()), &bytes);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) return {};
  return buffer.data();
}

bool KapLibrary::Load(std::wstring* error) {
  if (module_ == nullptr) module_ = LoadLibraryW(L"KAP.dll");
  if (module_ == nullptr) {
    std::wstring folder = HostInstallFolder();
    if (!folder.empty()) {
      if (folder.back() != L'\\') folder += L'\\';
      module_ = LoadLibraryW((folder + L"KAP.dll").c_str());
    }
  }
  if (module_ == nullptr) {
    *error = L"KAP.dll cannot be loaded";
    return false;
  }
  return Bind(module_, "KapOpen", Open, error) && Bind(module_, "KapClose", Close, error) &&
         Bind(module_, "KapPVRIsRecording", IsRecording, error) &&
         Bind(module_, "KapGetFirstChannel", GetFirstChannel, error) &&
         Bind(module_, "KapGetNextChannel", GetNextChannel, error) &&
         Bind(module_, "KapGetFirstReservation", GetFirstReservation, error) &&
         Bind(module_, "KapGetNextReservation", GetNextReservation, error) &&
         Bind(module_, "KapSetReservation", SetReservation, error) &&
         Bind(module_, "KapSetReservationEx", SetReservationEx, error) &&
         Bind(module_, "KapDeleteReservation", DeleteReservation, error) &&
         Bind(module_, "KapGetFirstRecorded", GetFirstRecorded, error) &&
         Bind(module_, "KapGetNextRecorded", GetNextRecorded, error) &&
         Bind(module_, "KapDeleteRecorded", DeleteRecorded, error) &&
         Bind(module_, "KapSetMemoRecorded", SetMemoRecorded, error) &&
         Bind(module_, "KapSetNameRecorded", SetNameRecorded, error) &&
         Bind(module_, "KapGetDiskSpaceLeft", GetDiskSpaceLeft, error) &&
         Bind(module_, "KapGetDiskSpaceRequired", GetDiskSpaceRequired, error);
}

}  // namespace capsdub::kapctl
