// The tab-separated form of catalogue rows that list --tsv and the dry runs print (UTF-8).
#pragma once

#include <string>

#include "catalogue/tables.h"

namespace capsdub::cli {

// The column names, without a line end.
std::string TsvHeader();
// One row's fields, without a line end; tabs, line breaks and backslashes in text escaped.
std::string TsvRow(const CatalogueRow& row);
// Shift-JIS text as one escaped UTF-8 field.
std::string TsvField(const std::string& sjis);

}  // namespace capsdub::cli
