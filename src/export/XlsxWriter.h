// The .xlsx writer over libxlsxwriter, in its constant-memory mode (each row
// goes to a temporary file as it is written): amounts as numbers "#,##0.00",
// dates as dates "dd.mm.yyyy", counts as integers, the title block above a
// frozen header row, widths that fit, A4 in the report's orientation with the
// print area over the table.
#pragma once
#include <memory>
#include <string>

#include "export/DataTable.h"

namespace exports {

std::unique_ptr<TableSink> openXlsx(const std::string& path, std::string* error);

// A name a sheet may take: at most 31 characters, none of []:*?/\.
std::string sheetNameFor(const std::string& name);

}  // namespace exports
