// What the engine lets into a table file: records written only where they were
// read and unchanged since (two programs on one directory), identities and
// autoincrement values never given twice, text sizes in characters and
// well-formed text only, bounded amounts, keys with blanks.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <limits>

#include "data/Engine.h"
#include "data/FileCopy.h"
#include "data/Install.h"
#include "data/Query.h"
#include "data/Schema.h"
#include "data/SqlTranslate.h"
#include "data/Table.h"
#include "support/TempDir.h"

using namespace data;

namespace {

// A table file as an older build wrote it: the program's layout in a plain
// SQLite table, without the identity bookkeeping.
void makeOlderFile(const std::string& path, const TableSpec& spec, const std::vector<std::string>& inserts) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    std::string sql = "CREATE TABLE " + quoteIdent(tableBaseName(spec.fileName)) + " (";
    for (size_t i = 0; i < spec.columns.size(); ++i)
        sql += (i ? ", " : "") + quoteIdent(spec.columns[i].name) + " " +
               declaredType(spec.columns[i].type, spec.columns[i].size);
    if (!spec.primaryKey.empty()) {
        sql += ", PRIMARY KEY (";
        for (size_t i = 0; i < spec.primaryKey.size(); ++i) sql += (i ? ", " : "") + quoteIdent(spec.primaryKey[i]);
        sql += ")";
    }
    sql += ");";
    for (const auto& ins : inserts) sql += ins + ";";
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

void openTable(Table& t, const TempDir& dir, const std::string& name) {
    t.setDatabaseName(dir.path());
    t.setTableName(name);
    t.open();
}

// One field of every stored row, in entry order.
std::vector<Value> stored(const TempDir& dir, const std::string& table, const std::string& field) {
    Table t;
    openTable(t, dir, table);
    std::vector<Value> out;
    for (t.first(); !t.eof(); t.next()) out.push_back(t[field].value());
    return out;
}

std::vector<std::string> texts(const std::vector<Value>& values) {
    std::vector<std::string> out;
    for (const auto& v : values) out.push_back(v.toString());
    return out;
}

void expectStale(const std::function<void()>& action) {
    try {
        action();
        ADD_FAILURE() << "written over a record changed by another program";
    } catch (const StaleRecordError& e) {
        EXPECT_STREQ(e.what(), "Inregistrarea a fost modificata sau stearsa de alt utilizator!");
    }
}

// Receipts 1..n, in a file of this build or of an older one.
void makeReceipts(const TempDir& dir, bool older, int n) {
    const TableSpec& spec = *knownTable("Venituri.DB");
    std::vector<std::string> rows;
    for (int i = 1; i <= n; ++i)
        rows.push_back("INSERT INTO Venituri (Nr_act, Data, Explicatie, Valoarea, Cont) VALUES (" + std::to_string(i) +
                       ", '2014-05-0" + std::to_string(1 + i % 9) + "', 'chitanta " + std::to_string(i) + "', " +
                       std::to_string(10 * i) + ", 'Casa')");
    if (older) {
        makeOlderFile(dir.file("Venituri.DB"), spec, rows);
    } else {
        createTableFile(dir.file("Venituri.DB"), spec);
        for (const auto& r : rows) SqlSession::forDirectory(dir.path()).execute(r);
    }
}

void replaceLastReceipt(Table& a, const std::string& text) {
    a.last();
    a.del();
    a.append();
    a["Nr_act"].setAsFloat(10);
    a["Explicatie"].setAsString(text);
    a["Valoarea"].setAsFloat(77);
    a.post();
}

}  // namespace

// Two programs on one directory: A and B are two table objects on one file.
class TwoPrograms : public ::testing::TestWithParam<bool> {};

TEST_P(TwoPrograms, WritesLandOnlyOnTheRecordReadAndUnchangedSince) {
    TempDir dir;
    makeReceipts(dir, GetParam(), 10);
    Table a, b;
    openTable(a, dir, "Venituri.DB");
    openTable(b, dir, "Venituri.DB");
    b.last();
    ASSERT_EQ(b["Explicatie"].asString(), "chitanta 10");

    // A deletes receipt 10 and saves a new one; B, still showing the old
    // receipt, deletes it: refused, and A's receipt stays.
    replaceLastReceipt(a, "chitanta noua");
    expectStale([&] { b.del(); });
    EXPECT_EQ(b.state(), DataSetState::Browse);
    EXPECT_EQ(b.recordCount(), 10);  // B shows the rows as stored now
    b.last();
    EXPECT_EQ(b["Explicatie"].asString(), "chitanta noua");
    EXPECT_EQ(texts(stored(dir, "Venituri.DB", "Explicatie")).back(), "chitanta noua");

    // An edit begun in B does not land on the receipt A saved in its place.
    b.edit();
    b["Explicatie"].setAsString("schimbata in B");
    replaceLastReceipt(a, "a doua chitanta noua");
    expectStale([&] { b.post(); });
    EXPECT_EQ(b.state(), DataSetState::Browse);
    auto all = texts(stored(dir, "Venituri.DB", "Explicatie"));
    EXPECT_EQ(all.size(), 10u);
    EXPECT_EQ(all.back(), "a doua chitanta noua");
    EXPECT_EQ(std::count(all.begin(), all.end(), "schimbata in B"), 0);

    // An edit of a record deleted meanwhile writes nothing and says so.
    b.last();
    b.edit();
    b["Valoarea"].setAsFloat(5);
    a.last();
    a.del();
    expectStale([&] { b.post(); });
    EXPECT_EQ(stored(dir, "Venituri.DB", "Valoarea").size(), 9u);

    // The same record changed by A: B's delete is refused, its view refreshed,
    // and a delete of what it now shows goes through.
    a.first();
    b.first();
    a.edit();
    a["Valoarea"].setAsFloat(999);
    a.post();
    expectStale([&] { b.del(); });
    EXPECT_EQ(b["Valoarea"].asFloat(), 999);
    b.del();
    EXPECT_EQ(stored(dir, "Venituri.DB", "Valoarea").size(), 8u);

    // A record deleted by A cannot be taken into editing by B.
    a.refresh();
    a.first();
    EXPECT_EQ(a["Explicatie"].asString(), b["Explicatie"].asString());
    a.del();
    expectStale([&] { b.edit(); });
    EXPECT_EQ(b.state(), DataSetState::Browse);
    EXPECT_EQ(b.recordCount(), 7);
    EXPECT_EQ(b["Explicatie"].asString(), "chitanta 3");
}

TEST_P(TwoPrograms, TheLastRecordsIdentityIsNotGivenAgain) {
    TempDir dir;
    makeReceipts(dir, GetParam(), 2);
    Table b;
    openTable(b, dir, "Venituri.DB");
    b.last();  // B shows receipt 2
    {
        Table a;  // another program deletes it and ends
        openTable(a, dir, "Venituri.DB");
        a.last();
        a.del();
    }
    {
        Table a;  // and later saves a receipt with the very values B shows
        openTable(a, dir, "Venituri.DB");
        a.append();
        for (const char* f : {"Nr_act", "Data", "Explicatie", "Valoarea", "Cont"}) a[f].setValue(b[f].value());
        a.post();
    }
    expectStale([&] { b.del(); });  // B's receipt is gone; A's is another record
    EXPECT_EQ(texts(stored(dir, "Venituri.DB", "Explicatie")), (std::vector<std::string>{"chitanta 1", "chitanta 2"}));
}

INSTANTIATE_TEST_SUITE_P(Files, TwoPrograms, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "OlderBuildFile" : "NewFile"; });

TEST(Autoincrement, ValuesAreNeverGivenTwiceAndSqlInsertsFillThem) {
    TempDir dir;
    createTableFile(dir.file("DocIn.db"), *knownTable("DocIn.db"));
    Table t, other;
    openTable(t, dir, "DocIn.db");
    auto add = [](Table& tbl, double nr) {
        tbl.append();
        tbl["Numar"].setAsFloat(nr);
        tbl.post();
        return tbl["Cod"].asInteger();
    };
    EXPECT_EQ(add(t, 1), 1);
    EXPECT_EQ(add(t, 2), 2);
    EXPECT_EQ(add(t, 3), 3);
    t.last();
    t.del();
    EXPECT_EQ(add(t, 4), 4);  // not 3 again
    while (!t.isEmpty()) t.del();
    EXPECT_EQ(add(t, 5), 5);  // an emptied table goes on counting
    openTable(other, dir, "DocIn.db");
    EXPECT_EQ(add(other, 6), 6);

    Query ins;
    ins.setDatabaseName(dir.path());
    ins.setSql("INSERT INTO \"DocIn.db\" (Numar, Data) SELECT Numar + 100, Data FROM \"DocIn.db\"");
    EXPECT_EQ(ins.execSql(), 2);
    t.refresh();
    std::vector<long long> codes, numbers;
    for (t.first(); !t.eof(); t.next()) {
        codes.push_back(t["Cod"].asInteger());
        numbers.push_back(t["Numar"].asInteger());
    }
    EXPECT_EQ(codes, (std::vector<long long>{5, 6, 7, 8}));
    EXPECT_EQ(numbers, (std::vector<long long>{5, 6, 105, 106}));

    // A file of an older build goes on from its largest value.
    TempDir old;
    makeOlderFile(old.file("DocIn.db"), *knownTable("DocIn.db"),
                  {"INSERT INTO DocIn (Cod, Numar) VALUES (1, 1)", "INSERT INTO DocIn (Cod, Numar) VALUES (9, 2)"});
    ins.setDatabaseName(old.path());
    ins.setSql("INSERT INTO DocIn (Numar) VALUES (3)");
    ins.execSql();
    Table o;
    openTable(o, old, "DocIn.db");
    EXPECT_EQ(add(o, 4), 11);
    std::vector<long long> oldCodes;
    for (o.first(); !o.eof(); o.next()) oldCodes.push_back(o["Cod"].asInteger());
    EXPECT_EQ(oldCodes, (std::vector<long long>{1, 9, 10, 11}));
}

// Identities and autoincrement values of the rows an INSERT ... SELECT adds, in
// the order of the stored rows.
std::vector<std::pair<long long, long long>> identities(const TempDir& dir) {
    Query q;
    q.setDatabaseName(dir.path());
    q.setSql("SELECT rowid AS R, Cod FROM \"DocIn.db\" ORDER BY rowid");
    q.open();
    std::vector<std::pair<long long, long long>> out;
    for (q.first(); !q.eof(); q.next()) out.emplace_back(q["R"].asInteger(), q["Cod"].asInteger());
    return out;
}

TEST(Autoincrement, AnInsertOfManyRowsIsNumberedInTheOrderOfItsSelect) {
    TempDir dir;
    createTableFile(dir.file("DocIn.db"), *knownTable("DocIn.db"));
    insertRows(dir.file("DocIn.db"), {"Numar"}, {{1.0}, {2.0}, {3.0}, {4.0}});
    {
        Table t;  // the last two rows go: their numbers are not given again
        openTable(t, dir, "DocIn.db");
        t.last();
        t.del();
        t.last();
        t.del();
    }
    Query ins;
    ins.setDatabaseName(dir.path());
    ins.setSql(
        "INSERT INTO \"DocIn.db\" (Numar, Tip) SELECT Numar + 10, 'copie' FROM \"DocIn.db\" WHERE Numar >= :De\n"
        "ORDER BY Numar DESC");
    ins.setParam("De", 1);
    EXPECT_EQ(ins.execSql(), 2);
    // rows and codes after the largest ever given, the larger number first as ordered
    EXPECT_EQ(identities(dir), (std::vector<std::pair<long long, long long>>{{1, 1}, {2, 2}, {5, 5}, {6, 6}}));
    EXPECT_EQ(texts(stored(dir, "DocIn.db", "Numar")), (std::vector<std::string>{"1", "2", "12", "11"}));

    // nothing selected: nothing numbered
    ins.setParam("De", 100);
    EXPECT_EQ(ins.execSql(), 0);
    // the next single insert, by SQL and by a table, goes on after the marks
    Query one;
    one.setDatabaseName(dir.path());
    one.setSql("INSERT INTO \"DocIn.db\" (Numar) VALUES (20)");
    one.execSql();
    Table t;
    openTable(t, dir, "DocIn.db");
    t.append();
    t["Numar"].setAsFloat(21);
    t.post();
    EXPECT_EQ(identities(dir),
              (std::vector<std::pair<long long, long long>>{{1, 1}, {2, 2}, {5, 5}, {6, 6}, {7, 7}, {8, 8}}));

    // codes named by the statement are the statement's, blanks numbered
    ins.setSql("INSERT INTO \"DocIn.db\" (Cod, Numar) SELECT Cod + 100, Numar FROM \"DocIn.db\" WHERE Cod <= 2");
    EXPECT_EQ(ins.execSql(), 2);
    EXPECT_EQ(texts(stored(dir, "DocIn.db", "Cod")),
              (std::vector<std::string>{"1", "2", "5", "6", "7", "8", "101", "102"}));
}

TEST(Autoincrement, AnInsertOfManyRowsThatFailsAddsNothingAndUsesNoNumber) {
    TempDir dir;
    createTableFile(dir.file("DocIn.db"), *knownTable("DocIn.db"));
    insertRows(dir.file("DocIn.db"), {"Numar", "Explicatie"}, {{1.0, "{}"}, {2.0, "{}"}, {3.0, "nu este JSON"}});
    Query ins;
    ins.setDatabaseName(dir.path());
    // the third row's value cannot be computed
    ins.setSql("INSERT INTO \"DocIn.db\" (Numar, Explicatie) SELECT Numar, json(Explicatie) FROM \"DocIn.db\"");
    EXPECT_THROW(ins.execSql(), EngineError);
    EXPECT_EQ(texts(stored(dir, "DocIn.db", "Numar")), (std::vector<std::string>{"1", "2", "3"}));
    ins.setSql("INSERT INTO \"DocIn.db\" (Numar) SELECT Numar + 10 FROM \"DocIn.db\" WHERE Numar < 3");
    EXPECT_EQ(ins.execSql(), 2);
    EXPECT_EQ(identities(dir), (std::vector<std::pair<long long, long long>>{{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}}));
}

TEST(Autoincrement, TheRegisterFilledBySqlFromItsTemplateGetsItsRowIdentities) {
    TempDir dir;
    createInstallation(dir.path());
    insertRows(dir.file("Venituri.DB"), {"Nr_act", "Data", "Fel", "Explicatie", "Valoarea", "Cont"},
               {{1.0, Date{2014, 1, 5}, "Chitanta", "a", 10.0, "Casa"},
                {2.0, Date{2014, 1, 5}, "Chitanta", "b", 20.0, "Casa"},
                {3.0, Date{2014, 1, 6}, "Chitanta", "c", 30.0, "Banca"}});
    CopyWholeFile(dir.file("RegGol.DB"), dir.file("Registru.DB"));
    Query q;
    q.setDatabaseName(dir.path());
    q.setSql(
        "INSERT INTO \"Registru.DB\" (Data, Nr_doc,Fel, Explicatii, IncasariC) SELECT DISTINCT Data, Nr_act,Fel, "
        "Explicatie, Valoarea FROM \"Venituri.DB\" WHERE (Cont = 'Casa')");
    EXPECT_EQ(q.execSql(), 2);
    q.setSql(
        "INSERT INTO \"Registru.DB\" (Data, Nr_doc,Fel, Explicatii, IncasariB) SELECT DISTINCT Data, Nr_act, Fel "
        ",Explicatie, Valoarea FROM \"Venituri.DB\" WHERE (Cont = 'Banca')");
    EXPECT_EQ(q.execSql(), 1);
    // the template's table opens under the register's name, rows numbered in insertion order
    EXPECT_EQ(texts(stored(dir, "Registru.DB", "Id")), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(texts(stored(dir, "Registru.DB", "Explicatii")), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(FieldValues, TextSizesCountCharactersAndInvalidTextIsNeverStored) {
    TempDir dir;
    createTableFile(dir.file("Venituri.DB"), *knownTable("Venituri.DB"));
    Table t;
    openTable(t, dir, "Venituri.DB");
    auto repeat = [](const std::string& s, int n) {
        std::string r;
        for (int i = 0; i < n; ++i) r += s;
        return r;
    };
    const std::string hundred = repeat("ăâîșț", 20);  // 100 characters, 200 bytes
    const std::string ninetyNineAndS = repeat("a", 99) + "ș";
    t.append();
    t["Explicatie"].setAsString(hundred);
    t["Den_venit"].setFitted(ninetyNineAndS + "ăâ");                    // put together on purpose: cut to fit
    t["Cont"].setAsString(repeat("ț", 15) + "  ");                      // trailing blanks are dropped, not counted
    EXPECT_THROW(t["Cont"].setAsString(repeat("ț", 16)), EngineError);  // refused whole, never cut
    t.post();
    EXPECT_EQ(t["Explicatie"].asString(), hundred);
    EXPECT_EQ(t["Den_venit"].asString(), ninetyNineAndS);
    EXPECT_EQ(t["Cont"].asString(), repeat("ț", 15));
    EXPECT_EQ(texts(stored(dir, "Venituri.DB", "Explicatie")), std::vector<std::string>{hundred});

    // Broken text is refused, with the field named, and nothing of it is kept.
    t.edit();
    for (const std::string& bad :
         {std::string("ab\xC8"), std::string("\xFF\xFE"), std::string("\xC0\xAF"), std::string("\xED\xA0\x80")}) {
        try {
            t["Explicatie"].setAsString(bad);
            ADD_FAILURE() << "accepted broken text";
        } catch (const EngineError& e) {
            EXPECT_NE(std::string(e.what()).find("'Explicatie'"), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(t["Explicatie"].asString(), hundred);
    t.cancel();
    EXPECT_THROW(insertRows(dir.file("Venituri.DB"), {"Explicatie"}, {{std::string("x\x80")}}), EngineError);
    Query q;
    q.setDatabaseName(dir.path());
    q.setSql("UPDATE \"Venituri.DB\" SET Explicatie = :T");
    q.setParam("T", std::string("\xE2\x82"));
    EXPECT_THROW(q.execSql(), EngineError);
    EXPECT_EQ(texts(stored(dir, "Venituri.DB", "Explicatie")), std::vector<std::string>{hundred});
}

TEST(FieldValues, AmountsAreFiniteAndWithinSixteenDigits) {
    TempDir dir;
    createTableFile(dir.file("Venituri.DB"), *knownTable("Venituri.DB"));
    Table t;
    t.setup("Valoarea").displayLabel = "Suma";  // the range message names the field as the window shows it
    openTable(t, dir, "Venituri.DB");
    t.append();
    t["Valoarea"].setAsFloat(99999999999999.99);
    EXPECT_EQ(t["Valoarea"].asFloat(), 99999999999999.99);
    t["Valoarea"].setAsFloat(-99999999999999.99);
    t["Valoarea"].setAsFloat(12.5);
    const double refused[] = {1e308,
                              -1e15,
                              100000000000000.0,
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::quiet_NaN()};
    for (double x : refused) {
        try {
            t["Valoarea"].setAsFloat(x);
            ADD_FAILURE() << "accepted " << x;
        } catch (const EngineError& e) {
            std::string m = e.what();
            EXPECT_NE(m.find("'Suma'"), std::string::npos) << m;
            EXPECT_NE(m.find("99999999999999.99"), std::string::npos) << m;
        }
    }
    EXPECT_THROW(t["Valoarea"].setText("1e308"), EngineError);
    EXPECT_EQ(t["Valoarea"].asFloat(), 12.5);
    t.post();
    EXPECT_THROW(insertRows(dir.file("Venituri.DB"), {"Valoarea"}, {{std::numeric_limits<double>::infinity()}}),
                 EngineError);
    EXPECT_EQ(texts(stored(dir, "Venituri.DB", "Valoarea")), std::vector<std::string>{"12.5"});
}

TEST(Keys, BlankFieldsCountAsValuesInAKey) {
    TempDir dir;
    createInstallation(dir.path());
    auto refusedAsDuplicate = [](Table& t, DataSetState state = DataSetState::Insert) {
        try {
            t.post();
            ADD_FAILURE() << "second record with the same key posted";
        } catch (const EngineError& e) {
            EXPECT_NE(std::string(e.what()).find("Violare de cheie"), std::string::npos) << e.what();
        }
        EXPECT_EQ(t.state(), state);  // the record stays being edited
        t.cancel();
    };

    // Two parishioners with the same name, no street and no number.
    Table p;
    openTable(p, dir, "Enoriasi.DB");
    for (int i = 0; i < 2; ++i) {
        p.append();
        p["Cod_enorias"].setAsString("E1");
        p["Nume_prenume"].setAsString("Pop Ion");
        if (i == 0) p.post();
    }
    refusedAsDuplicate(p);
    p.append();  // another number is another parishioner
    p["Cod_enorias"].setAsString("E1");
    p["Nume_prenume"].setAsString("Pop Ion");
    p["Nr"].setAsString("3");
    p.post();
    p.edit();  // and cannot become the first one by losing its number
    p["Nr"].clear();
    refusedAsDuplicate(p, DataSetState::Edit);
    EXPECT_EQ(stored(dir, "Enoriasi.DB", "Nr").size(), 2u);

    // Two income types without a code.
    Table v;
    openTable(v, dir, "Tip_venituri.DB");
    int before = v.recordCount();
    for (int i = 0; i < 2; ++i) {
        v.append();
        v["Denumire"].setAsString("fara cod " + std::to_string(i));
        if (i == 0) v.post();
    }
    refusedAsDuplicate(v);
    EXPECT_EQ(v.recordCount(), before + 1);

    // Two budget lines numbered 40 without a name.
    Table b;
    openTable(b, dir, "Bilant.DB");
    for (int i = 0; i < 2; ++i) {
        b.append();
        b["Nr_rand"].setAsInteger(40);
        b["Prevederi"].setAsFloat(i);
        if (i == 0) b.post();
    }
    refusedAsDuplicate(b);
}
