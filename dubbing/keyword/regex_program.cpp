// State-set simulation of a compiled keyword expression (Thompson's construction): every
// position of the text is visited once and every instruction at most once per position.
#include "dubbing/keyword/regex_program.h"

#include <algorithm>
#include <utility>

#include "ui/text/sjis.h"

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
  bool Empty() const { return size_ == 0; }
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

void Program::ComputeFirstBytes() {
  // The first byte of every character that the instructions reachable from the start without
  // consuming anything can take. Assertions are passed through as if they held, which can only
  // add bytes, never lose one.
  first_bytes_.fill(false);
  skip_ = true;
  std::vector<bool> seen(insts.size());
  std::vector<std::uint32_t> stack = {start};
  while (!stack.empty() && skip_) {
    const std::uint32_t pc = stack.back();
    stack.pop_back();
    if (seen[pc]) continue;
    seen[pc] = true;
    const Inst& inst = insts[pc];
    switch (inst.op) {
      case Op::kChar:
        first_bytes_[inst.arg < 0x100 ? inst.arg : inst.arg >> 8] = true;
        break;
      case Op::kClass:
        if (classes[inst.arg].negated) skip_ = false;
        for (const CharRange& r : classes[inst.arg].ranges) {
          // Single bytes sort before double-byte characters, but a lead byte can be smaller
          // than a single byte (0x83 against 0xB1): take the two parts of a range apart.
          if (r.lo < 0x100) {
            for (CharCode b = r.lo; b <= std::min<CharCode>(r.hi, 0xFF); ++b)
              first_bytes_[b] = true;
          }
          if (r.hi >= 0x100) {
            for (CharCode b = std::max<CharCode>(r.lo, 0x100) >> 8; b <= r.hi >> 8; ++b) {
              first_bytes_[b] = true;
            }
          }
        }
        break;
      case Op::kAnyChar:
      case Op::kMatch:
        skip_ = false;
        break;
      case Op::kSplit:
        stack.push_back(inst.alt);
        stack.push_back(inst.next);
        break;
      case Op::kJump:
      case Op::kBeginText:
      case Op::kEndText:
        stack.push_back(inst.next);
        break;
    }
  }
}

bool Program::Search(std::string_view text) const {
  SparseSet current(insts.size());
  SparseSet next(insts.size());
  std::vector<std::uint32_t> stack;
  std::size_t pos = 0;
  for (;;) {
    if (skip_ && current.Empty()) {
      while (pos < text.size() && !first_bytes_[static_cast<unsigned char>(text[pos])]) {
        pos += CharLengthAt(text, pos);
      }
      if (pos >= text.size()) return false;
    }
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
