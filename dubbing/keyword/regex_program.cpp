// State-set simulation of a compiled keyword expression (Thompson's construction): every
// position of the text is visited once and every instruction at most once per position.
#include "dubbing/keyword/regex_program.h"

#include <algorithm>
#include <utility>

namespace capsdub::keyword {
namespace {

// The set of instructions reached at one text position, with constant-time insert and test.
class SparseSet {
 public:
  explicit SparseSet(std::size_t capacity) : dense_(capacity), sparse_(capacity) {}

  bool Contains(std::uint32_t i) const {
    const std::uint32_t slot = sparse_[i];
    return slot < size_ && dense_[slot] == i;
  }
  void Insert(std::uint32_t i) {
    sparse_[i] = size_;
    dense_[size_++] = i;
  }
  void Clear() { size_ = 0; }
  const std::uint32_t* begin() const { return dense_.data(); }
  const std::uint32_t* end() const { return dense_.data() + size_; }

 private:
  std::vector<std::uint32_t> dense_;
  std::vector<std::uint32_t> sparse_;
  std::uint32_t size_ = 0;
};

// Follows the empty-width instructions from `pc` at byte offset `pos`, adding every instruction
// reached to `set`. Returns true when the match instruction is reached. Uses an explicit stack,
// so a long chain of empty steps cannot overflow the call stack.
bool AddThread(const Program& program, SparseSet& set, std::uint32_t pc, std::size_t pos,
               std::string_view text, std::vector<std::uint32_t>& stack) {
  stack.push_back(pc);
  while (!stack.empty()) {
    pc = stack.back();
    stack.pop_back();
    if (set.Contains(pc)) continue;
    set.Insert(pc);
    const Inst& inst = program.insts[pc];
    switch (inst.op) {
      case Op::kMatch:
        stack.clear();
        return true;
      case Op::kJump:
        stack.push_back(inst.next);
        break;
      case Op::kSplit:
        stack.push_back(inst.alt);
        stack.push_back(inst.next);
        break;
      case Op::kBeginText:
        if (pos == 0) stack.push_back(inst.next);
        break;
      case Op::kEndText:
        if (pos == text.size()) stack.push_back(inst.next);
        break;
      case Op::kChar:
      case Op::kClass:
      case Op::kAnyChar:
        break;  // waits for the next character
    }
  }
  return false;
}

}  // namespace

bool CharClass::Contains(CharCode c) const {
  // First range whose end is not below c.
  const auto it = std::lower_bound(ranges.begin(), ranges.end(), c,
                                   [](const CharRange& r, CharCode v) { return r.hi < v; });
  const bool inside = it != ranges.end() && it->lo <= c;
  return inside != negated;
}

bool Program::Search(std::string_view text) const {
  SparseSet current(insts.size());
  SparseSet next(insts.size());
  std::vector<std::uint32_t> stack;
  std::size_t pos = 0;
  for (;;) {
    // A match may start at every character boundary.
    if (AddThread(*this, current, start, pos, text, stack)) return true;
    if (pos >= text.size()) return false;
    const DecodedChar c = DecodeCharAt(text, pos);
    next.Clear();
    for (const std::uint32_t pc : current) {
      const Inst& inst = insts[pc];
      bool consumed = false;
      switch (inst.op) {
        case Op::kChar:
          consumed = inst.arg == c.code;
          break;
        case Op::kClass:
          consumed = classes[inst.arg].Contains(c.code);
          break;
        case Op::kAnyChar:
          consumed = true;
          break;
        default:
          break;
      }
      if (consumed && AddThread(*this, next, inst.next, pos + c.length, text, stack)) return true;
    }
    std::swap(current, next);
    pos += c.length;
  }
}

}  // namespace capsdub::keyword
