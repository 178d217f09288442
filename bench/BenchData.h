// What the window benchmarks share: a temporary directory and a year of
// documents (100,000 receipts and payments, 10,000 deposits and withdrawals).
#pragma once
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

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

}  // namespace bench
