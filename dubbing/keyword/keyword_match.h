// Keyword filters of the batch: a keyword matches a text when it occurs in it unchanged, or
// when it matches as an expression in which every ordinary character also stands for its fuzzy
// equivalents (see fuzzy_dictionary.h). All strings are Shift-JIS. Fuzzy matching
// (UseFuzzyCharDic) is always on; there is no synonym dictionary (UseSynonymDic stays off).
#pragma once

#include <string>
#include <string_view>

#include "dubbing/keyword/regex.h"

namespace capsdub {

// True when `keyword` occurs in `text` starting and ending on character boundaries, or when
// ExpandFuzzy(keyword) matches somewhere in `text`. A keyword that is not a valid expression
// (and does not occur literally) gives false, without a message.
bool MatchKeyword(const std::string& keyword, const std::string& text);

// Rewrites an expression so that every ordinary character outside bracket expressions also
// matches its fuzzy equivalents: a run of ordinary characters is covered, from its start, by the
// first dictionary group with an item equal to the next characters (never an empty item), and
// those characters become "(" item1 "|" item2 ... ")" with metacharacters escaped. Operators,
// bracket expressions and characters in no group are copied as written.
std::string ExpandFuzzy(const std::string& pattern);

// A keyword prepared once for many texts: what MatchKeyword does, without compiling the
// expression again for every text.
class KeywordMatcher {
 public:
  explicit KeywordMatcher(std::string keyword);

  bool Matches(std::string_view text) const;

  const std::string& keyword() const { return keyword_; }
  const keyword::Regex& expression() const { return expression_; }  // the expanded keyword

 private:
  std::string keyword_;
  keyword::Regex expression_;
};

// True when `needle` occurs in `text` at a position where a character of `text` starts and
// ending where one ends (so never inside a double-byte character).
bool ContainsAtCharBoundaries(std::string_view text, std::string_view needle);

}  // namespace capsdub
