// The keyword test and the fuzzy rewriting, on Japanese titles. The cases are written in UTF-8
// and converted to Shift-JIS once, as the program sees them.
#include "dubbing/keyword/keyword_match.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace capsdub {
namespace {

std::string Sjis(std::string_view utf8) {
  const std::optional<std::string> sjis = platform::Utf8ToSjis(utf8);
  if (!sjis) {
    ADD_FAILURE() << "not convertible to Shift-JIS: " << utf8;
    return {};
  }
  return *sjis;
}

struct KeywordCase {
  const char* keyword;
  const char* text;
  bool expected;
};

TEST(MatchKeywordTest, MatchesJapaneseTitles) {
  const KeywordCase cases[] = {
      // Plain occurrence.
      {"ニュース", "ＮＨＫニュース７", true},
      {"ドラマ", "金曜ロードショー", false},
      {"", "どんな題名でも", true},
      // Half-width katakana, the long-vowel mark that may be missing, the reverse direction.
      {"ﾆｭｰｽ", "ニュース", true},
      {"ﾆｭｰｽ", "ニュス", true},
      {"ニュース", "ﾆｭｰｽ7", true},
      {"ニュース", "にゅ～す", true},
      {"ニュース", "ニユース", true},   // small ュ is grouped with large ユ
      {"ニュース", "ニューズ", false},  // voiced ズ is another group
      {"コーヒー", "コピー", false},
      {"コーヒー", "ｺｰﾋｰ", true},
      {"コーヒー", "コヒ", true},
      // Full-width letters and case.
      {"News", "ＮＥＷＳ特集", true},
      {"news", "ＮＥＷＳ特集", true},
      {"ＡＢＣ", "abcニュース", true},
      {"News", "Ｎｅｗ", false},
      // Digits: full-width, circled, Roman, kanji.
      {"1", "第①話", true},
      {"1", "一期一会", true},
      {"第1話", "第一話", true},
      {"第1話", "第壱話", true},
      {"2", "ロッキーⅡ", true},
      {"0", "第2話", false},
      // Voiced kana in all their writings; voicing is never dropped.
      {"ｶﾞｲﾄﾞ", "ガイド", true},
      {"ｶﾞｲﾄﾞ", "がいど", true},
      {"ｶﾞｲﾄﾞ", "カ゛イト゛", true},
      {"ｶﾞｲﾄﾞ", "カイト", false},
      {"ず", "ス゛ー", true},
      {"ヴァイオリン", "バイオリン協奏曲", true},
      {"ｳﾞｨｰﾅｽ", "ビーナス", true},
      {"パン", "ﾊﾟﾝ屋", true},
      {"パン", "バン", false},
      {"゛", "ﾞ", true},
      // The first group with a fitting item wins: う and ぉ separately, not row うぉ.
      {"うぉ", "ウォーター", true},
      {"うぉ", "ヲ", false},
      // ー is the long-vowel group (which may be missing), not the hyphen group.
      {"Aー1", "A1", true},
      {"Aー1", "A-1", false},
      {"A-1", "Ａ－１", true},
      {"A-1", "Ａ１", false},
      // Symbols and punctuation, also when escaped.
      {"Ver\\.2", "Ｖｅｒ．２", true},
      {"Ver\\.2", "Ver。2", true},
      {"Ver\\.2", "Ver32", false},
      {"Ver.2", "Ver32", true},
      {"\\(", "（再）", true},
      {"\\\\", "￥１００", true},
      {"A B", "Ａ　Ｂ", true},
      {"\"", "”", true},
      {",", "東京、大阪", true},
      {"「", "『鬼』", true},
      // Expressions: alternation, anchors, repetition.
      {"ドラマ|映画", "金曜映画劇場", true},
      {"^ニュース", "ＮＨＫニュース", false},
      {"^ニュース", "ﾆｭｰｽ7", true},
      {"特集$", "ＮＥＷＳ特集", true},
      {"特集$", "特集ＮＥＷＳ", false},
      {"ガ+ン", "ｶﾞｶﾞﾝ", true},
      // Bracket expressions are kept as written: no fuzzy forms inside.
      {"[ab]", "a", true},
      {"[ab]", "ａｂ", false},
      {"[^ab]", "ａｂ", true},
      {"[^ab]", "abba", false},
      {"[ァ-ン]ニメ", "アニメ", true},
      {"[ァ-ン]ニメ", "あにめ", false},
      // Second bytes that look like metacharacters (ソ, 表, 能 end in a backslash).
      {"ソフト", "ｿﾌﾄ", true},
      {"表[示]", "表示", true},
      {"能+", "才能", true},
      // Invalid expressions: false without a message, unless the keyword occurs literally.
      {"a(", "ばなな", false},
      {"a(", "xa(y", true},
      {"(株", "(株)テレビ", true},
      {"(株", "株式", false},
      {"[z-a]", "abc", false},
  };
  for (const KeywordCase& c : cases) {
    EXPECT_EQ(MatchKeyword(Sjis(c.keyword), Sjis(c.text)), c.expected)
        << "keyword " << c.keyword << ", text " << c.text;
  }
}

TEST(MatchKeywordTest, LiteralStepMatchesOnlyWholeCharacters) {
  // "\x82" alone is the first byte of あ; "\xa0" alone its second.
  const std::string a = "\x82\xa0";  // あ
  EXPECT_FALSE(ContainsAtCharBoundaries(a, "\x82"));
  EXPECT_FALSE(ContainsAtCharBoundaries(a, "\xa0"));
  EXPECT_FALSE(MatchKeyword("\xa0", a));
  // ソ is 0x83 0x5C: a backslash, plain or escaped, is not found inside it.
  EXPECT_FALSE(MatchKeyword("\\", "\x83\x5c"));
  EXPECT_FALSE(MatchKeyword("\\\\", "\x83\x5c"));
  // 0x83 0x83 0x83 0x5C reads ャ followed by ソ: the second ソ-like pair starts mid-character.
  EXPECT_FALSE(ContainsAtCharBoundaries("\x83\x83\x83\x5c", "\x83\x83\x5c"));
  EXPECT_TRUE(ContainsAtCharBoundaries("\x83\x83\x83\x5c", "\x83\x5c"));
  // A stray lead byte at the end of the text is a character of its own.
  EXPECT_TRUE(MatchKeyword("\x88", "abc\x88"));
  EXPECT_TRUE(ContainsAtCharBoundaries("x", ""));
}

struct ExpandCase {
  const char* pattern;
  const char* expanded;
};

TEST(ExpandFuzzyTest, RewritesOrdinaryCharactersOnly) {
  const ExpandCase cases[] = {
      {"ﾆｭｰｽ", "(に|ニ|ﾆ)(ゆ|ユ|ﾕ|ゅ|ュ|ｭ)(ー|～|ｰ|)(す|ス|ｽ)"},
      {"ｶﾞ", "(が|ガ|ｶﾞ|か゛|カ゛)"},
      {"ヴァ", "(ば|バ|ﾊﾞ|は゛|ハ゛|ヴァ|う゛ぁ|ウ゛ァ|ｳﾞｧ)"},
      {"うぉ", "(う|ウ|ｳ|ぅ|ゥ|ｩ)(お|オ|ｵ|ぉ|ォ|ｫ)"},
      {"-", "(-|ー|－|～|ｰ)"},
      {"\\.", "(｡|\\.|。|．)"},
      {"\\\\", "(\\\\|￥)"},
      {"\"", "(\"|”)"},
      {",", "(,|､|、|，)"},
      {" ", "(　| )"},
      {"ab*", "(Ａ|ａ|A|a)(Ｂ|ｂ|B|b)*"},
      {"ｶﾞ*", "(が|ガ|ｶﾞ|か゛|カ゛)*"},
      {"(x|)", "((Ｘ|ｘ|X|x)|)"},
      {"^1$", "^(1|１|一|①|Ⅰ|壱)$"},
      {"[ab]c", "[ab](Ｃ|ｃ|C|c)"},
      {"[^ﾆ]ﾆ", "[^ﾆ](に|ニ|ﾆ)"},
      {"映画", "映画"},
      {"\\映", "\\映"},
      {"{", "({|｛)"},
      {"a(", "(Ａ|ａ|A|a)("},
      {"a\\", "(Ａ|ａ|A|a)\\"},
      {"[ab", "[ab"},
      // A run ends at an operator: ｶ cannot take ﾞ from the next run.
      {"ｶ|ﾞ", "(か|カ|ｶ)|(ﾞ|゛)"},
  };
  for (const ExpandCase& c : cases) {
    EXPECT_EQ(ExpandFuzzy(Sjis(c.pattern)), Sjis(c.expanded)) << c.pattern;
  }
}

}  // namespace
}  // namespace capsdub
