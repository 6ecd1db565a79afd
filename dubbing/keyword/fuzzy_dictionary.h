// The fuzzy character dictionary: 145 ordered groups of characters that a keyword treats as
// equivalent (full-width and half-width forms, case, hiragana and katakana, digits and kanji).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace capsdub::keyword {

// One equivalence group; items[0] is its head. An item is one or more Shift-JIS characters,
// or empty (the group then also stands for nothing at all).
struct FuzzyGroup {
  std::vector<std::string> items;
};

// The groups in dictionary order, parsed from their stored text on first use.
const std::vector<FuzzyGroup>& FuzzyGroups();

// Number of stored lines, one per group.
std::size_t StoredGroupCount();

// Reads one stored line: items separated by commas; an item in double quotes may hold commas
// and blanks, and "" inside it stands for one double quote. Text after a closing quote up to
// the next comma belongs to the item; an unclosed quote runs to the end of the line.
std::vector<std::string> ParseStoredGroup(std::string_view line);

}  // namespace capsdub::keyword
