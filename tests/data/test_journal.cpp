// The change journal over a real installation: the entries of a post, a
// change and a deletion, none for a failed post, and the chain's verification
// after entries were edited behind the program's back.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <stdexcept>

#include "data/Engine.h"
#include "data/Errors.h"
#include "data/Journal.h"
#include "data/Money.h"
#include "data/Table.h"
#include "data/Collation.h"
#include "support/Installation.h"
#include "support/TempDir.h"

using namespace data;

namespace {

void openReceipts(Table& t, const TempDir& dir) {
    t.setDatabaseName(dir.path());
    t.setTableName("Venituri.DB");
    t.open();
    t["Valoarea"].amount = true;
}

void postReceipt(Table& t, double nr, double amount) {
    t.append();
    t["Nr_act"].setAsFloat(nr);
    t["Data"].setValue(Value(Date{2026, 3, 12}));
    t["Fel"].setAsString("Chitanta");
    t["Explicatie"].setAsString("Donatie");
    t["Valoarea"].setAsFloat(amount);
    t["Cont"].setAsString("Casa");
    t.post();
}

void runSql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* err = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
    std::string why = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << why;
}

}  // namespace

TEST(Journal, PostChangeAndDeleteGiveTheirEntriesWithTheirValues) {
    TempDir dir;
    support::installInto(dir.path());
    Table t;
    openReceipts(t, dir);
    postReceipt(t, 17, 1234.5);
    const long long row = t.currentRowid();
    t.edit();
    t["Valoarea"].setAsFloat(200);
    t["Explicatie"].setAsString("Donatie pentru clopot");
    t.post();
    t.del();

    auto h = journal::history(dir.path(), "Venituri.DB", row);
    ASSERT_EQ(h.size(), 3u);
    EXPECT_EQ(h[0].action, "adaugat");
    EXPECT_EQ(h[0].key, "Chitanta nr. 17 din 12.03.2026");
    EXPECT_NE(h[0].after.find("\"Valoarea\": \"" + formatAmount(1234.5) + "\""), std::string::npos) << h[0].after;
    EXPECT_EQ(h[0].before, "");
    EXPECT_EQ(h[1].action, "modificat");
    // only the two changed fields, before and after
    auto before = journal::decodeValues(h[1].before), after = journal::decodeValues(h[1].after);
    ASSERT_EQ(before.size(), 2u);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(before[0], std::make_pair(std::string("Explicatie"), std::string("Donatie")));
    EXPECT_EQ(after[0], std::make_pair(std::string("Explicatie"), std::string("Donatie pentru clopot")));
    EXPECT_EQ(before[1].second, formatAmount(1234.5));
    EXPECT_EQ(after[1].second, formatAmount(200));
    // the deleted receipt stays findable by its name
    EXPECT_EQ(h[2].action, "sters");
    EXPECT_EQ(h[2].key, "Chitanta nr. 17 din 12.03.2026");
    EXPECT_NE(h[2].before.find("Donatie pentru clopot"), std::string::npos);
    EXPECT_EQ(h[2].version, journal::programVersion());
    EXPECT_EQ(h[1].previousHash, h[0].hash);

    auto v = journal::verify(dir.path());
    EXPECT_TRUE(v.intact) << v.message;
    EXPECT_EQ(v.entries, 3);
}

TEST(Journal, AFailedPostLeavesNoEntryAndEntriesAreNeverRewritten) {
    TempDir dir;
    support::installInto(dir.path());
    {
        Table t;
        openReceipts(t, dir);
        t.beforeInsertWrite = [](Table::InsertStep&) { throw std::runtime_error("disc plin"); };
        EXPECT_THROW(postReceipt(t, 1, 10), std::runtime_error);
        t.cancel();
        EXPECT_EQ(t.recordCount(), 0);
        t.beforeInsertWrite = nullptr;
        postReceipt(t, 2, 10);
    }
    EXPECT_EQ(journal::verify(dir.path()).entries, 1);
    // neither SQL nor a table edit of the program changes an entry
    EXPECT_THROW(SqlSession::forDirectory(dir.path()).execute("DELETE FROM Jurnal"), EngineError);
    EXPECT_THROW(SqlSession::forDirectory(dir.path()).execute("UPDATE Jurnal SET Cheie = 'x'"), EngineError);
    Table j;
    j.setDatabaseName(dir.path());
    j.setTableName("Jurnal.DB");
    j.open();
    EXPECT_THROW(j.del(), EngineError);
    EXPECT_EQ(journal::verify(dir.path()).entries, 1);
}

TEST(Journal, EntriesEditedWithAnotherToolAreFoundByTheVerification) {
    struct Case {
        const char* what;
        std::string sql;
        long long firstBroken;
    };
    const Case cases[] = {
        {"a value changed", "UPDATE Jurnal SET Dupa = replace(Dupa, 'Donatie', 'Donatii') WHERE Nr = 2", 2},
        {"an entry removed", "DELETE FROM Jurnal WHERE Nr = 2", 2},
        {"an entry rewritten whole with a new hash",
         "UPDATE Jurnal SET Hash = '" + std::string(64, 'a') + "' WHERE Nr = 1", 1},
        {"the chain relinked", "UPDATE Jurnal SET Hash_anterior = Hash WHERE Nr = 3", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        support::installInto(dir.path());
        {
            Table t;
            openReceipts(t, dir);
            for (int i = 1; i <= 4; ++i) postReceipt(t, i, 10 * i);
        }
        ASSERT_TRUE(journal::verify(dir.path()).intact);
        runSql(dir.file("Jurnal.DB"), "DROP TRIGGER cv_jurnal_fix; DROP TRIGGER cv_jurnal_keep; " + c.sql);
        auto v = journal::verify(dir.path());
        EXPECT_FALSE(v.intact);
        EXPECT_EQ(v.firstBroken, c.firstBroken);
        EXPECT_NE(v.message.find("nr. " + std::to_string(c.firstBroken)), std::string::npos) << v.message;
    }
}

TEST(Journal, EntriesWaitInTheTableFileAndMoveOnceEvenWhenTheMoveIsCutBetweenItsCommits) {
    TempDir dir;
    support::installInto(dir.path());
    Table t;
    openReceipts(t, dir);
    for (int i = 1; i <= 3; ++i) postReceipt(t, i, 10);
    // the table file as a kill after the journal's commit would leave it:
    // its waiting entries still there
    const std::string copy = dir.file("Venituri.inainte");
    std::filesystem::copy_file(dir.file("Venituri.DB"), copy);
    EXPECT_EQ(journal::settle(dir.path()), 3);
    EXPECT_EQ(journal::settle(dir.path()), 0);
    t.close();
    std::filesystem::copy_file(copy, dir.file("Venituri.DB"), std::filesystem::copy_options::overwrite_existing);
    openReceipts(t, dir);
    postReceipt(t, 4, 10);
    EXPECT_EQ(journal::settle(dir.path()), 1);  // the three passed over, the new one taken
    const auto v = journal::verify(dir.path());
    EXPECT_TRUE(v.intact) << v.message;
    EXPECT_EQ(v.entries, 4);
    for (long long row = 1; row <= 4; ++row) EXPECT_EQ(journal::history(dir.path(), "Venituri", row).size(), 1u);
    // a deleted receipt is found by its entries, the Romanian way
    t.first();
    t.edit();
    t["Explicatie"].setAsString("Donatie Ştefan");  // cedilla
    t.post();
    t.del();
    const auto found = journal::lastDeletion(dir.path(), {"Venituri.DB"}, "ȘTE");
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->key, "Chitanta nr. 1 din 12.03.2026");
    EXPECT_FALSE(journal::lastDeletion(dir.path(), {"Cheltuieli.DB"}, "ste").has_value());
}

TEST(Journal, AnSqlWriteOfTheProgramGivesOneEntryPerStatementWithItsRowsAndAFailedOneNone) {
    TempDir dir;
    support::installInto(dir.path());
    SqlSession& sql = SqlSession::forDirectory(dir.path());
    sql.execute("INSERT INTO Bilant (Nr_rand, Denumire) SELECT Cod_venit + 10000, Denumire FROM Tip_venituri");
    const long long rows = sql.select("SELECT COUNT(*) FROM Bilant WHERE Nr_rand > 10000").rows.at(0).at(0).toInt();
    ASSERT_GT(rows, 0);
    EXPECT_EQ(sql.execute("UPDATE Bilant SET Prevederi = 5 WHERE Nr_rand > 10000"), rows);
    EXPECT_THROW(sql.execute("UPDATE Bilant SET Nr_rand = Nr_rand / 0 + nu_exista"), EngineError);
    sql.execute("DELETE FROM Tip_doc WHERE 0");  // no row changed: no entry
    const auto v = journal::verify(dir.path());
    EXPECT_TRUE(v.intact) << v.message;
    ASSERT_EQ(v.entries, 2);
    const auto set = journal::history(dir.path(), "Bilant", 0);
    ASSERT_EQ(set.size(), 2u);
    EXPECT_EQ(set[1].action, "modificat");
    EXPECT_EQ(set[1].key, "Instructiune SQL, " + std::to_string(rows) + " randuri");
    EXPECT_NE(set[1].after.find("UPDATE Bilant SET Prevederi = 5 WHERE"), std::string::npos) << set[1].after;
}

TEST(Collation, ANameCatalogOrdersAndFindsTheRomanianWay) {
    TempDir dir;
    support::installInto(dir.path());
    Table t;
    t.setDatabaseName(dir.path());
    t.setTableName("Tip_doc.db");
    t.open();
    t.emptyTable();
    for (const char* n : {"zet", "Țara", "îngeri", "Ştefan", "Âmbru", "ăla", "tata", "Sara", "Ion", "Ana", "Șerban"}) {
        t.append();
        t["Denumire"].setAsString(n);
        t.post();
    }
    t.addIndex("Den", "Denumire", true);
    t.setIndexName("Den");
    std::vector<std::string> shown;
    for (t.first(); !t.eof(); t.next()) shown.push_back(t["Denumire"].asString());
    EXPECT_EQ(shown, (std::vector<std::string>{"Ana", "ăla", "Âmbru", "Ion", "îngeri", "Sara", "Șerban", "Ştefan",
                                               "tata", "Țara", "zet"}));
    struct Case {
        const char* how;
        std::function<bool()> search;
        const char* lands;
    };
    const Case cases[] = {
        {"findKey, comma form and case", [&] { return t.findKey({Value("ȘTEFAN")}); }, "Ştefan"},
        {"findKey, cedilla form", [&] { return t.findKey({Value("ţara")}); }, "Țara"},
        {"findNearest after S", [&] { return t.findNearest({Value("ș")}), true; }, "Șerban"},
        {"locate, start of the name",
         [&] {
             return t.locate("Denumire", Value("ște"), {true, true});
         },
         "Ştefan"},
        {"locate, whole name",
         [&] {
             return t.locate("Denumire", Value("INGERI"), {true, false});
         },
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        t.first();
        EXPECT_EQ(c.search(), c.lands != nullptr);
        if (c.lands) EXPECT_EQ(t["Denumire"].asString(), c.lands);
    }
    // the file's index stays one any tool can write through
    runSql(dir.file("Tip_doc.db"), "INSERT INTO Tip_doc (Denumire) VALUES ('Ulm')");
}
