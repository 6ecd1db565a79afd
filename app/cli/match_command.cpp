// capsdub-cli match: tries a keyword filter of the batch on texts given on the command line,
// so that fuzzy matching can be seen at work from a shell.
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/command_registry.h"
#include "dubbing/keyword/keyword_match.h"

namespace capsdub::cli {
namespace {

constexpr char kUsage[] =
    "  match KEYWORD TEXT... [--explain]\n"
    "      Tests the keyword filter KEYWORD on each TEXT as the batch does and prints one\n"
    "      line per text: 1 (matches) or 0, a tab, the text. --explain first prints the\n"
    "      keyword rewritten with its fuzzy equivalents. '--' ends the options.";

int BadArguments(const std::string& message) {
  std::fprintf(stderr, "capsdub-cli match: %s\n%s\n", message.c_str(), kUsage);
  return 2;
}

// The expanded expression, and why the engine rejects it when it does.
void Explain(const KeywordMatcher& matcher) {
  PrintOut("keyword:    " + matcher.keyword() + "\n");
  PrintOut("expression: " + matcher.expression().pattern() + "\n");
  if (!matcher.expression().ok()) {
    const keyword::Regex& expression = matcher.expression();
    PrintOut(std::string("invalid expression: ") +
             keyword::RegexErrorText(expression.error_code()) + " at \"" + expression.error_arg() +
             "\"; the keyword matches only where it occurs as it is\n");
  }
}

int RunMatch(const std::vector<std::string>& args) {
  bool explain = false;
  bool options_ended = false;
  std::vector<std::string> operands;
  for (const std::string& arg : args) {
    if (!options_ended && arg == "--") {
      options_ended = true;
    } else if (!options_ended && arg == "--explain") {
      explain = true;
    } else if (!options_ended && arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      return BadArguments("unknown option " + arg);
    } else {
      operands.push_back(arg);
    }
  }
  if (operands.size() < 2) return BadArguments("a keyword and at least one text are needed");

  std::vector<std::string> sjis(operands.size());
  for (std::size_t i = 0; i < operands.size(); ++i) {
    if (!ArgumentToSjis(operands[i], sjis[i])) {
      const std::string which = i == 0 ? "the keyword" : "text " + std::to_string(i);
      std::fprintf(stderr, "capsdub-cli match: %s cannot be written in Shift-JIS\n", which.c_str());
      return 1;
    }
  }
  const KeywordMatcher matcher(sjis[0]);
  if (explain) Explain(matcher);
  for (std::size_t i = 1; i < sjis.size(); ++i) {
    PrintOut(std::string(matcher.Matches(sjis[i]) ? "1" : "0") + "\t" + sjis[i] + "\n");
  }
  return 0;
}

[[maybe_unused]] const bool registered = RegisterCommand({"match", kUsage, &RunMatch});

}  // namespace
}  // namespace capsdub::cli
