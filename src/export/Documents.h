// Every receipt, payment, deposit and withdrawal of a period with every field
// of its table: in .xlsx (and an HTML table) one sheet per kind, in CSV one
// file whose first column names the kind; in each kind the documents come in
// the order they were entered. Read in pages of rows, so memory stays bounded
// however many documents there are.
#pragma once
#include <string>

#include "data/Value.h"
#include "export/DataTable.h"

namespace exports {

struct DocumentsCount {
    long long receipts = 0, payments = 0, deposits = 0, withdrawals = 0;
    long long total() const { return receipts + payments + deposits + withdrawals; }
};

// Writes the documents dated `from` to `to` of the tables in `dir` into
// `file` (written directly; the caller gives a temporary file). Throws
// data::EngineError when a table cannot be read; false with `error` when the
// file cannot be written.
bool exportDocuments(const std::string& dir, const data::Date& from, const data::Date& to, Format format,
                     const std::string& file, std::string* error, DocumentsCount* count = nullptr);

}  // namespace exports
