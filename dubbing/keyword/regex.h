// A small regular-expression engine for keyword filters: AWK syntax over Shift-JIS text, where
// a double-byte character is one character everywhere, searched in time linear in the text.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace capsdub::keyword {

class Program;

// Why a pattern was rejected.
enum class RegexError {
  kNoError = 0,            // the pattern compiled
  kTrailingBackslash,      // the pattern ends in a lone backslash
  kMissingBracket,         // a [ without its closing ]
  kBadCharRange,           // a range whose start comes after its end, or with a [:name:] end
  kBadCharClass,           // [:name:] with an unknown name
  kMissingParen,           // a ( without its )
  kUnexpectedParen,        // a ) without its (
  kMissingRepeatArgument,  // *, + or ? with nothing to repeat
  kNestingTooDeep,         // more nested groups than the parser allows
  kPatternTooLarge,        // the compiled program would exceed its size limit
};

// One compiled pattern. Syntax: concatenation, "|", "(...)", "*", "+", "?", ".", bracket
// expressions with ranges, "[^" negation and the ASCII [:name:] classes, "^" (start of text),
// "$" (end of text), backslash escapes. An empty alternative or group matches the empty text;
// "*", "+" and "?" may be stacked. "{" and "}" are ordinary characters; so is "]" outside a
// bracket expression, and a "]" first in one is a member. Malformed Shift-JIS: see
// DecodeCharAt in regex_syntax.h.
class Regex {
 public:
  explicit Regex(std::string_view pattern);
  ~Regex();
  Regex(Regex&&) noexcept;
  Regex& operator=(Regex&&) noexcept;
  Regex(const Regex&) = delete;
  Regex& operator=(const Regex&) = delete;

  bool ok() const { return error_code_ == RegexError::kNoError; }
  RegexError error_code() const { return error_code_; }
  const std::string& error() const { return error_; }          // message, with error_arg
  const std::string& error_arg() const { return error_arg_; }  // offending piece of the pattern
  const std::string& pattern() const { return pattern_; }

  // True when the pattern matches somewhere in `text`; false also when !ok().
  // Runs a Thompson NFA: time O(text length x program size), no backtracking.
  bool Search(std::string_view text) const;

  std::size_t program_size() const;  // instructions, 0 when !ok()

 private:
  std::string pattern_;
  std::unique_ptr<Program> program_;
  RegexError error_code_ = RegexError::kNoError;
  std::string error_;
  std::string error_arg_;
};

// Short English description of an error code, such as "missing )".
const char* RegexErrorText(RegexError code);

}  // namespace capsdub::keyword
