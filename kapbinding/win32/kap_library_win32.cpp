// Loading and binding of KAP.dll on Windows: the installation folder from the registry, the
// library loaded by its bare name with that folder current, and its entries looked up by name.
#include <windows.h>

// windows.h maps SetCurrentDirectory to SetCurrentDirectoryW; the platform function keeps its name.
#undef SetCurrentDirectory

#include <string>
#include <utility>

#include "kapbinding/kap_library.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "ui/text/text_utils.h"
#include "ui/win32/handles.h"

namespace capsdub {
namespace {

// The source named in the text of a missing-entry failure, and the line numbers that tell the
// entries apart: KapOpen's, then 4 more for each entry after it.
constexpr char kBindingSource[] = "kapbinding\\win32\\kap_library_win32.cpp";
constexpr int kFirstEntryLine = 640;
constexpr int kEntryLineStep = 4;

// The binding's module-wide state. It lives until the program ends, and its destruction then
// frees the library.
struct Binding {
  win32::Module library;
  bool loaded = false;
  KapEntries entries;
};

Binding& State() {
  static Binding binding;
  return binding;
}

std::string AssertionText(int line) {
  return std::string("Assertion failure") + " (" + kBindingSource + ", line " +
         std::to_string(line) + ")";
}

// Looks up the entry `name`, the `index`-th in binding order.
template <typename Proc>
void BindEntry(HMODULE module, const char* name, int index, Proc& entry) {
  const FARPROC address = ::GetProcAddress(module, name);
  if (address == nullptr) {
    throw KapBindingError(AssertionText(kFirstEntryLine + kEntryLineStep * index));
  }
  // The export's type is the one kap.h declares for it.
  entry = reinterpret_cast<Proc>(reinterpret_cast<void*>(address));
}

KapEntries BindEntries(HMODULE module) {
  KapEntries e;
  int index = 0;
  BindEntry(module, "KapOpen", index++, e.KapOpen);
  BindEntry(module, "KapClose", index++, e.KapClose);
  BindEntry(module, "KapGetFirstChannel", index++, e.KapGetFirstChannel);
  BindEntry(module, "KapGetNextChannel", index++, e.KapGetNextChannel);
  BindEntry(module, "KapGetFirstReservation", index++, e.KapGetFirstReservation);
  BindEntry(module, "KapGetNextReservation", index++, e.KapGetNextReservation);
  BindEntry(module, "KapSetReservation", index++, e.KapSetReservation);
  BindEntry(module, "KapSetReservationEx", index++, e.KapSetReservationEx);
  BindEntry(module, "KapDeleteReservation", index++, e.KapDeleteReservation);
  BindEntry(module, "KapGetFirstRecorded", index++, e.KapGetFirstRecorded);
  BindEntry(module, "KapGetNextRecorded", index++, e.KapGetNextRecorded);
  BindEntry(module, "KapDeleteRecorded", index++, e.KapDeleteRecorded);
  BindEntry(module, "KapSetMemoRecorded", index++, e.KapSetMemoRecorded);
  BindEntry(module, "KapSetNameRecorded", index++, e.KapSetNameRecorded);
  BindEntry(module, "KapGetDiskSpaceLeft", index++, e.KapGetDiskSpaceLeft);
  BindEntry(module, "KapGetDiskSpaceRequired", index++, e.KapGetDiskSpaceRequired);
  return e;
}

}  // namespace

std::wstring KapInstallFolderWide() {
  HKEY opened = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Orvan Corporation\\Tessaly", 0,
                      KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
    return {};
  }
  const win32::RegistryKey key(opened);
  std::wstring value;
  DWORD type = 0;
  DWORD bytes = 0;
  LSTATUS status = ::RegQueryValueExW(key.get(), L"InstalledPath", nullptr, &type, nullptr, &bytes);
  // The value may grow between the two queries; ask again with the size now reported.
  while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    if (type != REG_SZ) return {};
    value.assign(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    status = ::RegQueryValueExW(key.get(), L"InstalledPath", nullptr, &type,
                                reinterpret_cast<BYTE*>(value.data()), &bytes);
    if (status == ERROR_SUCCESS) {
      if (type != REG_SZ) return {};
      value.resize(bytes / sizeof(wchar_t));
      // The stored string need not end in a NUL, or may carry several.
      const auto end = value.find(L'\0');
      if (end != std::wstring::npos) value.resize(end);
      return value;
    }
  }
  return {};
}

std::string KapInstallFolder() {
  bool lossy = false;
  std::string folder = platform::WideToSjis(KapInstallFolderWide(), &lossy);
  // A folder that Shift-JIS cannot name cannot be reached through the core's paths.
  return lossy ? std::string() : folder;
}

bool LoadKapLibrary(const std::string& folder) {
  Binding& state = State();
  if (state.loaded) return true;

  const platform::CurrentDirectoryRestorer restore;
  const std::string install = folder.empty() ? KapInstallFolder() : folder;
  if (!install.empty()) {
    const std::string library_path = WithTrailingBackslash(install) + "KAP.DLL";
    if (platform::FileExists(library_path) && !platform::SetCurrentDirectory(install)) {
      throw platform::IoError("cannot make the folder of KAP.DLL current: " + install);
    }
  }

  // By bare name, so that the system's search order applies, the current directory included;
  // a missing companion library gives a failure here, not a system error box.
  const UINT old_mode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  win32::Module library(::LoadLibraryW(L"KAP.DLL"));
  ::SetErrorMode(old_mode);
  if (library.get() == nullptr) return false;

  // A library without every entry is not used at all: it is freed again (the local owner) and
  // nothing stays bound.
  const KapEntries entries = BindEntries(library.get());
  state.library = std::move(library);
  state.entries = entries;
  state.loaded = true;
  return true;
}

const KapEntries& KapLibraryEntries() {
  return State().entries;
}

}  // namespace capsdub
