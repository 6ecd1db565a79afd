// Keyword matching speed: 10,000 generated Japanese titles against typical and pathological
// keywords, per title, with std::regex on the same expanded expression (and a plain substring
// search for the plain keyword) measured in the same run as the baseline; then the time per
// character of pathological keywords on ever longer titles, to show that it stays flat.
#include <chrono>
#include <cstdio>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "dubbing/keyword/keyword_match.h"
#include "platform/codepage.h"
#include "ui/text/sjis.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Sjis(std::string_view utf8) {
  const std::optional<std::string> sjis = capsdub::platform::Utf8ToSjis(utf8);
  if (!sjis) {
    std::fprintf(stderr, "not convertible: %.*s\n", static_cast<int>(utf8.size()), utf8.data());
    std::exit(1);
  }
  return *sjis;
}

// Titles of 2 to 7 words in the style of a TV guide: kana, kanji, full-width and half-width
// letters and digits, brackets.
std::vector<std::string> MakeTitles(std::size_t count) {
  const char* const words[] = {
      "ニュース",     "ドラマ",       "映画",       "特集",   "金曜",
      "ロードショー", "アニメ",       "第1話",      "第２話", "ＮＨＫ",
      "スポーツ",     "天気",         "名作劇場",   "「鬼」", "再放送",
      "[字]",         "(再)",         "ﾆｭｰｽ",       "ｶﾞｲﾄﾞ",  "世界の車窓から",
      "旅",           "ヴァイオリン", "コンサート", "野球",   "サッカー",
      "ＷＢＣ",       "料理",         "～",         "歴史",   "探検",
      "ドキュメント", "ﾊﾞﾗｴﾃｨ",       "クイズ",     "将棋",   "囲碁",
      "Ｊリーグ",     "News",         "7",          "・",     "　",
      "ゴールデン",   "劇場版"};
  std::vector<std::string> sjis_words;
  for (const char* w : words) sjis_words.push_back(Sjis(w));
  std::mt19937 random(7);
  std::uniform_int_distribution<std::size_t> pick(0, sjis_words.size() - 1);
  std::uniform_int_distribution<int> length(2, 7);
  std::vector<std::string> titles;
  for (std::size_t i = 0; i < count; ++i) {
    std::string title;
    for (int n = length(random); n > 0; --n) title += sjis_words[pick(random)];
    titles.push_back(title);
  }
  return titles;
}

// The same expression in std::regex's ECMAScript syntax over bytes: a double-byte character
// becomes a group of its two bytes, so that its second byte is never read as an operator.
std::string ToEcmaScript(std::string_view pattern) {
  static const char digits[] = "0123456789ABCDEF";
  auto hex = [](unsigned char b) { return std::string("\\x") + digits[b >> 4] + digits[b & 15]; };
  std::string out;
  for (std::size_t pos = 0; pos < pattern.size();) {
    const std::size_t n = capsdub::CharLengthAt(pattern, pos);
    const auto b = static_cast<unsigned char>(pattern[pos]);
    if (n == 2) {
      out.append("(?:").append(hex(b)).append(hex(static_cast<unsigned char>(pattern[pos + 1])));
      out += ')';
    } else if (b >= 0x80) {
      out += hex(b);
    } else if (b == '\\' && pos + 1 < pattern.size() &&
               capsdub::CharLengthAt(pattern, pos + 1) == 2) {
      ++pos;  // an escaped double-byte character is that character
      continue;
    } else {
      out += pattern.substr(pos, b == '\\' && pos + 1 < pattern.size() ? 2 : 1);
      if (b == '\\' && pos + 1 < pattern.size()) ++pos;
    }
    pos += n;
  }
  return out;
}

// Best of `rounds` runs of f over all titles, in microseconds per title; `hits` counts matches.
template <typename F>
double MicrosPerTitle(const std::vector<std::string>& titles, F f, std::size_t& hits,
                      int rounds = 5) {
  double best = 1e300;
  for (int r = 0; r < rounds; ++r) {
    std::size_t count = 0;
    const auto start = Clock::now();
    for (const std::string& t : titles) count += f(t) ? 1 : 0;
    const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    best = std::min(best, us / static_cast<double>(titles.size()));
    hits = count;
  }
  return best;
}

struct Case {
  const char* name;
  std::string keyword;  // Shift-JIS
};

}  // namespace

int main() {
  const std::vector<std::string> titles = MakeTitles(10000);
  std::size_t bytes = 0;
  for (const std::string& t : titles) bytes += t.size();
  std::printf("%zu titles, %.1f bytes on average\n\n", titles.size(),
              static_cast<double>(bytes) / static_cast<double>(titles.size()));

  std::string long_alternation;
  for (const char* w : {"ゴルフ", "テニス", "競馬",   "相撲",   "水泳",       "陸上",     "卓球",
                        "柔道",   "剣道",   "空手",   "体操",   "ボクシング", "マラソン", "スキー",
                        "釣り",   "登山",   "自転車", "バレー", "ラグビー",   "ホッケー"}) {
    if (!long_alternation.empty()) long_alternation += '|';
    long_alternation += Sjis(w);
  }
  const Case cases[] = {
      {"plain ニュース", Sjis("ニュース")},
      {"plain, no match ゴルフ", Sjis("ゴルフ")},
      {"half-width ﾆｭｰｽ", Sjis("ﾆｭｰｽ")},
      {"alternatives", Sjis("(ドラマ|映画|アニメ)(第1話)?")},
      {"anchored ^ニュース", Sjis("^ニュース")},
      {"nested stars (x*)*y", "(x*)*y"},
      {"nested stars ((ニ*)*ュ*)*ス", Sjis("((ニ*)*ュ*)*ス")},
      {"(a|aa)*b", "(a|aa)*b"},
      {"20 alternatives", long_alternation},
  };

  std::printf("%-30s %10s %10s %10s %8s %10s %8s\n", "keyword", "Match us", "engine us",
              "std::regex", "ratio", "find us", "ratio");
  for (const Case& c : cases) {
    const std::string expanded = capsdub::ExpandFuzzy(c.keyword);
    const capsdub::keyword::Regex engine(expanded);
    const std::regex baseline(ToEcmaScript(expanded));
    std::size_t hits_match = 0, hits_engine = 0, hits_std = 0, hits_find = 0;
    const double match_us = MicrosPerTitle(
        titles, [&](const std::string& t) { return capsdub::MatchKeyword(c.keyword, t); },
        hits_match);
    const double engine_us = MicrosPerTitle(
        titles, [&](const std::string& t) { return engine.Search(t); }, hits_engine);
    const double std_us = MicrosPerTitle(
        titles, [&](const std::string& t) { return std::regex_search(t, baseline); }, hits_std);
    const double find_us = MicrosPerTitle(
        titles, [&](const std::string& t) { return t.find(c.keyword) != std::string::npos; },
        hits_find);
    std::printf("%-30s %10.3f %10.3f %10.3f %8.2f %10.3f %8.1f   hits %zu/%zu/%zu/%zu\n", c.name,
                match_us, engine_us, std_us, match_us / std_us, find_us, match_us / find_us,
                hits_match, hits_engine, hits_std, hits_find);
  }

  std::printf(
      "hits: MatchKeyword/engine/std::regex/find. std::regex works on bytes, so it also finds\n"
      "matches that start on the second byte of a double-byte character; the engine does not.\n"
      "ratio: MatchKeyword time over the baseline's.\n");

  // Linear in the title: time per character stays flat as titles grow.
  std::printf("\nper character, pathological keywords on long titles (ns/char)\n");
  std::printf("%-30s", "keyword \\ title chars");
  const std::size_t lengths[] = {32, 128, 512, 2048, 8192};
  for (const std::size_t n : lengths) std::printf(" %9zu", n);
  std::printf("\n");
  const std::string a = Sjis("ア");
  const Case long_cases[] = {
      {"(a|aa)*b", "(a|aa)*b"},
      {"(x*)*y", "(x*)*y"},
      {"((ア*)*)*イ", Sjis("((ア*)*)*イ")},
      {"(.*)*(.*)*z", "(.*)*(.*)*z"},
      {"20 alternatives", long_alternation},
  };
  for (const Case& c : long_cases) {
    std::printf("%-30s", c.name);
    for (const std::size_t n : lengths) {
      std::string text;
      const std::string unit =
          c.keyword[1] == 'x' ? "x" : (c.keyword.find('a') != std::string::npos ? "a" : a);
      while (text.size() / unit.size() < n) text += unit;
      const std::vector<std::string> one = {text};
      std::size_t hits = 0;
      const int reps = static_cast<int>(std::max<std::size_t>(1, 20000 / n));
      const double us = MicrosPerTitle(
          one,
          [&](const std::string& t) {
            bool any = false;
            for (int r = 0; r < reps; ++r) any |= capsdub::MatchKeyword(c.keyword, t);
            return any;
          },
          hits, 3);
      std::printf(" %9.1f", us * 1000.0 / static_cast<double>(reps) / static_cast<double>(n));
    }
    std::printf("\n");
  }

  // The baseline on the same: std::regex backtracks, so (a|aa)*b grows exponentially.
  std::printf("\n(a|aa)*b on a run of 'a' without 'b', whole search in us\n");
  std::printf("%-12s %12s %12s %8s\n", "chars", "MatchKeyword", "std::regex", "ratio");
  const std::regex exponential(ToEcmaScript(capsdub::ExpandFuzzy("(a|aa)*b")));
  for (const std::size_t n : {8, 12, 16, 20, 24}) {
    const std::vector<std::string> one = {std::string(n, 'a')};
    std::size_t hits = 0;
    const double ours = MicrosPerTitle(
        one, [&](const std::string& t) { return capsdub::MatchKeyword("(a|aa)*b", t); }, hits, 3);
    const double theirs = MicrosPerTitle(
        one, [&](const std::string& t) { return std::regex_search(t, exponential); }, hits, 3);
    std::printf("%-12zu %12.2f %12.2f %8.4f\n", n, ours, theirs, ours / theirs);
  }
  return 0;
}
