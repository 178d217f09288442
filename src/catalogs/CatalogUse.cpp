#include "catalogs/CatalogUse.h"

#include <algorithm>

#include "budget/Formula.h"
#include "data/Engine.h"

namespace catalogs {

namespace {

long long count(const std::string& dir, const std::string& sql, const data::Value& key) {
    data::ResultSet rs = data::SqlSession::forDirectory(dir).select(sql, {{"Cheie", key}});
    return rs.rows.empty() || rs.rows[0].empty() ? 0 : rs.rows[0][0].toInt();
}

std::string refusal(const std::string& what, long long documents) {
    if (documents == 0) return {};
    return what + " este folosit de " + documentCount(documents) + " si nu poate fi sters!";
}

}  // namespace

long long receiptsOfIncomeType(const std::string& dir, long long code) {
    return count(dir, "SELECT COUNT(*) FROM \"Venituri.DB\" WHERE Cod_venit = :Cheie", data::Value(code));
}

long long paymentsOfExpenseType(const std::string& dir, long long code) {
    return count(dir, "SELECT COUNT(*) FROM \"Cheltuieli.DB\" WHERE Cod_cheltuiala = :Cheie", data::Value(code));
}

long long documentsOfKind(const std::string& dir, const std::string& kind) {
    long long n = 0;
    for (const char* t : {"Venituri.DB", "Cheltuieli.DB", "Depuneri.db", "Ridicari.db"})
        n += count(dir, "SELECT COUNT(*) FROM " + data::quoteIdent(t) + " WHERE Fel = :Cheie", data::Value(kind));
    return n;
}

std::vector<long long> formulaLinesNaming(const std::string& dir, long long line) {
    data::ResultSet rs = data::SqlSession::forDirectory(dir).select(
        "SELECT Nr_rand, Formula FROM \"Bilant.DB\" WHERE Nr_rand <> :Cheie AND Formula IS NOT NULL "
        "ORDER BY Nr_rand",
        {{"Cheie", data::Value(line)}});
    std::vector<long long> lines;
    for (const auto& row : rs.rows) {
        auto terms = budget::parseFormula(row[1].toString());
        if (terms && std::any_of(terms->begin(), terms->end(), [line](const auto& t) { return t.line == line; }))
            lines.push_back(row[0].toInt());
    }
    return lines;
}

std::string documentCount(long long n) {
    if (n == 1) return "1 document";
    // Romanian puts "de" before the plural from twenty on (101 to 119 excepted).
    const long long rest = n % 100;
    const bool de = n >= 20 && (rest == 0 || rest >= 20);
    return std::to_string(n) + (de ? " de documente" : " documente");
}

std::string incomeTypeInUse(const std::string& dir, long long code) {
    return refusal("Tipul de venit " + std::to_string(code), receiptsOfIncomeType(dir, code));
}

std::string expenseTypeInUse(const std::string& dir, long long code) {
    return refusal("Tipul de cheltuiala " + std::to_string(code), paymentsOfExpenseType(dir, code));
}

std::string documentKindInUse(const std::string& dir, const std::string& kind) {
    return refusal("Tipul de document " + kind, documentsOfKind(dir, kind));
}

std::string budgetLineInUse(const std::string& dir, long long line) {
    const long long documents = receiptsOfIncomeType(dir, line) + paymentsOfExpenseType(dir, line);
    const std::vector<long long> formulas = formulaLinesNaming(dir, line);
    if (documents == 0 && formulas.empty()) return {};
    std::string text = "Randul " + std::to_string(line) + " este folosit";
    if (documents > 0) text += " de " + documentCount(documents);
    if (!formulas.empty()) {
        if (documents > 0) text += ",";
        text += formulas.size() == 1 ? " in formula randului " : " in formulele randurilor ";
        for (size_t i = 0; i < formulas.size(); ++i) text += (i ? ", " : "") + std::to_string(formulas[i]);
        if (documents > 0) text += ",";
    }
    return text + " si nu poate fi sters!";
}

data::Value storedValue(data::DataSet& ds, const std::string& field) {
    if (!ds.active() || ds.isEmpty() || ds.state() == data::DataSetState::Insert) return {};
    const std::vector<data::Value> row = ds.rowValues(ds.currentIndex());
    const auto i = static_cast<size_t>(ds.fieldByName(field).index());
    return i < row.size() ? row[i] : data::Value();
}

}  // namespace catalogs
