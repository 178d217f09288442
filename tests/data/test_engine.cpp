// The table engine over real table files: events, states, orders, searches,
// master-detail, SQL statements, schema upgrade and crash safety.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

#include "data/AppDir.h"
#include "data/DataSource.h"
#include "data/Engine.h"
#include "data/Format.h"
#include "data/Install.h"
#include "data/Journal.h"
#include "data/Query.h"
#include "data/Schema.h"
#include "data/Table.h"
#include "support/OtherProgram.h"
#include "support/TempDir.h"

using namespace data;

namespace {

// The receipts table as the program knows it.
TableSpec venituriSpec() { return *knownTable("Venituri.DB"); }

TableSpec tipVenituriSpec() { return *knownTable("Tip_venituri.DB"); }

double sumOf(const std::string& dir, const std::string& sql) {
    Query q;
    q.setDatabaseName(dir);
    q.setSql(sql);
    q.open();
    return q.fieldByName("Suma").asFloat();
}

}  // namespace

TEST(TableEngine, EventsRunInOrderAndSilentAbortCancelsThePost) {
    TempDir dir;
    createTableFile(dir.file("Venituri.DB"), venituriSpec());
    Table t;
    t.setDatabaseName(dir.path());
    t.setTableName("Venituri.DB");
    std::vector<std::string> log;
    bool refuse = true;
    t.onNewRecord = [&](DataSet& d) {
        log.push_back("new");
        d["Cont"].setAsString("Casa");
    };
    t.setup("Valoarea").onValidate = [&](Field& f) {
        log.push_back("validate");
        if (f.asFloat() < 0) throw EngineError("negativ");
    };
    t.beforePost = [&](DataSet&) {
        log.push_back("beforePost");
        if (refuse) abortSilently();
    };
    t.afterPost = [&](DataSet&) { log.push_back("afterPost"); };
    t.beforeDelete = [&](DataSet&) { log.push_back("beforeDelete"); };
    t.afterDelete = [&](DataSet&) { log.push_back("afterDelete"); };
    t.open();
    EXPECT_EQ(t.state(), DataSetState::Browse);
    EXPECT_TRUE(t.isEmpty());

    t.edit();  // edit on an empty table starts a new record
    EXPECT_EQ(t.state(), DataSetState::Insert);
    EXPECT_FALSE(t.modified());  // values given by onNewRecord do not count as changes
    EXPECT_THROW(t["Valoarea"].setAsFloat(-1), EngineError);
    EXPECT_TRUE(t["Valoarea"].isNull());  // a refused assignment leaves the old value
    t["Valoarea"].setAsFloat(12.5);
    EXPECT_THROW(t.post(), Abort);
    EXPECT_EQ(t.state(), DataSetState::Insert);  // the record stays in editing
    EXPECT_EQ(t.recordCount(), 0);
    refuse = false;
    t.post();
    EXPECT_EQ(t.state(), DataSetState::Browse);
    EXPECT_EQ(t.recordCount(), 1);
    EXPECT_EQ(t["Cont"].asString(), "Casa");
    t.del();
    EXPECT_EQ(t.recordCount(), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"new", "validate", "validate", "beforePost", "beforePost", "afterPost",
                                             "beforeDelete", "afterDelete"}));
}

TEST(TableEngine, RequiredFieldsAndConversionErrors) {
    TempDir dir;
    createTableFile(dir.file("Venituri.DB"), venituriSpec());
    Table t;
    t.setDatabaseName(dir.path());
    t.setTableName("venituri");  // bare name, other letter case, no extension
    t.setup("Valoarea").required = true;
    t.open();
    t.append();
    t["Nr_act"].setAsFloat(1);
    try {
        t.post();
        FAIL() << "post without a required value";
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(), "Campul 'Valoarea' trebuie completat");
    }
    try {
        t["Cod_venit"].setText("ab");
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(), "'ab' nu este un numar intreg valid");
    }
    EXPECT_THROW(t["Cod_venit"].setAsInteger(40000), EngineError);  // short integer range
    EXPECT_THROW(t["Data"].setText("31/02/2014"), EngineError);
    t["Data"].setText("12/05/2014");
    EXPECT_EQ(t["Data"].asDate(), (Date{2014, 5, 12}));
    t.cancel();
    EXPECT_EQ(t.recordCount(), 0);
}

TEST(TableEngine, DocumentsOpenInEntryOrderAndCancelRestoresPosition) {
    TempDir dir;
    createTableFile(dir.file("Venituri.DB"), venituriSpec());
    insertRows(dir.file("Venituri.DB"), {"Nr_act", "Valoarea"}, {{5.0, 1.0}, {2.0, 2.0}, {9.0, 3.0}});
    Table t;
    t.setDatabaseName(dir.path());
    t.setTableName("Venituri.DB");
    t.open();
    t.last();
    EXPECT_EQ(t["Nr_act"].asFloat(), 9);
    EXPECT_EQ(t.recNo(), 3);
    EXPECT_TRUE(t.eof());
    t.prior();
    EXPECT_EQ(t["Nr_act"].asFloat(), 2);
    t.insert();
    t["Nr_act"].setAsFloat(10);
    t.cancel();
    EXPECT_EQ(t.recNo(), 2);
    EXPECT_EQ(t["Nr_act"].asFloat(), 2);
    // an unmodified new record is dropped when the user moves away, and the
    // move counts from where it stood: back from after the last is the last
    t.append();
    t.first();
    EXPECT_EQ(t.recordCount(), 3);
    t.append();
    t.prior();
    EXPECT_EQ(t["Nr_act"].asFloat(), 9);
    t.prior();
    t.insert();  // before the second: back is the first, on is the second
    t.prior();
    EXPECT_EQ(t["Nr_act"].asFloat(), 5);
    t.next();
    t.insert();
    t.next();
    EXPECT_EQ(t["Nr_act"].asFloat(), 2);
    // a modified one is posted, and lands last
    t.append();
    t["Nr_act"].setAsFloat(11);
    t.first();
    EXPECT_EQ(t.recordCount(), 4);
    t.last();
    EXPECT_EQ(t["Nr_act"].asFloat(), 11);
}

TEST(TableEngine, OrdersSearchesAndCaseInsensitiveIndex) {
    TempDir dir;
    createTableFile(dir.file("Tip_venituri.DB"), tipVenituriSpec());
    insertRows(dir.file("Tip_venituri.DB"), {"Cod_venit", "Denumire"},
               {{15, "Colecte"}, {3, "chirii"}, {12, "Donatii"}, {7, "Cheltuieli de cult"}});
    Table t;
    t.setDatabaseName(dir.path());
    t.setTableName("TIP_VENITURI.db");
    t.open();
    std::vector<long long> codes;
    for (t.first(); !t.eof(); t.next()) codes.push_back(t["Cod_venit"].asInteger());
    EXPECT_EQ(codes, (std::vector<long long>{3, 7, 12, 15}));  // primary key order

    EXPECT_TRUE(t.findKey({12}));
    EXPECT_EQ(t["Denumire"].asString(), "Donatii");
    EXPECT_FALSE(t.findKey({13}));
    EXPECT_EQ(t["Cod_venit"].asInteger(), 12);  // a failed search does not move
    t.findNearest({13});
    EXPECT_EQ(t["Cod_venit"].asInteger(), 15);
    EXPECT_THROW(t.findNearest({Value("ch")}), EngineError);  // text in a numeric order
    EXPECT_EQ(t["Cod_venit"].asInteger(), 15);

    t.addIndex("Den", "Denumire", true);
    t.setIndexName("Den");
    EXPECT_EQ(t["Cod_venit"].asInteger(), 15);  // switching order keeps the record
    std::vector<std::string> names;
    for (t.first(); !t.eof(); t.next()) names.push_back(t["Denumire"].asString());
    EXPECT_EQ(names, (std::vector<std::string>{"Cheltuieli de cult", "chirii", "Colecte", "Donatii"}));
    t.findNearest({Value("ch")});
    EXPECT_EQ(t["Denumire"].asString(), "Cheltuieli de cult");
    t.findNearest({Value("CHI")});
    EXPECT_EQ(t["Denumire"].asString(), "chirii");
    EXPECT_TRUE(t.locate("Denumire", Value("don"), {true, true}));
    EXPECT_EQ(t["Cod_venit"].asInteger(), 12);
    EXPECT_FALSE(t.locate("Denumire", Value("don"), {false, false}));
    t.close();

    Table again;  // the index is stored in the table file
    again.setDatabaseName(dir.path());
    again.setTableName("Tip_venituri.DB");
    again.open();
    auto defs = again.indexDefs();
    ASSERT_EQ(defs.size(), 2u);
    EXPECT_TRUE(defs[0].primary);
    EXPECT_EQ(defs[1].name, "Den");
    EXPECT_TRUE(defs[1].caseInsensitive);

    again.append();
    again["Cod_venit"].setAsInteger(12);
    try {
        again.post();
        FAIL() << "duplicate key posted";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("Violare de cheie"), std::string::npos);
    }
    EXPECT_EQ(again.state(), DataSetState::Insert);
}

TEST(TableEngine, MasterDetailFollowsTheMaster) {
    TempDir dir;
    createTableFile(dir.file("Familii.DB"),
                    {"Familii.DB", {{"Cod_enorias", FieldType::String, 10}, {"Nume", FieldType::String, 30}}, {}, {}});
    createTableFile(dir.file("Membri.db"), {"Membri.db",
                                            {{"Cod_enorias", FieldType::String, 10}, {"Nume", FieldType::String, 30}},
                                            {},
                                            {{"Cod", {"Cod_enorias"}}}});
    insertRows(dir.file("Familii.DB"), {"Cod_enorias", "Nume"}, {{"A1", "Pop"}, {"B2", "Ion"}});
    insertRows(dir.file("Membri.db"), {"Cod_enorias", "Nume"}, {{"A1", "Maria"}, {"B2", "Ana"}, {"A1", "Vasile"}});
    Table m, d;
    m.setDatabaseName(dir.path());
    m.setTableName("Familii.DB");
    d.setDatabaseName(dir.path());
    d.setTableName("Membri.db");
    DataSource ms(&m);
    m.open();
    d.setIndexName("Cod");
    d.setMasterSource(&ms);
    d.setMasterFields("Cod_enorias");
    d.open();
    EXPECT_EQ(d.recordCount(), 2);
    m.next();
    EXPECT_EQ(d.recordCount(), 1);
    EXPECT_EQ(d["Nume"].asString(), "Ana");
    d.append();
    EXPECT_EQ(d["Cod_enorias"].asString(), "B2");  // a new detail takes the master's value
    d["Nume"].setAsString("Petru");
    d.post();
    EXPECT_EQ(d.recordCount(), 2);
    m.first();
    EXPECT_EQ(d.recordCount(), 2);
}

TEST(TableEngine, DataLinksHearStateAndRecordChanges) {
    TempDir dir;
    createTableFile(dir.file("Venituri.DB"), venituriSpec());
    Table t;
    t.setDatabaseName(dir.path());
    t.setTableName("Venituri.DB");
    DataSource src(&t);
    CallbackDataLink link;
    std::vector<std::string> seen;
    link.onActiveChanged = [&] { seen.push_back("active"); };
    link.onEditingChanged = [&] { seen.push_back("state"); };
    link.onRecordChanged = [&](Field* f) { seen.push_back(f ? f->fieldName() : "?"); };
    link.onUpdateData = [&] {
        seen.push_back("update");
        t["Fel"].setAsString("chitanta");  // a control writes its pending text
    };
    link.setDataSource(&src);
    seen.clear();
    t.open();
    t.append();
    t["Valoarea"].setAsFloat(3);
    t.post();
    EXPECT_EQ(t["Fel"].asString(), "chitanta");
    EXPECT_EQ(seen, (std::vector<std::string>{"active", "state", "Valoarea", "update", "Fel", "state"}));
}

TEST(TableEngine, MissingForeignAndIncompleteTablesGiveErrorsNamingTheFile) {
    TempDir dir;
    {
        std::ofstream f(dir.file("Parohia.DB"), std::ios::binary);
        f << "\x03\x00 this is an old Paradox table, not ours";
    }
    auto size = [&](const std::string& n) {
        std::ifstream f(dir.file(n), std::ios::binary | std::ios::ate);
        return static_cast<long>(f.tellg());
    };
    long before = size("Parohia.DB");
    Table p;
    p.setDatabaseName(dir.path());
    p.setTableName("Parohia.DB");
    try {
        p.open();
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("Parohia.DB"), std::string::npos) << e.what();
    }
    EXPECT_EQ(size("Parohia.DB"), before);
    EXPECT_FALSE(p.active());

    Table missing;
    missing.setDatabaseName(dir.path());
    missing.setTableName("Contor.DB");
    try {
        missing.open();
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("Contor.DB"), std::string::npos);
    }
    EXPECT_FALSE(std::ifstream(dir.file("Contor.DB")).good());  // never created

    createTableFile(dir.file("Venituri.DB"), venituriSpec());
    Table v;
    v.setDatabaseName(dir.path());
    v.setTableName("Venituri.DB");
    v.setDeclaredFields({"Nr_act", "Cod_partener"});  // a field the window wants and the file lacks
    try {
        v.open();
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Tabela Venituri.DB (fisierul " + dir.file("Venituri.DB") + "): lipseste campul 'Cod_partener'");
    }
}

TEST(TableEngine, ExclusiveUseKeepsOutOtherProgramsOnly) {
    TempDir dir;
    createTableFile(dir.file("Venituri.DB"), venituriSpec());
    Table ex, same;
    ex.setDatabaseName(dir.path());
    ex.setTableName("Venituri.DB");
    ex.setExclusive(true);
    ex.open();
    same.setDatabaseName(dir.path());
    same.setTableName("venituri.db");
    same.open();  // a second table object of this program still reads it
    EXPECT_EQ(sumOf(dir.path(), "SELECT SUM(Valoarea) as Suma FROM \"Venituri.DB\""), 0.0);
    same.close();
    ex.close();

    OtherProgram holder(dir.path(), "Venituri.DB", true);  // holding the table exclusively
    ASSERT_TRUE(holder.holding());
    Table other;
    other.setDatabaseName(dir.path());
    other.setTableName("Venituri.DB");
    try {
        other.open();
        ADD_FAILURE() << "opened a table another program holds exclusively";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("Tabela este folosita de alt program"), std::string::npos);
    }
    EXPECT_THROW(sumOf(dir.path(), "SELECT SUM(Valoarea) as Suma FROM Venituri"), EngineError);
    holder.release();
    other.open();  // the lock went with the other program
    EXPECT_TRUE(other.active());
}

TEST(SqlStatements, BalancesNextNumbersAndUpdates) {
    TempDir dir;
    createTableFile(dir.file("Venituri.DB"), venituriSpec());
    createTableFile(dir.file("Depuneri.db"), {"Depuneri.db",
                                              {{"Nr_doc", FieldType::Float},
                                               {"Data", FieldType::Date},
                                               {"Suma", FieldType::Float},
                                               {"Fel", FieldType::String, 15}},
                                              {},
                                              {}});
    // SUM over no rows is NULL, read as 0; the next number of an empty table is 1
    EXPECT_EQ(sumOf(dir.path(), "SELECT SUM(Suma) as Suma \nFROM \"Depuneri.DB\" "), 0.0);
    Query next;
    next.setDatabaseName(dir.path());
    next.setSql("select max(Nr_act)  from Venituri");
    next.open();
    EXPECT_TRUE(next.fields()[0]->isNull());
    EXPECT_EQ(next.fields()[0]->asInteger() + 1, 1);
    next.close();

    insertRows(dir.file("Venituri.DB"), {"Nr_act", "Data", "Valoarea", "Cont", "Cod_venit"},
               {{1.0, Date{2014, 1, 5}, 50.0, "Casa", 10},
                {41.0, Date{2014, 3, 1}, 20.0, "Banca", 10},
                {7.0, Date{2014, 2, 1}, 5.0, "casa", 11}});
    next.open();
    EXPECT_EQ(next.fields()[0]->asInteger() + 1, 42);  // gaps are not refilled

    EXPECT_EQ(sumOf(dir.path(), "SELECT SUM(Valoarea) as Suma \nFROM \"Venituri.DB\" \nWHERE\n(Cont = 'Casa')"), 50.0);
    EXPECT_EQ(sumOf(dir.path(), "SELECT SUM(Valoarea) as Suma \nFROM \"Venituri.DB\" \nWHERE\n(Cont = 'Banca')"), 20.0);

    // date and integer parameters, one name used twice; dates compare chronologically
    Query q;
    q.setDatabaseName(dir.path());
    q.setSql(
        "SELECT SUM(Valoarea) as Suma FROM \"Venituri.DB\" V\nWHERE V.Data <= :D AND Cod_venit = :C\nOR (Data = :D)");
    q.setParam("D", Date{2014, 2, 1});
    q.setParam("C", 10);
    q.open();
    EXPECT_EQ(q["Suma"].asFloat(), 55.0);
    q.close();
    q.sql[1] = "WHERE Data >= :D";  // one line replaced before running
    q.open();
    EXPECT_EQ(q["Suma"].asFloat(), 25.0);
    q.close();

    // ordering by date is chronological
    Query o;
    o.setDatabaseName(dir.path());
    o.setSql("SELECT Nr_act, Data FROM Venituri ORDER BY Data");
    o.open();
    EXPECT_EQ(o["Data"].asDate(), (Date{2014, 1, 5}));
    EXPECT_EQ(o.fieldByName("Data").dataType(), FieldType::Date);
    o.last();
    EXPECT_EQ(o["Nr_act"].asInteger(), 41);

    // INSERT ... SELECT and UPDATE with a scalar sub-select over the same table
    Query ins;
    ins.setDatabaseName(dir.path());
    ins.setSql(
        "INSERT INTO \"Depuneri.DB\" (Nr_doc, Data, Suma) SELECT Nr_act, Data, Valoarea FROM \"Venituri.DB\" WHERE "
        "Cont = 'Casa'");
    EXPECT_EQ(ins.execSql(), 1);
    ins.setSql("UPDATE \"Depuneri.db\" SET Suma = (SELECT SUM(D2.Suma) FROM Depuneri D2) + 1");
    EXPECT_EQ(ins.execSql(), 1);
    EXPECT_EQ(sumOf(dir.path(), "SELECT SUM(Suma) as Suma FROM Depuneri"), 51.0);
    ins.setSql("DELETE FROM \"Depuneri.DB\"");
    EXPECT_EQ(ins.execSql(), 1);

    // a statement with a syntax error changes nothing
    ins.setSql("UPDATE \"Venituri.DB\" SET Valoarea = = 0");
    EXPECT_THROW(ins.execSql(), EngineError);
    EXPECT_EQ(sumOf(dir.path(), "SELECT SUM(Valoarea) as Suma FROM Venituri"), 75.0);
}

TEST(SqlStatements, ManyTablesStayWithinTheAttachmentLimit) {
    TempDir dir;
    for (int i = 0; i < 14; ++i) {
        std::string n = std::string("T").append(std::to_string(i)).append(".DB");
        createTableFile(dir.file(n), {n, {{"Suma", FieldType::Float}}, {}, {}});
        insertRows(dir.file(n), {"Suma"}, {{static_cast<double>(i)}});
    }
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 14; ++i)
            EXPECT_EQ(sumOf(dir.path(), "SELECT SUM(Suma) as Suma FROM \"T" + std::to_string(i) + ".DB\""), i);
}

TEST(SchemaUpgrade, EnsureFieldAddsAMissingFieldOnce) {
    TempDir dir;
    TableSpec older = *knownTable("Parohia.DB");  // a unit table of an older build: no Felmarosta
    std::erase_if(older.columns, [](const ColumnDef& c) { return c.name == "Felmarosta"; });
    createTableFile(dir.file("Parohia.DB"), older);
    insertRows(dir.file("Parohia.DB"), {"Parohia", "An_lucru"}, {{"Sf. Nicolae", 2014}});
    int calls = 0;
    EnsureField(dir.path(), "Parohia.DB", "Felmarosta", "BOOLEAN", [&] { ++calls; });
    EXPECT_EQ(calls, 1);
    EnsureField(dir.path(), "Parohia.DB", "Felmarosta", "BOOLEAN", [&] { ++calls; });
    EXPECT_EQ(calls, 1);  // already there: nothing happens
    Table t;
    t.setDatabaseName(dir.path());
    t.setTableName("parohia.db");
    t.open();
    EXPECT_EQ(t["Parohia"].asString(), "Sf. Nicolae");
    EXPECT_EQ(t["An_lucru"].asInteger(), 2014);
    EXPECT_TRUE(t["Felmarosta"].isNull());
    EXPECT_FALSE(t["Felmarosta"].asBoolean());
    EXPECT_EQ(t["Felmarosta"].dataType(), FieldType::Boolean);
}

TEST(CrashSafety, AProcessKilledWhilePostingOrMovingEntriesLeavesTheTableAndJournalWhole) {
    TempDir dir;
    createTableFile(dir.file("Venituri.DB"), venituriSpec());
    journal::createJournalFile(dir.file("Jurnal.DB"));
    for (int attempt = 0; attempt < 6; ++attempt) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            Table t;
            t.setDatabaseName(dir.path());
            t.setTableName("Venituri.DB");
            t.open();
            for (int i = 0;; ++i) {
                t.append();
                t["Nr_act"].setAsFloat(i);
                t["Explicatie"].setAsString(std::string(90, 'x'));
                t["Valoarea"].setAsFloat(1);
                t.post();
                if (i % 7 == 6) journal::settle(dir.path());  // kills land in moves too
            }
        }
        usleep(static_cast<useconds_t>(30000 + attempt * 17000));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        Table t;  // opens, recovers and reads every record that was posted
        t.setDatabaseName(dir.path());
        t.setTableName("Venituri.DB");
        t.open();
        int n = 0;
        for (t.first(); !t.eof(); t.next()) {
            EXPECT_EQ(t["Valoarea"].asFloat(), 1.0);
            EXPECT_EQ(t["Explicatie"].asString().size(), 90u);
            ++n;
        }
        EXPECT_EQ(n, t.recordCount());
        EXPECT_EQ(sumOf(dir.path(), "SELECT SUM(Valoarea) as Suma FROM Venituri"), static_cast<double>(n));
        // every posted receipt has its entry, and no entry is without its receipt
        const auto v = journal::verify(dir.path());
        EXPECT_TRUE(v.intact) << v.message;
        EXPECT_EQ(v.entries, n);
        EXPECT_EQ(
            sumOf(dir.path(), "SELECT COUNT(*) as Suma FROM Jurnal j WHERE j.Rand IN (SELECT rowid FROM Venituri)"),
            static_cast<double>(n));
    }
}

TEST(Formats, AmountsShowTheDigitsPrintfGivesAtEveryMagnitude) {
    // whole numbers of cents, tenths and thousandths from 0 to beyond 10^15
    // units, where the digits are no longer whole; masks one after another
    std::uint64_t seed = 12345;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const int decimals = static_cast<int>(seed >> 62) + 1;  // 1..4
        const double scale[] = {1, 10, 100, 1000, 10000};
        const long long units = static_cast<long long>((seed >> 8) % (i % 2 ? 1000000000000000000ULL : 100000000ULL));
        const double v = static_cast<double>(units) / scale[decimals] * (i % 3 ? 1 : -1);
        char buf[512];
        std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
        std::string want = buf;
        if (want == "-0.0" || want.starts_with("-0.") && want.find_first_not_of("-0.") == std::string::npos)
            want.erase(0, 1);
        const std::string mask = "0." + std::string(static_cast<size_t>(decimals), '0');
        ASSERT_EQ(formatFloat(mask, v), want) << v;
        ASSERT_EQ(formatFloat("#,##0.00", 0.5), "0.50");
    }
    // numbers without a mask: whole ones and fractions as "%.15g" writes them
    for (double v : {0.0, -0.0, 1.0, -7.0, 123456789012345.0, 999999999999999.0, 1e15, -1e15, 1e16, 0.5, -2.25, 1e-7,
                     123456.789, 4503599627370497.0}) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", v);
        EXPECT_EQ(formatGeneral(v), buf) << v;
    }
    EXPECT_EQ(formatFloat("0.0#", 2.5), "2.5");
    EXPECT_EQ(formatFloat("0.0#", 2.505), "2.51");
    EXPECT_EQ(formatFloat("#,##0", 1234567.5), "1,234,568");
    EXPECT_EQ(formatFloat("#,##0.00", 12345678901234.56), "12,345,678,901,234.56");
    EXPECT_EQ(formatFloat("#,##0.00", 123456789012345678.0), "123,456,789,012,345,664.00");
}

TEST(Formats, NumbersAndDatesShowAsTheWindowsExpect) {
    EXPECT_EQ(formatFloat("#,##0.00", 1234567.891), "1,234,567.89");
    EXPECT_EQ(formatFloat("#,##0.00", -20), "-20.00");
    EXPECT_EQ(formatFloat("#,##0.00", 0), "0.00");
    EXPECT_EQ(formatFloat("0.00", 1.005), "1.01");
    EXPECT_EQ(formatFloat("#,##0.00", -0.001), "0.00");
    EXPECT_EQ(formatFixed2(1234.5), "1234.50");
    EXPECT_EQ(formatFixed2(-20), "-20.00");
    EXPECT_EQ(formatFixed2(0), "0.00");
    EXPECT_EQ(formatDate("dd.mm.yyyy", Date{2007, 3, 2}), "02.03.2007");
    EXPECT_EQ(parseDate("31/01/2015"), (Date{2015, 1, 31}));
    EXPECT_FALSE(parseDate("30/02/2015"));
    EXPECT_FALSE(parseDate("12/13/2015"));
    EXPECT_FALSE(parseFloat("12a"));
    EXPECT_EQ(*parseFloat(" 350.40 "), 350.40);
}

TEST(TableEngine, CalculatedAndAutoincrementFieldsAndOtherRows) {
    TempDir dir;
    createTableFile(dir.file("ItemIn.DB"), {"ItemIn.DB",
                                            {{"Nr", FieldType::AutoInc},
                                             {"Cantitate", FieldType::Float},
                                             {"Pret", FieldType::Float},
                                             {"Primit", FieldType::Boolean}},
                                            {},
                                            {}});
    Table t;
    t.setDatabaseName(dir.path());
    t.setTableName("ItemIn.DB");
    t.addCalculatedField("Valoare", FieldType::Float);
    t.setup("Valoare").displayFormat = "#,##0.00";
    t.onCalcFields = [](DataSet& d) { d["Valoare"].setAsFloat(d["Cantitate"].asFloat() * d["Pret"].asFloat()); };
    t.open();
    for (double q : {2.0, 1500.0}) {
        t.append();
        t["Cantitate"].setAsFloat(q);
        t["Pret"].setAsFloat(1.5);
        t["Primit"].setAsBoolean(true);
        t.post();
    }
    EXPECT_EQ(t["Nr"].asInteger(), 2);  // numbered on post
    EXPECT_EQ(t["Valoare"].displayText(), "2,250.00");
    auto first = t.rowValues(0);  // another row, without moving
    EXPECT_EQ(first[0].toInt(), 1);
    EXPECT_DOUBLE_EQ(first[4].toDouble(), 3.0);
    EXPECT_EQ(t.recNo(), 2);
    EXPECT_TRUE(t["Primit"].asBoolean());
    EXPECT_THROW(t["Cantitate"].setAsFloat(1), EngineError);  // browse: not editing
}

TEST(TableEngine, TableNamesAndDirectoriesMatchWithoutRegardToCase) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("PAROHII"));
    createTableFile(dir.file("PAROHII/Bilant.DB"), {"Bilant.DB", {{"Nr_rand", FieldType::SmallInt}}, {}, {}});
    createTableFile(dir.file("Depuneri.db"), {"Depuneri.db", {{"Suma", FieldType::Float}}, {}, {}});
    EXPECT_EQ(resolveTableFile(dir.path(), "Depuneri.DB"), dir.file("Depuneri.db"));
    EXPECT_EQ(resolveTableFile(dir.path(), "DEPUNERI"), dir.file("Depuneri.db"));
    EXPECT_EQ(resolveTableFile(dir.path(), "Parohii\\bilant.db"), dir.file("PAROHII/Bilant.DB"));
    EXPECT_EQ(resolveTableFile(dir.file("Parohii"), "Bilant.DB"), dir.file("PAROHII/Bilant.DB"));
    EXPECT_EQ(resolveTableFile(dir.path(), "Ridicari.DB"), "");
}
