// The window program's settings binding: the whole profile file it writes from a window state
// and a sort state, the state read back from it, a missing file, a placement that cannot be a
// window, the keys of the screen size, and a sort section that does not read.
#include "app/gui/settings_binding.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/codepage.h"

namespace capsdub {
namespace {

namespace fs = std::filesystem;

std::string Utf8(const std::wstring& wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                      nullptr, nullptr);
  return text;
}

std::wstring WideFromUtf8(const std::string& utf8) {
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

// Shift-JIS of a UTF-8 literal.
std::string Sjis(const std::string& utf8) {
  return platform::WideToSjis(WideFromUtf8(utf8));
}

// "Z:\録画\Reel Keeper\" and "E:\表示\" (表 ends in the byte 0x5C, like a backslash).
const std::string kHostUtf8 = "Z:\\録画\\Reel Keeper\\";
const std::string kSaveUtf8 = "E:\\表示\\";

// The sections of a profile file's text in file order, each with its non-blank lines: what a
// reader of the file sees, whatever blank lines or line ends the system writes between them.
using Section = std::pair<std::string, std::vector<std::string>>;
std::vector<Section> ParseSections(const std::string& text) {
  std::vector<Section> sections;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']') {
      sections.push_back({line.substr(1, line.size() - 2), {}});
    } else {
      if (sections.empty()) sections.push_back({"", {}});
      sections.back().second.push_back(line);
    }
  }
  return sections;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

// A profile file of its own, by bare name, so in the Windows directory like CapsDub.INI.
class SettingsBindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    file_ = std::string("CapsDubBindingTest-") + info->name() + "-" +
            std::to_string(GetCurrentProcessId()) + ".INI";
    wchar_t windows[MAX_PATH];
    const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    ASSERT_GT(n, 0u);
    path_ = fs::path(std::wstring(windows, n)) / file_;
    fs::remove(path_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove(path_, ignored);
  }

  // The file's text as UTF-8 (a UTF-16 file with a byte-order mark decoded).
  std::string Text() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string raw = bytes.str();
    if (raw.size() < 2 || static_cast<unsigned char>(raw[0]) != 0xFF ||
        static_cast<unsigned char>(raw[1]) != 0xFE)
      return raw;
    std::wstring wide((raw.size() - 2) / 2, L'\0');
    std::memcpy(wide.data(), raw.data() + 2, wide.size() * 2);
    return Utf8(wide);
  }
  // Replaces the file with ASCII lines (CR LF), as a user's editor would leave it.
  void WriteRaw(const std::string& lines) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out << Replace(lines, "\n", "\r\n");
  }

  // The placement keys of this screen, as the program sees it.
  static std::string ScreenSuffix() {
    return "(" + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" +
           std::to_string(GetSystemMetrics(SM_CYSCREEN)) + ")";
  }
  static int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
  }

  static ui::MainWindowState SampleState() {
    ui::MainWindowState state;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    placement.flags = WPF_RESTORETOMAXIMIZED;
    placement.showCmd = SW_SHOWMINIMIZED;
    placement.ptMinPosition = {3, 4};
    placement.ptMaxPosition = {-8, -9};
    placement.rcNormalPosition = {10, 20, 671, 523};
    state.placement = placement;
    state.PathReelKeeper_Text = Sjis(kHostUtf8);
    state.DBMemo1_Height = 120;
    state.ExportTo_ItemIndex = 1;
    state.PathMPEGSave_Items = {Sjis(kSaveUtf8), "F:\\out\\"};
    state.PathMPEGSave_Text = Sjis(kSaveUtf8);
    // In the grid's display order, which is not the order of the indexes.
    state.columns = {{"Title", 1, 215}, {"FileName", 0, 40}, {"Memo", 2, 300}};
    return state;
  }

  std::string file_;
  fs::path path_;
};

TEST_F(SettingsBindingTest, WritesTheWholeFileOfTheFormStorage) {
  ASSERT_TRUE(WriteWindowSettings(file_, SampleState()));
  Catalogue catalogue;
  catalogue.SortField = "FileSize";
  catalogue.SortMarker = 2;
  ProfileSortState(file_).Save(catalogue);

  // The screen size and the screen's pixels per inch are the program's surroundings; the
  // rest is the file as the form storage has always had it.
  const std::string expected = Replace(Replace(R"([.\CapsGrid.INI]
FormVersion=0
Flags=2
ShowCmd=2
PixelsPerInch=@DPI@
MinMaxPos=3,4,-8,-9
MinMaxPos@SCREEN@=3,4,-8,-9
NormPos=10,20,671,523
NormPos@SCREEN@=10,20,671,523
PathReelKeeper_Text=Z:\録画\Reel Keeper\
DBMemo1_Height=120
ExportTo_ItemIndex=1
PathMPEGSave_Text=E:\表示\

[.\CapsGrid.INI.PathMPEGSave_Items]
Count=2
Item0=E:\表示\
Item1=F:\out\

[.\CapsGrid.INI\TForm1RxDBGrid1]
RxDBGrid1.Title=1,215
RxDBGrid1.FileName=0,40
RxDBGrid1.Memo=2,300

[etc]
Sort Field=FileSize
Sort Marker=2
)",
                                               "@SCREEN@", ScreenSuffix()),
                                       "@DPI@", std::to_string(ScreenDpi()));
  EXPECT_EQ(ParseSections(Text()), ParseSections(expected)) << Text();

  // A second save rewrites the lists instead of adding to them.
  ui::MainWindowState fewer = SampleState();
  fewer.placement.reset();
  fewer.PathMPEGSave_Items = {"G:\\"};
  fewer.columns = {{"Channel", 0, 96}};
  ASSERT_TRUE(WriteWindowSettings(file_, fewer));
  std::map<std::string, std::vector<std::string>> sections;
  for (auto& [name, lines] : ParseSections(Text())) sections[name] = lines;
  EXPECT_EQ(sections.size(), 4u) << Text();
  EXPECT_EQ(sections[".\\CapsGrid.INI.PathMPEGSave_Items"],
            (std::vector<std::string>{"Count=1", "Item0=G:\\"}));
  EXPECT_EQ(sections[".\\CapsGrid.INI\\TForm1RxDBGrid1"],
            std::vector<std::string>{"RxDBGrid1.Channel=0,96"});
  // The placement stays as it was saved last.
  EXPECT_EQ(ReadWindowSettings(file_).placement->rcNormalPosition.right, 671);
}

TEST_F(SettingsBindingTest, ReadsBackTheStateItWrote) {
  const ui::MainWindowState written = SampleState();
  ASSERT_TRUE(WriteWindowSettings(file_, written));
  Catalogue sorted;
  sorted.SortField = "Channel";
  sorted.SortMarker = 2;
  ProfileSortState(file_).Save(sorted);

  const ui::MainWindowState read = ReadWindowSettings(file_);
  ASSERT_TRUE(read.placement.has_value());
  const WINDOWPLACEMENT& p = *read.placement;
  EXPECT_EQ(p.length, sizeof(WINDOWPLACEMENT));
  EXPECT_EQ(p.flags, static_cast<UINT>(WPF_RESTORETOMAXIMIZED));
  EXPECT_EQ(p.showCmd, static_cast<UINT>(SW_SHOWMINIMIZED));
  EXPECT_EQ(p.ptMinPosition.x, 3);
  EXPECT_EQ(p.ptMinPosition.y, 4);
  EXPECT_EQ(p.ptMaxPosition.x, -8);
  EXPECT_EQ(p.ptMaxPosition.y, -9);
  EXPECT_EQ(p.rcNormalPosition.left, 10);
  EXPECT_EQ(p.rcNormalPosition.top, 20);
  EXPECT_EQ(p.rcNormalPosition.right, 671);
  EXPECT_EQ(p.rcNormalPosition.bottom, 523);
  EXPECT_EQ(read.PathReelKeeper_Text, written.PathReelKeeper_Text);
  EXPECT_EQ(read.DBMemo1_Height, 120);
  EXPECT_EQ(read.ExportTo_ItemIndex, 1);
  EXPECT_EQ(read.PathMPEGSave_Items, written.PathMPEGSave_Items);
  EXPECT_EQ(read.PathMPEGSave_Text, written.PathMPEGSave_Text);
  // The columns come back in the order of their indexes.
  ASSERT_EQ(read.columns.size(), 3u);
  const char* fields[] = {"FileName", "Title", "Memo"};
  const int widths[] = {40, 215, 300};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(read.columns[i].field, fields[i]);
    EXPECT_EQ(read.columns[i].index, static_cast<int>(i));
    EXPECT_EQ(read.columns[i].width, widths[i]);
  }

  Catalogue catalogue;
  ProfileSortState(file_).Load(catalogue);
  EXPECT_EQ(catalogue.SortField, "Channel");
  EXPECT_EQ(catalogue.SortMarker, 2);
}

TEST_F(SettingsBindingTest, MissingFileGivesTheDesignTimeValuesAndMakesNoFile) {
  const ui::MainWindowState read = ReadWindowSettings(file_);
  EXPECT_FALSE(read.placement.has_value());
  EXPECT_EQ(read.PathReelKeeper_Text, "D:\\Reel Keeper\\");
  EXPECT_EQ(read.DBMemo1_Height, 89);
  EXPECT_EQ(read.ExportTo_ItemIndex, 0);
  EXPECT_TRUE(read.PathMPEGSave_Items.empty());
  EXPECT_EQ(read.PathMPEGSave_Text, "");
  EXPECT_TRUE(read.columns.empty());

  Catalogue catalogue;
  catalogue.SortField = "Title";
  catalogue.SortMarker = 2;
  ProfileSortState(file_).Load(catalogue);
  EXPECT_EQ(catalogue.SortField, "FileDateTime");
  EXPECT_EQ(catalogue.SortMarker, 1);
  EXPECT_FALSE(fs::exists(path_));
}

TEST_F(SettingsBindingTest, PlacementFromTheKeysOfThisScreenAndOnlyAsAWindow) {
  const std::string screen = ScreenSuffix();
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  const std::string swapped = "(" + std::to_string(height) + "x" + std::to_string(width) + ")";
  WriteRaw(
      "[.\\CapsGrid.INI]\n"
      "ShowCmd=3\n"
      "NormPos=1,2,3,4\n"
      "NormPos" +
      screen + "=30,40,500,400\n" +
      (width != height ? "NormPos" + swapped + "=5,6,7,8\n" : std::string()) + "MinMaxPos" +
      screen + "=-1,-1,-4,-4\n");
  ui::MainWindowState read = ReadWindowSettings(file_);
  ASSERT_TRUE(read.placement.has_value());
  EXPECT_EQ(read.placement->showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
  EXPECT_EQ(read.placement->rcNormalPosition.left, 30);
  EXPECT_EQ(read.placement->rcNormalPosition.right, 500);
  EXPECT_EQ(read.placement->ptMaxPosition.x, -4);

  // A rectangle without width or height keeps the design-time place; the other values read.
  for (const char* norm : {"100,100,100,300", "100,100,300,100", "300,100,100,200"}) {
    WriteRaw(std::string("[.\\CapsGrid.INI]\n"
                         "NormPos=") +
             norm +
             "\n"
             "DBMemo1_Height=60\n");
    read = ReadWindowSettings(file_);
    EXPECT_FALSE(read.placement.has_value()) << norm;
    EXPECT_EQ(read.DBMemo1_Height, 60) << norm;
  }
}

TEST_F(SettingsBindingTest, UnreadableSortSectionFallsBackAsAWholeAndAlone) {
  WriteRaw(
      "[.\\CapsGrid.INI]\n"
      "PathReelKeeper_Text=C:\\RK\\\n"
      "[etc]\n"
      "Sort Field=Title\n"
      "Sort Marker=2x\n");
  Catalogue catalogue;
  catalogue.SortField = "Memo";
  catalogue.SortMarker = 2;
  ProfileSortState(file_).Load(catalogue);
  EXPECT_EQ(catalogue.SortField, "FileDateTime");
  EXPECT_EQ(catalogue.SortMarker, 1);
  // The window's own section is still read.
  EXPECT_EQ(ReadWindowSettings(file_).PathReelKeeper_Text, "C:\\RK\\");

  // A readable section is taken as it is, a marker of a byte only.
  WriteRaw(
      "[etc]\n"
      "Sort Field=Title\n"
      "Sort Marker=$102\n");
  ProfileSortState(file_).Load(catalogue);
  EXPECT_EQ(catalogue.SortField, "Title");
  EXPECT_EQ(catalogue.SortMarker, 2);
}

TEST_F(SettingsBindingTest, AFileThatCannotBeWrittenIsReportedNotThrown) {
  // A file inside a "folder" that is a plain file.
  WriteRaw("[etc]\n");
  const std::string inside = platform::WideToSjis(path_.wstring()) + "\\CapsDub.INI";
  bool ok = true;
  EXPECT_NO_THROW(ok = WriteWindowSettings(inside, SampleState()));
  EXPECT_FALSE(ok);
  EXPECT_NO_THROW(ProfileSortState(inside).Save(Catalogue{}));
  EXPECT_EQ(ReadWindowSettings(inside).DBMemo1_Height, 89);
}

}  // namespace
}  // namespace capsdub
