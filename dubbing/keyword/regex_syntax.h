// The lexical layer of the keyword expression syntax (AWK regular expressions over Shift-JIS):
// characters, backslash escapes and the token stream shared by the parser and ExpandFuzzy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace capsdub::keyword {

// One character of a pattern or a text. A single byte is its own value (0x00-0xFF); a
// double-byte character is lead << 8 | trail (0x8140-0xFCFC), so ranges compare in code order.
using CharCode = std::uint32_t;

struct DecodedChar {
  CharCode code;
  std::size_t length;  // bytes taken, 1 or 2
};

// Malformed Shift-JIS (a lead byte at the very end, or a lead byte whose next byte cannot be a
// second byte) is one character of its own whose code is that byte; it matches only the same
// lone byte (or `.`, a negated class, a range holding it). Nothing past the end is read.
DecodedChar DecodeCharAt(std::string_view text, std::size_t pos);

// The twelve characters that a pattern must escape to use literally.
bool IsMetacharacter(char c);

enum class TokenKind {
  kLiteral,     // an ordinary character, plain or escaped
  kAlternate,   // |
  kOpenGroup,   // (
  kCloseGroup,  // )
  kStar,        // *
  kPlus,        // +
  kQuestion,    // ?
  kAnyChar,     // .
  kBeginText,   // ^
  kEndText,     // $
  kClass,       // a whole bracket expression, [ ... ] or [^ ... ]
  kEnd,         // end of the pattern
  kError,       // a lone backslash at the end, or a [ without its ]
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  CharCode code = 0;      // kLiteral: the character it stands for
  std::string_view text;  // the token as written (with its backslash, or the whole class)
};

// Reads the escape whose backslash is at `pos` (pos + 1 < size): \n \t \r \f \v \a \b, \/, \",
// \\, one to three octal digits, and otherwise the escaped character itself.
DecodedChar DecodeEscapeAt(std::string_view pattern, std::size_t pos);

// Splits a pattern into tokens, stepping over double-byte characters as units (their second
// byte may be the value of "\", "[", "]", "^" or "|").
class Lexer {
 public:
  explicit Lexer(std::string_view pattern) : pattern_(pattern) {}

  Token Next();
  std::size_t position() const { return pos_; }  // byte offset of the next token

 private:
  // Length of the bracket expression starting at pos_, or 0 when its ] is missing.
  std::size_t ClassLength() const;

  std::string_view pattern_;
  std::size_t pos_ = 0;
};

}  // namespace capsdub::keyword
