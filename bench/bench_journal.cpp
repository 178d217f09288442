// The change journal's cost: one durable post of a receipt with the journal
// and without it (the same installation, its Jurnal.DB taken away), the move
// of waiting entries into Jurnal.DB, and the printout of one month of a
// journal of 220,000 entries.
#include <QApplication>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "BenchData.h"
#include "data/AppDir.h"
#include "data/Clock.h"
#include "data/Engine.h"
#include "data/Install.h"
#include "data/Journal.h"
#include "data/SqliteHandle.h"
#include "data/Table.h"
#include "journal/RepJurnalUnt.h"
#include "shell/Messages.h"

namespace fs = std::filesystem;

namespace {

std::string withJournal, withoutJournal, bigJournal;

void installations() {
    withJournal = bench::makeTempDir("journal-on");
    withoutJournal = bench::makeTempDir("journal-off");
    data::createInstallation(withJournal);
    data::createInstallation(withoutJournal);
    fs::remove(withoutJournal + "Jurnal.DB");
    // a year of 220,000 entries (about 18,000 a month), written as the posts write them
    bigJournal = bench::makeTempDir("journal-big");
    data::createInstallation(bigJournal);
    const std::string path = bigJournal + "Jurnal.DB";
    data::Connection db = data::openTableConnection(path);
    data::Transaction tx(db.get(), path);
    for (int i = 0; i < 220000; ++i) {
        data::setToday(data::Date{2014, 1, 1}.addDays(i * 365L / 220000));
        data::journal::NewEntry e;
        e.table = "Venituri";
        e.row = i + 1;
        e.key = "Chitanta nr. " + std::to_string(i + 1) + " din 12.03.2014";
        e.action = i % 3 ? data::journal::kAdded : data::journal::kChanged;
        e.after = "{\"Nr_act\": " + std::to_string(i + 1) +
                  ", \"Explicatie\": \"Contributia anuala a enoriasului\", \"Valoarea\": \"150.00\", \"Cont\": "
                  "\"Casa\"}";
        data::journal::append(db.get(), "main", e);
    }
    tx.commit();
    data::setToday(std::nullopt);
}

// One receipt posted through the table, as the receipts window posts it.
void BM_Post(benchmark::State& st) {
    const std::string& dir = st.range(0) ? withJournal : withoutJournal;
    data::Table t;
    t.setDatabaseName(dir);
    t.setTableName("Venituri.DB");
    t.open();
    t["Valoarea"].amount = true;
    int n = 0;
    for (auto _ : st) {
        t.append();
        t["Nr_act"].setAsFloat(++n);
        t["Data"].setAsDate(data::Date{2014, 3, 12});
        t["Fel"].setAsString("Chitanta");
        t["Cod_venit"].setAsInteger(2);
        t["Explicatie"].setAsString("Contributia anuala a enoriasului");
        t["Valoarea"].setAsFloat(150);
        t["Cont"].setAsString("Casa");
        t.post();
    }
    st.SetLabel(st.range(0) ? "cu jurnal" : "fara jurnal");
}

// The move into Jurnal.DB of the entries of 100 posts, per entry.
void BM_Settle(benchmark::State& st) {
    data::Table t;
    t.setDatabaseName(withJournal);
    t.setTableName("Venituri.DB");
    t.open();
    data::journal::settle(withJournal);
    for (auto _ : st) {
        st.PauseTiming();
        for (int i = 0; i < 100; ++i) {
            t.append();
            t["Nr_act"].setAsFloat(i);
            t["Valoarea"].setAsFloat(1);
            t.post();
        }
        st.ResumeTiming();
        if (data::journal::settle(withJournal) != 100) st.SkipWithError("entries lost");
    }
    st.SetItemsProcessed(st.iterations() * 100);
}

// March of the big journal, prepared and written to a PDF (0) or a text file (1).
void BM_PrintMonth(benchmark::State& st) {
    data::setAppDir(bigJournal);
    const QString file = QString::fromStdString(bigJournal + (st.range(0) ? "martie.txt" : "martie.pdf"));
    for (auto _ : st) {
        auto r = journal::PrintJurnal(nullptr, reports::Interval{{2014, 3, 1}, {2014, 3, 31}}, journal::JournalFilter{},
                                      {file});
        if (r != reports::RunResult::Done) st.SkipWithError("printout failed");
    }
}

void BM_Verify(benchmark::State& st) {
    for (auto _ : st)
        if (!data::journal::verify(bigJournal).intact) st.SkipWithError("chain broken");
}

BENCHMARK(BM_Post)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_Settle)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PrintMonth)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_Verify)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    ui::Messages::setResponder([](ui::MessageRecord& r) {
        std::fprintf(stderr, "message: %s\n", r.text.toUtf8().constData());
        return int(ui::Ok);
    });
    const auto start = std::chrono::steady_clock::now();
    installations();
    std::printf("220000 entries written in %.1f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    benchmark::RunSpecifiedBenchmarks();
    for (const std::string& d : {withJournal, withoutJournal, bigJournal}) fs::remove_all(d);
    benchmark::Shutdown();
    return 0;
}
