// The version-information reader: against version blocks that the tests write into copies of
// this program, and against CapsDub's own block, linked into this program.
#include "ui/about/version_info.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "capsdub_version.h"
#include "platform/codepage.h"

namespace capsdub {
namespace {

// One node of a version block: key, value, children. Text values count in characters,
// binary values in bytes.
struct Node {
  std::wstring key;
  std::vector<std::uint8_t> value;
  bool text = true;
  std::vector<Node> children;
};

void Align4(std::vector<std::uint8_t>& out) {
  while (out.size() % 4 != 0) out.push_back(0);
}

void PutWord(std::vector<std::uint8_t>& out, std::size_t at, std::size_t word) {
  out[at] = static_cast<std::uint8_t>(word & 0xFF);
  out[at + 1] = static_cast<std::uint8_t>((word >> 8) & 0xFF);
}

void Serialise(const Node& node, std::vector<std::uint8_t>& out) {
  Align4(out);
  const std::size_t start = out.size();
  out.resize(out.size() + 6);
  PutWord(out, start + 2, node.text ? node.value.size() / 2 : node.value.size());
  PutWord(out, start + 4, node.text ? 1 : 0);
  for (wchar_t c : node.key) {
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  out.push_back(0);
  out.push_back(0);
  if (!node.value.empty()) {
    Align4(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
  }
  for (const Node& child : node.children) Serialise(child, out);
  PutWord(out, start, out.size() - start);
}

std::vector<std::uint8_t> Text(const std::wstring& s) {
  std::vector<std::uint8_t> bytes;
  for (wchar_t c : s) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

Node String(const std::wstring& key, const std::wstring& value) {
  return Node{key, Text(value), true, {}};
}

Node Table(const std::wstring& key, std::vector<Node> strings) {
  return Node{key, {}, true, std::move(strings)};
}

// A VarFileInfo with the given translation entries (language, code page).
Node Translations(const std::vector<std::pair<WORD, WORD>>& entries) {
  std::vector<std::uint8_t> value;
  for (auto [language, code_page] : entries) {
    value.push_back(static_cast<std::uint8_t>(language & 0xFF));
    value.push_back(static_cast<std::uint8_t>(language >> 8));
    value.push_back(static_cast<std::uint8_t>(code_page & 0xFF));
    value.push_back(static_cast<std::uint8_t>(code_page >> 8));
  }
  return Node{L"VarFileInfo", {}, true, {Node{L"Translation", value, false, {}}}};
}

// A whole block: fixed information, the string tables, then the translation list if any.
std::vector<std::uint8_t> Block(std::vector<Node> tables, const Node* translations) {
  VS_FIXEDFILEINFO fixed{};
  fixed.dwSignature = 0xFEEF04BD;
  fixed.dwStrucVersion = 0x00010000;
  const auto* raw = reinterpret_cast<const std::uint8_t*>(&fixed);
  Node root{L"VS_VERSION_INFO", std::vector<std::uint8_t>(raw, raw + sizeof fixed), false, {}};
  root.children.push_back(Node{L"StringFileInfo", {}, true, std::move(tables)});
  if (translations != nullptr) root.children.push_back(*translations);
  std::vector<std::uint8_t> out;
  Serialise(root, out);
  return out;
}

std::wstring OwnFileName() {
  wchar_t name[MAX_PATH * 4];
  const DWORD got = GetModuleFileNameW(nullptr, name, static_cast<DWORD>(std::size(name)));
  return std::wstring(name, got);
}

// A copy of this program in the temporary folder whose only resource is `block` (none when
// empty); removed again at the end of the test.
class VersionFile : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const auto& file : files_) DeleteFileW(file.c_str());
  }

  std::wstring Write(const std::vector<std::uint8_t>& block) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring file = std::wstring(folder) + L"capsdub_version_" +
                              std::to_wstring(GetCurrentProcessId()) + L"_" +
                              std::to_wstring(files_.size()) + L".exe";
    EXPECT_TRUE(CopyFileW(OwnFileName().c_str(), file.c_str(), FALSE));
    files_.push_back(file);
    HANDLE update = BeginUpdateResourceW(file.c_str(), TRUE);
    EXPECT_NE(update, nullptr);
    if (!block.empty()) {
      EXPECT_TRUE(UpdateResourceW(update, MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(1),
                                  MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                  const_cast<std::uint8_t*>(block.data()),
                                  static_cast<DWORD>(block.size())));
    }
    EXPECT_TRUE(EndUpdateResourceW(update, FALSE));
    return file;
  }

  std::vector<std::wstring> files_;
};

bool AllEmpty(TVersion version) {
  for (std::size_t i = 0; i < kVersionKeys.size(); ++i) {
    if (!VersionField(version, i).empty()) return false;
  }
  return true;
}

const std::pair<WORD, WORD> kJapanese{0x0411, 932};
const std::pair<WORD, WORD> kEnglish{0x0409, 1200};

// The fixed version words of a file's version block as "a.b.c.d", and its block; empty when
// the file has none.
struct FixedVersion {
  std::string file, product;
  std::vector<BYTE> block;
};

FixedVersion ReadFixedVersion(const std::wstring& file) {
  FixedVersion result;
  DWORD ignored = 0;
  result.block.resize(GetFileVersionInfoSizeW(file.c_str(), &ignored));
  if (result.block.empty() ||
      !GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(result.block.size()),
                           result.block.data())) {
    return {};
  }
  void* value = nullptr;
  UINT size = 0;
  if (!VerQueryValueW(result.block.data(), L"\\", &value, &size)) return {};
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  auto text = [](DWORD ms, DWORD ls) {
    return std::to_string(HIWORD(ms)) + "." + std::to_string(LOWORD(ms)) + "." +
           std::to_string(HIWORD(ls)) + "." + std::to_string(LOWORD(ls));
  };
  result.file = text(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
  result.product = text(fixed->dwProductVersionMS, fixed->dwProductVersionLS);
  return result;
}

TEST(VersionInfo, CapsDubsOwnBlock) {
  const TVersion version = GetVersionInfo(OwnFileName());
  EXPECT_EQ(version.ProductName, "\x83\x4a\x83\x76\x83\x58\x83\x5f\x83\x75");  // カプスダブ
  EXPECT_FALSE(version.LegalCopyright.empty());
  EXPECT_EQ(version.OriginalFileName, "CapsDub.exe");  // written "OriginalFilename"
  EXPECT_TRUE(version.SCRNSAVE.empty());

  // One translation, Japanese in Shift-JIS.
  const FixedVersion fixed = ReadFixedVersion(OwnFileName());
  ASSERT_FALSE(fixed.block.empty());
  void* value = nullptr;
  UINT size = 0;
  ASSERT_TRUE(VerQueryValueW(fixed.block.data(), L"\\VarFileInfo\\Translation", &value, &size));
  ASSERT_EQ(size, 4u);
  EXPECT_EQ(static_cast<const WORD*>(value)[0], 0x0411);
  EXPECT_EQ(static_cast<const WORD*>(value)[1], 932);
}

// The version written once in the build (project()) is the one in the version resources of
// the programs as built, in their texts and in their fixed version words.
TEST(VersionInfo, ShippedFilesCarryTheProjectsVersion) {
  const std::wstring own = OwnFileName();
  const std::wstring shipped = own.substr(0, own.find_last_of(L'\\') + 1) + L"shipped\\";
  for (const std::wstring& file : {own, shipped + L"CapsDub.exe", shipped + L"KAP.dll"}) {
    SCOPED_TRACE(platform::WideToSjis(file));
    const TVersion version = GetVersionInfo(file);
    EXPECT_EQ(version.FileVersion, CAPSDUB_VERSION_TEXT);
    EXPECT_EQ(version.ProductVersion, CAPSDUB_VERSION_TEXT);
    const FixedVersion fixed = ReadFixedVersion(file);
    EXPECT_EQ(fixed.file, CAPSDUB_VERSION_TEXT);
    EXPECT_EQ(fixed.product, CAPSDUB_VERSION_TEXT);
  }
}

TEST_F(VersionFile, ElevenKeysInOrderWhateverTheirLetterCase) {
  std::vector<Node> strings;
  for (std::size_t i = 0; i < kVersionKeys.size(); ++i) {
    std::wstring key = kVersionKeys[i];
    // Every second key in another letter case.
    if (i % 2 == 1) {
      for (wchar_t& c : key) c = iswupper(c) ? towlower(c) : towupper(c);
    }
    strings.push_back(String(key, L"value " + std::to_wstring(i)));
  }
  strings.push_back(String(L"Unknown", L"ignored"));
  const Node translations = Translations({kJapanese});
  const TVersion version =
      GetVersionInfo(Write(Block({Table(L"041103A4", strings)}, &translations)));
  TVersion copy = version;
  for (std::size_t i = 0; i < kVersionKeys.size(); ++i) {
    EXPECT_EQ(VersionField(copy, i), "value " + std::to_string(i)) << i;
  }
}

TEST_F(VersionFile, MissingKeysStayEmptyAndJapaneseConvertsToShiftJis) {
  const Node translations = Translations({kJapanese});
  const TVersion version = GetVersionInfo(Write(Block(
      {Table(L"041103A4", {String(L"ProductName", L"カプスダブ"), String(L"FileVersion", L"")})},
      &translations)));
  EXPECT_EQ(version.ProductName, "\x83\x4a\x83\x76\x83\x58\x83\x5f\x83\x75");
  EXPECT_EQ(version.FileVersion, "");
  EXPECT_EQ(version.CompanyName, "");
  EXPECT_EQ(version.LegalCopyright, "");
}

TEST_F(VersionFile, OnlyTheFirstTranslationEntryCounts) {
  const std::vector<Node> tables = {Table(L"040904B0", {String(L"ProductName", L"English")})};
  // The first entry names a table that is not there; the second names the one that is.
  const Node japanese_first = Translations({kJapanese, kEnglish});
  EXPECT_TRUE(AllEmpty(GetVersionInfo(Write(Block(tables, &japanese_first)))));
  const Node english_first = Translations({kEnglish, kJapanese});
  EXPECT_EQ(GetVersionInfo(Write(Block(tables, &english_first))).ProductName, "English");
}

TEST_F(VersionFile, NoTranslationEntryLeavesAllEmpty) {
  const std::vector<Node> tables = {Table(L"041103A4", {String(L"ProductName", L"x")})};
  EXPECT_TRUE(AllEmpty(GetVersionInfo(Write(Block(tables, nullptr)))));
  const Node empty_list = Translations({});
  EXPECT_TRUE(AllEmpty(GetVersionInfo(Write(Block(tables, &empty_list)))));
}

TEST_F(VersionFile, ValuesEndAtTheFirstNulAndAt256Characters) {
  const std::wstring long_value = std::wstring(250, L'a') + L"カプスダブ" + std::wstring(100, L'b');
  const std::wstring exact(256, L'c');
  const Node translations = Translations({kJapanese});
  const TVersion version = GetVersionInfo(Write(
      Block({Table(L"041103A4", {String(L"Comments", long_value), String(L"ProductName", exact),
                                 String(L"FileVersion", std::wstring(L"1.0\0hidden", 10))})},
            &translations)));
  // 250 + 5 + 1: the five katakana are kept whole, two bytes each in Shift-JIS.
  EXPECT_EQ(version.Comments,
            std::string(250, 'a') + "\x83\x4a\x83\x76\x83\x58\x83\x5f\x83\x75" + "b");
  EXPECT_EQ(version.ProductName, std::string(256, 'c'));
  EXPECT_EQ(version.FileVersion, "1.0");
}

TEST_F(VersionFile, NoVersionInformationOrNoFileLeavesAllEmpty) {
  EXPECT_TRUE(AllEmpty(GetVersionInfo(Write({}))));
  EXPECT_TRUE(AllEmpty(GetVersionInfo(L"C:\\no such folder\\no such file.exe")));
  EXPECT_TRUE(AllEmpty(GetVersionInfo(L"")));
}

}  // namespace
}  // namespace capsdub
