// The data CSV: UTF-8 with a byte-order mark, ';' between fields, the title
// block (a line each in the first field, then an empty row), one header row
// and the same number of fields on every row, amounts with the decimal point and
// no thousands separator, dates dd.mm.yyyy, a field quoted only when it holds
// a separator, a quote or a line break. A second sheet's rows follow the
// first's under its header (the lists that share a file share their columns).
#pragma once
#include <memory>
#include <string>

#include "export/DataTable.h"

namespace exports {

std::unique_ptr<TableSink> openCsv(const std::string& path, std::string* error);
// One field as the CSV writes it.
void appendCsvField(std::string& out, const std::string& text);

}  // namespace exports
