// A parish and a deanery office, each a new installation: the parish sends its
// budget, the office takes it over, sums its group, centralises and prints.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>

#include "budget/BudgetFile.h"
#include "budget/BudgetFixture.h"
#include "budget/CalcBilant.h"
#include "budget/UnitBudgets.h"
#include "budget/UnitTree.h"

using namespace budget;
using budget_test::entries;
namespace fs = std::filesystem;

namespace {

class Deanery : public ::testing::Test {
protected:
    void SetUp() override {
        for (const std::string& dir : {parish(), office()}) {
            support::installInto(dir);
            data::insertRows(dir + "Contor.DB", {"Sold_init_casa", "Sold_init_banca"}, {{1000.0, 5000.0}});
        }
        unit(parish(), "Parohia Sf. Ilie");
        unit(office(), "Protopopiatul Ilfov");
        data::setAppDir(office());
    }
    static void unit(const std::string& dir, const char* name) {
        support::setUnit(dir, {"Parohia", "An_lucru"}, {name, 2014});
    }
    std::string parish() const { return root.file("parohie/"); }
    std::string office() const { return root.file("protopopiat/"); }
    void receipt(const std::string& dir, const data::Date& d, int code, double amount) {
        data::insertRows(dir + "Venituri.DB", {"Nr_act", "Data", "Cod_venit", "Valoarea", "Cont"},
                         {{double(++number_), d, code, amount, "Casa"}});
    }
    // The first line numbered `nr` of a budget, both amounts in bani.
    static std::pair<data::Bani, data::Bani> figures(const std::string& dir, int nr, const char* file = "Bilant.DB") {
        for (const BudgetLine& l : readBudgetLines(dir, file))
            if (l.nr == nr) return {l.prevederi.value_or(-1), l.executie.value_or(-1)};
        ADD_FAILURE() << "no line " << nr;
        return {};
    }
    std::string exported(const char* name, const std::optional<data::Date>& from = {}) {
        const std::string out = root.file(name);
        exportBudget(parish(), from, {2014, 12, 31}, out);
        return out;
    }

    TempDir root;
    int number_ = 0;
};

// Every file below `dir` with its bytes: nothing written means all equal.
std::map<std::string, std::string> contents(const std::string& dir) {
    std::map<std::string, std::string> out;
    for (const std::string& e : entries(dir))
        if (fs::is_regular_file(dir + e)) out[e] = readFile(dir + e);
    return out;
}

}  // namespace

TEST_F(Deanery, TheParishSendsTheOfficeTakesOverSumsCentralisesAndPrints) {
    // two parishes: the same installation sends under two names
    receipt(parish(), {2014, 3, 1}, 2, 1234.56);
    receipt(parish(), {2014, 5, 2}, 3, 10.05);
    data::SqlSession::forDirectory(parish()).execute("UPDATE \"Bilant.DB\" SET Prevederi = 5000 WHERE Nr_rand = 2");
    const std::string first = exported("ilie.json");
    unit(parish(), "Parohia Sf. Ion");
    receipt(parish(), {2014, 7, 3}, 2, 100.00);
    const std::string second = exported("ion.json");

    const UnitBudget sent = readBudgetFile(first);
    EXPECT_EQ(sent.unit.name, "Parohia Sf. Ilie");
    EXPECT_EQ(sent.unit.year, 2014);
    EXPECT_EQ(figures(parish(), 2).second, 133456);  // what the parish holds now, the second file's

    const TakeOverSummary sum = takeOverAll(office(), {first, second}, kParohii);
    // taken over again with one figure changed: that line is what it shows
    UnitBudget changed = sent;
    for (BudgetLine& l : changed.lines)
        if (l.nr == 3) l.executie = 2000;
    writeFile(root.file("again.json"), budgetFileText(changed));
    const TakeOver again = planTakeOver(office(), root.file("again.json"));
    ASSERT_EQ(again.changes.size(), 1u);
    EXPECT_EQ(again.changes[0].nr, 3);
    EXPECT_EQ(again.changes[0].oldExecutie, data::Bani{1005});
    EXPECT_NE(describeTakeOver(again).find("rd. 3 Donatii si ofrande: prevederi"), std::string::npos);
    EXPECT_EQ(sum.taken, 2) << sum.text();
    EXPECT_EQ(groupUnits(office(), kParohii), (std::vector<std::string>{"Parohia Sf. Ilie", "Parohia Sf. Ion"}));
    const std::string ilie = unitDirectory(office(), kParohii, "Parohia Sf. Ilie") + "/";
    EXPECT_EQ(figures(ilie, 2), (std::pair<data::Bani, data::Bani>{500000, 123456}));
    EXPECT_EQ(figures(ilie, 1).second, 600000);

    // the group: each line the sum of both parishes, the formula lines recomputed
    const SumResult r = sumUnits(office(), kParohii);
    EXPECT_EQ(r.units, 2);
    EXPECT_TRUE(r.problems.empty()) << r.text(kParohii);
    const std::string group = groupDirectory(office(), kParohii) + "/";
    const data::Bani income = 123456 + 1005 + 133456 + 1005;
    EXPECT_EQ(figures(group, 2), (std::pair<data::Bani, data::Bani>{1000000, 123456 + 133456}));
    EXPECT_EQ(figures(group, 14).second, income);
    EXPECT_EQ(figures(group, 33).second, 2 * 600000 + income);

    // the office's own budget as at the year's end, then the centralised one
    receipt(office(), {2014, 2, 1}, 2, 7.00);
    CalcBilant({2014, 12, 31}, office());
    EXPECT_EQ(periodHeading(lastComputation(office()), 2014), "LA SFARSITUL ANULUI : 2014");
    CentralizBilant(office());
    EXPECT_EQ(figures(office(), 2, "BilantCentral.DB"),
              (std::pair<data::Bani, data::Bani>{1000000, 123456 + 133456 + 700}));
    EXPECT_EQ(figures(office(), 33, "BilantCentral.DB").second, 3 * 600000 + income + 700);

    const char* bin = std::getenv("CORVALINDE_BIN");
    if (!bin || !fs::exists(bin)) GTEST_SKIP() << "CORVALINDE_BIN not set";
    const std::string pdf = root.file("centralizat.pdf");
    const std::string run = std::string(bin) + " --dir '" + office() + "' --report bilant-centralizat --out '" + pdf +
                            "' 2>&1 && pdftotext -layout '" + pdf + "' -";
    FILE* p = popen(run.c_str(), "r");
    std::string text;
    for (char buf[4096]; size_t n = fread(buf, 1, sizeof buf, p);) text.append(buf, n);
    EXPECT_EQ(pclose(p), 0) << text;
    EXPECT_NE(text.find("BUGET CENTRALIZATOR DE VENITURI SI CHELTUIELI"), std::string::npos) << text;
    EXPECT_NE(text.find("LA SFARSITUL ANULUI : 2014"), std::string::npos);
    EXPECT_TRUE(text.find("2,576.12") != std::string::npos || text.find("2.576,12") != std::string::npos)
        << "line 2 executed: both parishes and the office";
}

TEST_F(Deanery, TheHeadingStatesTheDateOrPeriodOfTheOfficesFigures) {
    CalcBilant({2014, 6, 30}, office());
    EXPECT_EQ(periodHeading(lastComputation(office()), 2014), "LA DATA : 30.06.2014");
    CalcBilantPerioada({2014, 2, 1}, {2014, 3, 31}, 2014, office());
    EXPECT_EQ(periodHeading(lastComputation(office()), 2014), "PE PERIOADA : 01.02.2014 - 31.03.2014");
    CalcBilantPerioada({2014, 1, 1}, {2014, 12, 31}, 2014, office());
    EXPECT_EQ(periodHeading(lastComputation(office()), 2014), "LA SFARSITUL ANULUI : 2014");
    // a computation that fails leaves no date behind
    data::SqlSession::forDirectory(office()).execute("UPDATE \"Bilant.DB\" SET Formula = '3+' WHERE Nr_rand = 14");
    EXPECT_THROW(CalcBilant({2014, 12, 31}, office()), BilantError);
    EXPECT_FALSE(lastComputation(office()));
}

TEST_F(Deanery, DamagedForeignOtherYearAndMismatchedFilesAreRefusedWithNothingWritten) {
    const std::string good = readFile(exported("ilie.json"));
    ASSERT_EQ(takeOverAll(office(), {root.file("ilie.json")}, kParohii).taken, 1);
    UnitBudget b = parseBudgetFile(good);
    auto rewritten = [&](auto change) {
        UnitBudget c = b;
        change(c);
        return budgetFileText(c);
    };
    std::string edited = good;
    edited.replace(edited.find("\"executie\": 6000.00"), 19, "\"executie\": 6900.00");
    const struct {
        const char* name;
        std::string text;
        const char* why;
    } files[] = {
        {"a figure changed", edited, "suma de control"},
        {"cut short", good.substr(0, good.size() / 2), "nu este un buget de unitate corect"},
        {"not UTF-8", std::string(good).replace(good.find("Ilie"), 4, "Il\xffe"), "nu este UTF-8"},
        {"not JSON", "PK\x03\x04 binary", "nu este un buget de unitate corect"},
        {"another format", R"({"format": "alt program", "randuri": []})", "alt fel de fisier"},
        {"another year", rewritten([](UnitBudget& c) {
             c.unit.year = 2013;
             c.to.year = 2013;
         }),
         "anul 2013"},
        {"a line missing", rewritten([](UnitBudget& c) { c.lines.pop_back(); }), "lipsesc randurile 33"},
        {"a line too many", rewritten([](UnitBudget& c) {
             c.lines.push_back({0, 99, "X", 1, 1, ""});
         }),
         "in plus randurile 99"},
        {"new unit, no group", rewritten([](UnitBudget& c) { c.unit.name = "Parohia Noua"; }), "alegeti grupa"},
    };
    const auto before = contents(office());
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        writeFile(root.file("in.json"), f.text);
        const TakeOverSummary s = takeOverAll(office(), {root.file("in.json")});
        EXPECT_EQ(s.taken, 0);
        ASSERT_EQ(s.lines.size(), 1u);
        EXPECT_NE(s.lines[0].find(f.why), std::string::npos) << s.lines[0];
        EXPECT_EQ(contents(office()), before);
    }
}

TEST_F(Deanery, FortyUnitsFromAFolderInOneGo) {
    UnitBudget b = readBudgetFile(exported("ilie.json"));
    fs::create_directory(root.file("primite"));
    data::Bani expected = 0;
    for (int i = 1; i <= 40; ++i) {
        b.unit.name = "Parohia " + std::to_string(i);
        for (BudgetLine& l : b.lines)
            if (l.nr == 2) l.executie = data::Bani{i * 1001};
        expected += i * 1001;
        writeFile(root.file("primite/" + std::to_string(i) + ".json"), budgetFileText(b));
    }
    writeFile(root.file("primite/citeste.txt"), "not a budget");  // only the .json files are read
    const TakeOverSummary sum = takeOverAll(office(), {root.file("primite")}, kParohii);
    EXPECT_EQ(sum.taken, 40) << sum.text();
    EXPECT_EQ(sum.refused, 0);
    EXPECT_EQ(groupUnits(office(), kParohii).size(), 40u);
    const SumResult r = sumUnits(office(), kParohii);
    EXPECT_EQ(r.units, 40);
    EXPECT_EQ(figures(groupDirectory(office(), kParohii) + "/", 2).second, expected);
    const UnitComparison c = compareUnits(office(), kParohii);
    ASSERT_EQ(c.units.size(), 40u);
    EXPECT_EQ(c.units[39].sent, (ComputedPeriod{std::nullopt, {2014, 12, 31}}));
    EXPECT_EQ(removeUnit(office(), kParohii, "Parohia 40"), RemoveResult::Removed) << "with its record";
    // a unit without its budget is named, the others still add up
    fs::remove(unitDirectory(office(), kParohii, "Parohia 7") + "/Bilant.DB");
    const SumResult without = sumUnits(office(), kParohii);
    EXPECT_EQ(without.units, 38);
    EXPECT_EQ(without.problems, (std::vector<std::string>{"Parohia 40: nu are buget", "Parohia 7: nu are buget"}))
        << "in the tree's order, that of the file names";
    EXPECT_EQ(figures(groupDirectory(office(), kParohii) + "/", 2).second, expected - 7007 - 40040);
}
