// Rebuilding the register work table: a year of one parish's documents
// (10,000 receipts, 10,000 payments, 1,000 deposits, 1,000 withdrawals) and a
// large unit's year (100,000 receipts, 100,000 payments, 10,000 deposits,
// 10,000 withdrawals; target: under 1 s).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "data/Install.h"
#include "data/Query.h"
#include "data/Schema.h"
#include "registers/CalcRegistru.h"

using namespace data;

namespace {

// A new installation holding `documents` receipts and payments (half each,
// two thirds in cash) and `moves` deposits and withdrawals (half each),
// spread over the working year 2014.
std::map<std::pair<int, int>, std::string> made;

const std::string& database(int documents, int moves) {
    auto& dir = made[{documents, moves}];
    if (!dir.empty()) return dir;
    char tmpl[] = "/tmp/cvbenchregXXXXXX";
    dir = std::string(mkdtemp(tmpl)) + "/";
    createInstallation(dir);
    insertRows(dir + "Parohia.DB", {"Parohia", "An_lucru"}, {{"Parohia Sf. Ioan", 2014}});
    insertRows(dir + "Contor.DB", {"Sold_init_casa", "Sold_init_banca"}, {{1234.56, 98765.43}});
    const std::vector<std::string> cols{"Nr_act", "Data", "Fel", "Explicatie", "Valoarea", "Cont", "Cod"};
    std::vector<std::vector<Value>> venituri, cheltuieli, depuneri, ridicari;
    for (int i = 0; i < documents; ++i) {
        Date d = Date{2014, 1, 1}.addDays(i * 365L / documents);
        std::vector<Value> row{static_cast<double>(i / 2 + 1),
                               d,
                               "Chitanta",
                               "Document " + std::to_string(i),
                               1.0 + (i * 7919 % 250000) / 100.0,
                               i % 3 ? "Casa" : "Banca",
                               16 + i / 2 % 16};
        (i % 2 ? cheltuieli : venituri).push_back(std::move(row));
    }
    for (int i = 0; i < moves; ++i) {
        Date d = Date{2014, 1, 1}.addDays(i * 365L / moves);
        (i % 2 ? ridicari : depuneri).push_back({static_cast<double>(i / 2 + 1), d, 100.0 + i % 50, "Dispozitie"});
    }
    auto with = [&cols](const char* code) {
        auto c = cols;
        c.back() = code;
        return c;
    };
    insertRows(dir + "Venituri.DB", with("Cod_venit"), venituri);
    insertRows(dir + "Cheltuieli.DB", with("Cod_cheltuiala"), cheltuieli);
    insertRows(dir + "Depuneri.db", {"Nr_doc", "Data", "Suma", "Fel"}, depuneri);
    insertRows(dir + "Ridicari.db", {"Nr_doc", "Data", "Suma", "Fel"}, ridicari);
    return dir;
}

void BM_CalcRegistru(benchmark::State& st) {
    const std::string& dir = database(static_cast<int>(st.range(0)), static_cast<int>(st.range(1)));
    for (auto _ : st) registers::CalcRegistru(dir);
    Query q;
    q.setDatabaseName(dir);
    q.setSql("SELECT COUNT(*) AS N FROM \"Registru.DB\"");
    q.open();
    st.counters["rows"] = q.fieldByName("N").asFloat();
}

void BM_CalcRegistruCheltuiala(benchmark::State& st) {
    const std::string& dir = database(static_cast<int>(st.range(0)), static_cast<int>(st.range(1)));
    for (auto _ : st) registers::CalcRegistruCheltuiala(18, dir);
}

BENCHMARK(BM_CalcRegistru)->Args({20000, 2000})->Args({200000, 20000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalcRegistruCheltuiala)->Args({20000, 2000})->Args({200000, 20000})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    for (const auto& [size, dir] : made) std::filesystem::remove_all(dir, ec);
    return 0;
}
