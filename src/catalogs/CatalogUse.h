// What the stored documents and the budget formulas name, so that a catalog
// row they use is never deleted from under them: an income type named by
// receipts, an expense type named by payments, a document kind named by any
// of the four document tables, a budget line named by documents (as their
// income or expense code) or by another line's formula. Plain C++ over the
// engine's SQL, in the tables of one directory.
#pragma once
#include <string>
#include <vector>

#include "data/DataSet.h"

namespace catalogs {

// Receipts ("Venituri.DB") of income type `code`.
long long receiptsOfIncomeType(const std::string& dir, long long code);
// Payments ("Cheltuieli.DB") of expense type `code`.
long long paymentsOfExpenseType(const std::string& dir, long long code);
// Receipts, payments, deposits and withdrawals of kind `kind` (field "Fel").
long long documentsOfKind(const std::string& dir, const std::string& kind);
// The lines of "Bilant.DB" other than `line` whose formula names `line`, in
// line order. Formulas outside the language name nothing.
std::vector<long long> formulaLinesNaming(const std::string& dir, long long line);

// "10 documente", "1 document", "20 de documente".
std::string documentCount(long long n);

// Why the row cannot be deleted; empty when nothing uses it.
std::string incomeTypeInUse(const std::string& dir, long long code);
std::string expenseTypeInUse(const std::string& dir, long long code);
std::string documentKindInUse(const std::string& dir, const std::string& kind);
std::string budgetLineInUse(const std::string& dir, long long line);

// The value `field` has in the stored row of the current record, not what is
// being typed over it: a delete removes the stored row. Null for a record
// being inserted (it has no stored row).
data::Value storedValue(data::DataSet& ds, const std::string& field);

}  // namespace catalogs
