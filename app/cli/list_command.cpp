// capsdub-cli list: loads the catalogue of a Reel Keeper data folder as the window does and
// prints it as an aligned table or as tab-separated UTF-8.
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/cli_options.h"
#include "app/cli/command_registry.h"
#include "app/cli/tsv.h"
#include "catalogue/display_format.h"
#include "catalogue/scan.h"
#include "platform/codepage.h"
#include "ui/text/sjis.h"
#include "ui/text/sjis_literals.h"

namespace capsdub::cli {
namespace {

constexpr char kUsage[] =
    "  list --host FOLDER [--drive D=/path ...] [--tsv]\n"
    "      Loads the catalogue of the Reel Keeper data folder FOLDER (Windows form, such as\n"
    "      'D:\\Reel Keeper\\', with --drive mapping drive letters to folders on POSIX) and\n"
    "      prints one row per capsule, newest first. --tsv prints tab-separated UTF-8. Exits 1\n"
    "      when a database file could not be read (the list is then empty or partial).";

// Column titles (Shift-JIS).
constexpr const char* kTitles[] = {
    "番号", "タイトル", "サイズ(Kバイト)", "録画日時", "チャンネル", "キャビネット",
};
constexpr std::size_t kTitleColumns = 40;  // longer titles are cut for the table
constexpr std::size_t kChannelColumns = 24;

// Display width of Shift-JIS text: a double-byte character takes two columns, a single byte
// (half-width katakana included) one, so the width is the byte count.
std::string Fit(const std::string& text, std::size_t width, bool right = false) {
  std::string cut;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = CharLengthAt(text, i);
    if (cut.size() + n > width) break;
    cut.append(text, i, n);
    i += n;
  }
  const std::string pad(width - cut.size(), ' ');
  return right ? pad + cut : cut + pad;
}

void PrintTsv(const Catalogue& catalogue) {
  PrintOutUtf8(TsvHeader() + "\n");
  for (const CatalogueRow& row : catalogue.Table1.rows()) PrintOutUtf8(TsvRow(row) + "\n");
}

void PrintTable(const Catalogue& catalogue) {
  const std::size_t widths[] = {4, kTitleColumns, 15, 24, kChannelColumns, 0};
  std::string header;
  for (std::size_t c = 0; c < 6; ++c) {
    header += widths[c] ? Fit(kTitles[c], widths[c], c == 2) + "  " : std::string(kTitles[c]);
  }
  PrintOut(header + "\n");
  for (const CatalogueRow& row : catalogue.Table1.rows()) {
    std::string line = Fit(row.FileName, 4) + "  " + Fit(row.Title, kTitleColumns) + "  " +
                       Fit(FormatThousands(row.FileSize), 15, true) + "  " +
                       Fit(FormatCatalogueDate(row.FileDateTime), 24) + "  " +
                       Fit(row.Channel, kChannelColumns) + "  " + row.TapeLibName;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    PrintOut(line + "\n");
  }
  std::fprintf(stderr, "%zu capsules\n", catalogue.Table1.size());
}

int RunList(const std::vector<std::string>& args) {
  HostOptions options;
  bool tsv = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string error;
    if (TakeHostOption(args, i, options, error)) {
      if (!error.empty()) {
        std::fprintf(stderr, "capsdub-cli list: %s\n", error.c_str());
        return 2;
      }
    } else if (args[i] == "--tsv") {
      tsv = true;
    } else {
      std::fprintf(stderr, "capsdub-cli list: unknown argument '%s'\nusage:\n%s\n", args[i].c_str(),
                   kUsage);
      return 2;
    }
  }
  if (!options.host_given) {
    std::fprintf(stderr, "capsdub-cli list: --host FOLDER is required\nusage:\n%s\n", kUsage);
    return 2;
  }
  Catalogue catalogue;
  catalogue.PathReelKeeper = options.host;
  ConsoleStatus window;
  LoadCatalogue(catalogue, window);
  if (tsv) {
    PrintTsv(catalogue);
  } else {
    PrintTable(catalogue);
  }
  // A database file that could not be read leaves the list empty or partial: a failure.
  return window.errors() > 0 ? 1 : 0;
}

const bool registered = RegisterCommand({"list", kUsage, &RunList});

}  // namespace
}  // namespace capsdub::cli
