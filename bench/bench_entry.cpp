// The document windows on 100,000 documents per table: opening a window
// (balances, tables, a new document after the last one) and saving a document
// with its balance refresh, on durable writes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <QPushButton>

#include "controls/Binding.h"
#include "controls/DBPos.h"
#include "entry/Balances.h"
#include "shell/Messages.h"
#include "data/AppDir.h"
#include "data/Clock.h"
#include "data/Install.h"
#include "data/Schema.h"
#include "entry/CheltuieliUnt.h"
#include "entry/DepuneriUnt.h"
#include "entry/VenituriUnt.h"

namespace fs = std::filesystem;

namespace {

constexpr int kDocuments = 100000;

std::string& dbDir() {
    static std::string d;
    return d;
}

void fill() {
    const std::string& dir = dbDir();
    data::createInstallation(dir);
    data::insertRows(dir + "Parohia.DB", {"Parohia", "An_lucru"}, {{"Parohia de proba", 2014}});
    data::insertRows(dir + "Contor.DB", {"Sold_init_casa", "Sold_init_banca"}, {{1000.0, 5000.0}});
    std::vector<std::vector<data::Value>> receipts, payments, transfers;
    receipts.reserve(kDocuments);
    payments.reserve(kDocuments);
    transfers.reserve(kDocuments);
    for (int i = 1; i <= kDocuments; ++i) {
        const data::Date d = data::Date{2014, 1, 1}.addDays(i % 360);
        const char* account = i % 3 ? "Casa" : "Banca";
        receipts.push_back(
            {static_cast<double>(i), d, 2 + i % 12, "Contributia enoriasilor", "Chitanta", 10.0 + i % 97, account, d});
        payments.push_back(
            {static_cast<double>(i), d, 16 + i % 13, "Plata salarii", "Ion Popescu", 5.0 + i % 89, account, d});
        transfers.push_back({static_cast<double>(i), d, 1.0 + i % 50});
    }
    data::insertRows(dir + "Venituri.DB",
                     {"Nr_act", "Data", "Cod_venit", "Den_venit", "Fel", "Valoarea", "Cont", "Data_registru"},
                     receipts);
    data::insertRows(
        dir + "Cheltuieli.DB",
        {"Nr_act", "Data", "Cod_cheltuiala", "Den_cheltuiala", "Beneficiar", "Valoarea", "Cont", "Data_registru"},
        payments);
    data::insertRows(dir + "Depuneri.db", {"Nr_doc", "Data", "Suma"}, transfers);
    data::insertRows(dir + "Ridicari.db", {"Nr_doc", "Data", "Suma"}, transfers);
}

// The documents of a window, through its record-position bar.
data::DataSet& documents(QWidget* w) { return *ui::child<ui::TDBPos>(w, "DBPos1")->dataSource()->dataSet(); }

template <class W>
void BM_OpenWindow(benchmark::State& state) {
    for (auto _ : state) {
        auto* w = new W(nullptr);
        w->show();
        QApplication::processEvents();
        delete w;
    }
}
BENCHMARK_TEMPLATE(BM_OpenWindow, entry::TVenituriFrm)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_OpenWindow, entry::TCheltuieliFrm)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_OpenWindow, entry::TDepuneriFrm)->Unit(benchmark::kMillisecond);

// "&Salveaza" on a new receipt: the save rule, the durable post, both
// balances recomputed and shown, the move to the last document.
void BM_SaveReceipt(benchmark::State& state) {
    entry::TVenituriFrm w(nullptr);
    w.show();
    QApplication::processEvents();
    data::DataSet& docs = documents(&w);
    auto* save = ui::child<QPushButton>(&w, "AplyBtn");
    for (auto _ : state) {
        state.PauseTiming();
        if (!docs.editing()) docs.insert();
        docs["Cod_venit"].setAsInteger(4);
        docs["Valoarea"].setAsFloat(12.5);
        state.ResumeTiming();
        save->click();
        if (docs.editing()) state.SkipWithError("the receipt was not saved");
    }
}
BENCHMARK(BM_SaveReceipt)->Unit(benchmark::kMillisecond);

// The parts of the two figures above.
void BM_BalanceRefresh(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(entry::balanceText(entry::CalcSoldCasa()));
        benchmark::DoNotOptimize(entry::balanceText(entry::CalcSoldBanca()));
    }
}
BENCHMARK(BM_BalanceRefresh)->Unit(benchmark::kMillisecond);

void BM_NewDocument(benchmark::State& state) {
    entry::TVenituriFrm w(nullptr);
    data::DataSet& docs = documents(&w);
    for (auto _ : state) {
        docs.cancel();
        docs.insert();
    }
}
BENCHMARK(BM_NewDocument)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // on the disk of the build, not a memory file system: the writes are durable
    std::string tmpl = (fs::current_path() / "bench_entry_XXXXXX").string();
    if (!mkdtemp(tmpl.data())) return 1;
    dbDir() = tmpl + "/";
    data::setAppDir(dbDir());
    data::setToday(data::Date{2014, 6, 2});
    ui::Messages::setResponder([](ui::MessageRecord& r) { return r.buttons & ui::Yes ? int(ui::Yes) : int(ui::Ok); });
    fill();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::error_code ec;
    fs::remove_all(tmpl, ec);
    return 0;
}
