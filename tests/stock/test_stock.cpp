// The stock window and the stock list, on a new installation in a temporary
// directory: the list is read from the pages the preview shows, the window is
// driven by keys.
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "controls/DBGNorm.h"
#include "controls/DBNavigator.h"
#include "controls/PickDate.h"
#include <QToolButton>
#include "data/AppDir.h"
#include "data/Clock.h"
#include "data/Engine.h"
#include "data/Format.h"
#include "data/Install.h"
#include "data/Schema.h"
#include "reports/Preview.h"
#include "reports/Printer.h"
#include "reports/PrintSettings.h"
#include "reports/ReportTestSupport.h"
#include "stock/RepStocUnt.h"
#include "stock/StocUnt.h"
#include "support/GuiDriver.h"
#include "support/Installation.h"
#include "support/TempDir.h"

using gui::control;
using reports::Page;

namespace {

const QString kStatusText = QStringLiteral("Parametrii de listare impliciti: Arial, 8, A4, Portret");

class Stock : public ::testing::Test {
protected:
    void SetUp() override {
        support::installInto(db.path());
        data::setAppDir(db.path());
        support::setUnit(
            db.path(), {"Protopopiatul", "Parohia", "Strada", "Nr", "Localitatea", "Judet", "An_lucru"},
            {"Protopopiatul Brașov", "Parohia Sfânta Treime", data::Value(), "5", "Brașov", "Brașov", 2007});
    }

    using V = data::Value;
    void item(const char* name, V descr, double qty, V um, double price, V in, V out) {
        data::insertRows(db.file("Stoc.db"), {"Denumire", "Descriere", "Cantitate", "UM", "Pret", "DataIn", "DataOut"},
                         {{V(name), descr, V(qty), um, V(price), in, out}});
    }

    // Confirms the print dialog for the preview and keeps the pages shown.
    std::vector<Page> preview(const data::Date& d, bool* dialogShown = nullptr) {
        rt::Previewed shown = rt::previewOf([&] { stock::PrintStoc(nullptr, d); });
        if (dialogShown) *dialogShown = shown.dialogShown;
        return shown.pages;
    }

    static QStringList rowsOf(const std::vector<Page>& pages, const char* item) {
        QStringList out;
        for (const Page& p : pages) out += p.textsOf(QString::fromUtf8(item));
        return out;
    }

    stock::TStocFrm* openWindow() {
        window = std::make_unique<stock::TStocFrm>(nullptr);
        EXPECT_TRUE(window->openTables(window.get()));
        gui::showActive(window.get());
        return window.get();
    }
    data::DataSet& stoc() { return *window->tables().at(0); }
    ui::TDBGridNormal* grid() { return control<ui::TDBGridNormal>(window.get(), "DBGridNormal1"); }
    std::vector<V> storedNames() {
        auto r = data::SqlSession::forDirectory(db.path()).select("SELECT Denumire FROM \"Stoc.db\" ORDER BY ID");
        std::vector<V> out;
        for (auto& row : r.rows) out.push_back(row.at(0));
        return out;
    }

    TempDir db;
    gui::Recorder rec;
    rt::PrintingTest printing{data::Date{2007, 3, 1}};
    std::unique_ptr<stock::TStocFrm> window;
};

TEST_F(Stock, AnItemIsHeldFromItsEntryDayAndNoLongerOnItsExitDay) {
    item("A", V(), 1, V("buc"), 1, V(data::Date{2007, 3, 1}), V());
    item("B", V(), 1, V("buc"), 1, V(data::Date{2007, 1, 1}), V(data::Date{2007, 3, 1}));
    item("C", V(), 1, V("buc"), 1, V(), V());
    EXPECT_EQ(rowsOf(preview(data::Date{2007, 3, 1}), "DenDescTxt"), (QStringList{"A", "C"}));
    EXPECT_EQ(rowsOf(preview(data::Date{2007, 2, 28}), "DenDescTxt"), (QStringList{"B", "C"}));
    EXPECT_EQ(rec.status.mid(0, 3), (QStringList{kStatusText, " Listez...", " OK."}));
}

TEST_F(Stock, ValuesTextsOrderTotalAndTheUnitHeading) {
    item("Lumanari", V("mari"), 2.5, V("buc"), 4, V(), V());
    item("Lumanari", V(""), 1, V("buc"), 3, V(), V());
    item("Carti", V("b"), 1, V("buc"), 1000, V(), V());
    item("Carti", V("a"), 2, V("buc"), 1, V(), V());
    item("Carti", V("a"), 1, V("buc"), 1, V(), V());
    auto pages = preview(data::Date{2007, 3, 1});
    ASSERT_EQ(pages.size(), 1u);
    const Page& p = pages[0];
    EXPECT_EQ(rowsOf(pages, "DenDescTxt"),
              (QStringList{"Carti - a", "Carti - a", "Carti - b", "Lumanari", "Lumanari - mari"}));
    EXPECT_EQ(rowsOf(pages, "CantitateTxt"), (QStringList{"1.00", "2.00", "1.00", "1.00", "2.50"}));
    EXPECT_EQ(rowsOf(pages, "PretTxt"), (QStringList{"1.00", "1.00", "1,000.00", "3.00", "4.00"}));
    EXPECT_EQ(rowsOf(pages, "ValoareTxt"), (QStringList{"1.00", "2.00", "1,000.00", "3.00", "10.00"}));
    EXPECT_EQ(rowsOf(pages, "NrCrtTxt"), (QStringList{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(p.textOf("TotalTxt"), QStringLiteral("1,016.00"));
    EXPECT_EQ(p.textOf("ParohiaTxt"), QStringLiteral("Parohia Sfânta Treime"));
    EXPECT_EQ(p.textOf("AdresaTxt"), QStringLiteral("Loc. Brașov Str.  Nr. 5 Jud. Brașov"));
    EXPECT_EQ(p.textOf("ProtopopiatTxt"), QStringLiteral("Protopopiatul Brașov"));
    EXPECT_EQ(p.textOf("DataLbl"), QString::fromStdString(data::formatShortDate(data::Date{2007, 3, 1})));
    EXPECT_EQ(p.textOf("PaginaTxt"), QStringLiteral("Pag.1"));
    EXPECT_EQ(p.findElement("TitluLbl")->font().size, 16);
    EXPECT_EQ(p.findElement("ValoareTxt")->font().size, 8);
    EXPECT_TRUE(gui::Recorder::messages().isEmpty());
    // "Nr crt" whole, the date after the title, the heading's frame as wide as the table
    rt::expectTextsFit(pages);
    const auto* title = p.findElement("TitluLbl");
    EXPECT_GE(p.findElement("DataLbl")->box.left(),
              title->box.left() + reports::textWidthMm(title->font(), title->text));
    double tableRight = 0, headingRight = 0;
    for (const auto& e : p.elements) {
        if (e.kind() == reports::ElementKind::Line) tableRight = std::max(tableRight, e.box.right());
        if (e.kind() == reports::ElementKind::Rect) headingRight = std::max(headingRight, e.box.right());
    }
    EXPECT_NEAR(headingRight, tableRight, 0.01);
}

TEST_F(Stock, NamesPrintInRomanianOrderLetterCaseAside) {
    for (const char* name : {"Zahăr", "ștergar", "Sare", "Țuică", "tămâie", "Ace", "îngeraș", "Icoană"})
        item(name, V(), 1, V("buc"), 1, V(), V());
    EXPECT_EQ(rowsOf(preview(data::Date{2007, 3, 1}), "DenDescTxt"),
              (QStringList{"Ace", "Icoană", "îngeraș", "Sare", "ștergar", "tămâie", "Țuică", "Zahăr"}));
}

TEST_F(Stock, TheTotalIsTheSumOfTheValuesAsPrintedNotOfTheProducts) {
    for (double price : {1.25, 3.75, 20.75}) item("A", V(), 0.5, V("kg"), price, V(), V());
    auto pages = preview(data::Date{2007, 3, 1});
    EXPECT_EQ(rowsOf(pages, "ValoareTxt"), (QStringList{"0.63", "1.88", "10.38"}));
    EXPECT_EQ(pages[0].textOf("TotalTxt"), QStringLiteral("12.89"));
}

TEST_F(Stock, ADateWithNothingHeldProducesNoPageAndNoMessage) {
    item("A", V(), 1, V("buc"), 1, V(data::Date{2007, 3, 1}), V());
    bool dialog = false;
    auto pages = preview(data::Date{2007, 2, 1}, &dialog);
    EXPECT_TRUE(dialog);
    EXPECT_TRUE(pages.empty());
    EXPECT_TRUE(gui::Recorder::messages().isEmpty());
    ASSERT_FALSE(rec.status.isEmpty());
    EXPECT_EQ(rec.status.back(), QStringLiteral(" OK."));
}

TEST_F(Stock, WindowListsByNameWithPositionsAndANewRowShowsMinusOne) {
    item("Tamaie", V(), 1, V("kg"), 50, V(), V());
    item("Carti", V(), 3, V("buc"), 20, V(), V());
    item("Lumanari", V(), 100, V("buc"), 1, V(), V());
    openWindow();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Stocuri"));
    std::vector<std::pair<V, V>> rows;
    for (int i = 0; i < stoc().recordCount(); ++i) {
        auto r = stoc().rowValues(i);
        rows.push_back({r.at(stoc().fieldByName("NrCrt").index()), r.at(stoc().fieldByName("Denumire").index())});
    }
    EXPECT_EQ(rows, (std::vector<std::pair<V, V>>{{V(1), V("Carti")}, {V(2), V("Lumanari")}, {V(3), V("Tamaie")}}));
    EXPECT_EQ(stoc()["Pret"].displayText(), "20.00");
    gui::key(Qt::Key_Insert);
    EXPECT_EQ(stoc().state(), data::DataSetState::Insert);
    EXPECT_EQ(stoc()["NrCrt"].value(), V(-1));
}

TEST_F(Stock, ValideazaStoresATypedRowAndTheCloseBoxDiscardsIt) {
    openWindow();
    gui::key(Qt::Key_Insert);
    gui::key(Qt::Key_Tab);
    gui::type("Lum");
    // Romanian letters as the keyboard delivers them (text without a key code)
    for (QChar c : QStringLiteral("ânări")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(gui::focused(window.get()), &press);
    }
    gui::key(Qt::Key_Tab);
    gui::key(Qt::Key_Tab);
    gui::type("2.5");
    gui::key(Qt::Key_Tab);
    gui::key(Qt::Key_Tab);
    gui::type("4");
    control<QPushButton>(window.get(), "ValideazaBtn")->click();
    EXPECT_TRUE(gui::Recorder::messages().isEmpty()) << gui::Recorder::messages().join("|").toStdString();
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_EQ(storedNames(), (std::vector<V>{V("Lumânări")}));

    window.reset();
    openWindow();
    gui::key(Qt::Key_Insert);
    gui::key(Qt::Key_Tab);
    gui::type("Pierdut");
    window->close();
    window.reset();
    EXPECT_EQ(storedNames(), (std::vector<V>{V("Lumânări")}));
}

TEST_F(Stock, RequiredFieldsAndBadDatesAreRefusedAndTheRowStaysInEditing) {
    openWindow();
    gui::key(Qt::Key_Insert);
    gui::key(Qt::Key_Tab);
    gui::type("Carti");
    control<QPushButton>(window.get(), "ValideazaBtn")->click();
    EXPECT_EQ(gui::Recorder::messages(), QStringList{"Campul 'Cantitate' trebuie completat"});
    EXPECT_EQ(stoc().state(), data::DataSetState::Insert);
    EXPECT_NE(window->result(), QDialog::Accepted);
    EXPECT_TRUE(storedNames().empty());

    gui::Recorder::clear();
    EXPECT_THROW(stoc()["DataIn"].setText("32.13.2007"), data::EngineError);
    try {
        stoc()["DataIn"].setText("32.13.2007");
    } catch (const data::EngineError& e) {
        EXPECT_STREQ(e.what(), "'32.13.2007' nu este o data corecta");
    }
    EXPECT_EQ(stoc().state(), data::DataSetState::Insert);
}

TEST_F(Stock, PrintingWithoutAPrinterWritesThePagesToAPdfFile) {
    reports::setCurrentPrinter(reports::makeSystemPrinter());
    if (!reports::currentPrinter().isPdfFile()) GTEST_SKIP() << "a printer is installed";
    const QString pdf = QString::fromStdString(db.path()) + "stoc.pdf";
    reports::setPdfFileChooser([&](QWidget*, const QString&) { return pdf; });
    for (int i = 0; i < 70; ++i)
        item(i % 7 ? "Lumanari" : "Carte de rugaciuni cu un titlu lung care nu incape pe un singur rand al coloanei",
             V(i % 2 ? "mari" : "de ceara curata, albe, cu fitil de bumbac, pentru sfesnicele mari ale altarului"),
             i + 1, V("buc"), 1.5 * i, V(), V());
    gui::onModal([&](QWidget* dlg) {
        control<QCheckBox>(dlg, "CBPrev")->setChecked(false);
        control<QPushButton>(dlg, "OKBtn")->click();
    });
    stock::PrintStoc(nullptr, data::Date{2007, 3, 1});
    reports::setPdfFileChooser(nullptr);
    EXPECT_TRUE(gui::Recorder::messages().isEmpty()) << gui::Recorder::messages().join("|").toStdString();
    ASSERT_TRUE(QFileInfo(pdf).size() > 1000);
    // CV_KEEP_PDF names a copy kept for looking at the pages.
    if (qEnvironmentVariableIsSet("CV_KEEP_PDF")) {
        QFile::remove(qEnvironmentVariable("CV_KEEP_PDF"));
        QFile::copy(pdf, qEnvironmentVariable("CV_KEEP_PDF"));
    }
}

TEST_F(Stock, ListeazaAsksForADateAndCancellingEitherDialogPrintsNothing) {
    item("A", V(), 1, V("buc"), 1, V(), V());
    openWindow();
    QStringList hints;
    auto* nav = control<ui::TDBNavigator>(window.get(), "DBNavigator");
    for (ui::NavBtn b : {ui::NavBtn::First, ui::NavBtn::Prior, ui::NavBtn::Next, ui::NavBtn::Last, ui::NavBtn::Insert,
                         ui::NavBtn::Delete, ui::NavBtn::Refresh})
        hints << nav->button(b)->toolTip();
    EXPECT_EQ(hints, (QStringList{"Prima inregistrare", "Inregistrarea precedenta", "Inregistrarea urmatoare",
                                  "Ultima inregistrare", "Insereaza inregistrare", "Sterge inregistrare",
                                  "Actualizeaza inregistrari"}));
    EXPECT_FALSE(nav->isButtonVisible(ui::NavBtn::Post));

    // the calendar cancelled: no print dialog, no status text
    bool calendar = false;
    gui::onModal<ui::TBrDateForm>([&](ui::TBrDateForm* f) {
        calendar = true;
        EXPECT_EQ(f->date(), (data::Date{2007, 3, 1}));
        f->CancelBtn->click();
    });
    control<QPushButton>(window.get(), "PrintBtn")->click();
    EXPECT_TRUE(calendar);
    EXPECT_TRUE(rec.status.isEmpty());

    // the date confirmed, the print dialog cancelled: " OK."
    gui::onModal<ui::TBrDateForm>([&](ui::TBrDateForm* f) {
        gui::onModal([](QWidget* dlg) { control<QPushButton>(dlg, "CancelBtn")->click(); });
        f->OkBtn->click();
    });
    control<QPushButton>(window.get(), "PrintBtn")->click();
    EXPECT_EQ(rec.status, (QStringList{kStatusText, " OK."}));
    EXPECT_TRUE(gui::Recorder::messages().isEmpty());
}

TEST_F(Stock, QuantitiesAndPricesShowTheLargestAmountWhole) {
    openWindow();
    const int margins = 2 * (grid()->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid()) + 1) + 1;
    for (int c : {3, 5})  // "Cantitate", "Pret"
        EXPECT_GE(grid()->columnWidth(c) - margins, grid()->fontMetrics().horizontalAdvance("99,999,999,999.99"));
}

}  // namespace
