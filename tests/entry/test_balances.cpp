// Current balances over real document tables.
#include <gtest/gtest.h>

#include "data/Format.h"
#include "data/Install.h"
#include "data/Schema.h"
#include "entry/Balances.h"
#include "support/TempDir.h"

using namespace data;

namespace {
void add(const TempDir& d, const std::string& table, const std::vector<std::string>& cols,
         std::vector<std::vector<Value>> rows) {
    insertRows(d.file(table), cols, rows);
}
}  // namespace

TEST(Balances, CashAndBankFromOpeningBalancesAndDocuments) {
    TempDir d;
    createInstallation(d.path());
    EXPECT_EQ(entry::CalcSoldCasa(d.path()), 0.0);  // empty tables and no Contor record
    EXPECT_EQ(entry::CalcSoldBanca(d.path()), 0.0);
    add(d, "Contor.DB", {"Sold_init_casa", "Sold_init_banca"}, {{100.0, 1000.0}});
    add(d, "Venituri.DB", {"Valoarea", "Cont"}, {{50.0, "Casa"}, {7.0, "casa"}, {9.0, "Cutie"}});
    add(d, "Depuneri.db", {"Suma"}, {{30.0}});
    add(d, "Ridicari.db", {"Suma"}, {{10.0}});
    add(d, "Cheltuieli.DB", {"Valoarea", "Cont"}, {{5.0, "Casa"}, {200.0, "Banca"}});
    EXPECT_DOUBLE_EQ(entry::CalcSoldCasa(d.path()), 125.0);
    EXPECT_DOUBLE_EQ(entry::CalcSoldBanca(d.path()), 820.0);
    EXPECT_EQ(entry::balanceText(entry::CalcSoldCasa(d.path())), "125.00");

    add(d, "Cheltuieli.DB", {"Valoarea", "Cont"}, {{145.0, "Casa"}});  // more than the cash in hand
    EXPECT_EQ(entry::balanceText(entry::CalcSoldCasa(d.path())), "-20.00");
}

TEST(Balances, DisplayTextFollowsTheLocaleSeparatorAndReadsBack) {
    EXPECT_EQ(entry::balanceText(1234.5), "1,234.50");
    EXPECT_EQ(*entry::balanceFromText("12,163,750.17"), 12163750.17);
    EXPECT_EQ(entry::balanceText(0), "0.00");
    EXPECT_EQ(*entry::balanceFromText("350.40"), 350.40);
    EXPECT_EQ(*entry::balanceFromText("-12.00"), -12.0);
    formatSettings().decimalSeparator = ',';
    formatSettings().thousandSeparator = '.';
    EXPECT_EQ(entry::balanceText(1234.5), "1.234,50");
    EXPECT_EQ(*entry::balanceFromText("350,40"), 350.40);
    EXPECT_EQ(*entry::balanceFromText(entry::balanceText(-1234567.89)), -1234567.89);
    formatSettings().decimalSeparator = '.';
    formatSettings().thousandSeparator = ',';
    EXPECT_FALSE(entry::balanceFromText(""));
}
