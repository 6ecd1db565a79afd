// The fuzzy character dictionary in its stored text form, and the reader of that form.
#include "dubbing/keyword/fuzzy_dictionary.h"

#include <array>
#include <string_view>
#include <utility>

#include "ui/text/sjis.h"
#include "ui/text/sjis_literals.h"

namespace capsdub::keyword {
namespace {

// One line per group, in dictionary order, numbered in its comment. Rows 1-26 Latin letters,
// 27-36 digits, 37-72 symbols and punctuation, 73-143 kana (the voiced and semi-voiced kana
// with their decomposed writings before the plain ones), 144-145 the separate sound marks. Row 49
// ends with an empty item; row 81 holds the same writing twice.
// clang-format off
constexpr std::array<std::string_view, 145> kStoredGroups = {
  "Ａ,ａ,A,a",  // 1
  "Ｂ,ｂ,B,b",  // 2
  "Ｃ,ｃ,C,c",  // 3
  "Ｄ,ｄ,D,d",  // 4
  "Ｅ,ｅ,E,e",  // 5
  "Ｆ,ｆ,F,f",  // 6
  "Ｇ,ｇ,G,g",  // 7
  "Ｈ,ｈ,H,h",  // 8
  "Ｉ,ｉ,I,i",  // 9
  "Ｊ,ｊ,J,j",  // 10
  "Ｋ,ｋ,K,k",  // 11
  "Ｌ,ｌ,L,l",  // 12
  "Ｍ,ｍ,M,m",  // 13
  "Ｎ,ｎ,N,n",  // 14
  "Ｏ,ｏ,O,o",  // 15
  "Ｐ,ｐ,P,p",  // 16
  "Ｑ,ｑ,Q,q",  // 17
  "Ｒ,ｒ,R,r",  // 18
  "Ｓ,ｓ,S,s",  // 19
  "Ｔ,ｔ,T,t",  // 20
  "Ｕ,ｕ,U,u",  // 21
  "Ｖ,ｖ,V,v",  // 22
  "Ｗ,ｗ,W,w",  // 23
  "Ｘ,ｘ,X,x",  // 24
  "Ｙ,ｙ,Y,y",  // 25
  "Ｚ,ｚ,Z,z",  // 26
  "0,０,零",  // 27
  "1,１,一,①,Ⅰ,壱",  // 28
  "2,２,二,②,Ⅱ,弐",  // 29
  "3,３,三,③,Ⅲ,参",  // 30
  "4,４,四,④,Ⅳ",  // 31
  "5,５,五,⑤,Ⅴ,伍",  // 32
  "6,６,六,⑥,Ⅵ",  // 33
  "7,７,七,⑦,Ⅶ",  // 34
  "8,８,八,⑧,Ⅷ",  // 35
  "9,９,九,⑨,Ⅸ",  // 36
  "\"\x81\x40\",\" \"",  // 37: the full-width space and the space
  "!,！",  // 38
  "\"\"\"\",”",  // 39
  "#,＃",  // 40
  "$,＄",  // 41
  "%,％",  // 42
  "&,＆",  // 43
  "',’",  // 44
  "(,（",  // 45
  "),）",  // 46
  "*,＊",  // 47
  "+,＋",  // 48
  "ー,～,ｰ,",  // 49
  "-,ー,－,～,ｰ",  // 50
  "･,・",  // 51
  "/,／",  // 52
  ":,：",  // 53
  ";,；",  // 54
  "<,＜",  // 55
  "=,＝",  // 56
  ">,＞",  // 57
  "?,？",  // 58
  "@,＠",  // 59
  "[,［,〔",  // 60
  "\\,￥",  // 61
  "],］,〕",  // 62
  "^,＾",  // 63
  "_,＿",  // 64
  "{,｛",  // 65
  "|,｜",  // 66
  "},｝",  // 67
  "~,￣",  // 68
  "\",\",､,、,，",  // 69
  "｡,.,。,．",  // 70
  "「,『,｢",  // 71
  "」,』,｣",  // 72
  "ん,ン,ﾝ",  // 73
  "が,ガ,ｶﾞ,か゛,カ゛",  // 74
  "ぎ,ギ,ｷﾞ,き゛,キ゛",  // 75
  "ぐ,グ,ｸﾞ,く゛,ク゛",  // 76
  "げ,ゲ,ｹﾞ,け゛,ケ゛",  // 77
  "ご,ゴ,ｺﾞ,こ゛,コ゛",  // 78
  "ざ,ザ,ｻﾞ,さ゛,サ゛",  // 79
  "じ,ジ,ｼﾞ,し゛,シ゛,ぢ,ヂ,ﾁﾞ,ち゛,チ゛",  // 80
  "ず,ズ,ｽﾞ,ス゛,ス゛,づ,ヅ,ﾂﾞ,つ゛,ツ゛",  // 81
  "ぜ,ゼ,ｾﾞ,せ゛,セ゛",  // 82
  "ぞ,ゾ,ｿﾞ,そ゛,ソ゛",  // 83
  "だ,ダ,ﾀﾞ,た゛,タ゛",  // 84
  "で,デ,ﾃﾞ,て゛,テ゛",  // 85
  "ど,ド,ﾄﾞ,と゛,ト゛",  // 86
  "ば,バ,ﾊﾞ,は゛,ハ゛,ヴァ,う゛ぁ,ウ゛ァ,ｳﾞｧ",  // 87
  "び,ビ,ﾋﾞ,ひ゛,ヒ゛,ヴィ,う゛ぃ,ウ゛ィ,ｳﾞｨ",  // 88
  "ぶ,ブ,ﾌﾞ,ふ゛,フ゛,ヴ,ウ゛,う゛,ｳﾞ",  // 89
  "べ,ベ,ﾍﾞ,へ゛,ヘ゛,ヴェ,う゛ぇ,ウ゛ェ,ｳﾞｪ",  // 90
  "ぼ,ボ,ﾎﾞ,ほ゛,ホ゛,ヴォ,う゛ぉ,ウ゛ォ,ｳﾞｫ",  // 91
  "ぱ,パ,ﾊﾟ,は゜,ハ゜",  // 92
  "ぴ,ピ,ﾋﾟ,ひ゜,ヒ゜",  // 93
  "ぷ,プ,ﾌﾟ,ふ゜,フ゜",  // 94
  "ぺ,ペ,ﾍﾟ,へ゜,ヘ゜",  // 95
  "ぽ,ポ,ﾎﾟ,ほ゜,ホ゜",  // 96
  "あ,ア,ｱ,ぁ,ァ,ｧ",  // 97
  "い,イ,ｲ,ぃ,ィ,ｨ",  // 98
  "う,ウ,ｳ,ぅ,ゥ,ｩ",  // 99
  "え,エ,ｴ,ぇ,ェ,ｪ",  // 100
  "お,オ,ｵ,ぉ,ォ,ｫ",  // 101
  "か,カ,ｶ",  // 102
  "き,キ,ｷ",  // 103
  "く,ク,ｸ",  // 104
  "け,ケ,ｹ",  // 105
  "こ,コ,ｺ",  // 106
  "さ,サ,ｻ",  // 107
  "し,シ,ｼ",  // 108
  "す,ス,ｽ",  // 109
  "せ,セ,ｾ",  // 110
  "そ,ソ,ｿ",  // 111
  "た,タ,ﾀ",  // 112
  "ち,チ,ﾁ",  // 113
  "つ,ツ,ﾂ,っ,ッ,ｯ",  // 114
  "て,テ,ﾃ",  // 115
  "と,ト,ﾄ",  // 116
  "な,ナ,ﾅ",  // 117
  "に,ニ,ﾆ",  // 118
  "ぬ,ヌ,ﾇ",  // 119
  "ね,ネ,ﾈ",  // 120
  "の,ノ,ﾉ",  // 121
  "は,ハ,ﾊ",  // 122
  "ひ,ヒ,ﾋ",  // 123
  "ふ,フ,ﾌ",  // 124
  "へ,ヘ,ﾍ",  // 125
  "ほ,ホ,ﾎ",  // 126
  "ま,マ,ﾏ",  // 127
  "み,ミ,ﾐ",  // 128
  "む,ム,ﾑ",  // 129
  "め,メ,ﾒ",  // 130
  "も,モ,ﾓ",  // 131
  "や,ヤ,ﾔ,ゃ,ャ,ｬ",  // 132
  "ゆ,ユ,ﾕ,ゅ,ュ,ｭ",  // 133
  "よ,ヨ,ﾖ,ょ,ョ,ｮ",  // 134
  "ら,ラ,ﾗ",  // 135
  "り,リ,ﾘ",  // 136
  "る,ル,ﾙ",  // 137
  "れ,レ,ﾚ",  // 138
  "ろ,ロ,ﾛ",  // 139
  "わ,ワ,ﾜ,うぁ,ウァ,ｳｧ",  // 140
  "ヰ,ゐ,うぃ,ウィ,ｳｨ",  // 141
  "ヱ,ゑ,うぇ,ウェ,ｳｪ",  // 142
  "を,ヲ,ｦ,うぉ,ウォ,ｳｫ",  // 143
  "ﾞ,゛",  // 144
  "ﾟ,゜",  // 145
};
// clang-format on

}  // namespace

std::size_t StoredGroupCount() {
  return kStoredGroups.size();
}

std::vector<std::string> ParseStoredGroup(std::string_view line) {
  std::vector<std::string> items;
  std::string item;
  bool quoted = false;
  std::size_t pos = 0;
  while (pos < line.size()) {
    const char c = line[pos];
    if (quoted && c == '"') {
      if (pos + 1 < line.size() && line[pos + 1] == '"') {
        item += '"';
        pos += 2;
      } else {
        quoted = false;
        ++pos;
      }
      continue;
    }
    if (!quoted && c == '"' && item.empty()) {
      quoted = true;
      ++pos;
      continue;
    }
    if (!quoted && c == ',') {
      items.push_back(std::move(item));
      item.clear();
      ++pos;
      continue;
    }
    // A double-byte character is copied whole (its second byte is never a comma or a quote,
    // but the walk stays on character boundaries all the same).
    const std::size_t length = CharLengthAt(line, pos);
    item.append(line.substr(pos, length));
    pos += length;
  }
  items.push_back(std::move(item));
  return items;
}

const std::vector<FuzzyGroup>& FuzzyGroups() {
  static const std::vector<FuzzyGroup> groups = [] {
    std::vector<FuzzyGroup> parsed;
    parsed.reserve(kStoredGroups.size());
    for (const std::string_view line : kStoredGroups) parsed.push_back({ParseStoredGroup(line)});
    return parsed;
  }();
  return groups;
}

}  // namespace capsdub::keyword
