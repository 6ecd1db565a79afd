// Characters, escapes and tokens of the keyword expression syntax.
#include "dubbing/keyword/regex_syntax.h"

#include "ui/text/sjis.h"

namespace capsdub::keyword {

DecodedChar DecodeCharAt(std::string_view text, std::size_t pos) {
  const std::size_t length = CharLengthAt(text, pos);
  const auto first = static_cast<unsigned char>(text[pos]);
  if (length == 1) return {first, 1};
  return {static_cast<CharCode>(first << 8 | static_cast<unsigned char>(text[pos + 1])), 2};
}

bool IsMetacharacter(char c) {
  switch (c) {
    case '^':
    case '(':
    case '|':
    case ')':
    case '+':
    case '*':
    case '?':
    case '.':
    case '[':
    case ']':
    case '$':
    case '\\':
      return true;
    default:
      return false;
  }
}

DecodedChar DecodeEscapeAt(std::string_view pattern, std::size_t pos) {
  const char c = pattern[pos + 1];
  switch (c) {
    case 'n':
      return {'\n', 2};
    case 't':
      return {'\t', 2};
    case 'r':
      return {'\r', 2};
    case 'f':
      return {'\f', 2};
    case 'v':
      return {'\v', 2};
    case 'a':
      return {'\a', 2};
    case 'b':
      return {'\b', 2};
    default:
      break;
  }
  if (c >= '0' && c <= '7') {
    // Up to three octal digits, as long as the value stays a byte.
    CharCode value = 0;
    std::size_t i = pos + 1;
    while (i < pattern.size() && i < pos + 4 && pattern[i] >= '0' && pattern[i] <= '7' &&
           value * 8 + static_cast<CharCode>(pattern[i] - '0') <= 0xFF) {
      value = value * 8 + static_cast<CharCode>(pattern[i] - '0');
      ++i;
    }
    return {value, i - pos};
  }
  const DecodedChar escaped = DecodeCharAt(pattern, pos + 1);
  return {escaped.code, escaped.length + 1};
}

std::size_t Lexer::ClassLength() const {
  std::size_t i = pos_ + 1;
  if (i < pattern_.size() && pattern_[i] == '^') ++i;
  // A ] right after [ or [^ is a member, not the end.
  if (i < pattern_.size() && pattern_[i] == ']') ++i;
  while (i < pattern_.size()) {
    const char c = pattern_[i];
    if (c == ']') return i + 1 - pos_;
    if (c == '\\') {
      if (i + 1 >= pattern_.size()) return 0;
      i += DecodeEscapeAt(pattern_, i).length;
      continue;
    }
    if (c == '[' && i + 1 < pattern_.size() && pattern_[i + 1] == ':') {
      const std::size_t close = pattern_.find(":]", i + 2);
      if (close != std::string_view::npos) {
        i = close + 2;
        continue;
      }
    }
    i += CharLengthAt(pattern_, i);
  }
  return 0;
}

Token Lexer::Next() {
  if (pos_ >= pattern_.size()) return {TokenKind::kEnd, 0, pattern_.substr(pos_)};
  const std::size_t start = pos_;
  TokenKind kind = TokenKind::kLiteral;
  CharCode code = 0;
  std::size_t length = 1;
  switch (pattern_[pos_]) {
    case '|':
      kind = TokenKind::kAlternate;
      break;
    case '(':
      kind = TokenKind::kOpenGroup;
      break;
    case ')':
      kind = TokenKind::kCloseGroup;
      break;
    case '*':
      kind = TokenKind::kStar;
      break;
    case '+':
      kind = TokenKind::kPlus;
      break;
    case '?':
      kind = TokenKind::kQuestion;
      break;
    case '.':
      kind = TokenKind::kAnyChar;
      break;
    case '^':
      kind = TokenKind::kBeginText;
      break;
    case '$':
      kind = TokenKind::kEndText;
      break;
    case '[':
      length = ClassLength();
      kind = length == 0 ? TokenKind::kError : TokenKind::kClass;
      break;
    case '\\':
      if (pos_ + 1 >= pattern_.size()) {
        kind = TokenKind::kError;
        break;
      }
      {
        const DecodedChar escaped = DecodeEscapeAt(pattern_, pos_);
        code = escaped.code;
        length = escaped.length;
      }
      break;
    default: {
      const DecodedChar plain = DecodeCharAt(pattern_, pos_);
      code = plain.code;
      length = plain.length;
    }
  }
  if (kind == TokenKind::kError) {
    // The rest of the pattern is the offending piece; the lexer stops there.
    pos_ = pattern_.size();
    return {kind, 0, pattern_.substr(start)};
  }
  pos_ += length;
  return {kind, code, pattern_.substr(start, length)};
}

}  // namespace capsdub::keyword
