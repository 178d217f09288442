// What the benchmarks share: a temporary directory, a year of documents
// (100,000 receipts and payments, 10,000 deposits and withdrawals), a unit's
// year for the registers, and a main that cleans up after the runs.
#pragma once
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "data/Engine.h"
#include "data/Install.h"
#include "data/Schema.h"

namespace bench {

inline std::string makeTempDir(const char* tag) {
    std::string t = (std::filesystem::temp_directory_path() / (std::string("cvbench-") + tag + "-XXXXXX")).string();
    if (!mkdtemp(t.data())) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return t + "/";
}

// A budget formula adding the lines `from` to `to`: "3+4+5".
inline std::string formulaOfLines(int from, int to) {
    std::string s;
    for (int n = from; n <= to; ++n) s += (s.empty() ? "" : "+") + std::to_string(n);
    return s;
}

// `receipts` receipts and as many payments, `moves` deposits and as many
// withdrawals (by default a large unit's year).
inline void fillYearOfDocuments(const std::string& db, int receipts = 100000, int moves = 10000) {
    const data::Date start{2014, 1, 1};
    std::vector<std::vector<data::Value>> rows;
    auto docs = [&](const char* table, const std::vector<std::string>& cols, int n, auto row) {
        rows.clear();
        rows.reserve(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) rows.push_back(row(i));
        data::insertRows(db + table, cols, rows);
    };
    docs("Venituri.DB", {"Nr_act", "Data", "Fel", "Cod_venit", "Den_venit", "Explicatie", "Valoarea", "Cont"}, receipts,
         [&](int i) {
             return std::vector<data::Value>{
                 double(i + 1), start.addDays(i % 365),     "Chitanta",     2,
                 "Donatii",     "Donatie pentru reparatii", 10.0 + i % 500, i % 3 ? "Casa" : "Banca"};
         });
    docs("Cheltuieli.DB",
         {"Nr_act", "Data", "Fel", "Cod_cheltuiala", "Den_cheltuiala", "Beneficiar", "Explicatie", "Valoarea", "Cont"},
         receipts, [&](int i) {
             return std::vector<data::Value>{double(i + 1),
                                             start.addDays(i % 365),
                                             "Factura",
                                             20,
                                             "Materiale",
                                             "SC Furnizor SRL",
                                             "Lumanari si tamaie",
                                             5.0 + i % 300,
                                             i % 4 ? "Casa" : "Banca"};
         });
    for (const char* t : {"Depuneri.db", "Ridicari.db"})
        docs(t, {"Nr_doc", "Data", "Suma", "Fel"}, moves, [&](int i) {
            return std::vector<data::Value>{double(i + 1), start.addDays(i % 365), 100.0 + i % 50, "Chitanta"};
        });
}

// A new installation in `dir` working in 2014, opening balances 1,234.56 in
// cash and 98,765.43 in the bank, `documents` receipts and payments (half
// each, two thirds in cash) and `moves` deposits and withdrawals (half each),
// spread evenly over the year.
inline void makeRegisterUnit(const std::string& dir, int documents, int moves) {
    using data::Date;
    using data::Value;
    data::createInstallation(dir);
    // a new installation already holds its unit record: the unit is that one
    data::SqlSession::forDirectory(dir).execute(
        "UPDATE \"Parohia.DB\" SET Parohia = 'Parohia Sf. Ioan', An_lucru = 2014");
    data::insertRows(dir + "Contor.DB", {"Sold_init_casa", "Sold_init_banca"}, {{1234.56, 98765.43}});
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
    auto cols = [](const char* code) {
        return std::vector<std::string>{"Nr_act", "Data", "Fel", "Explicatie", "Valoarea", "Cont", code};
    };
    data::insertRows(dir + "Venituri.DB", cols("Cod_venit"), venituri);
    data::insertRows(dir + "Cheltuieli.DB", cols("Cod_cheltuiala"), cheltuieli);
    data::insertRows(dir + "Depuneri.db", {"Nr_doc", "Data", "Suma", "Fel"}, depuneri);
    data::insertRows(dir + "Ridicari.db", {"Nr_doc", "Data", "Suma", "Fel"}, ridicari);
}

// Runs the benchmarks named on the command line, then `cleanUp` (the
// directories they made).
inline int runBenchmarks(int argc, char** argv, const std::function<void()>& cleanUp) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    cleanUp();
    return 0;
}

// Removes a directory and what it holds, quietly; nothing for an empty path.
inline void removeDir(const std::string& dir) {
    std::error_code ec;
    if (!dir.empty()) std::filesystem::remove_all(dir, ec);
}

}  // namespace bench
