// Shared set-up of the budget tests: a new installation (its budget lines,
// catalogs and unit record) in a temporary database directory, the working
// year 2014, opening balances of 1,000 in cash and 5,000 in the bank, and
// helpers that store documents and read the budget lines back.
//
// The installation's budget: 0 income heading, 1 opening balance, 2..13
// income lines, 14 = 2+...+13, 15 the expense heading and 15 "Cheltuieli
// curente" = 16+...+28 (one number, two lines), 16..28, 30, 31 expense
// lines, 29 = 30+31, 32 = 16+...+28+30+31, 33 = 1+14-32.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "data/AppDir.h"
#include "data/Engine.h"
#include "data/Install.h"
#include "data/Schema.h"
#include "data/Table.h"
#include "support/Installation.h"
#include "support/TempDir.h"

namespace budget_test {

using data::Date;
using data::Value;

using support::installInto;

// Every entry below `root`, relative, for "nothing else changed" checks.
inline std::set<std::string> entries(const std::string& root) {
    std::set<std::string> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root))
        out.insert(std::filesystem::relative(e.path(), root).string());
    return out;
}

struct Line {
    int nr;
    std::string name;
    Value prevederi, executie;
    Value formula;
};

class BudgetFixture : public ::testing::Test {
protected:
    void SetUp() override {
        installInto(db.path());
        data::setAppDir(db.path());
        support::setUnit(
            db.path(),
            {"Arhiepiscopia", "Protopopiatul", "Parohia", "Localitatea", "Judet", "Preot", "Epitrop", "An_lucru"},
            {"Arhiepiscopia Bucureștilor", "Protopopiatul Ilfov", "Parohia Sfântul Ștefan", "Târgșor", "Ilfov",
             "Pr. Ion Țăranu", "Maria Ișan", 2014});
        data::insertRows(db.file("Contor.DB"), {"Sold_init_casa", "Sold_init_banca"}, {{1000.0, 5000.0}});
    }

    long long sql(const std::string& statement) { return sqlIn(db.path(), statement); }
    // A statement over the tables of another directory (a unit's, a group's).
    static long long sqlIn(const std::string& dir, const std::string& statement) {
        return data::SqlSession::forDirectory(dir).execute(statement);
    }

    void receipt(const Date& d, int code, double amount, const char* cont = "Casa") {
        data::insertRows(db.file("Venituri.DB"), {"Nr_act", "Data", "Cod_venit", "Valoarea", "Cont"},
                         {{double(++number_), d, code, amount, cont}});
    }
    void payment(const Date& d, int code, double amount, const char* cont = "Casa") {
        data::insertRows(db.file("Cheltuieli.DB"), {"Nr_act", "Data", "Cod_cheltuiala", "Valoarea", "Cont"},
                         {{double(++number_), d, code, amount, cont}});
    }
    void addLine(int nr, const char* name, Value prevederi = Value(), Value formula = Value()) {
        data::insertRows(db.file("Bilant.DB"), {"Nr_rand", "Denumire", "Prevederi", "Executie", "Formula"},
                         {{nr, name, prevederi, Value(), formula}});
    }

    // Every line in index order (of the budget of the database directory, or
    // of another budget table).
    std::vector<Line> lines(const std::string& dir = {}, const char* file = "Bilant.DB") {
        data::Table t;
        t.setDatabaseName(dir.empty() ? db.path() : dir);
        t.setTableName(file);
        t.open();
        std::vector<Line> out;
        for (t.first(); !t.eof(); t.next())
            out.push_back({static_cast<int>(t["Nr_rand"].asInteger()), t["Denumire"].asString(), t["Prevederi"].value(),
                           t["Executie"].value(), t["Formula"].value()});
        return out;
    }
    // The first line numbered `nr` (index order).
    Line line(int nr) {
        for (const Line& l : lines())
            if (l.nr == nr) return l;
        ADD_FAILURE() << "no line " << nr;
        return {};
    }
    double executie(int nr) { return line(nr).executie.toDouble(); }
    double prevederi(int nr) { return line(nr).prevederi.toDouble(); }
    // Executed amounts of every line, index order.
    std::vector<Value> executii() {
        std::vector<Value> v;
        for (const Line& l : lines()) v.push_back(l.executie);
        return v;
    }

    static Date day(int d, int m, int y = 2014) { return Date{y, m, d}; }

    TempDir db;

private:
    int number_ = 0;
};

}  // namespace budget_test
