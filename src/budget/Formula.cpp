#include "budget/Formula.h"

#include <cctype>

#include "data/Errors.h"
#include "data/Query.h"

namespace budget {

namespace {

// Statements over the budget table: the sums of one line number, and the
// update of every line carrying the computed line's number.
const char* const kLineSums[] = {"SELECT SUM(Prevederi) as P, SUM(Executie) as E", "FROM Bilant",
                                 "WHERE Nr_rand = :Termen"};
const char* const kStoreResult[] = {"UPDATE Bilant", "Set Prevederi = :P,", " Executie = :E", "Where",
                                    "Nr_rand=:Rand"};

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
        if (op == '+' || op == '*') sign = 1;
        else if (op == '-' || op == '/') sign = -1;
        else return std::nullopt;
    }
    return terms;
}

void CalcFormula(const std::string& formula, const std::string& dir, int rand) {
    auto terms = parseFormula(formula);
    if (!terms)
        throw data::EngineError("Formula randului " + std::to_string(rand) + " nu este corecta: \"" + formula + "\"");
    double p = 0, e = 0;
    bool pBlank = false, eBlank = false;
    data::Query sums;
    sums.setDatabaseName(dir);
    for (const char* l : kLineSums) sums.sql.emplace_back(l);
    for (const auto& t : *terms) {
        sums.setParam("Termen", t.line);
        sums.open();
        const data::Field& fp = sums.fieldByName("P");
        const data::Field& fe = sums.fieldByName("E");
        // a blank term makes the whole result blank, as a NULL sum would in SQL
        pBlank = pBlank || fp.isNull();
        eBlank = eBlank || fe.isNull();
        p += t.sign * fp.asFloat();
        e += t.sign * fe.asFloat();
        sums.close();
    }
    data::Query store;
    store.setDatabaseName(dir);
    for (const char* l : kStoreResult) store.sql.emplace_back(l);
    store.setParam("P", pBlank ? data::Value() : data::Value(p));
    store.setParam("E", eBlank ? data::Value() : data::Value(e));
    store.setParam("Rand", rand);
    store.execSql();
}

}  // namespace budget
