// Reading CapsDub's command line, its usage text and the unattended batch run.
#include "dubbing/command_line.h"

#include <cctype>
#include <cstdint>
#include <exception>
#include <limits>
#include <optional>

#include "catalogue/sort.h"
#include "dubbing/dub_utils.h"
#include "dubbing/dubbing_job.h"
#include "dubbing/keyword/keyword_match.h"
#include "platform/scope_guard.h"
#include "ui/text/sjis.h"
#include "ui/text/sjis_literals.h"
#include "ui/text/text_utils.h"

namespace capsdub {

namespace {

constexpr std::uint16_t kHidden = 0;  // window show state of the helper programs

// The usage text, line by line (Shift-JIS; all blanks half-width, the columns aligned).
// clang-format off
constexpr const char* kUsageLines[] = {
    "ビデオカプセルを書き出します.",
    "",
    "CapsDub [パス] [/w][/o][/s:ソート順][/c:数][/t:\"キーワード\"][/a:TV局名][/f:キャビネット名]",
    "",
    "パス   ビデオカプセルの保存先フォルダーを指定します.",
    "",
    "/w     ファイルが存在した場合ファイル名を変えて書き出します.",
    "",
    "/o     外部キャビネット形式で書き出します.",
    "",
    "/s:    ビデオカプセルを並び替えます.",
    "       t  タイトル順      d  録画日時順",
    "       s  サイズ順        c  チャンネル順",
    "       f  キャビネット順  n  番号順",
    "       -  降順",
    "",
    "/c:    上から何個のビデオカプセルを書き出すか指定します.",
    "",
    "/t:    指定した文字とタイトルがマッチしたものを書き出します.正規表現での指定も可能です.",
    "",
    "/a:    指定した文字とTV局がマッチしたものを書き出します.",
    "",
    "/f:    指定した文字とキャビネットがマッチしたものを書き出します.",
    "",
    "/d     ダビング後にビデオカプセルを削除する.",
    "",
    "初期値  /s:d- /c:1",
};
// clang-format on

char LowerAscii(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// A whole number of the count option: optional sign and decimal digits within the range of a
// 32-bit integer; nullopt for anything else.
std::optional<long long> ParseCount(const std::string& text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > std::numeric_limits<std::int32_t>::max() + 1LL) return std::nullopt;
  }
  value = negative ? -value : value;
  if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return value;
}

// A save-folder argument: gives the program "dir" (and, for a network path, "net use") the
// chance to make the folder reachable, then takes it as the save folder if it exists.
void TakeSaveFolder(const std::string& argument, BatchWindow& window, BatchOptions& options) {
  window.RunHidden("dir " + argument);
  if (!window.FolderExists(argument)) {
    if (argument.rfind("\\\\", 0) == 0) window.RunHidden("net use " + NetworkDriveOf(argument));
    if (!window.FolderExists(argument)) {
      options.count = 0;
      return;
    }
  }
  window.SetSaveFolderText(argument);
}

// The sort field chosen by the letters of the sort option (case-sensitive, anywhere in it);
// empty when none is recognised.
std::string SortFieldOf(const std::string& letters) {
  static constexpr struct {
    char letter;
    const char* field;
  } kFields[] = {{'d', "FileDateTime"}, {'t', "Title"},       {'s', "FileSize"},
                 {'c', "Channel"},      {'f', "TapeLibName"}, {'n', "FileName"}};
  for (const auto& entry : kFields) {
    if (letters.find(entry.letter) != std::string::npos) return entry.field;
  }
  return {};
}

// Selects, from the top of the catalogue in display order, the first `count` rows that pass
// the cabinet, channel and title filters, tested in that order.
void SelectMatchingRows(BatchWindow& window, const BatchOptions& options) {
  Catalogue& catalogue = window.catalogue();
  const std::optional<KeywordMatcher> cabinet =
      options.cabinet_filter.empty() ? std::nullopt
                                     : std::optional<KeywordMatcher>(options.cabinet_filter);
  const std::optional<KeywordMatcher> channel =
      options.channel_filter.empty() ? std::nullopt
                                     : std::optional<KeywordMatcher>(options.channel_filter);
  const std::optional<KeywordMatcher> title =
      options.title_filter.empty() ? std::nullopt
                                   : std::optional<KeywordMatcher>(options.title_filter);
  // The batch dubs exactly the rows it picks.
  catalogue.Selection.clear();
  const std::vector<CatalogueRow>& rows = catalogue.Table1.rows();
  long long selected = 0;
  for (std::size_t i = 0; selected < options.count && i < rows.size() && !window.StopRequested;
       ++i) {
    const CatalogueRow& row = rows[i];
    catalogue.CurrentRow = row.id;
    bool match = true;
    if (cabinet) match = cabinet->Matches(row.TapeLibName);
    if (channel && match) match = channel->Matches(row.Channel);
    if (title && match) match = title->Matches(row.Title);
    if (match) {
      window.SelectRow(row.id);
      ++selected;
    }
  }
}

// Readies the window for a batch: sorts the catalogue, sets the output form and the delete
// box, and selects the capsules that the options pick.
void PrepareBatch(BatchWindow& window, const BatchOptions& options) {
  Catalogue& catalogue = window.catalogue();
  catalogue.SortField = SortFieldOf(options.sort);
  const bool descending = options.sort.find('-') != std::string::npos;
  catalogue.SortMarker = descending ? 1 : 2;
  if (!catalogue.SortField.empty()) SortCatalogue(catalogue, std::nullopt);

  window.SetExportTo(window.CabinetForm ? OutputForm::kExternalCabinet : OutputForm::kMpegFile);
  window.SetCheckDelete(window.DeleteAfterDub);

  SelectMatchingRows(window, options);
}

// A whole batch: the preparation, the dubbing job on the selection, then the wait before the
// program ends.
void RunBatch(BatchWindow& window, CapsuleDeleter& deleter, const BatchOptions& options,
              double end_wait_seconds) {
  PrepareBatch(window, options);
  ActionExportExecute(window, deleter);

  window.YieldToUi();
  WaitSeconds(end_wait_seconds, window);
}

}  // namespace

void BatchWindow::RunHidden(const std::string& command_line) {
  RunAndWait(command_line, kHidden, *this);
}

std::string NetworkDriveOf(std::string_view path) {
  // Past the leading "\\", the drive part ends before the second separator.
  int separators = 0;
  for (std::size_t i = 2; i < path.size();) {
    const std::size_t length = CharLengthAt(path, i);
    if (length == 1 && path[i] == '\\' && ++separators == 2) {
      return std::string(path.substr(0, i));
    }
    i += length;
  }
  return std::string(path);
}

BatchOptions ReadCommandLine(const std::vector<std::string>& arguments, BatchWindow& window) {
  BatchOptions options;
  for (const std::string& argument : arguments) {
    // An empty argument is a save folder that does not exist.
    const char lead = argument.empty() ? '\0' : LowerAscii(argument[0]);
    std::string key;
    if (argument.size() >= 3) {
      key = {LowerAscii(argument[1]), LowerAscii(argument[2])};
    } else if (argument.size() == 2) {
      key = {LowerAscii(argument[1])};
    }
    const std::string value = argument.size() > 3 ? argument.substr(3) : std::string();

    if (lead != '-' && lead != '/') {
      TakeSaveFolder(argument, window, options);
    } else if (key == "s:") {
      options.sort = value;
    } else if (key == "c:") {
      if (options.count >= 1) options.count = ParseCount(TrimControls(value)).value_or(0);
    } else if (key == "t:") {
      if (options.count >= 1) options.title_filter = Unquote(value);
    } else if (key == "a:") {
      if (options.count >= 1) options.channel_filter = value;
    } else if (key == "f:") {
      if (options.count >= 1) options.cabinet_filter = value;
    } else if (key == "w") {
      window.NumberDuplicates = true;
    } else if (key == "o") {
      window.CabinetForm = true;
    } else if (key == "d") {
      window.DeleteAfterDub = true;
    } else if (key == "?") {
      options.count = 0;
      break;
    }
  }
  return options;
}

std::string UsageText() {
  std::string text;
  for (const char* line : kUsageLines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

void ShowUsage(BatchWindow& window) {
  window.ShowInformation(UsageText(), window.ApplicationTitle());
}

void ActionHELPExecute(BatchWindow& window) {
  ShowUsage(window);
}

std::optional<std::vector<PlannedDub>> PlanCommandLine(BatchWindow& window,
                                                       const std::vector<std::string>& arguments) {
  window.NumberDuplicates = false;
  window.CabinetForm = false;
  window.DeleteAfterDub = false;
  const BatchOptions options = ReadCommandLine(arguments, window);
  if (options.count == 0) return std::nullopt;
  PrepareBatch(window, options);
  return PlanExport(window);
}

void RunCommandLine(BatchWindow& window, CapsuleDeleter& deleter,
                    const std::vector<std::string>& arguments, double end_wait_seconds) {
  window.NumberDuplicates = false;
  window.CabinetForm = false;
  window.DeleteAfterDub = false;
  const BatchOptions options = ReadCommandLine(arguments, window);
  if (options.count == 0) {
    ShowUsage(window);
    return;
  }
  // The window closes on every way out of the batch, and an error is shown before that:
  // closing ends the program, and an error left for later would never be seen.
  const ScopeGuard close_window([&] { window.CloseMainWindow(); });
  try {
    RunBatch(window, deleter, options, end_wait_seconds);
  } catch (const std::exception& error) {
    window.ShowAppException(error.what());
  }
}

}  // namespace capsdub
