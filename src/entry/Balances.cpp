#include "entry/Balances.h"

#include <vector>

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

}  // namespace

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
