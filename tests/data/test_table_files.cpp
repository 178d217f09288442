// Which files the engine works on: a file must hold its own table with its
// fields (a copied or crafted file is refused, naming it, and left as it is),
// and a write-protected file is read but never written.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "data/AppDir.h"
#include "data/Clock.h"
#include "data/Engine.h"
#include "data/FileCopy.h"
#include "data/Install.h"
#include "data/Query.h"
#include "data/Schema.h"
#include "data/Table.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using namespace data;

namespace {

void rawSql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// The engine's message for `action`, which must fail.
std::string failure(const std::function<void()>& action) {
    try {
        action();
    } catch (const EngineError& e) {
        return e.what();
    }
    ADD_FAILURE() << "no error";
    return {};
}

std::function<void()> opening(const TempDir& dir, const std::string& name) {
    return [&dir, name] {
        Table t;
        t.setDatabaseName(dir.path());
        t.setTableName(name);
        t.open();
    };
}

std::function<void()> running(const TempDir& dir, const std::string& sql) {
    return [&dir, sql] { SqlSession::forDirectory(dir.path()).execute(sql); };
}

double cashReceipts(const TempDir& dir) {
    Query q;
    q.setDatabaseName(dir.path());
    q.setSql("SELECT SUM(Valoarea) as Suma \nFROM \"Venituri.DB\" \nWHERE\n(Cont = 'Casa')");
    q.open();
    return q["Suma"].asFloat();
}

void expectMentions(const std::string& message, std::initializer_list<std::string> parts) {
    for (const auto& p : parts) EXPECT_NE(message.find(p), std::string::npos) << "'" << p << "' not in: " << message;
    // the engine's own words are Romanian
    for (const char* english : {"File:", "no such", "does not exist", "Table "})
        EXPECT_EQ(message.find(english), std::string::npos) << message;
}

}  // namespace

TEST(TableFiles, ATableNameReadFromAFileInjectsNoSql) {
    TempDir dir;
    const TableSpec& spec = *knownTable("Venituri.DB");
    std::string cols;
    for (const auto& c : spec.columns)
        cols += (cols.empty() ? "" : ", ") + quoteIdent(c.name) + " " + declaredType(c.type, c.size);
    // the crafted table comes first in the file, the receipts after it
    rawSql(dir.file("Venituri.DB"),
           "CREATE TABLE \"Venituri\"\" SET Explicatie = 'atacat' --\" (x);"
           "CREATE TABLE Venituri (" +
               cols +
               ");"
               "INSERT INTO Venituri (Explicatie, Valoarea, Cont) VALUES ('originala', 5, 'Casa');");
    SqlSession::forDirectory(dir.path()).execute("UPDATE \"Venituri.DB\" SET Valoarea = 1");
    Table t;
    t.setDatabaseName(dir.path());
    t.setTableName("Venituri.DB");
    t.open();
    ASSERT_EQ(t.recordCount(), 1);
    EXPECT_EQ(t["Valoarea"].asFloat(), 1.0);
    EXPECT_EQ(t["Explicatie"].asString(), "originala");
}

TEST(TableFiles, AFileHoldingAnotherTableIsRefusedNamingItAndNotAltered) {
    TempDir dir;
    createInstallation(dir.path());
    insertRows(dir.file("Cheltuieli.DB"), {"Valoarea", "Cont"}, {{40.0, "Casa"}});

    // document kinds copied over the unit table: refused at opening and by the
    // start-up upgrade, which leaves the file as it was
    fs::copy_file(dir.file("Tip_doc.db"), dir.file("Parohia.DB"), fs::copy_options::overwrite_existing);
    const std::string before = readFile(dir.file("Parohia.DB"));
    expectMentions(failure(opening(dir, "Parohia.DB")), {dir.file("Parohia.DB"), "Parohia", "Tip_doc"});
    int alters = 0;
    expectMentions(failure([&] { EnsureField(dir.path(), "Parohia.DB", "Felmarosta", "BOOLEAN", [&] { ++alters; }); }),
                   {dir.file("Parohia.DB")});
    EXPECT_EQ(alters, 0);
    EXPECT_EQ(readFile(dir.file("Parohia.DB")), before);
    expectMentions(failure(running(dir, "UPDATE \"Parohia.DB\" SET An_lucru = 2014")), {dir.file("Parohia.DB")});

    // payments copied over the receipts: refused at opening, and the balance
    // statement does not sum them as receipts
    fs::copy_file(dir.file("Cheltuieli.DB"), dir.file("Venituri.DB"), fs::copy_options::overwrite_existing);
    expectMentions(failure(opening(dir, "Venituri.DB")), {dir.file("Venituri.DB")});
    expectMentions(failure([&] { cashReceipts(dir); }), {dir.file("Venituri.DB")});

    // templates and copies of the same layout are the table they are copied over
    CopyWholeFile(dir.file("Bilant.DB"), dir.file("Bilant1.DB"));
    CopyWholeFile(dir.file("BilantParohGol.DB"), dir.file("PAROHII/Bilant.DB"));
    CopyWholeFile(dir.file("RegGol.DB"), dir.file("Registru.DB"));
    for (const char* copy : {"Bilant1.DB", "PAROHII/Bilant.DB", "Registru.DB"}) {
        SCOPED_TRACE(copy);
        EXPECT_NO_THROW(opening(dir, copy)());
    }
}

TEST(TableFiles, MissingFieldsAreNamedWithTheFileAtOpening) {
    TempDir dir;
    TableSpec receipts = *knownTable("Venituri.DB");
    std::erase_if(receipts.columns, [](const ColumnDef& c) { return c.name == "Valoarea"; });
    createTableFile(dir.file("Venituri.DB"), receipts);
    expectMentions(failure(opening(dir, "Venituri.DB")), {dir.file("Venituri.DB"), "Valoarea"});
    expectMentions(failure([&] { cashReceipts(dir); }), {dir.file("Venituri.DB"), "Valoarea"});

    // a table outside the core ones opens; a statement over a field it lacks names both
    TableSpec budget = *knownTable("Bilant.DB");
    std::erase_if(budget.columns, [](const ColumnDef& c) { return c.name == "Formula"; });
    createTableFile(dir.file("Bilant.DB"), budget);
    EXPECT_NO_THROW(opening(dir, "Bilant.DB")());
    expectMentions(failure(running(dir, "UPDATE \"Bilant.DB\" SET Executie = 0 WHERE Formula IS NULL")),
                   {dir.file("Bilant.DB"), "Formula"});

    expectMentions(failure(opening(dir, "Contor.DB")), {dir.file("Contor.DB")});
    expectMentions(failure(running(dir, "DELETE FROM \"Contor.DB\"")), {dir.file("Contor.DB")});
}

TEST(TableFiles, AWriteProtectedFileIsReadAndNeverWritten) {
    TempDir dir;
    createTableFile(dir.file("Venituri.DB"), *knownTable("Venituri.DB"));
    insertRows(dir.file("Venituri.DB"), {"Nr_act", "Valoarea", "Cont"}, {{1.0, 25.0, "Casa"}});
    ASSERT_EQ(::chmod(dir.file("Venituri.DB").c_str(), 0444), 0);
    const std::string before = readFile(dir.file("Venituri.DB"));

    Table t;
    t.setDatabaseName(dir.path());
    t.setTableName("Venituri.DB");
    t.open();
    EXPECT_TRUE(t.writeProtected());
    EXPECT_EQ(t["Valoarea"].asFloat(), 25.0);
    EXPECT_EQ(cashReceipts(dir), 25.0);

    auto refused = [&](const std::function<void()>& save) {
        expectMentions(failure(save), {"protejata la scriere", dir.file("Venituri.DB")});
    };
    t.append();  // a record can be typed; saving says why it is not kept
    t["Valoarea"].setAsFloat(3);
    refused([&] { t.post(); });
    EXPECT_EQ(t.state(), DataSetState::Insert);
    t.cancel();
    t.edit();
    t["Valoarea"].setAsFloat(4);
    refused([&] { t.post(); });
    t.cancel();
    refused([&] { t.del(); });
    refused(running(dir, "UPDATE \"Venituri.DB\" SET Valoarea = 0"));
    EXPECT_EQ(readFile(dir.file("Venituri.DB")), before);
    EXPECT_EQ(t.recordCount(), 1);
    ::chmod(dir.file("Venituri.DB").c_str(), 0644);
}
// A table is the file itself: a link (even to a good table), a FIFO or a
// directory under its name is refused, naming it, however it is opened.
TEST(TableFiles, ALinkOrAnyOtherNonRegularFileIsRefusedNamingIt) {
    TempDir dir, elsewhere;
    createInstallation(dir.path());
    const std::string file = dir.file("Venituri.DB"), target = elsewhere.file("Venituri.DB");
    fs::rename(file, target);
    for (const std::string what : {"legatura simbolica", "nu este un fisier obisnuit", "este un director"}) {
        fs::remove(file);
        if (what[0] == 'l') fs::create_symlink(target, file);
        if (what[0] == 'n') ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0);
        if (what[0] == 'e') fs::create_directory(file);
        for (const auto& open : {opening(dir, "Venituri.DB"), running(dir, "DELETE FROM Venituri"),
                                 std::function<void()>([&] { EnsureField(dir.path(), "venituri.db", "X", "FLOAT"); })})
            expectMentions(failure(open), {what, file});
    }
}
// A file left in write-ahead-log mode is switched back to the rollback
// journal, or refused while another tool keeps it in that mode.
TEST(TableFiles, AFileLeftInWalModeIsSwitchedBackOrRefused) {
    TempDir dir;
    createInstallation(dir.path());
    auto wal = [&](const char* name) { return readFile(dir.file(name)).at(18) == 2; };  // the header's write version
    for (const auto& [name, open] : {std::pair{"Venituri.DB", opening(dir, "Venituri.DB")},
                                     std::pair{"Cheltuieli.DB", running(dir, "DELETE FROM Cheltuieli")}}) {
        rawSql(dir.file(name), "PRAGMA journal_mode=WAL");
        ASSERT_TRUE(wal(name));
        open();
        EXPECT_FALSE(wal(name)) << name;
    }
    rawSql(dir.file("Contor.DB"), "PRAGMA journal_mode=WAL");
    sqlite3* other = nullptr;
    sqlite3_open(dir.file("Contor.DB").c_str(), &other);
    sqlite3_exec(other, "BEGIN; SELECT count(*) FROM Contor", nullptr, nullptr, nullptr);
    expectMentions(failure(opening(dir, "Contor.DB")), {"jurnal", dir.file("Contor.DB")});
    sqlite3_close_v2(other);
}
