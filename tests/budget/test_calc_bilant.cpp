// The budget computed as at a date and for a period, over a new
// installation's tables with documents stored in them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>

#include "budget/BudgetFixture.h"
#include "budget/CalcBilant.h"

namespace data {
// Readable values in failure messages.
inline void PrintTo(const Value& v, std::ostream* os) { *os << (v.isNull() ? std::string("NULL") : v.toString()); }
}  // namespace data

using budget::BilantError;
using budget::CalcBilant;
using budget::CalcBilantPerioada;
using namespace budget_test;

namespace {

class CalcBilantTest : public BudgetFixture {};

}  // namespace

TEST_F(CalcBilantTest, WithoutDocumentsOnlyTheOpeningBalanceAndItsFormulasCount) {
    // figures of an earlier run are replaced; blank amounts become 0.0
    sql("UPDATE Bilant SET Executie = 77.0 WHERE Nr_rand IN (2, 16)");
    sql("UPDATE Bilant SET Prevederi = NULL WHERE Nr_rand = 3");
    CalcBilant(day(12, 5));
    for (const Line& l : lines()) {
        const double expected = l.nr == 1 || l.nr == 33 ? 6000.0 : 0.0;
        EXPECT_EQ(l.executie, Value(expected)) << l.nr << " " << l.name;
        EXPECT_EQ(l.prevederi, Value(0.0)) << l.nr << " " << l.name;
    }
    EXPECT_TRUE(std::filesystem::is_directory(db.file("PRIV")));
    // a blank opening balance counts as 0, the other one still counts
    sql("UPDATE Contor SET Sold_init_casa = NULL");
    CalcBilant(day(12, 5));
    EXPECT_EQ(executie(1), 5000.0);
}

TEST_F(CalcBilantTest, DocumentsUpToAndIncludingTheDateInBothAccountsByCatalogCode) {
    receipt(day(3, 1), 2, 100.0, "Casa");
    receipt(day(12, 5), 2, 20.5, "Banca");   // on the date: counts
    receipt(day(13, 5), 2, 1000.0, "Casa");  // the day after: does not
    receipt(day(31, 12, 2013), 3, 7.0);      // no lower bound
    receipt(day(1, 2), 99, 500.0);           // a code the catalog does not know: nowhere
    payment(day(12, 5), 16, 30.0, "Banca");
    payment(day(2, 2), 18, 12.25);
    payment(day(14, 5), 18, 999.0);
    data::insertRows(db.file("Depuneri.db"), {"Nr_doc", "Data", "Suma"}, {{1.0, day(1, 3), 400.0}});
    data::insertRows(db.file("Ridicari.db"), {"Nr_doc", "Data", "Suma"}, {{1.0, day(1, 3), 300.0}});
    const std::vector<Line> before = lines();

    CalcBilant(day(12, 5));
    EXPECT_EQ(executie(1), 6000.0);
    EXPECT_EQ(executie(2), 120.5);
    EXPECT_EQ(executie(3), 7.0);
    EXPECT_EQ(executie(14), 127.5);
    EXPECT_EQ(executie(16), 30.0);
    EXPECT_EQ(executie(18), 12.25);
    EXPECT_EQ(executie(32), 42.25);
    EXPECT_EQ(executie(33), 6000.0 + 127.5 - 42.25);
    // the expense heading and the line sharing its number both take the formula's result
    const std::vector<Line> all = lines();
    ASSERT_EQ(all.size(), before.size());
    int fifteen = 0;
    for (const Line& l : all)
        if (l.nr == 15) {
            EXPECT_EQ(l.executie, Value(42.25)) << l.name;
            ++fifteen;
        }
    EXPECT_EQ(fifteen, 2);
    for (size_t i = 0; i < all.size(); ++i) EXPECT_EQ(all[i].name, before[i].name);  // no line added or lost
}

TEST_F(CalcBilantTest, ACodeWithoutALineIsWrittenNowhereAndSharedCodesKeepTheExpense) {
    data::insertRows(db.file("Tip_venituri.DB"), {"Cod_venit", "Denumire"},
                     {{50, "Venit fara rand"}, {16, "Venit 16"}});
    receipt(day(1, 3), 50, 800.0);
    CalcBilant(day(12, 5));
    for (const Line& l : lines()) EXPECT_EQ(l.executie, Value(l.nr == 1 || l.nr == 33 ? 6000.0 : 0.0)) << l.nr;

    // an income code equal to an expense code: the expense sum stays
    receipt(day(1, 3), 16, 45.0);
    CalcBilant(day(12, 5));
    EXPECT_EQ(executie(16), 45.0);  // no payment of the type yet: the income sum
    payment(day(2, 3), 16, 10.0);
    CalcBilant(day(12, 5));
    EXPECT_EQ(executie(16), 10.0);
    // a sum lands on the first line of its number (index order) only
    addLine(50, "B doua linie 50");
    addLine(50, "A prima linie 50");
    CalcBilant(day(12, 5));
    const std::vector<Line> all = lines();
    std::vector<std::pair<std::string, Value>> fifty;
    for (const Line& l : all)
        if (l.nr == 50) fifty.emplace_back(l.name, l.executie);
    EXPECT_EQ(fifty, (std::vector<std::pair<std::string, Value>>{{"A prima linie 50", Value(800.0)},
                                                                 {"B doua linie 50", Value(0.0)}}));
}

TEST_F(CalcBilantTest, TypedPlannedAmountsSurviveAndBlankFormulasAreNone) {
    sql("UPDATE Bilant SET Prevederi = 150.0 WHERE Nr_rand = 2");
    sql("UPDATE Bilant SET Prevederi = 50.0 WHERE Nr_rand = 3");
    sql("UPDATE Bilant SET Prevederi = 80.0 WHERE Nr_rand = 16");
    sql("UPDATE Bilant SET Prevederi = 999.0 WHERE Nr_rand IN (14, 33)");  // formula lines: recomputed
    // three ways of having no formula; each keeps its typed amount
    addLine(40, "Fara formula (NULL)", 11.0, Value());
    addLine(41, "Fara formula (gol)", 12.0, "");
    addLine(42, "Fara formula (spatii)", 13.0, "   ");
    for (int run = 0; run < 2; ++run) {
        CalcBilant(day(12, 5));
        EXPECT_EQ(prevederi(2), 150.0);
        EXPECT_EQ(prevederi(3), 50.0);
        EXPECT_EQ(prevederi(16), 80.0);
        EXPECT_EQ(prevederi(14), 200.0);
        EXPECT_EQ(prevederi(32), 80.0);
        EXPECT_EQ(prevederi(33), 120.0);  // 1 (0 planned) + 14 - 32
        EXPECT_EQ(prevederi(40), 11.0);
        EXPECT_EQ(prevederi(41), 12.0);
        EXPECT_EQ(prevederi(42), 13.0);
        EXPECT_EQ(line(42).executie, Value(0.0));
    }
}

TEST_F(CalcBilantTest, AForwardFormulaIsExactAfterTheSecondPass) {
    // 35 names the later formula line 36, which names only earlier lines
    addLine(35, "Inainte", Value(), "36 - 3");
    addLine(36, "Dupa", Value(), "2+3");
    sql("UPDATE Bilant SET Prevederi = 10.0 WHERE Nr_rand = 2");
    sql("UPDATE Bilant SET Prevederi = 4.0 WHERE Nr_rand = 3");
    receipt(day(1, 4), 2, 70.0);
    receipt(day(1, 4), 3, 5.0);
    CalcBilant(day(12, 5));
    EXPECT_EQ(executie(36), 75.0);
    EXPECT_EQ(executie(35), 70.0);
    EXPECT_EQ(prevederi(36), 14.0);
    EXPECT_EQ(prevederi(35), 10.0);
    // a term naming no line leaves its formula line blank until the next run
    addLine(37, "Lipsa", 5.0, "2+88");
    CalcBilant(day(12, 5));
    EXPECT_TRUE(line(37).executie.isNull());
    EXPECT_TRUE(line(37).prevederi.isNull());
}

TEST_F(CalcBilantTest, AFormulaOutsideTheLanguageStopsTheRunKeepingWhatWasWritten) {
    receipt(day(1, 4), 2, 70.0);
    sql("UPDATE Bilant SET Formula = '3+' WHERE Nr_rand = 29");
    int begun = 0, ended = 0, last = 0, total = 0;
    budget::Progress progress{[&] { ++begun; }, [&](int done, int t) { last = done, total = t; }, [&] { ++ended; }};
    try {
        CalcBilant(day(12, 5), {}, progress);
        ADD_FAILURE() << "a formula outside the language was evaluated";
    } catch (const BilantError& e) {
        EXPECT_EQ(e.kind(), BilantError::Kind::TableAccess);
        const std::string text = e.what();
        EXPECT_EQ(text.rfind("Eroare de acces la tabela bilant!\n", 0), 0u) << text;
        EXPECT_NE(text.find("3+"), std::string::npos) << text;
        EXPECT_EQ(text.back(), '!');
    }
    EXPECT_EQ(begun, 1);
    EXPECT_EQ(ended, 1);  // the progress window is closed also after a failure
    EXPECT_LT(last, total);
    // sums and the formula lines before 29 are in; those after it are not
    EXPECT_EQ(executie(1), 6000.0);
    EXPECT_EQ(executie(2), 70.0);
    EXPECT_EQ(executie(14), 70.0);
    EXPECT_EQ(executie(33), 0.0);
}

TEST_F(CalcBilantTest, AWorkDirectoryThatCannotBeMadeStopsBeforeAnything) {
    sql("UPDATE Bilant SET Executie = 77.0 WHERE Nr_rand = 2");
    { std::ofstream(db.file("PRIV")) << "not a directory"; }
    bool begun = false;
    try {
        CalcBilant(day(12, 5), {}, {[&] { begun = true; }, {}, {}});
        ADD_FAILURE() << "ran without its work directory";
    } catch (const BilantError& e) {
        EXPECT_EQ(e.kind(), BilantError::Kind::PrivateDirectory);
        EXPECT_EQ(std::string(e.what()), "Nu pot crea " + db.path() + "PRIV");
    }
    EXPECT_FALSE(begun);
    EXPECT_EQ(executie(2), 77.0);
}

TEST_F(CalcBilantTest, APeriodIsTheBudgetAtItsEndLessTheBudgetTheDayBeforeItsStart) {
    receipt(day(10, 1), 2, 100.0);
    receipt(day(14, 2), 2, 40.0);  // day before the period
    receipt(day(15, 2), 2, 5.0);   // first day
    receipt(day(20, 3), 3, 8.0, "Banca");
    receipt(day(31, 3), 3, 1.0);   // last day
    receipt(day(1, 4), 3, 900.0);  // after
    payment(day(1, 2), 16, 60.0);
    payment(day(16, 2), 16, 6.0);
    payment(day(16, 2), 30, 3.0);
    sql("UPDATE Bilant SET Prevederi = 500.0 WHERE Nr_rand = 2");

    int released = 0, reopened = 0;
    CalcBilantPerioada(day(15, 2), day(31, 3), 2014, {}, {}, {[&] { ++released; }, [&] { ++reopened; }});
    EXPECT_EQ(released, 1);
    EXPECT_EQ(reopened, 1);
    EXPECT_EQ(executie(1), 6080.0);  // the money held at the end of 14.02
    EXPECT_EQ(executie(2), 5.0);
    EXPECT_EQ(executie(3), 9.0);
    EXPECT_EQ(executie(14), 14.0);
    EXPECT_EQ(executie(16), 6.0);
    EXPECT_EQ(executie(29), 3.0);
    EXPECT_EQ(executie(32), 9.0);
    EXPECT_EQ(executie(33), 6085.0);  // the formula over the period's figures: the money held at 31.03
    for (const Line& l : lines()) {
        if (l.nr == 15) {
            EXPECT_EQ(l.executie, Value(6.0)) << l.name;
        }
    }
    EXPECT_EQ(prevederi(2), 500.0);
    EXPECT_EQ(prevederi(14), 500.0);
    // the copy holds the budget as at the day before
    EXPECT_TRUE(std::filesystem::exists(db.file("Bilant1.DB")));
    auto copy =
        data::SqlSession::forDirectory(db.path()).select("SELECT Executie FROM \"Bilant1.DB\" WHERE Nr_rand = 2");
    EXPECT_EQ(copy.rows.at(0).at(0), Value(140.0));
    EXPECT_FALSE(std::filesystem::exists(db.file("Bilant1.PX")));  // the budget has no index file to copy

    // a single day: its documents, on line 1 the money held the evening before; an index file is copied too
    writeFile(db.file("Bilant.PX"), "index");
    CalcBilantPerioada(day(16, 2), day(16, 2), 2014);
    EXPECT_EQ(readFile(db.file("Bilant1.PX")), "index");
    for (const Line& l : lines()) {
        double expected = 0.0;
        if (l.nr == 1) expected = 6085.0;
        if (l.nr == 16 || l.nr == 15) expected = 6.0;
        if (l.nr == 29 || l.nr == 30) expected = 3.0;
        if (l.nr == 32) expected = 9.0;
        if (l.nr == 33) expected = 6085.0 - 9.0;
        EXPECT_EQ(l.executie, Value(expected)) << l.nr << " " << l.name;
    }
}

TEST_F(CalcBilantTest, APeriodFromFirstJanuaryIsTheBudgetAsAtItsEnd) {
    receipt(day(1, 1), 2, 100.0);
    receipt(day(2, 1), 2, 10.0);
    payment(day(1, 1), 18, 25.0);
    CalcBilant(day(31, 3));
    const std::vector<Value> asAt = executii();
    sql("UPDATE Bilant SET Executie = 0.0");
    int released = 0;
    CalcBilantPerioada(day(1, 1), day(31, 3), 2014, {}, {}, {[&] { ++released; }, {}});
    EXPECT_EQ(executii(), asAt);
    EXPECT_EQ(released, 0);  // no copy
    EXPECT_FALSE(std::filesystem::exists(db.file("Bilant1.DB")));
    // 1 January of another year than the working year is an ordinary start
    CalcBilantPerioada(day(1, 1), day(31, 3), 2015, {}, {}, {[&] { ++released; }, {}});
    EXPECT_EQ(released, 1);
    EXPECT_EQ(executie(1), 6000.0);  // nothing was held but the opening balance on 31.12.2013
    EXPECT_EQ(executie(2), 110.0);
}

TEST_F(CalcBilantTest, LinesSharingANumberArePairedInIndexOrder) {
    data::insertRows(db.file("Tip_cheltuieli.DB"), {"Cod_cheltuiala", "Denumire"}, {{50, "Cheltuiala 50"}});
    addLine(50, "A prima");
    addLine(50, "B a doua");
    addLine(51, "Formula pe 50", Value(), "50");
    payment(day(1, 2), 50, 70.0);
    payment(day(1, 3), 50, 30.0);
    // the sums land on the first line of 50; each line is set against its
    // own partner in the copy, never against the other line's
    CalcBilantPerioada(day(15, 2), day(31, 3), 2014);
    std::vector<std::pair<std::string, Value>> fifty;
    for (const Line& l : lines())
        if (l.nr == 50) fifty.emplace_back(l.name, l.executie);
    EXPECT_EQ(fifty, (std::vector<std::pair<std::string, Value>>{{"A prima", Value(30.0)}, {"B a doua", Value(0.0)}}));
    EXPECT_EQ(executie(51), 30.0);
}

TEST_F(CalcBilantTest, SumsAndFormulaResultsAreExactToTheBan) {
    for (int i = 0; i < 40; ++i) receipt(day(1, 2), 2 + i % 2, 0.1 + i % 2 * 0.1);
    CalcBilant(day(12, 5));
    for (auto [nr, expected] : {std::pair{2, 2.0}, {3, 4.0}, {14, 6.0}, {33, 6006.0}})
        EXPECT_EQ(executie(nr), expected);
}
