// The compiled form of a keyword expression: a Thompson NFA as an instruction list, and the
// state-set simulation that searches a text with it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "dubbing/keyword/regex_syntax.h"

namespace capsdub::keyword {

enum class Op : std::uint8_t {
  kChar,       // consumes the character `arg`
  kClass,      // consumes a character of classes[arg]
  kAnyChar,    // consumes any character
  kSplit,      // goes on at both `next` and `alt`
  kJump,       // goes on at `next` (also the empty expression)
  kBeginText,  // goes on at `next` at the start of the text only
  kEndText,    // goes on at `next` at the end of the text only
  kMatch,      // the whole expression has matched
};

struct Inst {
  Op op = Op::kJump;
  CharCode arg = 0;
  std::uint32_t next = 0;
  std::uint32_t alt = 0;  // kSplit only
};

struct CharRange {
  CharCode lo;
  CharCode hi;  // inclusive
};

// A bracket expression: sorted, non-overlapping ranges.
struct CharClass {
  std::vector<CharRange> ranges;
  bool negated = false;

  bool Contains(CharCode c) const;
};

class Program {
 public:
  // Upper bound on instructions, so that a huge keyword cannot exhaust memory.
  static constexpr std::size_t kMaxInstructions = 100000;

  std::vector<Inst> insts;
  std::vector<CharClass> classes;
  std::uint32_t start = 0;

  // Works out which bytes can begin a match; call once the program is complete.
  void ComputeFirstBytes();

  // True when the expression matches a part of `text` starting at any character boundary.
  bool Search(std::string_view text) const;

 private:
  // While no match is under way, the search skips characters whose first byte cannot start
  // one. Off when a match may be empty or start with any character.
  bool skip_ = false;
  std::array<bool, 256> first_bytes_{};
};

}  // namespace capsdub::keyword
