// The version-information reader over the system's version functions.
#include "ui/about/version_info.h"

#include <cstdio>
#include <vector>

#include "platform/codepage.h"

namespace capsdub {
namespace {

// The 8-character key of a string table: language and code page as upper-case hexadecimal.
std::wstring StringTableKey(WORD language, WORD code_page) {
  wchar_t key[9];
  std::swprintf(key, 9, L"%04X%04X", static_cast<unsigned>(language),
                static_cast<unsigned>(code_page));
  return key;
}

}  // namespace

std::string& VersionField(TVersion& version, std::size_t index) {
  std::string* fields[] = {
      &version.CompanyName,      &version.FileDescription, &version.FileVersion,
      &version.InternalName,     &version.LegalCopyright,  &version.LegalTrademarks,
      &version.OriginalFileName, &version.ProductName,     &version.ProductVersion,
      &version.Comments,         &version.SCRNSAVE};
  return *fields[index];
}

void ReadVersionResource(const std::wstring& file_name, TVersion& version) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file_name.c_str(), &ignored);
  if (size == 0) return;
  std::vector<BYTE> block(size);  // freed on every path
  if (!GetFileVersionInfoW(file_name.c_str(), 0, size, block.data())) return;

  void* translation = nullptr;
  UINT translation_size = 0;
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &translation,
                      &translation_size) ||
      translation == nullptr || translation_size < 2 * sizeof(WORD)) {
    return;
  }
  const auto* entry = static_cast<const WORD*>(translation);
  const std::wstring table = L"\\StringFileInfo\\" + StringTableKey(entry[0], entry[1]) + L"\\";

  for (std::size_t i = 0; i < kVersionKeys.size(); ++i) {
    void* value = nullptr;
    UINT length = 0;  // in characters
    const std::wstring path = table + kVersionKeys[i];
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || value == nullptr) {
      continue;
    }
    const auto* text = static_cast<const wchar_t*>(value);
    std::size_t n = 0;
    while (n < length && n < kVersionValueLimit && text[n] != L'\0') ++n;
    VersionField(version, i) = platform::WideToSjis(std::wstring_view(text, n));
  }
}

TVersion GetVersionInfo(const std::wstring& file_name) {
  TVersion version;
  ReadVersionResource(file_name, version);
  return version;
}

}  // namespace capsdub
