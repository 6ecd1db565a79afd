// The main window's settings: the sections and keys written, reading them back, the
// screen-size keys, design-time values, damaged values and write failures.
#include "app/settings/form_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/profile.h"
#include "tests/settings/profile_fixture.h"

namespace capsdub {
namespace {

using Lines = std::vector<std::string>;
using testing::ProfileTest;

// Shift-JIS "D:\録画\" and "E:\表示\" (表 ends in the byte 0x5C, like a backslash).
const std::string kRecordings = "D:\\\x98\x5e\x89\xe6\\";
const std::string kDisplay = "E:\\\x95\x5c\x8e\xa6\\";
// The same texts in UTF-8, as the file shows them.
const std::string kRecordingsUtf8 = "D:\\\xe9\x8c\xb2\xe7\x94\xbb\\";
const std::string kDisplayUtf8 = "E:\\\xe8\xa1\xa8\xe7\xa4\xba\\";

FormSettings SampleSettings() {
  FormSettings s;
  WindowPlacementSetting p;
  p.flags = 2;
  p.show_cmd = 3;
  p.pixels_per_inch = 120;
  const int min_max[4] = {-1, -1, -8, -8};
  const int norm[4] = {10, 20, 671, 523};
  std::copy(min_max, min_max + 4, p.min_max_pos);
  std::copy(norm, norm + 4, p.norm_pos);
  s.placement = p;
  s.PathReelKeeper_Text = kRecordings;
  s.DBMemo1_Height = 120;
  s.ExportTo_ItemIndex = 1;
  s.PathMPEGSave_Items = {kDisplay, "F:\\out\\"};
  s.PathMPEGSave_Text = kDisplay;
  return s;
}

TEST_F(ProfileTest, WritesTheFormStorageSectionsKeysAndValues) {
  ASSERT_TRUE(WriteFormSettings(file(), SampleSettings(), 1024, 768));
  ASSERT_TRUE(WriteGridColumns(file(), {{"FileName", 0, 40}, {"Title", 1, 215}}));
  Catalogue catalogue;
  catalogue.SortField = "FileSize";
  catalogue.SortMarker = 2;
  ASSERT_TRUE(SaveSortState(file(), catalogue));

  auto sections = Sections();
  EXPECT_EQ(
      sections[".\\CapsGrid.INI"],
      (Lines{"FormVersion=0", "Flags=2", "ShowCmd=3", "PixelsPerInch=120", "MinMaxPos=-1,-1,-8,-8",
             "MinMaxPos(1024x768)=-1,-1,-8,-8", "NormPos=10,20,671,523",
             "NormPos(1024x768)=10,20,671,523", "PathReelKeeper_Text=" + kRecordingsUtf8,
             "DBMemo1_Height=120", "ExportTo_ItemIndex=1", "PathMPEGSave_Text=" + kDisplayUtf8}));
  EXPECT_EQ(sections[".\\CapsGrid.INI.PathMPEGSave_Items"],
            (Lines{"Count=2", "Item0=" + kDisplayUtf8, "Item1=F:\\out\\"}));
  EXPECT_EQ(sections[".\\CapsGrid.INI\\TForm1RxDBGrid1"],
            (Lines{"RxDBGrid1.FileName=0,40", "RxDBGrid1.Title=1,215"}));
  EXPECT_EQ(sections["etc"], (Lines{"Sort Field=FileSize", "Sort Marker=2"}));
  EXPECT_EQ(sections.size(), 4u);
}

TEST_F(ProfileTest, ReadsBackWhatWasWrittenJapaneseIncluded) {
  const FormSettings written = SampleSettings();
  ASSERT_TRUE(WriteFormSettings(file(), written, 1024, 768));
  const FormSettings read = ReadFormSettings(file(), 1024, 768);
  ASSERT_TRUE(read.placement.has_value());
  EXPECT_EQ(read.placement->flags, 2);
  EXPECT_EQ(read.placement->show_cmd, 3);
  EXPECT_EQ(read.placement->pixels_per_inch, 120);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(read.placement->min_max_pos[i], written.placement->min_max_pos[i]);
    EXPECT_EQ(read.placement->norm_pos[i], written.placement->norm_pos[i]);
  }
  EXPECT_EQ(read.PathReelKeeper_Text, kRecordings);
  EXPECT_EQ(read.DBMemo1_Height, 120);
  EXPECT_EQ(read.ExportTo_ItemIndex, 1);
  EXPECT_EQ(read.PathMPEGSave_Items, written.PathMPEGSave_Items);
  EXPECT_EQ(read.PathMPEGSave_Text, kDisplay);

  // An empty text is a stored value, not a missing one.
  FormSettings empty = written;
  empty.PathReelKeeper_Text.clear();
  ASSERT_TRUE(WriteFormSettings(file(), empty, 1024, 768));
  EXPECT_EQ(ReadFormSettings(file(), 1024, 768).PathReelKeeper_Text, "");
}

TEST_F(ProfileTest, PlacementPrefersTheKeysOfTheScreenSize) {
  FormSettings small = SampleSettings();
  FormSettings large = SampleSettings();
  large.placement->norm_pos[2] = 1200;
  large.placement->min_max_pos[0] = 5;
  ASSERT_TRUE(WriteFormSettings(file(), small, 1024, 768));
  ASSERT_TRUE(WriteFormSettings(file(), large, 1280, 1024));

  EXPECT_EQ(ReadFormSettings(file(), 1024, 768).placement->norm_pos[2], 671);
  EXPECT_EQ(ReadFormSettings(file(), 1024, 768).placement->min_max_pos[0], -1);
  EXPECT_EQ(ReadFormSettings(file(), 1280, 1024).placement->norm_pos[2], 1200);
  // No keys for this size: the plain keys, which hold the last write.
  const auto other = ReadFormSettings(file(), 800, 600);
  EXPECT_EQ(other.placement->norm_pos[2], 1200);
  EXPECT_EQ(other.placement->min_max_pos[0], 5);

  // A damaged key for this size falls back to the plain key.
  ASSERT_TRUE(
      platform::WriteProfileValue(file(), ".\\CapsGrid.INI", "NormPos(1024x768)", "10,20,oops"));
  EXPECT_EQ(ReadFormSettings(file(), 1024, 768).placement->norm_pos[2], 1200);
}

TEST_F(ProfileTest, MissingFileGivesDesignTimeValues) {
  const FormSettings s = ReadFormSettings(file(), 1024, 768);
  EXPECT_FALSE(s.placement.has_value());
  EXPECT_EQ(s.PathReelKeeper_Text, "D:\\Reel Keeper\\");
  EXPECT_EQ(s.DBMemo1_Height, 89);
  EXPECT_EQ(s.ExportTo_ItemIndex, 0);
  EXPECT_TRUE(s.PathMPEGSave_Items.empty());
  EXPECT_EQ(s.PathMPEGSave_Text, "");
  EXPECT_TRUE(ReadGridColumns(file()).empty());

  Catalogue catalogue;
  catalogue.SortField = "Title";
  catalogue.SortMarker = 2;
  LoadSortState(file(), catalogue);
  EXPECT_EQ(catalogue.SortField, "FileDateTime");
  EXPECT_EQ(catalogue.SortMarker, 1);
  EXPECT_TRUE(RawBytes().empty());  // reading makes no file
}

TEST_F(ProfileTest, DamagedValuesKeepTheDesignTimeValue) {
  WriteRaw(
      "[.\\CapsGrid.INI]\n"
      "NormPos=1,2,3\n"
      "Flags=7\n"
      "DBMemo1_Height=abc\n"
      "ExportTo_ItemIndex=1x\n"
      "PathReelKeeper_Text=  \"C:\\RK\\\"  \n"
      "[.\\CapsGrid.INI.PathMPEGSave_Items]\n"
      "Count=2000000000\n"
      "Item0=A:\\\n"
      "Item1=B:\\\n"
      "[.\\CapsGrid.INI\\TForm1RxDBGrid1]\n"
      "RxDBGrid1.Title=2,215\n"
      "RxDBGrid1.Channel=5\n"
      "RxDBGrid1.FileSize=$1,0x7C\n"
      "RxDBGrid1.=1,1\n"
      "Other.Title=0,1\n");
  const FormSettings s = ReadFormSettings(file(), 1024, 768);
  EXPECT_FALSE(s.placement.has_value()) << "a normal rectangle of three numbers is none";
  EXPECT_EQ(s.DBMemo1_Height, 89);
  EXPECT_EQ(s.ExportTo_ItemIndex, 0);
  EXPECT_EQ(s.PathReelKeeper_Text, "C:\\RK\\");  // blanks and quotes around a value go
  // A huge count reads the entries that are there, at once.
  EXPECT_EQ(s.PathMPEGSave_Items, (Lines{"A:\\", "B:\\"}));

  const auto columns = ReadGridColumns(file());
  ASSERT_EQ(columns.size(), 2u);
  EXPECT_EQ(columns[0].field, "FileSize");
  EXPECT_EQ(columns[0].index, 1);
  EXPECT_EQ(columns[0].width, 124);
  EXPECT_EQ(columns[1].field, "Title");
  EXPECT_EQ(columns[1].index, 2);
}

TEST_F(ProfileTest, SortStateRoundTripsAndFallsBackAsAWhole) {
  Catalogue catalogue;
  catalogue.SortField = "Title";
  catalogue.SortMarker = 2;
  ASSERT_TRUE(SaveSortState(file(), catalogue));
  Catalogue read;
  read.SortMarker = 0;
  LoadSortState(file(), read);
  EXPECT_EQ(read.SortField, "Title");
  EXPECT_EQ(read.SortMarker, 2);

  // An empty field name is kept as it is.
  catalogue.SortField.clear();
  ASSERT_TRUE(SaveSortState(file(), catalogue));
  LoadSortState(file(), read);
  EXPECT_EQ(read.SortField, "");

  // Only the low byte of the marker counts.
  ASSERT_TRUE(platform::WriteProfileValue(file(), "etc", "Sort Marker", "257"));
  LoadSortState(file(), read);
  EXPECT_EQ(read.SortMarker, 1);

  // A marker that is no number makes the section unreadable: the stored field goes too.
  ASSERT_TRUE(platform::WriteProfileValue(file(), "etc", "Sort Field", "Channel"));
  ASSERT_TRUE(platform::WriteProfileValue(file(), "etc", "Sort Marker", "down"));
  LoadSortState(file(), read);
  EXPECT_EQ(read.SortField, "FileDateTime");
  EXPECT_EQ(read.SortMarker, 1);
}

TEST_F(ProfileTest, HistoryAndGridSectionsAreRewrittenNotMerged) {
  FormSettings s = SampleSettings();
  s.PathMPEGSave_Items = {"A:\\", "B:\\", "C:\\"};
  ASSERT_TRUE(WriteFormSettings(file(), s, 1024, 768));
  s.PathMPEGSave_Items = {kRecordings};
  ASSERT_TRUE(WriteFormSettings(file(), s, 1024, 768));
  EXPECT_EQ(Sections()[".\\CapsGrid.INI.PathMPEGSave_Items"],
            (Lines{"Count=1", "Item0=" + kRecordingsUtf8}));
  EXPECT_EQ(ReadFormSettings(file(), 1024, 768).PathMPEGSave_Items, Lines{kRecordings});

  s.PathMPEGSave_Items.clear();
  ASSERT_TRUE(WriteFormSettings(file(), s, 1024, 768));
  EXPECT_EQ(Sections().count(".\\CapsGrid.INI.PathMPEGSave_Items"), 0u);
  EXPECT_TRUE(ReadFormSettings(file(), 1024, 768).PathMPEGSave_Items.empty());

  ASSERT_TRUE(WriteGridColumns(file(), {{"Title", 0, 100}, {"Channel", 1, 96}}));
  ASSERT_TRUE(WriteGridColumns(file(), {{"Memo", 0, 50}}));
  EXPECT_EQ(Sections()[".\\CapsGrid.INI\\TForm1RxDBGrid1"], Lines{"RxDBGrid1.Memo=0,50"});
  // The other sections are untouched by the grid's rewrite.
  EXPECT_EQ(ReadFormSettings(file(), 1024, 768).PathReelKeeper_Text, kRecordings);
}

TEST_F(ProfileTest, WriteFailuresAreReportedNotThrown) {
  // A file inside a "folder" that is a plain file cannot be made on any system.
  const std::filesystem::path blocker = std::filesystem::path(platform::ProfilePath(file()));
  std::filesystem::create_directories(blocker.parent_path());
  std::ofstream(blocker) << "not a folder";
  std::string inside = blocker.string();
#ifdef _WIN32
  inside += "\\CapsDub.INI";
#else
  inside += "/CapsDub.INI";
#endif
  bool ok = true;
  EXPECT_NO_THROW(ok = WriteFormSettings(inside, SampleSettings(), 1024, 768));
  EXPECT_FALSE(ok);
  EXPECT_FALSE(WriteGridColumns(inside, {{"Title", 0, 1}}));
  EXPECT_FALSE(SaveSortState(inside, Catalogue{}));
  EXPECT_EQ(ReadFormSettings(inside, 1024, 768).DBMemo1_Height, 89);
}

TEST(SettingsFileName, BaseNameWithIniExtension) {
  const struct {
    const char* path;
    const char* file;
  } cases[] = {
      {"C:\\Program Files\\CapsDub\\CapsDub.exe", "CapsDub.INI"},
      {"CapsDub.exe", "CapsDub.INI"},
      {"C:\\Tools\\CapsDub", "CapsDub.INI"},
      {"C:\\a.b\\prog", "prog.INI"},
      {"C:prog.v2.exe", "prog.v2.INI"},
      {"/opt/capsdub/capsdub-cli", "capsdub-cli.INI"},
      // 表 (0x95 0x5C) in a folder and in the name: its second byte is no separator.
      {"D:\\\x95\x5c\\CapsDub.exe", "CapsDub.INI"},
      {"D:\\\x95\x5c.exe", "\x95\x5c.INI"},
  };
  for (const auto& c : cases) EXPECT_EQ(SettingsFileName(c.path), c.file) << c.path;
}

}  // namespace
}  // namespace capsdub
