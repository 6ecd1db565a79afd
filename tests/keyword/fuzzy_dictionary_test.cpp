// The fuzzy character dictionary: the reader of its stored form, and the stored groups
// checked against their readable text.
#include "dubbing/keyword/fuzzy_dictionary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.h"
#include "ui/text/sjis.h"

namespace capsdub::keyword {
namespace {

struct ParseCase {
  std::string line;
  std::vector<std::string> items;
};

TEST(FuzzyDictionaryTest, ReadsTheStoredFormWithItsQuotingRules) {
  const ParseCase cases[] = {
      {"a,b,c", {"a", "b", "c"}},
      {"a,", {"a", ""}},
      {",a", {"", "a"}},
      {"", {""}},
      {"\"a,b\",c", {"a,b", "c"}},
      {"\" \",\"\x81\x40\"", {" ", "\x81\x40"}},
      {"\"\"\"\",\x81\x68", {"\"", "\x81\x68"}},
      {"\"x\"\"y\"", {"x\"y"}},
      {"\"\",a", {"", "a"}},
      {"\"a\"b,c", {"ab", "c"}},
      {"a\"b,c", {"a\"b", "c"}},
      {"\"open,x", {"open,x"}},
      {"\x83\x5c,\x83\x5d", {"\x83\x5c", "\x83\x5d"}},  // ソ, ゾ: second bytes \ and ]
  };
  for (const ParseCase& c : cases) EXPECT_EQ(ParseStoredGroup(c.line), c.items) << c.line;
}

TEST(FuzzyDictionaryTest, HoldsTheGroupsInOrderAsWellFormedShiftJis) {
  const std::vector<FuzzyGroup>& groups = FuzzyGroups();
  ASSERT_EQ(groups.size(), 145u);
  ASSERT_EQ(StoredGroupCount(), 145u);
  for (std::size_t g = 0; g < groups.size(); ++g) {
    EXPECT_GE(groups[g].items.size(), 2u) << "row " << g + 1;
    for (std::size_t i = 0; i < groups[g].items.size(); ++i) {
      const std::string& item = groups[g].items[i];
      const bool row49_tail = g == 48 && i + 1 == groups[g].items.size();
      EXPECT_EQ(item.empty(), row49_tail) << "row " << g + 1 << " item " << i + 1;
      for (std::size_t pos = 0; pos < item.size(); pos += CharLengthAt(item, pos)) {
        const auto byte = static_cast<unsigned char>(item[pos]);
        EXPECT_FALSE(IsLeadByte(byte) && CharLengthAt(item, pos) != 2)
            << "row " << g + 1 << " has a cut double-byte character";
      }
    }
  }
}

struct RowCase {
  std::size_t row;  // 1-based, as in the dictionary
  std::vector<std::string> items_utf8;
};

TEST(FuzzyDictionaryTest, RowsReadAsTheirJapaneseText) {
  const RowCase rows[] = {
      {1, {"Ａ", "ａ", "A", "a"}},
      {26, {"Ｚ", "ｚ", "Z", "z"}},
      {27, {"0", "０", "零"}},
      {28, {"1", "１", "一", "①", "Ⅰ", "壱"}},
      {36, {"9", "９", "九", "⑨", "Ⅸ"}},
      {37, {"　", " "}},
      {39, {"\"", "”"}},
      {44, {"'", "’"}},
      {49, {"ー", "～", "ｰ", ""}},
      {50, {"-", "ー", "－", "～", "ｰ"}},
      {61, {"\\", "￥"}},
      {68, {"~", "￣"}},
      {69, {",", "､", "、", "，"}},
      {70, {"｡", ".", "。", "．"}},
      {73, {"ん", "ン", "ﾝ"}},
      {80, {"じ", "ジ", "ｼﾞ", "し゛", "シ゛", "ぢ", "ヂ", "ﾁﾞ", "ち゛", "チ゛"}},
      {81, {"ず", "ズ", "ｽﾞ", "ス゛", "ス゛", "づ", "ヅ", "ﾂﾞ", "つ゛", "ツ゛"}},
      {91, {"ぼ", "ボ", "ﾎﾞ", "ほ゛", "ホ゛", "ヴォ", "う゛ぉ", "ウ゛ォ", "ｳﾞｫ"}},
      {96, {"ぽ", "ポ", "ﾎﾟ", "ほ゜", "ホ゜"}},
      {114, {"つ", "ツ", "ﾂ", "っ", "ッ", "ｯ"}},
      {143, {"を", "ヲ", "ｦ", "うぉ", "ウォ", "ｳｫ"}},
      {144, {"ﾞ", "゛"}},
      {145, {"ﾟ", "゜"}},
  };
  for (const RowCase& r : rows) {
    const FuzzyGroup& group = FuzzyGroups().at(r.row - 1);
    std::vector<std::string> items_utf8;
    for (const std::string& item : group.items) {
      bool lossy = false;
      items_utf8.push_back(platform::SjisToUtf8(item, &lossy));
      EXPECT_FALSE(lossy) << "row " << r.row;
    }
    EXPECT_EQ(items_utf8, r.items_utf8) << "row " << r.row;
  }
}

}  // namespace
}  // namespace capsdub::keyword
