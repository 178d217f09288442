// The data table as an HTML <table>: the title block above it, a header row,
// amounts and dates as the program shows them. One table per sheet.
#pragma once
#include <memory>
#include <string>

#include "export/DataTable.h"

namespace exports {

std::unique_ptr<TableSink> openHtmlTable(const std::string& path, std::string* error);

}  // namespace exports
