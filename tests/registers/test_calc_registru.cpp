// The register builder over a new installation's tables, with the documents
// posted as the document windows post them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "data/Install.h"
#include "data/Query.h"
#include "data/Table.h"
#include "registers/CalcRegistru.h"
#include "support/Installation.h"
#include "support/OtherProgram.h"
#include "support/TempDir.h"

using data::Date;
using data::Value;
using registers::CalcRegistru;
using registers::CalcRegistruCheltuiala;
using registers::RegistruError;

namespace {

struct Row {
    Value data;
    double nrDoc;
    std::string fel, explicatii;
    double incC, ridC, platC, depC, soldC, incB, depB, platB, ridB, soldB, soldT;
    long long id;
    bool anyMovementNull;
};

const char* const kMovementColumns[] = {"IncasariC", "RidicariC", "PlatiC",    "DepuneriC", "SoldC", "IncasariB",
                                        "DepuneriB", "PlatiB",    "RidicariB", "SoldB",     "SoldT"};

class CalcRegistruTest : public ::testing::Test {
protected:
    void SetUp() override {
        support::installInto(db.path());
        setUnit(2014);
        setOpening(1000.0, 5000.0);
    }

    // Posts a new record through a table, as a window does; a one-record
    // table gets its record changed once it has one.
    void post(const std::string& table, const std::vector<std::pair<std::string, Value>>& values,
              bool oneRecord = false) {
        data::Table t;
        t.setDatabaseName(db.path());
        t.setTableName(table);
        t.open();
        if (oneRecord && !t.isEmpty())
            t.edit();
        else
            t.append();
        for (const auto& [f, v] : values) t[f].setValue(v);
        t.post();
        t.close();
    }
    void setUnit(long long year) { post("Parohia.DB", {{"Parohia", "Parohia Sf. Ioan"}, {"An_lucru", year}}, true); }
    void setOpening(Value cash, Value bank) {
        post("Contor.DB", {{"Sold_init_casa", cash}, {"Sold_init_banca", bank}}, true);
    }
    void receipt(Value date, double nr, const std::string& expl, double amount, const std::string& cont,
                 const std::string& fel = "Chitanta") {
        post("Venituri.DB", {{"Nr_act", nr},
                             {"Data", date},
                             {"Fel", fel},
                             {"Cod_venit", 3},
                             {"Explicatie", expl},
                             {"Valoarea", amount},
                             {"Cont", cont}});
    }
    void payment(Value date, double nr, const std::string& expl, double amount, const std::string& cont, int cod = 18) {
        post("Cheltuieli.DB", {{"Nr_act", nr},
                               {"Data", date},
                               {"Fel", "Ordin de plata"},
                               {"Cod_cheltuiala", cod},
                               {"Explicatie", expl},
                               {"Valoarea", amount},
                               {"Cont", cont}});
    }
    void deposit(Value date, double nr, double amount) {
        post("Depuneri.db", {{"Nr_doc", nr}, {"Data", date}, {"Suma", amount}, {"Fel", "Disp. de plata"}});
    }
    void withdrawal(Value date, double nr, double amount) {
        post("Ridicari.db", {{"Nr_doc", nr}, {"Data", date}, {"Suma", amount}, {"Fel", "Disp. incasare"}});
    }

    // The work table in its natural order, as the reports walk it.
    std::vector<Row> registru() {
        data::Table t;
        t.setDatabaseName(db.path());
        t.setTableName("Registru.DB");
        t.open();
        std::vector<Row> rows;
        for (t.first(); !t.eof(); t.next()) {
            Row r{t["Data"].value(),
                  t["Nr_doc"].asFloat(),
                  t["Fel"].asString(),
                  t["Explicatii"].asString(),
                  t["IncasariC"].asFloat(),
                  t["RidicariC"].asFloat(),
                  t["PlatiC"].asFloat(),
                  t["DepuneriC"].asFloat(),
                  t["SoldC"].asFloat(),
                  t["IncasariB"].asFloat(),
                  t["DepuneriB"].asFloat(),
                  t["PlatiB"].asFloat(),
                  t["RidicariB"].asFloat(),
                  t["SoldB"].asFloat(),
                  t["SoldT"].asFloat(),
                  t["Id"].asInteger(),
                  false};
            for (const char* c : kMovementColumns) r.anyMovementNull |= t[c].isNull();
            rows.push_back(r);
        }
        return rows;
    }

    static Value day(int d, int m, int y = 2014) { return Date{y, m, d}; }

    TempDir db;
};

TEST_F(CalcRegistruTest, OpeningRowsAloneAreDatedFirstJanuaryOfTheWorkingYear) {
    for (long long year : {2007LL, 1998LL, 2104LL}) {
        setUnit(year);
        setOpening(100.5, 2000.25);
        CalcRegistru(db.path());
        auto rows = registru();
        ASSERT_EQ(rows.size(), 2u) << year;
        for (const Row& r : rows) {
            EXPECT_EQ(r.data, Value(Date{static_cast<int>(year), 1, 1}));
            EXPECT_EQ(r.nrDoc, 0.0);
            EXPECT_FALSE(r.anyMovementNull);
        }
        EXPECT_EQ(rows[0].fel, "CHIT");
        EXPECT_EQ(rows[0].explicatii, "Sold in casa la inceputul anului");
        EXPECT_EQ(rows[0].incC, 100.5);
        EXPECT_EQ(rows[0].incB, 0.0);
        EXPECT_EQ(rows[0].soldC, 100.5);
        EXPECT_EQ(rows[0].soldB, 0.0);
        EXPECT_EQ(rows[0].soldT, 100.5);
        EXPECT_EQ(rows[1].fel, "EXT");
        EXPECT_EQ(rows[1].explicatii, "Sold in cont la inceputul anului");
        EXPECT_EQ(rows[1].incC, 0.0);
        EXPECT_EQ(rows[1].incB, 2000.25);
        EXPECT_EQ(rows[1].soldC, 100.5);
        EXPECT_EQ(rows[1].soldB, 2000.25);
        EXPECT_EQ(rows[1].soldT, 2100.75);
    }
}

TEST_F(CalcRegistruTest, RowsFollowTheDatesAndEveryDayKeepsItsRowsTogether) {
    receipt(day(5, 3), 1, "Donatie", 100.0, "Casa");
    payment(day(4, 3), 1, "Factura gaz", 30.0, "Casa");
    // one day with every kind of movement, posted in an order unlike the table's
    payment(day(6, 3), 2, "Comision", 2.5, "Banca");
    payment(day(6, 3), 3, "Lumanari", 40.0, "Casa");
    deposit(day(6, 3), 1, 50.0);
    withdrawal(day(6, 3), 1, 20.0);
    receipt(day(6, 3), 3, "Chirie", 300.0, "Banca");
    receipt(day(6, 3), 2, "Pomelnice", 60.0, "Casa");
    receipt(day(7, 3), 4, "Colecta", 10.0, "Casa");
    CalcRegistru(db.path());

    auto rows = registru();
    std::vector<std::string> expl;
    for (const Row& r : rows) expl.push_back(r.explicatii);
    EXPECT_EQ(expl, (std::vector<std::string>{"Sold in casa la inceputul anului", "Sold in cont la inceputul anului",
                                              "Factura gaz", "Donatie", "Pomelnice", "Chirie", "Retragere numerar",
                                              "Depunere numerar", "Lumanari", "Comision", "Colecta"}));
    // the payment of the 4th comes first though entered later
    EXPECT_EQ(rows[2].soldC, 1000.0 - 30);
    EXPECT_EQ(rows[3].soldC, 1000.0 + 70);
    // row identities follow the table's order
    for (size_t i = 1; i < rows.size(); ++i)
        if (rows[i].data == rows[i - 1].data) {
            EXPECT_LT(rows[i - 1].id, rows[i].id);
        }
    // balances after each row of the 6th: cash and bank, then their sum
    const double cash[] = {1130, 1130, 1150, 1100, 1060, 1060};
    const double bank[] = {5000, 5300, 5280, 5330, 5330, 5327.5};
    for (int i = 0; i < 6; ++i) {
        const Row& r = rows[static_cast<size_t>(4 + i)];
        EXPECT_EQ(r.data, day(6, 3));
        EXPECT_DOUBLE_EQ(r.soldC, cash[i]) << r.explicatii;
        EXPECT_DOUBLE_EQ(r.soldB, bank[i]) << r.explicatii;
        EXPECT_DOUBLE_EQ(r.soldT, cash[i] + bank[i]) << r.explicatii;
        EXPECT_FALSE(r.anyMovementNull);
    }
    EXPECT_EQ(rows.back().soldC, 1070.0);
    EXPECT_EQ(rows.back().soldB, 5327.5);
    EXPECT_EQ(rows.back().fel, "Chitanta");
    EXPECT_EQ(rows.back().nrDoc, 4.0);
}

TEST_F(CalcRegistruTest, DepositsAndWithdrawalsMoveMoneyBetweenCashAndBank) {
    deposit(day(10, 2), 7, 50.0);
    withdrawal(day(11, 2), 8, 120.4);
    CalcRegistru(db.path());
    auto rows = registru();
    ASSERT_EQ(rows.size(), 4u);
    const Row& dep = rows[2];
    EXPECT_EQ(dep.explicatii, "Depunere numerar");
    EXPECT_EQ(dep.fel, "Disp. de plata");
    EXPECT_EQ(dep.nrDoc, 7.0);
    EXPECT_EQ(dep.depC, 50.0);
    EXPECT_EQ(dep.depB, 50.0);
    EXPECT_EQ(dep.incC + dep.ridC + dep.platC + dep.incB + dep.platB + dep.ridB, 0.0);
    EXPECT_EQ(dep.soldC, 950.0);
    EXPECT_EQ(dep.soldB, 5050.0);
    EXPECT_EQ(dep.soldT, rows[1].soldT);
    const Row& rid = rows[3];
    EXPECT_EQ(rid.explicatii, "Retragere numerar");
    EXPECT_EQ(rid.ridC, 120.4);
    EXPECT_EQ(rid.ridB, 120.4);
    EXPECT_EQ(rid.incC + rid.depC + rid.platC + rid.incB + rid.platB + rid.depB, 0.0);
    EXPECT_DOUBLE_EQ(rid.soldC, 1070.4);
    EXPECT_DOUBLE_EQ(rid.soldB, 4929.6);
    EXPECT_DOUBLE_EQ(rid.soldT, 6000.0);
}

TEST_F(CalcRegistruTest, EveryDocumentInCasaOrBancaGivesItsOwnRow) {
    // two receipts alike in date, number, kind, explanation, amount and account
    receipt(day(3, 4), 9, "Lumanari", 25.0, "Casa");
    receipt(day(3, 4), 9, "Lumanari", 25.0, "Casa");
    payment(day(3, 4), 4, "Apa", 12.0, "Banca");
    payment(day(3, 4), 4, "Apa", 12.0, "Banca");
    // other accounts count in neither balance
    receipt(day(3, 4), 10, "Alt cont", 7.0, "casa");
    payment(day(3, 4), 5, "Cutie", 8.0, "Cutie milei");
    CalcRegistru(db.path());
    auto rows = registru();
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[2].incC, 25.0);
    EXPECT_EQ(rows[3].incC, 25.0);
    EXPECT_EQ(rows.back().soldC, 1050.0);
    EXPECT_EQ(rows.back().soldB, 4976.0);
}

TEST_F(CalcRegistruTest, ADocumentWithoutDateHasNoRowButCountsInTheBalances) {
    receipt(day(2, 2), 1, "Colecta", 40.0, "Casa");
    receipt(Value(), 2, "Fara data", 15.0, "Casa");
    payment(Value(), 1, "Fara data", 4.0, "Banca");
    CalcRegistru(db.path());
    auto rows = registru();
    ASSERT_EQ(rows.size(), 3u);
    for (const Row& r : rows) {
        EXPECT_FALSE(r.data.isNull());
        EXPECT_NE(r.explicatii, "Fara data");
    }
    // an undated document comes before every dated row
    EXPECT_EQ(rows[0].soldC, 1015.0);
    EXPECT_EQ(rows[1].soldB, 4996.0);
    EXPECT_EQ(rows[2].soldC, 1055.0);
    EXPECT_EQ(rows[2].soldT, 1055.0 + 4996.0);
}

TEST_F(CalcRegistruTest, BalancesAreExactToTheBanOverAYearOfDocuments) {
    setOpening(1234.56, 98765.43);
    std::mt19937 rng(20140512);
    std::uniform_int_distribution<int> cents(1, 250000), kind(0, 5), dayOfYear(0, 364);
    struct Movement {
        Date date;
        int order;  // the table's order of kinds within a day
        int seq;
        long long cash, bank;
    };
    std::vector<Movement> expected;
    // a year's documents, each table written in one transaction
    std::vector<std::vector<Value>> venituri, cheltuieli, depuneri, ridicari;
    for (int i = 0; i < 3000; ++i) {
        long long c = cents(rng);
        double amount = static_cast<double>(c) / 100.0;
        Date d = Date{2014, 1, 1}.addDays(dayOfYear(rng));
        int k = kind(rng);
        if (k <= 3) {
            bool cash = k % 2 == 0;
            long long sign = k <= 1 ? 1 : -1;
            (k <= 1 ? venituri : cheltuieli)
                .push_back({static_cast<double>(i), d, "Doc " + std::to_string(i), amount, cash ? "Casa" : "Banca"});
            // the table's order of kinds within a day: cash and bank receipts,
            // withdrawals, deposits, cash and bank payments
            int order = k == 0 ? 0 : k == 1 ? 1 : k == 2 ? 4 : 5;
            expected.push_back({d, order, i, cash ? sign * c : 0, cash ? 0 : sign * c});
        } else {
            (k == 4 ? depuneri : ridicari).push_back({static_cast<double>(i), d, amount});
            if (k == 4)
                expected.push_back({d, 3, i, -c, c});
            else
                expected.push_back({d, 2, i, c, -c});
        }
    }
    const std::vector<std::string> docColumns{"Nr_act", "Data", "Explicatie", "Valoarea", "Cont"};
    data::insertRows(db.file("Venituri.DB"), docColumns, venituri);
    data::insertRows(db.file("Cheltuieli.DB"), docColumns, cheltuieli);
    data::insertRows(db.file("Depuneri.db"), {"Nr_doc", "Data", "Suma"}, depuneri);
    data::insertRows(db.file("Ridicari.db"), {"Nr_doc", "Data", "Suma"}, ridicari);
    std::stable_sort(expected.begin(), expected.end(), [](const Movement& a, const Movement& b) {
        return std::tie(a.date, a.order, a.seq) < std::tie(b.date, b.order, b.seq);
    });

    CalcRegistru(db.path());
    auto rows = registru();
    ASSERT_EQ(rows.size(), expected.size() + 2);
    long long cash = 123456, bank = 9876543;
    for (size_t i = 0; i < expected.size(); ++i) {
        const Row& r = rows[i + 2];
        cash += expected[i].cash;
        bank += expected[i].bank;
        ASSERT_EQ(r.data, Value(expected[i].date)) << i;
        ASSERT_EQ(std::llround(r.soldC * 100), cash) << i;
        ASSERT_EQ(std::llround(r.soldB * 100), bank) << i;
        ASSERT_EQ(std::llround(r.soldT * 100), cash + bank) << i;
        ASSERT_EQ(r.soldC, static_cast<double>(cash) / 100) << i;  // whole bani, no binary drift
        ASSERT_EQ(r.soldB, static_cast<double>(bank) / 100) << i;
        ASSERT_EQ(r.soldT, static_cast<double>(cash + bank) / 100) << i;
    }
    // a second rebuild starts from the empty template
    CalcRegistru(db.path());
    EXPECT_EQ(registru().size(), expected.size() + 2);
}

TEST_F(CalcRegistruTest, TheTemplateIsFoundWhateverItsLetterCaseWithItsIndexFileWhenThereIsOne) {
    std::filesystem::rename(db.file("RegGol.DB"), db.file("reggol.db"));
    writeFile(db.file("RegGol.PX"), "index");
    receipt(day(1, 6), 1, "Colecta", 40.0, "Casa");
    CalcRegistru(db.path());
    EXPECT_EQ(registru().size(), 3u);
    EXPECT_EQ(readFile(db.file("Registru.PX")), "index");
}

TEST_F(CalcRegistruTest, AWorkTableHeldOpenIsNotReplaced) {
    receipt(day(1, 6), 1, "Colecta", 40.0, "Casa");
    CalcRegistru(db.path());
    const std::string text =
        "Nu pot crea fisierul :" + db.path() + "Registru. Inchideti fisierele aferente si repetati operatia!";
    {
        data::Table open;  // a report of this program still reading it
        open.setDatabaseName(db.path());
        open.setTableName("Registru.DB");
        open.open();
        try {
            CalcRegistru(db.path());
            ADD_FAILURE() << "rebuilt a work table held open";
        } catch (const RegistruError& e) {
            EXPECT_EQ(e.kind(), RegistruError::Kind::TemplateCopy);
            EXPECT_EQ(std::string(e.what()), text);
        }
        EXPECT_EQ(open.recordCount(), 3);
    }

    OtherProgram reader(db.path(), "Registru.DB");  // another program reading the work table
    ASSERT_TRUE(reader.holding());
    std::string error;
    try {
        CalcRegistru(db.path());
    } catch (const RegistruError& e) {
        error = e.what();
    }
    reader.release();
    EXPECT_EQ(error, text);
}

TEST_F(CalcRegistruTest, RebuildsOneAfterAnotherKeepTheirWorkToThemselves) {
    // a table of the directory named like the balances' work table is not touched
    data::createTableFile(
        db.file("Solduri.DB"),
        {"Solduri.DB",
         {{"Rand", data::FieldType::Integer}, {"SoldC", data::FieldType::Float}, {"SoldB", data::FieldType::Float}},
         {},
         {}});
    data::insertRows(db.file("Solduri.DB"), {"Rand", "SoldC", "SoldB"}, {{1LL, 7.0, 8.0}});
    receipt(day(2, 3), 1, "Colecta", 40.0, "Casa");
    payment(day(3, 3), 1, "Gaz", 15.0, "Banca");
    for (int run = 0; run < 2; ++run) {
        CalcRegistru(db.path());
        const std::vector<Row> rows = registru();
        ASSERT_EQ(rows.size(), 4u);
        EXPECT_EQ(rows[2].soldC, 1040.0);
        EXPECT_EQ(rows[3].soldB, 4985.0);
        EXPECT_EQ(rows[3].soldT, 6025.0);
    }
    data::Query q;
    q.setDatabaseName(db.path());
    q.setSql("SELECT COUNT(*) AS N, SUM(SoldC) AS C FROM \"Solduri.DB\"");
    q.open();
    EXPECT_EQ(q["N"].asInteger(), 1);
    EXPECT_EQ(q["C"].asFloat(), 7.0);
}

TEST_F(CalcRegistruTest, EngineErrorsAreReportedAndLeaveNoHalfBuiltTable) {
    receipt(day(1, 6), 1, "Colecta", 40.0, "Casa");
    CalcRegistru(db.path());
    ASSERT_EQ(registru().size(), 3u);

    // a payments table without the account field: the cash receipts are in
    // when the cash payments fail
    // (files replaced behind the engine's back: it lets go of them first)
    data::SqlSession::releaseEverywhere(data::canonicalPath(db.file("Cheltuieli.DB")));
    std::filesystem::rename(db.file("Cheltuieli.DB"), db.file("Cheltuieli.bak"));
    data::createTableFile(
        db.file("Cheltuieli.DB"),
        {"Cheltuieli.DB", {{"Nr_act", data::FieldType::Float}, {"Data", data::FieldType::Date}}, {}, {}});
    try {
        CalcRegistru(db.path());
        ADD_FAILURE() << "no error";
    } catch (const RegistruError& e) {
        std::string text = e.what();
        EXPECT_EQ(e.kind(), RegistruError::Kind::TableAccess);
        EXPECT_TRUE(text.starts_with("Eroare de acces la tabela registru!\n")) << text;
        EXPECT_TRUE(text.ends_with("!")) << text;
        EXPECT_GT(text.size(), std::string("Eroare de acces la tabela registru!\n!").size());
    }
    EXPECT_TRUE(registru().empty());

    // a missing table
    data::SqlSession::releaseEverywhere(data::canonicalPath(db.file("Cheltuieli.DB")));
    std::filesystem::remove(db.file("Cheltuieli.DB"));
    EXPECT_THROW(CalcRegistru(db.path()), RegistruError);
    std::filesystem::rename(db.file("Cheltuieli.bak"), db.file("Cheltuieli.DB"));
    data::SqlSession::releaseEverywhere(data::canonicalPath(db.file("Cheltuieli.DB")));
    CalcRegistru(db.path());
    EXPECT_EQ(registru().size(), 3u);

    // no working year: no date for the opening rows
    data::SqlSession::forDirectory(db.path()).execute("UPDATE \"Parohia.DB\" SET An_lucru = NULL");
    try {
        CalcRegistru(db.path());
        ADD_FAILURE() << "no error";
    } catch (const RegistruError& e) {
        EXPECT_EQ(e.kind(), RegistruError::Kind::TableAccess);
        EXPECT_NE(std::string(e.what()).find("An_lucru"), std::string::npos);
    }
}

TEST_F(CalcRegistruTest, ExpenseLedgerFillHoldsThePaymentsOfOneType) {
    payment(day(3, 2), 1, "Gaz ianuarie", 150.0, "Casa", 18);
    payment(day(1, 2), 2, "Gaz decembrie", 100.0, "Banca", 18);
    payment(day(1, 2), 2, "Gaz decembrie", 100.0, "Banca", 18);
    payment(Value(), 3, "Gaz fara data", 5.0, "Casa", 18);
    payment(day(2, 2), 4, "Telefon", 60.0, "Casa", 23);
    receipt(day(2, 2), 1, "Colecta", 40.0, "Casa");
    CalcRegistru(db.path());

    CalcRegistruCheltuiala(18, db.path());
    auto rows = registru();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].explicatii, "Gaz decembrie");
    EXPECT_EQ(rows[0].platC, 100.0);  // bank payments too
    EXPECT_EQ(rows[1].platC, 100.0);
    EXPECT_EQ(rows[2].data, day(3, 2));
    EXPECT_EQ(rows[2].platC, 150.0);
    EXPECT_EQ(rows[2].fel, "Ordin de plata");
    EXPECT_EQ(rows[2].nrDoc, 1.0);
    for (const Row& r : rows) EXPECT_TRUE(r.anyMovementNull);  // no zeros, no balances

    data::Table t;
    t.setDatabaseName(db.path());
    t.setTableName("Registru.DB");
    t.open();
    for (const char* c : kMovementColumns)
        if (std::string(c) != "PlatiC") {
            EXPECT_TRUE(t[c].isNull()) << c;
        }
    t.close();

    CalcRegistruCheltuiala(31, db.path());
    EXPECT_TRUE(registru().empty());
}

}  // namespace
