// The budget window and its printout over a new installation's tables: the
// window opened as the menu opens it, driven by keys and its buttons, its
// controls reached by name; the printout read from the page model the
// preview shows.
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>

#include "budget/BilantCentralUnt.h"
#include "budget/BilantUnt.h"
#include "budget/BudgetFixture.h"
#include "budget/CalcBilant.h"
#include "budget/CalculBilantUnt.h"
#include "budget/RepBilantUnt.h"
#include "controls/DBGNorm.h"
#include "controls/DateEdit.h"
#include "data/Clock.h"
#include "reports/Preview.h"
#include "reports/PrintSettings.h"
#include "reports/ReportTestSupport.h"
#include "support/GuiDriver.h"
#include "support/OtherProgram.h"

using budget::TBilantFrm;
using gui::control;
using reports::Page;
using namespace budget_test;

namespace {

const QString kStatusText = QStringLiteral("Parametrii de listare impliciti: Arial, 8, A4, Portret");
const QString kSeparatePage = QStringLiteral("Doriti listarea cheltuielilor pe pagina separata ?");

class BudgetWindow : public BudgetFixture {
protected:
    // The window as the menu opens it, but modeless, so that the test drives
    // it between the steps: the budget computed as at today, the window's
    // tables opened, the window shown with the focus.
    TBilantFrm* open() {
        EXPECT_TRUE(budget::RunCalcBilant(nullptr, data::today()));
        window = std::make_unique<TBilantFrm>(nullptr);
        window->openTables();
        gui::showActive(window.get());
        return window.get();
    }

    static ui::TDBGridNormal* grid(QWidget* w) { return control<ui::TDBGridNormal>(w, "DBGrid1"); }
    static data::DataSet& budgetOf(QWidget* w) { return *grid(w)->dataSource()->dataSet(); }
    static ui::TDateEdit* startEdit(QWidget* w) { return control<ui::TDateEdit>(w, "DataBilant1Ed"); }
    static ui::TDateEdit* endEdit(QWidget* w) { return control<ui::TDateEdit>(w, "DataBilantEd"); }
    static QPushButton* button(QWidget* w, const char* name) { return control<QPushButton>(w, name); }

    // "&Recalc executie" pressed; the window gets the keyboard back after the
    // progress window (the offscreen platform does not give it back itself).
    static void recalc(QWidget* w) {
        button(w, "BitBtn2")->click();
        gui::settle();
        gui::showActive(w);
    }

    // Types a date into a date edit as the user does.
    static void typeDate(ui::TDateEdit* e, const QString& digits) {
        gui::focus(e);
        e->selectAll();
        gui::type(digits);
    }

    // Replaces the amount of the grid's current cell as the user does: the
    // editor's text selected from the caret (at its end) to the start, typed over.
    static void typeAmount(const QString& text) {
        gui::key(Qt::Key_Home, Qt::ShiftModifier);
        gui::type(text);
    }

    // The text the grid shows in a cell.
    static QString cell(QWidget* w, int row, int col) {
        ui::TDBGridNormal* g = grid(w);
        // the view's first column is the indicator when the grid has one
        const int offset = g->model()->columnCount() - g->columnCount();
        return g->model()->data(g->model()->index(row, col + offset), Qt::DisplayRole).toString();
    }

    // Confirms the print dialog with "&Afisare pe ecran" and keeps the pages
    // the preview shows; `run` starts the print.
    std::vector<Page> preview(const std::function<void()>& run) {
        rt::Previewed shown = rt::previewOf(run);
        EXPECT_TRUE(shown.previewed);
        fontLabel = shown.fontLabel;
        return shown.pages;
    }
    // The printout of the window's column chosen in the print menu by keys
    // (first item "Prevederi", second "Executie").
    std::vector<Page> printFromMenu(TBilantFrm* w, int item) {
        return preview([&] {
            button(w, "PrintBtn")->click();
            auto* menu = control<QMenu>(w, "PopupMenu1");
            EXPECT_TRUE(menu->isVisible());
            for (int i = 0; i < item; ++i) QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
    }

    // The detail rows of a printout, page by page: name | number | amount.
    static std::vector<QStringList> rows(const std::vector<Page>& pages) {
        std::vector<QStringList> out;
        for (const Page& p : pages) {
            QStringList names = p.textsOf("QRDBText1"), numbers = p.textsOf("CodArticol"),
                        amounts = p.textsOf("QRDBText3");
            QStringList page;
            for (int i = 0; i < names.size(); ++i) page << names[i] + " | " + numbers[i] + " | " + amounts[i];
            out.push_back(page);
        }
        return out;
    }
    // Alignment of the amount of every detail row, in order.
    static std::vector<reports::HAlign> amountAlignments(const std::vector<Page>& pages) {
        std::vector<reports::HAlign> out;
        for (const Page& p : pages)
            for (const auto& e : p.elements)
                if (e.name() == QLatin1String("QRDBText3")) out.push_back(e.align());
        return out;
    }
    static int asked() { return gui::Recorder::messages().count(kSeparatePage); }

    gui::Recorder rec;
    rt::PrintingTest printing{Date{2014, 5, 12}};
    std::unique_ptr<TBilantFrm> window;
    QString fontLabel;
};

}  // namespace

TEST_F(BudgetWindow, TheMenuCommandComputesAsAtTodayAndOpensTheModalWindow) {
    receipt(day(12, 5), 2, 20.0, "Banca");
    receipt(day(13, 5), 2, 1000.0);
    payment(day(1, 2), 18, 7.5);
    sql("UPDATE Bilant SET Executie = 99.0");
    bool shown = false;
    gui::onModal<TBilantFrm>([&](TBilantFrm* w) {
        shown = true;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // the busy cursor is gone
        EXPECT_EQ(w->windowTitle(), QStringLiteral("Bilant"));
        EXPECT_TRUE(w->isModal());
        EXPECT_EQ(startEdit(w)->text(), QStringLiteral("01/01/2014"));
        EXPECT_EQ(endEdit(w)->text(), QStringLiteral("12/05/2014"));
        ui::TDBGridNormal* g = grid(w);
        QStringList titles;
        for (int c = 0; c < g->columnCount(); ++c) titles << g->columnTitle(c);
        EXPECT_EQ(titles, (QStringList{"Denumire", "Nr rand", "Prevederi", "Executie"}));
        // index order, the amounts in the display format
        EXPECT_EQ(cell(w, 0, 0), QStringLiteral("VENITURI"));
        EXPECT_EQ(cell(w, 1, 1), QStringLiteral("1"));
        EXPECT_EQ(cell(w, 1, 3), QStringLiteral("6,000.00"));
        EXPECT_EQ(cell(w, 2, 3), QStringLiteral("20.00"));
        EXPECT_EQ(budgetOf(w).recordCount(), static_cast<int>(lines().size()));
        EXPECT_EQ(button(w, "BitBtn1")->text(), QStringLiteral("&Valideaza"));
        EXPECT_EQ(button(w, "BitBtn1")->toolTip(), QStringLiteral("Sunt de acord"));
        EXPECT_EQ(button(w, "BitBtn2")->text(), QStringLiteral("&Recalc executie"));
        EXPECT_EQ(button(w, "BitBtn2")->toolTip(), QStringLiteral("Recalculare executie "));
        EXPECT_EQ(button(w, "PrintBtn")->text(), QStringLiteral("&Listeaza!"));
        EXPECT_EQ(button(w, "PrintBtn")->toolTip(), QStringLiteral("Printeaza bilant"));
        button(w, "BitBtn1")->click();
    });
    budget::OpenBilant(nullptr);
    EXPECT_TRUE(shown);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(gui::Recorder::messages().isEmpty()) << gui::Recorder::messages().join("|").toStdString();
    EXPECT_EQ(executie(2), 20.0);
    EXPECT_EQ(executie(18), 7.5);
    EXPECT_EQ(executie(33), 6012.5);
}

TEST_F(BudgetWindow, InALaterYearThePeriodStartsOnFirstJanuaryOfTheWorkingYear) {
    data::setToday(Date{2015, 3, 10});
    receipt(day(1, 2, 2015), 2, 40.0);
    receipt(day(11, 3, 2015), 2, 1.0);
    TBilantFrm* w = open();
    EXPECT_EQ(startEdit(w)->text(), QStringLiteral("01/01/2014"));
    EXPECT_EQ(endEdit(w)->text(), QStringLiteral("10/03/2015"));
    EXPECT_EQ(executie(2), 40.0);
    EXPECT_EQ(executie(1), 6000.0);
}

TEST_F(BudgetWindow, AFailedComputationOpensNoWindowAndTheBusyCursorIsGone) {
    sql("UPDATE Bilant SET Formula = '3+' WHERE Nr_rand = 29");
    // a window that should not open is closed at once (and noted)
    bool opened = false;
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (auto* w = qobject_cast<TBilantFrm*>(QApplication::activeModalWidget())) {
            opened = true;
            w->reject();
        }
    });
    guard.start(10);
    budget::OpenBilant(nullptr);
    EXPECT_FALSE(opened);
    ASSERT_EQ(ui::Messages::history().size(), 1u);
    EXPECT_EQ(ui::Messages::history()[0].type, ui::MsgType::Error);
    const QString text = gui::Recorder::lastMessage();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Eroare de acces la tabela bilant!\n"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("!")));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // the window's own tables: its access text, the engine's message, "!"
    sql("UPDATE Bilant SET Formula = '30+31' WHERE Nr_rand = 29");
    gui::Recorder::clear();
    std::filesystem::remove(db.file("Parohia.DB"));
    budget::OpenBilant(nullptr);
    EXPECT_FALSE(opened);
    ASSERT_EQ(gui::Recorder::messages().size(), 1);
    EXPECT_TRUE(gui::Recorder::lastMessage().startsWith(QStringLiteral("Eroare de acces la tabela bilant!\n")));
    EXPECT_EQ(executie(1), 6000.0);  // the computation itself ran
}

TEST_F(BudgetWindow, TheProgressWindowHasNoTitleButtonsAndLivesForOneRun) {
    auto progressWindow = []() -> budget::TCalcBilantFrm* {
        for (QWidget* tw : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<budget::TCalcBilantFrm*>(tw)) return f;
        return nullptr;
    };
    budget::CalcBilantProgress progress(nullptr);
    budget::Progress watched = progress.callbacks();
    int steps = 0;
    watched.step = [&](int done, int total) {
        progress.callbacks().step(done, total);
        budget::TCalcBilantFrm* f = progressWindow();
        ASSERT_NE(f, nullptr);
        ++steps;
        EXPECT_TRUE(f->isVisible());
        EXPECT_EQ(f->windowTitle(), QStringLiteral("Calcul bilant"));
        EXPECT_FALSE(f->windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_FALSE(f->windowFlags() & Qt::WindowSystemMenuHint);
        auto* bar = control<QProgressBar>(f, "PBar");
        EXPECT_EQ(bar->maximum(), total);
        EXPECT_EQ(bar->value(), done);
    };
    budget::CalcBilant(day(12, 5), {}, watched);
    EXPECT_EQ(steps, 3 + 2 * static_cast<int>(lines().size()));
    EXPECT_EQ(progressWindow(), nullptr);  // freed when the run ended
}

TEST_F(BudgetWindow, TheGridAddsNoLineAndATypedPlannedAmountIsStoredAndKept) {
    const size_t count = lines().size();
    bool shown = false;
    gui::onModal<TBilantFrm>([&](TBilantFrm* w) {
        shown = true;
        gui::reactivate(w);
        gui::focus(grid(w));
        gui::key(Qt::Key_Insert);
        EXPECT_EQ(budgetOf(w).state(), data::DataSetState::Browse);
        gui::key(Qt::Key_End, Qt::ControlModifier);
        gui::key(Qt::Key_Down);  // past the last line
        EXPECT_EQ(budgetOf(w).state(), data::DataSetState::Browse);
        EXPECT_EQ(budgetOf(w).recordCount(), static_cast<int>(count));
        // the planned amount of line 2 (third row), typed in its column
        gui::key(Qt::Key_Home, Qt::ControlModifier);
        gui::key(Qt::Key_Down);
        gui::key(Qt::Key_Down);
        EXPECT_EQ(budgetOf(w)["Nr_rand"].asInteger(), 2);
        EXPECT_EQ(grid(w)->selectedIndex(), 2);
        // a line another line's formula names is never deleted
        gui::key(Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_TRUE(gui::Recorder::messages().join("|").contains(QStringLiteral("Randul 2 este folosit")))
            << gui::Recorder::messages().join("|").toStdString();
        EXPECT_EQ(budgetOf(w).recordCount(), static_cast<int>(count));
        gui::Recorder::clear();
        typeAmount(QStringLiteral("150.5"));
        EXPECT_EQ(budgetOf(w).state(), data::DataSetState::Edit);
        button(w, "BitBtn1")->click();
    });
    budget::OpenBilant(nullptr);
    ASSERT_TRUE(shown);
    EXPECT_TRUE(gui::Recorder::messages().isEmpty()) << gui::Recorder::messages().join("|").toStdString();
    EXPECT_EQ(lines().size(), count);
    EXPECT_EQ(prevederi(2), 150.5);
    budget::CalcBilant(day(12, 5));
    EXPECT_EQ(prevederi(2), 150.5);
    EXPECT_EQ(prevederi(14), 150.5);  // a formula line recomputes it

    // closed by Esc, a typed amount is dropped
    gui::onModal<TBilantFrm>([&](TBilantFrm* w) {
        gui::reactivate(w);
        gui::focus(grid(w));
        gui::key(Qt::Key_Down);
        gui::key(Qt::Key_Down);
        typeAmount(QStringLiteral("7"));
        gui::keyIn(w, Qt::Key_Escape);  // leaves the cell editor
        if (w->isVisible()) w->reject();
    });
    budget::OpenBilant(nullptr);
    EXPECT_EQ(prevederi(2), 150.5);
}

TEST_F(BudgetWindow, ThePeriodIsComputedForTheDatesTypedAndAWrongIntervalIsRefused) {
    receipt(day(10, 1), 2, 100.0);
    receipt(day(20, 2), 2, 5.0);
    payment(day(20, 2), 16, 3.0);
    TBilantFrm* w = open();
    typeDate(startEdit(w), QStringLiteral("15022014"));
    typeDate(endEdit(w), QStringLiteral("31012014"));
    recalc(w);
    EXPECT_EQ(gui::Recorder::messages(),
              QStringList{QStringLiteral("Intervalul de timp nu este corect! 31.01.2014 < 15.02.2014")});
    EXPECT_EQ(ui::Messages::history().back().type, ui::MsgType::Warning);
    EXPECT_EQ(executie(2), 105.0);  // nothing recomputed

    gui::Recorder::clear();
    typeDate(endEdit(w), QStringLiteral("31032014"));
    // a planned amount being typed is stored before the computation
    gui::focus(grid(w));
    gui::key(Qt::Key_Home, Qt::ControlModifier);
    gui::key(Qt::Key_Down);
    gui::key(Qt::Key_Down);
    typeAmount(QStringLiteral("80"));
    ASSERT_EQ(budgetOf(w).state(), data::DataSetState::Edit);
    recalc(w);
    EXPECT_TRUE(gui::Recorder::messages().isEmpty()) << gui::Recorder::messages().join("|").toStdString();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(executie(2), 5.0);
    // line 1 holds the money of 14.02 (6000 opening + 100 received), the final
    // line the money at the period's end
    EXPECT_EQ(executie(1), 6100.0);
    EXPECT_EQ(executie(33), 6102.0);
    EXPECT_EQ(prevederi(2), 80.0);
    EXPECT_EQ(prevederi(14), 80.0);
    // the grid shows the new figures
    EXPECT_EQ(budgetOf(w).state(), data::DataSetState::Browse);
    EXPECT_EQ(cell(w, 2, 3), QStringLiteral("5.00"));
    EXPECT_EQ(cell(w, 1, 3), QStringLiteral("6,100.00"));

    // 1 January of the working year to a date: the budget as at that date
    typeDate(startEdit(w), QStringLiteral("01012014"));
    recalc(w);
    EXPECT_EQ(executie(2), 105.0);
    EXPECT_EQ(executie(1), 6000.0);
    EXPECT_EQ(cell(w, 1, 3), QStringLiteral("6,000.00"));
}

TEST_F(BudgetWindow, ACopyHeldByAnotherProgramIsToldAndTheGridStaysEmpty) {
    receipt(day(10, 1), 2, 100.0);
    receipt(day(20, 2), 2, 5.0);
    std::filesystem::copy_file(db.file("Bilant.DB"), db.file("Bilant1.DB"));
    TBilantFrm* w = open();
    typeDate(startEdit(w), QStringLiteral("15022014"));
    typeDate(endEdit(w), QStringLiteral("31032014"));

    OtherProgram reader(db.path(), "Bilant1.DB");  // another program reading the copy
    ASSERT_TRUE(reader.holding());
    recalc(w);
    reader.release();
    EXPECT_EQ(gui::Recorder::messages(),
              QStringList{QString::fromStdString("Nu pot crea fisierul :" + db.path() +
                                                 "Bilant1. Inchideti fisierele aferente si repetati operatia!")});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(executie(2), 100.0);  // the budget as at the day before the period
    EXPECT_FALSE(budgetOf(w).active());
    EXPECT_EQ(grid(w)->model()->rowCount(), 0);
}

TEST_F(BudgetWindow, TheExecutionPrintoutHasItsCoverHeadingRowsAndPageNumbers) {
    receipt(day(3, 2), 2, 1234.5);
    payment(day(3, 2), 16, 34.5);
    TBilantFrm* w = open();
    auto pages = printFromMenu(w, 2);
    ASSERT_GE(pages.size(), 3u);
    EXPECT_EQ(rec.status, (QStringList{kStatusText, " Listez...", " OK."}));
    EXPECT_EQ(fontLabel, QStringLiteral("Arial   11"));
    EXPECT_EQ(reports::PrintSettings.FontSize, 11);

    // the cover page alone on page 1
    const Page& cover = pages[0];
    EXPECT_TRUE(cover.bandsNamed("DetailBand1").empty());
    EXPECT_EQ(cover.textOf("QRLabel3"), QStringLiteral("ARHIEPISCOPIA"));
    EXPECT_EQ(cover.textOf("QRDBText2"), QStringLiteral("Arhiepiscopia Bucureștilor"));
    EXPECT_EQ(cover.textOf("QRLabel5"), QStringLiteral("PROTOPOPIATUL"));
    EXPECT_EQ(cover.textOf("QRDBText4"), QStringLiteral("Protopopiatul Ilfov"));
    EXPECT_EQ(cover.textOf("QRLabel9"), QStringLiteral("OFICIUL PROTOPOPIATULUI"));
    EXPECT_EQ(cover.textOf("QRDBText6"), QStringLiteral("Parohia Sfântul Ștefan"));
    EXPECT_EQ(cover.textOf("QRDBText10"), QStringLiteral("Târgșor"));
    EXPECT_EQ(cover.textOf("QRDBText5"), QStringLiteral("Ilfov"));
    EXPECT_EQ(cover.textOf("QRLabel1"), QStringLiteral("BUGET DE VENITURI SI CHELTUIELI"));
    EXPECT_EQ(cover.textOf("QRLabel16"), QStringLiteral("A OFICIULUI PROTOPOPIATULUI"));
    EXPECT_EQ(cover.textOf("Data1Lbl"), QStringLiteral("01/01/2014"));
    EXPECT_EQ(cover.textOf("DataLbl"), QStringLiteral("12/05/2014"));
    EXPECT_EQ(cover.textsOf("QRLabel4"), QStringList{"(loc pentru viza),"});
    // positions (mm from the page's corner: the left and top margins are 5)
    const reports::PageElement* title = cover.findElement("QRLabel1");
    ASSERT_NE(title, nullptr);
    EXPECT_NEAR(title->box.left(), 5 + 47.6, 0.01);
    EXPECT_NEAR(title->box.top(), 5 + 84.7, 0.01);
    EXPECT_EQ(title->font().size, 16);
    EXPECT_NEAR(cover.findElement("DataLbl")->box.left(), 5 + 119.6, 0.01);
    EXPECT_NEAR(cover.findElement("DataLbl")->box.top(), 5 + 104.8, 0.01);

    // income heading, the lines, the expense heading on a page of its own
    const std::vector<QStringList> r = rows(pages);
    ASSERT_EQ(r[1].size(), 15);  // lines 0 to 14
    EXPECT_EQ(r[1][0], QStringLiteral("VENITURI | Nr. rnd | SUMA"));
    EXPECT_EQ(r[1][1], QStringLiteral("Sold initial (disponibil in casa si in banca) | 1 | 6,000.00"));
    EXPECT_EQ(r[1][2], QStringLiteral("Contributia enoriasilor | 2 | 1,234.50"));
    EXPECT_EQ(r[1].back(), QStringLiteral("TOTAL VENITURI | 14 | 1,234.50"));
    EXPECT_EQ(asked(), 1);
    EXPECT_EQ(r[2][0], QStringLiteral("CHELTUIELI | Nr. rnd | SUMA"));
    EXPECT_EQ(r[2][1], QStringLiteral("Cheltuieli curente | 15 | 34.50"));
    EXPECT_EQ(r[2][2], QStringLiteral("Salarii si indemnizatii ale personalului | 16 | 34.50"));
    // the amount column centred on the heading rows, right-aligned elsewhere
    std::vector<reports::HAlign> align = amountAlignments(pages);
    for (size_t i = 0; i < align.size(); ++i) {
        const bool heading = i == 0 || i == static_cast<size_t>(r[1].size());
        EXPECT_EQ(align[i], heading ? reports::HAlign::Center : reports::HAlign::Right) << i;
    }
    // "Pag." and the number on every page; the signatures after the last line
    for (size_t p = 0; p < pages.size(); ++p)
        EXPECT_EQ(pages[p].textOf("PageNumberLabel"), QStringLiteral("Pag.%1").arg(p + 1));
    EXPECT_EQ(pages.back().textOf("QRLabel12"), QStringLiteral("PROTOPOP,"));
    EXPECT_EQ(pages.back().textOf("QRDBText7"), QStringLiteral("Pr. Ion Țăranu"));
    EXPECT_EQ(pages.back().textOf("QRLabel13"), QStringLiteral("CONTABIL,"));
    EXPECT_EQ(pages.back().textOf("QRDBText8"), QStringLiteral("Maria Ișan"));
}

TEST_F(BudgetWindow, PlannedAmountsPrintUnderTheSameHeadingsWithTheDatesAsTyped) {
    sql("UPDATE Bilant SET Prevederi = 300.0 WHERE Nr_rand = 2");
    receipt(day(3, 2), 2, 1234.5);
    TBilantFrm* w = open();
    // dates typed, nothing recomputed: the cover shows the texts as they stand
    typeDate(startEdit(w), QStringLiteral("15022014"));
    typeDate(endEdit(w), QStringLiteral("20032014"));
    // a planned amount being typed prints as the grid shows it
    gui::focus(grid(w));
    gui::key(Qt::Key_Home, Qt::ControlModifier);
    gui::key(Qt::Key_Down);
    gui::key(Qt::Key_Down);
    gui::key(Qt::Key_Down);
    typeAmount(QStringLiteral("45"));
    rec.answerYes = false;
    auto pages = printFromMenu(w, 1);
    ASSERT_GE(pages.size(), 2u);
    EXPECT_EQ(pages[0].textOf("Data1Lbl"), QStringLiteral("15/02/2014"));
    EXPECT_EQ(pages[0].textOf("DataLbl"), QStringLiteral("20/03/2014"));
    const std::vector<QStringList> r = rows(pages);
    EXPECT_EQ(r[1][0], QStringLiteral("VENITURI | Nr. rnd | SUMA"));
    EXPECT_EQ(r[1][2], QStringLiteral("Contributia enoriasilor | 2 | 300.00"));
    EXPECT_EQ(r[1][3], QStringLiteral("Donatii si ofrande | 3 | 45.00"));
    // answering No: the expense heading follows the last income line on its page
    EXPECT_EQ(asked(), 1);
    int incomeEnd = r[1].indexOf(QStringLiteral("TOTAL VENITURI | 14 | 300.00"));
    ASSERT_GE(incomeEnd, 0);
    EXPECT_EQ(r[1][incomeEnd + 1], QStringLiteral("CHELTUIELI | Nr. rnd | SUMA"));
    EXPECT_EQ(executie(2), 1234.5);  // printing computes nothing

    // the question comes at every printing
    rec.answerYes = true;
    pages = printFromMenu(w, 1);
    EXPECT_EQ(asked(), 2);
    EXPECT_EQ(rows(pages)[2][0], QStringLiteral("CHELTUIELI | Nr. rnd | SUMA"));
}

TEST_F(BudgetWindow, WithoutANumberCarriedByTwoLinesTheExpenseSectionIs999) {
    // no number shared: only line 0 is a heading row, no question
    sql("DELETE FROM Bilant WHERE Denumire = 'CHELTUIELI'");
    TBilantFrm* w = open();
    auto pages = printFromMenu(w, 2);
    std::vector<QStringList> r = rows(pages);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[1][0], QStringLiteral("VENITURI | Nr. rnd | SUMA"));
    EXPECT_EQ(r[1].filter(QStringLiteral("Nr. rnd")).size(), 1);
    EXPECT_EQ(asked(), 0);
    const std::vector<reports::HAlign> align = amountAlignments(pages);
    EXPECT_EQ(std::count(align.begin(), align.end(), reports::HAlign::Center), 1);

    // a number carried by three differently named lines: still 999; a line
    // numbered 998 brings the question, and Yes starts a page after it
    addLine(15, "CHELTUIELI");
    addLine(15, "Cheltuieli diverse");
    addLine(998, "Linia 998");
    addLine(999, "Linia 999");
    addLine(1000, "Linia 1000");
    window.reset();
    gui::Recorder::clear();
    w = open();
    pages = printFromMenu(w, 2);
    r = rows(pages);
    EXPECT_EQ(asked(), 1);
    QStringList all;
    for (const QStringList& p : r) all << p;
    EXPECT_EQ(all.filter(QStringLiteral("Nr. rnd")).size(), 1);
    EXPECT_TRUE(all.contains(QStringLiteral("Cheltuieli diverse | 15 | 0.00")));
    EXPECT_EQ(r[r.size() - 2].back(), QStringLiteral("Linia 998 | 998 | 0.00"));
    EXPECT_EQ(r.back(), (QStringList{"Linia 999 | 999 | 0.00", "Linia 1000 | 1000 | 0.00"}));
}

TEST_F(BudgetWindow, AtAMetropolitanSeeExactlySixCaptionsChange) {
    TBilantFrm* w = open();
    auto textsByItem = [](const std::vector<Page>& pages) {
        std::map<QString, QStringList> m;
        for (const Page& p : pages)
            for (const auto& e : p.elements)
                if (e.kind() == reports::PageElement::Kind::Text) m[e.name()] << e.text;
        return m;
    };
    const auto parish = textsByItem(printFromMenu(w, 2));
    sql("UPDATE Parohia SET Felmarosta = 1");
    const auto see = textsByItem(printFromMenu(w, 2));
    std::map<QString, QString> changed;
    ASSERT_EQ(parish.size(), see.size());
    for (const auto& [item, texts] : parish) {
        ASSERT_TRUE(see.count(item)) << item.toStdString();
        if (see.at(item) != texts) changed[item] = see.at(item).join("|");
    }
    EXPECT_EQ(changed, (std::map<QString, QString>{{"QRLabel3", "MITROPOLIA"},
                                                   {"QRLabel5", "EPISCOPIA"},
                                                   {"QRLabel9", "CENTRUL EPARHIAL"},
                                                   {"QRLabel16", "LA CENTRUL EPARHIAL"},
                                                   {"QRLabel12", "Conducatorul unitatii,"},
                                                   {"QRLabel13", "Consilier economic,"}}));
    // NULL prints as designed
    sql("UPDATE Parohia SET Felmarosta = NULL");
    EXPECT_EQ(textsByItem(printFromMenu(w, 2)), parish);
}

// The unit, the budget's owner and the head's signature by the unit's kind.
TEST_F(BudgetWindow, TheCaptionsFollowTheUnitsKind) {
    TBilantFrm* w = open();
    const std::pair<const char*, QStringList> kinds[] = {
        {"Parohie", {"PAROHIA", "A PAROHIEI", "PREOT PAROH,"}},
        {"Manastire", {"MANASTIREA", "A MANASTIRII", "STARET,"}},
        {"Manastire de maici", {"MANASTIREA", "A MANASTIRII", "STARETA,"}}};
    for (const auto& [kind, captions] : kinds) {
        sql(std::string("UPDATE Parohia SET Tip_unitate = '") + kind + "'");
        const auto pages = printFromMenu(w, 2);
        EXPECT_EQ(
            (QStringList{pages[0].textOf("QRLabel9"), pages[0].textOf("QRLabel16"), pages.back().textOf("QRLabel12")}),
            captions);
    }
}

// Lines added one by one move the budget's end over a page's end: the
// signatures never stand alone, a long line name wraps, every text is whole.
TEST_F(BudgetWindow, TheSignaturesFollowTheLastLinesAndLongNamesWrap) {
    open();
    const std::string longName = "Cheltuieli " + std::string(89, 'x').replace(10, 1, " ").replace(50, 1, " ");
    TempDir out;
    const QString file = QString::fromStdString(out.file("buget.qrp"));
    int alone = 0;
    for (int n = 0; n < 24; ++n) {  // about a page of lines
        data::insertRows(db.file("Bilant.DB"), {"Nr_rand", "Denumire", "Executie"}, {{1100 + n, longName, 5.0}});
        ASSERT_EQ(budget::PrintBilant(nullptr, "01/01/2014", "12/05/2014", "Executie", false, {file, {}}),
                  reports::RunResult::Done);
        const auto pages = reports::PreparedReport::load(file).value().pages;
        const QStringList last = rt::bodyBands(pages.back());
        EXPECT_EQ(last.last(), QStringLiteral("SummaryBand1"));
        EXPECT_TRUE(last.contains(QStringLiteral("DetailBand1"))) << n << " lines added";
        alone += last.size() <= 5;
        const auto wrapped = pages.back().bandsNamed(QStringLiteral("DetailBand1")).back();
        EXPECT_GT(wrapped.height, 7.9 + 1);  // the long name's second line
        EXPECT_EQ(pages.back().textsOf("QRDBText1").last(), QString::fromStdString(longName));
        rt::expectTextsFit(pages);
    }
    EXPECT_GT(alone, 0);  // some budget ended right at a page's end
}

// Both budget grids: a cell entered by the keys takes a new amount, F2 amends it.
TEST_F(BudgetWindow, AmountsAreTypedOverAndShownWholeInBothBudgetGrids) {
    auto central = std::make_unique<budget::TBilantCentralFrm>(nullptr);
    central->openTables();
    for (QWidget* w : {static_cast<QWidget*>(open()), static_cast<QWidget*>(central.get())}) {
        auto* g = control<ui::TDBGridNormal>(w, w == central.get() ? "DBGrid" : "DBGrid1");
        gui::showActive(w);
        gui::focus(g);
        for (const char* typed : {"5000", "-250"}) gui::type(typed), gui::key(Qt::Key_Down);
        for (int k : {Qt::Key_Up, Qt::Key_F2, Qt::Key_5}) gui::key(k);
        EXPECT_EQ(g->inplaceEditor()->text(), QStringLiteral("-250.005"));  // amended in place
        data::DataSet& ds = *g->dataSource()->dataSet();
        const int planned = ds.fieldByName("Prevederi").index();
        EXPECT_EQ(std::pair(ds.rowValues(0).at(planned), ds.rowValues(1).at(planned)),
                  std::pair(Value(5000.0), Value(-250.0)));
        EXPECT_LT(w->minimumWidth(), w->maximumWidth());  // resizable, the name column stretching
        const int margins = 2 * (g->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, g) + 1) + 1;
        for (int c : {2, 3})
            EXPECT_GE(g->columnWidth(c) - margins, g->fontMetrics().horizontalAdvance("99,999,999,999.99"));
    }
}
