// The run conventions: interval dialog, print dialog and its margin rules,
// printable area and paper numbers, applying the settings, the run sequence.
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
#include "shell/Messages.h"
#include "data/Errors.h"
#include "reports/Intrvdlg.h"
#include "reports/Preview.h"
#include "reports/Qprndlg.h"
#include "reports/ReportRun.h"
#include "support/TempDir.h"

using namespace reports;

namespace {


void typeInto(QWidget* w, const QString& text) {
    w->setFocus();
    if (auto* spin = qobject_cast<QSpinBox*>(w)) spin->selectAll();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->selectAll();
    }
    QTest::keyClicks(w, text);
}

class MessagesAnswered : public ::testing::Test {
protected:
    void SetUp() override {
        ui::Messages::clearHistory();
        ui::Messages::setResponder([this](ui::MessageRecord& m) { return answer(m); });
    }
    void TearDown() override { ui::Messages::clearResponder(); }
    std::function<int(ui::MessageRecord&)> answer = [](ui::MessageRecord&) { return ui::Ok; };
    static QStringList shown() {
        QStringList out;
        for (const auto& m : ui::Messages::history()) out << m.text;
        return out;
    }
};

}  // namespace

// ------------------------------------------------------------------ interval dialog

class IntervalDialog : public MessagesAnswered {};

TEST_F(IntervalDialog, CaptionsAndEqualDatesAccepted) {
    TIntervalDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Setati intervalul dorit:"));
    EXPECT_EQ(dlg.FirstLbl->text(), QStringLiteral("&De la data de :"));
    EXPECT_EQ(dlg.LastLbl->text(), QStringLiteral("&pana în data:"));
    EXPECT_EQ(dlg.CancelBtn->text(), QStringLiteral("&Inchide"));
    EXPECT_EQ(dlg.CancelBtn->toolTip(), QStringLiteral("Renunt"));
    EXPECT_EQ(dlg.OKBtn->text(), QStringLiteral("&Deschide"));
    EXPECT_EQ(dlg.OKBtn->toolTip(), QStringLiteral("Sunt de acord"));
    dlg.FirstDateEdit->setValue({2007, 3, 1});
    dlg.LastDateEdit->setValue({2007, 3, 1});
    dlg.show();
    dlg.OKBtn->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(shown().isEmpty());
}

TEST_F(IntervalDialog, ReversedIntervalRefusedByButtonAndByEnter) {
    TIntervalDlg dlg;
    dlg.FirstDateEdit->setValue({2007, 3, 2});
    dlg.LastDateEdit->setValue({2007, 3, 1});
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    EXPECT_EQ(QApplication::focusWidget(), dlg.FirstDateEdit);
    const QString warning = QStringLiteral("Intervalul de timp nu este corect! 01.03.2007 < 02.03.2007");

    dlg.OKBtn->click();
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_EQ(shown(), QStringList{warning});
    EXPECT_EQ(ui::Messages::history().back().type, ui::MsgType::Warning);

    // Enter in the first date moves on; Enter in the second confirms, and is refused
    QTest::keyClick(dlg.FirstDateEdit, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), dlg.LastDateEdit);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(shown().size(), 1);
    QTest::keyClick(dlg.LastDateEdit, Qt::Key_Return);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(shown(), (QStringList{warning, warning}));

    // typing a correct first date and Enter in the second closes it
    typeInto(dlg.FirstDateEdit, QStringLiteral("01032007"));
    EXPECT_EQ(dlg.FirstDateEdit->text(), QStringLiteral("01/03/2007"));
    QTest::keyClick(dlg.LastDateEdit, Qt::Key_Enter);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(shown().size(), 2);
}

TEST_F(IntervalDialog, TextThatIsNoDateFallsBackToTheLastDate) {
    TIntervalDlg dlg;
    dlg.FirstDateEdit->setValue({2007, 3, 2});
    dlg.LastDateEdit->setValue({2007, 3, 1});
    dlg.LastDateEdit->setText(QStringLiteral("31/02/2007"));
    dlg.show();
    dlg.OKBtn->click();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.LastDateEdit->text(), QStringLiteral("01/03/2007"));
    EXPECT_EQ(shown(), QStringList{QStringLiteral("Intervalul de timp nu este corect! 01.03.2007 < 02.03.2007")});
}

TEST_F(IntervalDialog, SelectIntervalWritesBackOnlyOnConfirmation) {
    data::Date start{2007, 1, 15}, end{2007, 1, 31};
    rt::onNextModal<TIntervalDlg>([](TIntervalDlg* d) {
        EXPECT_EQ(d->FirstDateEdit->text(), QStringLiteral("15/01/2007"));
        d->FirstDateEdit->setValue({2007, 1, 20});
        d->OKBtn->click();
    });
    ASSERT_TRUE(SelectInterval(nullptr, start, end));
    EXPECT_EQ(start, (data::Date{2007, 1, 20}));
    EXPECT_EQ(end, (data::Date{2007, 1, 31}));

    rt::onNextModal<TIntervalDlg>([](TIntervalDlg* d) {
        d->FirstDateEdit->setValue({2006, 1, 1});
        d->CancelBtn->click();
    });
    EXPECT_FALSE(SelectInterval(nullptr, start, end));
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
    const std::pair<int, int> rest[] = {{24, 39}, {25, 40}, {26, 41}, {27, 265}, {28, 263},
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

class PrintDialog : public MessagesAnswered {
protected:
    void SetUp() override {
        MessagesAnswered::SetUp();
        ResetPrintSettings();
        usePrinter(0);
    }
    void TearDown() override {
        MessagesAnswered::TearDown();
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
    rt::FixedPrinter* printer = nullptr;
};

TEST_F(PrintDialog, FirstRunShowsTheStartValues) {
    SetReportDefaults(8, Orientation::Portrait);
    TQRPrnDlg dlg;
    dlg.loadSettings();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Setari pentru listarea rapoarte"));
    EXPECT_EQ(dlg.PageControl->tabText(0), QStringLiteral("Listare "));
    EXPECT_EQ(dlg.PageControl->tabText(1), QStringLiteral("Pagina"));
    EXPECT_EQ(dlg.PageControl->currentWidget(), dlg.ListareTab);
    EXPECT_FALSE(dlg.CBPrev->isChecked());
    EXPECT_EQ(dlg.CBPrev->text(), QStringLiteral("&Afisare pe ecran"));
    EXPECT_TRUE(dlg.RBAll->isChecked());
    EXPECT_FALSE(dlg.FirstPageSpin->isEnabled());
    EXPECT_FALSE(dlg.LastPageSpin->isEnabled());
    EXPECT_EQ(dlg.CopiesSpin->value(), 1);
    EXPECT_EQ(dlg.CopiesSpin->maximum(), 1000);
    EXPECT_EQ(dlg.FontLbl->text(), QStringLiteral("Arial   8"));
    EXPECT_EQ(dlg.PrinterLbl->text(), QStringLiteral("Imprimanta test"));
    for (QSpinBox* e : {dlg.TopEdit, dlg.BottomEdit, dlg.LeftEdit, dlg.RightEdit}) EXPECT_EQ(e->value(), 5);
    EXPECT_EQ(dlg.LeftEdit->maximum(), 210);
    EXPECT_EQ(dlg.TopEdit->maximum(), 297);
    EXPECT_TRUE(dlg.CBPortrait->isChecked());
    EXPECT_EQ(dlg.OKBtn->text(), QStringLiteral("&Printeaza"));
    EXPECT_EQ(dlg.CancelBtn->toolTip(), QStringLiteral("Renunt"));

    // a printer with a wider border than the stored margins raises them
    usePrinter(7);
    TQRPrnDlg dlg7;
    dlg7.loadSettings();
    for (QSpinBox* e : {dlg7.TopEdit, dlg7.BottomEdit, dlg7.LeftEdit, dlg7.RightEdit}) EXPECT_EQ(e->value(), 7);
    EXPECT_EQ(PrintSettings.MinLeft, 7);
}

TEST_F(PrintDialog, PreviewChoiceStaysForLaterRuns) {
    {
        TQRPrnDlg dlg;
        dlg.loadSettings();
        dlg.show();
        dlg.CBPrev->click();
        dlg.CopiesSpin->setValue(3);
        dlg.OKBtn->click();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
    EXPECT_TRUE(PrintSettings.Preview);
    EXPECT_EQ(PrintSettings.Copies, 3);
    EXPECT_EQ(PrintSettings.FirstPage, 0);
    EXPECT_EQ(PrintSettings.LastPage, 0);
    TQRPrnDlg again;
    again.loadSettings();
    EXPECT_TRUE(again.CBPrev->isChecked());
}

TEST_F(PrintDialog, MarginPairNeverExceedsThePage) {
    TQRPrnDlg dlg;
    dlg.loadSettings();
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    dlg.PageControl->setCurrentWidget(dlg.PaginaTab);
    typeInto(dlg.RightEdit, QStringLiteral("70"));
    EXPECT_EQ(dlg.RightEdit->value(), 70);
    typeInto(dlg.LeftEdit, QStringLiteral("150"));
    EXPECT_EQ(dlg.LeftEdit->value(), 140);
    EXPECT_EQ(dlg.RightEdit->value(), 70);
    typeInto(dlg.TopEdit, QStringLiteral("295"));
    EXPECT_EQ(dlg.TopEdit->value(), 292);  // 297 - 5
    EXPECT_EQ(dlg.BottomEdit->value(), 5);
}

TEST_F(PrintDialog, MarginUnderTheBorderAnsweredYes) {
    usePrinter(4);
    TQRPrnDlg dlg;
    dlg.loadSettings();
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    dlg.LeftEdit->setValue(0);
    answer = [](ui::MessageRecord&) { return ui::Yes; };
    dlg.OKBtn->click();
    ASSERT_EQ(shown(), QStringList{QStringLiteral("Cel putin o margine este prea mica pentru a intra în zona imprimabila!\n"
                                                  "Doriti ajustarea marginilor respective?")});
    EXPECT_EQ(ui::Messages::history().back().buttons, ui::Yes | ui::No);
    EXPECT_EQ(ui::Messages::history().back().type, ui::MsgType::Warning);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.LeftEdit->value(), 4);
    EXPECT_EQ(dlg.PageControl->currentWidget(), dlg.PaginaTab);
    EXPECT_EQ(QApplication::focusWidget(), dlg.LeftEdit);
    // the margins are now inside the printable area
    dlg.OKBtn->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(PrintSettings.LeftMargin, 4);

    // a pair filling the page falls back to both borders
    TQRPrnDlg pair;
    pair.loadSettings();
    pair.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&pair));
    pair.TopEdit->setValue(150);
    pair.BottomEdit->setValue(147);
    pair.RightEdit->setValue(2);
    pair.OKBtn->click();
    EXPECT_EQ(pair.RightEdit->value(), 4);
    EXPECT_EQ(pair.TopEdit->value(), 4);
    EXPECT_EQ(pair.BottomEdit->value(), 4);
    EXPECT_EQ(QApplication::focusWidget(), pair.BottomEdit);
}

TEST_F(PrintDialog, MarginUnderTheBorderAnsweredNoStillReachesTheReportAtTheBorder) {
    usePrinter(4);
    TQRPrnDlg dlg;
    dlg.loadSettings();
    dlg.show();
    dlg.LeftEdit->setValue(0);
    answer = [](ui::MessageRecord&) { return ui::No; };
    dlg.OKBtn->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(PrintSettings.LeftMargin, 0);
    EXPECT_EQ(PrintSettings.MinLeft, 4);

    TempDir dir;
    rt::makeRegister(dir.path(), {{data::Date{2007, 1, 1}, "a", 1, 0}});
    auto t = rt::openRegister(dir.path());
    Report rep;
    rep.setDataSet(t.get());
    rep.addBand(BandType::Detail, QStringLiteral("D"), 5).addField(QStringLiteral("F"), 0, 0, 20, 5, QStringLiteral("Explicatii"));
    PrintSettings.Preview = true;
    double leftShown = -1;
    rt::onNextModal<TQRPreview>([&](TQRPreview* pv) {
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
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    dlg.RBPartial->click();
    EXPECT_TRUE(dlg.FirstPageSpin->isEnabled());
    EXPECT_TRUE(dlg.LastPageSpin->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), dlg.FirstPageSpin);
    typeInto(dlg.FirstPageSpin, QStringLiteral("3"));
    EXPECT_EQ(dlg.LastPageSpin->minimum(), 3);
    EXPECT_EQ(dlg.LastPageSpin->value(), 3);
    dlg.LastPageSpin->setValue(2);
    EXPECT_EQ(dlg.LastPageSpin->value(), 3);
    dlg.LastPageSpin->setValue(7);
    dlg.OKBtn->click();
    EXPECT_EQ(PrintSettings.FirstPage, 3);
    EXPECT_EQ(PrintSettings.LastPage, 7);

    TQRPrnDlg all;
    all.loadSettings();
    all.RBAll->click();
    EXPECT_FALSE(all.FirstPageSpin->isEnabled());
    all.OKBtn->click();
    EXPECT_EQ(PrintSettings.FirstPage, 0);
    EXPECT_EQ(PrintSettings.LastPage, 0);
}

TEST_F(PrintDialog, OrientationChangesThePrinterAndCancelRestoresIt) {
    TQRPrnDlg dlg;
    dlg.loadSettings();
    dlg.show();
    dlg.CBLandscape->click();
    EXPECT_EQ(printer->orientation(), Orientation::Landscape);
    EXPECT_EQ(dlg.LeftEdit->maximum(), 297);
    EXPECT_EQ(dlg.TopEdit->maximum(), 210);
    EXPECT_EQ(dlg.currentOrientation(), Orientation::Landscape);
    dlg.CancelBtn->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(printer->orientation(), Orientation::Portrait);
    EXPECT_EQ(PrintSettings.Orientation, Orientation::Portrait);

    TQRPrnDlg ok;
    ok.loadSettings();
    ok.show();
    ok.CBLandscape->click();
    ok.OKBtn->click();
    EXPECT_EQ(PrintSettings.Orientation, Orientation::Landscape);
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
    dlg.PrnBtn->click();
    EXPECT_EQ(printer->setupCalls, 1);
    EXPECT_TRUE(dlg.CBLandscape->isChecked());
    EXPECT_EQ(dlg.currentOrientation(), Orientation::Landscape);
    dlg.OKBtn->click();
    EXPECT_EQ(PrintSettings.PaperSize, 0);
    EXPECT_EQ(PrintSettings.Orientation, Orientation::Landscape);

    printer->onSetup = [](rt::FixedPrinter& p) { p.setPaperCode(39); };
    TQRPrnDlg known;
    known.loadSettings();
    known.PrnBtn->click();
    known.OKBtn->click();
    EXPECT_EQ(PrintSettings.PaperSize, 24);
}

TEST_F(PrintDialog, FontChoiceLimitedToFiveToFortyEight) {
    SetReportDefaults(8, Orientation::Portrait);
    TReportFontDlg fd;
    EXPECT_EQ(fd.SizeSpin->minimum(), 5);
    EXPECT_EQ(fd.SizeSpin->maximum(), 48);
    fd.setFont(QStringLiteral("Arial"), 8);
    EXPECT_EQ(fd.fontName(), QStringLiteral("Arial"));  // kept while the family is not changed

    TQRPrnDlg::fontChooser = [](QWidget*, QString& name, int& size) {
        name = QStringLiteral("Times New Roman");
        size = 60;
        return true;
    };
    TQRPrnDlg dlg;
    dlg.loadSettings();
    dlg.FntBtn->click();
    EXPECT_EQ(dlg.FontLbl->text(), QStringLiteral("Times New Roman   48"));
    dlg.OKBtn->click();
    EXPECT_EQ(PrintSettings.FontName, QStringLiteral("Times New Roman"));
    EXPECT_EQ(PrintSettings.FontSize, 48);

    TQRPrnDlg::fontChooser = [](QWidget*, QString& name, int&) {
        name = QString(40, QLatin1Char('X'));
        return true;
    };
    TQRPrnDlg longName;
    longName.loadSettings();
    longName.FntBtn->click();
    longName.OKBtn->click();
    EXPECT_EQ(PrintSettings.FontName.size(), 30);
}

TEST_F(PrintDialog, ExecutePrintDialogConfirmsOrCancels) {
    rt::onNextModal<TQRPrnDlg>([](TQRPrnDlg* d) {
        d->CopiesSpin->setValue(2);
        d->OKBtn->click();
    });
    EXPECT_TRUE(ExecutePrintDialog(nullptr));
    EXPECT_EQ(PrintSettings.Copies, 2);
    rt::onNextModal<TQRPrnDlg>([](TQRPrnDlg* d) {
        d->CopiesSpin->setValue(9);
        d->CancelBtn->click();
    });
    EXPECT_FALSE(ExecutePrintDialog(nullptr));
    EXPECT_EQ(PrintSettings.Copies, 2);
}

TEST_F(PrintDialog, WithoutPrinterTheDialogSaysSoAndOpens) {
    setCurrentPrinter(makeSystemPrinter());
    if (!currentPrinter().isPdfFile()) GTEST_SKIP() << "a printer is installed on this machine";
    TQRPrnDlg dlg;
    dlg.loadSettings();
    EXPECT_TRUE(dlg.PrinterLbl->text().startsWith(QStringLiteral("Nicio imprimanta instalata")));
    EXPECT_EQ(dlg.LeftEdit->maximum(), 210);
    dlg.OKBtn->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(PrintSettings.PaperSize, 9);
}

// ------------------------------------------------------------------ run sequence

namespace {

struct RunLog {
    QStringList status;
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
        Rep.item("PageNumberLabel").onPrint = [this](Item&, QString& t) { t += QStringLiteral(" din ") + QString::number(pageCount); };
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

}  // namespace

class RunSequence : public PrintDialog {
protected:
    void SetUp() override {
        PrintDialog::SetUp();
        ui::setStatusObserver([this](const QString& s) { log.status << s; });
        std::vector<rt::Row> rows;
        for (int i = 1; i <= 24; ++i) rows.push_back({data::Date{2007, 3, (i + 2) / 3}, "r", 100.0 * i, 0});
        rt::makeRegister(dir.path(), rows);
    }
    void TearDown() override {
        ui::setStatusObserver(nullptr);
        PrintDialog::TearDown();
    }
    RunResult runWith(bool fail, bool empty, ReportRunOptions opt = {}) {
        if (opt.statusText.isEmpty()) opt.statusText = QStringLiteral("Parametrii de listare impliciti: Arial, 8, A4, Peisaj");
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
    rt::onNextModal<TQRPrnDlg>([](TQRPrnDlg* d) { d->CancelBtn->click(); });
    EXPECT_EQ(runWith(false, false), RunResult::Cancelled);
    EXPECT_EQ(log.status, (QStringList{QStringLiteral("Parametrii de listare impliciti: Arial, 8, A4, Peisaj"), QStringLiteral(" OK.")}));
    EXPECT_EQ(form, nullptr);
    EXPECT_EQ(PrintSettings.FontName, QStringLiteral("Arial"));
    EXPECT_EQ(PrintSettings.PaperSize, 9);
}

TEST_F(RunSequence, PreviewWithPageCountThenOk) {
    ReportRunOptions opt;
    opt.fontSize = 8;
    opt.countPages = true;
    QStringList footers;
    rt::onNextModal<TQRPrnDlg>([&](TQRPrnDlg* d) {
        EXPECT_EQ(d->FontLbl->text(), QStringLiteral("Arial   8"));
        d->CBPrev->setChecked(true);
        rt::onNextModal<TQRPreview>([&](TQRPreview* pv) {
            EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // normal cursor while previewing
            for (const Page& p : pv->prepared().pages) footers << p.textOf(QStringLiteral("PageNumberLabel"));
            pv->closeButton()->click();
        });
        d->OKBtn->click();
    });
    EXPECT_EQ(runWith(false, false, opt), RunResult::Done);
    EXPECT_EQ(footers, (QStringList{"Pag.1 din 3", "Pag.2 din 3", "Pag.3 din 3"}));
    EXPECT_EQ(log.status.mid(1), (QStringList{QStringLiteral(" Listez..."), QStringLiteral(" OK.")}));
    EXPECT_EQ(log.opened, 1);
    EXPECT_EQ(log.closed, 1);
    EXPECT_TRUE(shown().isEmpty());
}

TEST_F(RunSequence, AccessErrorKeepsTheListingStatus) {
    rt::onNextModal<TQRPrnDlg>([](TQRPrnDlg* d) { d->OKBtn->click(); });
    EXPECT_EQ(runWith(true, false), RunResult::AccessError);
    ASSERT_EQ(shown(), QStringList{QStringLiteral("Eroare de acces la baza de date!\n<Table is busy>!")});
    EXPECT_EQ(ui::Messages::history().back().type, ui::MsgType::Error);
    EXPECT_EQ(log.status.last(), QStringLiteral(" Listez..."));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(log.closed, 1);
}

TEST_F(RunSequence, EmptyDataMessage) {
    ReportRunOptions opt;
    opt.emptyDataCheck = true;
    rt::onNextModal<TQRPrnDlg>([](TQRPrnDlg* d) { d->OKBtn->click(); });
    EXPECT_EQ(runWith(false, true, opt), RunResult::NoData);
    ASSERT_EQ(shown(), QStringList{QStringLiteral("Nu exista date in aceasta perioada!")});
    EXPECT_EQ(ui::Messages::history().back().type, ui::MsgType::Error);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(log.closed, 1);
}

TEST_F(RunSequence, PrintingGoesToTheFileWithoutPrinterAndLedgersKeepTheSize) {
    TempDir out;
    const QString path = QString::fromStdString(out.file("registru.pdf"));
    setPdfFileChooser([&](QWidget*, const QString&) { return path; });
    ReportRunOptions budget;
    budget.fontSize = 11;
    rt::onNextModal<TQRPrnDlg>([](TQRPrnDlg* d) { d->OKBtn->click(); });
    EXPECT_EQ(runWith(false, false, budget), RunResult::Done);
    EXPECT_TRUE(QFile::exists(path));
    // a ledger run keeps the size the budget left
    ReportRunOptions ledger;
    int shownSize = 0;
    rt::onNextModal<TQRPrnDlg>([&](TQRPrnDlg* d) {
        shownSize = d->fontSize;
        d->CancelBtn->click();
    });
    EXPECT_EQ(runWith(false, false, ledger), RunResult::Cancelled);
    EXPECT_EQ(shownSize, 11);
    setPdfFileChooser(nullptr);
}
