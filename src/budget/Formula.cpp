#include "budget/Formula.h"

#include <cctype>

#include "data/Errors.h"
#include "data/Query.h"

namespace budget {

namespace {

// The sum of one column over the lines a term names. The table is named by
// its file, which the engine finds without searching the directory.
std::string termSum(const char* column, size_t term) {
    return std::string("(Select Sum(") + column + ") From \"Bilant.DB\" where Nr_rand = :T" + std::to_string(term) +
           ")";
}

// The column's value from the terms, left to right.
std::string expression(const char* column, const std::vector<FormulaTerm>& terms) {
    std::string e = termSum(column, 0);
    for (size_t i = 1; i < terms.size(); ++i) e += (terms[i].sign < 0 ? " - " : " + ") + termSum(column, i);
    return e;
}

}  // namespace

std::optional<std::vector<FormulaTerm>> parseFormula(const std::string& text) {
    std::vector<FormulaTerm> terms;
    size_t i = 0, n = text.size();
    int sign = 1;
    auto skipBlanks = [&] {
        while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    };
    while (true) {
        skipBlanks();
        if (i >= n || !std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
        long long v = 0;
        while (i < n && std::isdigit(static_cast<unsigned char>(text[i]))) {
            if (v < 1000000000LL) v = v * 10 + (text[i] - '0');  // larger numbers name no line anyway
            ++i;
        }
        terms.push_back({sign, v});
        skipBlanks();
        if (i >= n) break;
        char op = text[i++];
        if (op == '+' || op == '*')
            sign = 1;
        else if (op == '-' || op == '/')
            sign = -1;
        else
            return std::nullopt;
    }
    return terms;
}

void CalcFormula(const std::string& formula, const std::string& dir, int rand) {
    auto terms = parseFormula(formula);
    if (!terms)
        throw data::EngineError("Formula randului " + std::to_string(rand) + " nu este corecta: \"" + formula + "\"");
    // One statement for both columns; the line numbers are parameters, never
    // text of the statement. A term naming no line sums to NULL, which makes
    // the whole column NULL: the line is left blank.
    data::Query store;
    store.setDatabaseName(dir);
    store.sql = {"UPDATE \"Bilant.DB\"", "Set Prevederi = " + expression("Prevederi", *terms) + ",",
                 " Executie = " + expression("Executie", *terms), "Where", "Nr_rand=:Rand"};
    for (size_t i = 0; i < terms->size(); ++i) store.setParam("T" + std::to_string(i), (*terms)[i].line);
    store.setParam("Rand", rand);
    store.execSql();
}

}  // namespace budget
