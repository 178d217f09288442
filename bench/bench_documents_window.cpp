// The "Documente" window on 100,000 receipts, 100,000 payments and 10,000
// deposits and withdrawals: opening it (the year in date order with the
// balances, drawn), a text typed letter by letter, a click on a column to
// sort; peak memory as a counter (kilobytes).
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QWindow>
#include <benchmark/benchmark.h>
#include <memory>
#include <sys/resource.h>

#include "WindowBenchMain.h"
#include "data/AppDir.h"
#include "data/Engine.h"
#include "entry/DocumentList.h"
#include "entry/DocumenteUnt.h"

namespace {

std::string g_db;

void fillDatabase() {
    data::createInstallation(g_db);
    data::setAppDir(g_db);
    // the unit's one record works in the year of the documents
    data::SqlSession::forDirectory(g_db).execute("DELETE FROM \"Parohia.DB\"");
    data::insertRows(g_db + "Parohia.DB", {"Parohia", "An_lucru"}, {{"Parohia de proba", 2014}});
    data::insertRows(g_db + "Contor.DB", {"Sold_init_casa", "Sold_init_banca"}, {{1000.0, 5000.0}});
    bench::fillYearOfDocuments(g_db);
    entry::DocumentList::ensureIndexes();  // made by the first opening, once
}

void drawn(QWidget* w) {
    w->show();
    while (!w->windowHandle() || !w->windowHandle()->isExposed()) QApplication::processEvents();
    w->repaint();
}

void peakMemory(benchmark::State& state) {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    state.counters["peak_rss_kb"] = static_cast<double>(u.ru_maxrss);
}

void BM_DocumentsWindowOpened(benchmark::State& state) {
    for (auto _ : state) {
        auto w = std::make_unique<entry::TDocumenteFrm>(nullptr);
        drawn(w.get());
        state.counters["listed"] = w->list().size();
        state.PauseTiming();
        w.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    peakMemory(state);
}
BENCHMARK(BM_DocumentsWindowOpened)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

void BM_DocumentsWindowTyping(benchmark::State& state) {
    entry::TDocumenteFrm w(nullptr);
    drawn(&w);
    auto* text = w.findChild<QLineEdit*>("TextEdit");
    auto* view = w.findChild<QTableView*>("DocsView");
    const QString typed = QStringLiteral("tamaie");
    int n = 0;
    for (auto _ : state) {
        text->setText(typed.left(1 + n++ % typed.size()));
        view->viewport()->repaint();
    }
    state.SetLabel(std::to_string(w.list().size()) + " documents at the last letter");
    peakMemory(state);
}
BENCHMARK(BM_DocumentsWindowTyping)->Unit(benchmark::kMillisecond)->Iterations(30)->UseRealTime();

void BM_DocumentsWindowSort(benchmark::State& state) {
    entry::TDocumenteFrm w(nullptr);
    drawn(&w);
    auto* view = w.findChild<QTableView*>("DocsView");
    const int columns[] = {static_cast<int>(entry::DocColumn::Explanation), static_cast<int>(entry::DocColumn::Amount),
                           static_cast<int>(entry::DocColumn::Party), static_cast<int>(entry::DocColumn::Date)};
    int n = 0;
    for (auto _ : state) {
        view->sortByColumn(columns[n++ % 4], n % 2 ? Qt::AscendingOrder : Qt::DescendingOrder);
        view->viewport()->repaint();
    }
    peakMemory(state);
}
BENCHMARK(BM_DocumentsWindowSort)->Unit(benchmark::kMillisecond)->Iterations(24)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    return bench::runWindowBenchmarks(argc, argv, "documents-window", g_db, fillDatabase,
                                      {{"BM_DocumentsWindowOpened", "Documents list opened on 210,000 documents", 300},
                                       {"BM_DocumentsWindowTyping", "One letter typed into the text filter", 150},
                                       {"BM_DocumentsWindowSort", "A column sorted", 150}});
}
