// Shared pieces of the report tests: a register-like table file with rows,
// a day-grouped register layout with running sums, a printer with given
// device measures standing in for the platform's printer, and the print
// dialog confirmed for the preview. Windows are driven through the shared GUI
// driver (support/GuiDriver.h).
#pragma once
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSizeF>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/Clock.h"
#include "data/Format.h"
#include "data/Schema.h"
#include "data/Table.h"
#include "reports/Fonts.h"
#include "reports/Preview.h"
#include "reports/Printer.h"
#include "reports/PrintSettings.h"
#include "support/GuiDriver.h"

namespace rt {

struct Row {
    data::Date date;
    std::string text;
    double in = 0, out = 0;
};

// Creates "Registru.DB" in `dir` with Nr, Data, Explicatii, Incasari, Plati, Sold
// (the running balance) holding `rows` in order.
inline void makeRegister(const std::string& dir, const std::vector<Row>& rows) {
    using data::FieldType;
    data::createTableFile(dir + "Registru.DB", {"Registru.DB",
                                                {{"Nr", FieldType::Integer},
                                                 {"Data", FieldType::Date},
                                                 {"Explicatii", FieldType::String, 250},
                                                 {"Incasari", FieldType::Float},
                                                 {"Plati", FieldType::Float},
                                                 {"Sold", FieldType::Float}},
                                                {"Nr"},
                                                {}});
    std::vector<std::vector<data::Value>> values;
    double balance = 0;
    int nr = 0;
    for (const Row& r : rows) {
        balance += r.in - r.out;
        values.push_back({data::Value(++nr), data::Value(r.date), data::Value(r.text), data::Value(r.in),
                          data::Value(r.out), data::Value(balance)});
    }
    data::insertRows(dir + "Registru.DB", {"Nr", "Data", "Explicatii", "Incasari", "Plati", "Sold"}, values);
}

// Opens the register with the amount display format "#,##0.00".
inline std::unique_ptr<data::Table> openRegister(const std::string& dir) {
    auto t = std::make_unique<data::Table>();
    t->setDatabaseName(dir);
    t->setTableName("Registru.DB");
    for (const char* f : {"Incasari", "Plati", "Sold"}) t->setup(f).displayFormat = "#,##0.00";
    t->open();
    return t;
}

inline QString money(double v) { return QString::fromStdString(data::formatFloat("#,##0.00", v)); }

// A day-by-day register: per day a heading with the totals carried forward,
// the day's rows, a closing line with the totals to carry forward; a page
// header "Report :" and a page footer "De reportat :" with the running sums.
// Page body: 297 - 10 - 10 - 10 (footer) = 267 mm.
inline const char* kRegisterLayout = R"LAYOUT(
report title="Registru de test" paper=9 orientation=portrait margins=10,10,10,10 font="Arial" size=8
band Antet pageheader 8 frame=bottom
  label ReportLbl 60 1 30 5 "Report :"
  expr ReportInc 120 1 25 5 "SUM(TRegistru.Incasari)" mask="#,##0.00" align=right
  expr ReportPl 150 1 25 5 "SUM(TRegistru.Plati)" mask="#,##0.00" align=right
  label ReportSold 175 1 15 5 "" align=right
band Titlu title 20
  label TitluLbl 40 2 120 8 "REGISTRU DE TEST" font="Times New Roman" size=12 bold
band Zi groupheader 14 group="TRegistru.Data" footer=SfarsitZi frame=all
  field ZiData 80 1 30 5 TRegistru.Data align=center size=10 bold
  label ZiReport 2 7 60 5 "Sold ziua precedenta / Report :"
  expr ZiInc 120 7 25 5 "SUM(TRegistru.Incasari)" mask="#,##0.00" align=right
  expr ZiPl 150 7 25 5 "SUM(TRegistru.Plati)" mask="#,##0.00" align=right
band Detaliu detail 18 frame=all
  label NrCrt 0 1 10 5 "" align=center
  field Expl 12 1 100 5 TRegistru.Explicatii stretch
  field Inc 120 1 25 5 TRegistru.Incasari align=right
  field Pl 150 1 25 5 TRegistru.Plati align=right
  field Sold 175 1 15 5 TRegistru.Sold align=right
  vlines 0 18 10 116 147 176
band SfarsitZi groupfooter 8 frame=all
  label ZiFinal 2 1 60 5 "Sold final / De reportat :"
  expr FinInc 120 1 25 5 "SUM(TRegistru.Incasari)" mask="#,##0.00" align=right
  expr FinPl 150 1 25 5 "SUM(TRegistru.Plati)" mask="#,##0.00" align=right
band Subsol pagefooter 10 frame=top
  label DeReportat 60 1 30 5 "De reportat :"
  expr SubInc 120 1 25 5 "SUM(TRegistru.Incasari)" mask="#,##0.00" align=right
  expr SubPl 150 1 25 5 "SUM(TRegistru.Plati)" mask="#,##0.00" align=right
  sysdata PageNumberLabel 160 5 30 4 pagenumber text="Pag." align=right size=10
)LAYOUT";

// A printer with fixed measures: A4 at 600 dpi with a border of `borderMm`
// on every side; its paper and orientation can be set like a real one.
class FixedPrinter : public reports::PrinterDevice {
public:
    explicit FixedPrinter(double borderMm = 0, QString name = QStringLiteral("Imprimanta test"))
        : border_(borderMm), name_(std::move(name)) {}
    QString name() const override { return name_; }
    bool isPdfFile() const override { return false; }
    reports::Orientation orientation() const override { return orientation_; }
    void setOrientation(reports::Orientation o) override { orientation_ = o; }
    int paperCode() const override { return paper_; }
    void setPaperCode(int code) override { paper_ = code; }
    reports::DeviceMeasures measures() const override {
        const QSizeF mm = reports::paperCodeSizeMm(paper_ == 0 ? 9 : paper_);
        const bool land = orientation_ == reports::Orientation::Landscape;
        auto dots = [](double v) { return static_cast<int>(v / 25.4 * 600 + 0.5); };
        reports::DeviceMeasures m;
        m.dpiX = m.dpiY = 600;
        m.physicalWidth = dots(land ? mm.height() : mm.width());
        m.physicalHeight = dots(land ? mm.width() : mm.height());
        m.offsetX = m.offsetY = dots(border_);
        m.printableWidth = m.physicalWidth - 2 * m.offsetX;
        m.printableHeight = m.physicalHeight - 2 * m.offsetY;
        return m;
    }
    bool setupDialog(QWidget*) override {
        ++setupCalls;
        if (onSetup) onSetup(*this);
        return true;
    }
    QPrinter* printer() override { return nullptr; }  // output goes to a PDF file

    int setupCalls = 0;
    std::function<void(FixedPrinter&)> onSetup;

private:
    double border_;
    QString name_;
    reports::Orientation orientation_ = reports::Orientation::Portrait;
    int paper_ = 9;
};

// For the length of a report test: today `day`, the print settings at their
// defaults, a printer with fixed measures as the current printer, no message
// recorded. Declared after the test's Recorder and before its windows, it is
// put back once the windows are gone, while messages are still answered.
class PrintingTest {
public:
    explicit PrintingTest(const data::Date& day) {
        data::setToday(day);
        reports::ResetPrintSettings();
        reports::setCurrentPrinter(std::make_unique<FixedPrinter>());
        gui::Recorder::clear();
    }
    ~PrintingTest() {
        gui::settle();
        reports::setCurrentPrinter(nullptr);
        reports::ResetPrintSettings();
        data::setToday(std::nullopt);
    }
    PrintingTest(const PrintingTest&) = delete;
    PrintingTest& operator=(const PrintingTest&) = delete;
};

// What the print dialog and the preview opened from it showed.
struct Previewed {
    bool dialogShown = false;
    bool previewed = false;
    QString fontLabel;
    std::vector<reports::Page> pages;
};

// Answers the next print dialog with "&Afisare pe ecran" and OK, keeping in
// `out` what it and the preview showed; `onPreview` sees the preview before
// it is closed.
inline void confirmForPreview(Previewed& out, std::function<void(reports::TQRPreview*)> onPreview = {}) {
    gui::onModal([&out, onPreview](QWidget* dlg) {
        out.dialogShown = true;
        out.fontLabel = gui::control<QLabel>(dlg, "FontLbl")->text();
        gui::control<QCheckBox>(dlg, "CBPrev")->setChecked(true);
        gui::onModal<reports::TQRPreview>([&out, onPreview](reports::TQRPreview* pv) {
            out.previewed = true;
            out.pages = pv->prepared().pages;
            if (onPreview) onPreview(pv);
            pv->closeButton()->click();
        });
        gui::control<QPushButton>(dlg, "OKBtn")->click();
    });
}

// What the print dialog that `run` opens and the preview it leads to showed.
inline Previewed previewOf(const std::function<void()>& run) {
    Previewed out;
    confirmForPreview(out);
    run();
    return out;
}

// Every text of the pages is whole in its box, as the engine measures it: a
// line no wider than the box, and wrapped lines all within its height.
inline void expectTextsFit(const std::vector<reports::Page>& pages) {
    for (const reports::Page& p : pages)
        for (const auto& e : p.elements) {
            if (e.kind() != reports::ElementKind::Text || e.text.isEmpty()) continue;
            const QStringList lines =
                e.wordWrap() ? reports::wrapText(e.font(), e.text, e.box.width()) : QStringList{e.text};
            for (const QString& line : lines) {
                EXPECT_LE(reports::textWidthMm(e.font(), line), e.box.width() + 1e-6)
                    << e.name().toStdString() << ": " << e.text.toStdString();
            }
            if (lines.size() > 1) {  // no wrapped line cut off at the box's bottom
                EXPECT_LE(lines.size() * reports::lineSpacingMm(e.font()), e.box.height() + 0.05)
                    << e.name().toStdString() << ": " << e.text.toStdString();
            }
        }
}

// The names of the bands placed on a page, in order, the page footer left out.
inline QStringList bodyBands(const reports::Page& p) {
    QStringList names;
    for (const auto& b : p.bands)
        if (b.name != QLatin1String("PageFooterBand")) names << b.name;
    return names;
}

}  // namespace rt
