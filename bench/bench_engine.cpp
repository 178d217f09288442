// Table engine speed on a year's worth of documents, against raw SQLite on the
// same files: the balance statements, opening a document table on its last
// record, and one durable post.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "data/Install.h"
#include "data/Query.h"
#include "data/Schema.h"
#include "data/Table.h"

using namespace data;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kBalanceSql = {
    "SELECT SUM(Sold_init_casa) as Suma\nFROM \"Contor.DB\"",
    "SELECT SUM(Valoarea) as Suma \nFROM \"Venituri.DB\" \nWHERE\n(Cont = 'Casa')",
    "SELECT SUM(Suma) as Suma \nFROM \"Depuneri.DB\" ",
    "SELECT SUM(Suma) as Suma \nFROM \"Ridicari.DB\" ",
    " SELECT SUM(Valoarea) as Suma \nFROM \"Cheltuieli.DB\" \n WHERE (Cont = 'Casa')",
    "SELECT SUM(Sold_init_banca) as Suma \nFROM \"Contor.DB\"",
    "SELECT SUM(Valoarea) as Suma \nFROM \"Venituri.DB\" \nWHERE\n(Cont = 'Banca')",
    "SELECT SUM(Suma) as Suma \nFROM \"Depuneri.DB\" ",
    "SELECT SUM(Suma) as Suma \nFROM \"Ridicari.DB\" ",
    " SELECT SUM(Valoarea) as Suma \nFROM \"Cheltuieli.DB\" \n WHERE (Cont = 'Banca')",
};

// The same statements in SQLite's own words over the attached files.
const std::vector<std::string> kRawSql = {
    "SELECT SUM(Sold_init_casa) FROM c.Contor",
    "SELECT SUM(Valoarea) FROM v.Venituri WHERE Cont = 'Casa'",
    "SELECT SUM(Suma) FROM d.Depuneri",
    "SELECT SUM(Suma) FROM r.Ridicari",
    "SELECT SUM(Valoarea) FROM h.Cheltuieli WHERE Cont = 'Casa'",
    "SELECT SUM(Sold_init_banca) FROM c.Contor",
    "SELECT SUM(Valoarea) FROM v.Venituri WHERE Cont = 'Banca'",
    "SELECT SUM(Suma) FROM d.Depuneri",
    "SELECT SUM(Suma) FROM r.Ridicari",
    "SELECT SUM(Valoarea) FROM h.Cheltuieli WHERE Cont = 'Banca'",
};

std::string& dbDir() {
    static std::string d;
    return d;
}

// A document table in the program's layout, filled with `n` documents.
void makeDocuments(const std::string& file, const std::string& codeField, int n) {
    createTableFile(dbDir() + file, *knownTable(file));
    std::vector<std::vector<Value>> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({static_cast<double>(i + 1), Date{2014, 1 + i % 12, 1 + i % 28}, "chitanta", 10 + i % 20,
                        "explicatie document", 10.0 + i % 100, i % 3 ? "Casa" : "Banca", Date{2014, 1, 1}, Value()});
    insertRows(dbDir() + file,
               {"Nr_act", "Data", "Fel", codeField, "Explicatie", "Valoarea", "Cont", "Data_registru", "Nr_registru"},
               rows);
}

void makeMoves(const std::string& file, int n) {
    createTableFile(dbDir() + file, *knownTable(file));
    std::vector<std::vector<Value>> rows;
    for (int i = 0; i < n; ++i) rows.push_back({static_cast<double>(i + 1), Date{2014, 2, 3}, 5.0, "dispozitie"});
    insertRows(dbDir() + file, {"Nr_doc", "Data", "Suma", "Fel"}, rows);
}

void setUp() {
    if (!dbDir().empty()) return;
    char tmpl[] = "/tmp/cvbenchXXXXXX";
    dbDir() = std::string(mkdtemp(tmpl)) + "/";
    makeDocuments("Venituri.DB", "Cod_venit", 100000);
    makeDocuments("Cheltuieli.DB", "Cod_cheltuiala", 100000);
    makeMoves("Depuneri.db", 10000);
    makeMoves("Ridicari.db", 10000);
    createTableFile(dbDir() + "Contor.DB", *knownTable("Contor.DB"));
    std::vector<Value> opening;
    opening.emplace_back(100.0);
    opening.emplace_back(1000.0);
    insertRows(dbDir() + "Contor.DB", {"Sold_init_casa", "Sold_init_banca"}, {opening});
}

double engineBalances() {
    double total = 0;
    for (const auto& s : kBalanceSql) {
        Query q;
        q.setDatabaseName(dbDir());
        q.setSql(s);
        q.open();
        total += q.fieldByName("Suma").asFloat();
        q.close();
    }
    return total;
}

sqlite3* rawConnection() {
    static sqlite3* db = nullptr;
    if (db) return db;
    sqlite3_open(":memory:", &db);
    const char* att[][2] = {
        {"Contor.DB", "c"}, {"Venituri.DB", "v"}, {"Cheltuieli.DB", "h"}, {"Depuneri.db", "d"}, {"Ridicari.db", "r"}};
    for (auto& a : att) {
        std::string sql = "ATTACH DATABASE '" + dbDir() + a[0] + "' AS " + a[1];
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    }
    return db;
}

double rawBalances() {
    double total = 0;
    for (const auto& s : kRawSql) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(rawConnection(), s.c_str(), -1, &st, nullptr);
        if (sqlite3_step(st) == SQLITE_ROW) total += sqlite3_column_double(st, 0);
        sqlite3_finalize(st);
    }
    return total;
}

void BM_BalancesEngine(benchmark::State& st) {
    setUp();
    for (auto _ : st) benchmark::DoNotOptimize(engineBalances());
}
void BM_BalancesRawSqlite(benchmark::State& st) {
    setUp();
    for (auto _ : st) benchmark::DoNotOptimize(rawBalances());
}

void BM_OpenDocumentsOnLastRecord(benchmark::State& st) {
    setUp();
    for (auto _ : st) {
        Table t;
        t.setDatabaseName(dbDir());
        t.setTableName("Venituri.DB");
        t.open();
        t.last();
        benchmark::DoNotOptimize(t.fieldByName("Nr_act").asFloat());
    }
}

void BM_PostOneDocument(benchmark::State& st) {
    setUp();
    Table t;
    t.setDatabaseName(dbDir());
    t.setTableName("Cheltuieli.DB");
    t.open();
    int n = 0;
    for (auto _ : st) {
        t.append();
        t["Nr_act"].setAsFloat(200000 + n++);
        t["Data"].setAsDate(Date{2014, 5, 12});
        t["Cont"].setAsString("Casa");
        t["Valoarea"].setAsFloat(12.5);
        t["Explicatie"].setAsString("plata");
        t.post();
    }
}

void BM_PostOneRawSqlite(benchmark::State& st) {
    setUp();
    sqlite3* db = nullptr;
    sqlite3_open((dbDir() + "Cheltuieli.DB").c_str(), &db);
    sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    int n = 0;
    for (auto _ : st) {
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO Cheltuieli (Nr_act, Data, Cont, Valoarea, Explicatie) VALUES (?, '2014-05-12', "
                           "'Casa', 12.5, 'plata')",
                           -1, &s, nullptr);
        sqlite3_bind_double(s, 1, 300000 + n++);
        sqlite3_step(s);
        sqlite3_finalize(s);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
}

BENCHMARK(BM_BalancesEngine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BalancesRawSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenDocumentsOnLastRecord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PostOneDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PostOneRawSqlite)->Unit(benchmark::kMillisecond);

// Prints each figure beside its target and ratio after the runs.
class Summary : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& r : runs) ms_[r.benchmark_name()] = r.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        auto get = [&](const char* n) { return ms_[n]; };
        double bal = get("BM_BalancesEngine"), raw = get("BM_BalancesRawSqlite");
        double open = get("BM_OpenDocumentsOnLastRecord");
        double post = get("BM_PostOneDocument"), rawPost = get("BM_PostOneRawSqlite");
        std::printf(
            "\nten balance statements: %.2f ms (raw SQLite %.2f ms, ratio %.2f; targets: < 50 ms, ratio <= 1.5)\n", bal,
            raw, bal / raw);
        std::printf("open document table and move to last record: %.2f ms (target < 50 ms)\n", open);
        std::printf("post one document: %.2f ms (raw insert+commit %.2f ms, ratio %.2f; target ratio <= 1.5)\n", post,
                    rawPost, post / rawPost);
    }

private:
    std::map<std::string, double> ms_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Summary rep;
    benchmark::RunSpecifiedBenchmarks(&rep);
    benchmark::Shutdown();
    fs::remove_all(dbDir());
    return 0;
}
