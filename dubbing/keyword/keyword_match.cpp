// The keyword test and the fuzzy rewriting of a keyword into an expression.
#include "dubbing/keyword/keyword_match.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "dubbing/keyword/fuzzy_dictionary.h"
#include "dubbing/keyword/regex_syntax.h"
#include "ui/text/sjis.h"

namespace capsdub {
namespace {

using keyword::CharCode;

// A dictionary group prepared for the rewriting: each item as character codes, and the
// alternation that replaces whatever the group covers.
struct PreparedGroup {
  std::vector<std::vector<CharCode>> items;  // an empty item stays empty and never fits
  std::string alternation;                   // "(" item1 "|" item2 ... ")"
};

const std::vector<PreparedGroup>& PreparedGroups() {
  static const std::vector<PreparedGroup> prepared = [] {
    std::vector<PreparedGroup> groups;
    for (const keyword::FuzzyGroup& group : keyword::FuzzyGroups()) {
      PreparedGroup out;
      out.alternation = "(";
      for (std::size_t i = 0; i < group.items.size(); ++i) {
        const std::string& item = group.items[i];
        if (i > 0) out.alternation += '|';
        std::vector<CharCode> codes;
        for (std::size_t pos = 0; pos < item.size();) {
          const keyword::DecodedChar c = keyword::DecodeCharAt(item, pos);
          if (c.length == 1 && keyword::IsMetacharacter(item[pos])) out.alternation += '\\';
          out.alternation.append(item, pos, c.length);
          codes.push_back(c.code);
          pos += c.length;
        }
        out.items.push_back(std::move(codes));
      }
      out.alternation += ')';
      groups.push_back(std::move(out));
    }
    return groups;
  }();
  return prepared;
}

// Number of run characters from `at` that a group covers: those of its first fitting item, or
// 0 when no item fits.
std::size_t CoveredLength(const PreparedGroup& group, const std::vector<keyword::Token>& run,
                          std::size_t at) {
  for (const std::vector<CharCode>& item : group.items) {
    if (item.empty() || item.size() > run.size() - at) continue;
    bool fits = true;
    for (std::size_t i = 0; i < item.size() && fits; ++i) fits = run[at + i].code == item[i];
    if (fits) return item.size();
  }
  return 0;
}

void ExpandRun(const std::vector<keyword::Token>& run, std::string& out) {
  const std::vector<PreparedGroup>& groups = PreparedGroups();
  std::size_t at = 0;
  while (at < run.size()) {
    std::size_t covered = 0;
    for (const PreparedGroup& group : groups) {
      covered = CoveredLength(group, run, at);
      if (covered > 0) {
        out += group.alternation;
        break;
      }
    }
    if (covered == 0) {
      out.append(run[at].text);  // as written, an escape stays an escape
      covered = 1;
    }
    at += covered;
  }
}

// The last few keywords compiled on this thread: the batch tests a handful of keywords against
// every row, and compiling costs more than matching one title.
const KeywordMatcher& CachedMatcher(const std::string& keyword) {
  constexpr std::size_t kCacheSize = 8;
  thread_local std::vector<std::unique_ptr<KeywordMatcher>> cache;
  const auto hit = std::find_if(cache.begin(), cache.end(),
                                [&](const auto& m) { return m->keyword() == keyword; });
  if (hit != cache.end()) {
    std::rotate(cache.begin(), hit, hit + 1);  // most recent first
  } else {
    if (cache.size() == kCacheSize) cache.pop_back();
    cache.insert(cache.begin(), std::make_unique<KeywordMatcher>(keyword));
  }
  return *cache.front();
}

}  // namespace

std::string ExpandFuzzy(const std::string& pattern) {
  keyword::Lexer lexer(pattern);
  std::string out;
  std::vector<keyword::Token> run;  // ordinary characters since the last operator
  for (;;) {
    const keyword::Token token = lexer.Next();
    if (token.kind == keyword::TokenKind::kLiteral) {
      run.push_back(token);
      continue;
    }
    ExpandRun(run, out);
    run.clear();
    if (token.kind == keyword::TokenKind::kEnd) break;
    // Operators and whole bracket expressions are copied; so is the rest of the pattern after
    // a lone trailing backslash or an unclosed "[", which the engine then reports.
    out.append(token.text);
  }
  return out;
}

bool ContainsAtCharBoundaries(std::string_view text, std::string_view needle) {
  if (needle.empty()) return true;
  std::size_t boundary = 0;  // a character boundary of text, never past `found`
  for (std::size_t found = text.find(needle); found != std::string_view::npos;
       found = text.find(needle, found + 1)) {
    while (boundary < found) boundary += CharLengthAt(text, boundary);
    if (boundary != found) continue;
    const std::size_t end = found + needle.size();
    std::size_t pos = found;
    while (pos < end) pos += CharLengthAt(text, pos);
    if (pos == end) return true;
  }
  return false;
}

KeywordMatcher::KeywordMatcher(std::string keyword)
    : keyword_(std::move(keyword)), expression_(ExpandFuzzy(keyword_)) {}

bool KeywordMatcher::Matches(std::string_view text) const {
  if (ContainsAtCharBoundaries(text, keyword_)) return true;
  // An invalid expression is no match; Search is false for it.
  return expression_.Search(text);
}

bool MatchKeyword(const std::string& keyword, const std::string& text) {
  return CachedMatcher(keyword).Matches(text);
}

}  // namespace capsdub
