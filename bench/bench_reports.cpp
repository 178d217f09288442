// Report engine speed on a register of 10,000 rows (a query over the work table) with one group per day and
// running sums: preparing the pages, and writing them as a PDF file.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "data/Format.h"
#include "data/Schema.h"
#include "data/Query.h"
#include "reports/Render.h"
#include "reports/Report.h"

using namespace reports;

namespace {

constexpr int kRows = 10000;
constexpr int kRowsPerDay = 28;

const char* kLayout = R"LAYOUT(
report title="Registru de casa" paper=9 orientation=portrait margins=10,10,7,5 font="Arial" size=8
band Titlu title 19.8
  label TitluLbl 80.4 12.7 60 6 "REGISTRU DE CASA" font="Times New Roman" size=12 bold
band QRGroup1 groupheader 17.2 group="TRegistru.Data" footer=GroupFooterBand
  field ZiData 73.4 1.1 40 5 TRegistru.Data align=center size=10 bold
  rect 0 6.3 195 10.9
  hline 0 11.8 195
  vlines 6.3 5.5 10.1 22.2 33.9 123.3 140.5 157.7 176.5
  label H1 0 6.8 10.1 4 "Nr crt" align=center
  label H2 10.1 6.8 12.1 4 "Tip doc." align=center
  label H3 22.2 6.8 11.7 4 "Nr. doc." align=center
  label H4 33.9 6.8 89.4 4 "Explicatii" align=center size=10
  label H5 123.3 6.8 17.2 4 "Incasari" align=center
  label H6 140.5 6.8 17.2 4 "Ridicari" align=center
  label H7 157.7 6.8 18.8 4 "Plati" align=center
  label H8 176.5 6.8 18.5 4 "Depuneri" align=center
  label L1 1 12.5 80 4 "Sold ziua precedenta / Report :"
  label QRExpr10 107.7 12.5 15.3 4 "" align=right
  expr QRExpr5 123.3 12.5 17 4 "SUM(TRegistru.IncasariC)" mask="#,##0.00" align=right
  expr QRExpr6 140.5 12.5 17 4 "SUM(TRegistru.RidicariC)" mask="#,##0.00" align=right
  expr QRExpr7 157.7 12.5 18.6 4 "SUM(TRegistru.PlatiC)" mask="#,##0.00" align=right
  expr QRExpr8 176.5 12.5 18.3 4 "SUM(TRegistru.DepuneriC)" mask="#,##0.00" align=right
band DetailBand1 detail 6.6 frame=all
  vlines 0 6.6 10.1 22.2 33.9 123.3 140.5 157.7 176.5
  label QRLabel10 0 1 10.1 4 "" align=center
  field F1 10.6 1 11.5 4 TRegistru.Fel
  field F2 22.7 1 11.2 4 TRegistru.Nr_doc
  field F3 34.4 1 88.8 4 TRegistru.Explicatii
  field F4 123.3 1 17 4 TRegistru.IncasariC align=right
  field F5 140.5 1 17 4 TRegistru.RidicariC align=right
  field F6 157.7 1 18.6 4 TRegistru.PlatiC align=right
  field F7 176.5 1 18.3 4 TRegistru.DepuneriC align=right
band GroupFooterBand groupfooter 6.9 frame=all
  label L2 1 1.2 80 4 "Sold final / De reportat :"
  field QRExpr9 107.7 1.2 15.3 4 TRegistru.SoldC align=right
  expr QRExpr1 123.3 1.2 17 4 "SUM(TRegistru.IncasariC)" mask="#,##0.00" align=right
  expr QRExpr2 140.5 1.2 17 4 "SUM(TRegistru.RidicariC)" mask="#,##0.00" align=right
  expr QRExpr3 157.7 1.2 18.6 4 "SUM(TRegistru.PlatiC)" mask="#,##0.00" align=right
  expr QRExpr4 176.5 1.2 18.3 4 "SUM(TRegistru.DepuneriC)" mask="#,##0.00" align=right
band PageFooterBand pagefooter 7.4
  sysdata PageNumberLabel 71.2 1 25.1 5 pagenumber text="Pag." align=right size=10
)LAYOUT";

struct Register {
    QTemporaryDir dir;
    data::Query table;  // the register read in its natural order
    Report rep;
    int pageCount = 0;
    int counter = 1;
    double previousBalance = 0;

    Register() {
        const std::string path = dir.path().toStdString() + "/";
        using data::FieldType;
        data::createTableFile(path + "Registru.DB", {"Registru.DB",
                                                     {{"Id", FieldType::Integer},
                                                      {"Data", FieldType::Date},
                                                      {"Nr_doc", FieldType::Float},
                                                      {"Fel", FieldType::String, 15},
                                                      {"Explicatii", FieldType::String, 250},
                                                      {"IncasariC", FieldType::Float},
                                                      {"RidicariC", FieldType::Float},
                                                      {"PlatiC", FieldType::Float},
                                                      {"DepuneriC", FieldType::Float},
                                                      {"SoldC", FieldType::Float}},
                                                     {"Id"},
                                                     {}});
        std::vector<std::vector<data::Value>> rows;
        double balance = 0;
        const data::Date first{2007, 1, 1};
        for (int i = 0; i < kRows; ++i) {
            const bool receipt = i % 3 != 2;
            const double amount = 10 + (i * 37) % 900 + (i % 100) / 100.0;
            balance += receipt ? amount : -amount;
            rows.push_back({data::Value(i + 1), data::Value(first.addDays(i / kRowsPerDay)),
                            data::Value(static_cast<double>(i + 1)), data::Value(receipt ? "Chitanta" : "Dispozitie"),
                            data::Value("Operatia de casa numarul " + std::to_string(i + 1) + " din registrul anului"),
                            data::Value(receipt ? amount : 0.0), data::Value(0.0), data::Value(receipt ? 0.0 : amount),
                            data::Value(0.0), data::Value(balance)});
        }
        data::insertRows(
            path + "Registru.DB",
            {"Id", "Data", "Nr_doc", "Fel", "Explicatii", "IncasariC", "RidicariC", "PlatiC", "DepuneriC", "SoldC"},
            rows);
        table.setDatabaseName(path);
        table.setSql("SELECT * FROM \"Registru.DB\" ORDER BY Id");
        for (const char* f : {"IncasariC", "RidicariC", "PlatiC", "DepuneriC", "SoldC"})
            table.setup(f).displayFormat = "#,##0.00";
        table.open();
        rep.loadLayout(QString::fromUtf8(kLayout));
        rep.setDataSet(&table, QStringLiteral("TRegistru"));
        // the handlers a day-by-day register attaches
        rep.beforePrint = [this](Report&, bool&) { counter = 1; };
        rep.band("DetailBand1").afterPrint = [this](Band&, bool printed) { counter += printed ? 1 : 0; };
        rep.item("QRLabel10").onPrint = [this](Item&, QString& t) { t = QString::number(counter); };
        table.beforeScroll = [this](data::DataSet& ds) { previousBalance = ds["SoldC"].asFloat(); };
        rep.item("QRExpr10").onPrint = [this](Item&, QString& t) {
            t = QString::fromStdString(data::formatFloat("#,##0.00", table.recNo() == 1 ? 0.0 : previousBalance));
        };
        rep.item("PageNumberLabel").onPrint = [this](Item&, QString& t) {
            t += QStringLiteral(" din ") + QString::number(pageCount);
        };
    }
};

Register& reg() {
    static Register r;
    return r;
}

void BM_PrepareRegister(benchmark::State& state) {
    Register& r = reg();
    for (auto _ : state) {
        r.pageCount = r.rep.prepare();
        benchmark::DoNotOptimize(r.pageCount);
    }
    state.counters["pages"] = r.pageCount;
    state.counters["rows"] = kRows;
}

void BM_WritePdf(benchmark::State& state) {
    Register& r = reg();
    if (r.rep.pageCount() == 0) r.pageCount = r.rep.prepare();
    const QString path = r.dir.filePath(QStringLiteral("registru.pdf"));
    for (auto _ : state) {
        if (!exportPdf(r.rep.prepared(), path)) state.SkipWithError("PDF not written");
    }
    state.counters["pages"] = r.rep.pageCount();
    state.counters["bytes"] = static_cast<double>(QFileInfo(path).size());
}

BENCHMARK(BM_PrepareRegister)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_WritePdf)->Unit(benchmark::kMillisecond)->MinTime(2.0);

class Summary : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& r : runs) {
            const std::string name = r.benchmark_name();
            ms_[name.substr(0, name.find('/'))] = r.GetAdjustedRealTime();
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nprepare %d rows (%d days, %d pages): %.1f ms (target < 1000 ms)\n", kRows,
                    (kRows + kRowsPerDay - 1) / kRowsPerDay, reg().rep.pageCount(), ms_["BM_PrepareRegister"]);
        std::printf("write the PDF: %.1f ms (target < 3000 ms)\n", ms_["BM_WritePdf"]);
    }

private:
    std::map<std::string, double> ms_;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Summary rep;
    benchmark::RunSpecifiedBenchmarks(&rep);
    benchmark::Shutdown();
    return 0;
}
