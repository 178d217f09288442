// The run conventions: interval dialog, print dialog and its margin rules,
// printable area and paper numbers, applying the settings, the run sequence.
// Dialog controls are reached by their names in the layouts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QtTest/QTest>

#include "ReportTestSupport.h"
#include "controls/DateEdit.h"
#include "data/Errors.h"
#include "reports/Intrvdlg.h"
#include "reports/Preview.h"
#include "reports/Qprndlg.h"
#include "reports/ReportRun.h"
#include "shell/Messages.h"
#include "support/GuiDriver.h"
#include "support/TempDir.h"

using namespace reports;
using gui::control;

namespace {

QSpinBox* spin(QWidget* dlg, const char* name) { return control<QSpinBox>(dlg, name); }
QPushButton* button(QWidget* dlg, const char* name) { return control<QPushButton>(dlg, name); }
QRadioButton* radio(QWidget* dlg, const char* name) { return control<QRadioButton>(dlg, name); }
ui::TDateEdit* dateEdit(QWidget* dlg, const char* name) { return control<ui::TDateEdit>(dlg, name); }
QString labelText(QWidget* dlg, const char* name) { return control<QLabel>(dlg, name)->text(); }

// Replaces the text of a spin box or edit as typed keys, as a user does.
void typeInto(QWidget* w, const QString& text) {
    w->setFocus();
    if (auto* s = qobject_cast<QSpinBox*>(w)) s->selectAll();
    if (auto* e = qobject_cast<QLineEdit*>(w)) e->selectAll();
    QTest::keyClicks(w, text);
}

}  // namespace

// ------------------------------------------------------------------ interval dialog

class IntervalDialog : public ::testing::Test {
protected:
    gui::Recorder rec;
};

TEST_F(IntervalDialog, CaptionsAndEqualDatesAccepted) {
    TIntervalDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Setati intervalul dorit:"));
    EXPECT_EQ(labelText(&dlg, "FirstLbl"), QStringLiteral("&De la data de :"));
    EXPECT_EQ(labelText(&dlg, "LastLbl"), QStringLiteral("&pana în data:"));
    EXPECT_EQ(button(&dlg, "CancelBtn")->text(), QStringLiteral("&Inchide"));
    EXPECT_EQ(button(&dlg, "CancelBtn")->toolTip(), QStringLiteral("Renunt"));
    EXPECT_EQ(button(&dlg, "OKBtn")->text(), QStringLiteral("D&eschide"));
    EXPECT_EQ(button(&dlg, "OKBtn")->toolTip(), QStringLiteral("Sunt de acord"));
    dlg.setInterval({2007, 3, 1}, {2007, 3, 1});
    dlg.show();
    button(&dlg, "OKBtn")->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(gui::Recorder::messages().isEmpty());
}

TEST_F(IntervalDialog, ReversedIntervalRefusedByButtonAndByEnter) {
    TIntervalDlg dlg;
    dlg.setInterval({2007, 3, 2}, {2007, 3, 1});
    gui::showActive(&dlg);
    auto* first = dateEdit(&dlg, "FirstDateEdit");
    auto* last = dateEdit(&dlg, "LastDateEdit");
    EXPECT_EQ(gui::focusName(), QStringLiteral("FirstDateEdit"));
    const QString warning = QStringLiteral("Intervalul de timp nu este corect! 01.03.2007 < 02.03.2007");

    button(&dlg, "OKBtn")->click();
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_EQ(gui::Recorder::messages(), QStringList{warning});
    EXPECT_EQ(ui::Messages::history().back().type, ui::MsgType::Warning);

    // Enter in the first date moves on; Enter in the second confirms, and is refused
    gui::key(Qt::Key_Return);
    EXPECT_EQ(gui::focusName(), QStringLiteral("LastDateEdit"));
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(gui::Recorder::messages().size(), 1);
    gui::key(Qt::Key_Return);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(gui::Recorder::messages(), (QStringList{warning, warning}));

    // typing a correct first date and Enter in the second closes it
    typeInto(first, QStringLiteral("01032007"));
    EXPECT_EQ(first->text(), QStringLiteral("01/03/2007"));
    QTest::keyClick(last, Qt::Key_Enter);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(gui::Recorder::messages().size(), 2);
}

TEST_F(IntervalDialog, TextThatIsNoDateFallsBackToTheLastDate) {
    TIntervalDlg dlg;
    dlg.setInterval({2007, 3, 2}, {2007, 3, 1});
    dateEdit(&dlg, "LastDateEdit")->setText(QStringLiteral("31/02/2007"));
    dlg.show();
    button(&dlg, "OKBtn")->click();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dateEdit(&dlg, "LastDateEdit")->text(), QStringLiteral("01/03/2007"));
    EXPECT_EQ(gui::Recorder::messages(),
              QStringList{QStringLiteral("Intervalul de timp nu este corect! 01.03.2007 < 02.03.2007")});
}

TEST_F(IntervalDialog, SelectIntervalWritesBackOnlyOnConfirmation) {
    data::Date start{2007, 1, 15}, end{2007, 1, 31};
    gui::onModal([](QWidget* d) {
        EXPECT_EQ(dateEdit(d, "FirstDateEdit")->text(), QStringLiteral("15/01/2007"));
        dateEdit(d, "FirstDateEdit")->setValue({2007, 1, 20});
        button(d, "OKBtn")->click();
    });
    ASSERT_TRUE(SelectInterval(nullptr, start, end));
    EXPECT_EQ(start, (data::Date{2007, 1, 20}));
    EXPECT_EQ(end, (data::Date{2007, 1, 31}));

    // Enter on the focused "&Inchide" cancels
    bool closedByEnter = false;
    gui::onModal([&](QWidget* d) {
        dateEdit(d, "FirstDateEdit")->setValue({2006, 1, 1});
        gui::focus(button(d, "CancelBtn"));
        gui::keyIn(d, Qt::Key_Return);
        closedByEnter = !d->isVisible();
        if (!closedByEnter) d->close();
    });
    EXPECT_FALSE(SelectInterval(nullptr, start, end));
    EXPECT_TRUE(closedByEnter);
    EXPECT_EQ(start, (data::Date{2007, 1, 20}));
}

// ------------------------------------------------------------------ printable area, paper numbers

TEST(PrintableArea, MillimetresFromDeviceMeasures) {
    rt::FixedPrinter p4(4);
    PrintableArea a = GetPrintableArea(p4);
    EXPECT_EQ(a.MinLeft, 4);
    EXPECT_EQ(a.MinTop, 4);
    EXPECT_EQ(a.MinRight, 4);
    EXPECT_EQ(a.MinBottom, 4);
    EXPECT_EQ(a.PageWidth, 210);
    EXPECT_EQ(a.PageHeight, 297);
    rt::FixedPrinter p0(0);
    a = GetPrintableArea(p0);
    EXPECT_EQ(a.MinLeft, 0);  // 0 + 0.5 rounds to the even 0
    p0.setOrientation(Orientation::Landscape);
    EXPECT_EQ(GetPrintableArea(p0).PageWidth, 297);

    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(2.51), 3);
    EXPECT_EQ(roundHalfEven(3.49), 3);
}

TEST(PrintableArea, PaperSizeNumbers) {
    for (int n = 1; n <= 23; ++n) EXPECT_EQ(PaperCodeOf(n), n);
    const std::pair<int, int> rest[] = {{24, 39},  {25, 40},  {26, 41}, {27, 265}, {28, 263},
                                        {29, 269}, {30, 375}, {31, 26}, {32, 256}};
    for (auto [n, code] : rest) {
        EXPECT_EQ(PaperCodeOf(n), code);
        EXPECT_EQ(PaperNumberOf(code), n);
    }
    EXPECT_EQ(PaperNumberOf(9), 9);
    EXPECT_EQ(PaperNumberOf(70), 0);
    EXPECT_EQ(PaperCodeOf(0), 0);
    EXPECT_EQ(paperSizeMm(9, Orientation::Landscape), QSizeF(297, 210));
}

// ------------------------------------------------------------------ print dialog

class PrintDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ResetPrintSettings();
        usePrinter(0);
    }
    void TearDown() override {
        setCurrentPrinter(nullptr);
        TQRPrnDlg::fontChooser = nullptr;
        ResetPrintSettings();
    }
    rt::FixedPrinter* usePrinter(double border) {
        auto p = std::make_unique<rt::FixedPrinter>(border);
        printer = p.get();
        setCurrentPrinter(std::move(p));
        return printer;
    }
    static QSpinBox* margin(QWidget* dlg, const char* name) { return spin(dlg, name); }
    static QStringList margins(QWidget* dlg) {
        QStringList l;
        for (const char* n : {"TopEdit", "BottomEdit", "LeftEdit", "RightEdit"})
            l << QString::number(spin(dlg, n)->value());
        return l;
    }
    static QWidget* currentTab(QWidget* dlg) { return control<QTabWidget>(dlg, "PageControl")->currentWidget(); }

    gui::Recorder rec;
    rt::FixedPrinter* printer = nullptr;
};

TEST_F(PrintDialog, FirstRunShowsTheStartValues) {
    SetReportDefaults(8, Orientation::Portrait);
    TQRPrnDlg dlg;
    dlg.loadSettings();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Setari pentru listarea rapoarte"));
    auto* tabs = control<QTabWidget>(&dlg, "PageControl");
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Listare "));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Pagina"));
    EXPECT_EQ(tabs->currentWidget(), control<QWidget>(&dlg, "ListareTab"));
    EXPECT_FALSE(control<QCheckBox>(&dlg, "CBPrev")->isChecked());
    EXPECT_EQ(control<QCheckBox>(&dlg, "CBPrev")->text(), QStringLiteral("&Afisare pe ecran"));
    EXPECT_TRUE(radio(&dlg, "RBAll")->isChecked());
    EXPECT_EQ(radio(&dlg, "RBAll")->text(), QStringLiteral("&Listeaza tot"));
    EXPECT_EQ(radio(&dlg, "RBPartial")->text(), QStringLiteral("Listeaza pa&rtial"));
    EXPECT_FALSE(spin(&dlg, "FirstPageSpin")->isEnabled());
    EXPECT_FALSE(spin(&dlg, "LastPageSpin")->isEnabled());
    EXPECT_EQ(spin(&dlg, "CopiesSpin")->value(), 1);
    EXPECT_EQ(spin(&dlg, "CopiesSpin")->maximum(), 1000);
    EXPECT_EQ(labelText(&dlg, "FontLbl"), QStringLiteral("Arial   8"));
    EXPECT_EQ(labelText(&dlg, "PrinterLbl"), QStringLiteral("Imprimanta test"));
    EXPECT_EQ(margins(&dlg), (QStringList{"5", "5", "5", "5"}));
    EXPECT_EQ(labelText(&dlg, "LeftLbl"), QStringLiteral("S&tînga:"));
    EXPECT_EQ(spin(&dlg, "LeftEdit")->maximum(), 210);
    EXPECT_EQ(spin(&dlg, "TopEdit")->maximum(), 297);
    EXPECT_TRUE(radio(&dlg, "CBPortrait")->isChecked());
    EXPECT_EQ(radio(&dlg, "CBLandscape")->text(), QStringLiteral("Pei&saj"));
    EXPECT_EQ(button(&dlg, "PrnBtn")->text(), QStringLiteral("Imprima&nta"));
    EXPECT_EQ(button(&dlg, "FntBtn")->text(), QStringLiteral("&Font"));
    EXPECT_EQ(button(&dlg, "OKBtn")->text(), QStringLiteral("&Printeaza"));
    EXPECT_EQ(button(&dlg, "OKBtn")->toolTip(), QStringLiteral("Sunt de acord"));
    EXPECT_EQ(button(&dlg, "CancelBtn")->toolTip(), QStringLiteral("Renunt"));

    // a printer with a wider border than the stored margins raises them
    usePrinter(7);
    TQRPrnDlg dlg7;
    dlg7.loadSettings();
    EXPECT_EQ(margins(&dlg7), (QStringList{"7", "7", "7", "7"}));
    EXPECT_EQ(PrintSettings.MinLeft, 7);
}

TEST_F(PrintDialog, PreviewChoiceStaysForLaterRuns) {
    {
        TQRPrnDlg dlg;
        dlg.loadSettings();
        dlg.show();
        control<QCheckBox>(&dlg, "CBPrev")->click();
        spin(&dlg, "CopiesSpin")->setValue(3);
        button(&dlg, "OKBtn")->click();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
    EXPECT_TRUE(PrintSettings.Preview);
    EXPECT_EQ(PrintSettings.Copies, 3);
    EXPECT_EQ(PrintSettings.FirstPage, 0);
    EXPECT_EQ(PrintSettings.LastPage, 0);
    TQRPrnDlg again;
    again.loadSettings();
    EXPECT_TRUE(control<QCheckBox>(&again, "CBPrev")->isChecked());
}

TEST_F(PrintDialog, EnterPressesTheFocusedButtonElseTheDefaultOne) {
    // Enter on "&Imprimanta" opens the printer set-up and the dialog stays;
    // Enter on "&Inchide" cancels
    bool openAfterSetup = false, closedByEnter = false;
    gui::onModal([&](QWidget* d) {
        gui::focus(button(d, "PrnBtn"));
        gui::keyIn(d, Qt::Key_Return);
        openAfterSetup = d->isVisible();
        gui::focus(button(d, "CancelBtn"));
        gui::keyIn(d, Qt::Key_Return);
        closedByEnter = !d->isVisible();
        if (!closedByEnter) button(d, "CancelBtn")->click();
    });
    EXPECT_FALSE(ExecutePrintDialog(nullptr));
    EXPECT_EQ(printer->setupCalls, 1);
    EXPECT_TRUE(openAfterSetup);
    EXPECT_TRUE(closedByEnter);

    // Enter in a spin box presses "&Printeaza"
    closedByEnter = false;
    gui::onModal([&](QWidget* d) {
        typeInto(spin(d, "CopiesSpin"), QStringLiteral("3"));
        gui::keyIn(d, Qt::Key_Enter);
        closedByEnter = !d->isVisible();
        if (!closedByEnter) button(d, "CancelBtn")->click();
    });
    EXPECT_TRUE(ExecutePrintDialog(nullptr));
    EXPECT_TRUE(closedByEnter);
    EXPECT_EQ(PrintSettings.Copies, 3);
}

TEST_F(PrintDialog, MarginPairNeverExceedsThePage) {
    TQRPrnDlg dlg;
    dlg.loadSettings();
    gui::showActive(&dlg);
    control<QTabWidget>(&dlg, "PageControl")->setCurrentWidget(control<QWidget>(&dlg, "PaginaTab"));
    typeInto(margin(&dlg, "RightEdit"), QStringLiteral("70"));
    EXPECT_EQ(margin(&dlg, "RightEdit")->value(), 70);
    typeInto(margin(&dlg, "LeftEdit"), QStringLiteral("150"));
    EXPECT_EQ(margin(&dlg, "LeftEdit")->value(), 140);
    EXPECT_EQ(margin(&dlg, "RightEdit")->value(), 70);
    typeInto(margin(&dlg, "TopEdit"), QStringLiteral("295"));
    EXPECT_EQ(margin(&dlg, "TopEdit")->value(), 292);  // 297 - 5
    EXPECT_EQ(margin(&dlg, "BottomEdit")->value(), 5);
}

TEST_F(PrintDialog, MarginUnderTheBorderAnsweredYes) {
    usePrinter(4);
    TQRPrnDlg dlg;
    dlg.loadSettings();
    gui::showActive(&dlg);
    margin(&dlg, "LeftEdit")->setValue(0);
    rec.answerYes = true;
    button(&dlg, "OKBtn")->click();
    ASSERT_EQ(gui::Recorder::messages(),
              QStringList{QStringLiteral("Cel putin o margine este prea mica pentru a intra în zona imprimabila!\n"
                                         "Doriti ajustarea marginilor respective?")});
    EXPECT_EQ(ui::Messages::history().back().buttons, ui::Yes | ui::No);
    EXPECT_EQ(ui::Messages::history().back().type, ui::MsgType::Warning);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(margin(&dlg, "LeftEdit")->value(), 4);
    EXPECT_EQ(currentTab(&dlg), control<QWidget>(&dlg, "PaginaTab"));
    EXPECT_EQ(gui::focusName(&dlg), QStringLiteral("LeftEdit"));
    // the margins are now inside the printable area
    button(&dlg, "OKBtn")->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(PrintSettings.LeftMargin, 4);

    // a pair filling the page falls back to both borders
    TQRPrnDlg pair;
    pair.loadSettings();
    gui::showActive(&pair);
    margin(&pair, "TopEdit")->setValue(150);
    margin(&pair, "BottomEdit")->setValue(147);
    margin(&pair, "RightEdit")->setValue(2);
    button(&pair, "OKBtn")->click();
    EXPECT_EQ(margins(&pair), (QStringList{"4", "4", "4", "4"}));
    EXPECT_EQ(gui::focusName(&pair), QStringLiteral("BottomEdit"));
}

TEST_F(PrintDialog, MarginUnderTheBorderAnsweredNoStillReachesTheReportAtTheBorder) {
    usePrinter(4);
    TQRPrnDlg dlg;
    dlg.loadSettings();
    dlg.show();
    margin(&dlg, "LeftEdit")->setValue(0);
    rec.answerYes = false;
    button(&dlg, "OKBtn")->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(PrintSettings.LeftMargin, 0);
    EXPECT_EQ(PrintSettings.MinLeft, 4);

    TempDir dir;
    rt::makeRegister(dir.path(), {{data::Date{2007, 1, 1}, "a", 1, 0}});
    auto t = rt::openRegister(dir.path());
    Report rep;
    rep.setDataSet(t.get());
    rep.addBand(BandType::Detail, QStringLiteral("D"), 5)
        .addField(QStringLiteral("F"), 0, 0, 20, 5, QStringLiteral("Explicatii"));
    PrintSettings.Preview = true;
    double leftShown = -1;
    gui::onModal<TQRPreview>([&](TQRPreview* pv) {
        leftShown = pv->prepared().pages.at(0).findElement(QStringLiteral("F"))->box.left();
        pv->closeButton()->click();
    });
    ApplyPrintSettings(rep);
    EXPECT_DOUBLE_EQ(rep.leftMargin, 4);
    EXPECT_DOUBLE_EQ(leftShown, 4);
}

TEST_F(PrintDialog, PartialRangeFromPageThree) {
    TQRPrnDlg dlg;
    dlg.loadSettings();
    gui::showActive(&dlg);
    auto* first = spin(&dlg, "FirstPageSpin");
    auto* last = spin(&dlg, "LastPageSpin");
    radio(&dlg, "RBPartial")->click();
    EXPECT_TRUE(first->isEnabled());
    EXPECT_TRUE(last->isEnabled());
    EXPECT_EQ(gui::focusName(&dlg), QStringLiteral("FirstPageSpin"));
    typeInto(first, QStringLiteral("3"));
    EXPECT_EQ(last->minimum(), 3);
    EXPECT_EQ(last->value(), 3);
    last->setValue(2);
    EXPECT_EQ(last->value(), 3);
    last->setValue(7);
    button(&dlg, "OKBtn")->click();
    EXPECT_EQ(PrintSettings.FirstPage, 3);
    EXPECT_EQ(PrintSettings.LastPage, 7);

    TQRPrnDlg all;
    all.loadSettings();
    radio(&all, "RBAll")->click();
    EXPECT_FALSE(spin(&all, "FirstPageSpin")->isEnabled());
    button(&all, "OKBtn")->click();
    EXPECT_EQ(PrintSettings.FirstPage, 0);
    EXPECT_EQ(PrintSettings.LastPage, 0);
}

TEST_F(PrintDialog, OrientationChangesThePrinterAndCancelRestoresIt) {
    TQRPrnDlg dlg;
    dlg.loadSettings();
    dlg.show();
    radio(&dlg, "CBLandscape")->click();
    EXPECT_EQ(printer->orientation(), Orientation::Landscape);
    EXPECT_EQ(margin(&dlg, "LeftEdit")->maximum(), 297);
    EXPECT_EQ(margin(&dlg, "TopEdit")->maximum(), 210);
    button(&dlg, "CancelBtn")->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(printer->orientation(), Orientation::Portrait);
    EXPECT_EQ(PrintSettings.Orientation, Orientation::Portrait);

    TQRPrnDlg ok;
    ok.loadSettings();
    ok.show();
    radio(&ok, "CBLandscape")->click();
    button(&ok, "OKBtn")->click();
    EXPECT_EQ(PrintSettings.Orientation, Orientation::Landscape);
    EXPECT_EQ(printer->orientation(), Orientation::Landscape);
}

TEST_F(PrintDialog, PrinterSetupAndPaperOutsideTheList) {
    SetReportDefaults(8, Orientation::Portrait);
    TQRPrnDlg dlg;
    dlg.loadSettings();
    EXPECT_EQ(printer->paperCode(), 9);
    printer->onSetup = [](rt::FixedPrinter& p) {
        p.setPaperCode(70);
        p.setOrientation(Orientation::Landscape);
    };
    dlg.show();
    button(&dlg, "PrnBtn")->click();
    EXPECT_EQ(printer->setupCalls, 1);
    EXPECT_TRUE(radio(&dlg, "CBLandscape")->isChecked());
    button(&dlg, "OKBtn")->click();
    EXPECT_EQ(PrintSettings.PaperSize, 0);
    EXPECT_EQ(PrintSettings.Orientation, Orientation::Landscape);
    EXPECT_EQ(printer->orientation(), Orientation::Landscape);

    printer->onSetup = [](rt::FixedPrinter& p) { p.setPaperCode(39); };
    TQRPrnDlg known;
    known.loadSettings();
    button(&known, "PrnBtn")->click();
    button(&known, "OKBtn")->click();
    EXPECT_EQ(PrintSettings.PaperSize, 24);
}

TEST_F(PrintDialog, FontChoiceLimitedToFiveToFortyEight) {
    SetReportDefaults(8, Orientation::Portrait);
    TReportFontDlg fd;
    EXPECT_EQ(spin(&fd, "SizeSpin")->minimum(), 5);
    EXPECT_EQ(spin(&fd, "SizeSpin")->maximum(), 48);
    fd.setReportFont(QStringLiteral("Arial"), 8);
    EXPECT_EQ(fd.fontName(), QStringLiteral("Arial"));  // kept while the family is not changed
    EXPECT_EQ(fd.fontSize(), 8);

    TQRPrnDlg::fontChooser = [](QWidget*, QString& name, int& size) {
        name = QStringLiteral("Times New Roman");
        size = 60;
        return true;
    };
    TQRPrnDlg dlg;
    dlg.loadSettings();
    button(&dlg, "FntBtn")->click();
    EXPECT_EQ(labelText(&dlg, "FontLbl"), QStringLiteral("Times New Roman   48"));
    button(&dlg, "OKBtn")->click();
    EXPECT_EQ(PrintSettings.FontName, QStringLiteral("Times New Roman"));
    EXPECT_EQ(PrintSettings.FontSize, 48);

    TQRPrnDlg::fontChooser = [](QWidget*, QString& name, int&) {
        name = QString(40, QLatin1Char('X'));
        return true;
    };
    TQRPrnDlg longName;
    longName.loadSettings();
    button(&longName, "FntBtn")->click();
    button(&longName, "OKBtn")->click();
    EXPECT_EQ(PrintSettings.FontName.size(), 30);
}

TEST_F(PrintDialog, ExecutePrintDialogConfirmsOrCancels) {
    gui::onModal([](QWidget* d) {
        spin(d, "CopiesSpin")->setValue(2);
        button(d, "OKBtn")->click();
    });
    EXPECT_TRUE(ExecutePrintDialog(nullptr));
    EXPECT_EQ(PrintSettings.Copies, 2);
    gui::onModal([](QWidget* d) {
        spin(d, "CopiesSpin")->setValue(9);
        button(d, "CancelBtn")->click();
    });
    EXPECT_FALSE(ExecutePrintDialog(nullptr));
    EXPECT_EQ(PrintSettings.Copies, 2);
}

TEST_F(PrintDialog, WithoutPrinterTheDialogSaysSoAndOpens) {
    setCurrentPrinter(makeSystemPrinter());
    if (!currentPrinter().isPdfFile()) GTEST_SKIP() << "a printer is installed on this machine";
    TQRPrnDlg dlg;
    dlg.loadSettings();
    EXPECT_TRUE(labelText(&dlg, "PrinterLbl").startsWith(QStringLiteral("Nicio imprimanta instalata")));
    EXPECT_EQ(margin(&dlg, "LeftEdit")->maximum(), 210);
    button(&dlg, "OKBtn")->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(PrintSettings.PaperSize, 9);
}

// ------------------------------------------------------------------ run sequence

namespace {

struct RunLog {
    int opened = 0, closed = 0;
};

class TestForm : public TReportForm {
public:
    TestForm(QWidget* owner, RunLog& log, const std::string& dir, bool fail, bool empty)
        : TReportForm(owner), log_(log), dir_(dir), fail_(fail), empty_(empty) {}
    void openData() override {
        ++log_.opened;
        if (fail_) throw data::EngineError("Table is busy");
        table_ = rt::openRegister(dir_);
        Rep.loadLayout(QString::fromUtf8(rt::kRegisterLayout));
        Rep.setDataSet(table_.get(), QStringLiteral("TRegistru"));
        Rep.item("PageNumberLabel").onPrint = [this](Item&, QString& t) {
            t += QStringLiteral(" din ") + QString::number(pageCount);
        };
    }
    bool hasData() override { return !empty_; }
    void closeData() override {
        ++log_.closed;
        if (table_) table_->close();
    }

private:
    RunLog& log_;
    std::string dir_;
    bool fail_, empty_;
    std::unique_ptr<data::Table> table_;
};

const QString kRegisterStatus = QStringLiteral("Parametrii de listare impliciti: Arial, 8, A4, Peisaj");

}  // namespace

class RunSequence : public PrintDialog {
protected:
    void SetUp() override {
        PrintDialog::SetUp();
        std::vector<rt::Row> rows;
        for (int i = 1; i <= 24; ++i) rows.push_back({data::Date{2007, 3, (i + 2) / 3}, "r", 100.0 * i, 0});
        rt::makeRegister(dir.path(), rows);
    }
    RunResult runWith(bool fail, bool empty, ReportRunOptions opt = {}) {
        if (opt.statusText.isEmpty()) opt.statusText = kRegisterStatus;
        return RunReport(nullptr, opt, [&](QWidget* owner) {
            auto f = std::make_unique<TestForm>(owner, log, dir.path(), fail, empty);
            form = f.get();
            return f;
        });
    }
    RunLog log;
    TempDir dir;
    TestForm* form = nullptr;
};

TEST_F(RunSequence, CancelInThePrintDialog) {
    gui::onModal([](QWidget* d) { button(d, "CancelBtn")->click(); });
    EXPECT_EQ(runWith(false, false), RunResult::Cancelled);
    EXPECT_EQ(rec.status, (QStringList{kRegisterStatus, QStringLiteral(" OK.")}));
    EXPECT_EQ(form, nullptr);
    EXPECT_EQ(PrintSettings.FontName, QStringLiteral("Arial"));
    EXPECT_EQ(PrintSettings.PaperSize, 9);
}

TEST_F(RunSequence, PreviewWithPageCountThenOk) {
    ReportRunOptions opt;
    opt.fontSize = 8;
    opt.countPages = true;
    QStringList footers;
    gui::onModal([&](QWidget* d) {
        EXPECT_EQ(labelText(d, "FontLbl"), QStringLiteral("Arial   8"));
        control<QCheckBox>(d, "CBPrev")->setChecked(true);
        gui::onModal<TQRPreview>([&](TQRPreview* pv) {
            EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // normal cursor while previewing
            for (const Page& p : pv->prepared().pages) footers << p.textOf(QStringLiteral("PageNumberLabel"));
            pv->closeButton()->click();
        });
        button(d, "OKBtn")->click();
    });
    EXPECT_EQ(runWith(false, false, opt), RunResult::Done);
    EXPECT_EQ(footers, (QStringList{"Pag.1 din 3", "Pag.2 din 3", "Pag.3 din 3"}));
    EXPECT_EQ(rec.status, (QStringList{kRegisterStatus, QStringLiteral(" Listez..."), QStringLiteral(" OK.")}));
    EXPECT_EQ(log.opened, 1);
    EXPECT_EQ(log.closed, 1);
    EXPECT_TRUE(gui::Recorder::messages().isEmpty());
}

TEST_F(RunSequence, AccessErrorKeepsTheListingStatus) {
    gui::onModal([](QWidget* d) { button(d, "OKBtn")->click(); });
    EXPECT_EQ(runWith(true, false), RunResult::AccessError);
    ASSERT_EQ(gui::Recorder::messages(),
              QStringList{QStringLiteral("Eroare de acces la baza de date!\n<Table is busy>!")});
    EXPECT_EQ(ui::Messages::history().back().type, ui::MsgType::Error);
    EXPECT_EQ(rec.status.last(), QStringLiteral(" Listez..."));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(log.closed, 1);
}

TEST_F(RunSequence, EmptyDataMessageWithTheDefaultOrTheReportsText) {
    ReportRunOptions opt;
    opt.emptyDataCheck = true;
    gui::onModal([](QWidget* d) { button(d, "OKBtn")->click(); });
    EXPECT_EQ(runWith(false, true, opt), RunResult::NoData);
    ASSERT_EQ(gui::Recorder::messages(), QStringList{QStringLiteral("Nu exista date in aceasta perioada!")});
    EXPECT_EQ(ui::Messages::history().back().type, ui::MsgType::Error);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(log.closed, 1);
    EXPECT_EQ(rec.status.last(), QStringLiteral(" Listez..."));

    gui::Recorder::clear();
    opt.noDataText = QStringLiteral("Nu exista niciun produs în stoc!");
    gui::onModal([](QWidget* d) { button(d, "OKBtn")->click(); });
    EXPECT_EQ(runWith(false, true, opt), RunResult::NoData);
    EXPECT_EQ(gui::Recorder::messages(), QStringList{opt.noDataText});
}

TEST_F(RunSequence, PreCheckRefusesBeforeTheStatusTextAndTheDialog) {
    ReportRunOptions opt;
    int checks = 0;
    opt.preCheck = [&](QWidget*) {
        ++checks;
        return QStringLiteral("Nu exista o plata salvată!");
    };
    bool dialogShown = false;
    {
        // closes a print dialog that should not have opened
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (QWidget* m = QApplication::activeModalWidget()) {
                dialogShown = true;
                m->close();
            }
        });
        closer.start(10);
        EXPECT_EQ(runWith(false, false, opt), RunResult::Refused);
    }
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(gui::Recorder::messages(), QStringList{QStringLiteral("Nu exista o plata salvată!")});
    EXPECT_EQ(ui::Messages::history().back().type, ui::MsgType::Warning);
    EXPECT_TRUE(rec.status.isEmpty());
    EXPECT_EQ(form, nullptr);

    // an engine error in the check is the access error
    gui::Recorder::clear();
    opt.preCheck = [](QWidget*) -> QString { throw data::EngineError("Table is busy"); };
    EXPECT_EQ(runWith(false, false, opt), RunResult::AccessError);
    EXPECT_EQ(gui::Recorder::messages(),
              QStringList{QStringLiteral("Eroare de acces la baza de date!\n<Table is busy>!")});
    EXPECT_TRUE(rec.status.isEmpty());

    // an empty text lets the run go on
    opt.preCheck = [](QWidget*) { return QString(); };
    gui::onModal([](QWidget* d) { button(d, "CancelBtn")->click(); });
    EXPECT_EQ(runWith(false, false, opt), RunResult::Cancelled);
    EXPECT_EQ(rec.status, (QStringList{kRegisterStatus, QStringLiteral(" OK.")}));
}

TEST_F(RunSequence, PrintingGoesToTheFileWithoutPrinterAndLedgersKeepTheSize) {
    TempDir out;
    const QString path = QString::fromStdString(out.file("registru.pdf"));
    setPdfFileChooser([&](QWidget*, const QString&) { return path; });
    ReportRunOptions budget;
    budget.fontSize = 11;
    gui::onModal([](QWidget* d) { button(d, "OKBtn")->click(); });
    EXPECT_EQ(runWith(false, false, budget), RunResult::Done);
    EXPECT_TRUE(QFile::exists(path));
    // a ledger run keeps the size the budget left
    ReportRunOptions ledger;
    QString fontShown;
    gui::onModal([&](QWidget* d) {
        fontShown = labelText(d, "FontLbl");
        button(d, "CancelBtn")->click();
    });
    EXPECT_EQ(runWith(false, false, ledger), RunResult::Cancelled);
    EXPECT_EQ(fontShown, QStringLiteral("Arial   11"));
    setPdfFileChooser(nullptr);
}
