// Parsing a keyword expression and compiling it, fragment by fragment, into a Thompson NFA.
#include "dubbing/keyword/regex.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "dubbing/keyword/regex_program.h"
#include "dubbing/keyword/regex_syntax.h"

namespace capsdub::keyword {
namespace {

// Deepest nesting of groups accepted; the parser recurses once per level.
constexpr int kMaxNesting = 200;

// A piece of the program under construction: where it starts, and the exits that still have
// to be pointed at whatever follows. An exit is instruction * 2, plus 1 for the `alt` field.
struct Fragment {
  std::uint32_t start = 0;
  std::vector<std::uint32_t> exits;
};

struct NamedClass {
  std::string_view name;
  std::vector<CharRange> ranges;
};

// The POSIX class names, with their ASCII meaning.
const std::vector<NamedClass>& NamedClasses() {
  static const std::vector<NamedClass> classes = {
      {"alpha", {{'A', 'Z'}, {'a', 'z'}}},
      {"digit", {{'0', '9'}}},
      {"alnum", {{'0', '9'}, {'A', 'Z'}, {'a', 'z'}}},
      {"upper", {{'A', 'Z'}}},
      {"lower", {{'a', 'z'}}},
      {"space", {{'\t', '\r'}, {' ', ' '}}},
      {"blank", {{'\t', '\t'}, {' ', ' '}}},
      {"punct", {{0x21, 0x2F}, {0x3A, 0x40}, {0x5B, 0x60}, {0x7B, 0x7E}}},
      {"print", {{0x20, 0x7E}}},
      {"graph", {{0x21, 0x7E}}},
      {"cntrl", {{0x00, 0x1F}, {0x7F, 0x7F}}},
      {"xdigit", {{'0', '9'}, {'A', 'F'}, {'a', 'f'}}},
  };
  return classes;
}

class Compiler {
 public:
  Compiler(std::string_view pattern, Program& program)
      : pattern_(pattern), lexer_(pattern), program_(program) {}

  // Compiles the whole pattern; on failure error() and error_arg() say why.
  bool Compile() {
    Advance();
    Fragment whole;
    if (!ParseAlternation(whole)) return false;
    if (token_.kind == TokenKind::kCloseGroup) {
      return Fail(RegexError::kUnexpectedParen, pattern_.substr(0, lexer_.position()));
    }
    const std::uint32_t match = Emit(Op::kMatch);
    if (too_large_) return Fail(RegexError::kPatternTooLarge, pattern_);
    Patch(whole.exits, match);
    program_.start = whole.start;
    program_.ComputeFirstBytes();
    return true;
  }

  RegexError error() const { return error_; }
  std::string_view error_arg() const { return error_arg_; }

 private:
  void Advance() { token_ = lexer_.Next(); }

  bool Fail(RegexError error, std::string_view arg) {
    error_ = error;
    error_arg_ = arg;
    return false;
  }

  std::uint32_t Emit(Op op, CharCode arg = 0) {
    if (program_.insts.size() >= Program::kMaxInstructions) {
      too_large_ = true;
      return 0;
    }
    program_.insts.push_back({op, arg, 0, 0});
    return static_cast<std::uint32_t>(program_.insts.size() - 1);
  }

  void Patch(const std::vector<std::uint32_t>& exits, std::uint32_t target) {
    for (const std::uint32_t exit : exits) {
      Inst& inst = program_.insts[exit / 2];
      (exit % 2 == 0 ? inst.next : inst.alt) = target;
    }
  }

  // A fragment made of one instruction whose `next` is its only exit.
  Fragment Single(Op op, CharCode arg = 0) {
    const std::uint32_t pc = Emit(op, arg);
    return {pc, {pc * 2}};
  }

  // alternation := concatenation ("|" concatenation)*
  bool ParseAlternation(Fragment& out) {
    if (!ParseConcatenation(out)) return false;
    while (token_.kind == TokenKind::kAlternate) {
      Advance();
      Fragment right;
      if (!ParseConcatenation(right)) return false;
      const std::uint32_t split = Emit(Op::kSplit);
      if (too_large_) return Fail(RegexError::kPatternTooLarge, pattern_);
      program_.insts[split].next = out.start;
      program_.insts[split].alt = right.start;
      out.start = split;
      out.exits.insert(out.exits.end(), right.exits.begin(), right.exits.end());
    }
    return true;
  }

  // concatenation := repetition*   (nothing at all is the empty expression)
  bool ParseConcatenation(Fragment& out) {
    bool empty = true;
    while (token_.kind != TokenKind::kAlternate && token_.kind != TokenKind::kCloseGroup &&
           token_.kind != TokenKind::kEnd) {
      Fragment piece;
      if (!ParseRepetition(piece)) return false;
      if (empty) {
        out = std::move(piece);
        empty = false;
      } else {
        Patch(out.exits, piece.start);
        out.exits = std::move(piece.exits);
      }
    }
    if (empty) out = Single(Op::kJump);
    if (too_large_) return Fail(RegexError::kPatternTooLarge, pattern_);
    return true;
  }

  static bool IsRepeat(TokenKind kind) {
    return kind == TokenKind::kStar || kind == TokenKind::kPlus || kind == TokenKind::kQuestion;
  }

  // repetition := atom ("*" | "+" | "?")*
  bool ParseRepetition(Fragment& out) {
    if (IsRepeat(token_.kind)) return Fail(RegexError::kMissingRepeatArgument, token_.text);
    if (!ParseAtom(out)) return false;
    while (IsRepeat(token_.kind)) {
      const std::uint32_t split = Emit(Op::kSplit);
      if (too_large_) return Fail(RegexError::kPatternTooLarge, pattern_);
      program_.insts[split].next = out.start;
      switch (token_.kind) {
        case TokenKind::kStar:  // loop back through the split, which is also the entry
          Patch(out.exits, split);
          out = {split, {split * 2 + 1}};
          break;
        case TokenKind::kPlus:  // enter the piece, loop back through the split
          Patch(out.exits, split);
          out.exits = {split * 2 + 1};
          break;
        default:  // "?": enter the piece or skip it
          out.start = split;
          out.exits.push_back(split * 2 + 1);
          break;
      }
      Advance();
    }
    return true;
  }

  bool ParseAtom(Fragment& out) {
    switch (token_.kind) {
      case TokenKind::kLiteral:
        out = Single(Op::kChar, token_.code);
        break;
      case TokenKind::kAnyChar:
        out = Single(Op::kAnyChar);
        break;
      case TokenKind::kBeginText:
        out = Single(Op::kBeginText);
        break;
      case TokenKind::kEndText:
        out = Single(Op::kEndText);
        break;
      case TokenKind::kClass: {
        CharClass char_class;
        if (!ParseClass(token_.text, char_class)) return false;
        program_.classes.push_back(std::move(char_class));
        out = Single(Op::kClass, static_cast<CharCode>(program_.classes.size() - 1));
        break;
      }
      case TokenKind::kOpenGroup: {
        const std::size_t open = lexer_.position() - 1;
        if (++depth_ > kMaxNesting) return Fail(RegexError::kNestingTooDeep, pattern_.substr(open));
        Advance();
        if (!ParseAlternation(out)) return false;
        if (token_.kind != TokenKind::kCloseGroup) {
          return Fail(RegexError::kMissingParen, pattern_.substr(open));
        }
        --depth_;
        break;
      }
      case TokenKind::kError:
        return Fail(token_.text.front() == '\\' ? RegexError::kTrailingBackslash
                                                : RegexError::kMissingBracket,
                    token_.text);
      default:  // the callers stop before |, ), the end and the repeat operators
        return Fail(RegexError::kMissingRepeatArgument, token_.text);
    }
    if (too_large_) return Fail(RegexError::kPatternTooLarge, pattern_);
    Advance();
    return true;
  }

  // One member of a bracket expression at `pos`: a character, an escape or [:name:].
  struct Member {
    CharCode code = 0;
    const NamedClass* named = nullptr;
    std::size_t length = 0;
  };

  bool ReadMember(std::string_view text, std::size_t pos, Member& member) {
    const std::size_t last = text.size() - 1;  // the closing ]
    if (text[pos] == '[' && pos + 1 < last && text[pos + 1] == ':') {
      const std::size_t close = text.find(":]", pos + 2);
      if (close != std::string_view::npos && close + 2 <= last) {
        const std::string_view name = text.substr(pos + 2, close - pos - 2);
        for (const NamedClass& named : NamedClasses()) {
          if (named.name == name) member.named = &named;
        }
        if (member.named == nullptr) {
          return Fail(RegexError::kBadCharClass, text.substr(pos, close + 2 - pos));
        }
        member.length = close + 2 - pos;
        return true;
      }
    }
    const DecodedChar c = text[pos] == '\\' ? DecodeEscapeAt(text, pos) : DecodeCharAt(text, pos);
    member.code = c.code;
    member.length = c.length;
    return true;
  }

  // Parses a whole bracket expression as the lexer delimited it: "[", "^"?, members, "]".
  bool ParseClass(std::string_view text, CharClass& out) {
    std::size_t pos = 1;
    if (text[pos] == '^') {
      out.negated = true;
      ++pos;
    }
    const std::size_t last = text.size() - 1;
    bool first = true;
    while (pos < last) {
      Member lo;
      // A "]" right after "[" or "[^" is a member.
      if (first && text[pos] == ']') {
        lo.code = ']';
        lo.length = 1;
      } else if (!ReadMember(text, pos, lo)) {
        return false;
      }
      first = false;
      const std::size_t lo_pos = pos;
      pos += lo.length;
      if (lo.named != nullptr) {
        out.ranges.insert(out.ranges.end(), lo.named->ranges.begin(), lo.named->ranges.end());
        continue;
      }
      // "-" makes a range unless it is the last member.
      if (pos + 1 < last && text[pos] == '-') {
        Member hi;
        if (!ReadMember(text, pos + 1, hi)) return false;
        const std::size_t end = pos + 1 + hi.length;
        if (hi.named != nullptr || hi.code < lo.code) {
          return Fail(RegexError::kBadCharRange, text.substr(lo_pos, end - lo_pos));
        }
        out.ranges.push_back({lo.code, hi.code});
        pos = end;
        continue;
      }
      out.ranges.push_back({lo.code, lo.code});
    }
    // Sort and merge, so that membership is one binary search.
    std::sort(out.ranges.begin(), out.ranges.end(),
              [](const CharRange& a, const CharRange& b) { return a.lo < b.lo; });
    std::vector<CharRange> merged;
    for (const CharRange& r : out.ranges) {
      if (!merged.empty() && r.lo <= merged.back().hi + 1) {
        merged.back().hi = std::max(merged.back().hi, r.hi);
      } else {
        merged.push_back(r);
      }
    }
    out.ranges = std::move(merged);
    return true;
  }

  std::string_view pattern_;
  Lexer lexer_;
  Program& program_;
  Token token_;
  int depth_ = 0;
  bool too_large_ = false;
  RegexError error_ = RegexError::kNoError;
  std::string_view error_arg_;
};

}  // namespace

const char* RegexErrorText(RegexError code) {
  switch (code) {
    case RegexError::kNoError:
      return "no error";
    case RegexError::kTrailingBackslash:
      return "trailing \\";
    case RegexError::kMissingBracket:
      return "missing ]";
    case RegexError::kBadCharRange:
      return "invalid character class range";
    case RegexError::kBadCharClass:
      return "invalid character class name";
    case RegexError::kMissingParen:
      return "missing )";
    case RegexError::kUnexpectedParen:
      return "unexpected )";
    case RegexError::kMissingRepeatArgument:
      return "missing argument to repetition operator";
    case RegexError::kNestingTooDeep:
      return "groups nested too deeply";
    case RegexError::kPatternTooLarge:
      return "pattern too large";
  }
  return "unknown error";
}

Regex::Regex(std::string_view pattern) : pattern_(pattern), program_(std::make_unique<Program>()) {
  Compiler compiler(pattern_, *program_);
  if (!compiler.Compile()) {
    error_code_ = compiler.error();
    error_arg_ = std::string(compiler.error_arg());
    error_ = std::string(RegexErrorText(error_code_)) + ": " + error_arg_;
    program_.reset();
  }
}

Regex::~Regex() = default;
Regex::Regex(Regex&&) noexcept = default;
Regex& Regex::operator=(Regex&&) noexcept = default;

bool Regex::Search(std::string_view text) const {
  return program_ != nullptr && program_->Search(text);
}

std::size_t Regex::program_size() const {
  return program_ != nullptr ? program_->insts.size() : 0;
}

}  // namespace capsdub::keyword
