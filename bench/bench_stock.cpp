// The stock window and list on 20,000 items; the parishioner file on 20,000
// parishioners with 100,000 family records.
//
// Targets: the stock window opens under 150 ms; the stock list on a date is
// prepared under 1 s; the parishioner file opens under 200 ms; moving to the
// next parishioner (the five registers read again) under 20 ms.
#include <QApplication>
#include <benchmark/benchmark.h>

#include "WindowBenchMain.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "BenchData.h"
#include "data/AppDir.h"
#include "data/Install.h"
#include "data/Schema.h"
#include "records/FisaEnoriasUnt.h"
#include "shell/Messages.h"
#include "stock/RepStocUnt.h"
#include "stock/StocUnt.h"

namespace fs = std::filesystem;

namespace {

std::string g_db;

void fillDatabase() {
    data::createInstallation(g_db);
    data::setAppDir(g_db);
    const char* names[] = {"Lumanari", "Carti", "Tamaie", "Icoane", "Calendare", "Cruciulite", "Vin", "Ulei"};
    std::vector<std::vector<data::Value>> rows;
    for (int i = 0; i < 20000; ++i) {
        data::Value in = i % 3 ? data::Value(data::Date{2006 + i % 3, 1 + i % 12, 1 + i % 28}) : data::Value();
        data::Value out = i % 5 == 0 ? data::Value(data::Date{2008, 1 + i % 12, 1 + i % 28}) : data::Value();
        rows.push_back({std::string(names[i % 8]) + " " + std::to_string((i * 7919) % 20000), "descriere", 1.0 + i % 50,
                        "buc", 0.5 * (i % 100), in, out});
    }
    data::insertRows(g_db + "Stoc.db", {"Denumire", "Descriere", "Cantitate", "UM", "Pret", "DataIn", "DataOut"}, rows);

    rows.clear();
    for (int i = 0; i < 20000; ++i)
        rows.push_back({"E" + std::to_string(i), "Enorias " + std::to_string((i * 7919) % 20000),
                        "Strada " + std::to_string(i % 300), std::to_string(i % 90), "Anuala"});
    data::insertRows(g_db + "Enoriasi.DB", {"Cod_enorias", "Nume_prenume", "Strada", "Nr", "Tip_contributie"}, rows);
    rows.clear();
    for (int i = 0; i < 20000; ++i)
        rows.push_back(
            {"E" + std::to_string(i), "Membru " + std::to_string(i), data::Date{1970, 1, 1}, "Casatorit/a", ""});
    data::insertRows(g_db + "MembriiFam.db", {"Cod_enorias", "Numele", "Data_nasterii", "Starea_civila", "Observatii"},
                     rows);
    for (const char* t : {"Cununii.db", "Botezuri.db", "Inmormantari.db", "Activitati.db"}) {
        rows.clear();
        for (int i = 0; i < 20000; ++i)
            rows.push_back({"E" + std::to_string((i * 13) % 20000), data::Date{2000, 1, 1}, "Eveniment"});
        data::insertRows(g_db + t, {"Cod_enorias", "Data", "Explicatie"}, rows);
    }
}

void BM_StockWindowOpen(benchmark::State& state) {
    for (auto _ : state) {
        stock::TStocFrm w(nullptr);
        if (!w.openTables(&w)) state.SkipWithError("Stoc.db not opened");
        w.show();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_StockWindowOpen)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

void BM_StockReportPrepared(benchmark::State& state) {
    for (auto _ : state) {
        stock::TRepStocFrm f(nullptr, data::Date{2007, 6, 15});
        f.openData();
        state.counters["pages"] = f.Rep.prepare();
        f.closeData();
    }
}
BENCHMARK(BM_StockReportPrepared)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_ParishionerFileOpen(benchmark::State& state) {
    for (auto _ : state) {
        records::TFisaEnoriasFrm w(nullptr);
        if (!w.openTables(&w)) state.SkipWithError("tables not opened");
        w.show();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ParishionerFileOpen)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

void BM_ParishionerNext(benchmark::State& state) {
    records::TFisaEnoriasFrm w(nullptr);
    w.openTables(&w);
    w.show();
    QApplication::processEvents();
    data::DataSet& catalog = *w.tables().at(0);
    for (auto _ : state) {
        catalog.next();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ParishionerNext)->Unit(benchmark::kMillisecond)->Iterations(50)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    return bench::runWindowBenchmarks(argc, argv, "stock", g_db, fillDatabase,
                                      {{"BM_StockWindowOpen", "Stock window on 20,000 items opened", 150},
                                       {"BM_StockReportPrepared", "Stock list on a date prepared", 1000},
                                       {"BM_ParishionerFileOpen", "Parishioner file opened", 200},
                                       {"BM_ParishionerNext", "Next parishioner, five registers read again", 20}});
}
