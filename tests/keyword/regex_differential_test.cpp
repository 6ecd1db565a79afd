// The expression engine against a reference written here: a parser into a tree and a matcher
// that computes, for every start position, the set of positions where the tree can end. Random
// small patterns and texts over an alphabet with double-byte characters and a stray lead byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "dubbing/keyword/regex.h"
#include "ui/text/sjis.h"

namespace capsdub::keyword {
namespace {

using Code = std::uint32_t;
using Ends = std::uint64_t;  // bit i: the match can end before character i

std::vector<Code> Decode(std::string_view s) {
  std::vector<Code> codes;
  for (std::size_t pos = 0; pos < s.size();) {
    const std::size_t length = CharLengthAt(s, pos);
    Code code = static_cast<unsigned char>(s[pos]);
    if (length == 2) code = code << 8 | static_cast<unsigned char>(s[pos + 1]);
    codes.push_back(code);
    pos += length;
  }
  return codes;
}

struct Node {
  enum Kind {
    kChar,
    kAny,
    kClass,
    kBegin,
    kEnd,
    kEmpty,
    kConcat,
    kAlternate,
    kStar,
    kPlus,
    kQuest
  };
  explicit Node(Kind k = kEmpty, Code c = 0) : kind(k), code(c) {}

  Kind kind;
  Code code;
  std::vector<std::pair<Code, Code>> ranges;
  bool negated = false;
  std::vector<Node> children;
};

class ReferenceParser {
 public:
  explicit ReferenceParser(std::string_view pattern) : p_(Decode(pattern)) {}

  RegexError Parse(Node& root) {
    root = Alternation();
    if (error_ == RegexError::kNoError && i_ < p_.size()) error_ = RegexError::kUnexpectedParen;
    return error_;
  }

 private:
  bool At(char c) const { return i_ < p_.size() && p_[i_] == static_cast<unsigned char>(c); }
  bool Failed() const { return error_ != RegexError::kNoError; }
  void Fail(RegexError e) {
    if (!Failed()) error_ = e;
  }

  Node Alternation() {
    Node alt(Node::kAlternate);
    alt.children.push_back(Concatenation());
    while (!Failed() && At('|')) {
      ++i_;
      alt.children.push_back(Concatenation());
    }
    return alt;
  }

  Node Concatenation() {
    Node cat(Node::kConcat);
    while (!Failed() && i_ < p_.size() && !At('|') && !At(')')) {
      if (At('*') || At('+') || At('?')) {
        Fail(RegexError::kMissingRepeatArgument);
        break;
      }
      Node piece = Atom();
      while (!Failed() && (At('*') || At('+') || At('?'))) {
        Node repeat{At('*') ? Node::kStar : At('+') ? Node::kPlus : Node::kQuest};
        repeat.children.push_back(std::move(piece));
        piece = std::move(repeat);
        ++i_;
      }
      cat.children.push_back(std::move(piece));
    }
    return cat;
  }

  Node Atom() {
    Node atom;
    if (At('(')) {
      ++i_;
      atom = Alternation();
      if (!Failed() && !At(')')) Fail(RegexError::kMissingParen);
      ++i_;
    } else if (At('[')) {
      ++i_;
      atom = Class();
    } else if (At('\\')) {
      if (i_ + 1 >= p_.size()) {
        Fail(RegexError::kTrailingBackslash);
      } else {
        atom = Node(Node::kChar, p_[i_ + 1]);
        i_ += 2;
      }
    } else if (At('.')) {
      atom = Node(Node::kAny);
      ++i_;
    } else if (At('^')) {
      atom = Node(Node::kBegin);
      ++i_;
    } else if (At('$')) {
      atom = Node(Node::kEnd);
      ++i_;
    } else {
      atom = Node(Node::kChar, p_[i_++]);
    }
    return atom;
  }

  // One member; false at the end of the pattern.
  bool Member(Code& code) {
    if (i_ >= p_.size()) return false;
    if (At('\\')) {
      if (i_ + 1 >= p_.size()) return false;
      code = p_[i_ + 1];
      i_ += 2;
      return true;
    }
    code = p_[i_++];
    return true;
  }

  Node Class() {
    Node cls(Node::kClass);
    if (At('^')) {
      cls.negated = true;
      ++i_;
    }
    bool bad_range = false;  // reported only once the class is known to be closed
    bool first = true;
    for (;;) {
      if (i_ >= p_.size()) {
        Fail(RegexError::kMissingBracket);
        return cls;
      }
      if (At(']') && !first) {
        ++i_;
        break;
      }
      first = false;
      Code lo = 0;
      if (!Member(lo)) {
        Fail(RegexError::kMissingBracket);
        return cls;
      }
      Code hi = lo;
      if (At('-') && i_ + 1 < p_.size() && p_[i_ + 1] != ']') {
        ++i_;
        if (!Member(hi)) {
          Fail(RegexError::kMissingBracket);
          return cls;
        }
        if (hi < lo) bad_range = true;
      }
      cls.ranges.push_back({lo, hi});
    }
    if (bad_range) Fail(RegexError::kBadCharRange);
    return cls;
  }

  std::vector<Code> p_;
  std::size_t i_ = 0;
  RegexError error_ = RegexError::kNoError;
};

Ends Match(const Node& node, const std::vector<Code>& text, std::size_t i);

Ends MatchFromAll(const Node& node, const std::vector<Code>& text, Ends starts) {
  Ends ends = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (starts >> i & 1) ends |= Match(node, text, i);
  }
  return ends;
}

Ends Match(const Node& node, const std::vector<Code>& text, std::size_t i) {
  const Ends here = Ends{1} << i;
  const bool has_char = i < text.size();
  switch (node.kind) {
    case Node::kChar:
      return has_char && text[i] == node.code ? here << 1 : 0;
    case Node::kAny:
      return has_char ? here << 1 : 0;
    case Node::kClass: {
      if (!has_char) return 0;
      bool inside = false;
      for (const auto& [lo, hi] : node.ranges) inside |= lo <= text[i] && text[i] <= hi;
      return inside != node.negated ? here << 1 : 0;
    }
    case Node::kBegin:
      return i == 0 ? here : 0;
    case Node::kEnd:
      return i == text.size() ? here : 0;
    case Node::kEmpty:
      return here;
    case Node::kConcat: {
      Ends ends = here;
      for (const Node& child : node.children) ends = MatchFromAll(child, text, ends);
      return ends;
    }
    case Node::kAlternate: {
      Ends ends = 0;
      for (const Node& child : node.children) ends |= Match(child, text, i);
      return ends;
    }
    case Node::kQuest:
      return here | Match(node.children[0], text, i);
    case Node::kStar:
    case Node::kPlus: {
      // Everything reachable by repeating the child, to a fixed point.
      Ends reached = node.kind == Node::kStar ? here : 0;
      Ends frontier = here;
      while (frontier != 0) {
        const Ends next = MatchFromAll(node.children[0], text, frontier);
        frontier = next & ~reached;
        reached |= next;
      }
      return reached;
    }
  }
  return 0;
}

bool ReferenceSearch(const Node& root, std::string_view text) {
  const std::vector<Code> codes = Decode(text);
  for (std::size_t i = 0; i <= codes.size(); ++i) {
    if (Match(root, codes, i) != 0) return true;
  }
  return false;
}

std::string Hex(std::string_view s) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (const char c : s) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F && c != '\\') {
      out += c;
    } else {
      out += "\\x";
      out += digits[b >> 4];
      out += digits[b & 15];
    }
  }
  return out;
}

// あ, ソ (second byte is a backslash), ｱ (one byte), a stray lead byte.
const std::vector<std::string> kLetters = {"x", "y", "\x82\xa0", "\x83\x5c", "\xb1", "\x88"};

class PatternGenerator {
 public:
  explicit PatternGenerator(std::mt19937& random) : random_(random) {}

  std::string Letter() { return kLetters[Pick(kLetters.size())]; }

  // Any sequence of tokens, mostly invalid: checks that both sides reject the same patterns.
  std::string Soup() {
    static const std::vector<std::string> tokens = {
        "x", "y",  "\x82\xa0", "\x83\x5c", "\xb1", "\x88", "|",          "(", ")",
        "*", "+",  "?",        ".",        "^",    "$",    "[",          "]", "[^",
        "-", "\\", "\\x",      "\\|",      "\\(",  "\\]",  "\\\x82\xa0", "{", "}"};
    std::string s;
    const std::size_t length = Pick(9);
    for (std::size_t i = 0; i < length; ++i) s += tokens[Pick(tokens.size())];
    return s;
  }

  // A pattern from the grammar, valid except where a stray lead byte joins what follows.
  std::string Expression(int depth) {
    switch (Pick(depth > 2 ? 3 : 9)) {
      case 0:
      case 1:
        return Letter();
      case 2:
        return ".";
      case 3:
        return Expression(depth + 1) + Expression(depth + 1);
      case 4:
        return Group(Expression(depth + 1).append("|").append(Expression(depth + 1)));
      case 5: {
        static const char* const repeats[] = {"*", "+", "?"};
        return Group(Expression(depth + 1)).append(repeats[Pick(3)]);
      }
      case 6:
        return Class();
      case 7:
        return Pick(2) ? "^" : "$";
      default:
        return Pick(2) ? "()" : Expression(depth + 1).append("|");
    }
  }

 private:
  std::size_t Pick(std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_);
  }

  std::string Class() {
    std::string s = Pick(3) == 0 ? "[^" : "[";
    const std::size_t members = 1 + Pick(3);
    for (std::size_t i = 0; i < members; ++i) {
      s += Letter();
      if (Pick(3) == 0) s.append("-").append(Letter());
    }
    return s.append("]");
  }

  // Appending rather than operator+ on temporaries: the latter trips a false -Wrestrict in
  // mingw-w64's g++ 12.
  static std::string Group(const std::string& inner) {
    std::string s = "(";
    return s.append(inner).append(")");
  }

  std::mt19937& random_;
};

TEST(RegexDifferentialTest, AgreesWithTheReferenceOnRandomPatterns) {
  std::mt19937 random(20240611);
  PatternGenerator generator(random);
  int valid = 0;
  int matched = 0;
  for (int round = 0; round < 6000; ++round) {
    const std::string pattern = round % 2 == 0 ? generator.Soup() : generator.Expression(0);
    Node root;
    const RegexError expected_error = ReferenceParser(pattern).Parse(root);
    const Regex regex(pattern);
    ASSERT_EQ(regex.error_code(), expected_error)
        << "pattern " << Hex(pattern) << ": " << regex.error();
    if (!regex.ok()) continue;
    ++valid;
    for (int t = 0; t < 25; ++t) {
      std::string text;
      const int length = std::uniform_int_distribution<int>(0, 7)(random);
      for (int i = 0; i < length; ++i) text += generator.Letter();
      const bool expected = ReferenceSearch(root, text);
      matched += expected;
      ASSERT_EQ(regex.Search(text), expected)
          << "pattern " << Hex(pattern) << ", text " << Hex(text);
    }
  }
  // The generators must exercise both outcomes, or the comparison says little.
  EXPECT_GT(valid, 3000);
  EXPECT_GT(matched, 10000);
  EXPECT_LT(matched, valid * 25 - 10000);
}

}  // namespace
}  // namespace capsdub::keyword
