#include "entry/Balances.h"

#include <algorithm>
#include <map>
#include <vector>

#include "data/AppDir.h"
#include "data/Engine.h"
#include "data/Money.h"
#include "data/Query.h"

namespace entry {

namespace {

// The statements of the balance queries, line by line as the windows hold them.
struct NamedQuery {
    const char* name;
    std::vector<const char*> lines;
};

const NamedQuery QSICasa{"QSICasa", {"SELECT SUM(Sold_init_casa) as Suma", "FROM \"Contor.DB\""}};
const NamedQuery QSIBanca{"QSIBanca", {"SELECT SUM(Sold_init_banca) as Suma ", "FROM \"Contor.DB\""}};
const NamedQuery QVenituriCasa{"QVenituriCasa",
                               {"SELECT SUM(Valoarea) as Suma ", "FROM \"Venituri.DB\" ", "WHERE", "(Cont = 'Casa')"}};
const NamedQuery QVenituriBanca{
    "QVenituriBanca", {"SELECT SUM(Valoarea) as Suma ", "FROM \"Venituri.DB\" ", "WHERE", "(Cont = 'Banca')"}};
const NamedQuery QCheltuieliCasa{
    "QCheltuieliCasa", {" SELECT SUM(Valoarea) as Suma ", "FROM \"Cheltuieli.DB\" ", " WHERE (Cont = 'Casa')"}};
const NamedQuery QCheltuieliBanca{
    "QCheltuieliBanca", {" SELECT SUM(Valoarea) as Suma ", "FROM \"Cheltuieli.DB\" ", " WHERE (Cont = 'Banca')"}};
const NamedQuery QDepuneri{"QDepuneri", {"SELECT SUM(Suma) as Suma ", "FROM \"Depuneri.DB\" "}};
const NamedQuery QRidicari{"QRidicari", {"SELECT SUM(Suma) as Suma ", "FROM \"Ridicari.DB\" "}};

// Opens the query, reads its one value (NULL reads as 0) and closes it: the
// sum in bani, so the balance is exact whatever the number of documents.
data::Bani sum(const NamedQuery& nq, const std::string& dir) {
    data::Query q;
    q.queryName = nq.name;
    q.setDatabaseName(dir);
    for (const char* l : nq.lines) q.sql.emplace_back(l);
    q.open();
    const data::Bani v = data::toBani(q.fieldByName("Suma").asFloat());
    q.close();
    return v;
}

// The statements of the cash moves, one per kind of document: date and amount.
struct CashQuery {
    CashDoc kind;
    const char* sql;
};
const CashQuery kCashMoves[] = {
    {CashDoc::Receipt, "SELECT Data, Valoarea FROM \"Venituri.DB\" WHERE (Cont = 'Casa')"},
    {CashDoc::Payment, "SELECT Data, Valoarea FROM \"Cheltuieli.DB\" WHERE (Cont = 'Casa')"},
    {CashDoc::Deposit, "SELECT Data, Suma FROM \"Depuneri.DB\""},
    {CashDoc::Withdrawal, "SELECT Data, Suma FROM \"Ridicari.DB\""},
};

std::optional<data::Date> dayOf(const data::Value& v) {
    if (v.isNull()) return std::nullopt;
    if (v.isDate()) return v.toDate();
    return data::Date::parseIso(v.toString());
}

// The stored cash moves summed per day, undated documents first.
using CashDays = std::map<std::optional<data::Date>, data::Bani>;
CashDays storedCashDays(const std::string& dir) {
    CashDays days;
    data::SqlSession& session = data::SqlSession::forDirectory(dir.empty() ? data::AppDir() : dir);
    for (const CashQuery& q : kCashMoves)
        for (const auto& row : session.select(q.sql).rows) {
            const CashMove m = cashMove(q.kind, dayOf(row.at(0)), "Casa", row.at(1).toDouble());
            days[m.day] += m.amount;
        }
    return days;
}

}  // namespace

CashMove cashMove(CashDoc kind, std::optional<data::Date> day, const std::string& account, double amount) {
    const data::Bani bani = data::toBani(amount);
    switch (kind) {
        case CashDoc::Receipt: return {day, account == "Casa" ? bani : 0};
        case CashDoc::Payment: return {day, account == "Casa" ? -bani : 0};
        case CashDoc::Deposit: return {day, -bani};
        case CashDoc::Withdrawal: return {day, bani};
    }
    return {day, 0};
}

std::optional<NegativeCash> firstNegativeCash(const std::vector<CashMove>& pending, const std::string& dir) {
    CashDays change;
    for (const CashMove& m : pending) change[m.day] += m.amount;
    if (std::all_of(change.begin(), change.end(), [](const auto& d) { return d.second >= 0; })) return std::nullopt;
    CashDays days = storedCashDays(dir);
    for (const auto& [day, amount] : change) days[day] += 0;
    data::Bani balance = sum(QSICasa, dir), changed = 0;
    for (const auto& [day, amount] : days) {
        const auto c = change.find(day);
        const data::Bani delta = c == change.end() ? 0 : c->second;
        balance += amount + delta;
        changed += delta;
        // an undated document has no day of its own to name: its amount
        // shows in the days that follow
        if (day && balance < 0 && changed < 0) return NegativeCash{*day, balance};
    }
    return std::nullopt;
}

data::Bani cashAtEndOf(const data::Date& day, const std::string& dir) {
    data::Bani balance = sum(QSICasa, dir);
    for (const auto& [d, amount] : storedCashDays(dir))
        if (!d || *d <= day) balance += amount;
    return balance;
}

double CalcSoldCasa(const std::string& dir) {
    data::Bani s = sum(QSICasa, dir);
    s += sum(QVenituriCasa, dir);
    s -= sum(QDepuneri, dir);
    s += sum(QRidicari, dir);
    s -= sum(QCheltuieliCasa, dir);
    return data::fromBani(s);
}

double CalcSoldBanca(const std::string& dir) {
    data::Bani s = sum(QSIBanca, dir);
    s += sum(QVenituriBanca, dir);
    s += sum(QDepuneri, dir);
    s -= sum(QRidicari, dir);
    s -= sum(QCheltuieliBanca, dir);
    return data::fromBani(s);
}

std::string balanceText(double value) { return data::formatAmount(value); }

std::optional<double> balanceFromText(const std::string& text) { return data::parseAmount(text).value; }

}  // namespace entry
