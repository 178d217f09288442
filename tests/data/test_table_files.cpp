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

// A table file is the file itself: a link (even to a good table elsewhere),
// a FIFO or a directory under a table's name is refused, naming it, by every
// way of opening, and what a link points to is left as it was.
TEST(TableFiles, ALinkOrAnyOtherNonRegularFileIsRefusedNamingIt) {
    TempDir dir, elsewhere;
    createInstallation(dir.path());
    insertRows(dir.file("Venituri.DB"), {"Valoarea", "Cont"}, {{25.0, "Casa"}});
    fs::rename(dir.file("Venituri.DB"), elsewhere.file("Venituri.DB"));
    const std::string target = readFile(elsewhere.file("Venituri.DB"));
    const struct {
        const char* what;
        std::function<void(const std::string&)> make;
    } kinds[] = {
        {"legatura simbolica", [&](const std::string& p) { fs::create_symlink(elsewhere.file("Venituri.DB"), p); }},
        {"legatura simbolica", [&](const std::string& p) { fs::create_symlink(elsewhere.file("lipsa.DB"), p); }},
        {"nu este un fisier obisnuit", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }},
        {"este un director", [](const std::string& p) { fs::create_directory(p); }},
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.what);
        const std::string file = dir.file("Venituri.DB");
        fs::remove(file);
        k.make(file);
        expectMentions(failure(opening(dir, "Venituri.DB")), {k.what, file});
        expectMentions(failure([&] { cashReceipts(dir); }), {k.what, file});
        expectMentions(failure(running(dir, "DELETE FROM Venituri")), {k.what, file});
        expectMentions(failure([&] { EnsureField(dir.path(), "venituri.db", "Nr_registru", "FLOAT"); }), {file});
        expectMentions(failure([&] { openTableConnection(file); }), {k.what, file});
    }
    EXPECT_EQ(readFile(elsewhere.file("Venituri.DB")), target);
}

// The commit over several files is all or nothing only with rollback
// journals: a file another tool left in write-ahead-log mode is switched back
// at opening, and refused, naming it, while that tool keeps it in use.
TEST(TableFiles, AFileLeftInWalModeIsSwitchedBackOrRefused) {
    TempDir dir;
    createInstallation(dir.path());
    auto journalMode = [&](const std::string& name) {
        sqlite3* db = nullptr;
        sqlite3_open(dir.file(name).c_str(), &db);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &st, nullptr);
        std::string mode =
            sqlite3_step(st) == SQLITE_ROW ? reinterpret_cast<const char*>(sqlite3_column_text(st, 0)) : "";
        sqlite3_finalize(st);
        sqlite3_close(db);
        return mode;
    };
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"Venituri.DB", opening(dir, "Venituri.DB")},
        {"Cheltuieli.DB", running(dir, "UPDATE \"Cheltuieli.DB\" SET Valoarea = 1")},
    };
    for (const auto& [name, open] : ways) {
        SCOPED_TRACE(name);
        rawSql(dir.file(name), "PRAGMA journal_mode=WAL");
        ASSERT_EQ(journalMode(name), "wal");
        EXPECT_NO_THROW(open());
        EXPECT_EQ(journalMode(name), "delete");
    }
    // the other tool still has it open in its mode: the switch cannot be made
    rawSql(dir.file("Contor.DB"), "PRAGMA journal_mode=WAL");
    sqlite3* other = nullptr;
    sqlite3_open(dir.file("Contor.DB").c_str(), &other);
    sqlite3_exec(other, "BEGIN; SELECT count(*) FROM Contor", nullptr, nullptr, nullptr);
    expectMentions(failure(opening(dir, "Contor.DB")), {"jurnal", dir.file("Contor.DB")});
    expectMentions(failure(running(dir, "DELETE FROM \"Contor.DB\"")), {"jurnal", dir.file("Contor.DB")});
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
}
