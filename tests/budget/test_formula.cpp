// Budget formulas evaluated over a real "Bilant" table.
#include <gtest/gtest.h>

#include "budget/Formula.h"
#include "data/Errors.h"
#include "data/Schema.h"
#include "data/Table.h"
#include "support/TempDir.h"

using namespace data;

namespace {

struct Budget {
    TempDir dir;
    Budget() {
        createTableFile(dir.file("Bilant.DB"), {"Bilant.DB",
                                                {{"Nr_rand", FieldType::SmallInt},
                                                 {"Denumire", FieldType::String, 100},
                                                 {"Prevederi", FieldType::Float},
                                                 {"Executie", FieldType::Float},
                                                 {"Formula", FieldType::String, 200}},
                                                {},
                                                {}});
        insertRows(dir.file("Bilant.DB"), {"Nr_rand", "Denumire", "Prevederi", "Executie"},
                   {{2, "a", 10.0, 1.0},
                    {3, "b", 20.0, 2.0},
                    {4, "c", 30.0, 3.0},
                    {5, "d", 5.0, 0.5},
                    {20, "CHELTUIELI", 0.0, 0.0},
                    {20, "salarii", 7.0, 0.7},
                    {9, "rezultat", 0.0, 0.0}});
    }
    // Both amounts of the first line numbered n.
    std::pair<Value, Value> line(int n) {
        Table t;
        t.setDatabaseName(dir.path());
        t.setTableName("Bilant.DB");
        t.open();
        for (t.first(); !t.eof(); t.next())
            if (t["Nr_rand"].asInteger() == n) return {t["Prevederi"].value(), t["Executie"].value()};
        return {};
    }
};

}  // namespace

TEST(Formula, AddsAndSubtractsLinesLeftToRightInBothColumns) {
    Budget b;
    budget::CalcFormula("2+3-5", b.dir.path(), 9);
    EXPECT_DOUBLE_EQ(b.line(9).first.toDouble(), 25.0);
    EXPECT_DOUBLE_EQ(b.line(9).second.toDouble(), 2.5);
    budget::CalcFormula(" 4 * 5 ", b.dir.path(), 9);
    auto star = b.line(9);
    budget::CalcFormula("4+5", b.dir.path(), 9);
    EXPECT_EQ(b.line(9), star);
    EXPECT_DOUBLE_EQ(star.first.toDouble(), 35.0);
    budget::CalcFormula("4/5", b.dir.path(), 9);
    EXPECT_DOUBLE_EQ(b.line(9).first.toDouble(), 25.0);
    budget::CalcFormula("20", b.dir.path(), 9);  // the shared number adds both of its lines
    EXPECT_DOUBLE_EQ(b.line(9).first.toDouble(), 7.0);
    budget::CalcFormula("2+77", b.dir.path(), 9);  // a line that does not exist leaves the line blank
    EXPECT_TRUE(b.line(9).first.isNull());
    EXPECT_TRUE(b.line(9).second.isNull());
}

TEST(Formula, TextOutsideTheLanguageIsRefusedAndWritesNothing) {
    Budget b;
    budget::CalcFormula("2", b.dir.path(), 9);
    for (const char* bad : {"3+", "-3", "3++4", "2+a", "(2)", "", "2; DELETE FROM Bilant", "2) WHERE 0; --", "2 3"}) {
        try {
            budget::CalcFormula(bad, b.dir.path(), 9);
            ADD_FAILURE() << "accepted: " << bad;
        } catch (const EngineError& e) {
            std::string m = e.what();
            EXPECT_NE(m.find("9"), std::string::npos);
            EXPECT_NE(m.find(bad), std::string::npos);
        }
    }
    EXPECT_DOUBLE_EQ(b.line(9).first.toDouble(), 10.0);  // the earlier result stands
    EXPECT_DOUBLE_EQ(b.line(2).first.toDouble(), 10.0);  // and no other line was touched
}
