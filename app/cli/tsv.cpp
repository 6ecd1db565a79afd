// Tab-separated catalogue rows.
#include "app/cli/tsv.h"

#include <cstdio>

#include "catalogue/display_format.h"
#include "platform/codepage.h"

namespace capsdub::cli {
namespace {

std::string EscapeTsv(const std::string& utf8) {
  std::string out;
  for (char c : utf8) {
    switch (c) {
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string TsvDate(DateTime value) {
  const CivilDateTime c = DecodeDateTime(value);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour,
                c.minute, c.second);
  return text;
}

}  // namespace

std::string TsvHeader() {
  return "FileName\tTitle\tFileSize\tFileDateTime\tChannel\tTapeLibName\tStatus\tTapeLibID\tMemo";
}

std::string TsvField(const std::string& sjis) {
  return EscapeTsv(platform::SjisToUtf8(sjis));
}

std::string TsvRow(const CatalogueRow& row) {
  std::string line;
  const auto text = [&](const std::string& sjis) {
    line += TsvField(sjis);
    line += '\t';
  };
  text(row.FileName);
  text(row.Title);
  line += FormatThousands(row.FileSize, "") + '\t';
  line += TsvDate(row.FileDateTime) + '\t';
  text(row.Channel);
  text(row.TapeLibName);
  line += std::to_string(row.Status) + '\t' + std::to_string(row.TapeLibID) + '\t';
  line += TsvField(row.Memo);
  return line;
}

}  // namespace capsdub::cli
