// The payment order printed from stored payments, read from the page model
// shown in the preview. The payments window and the dialogs are driven
// through the shared GUI driver; their controls are reached by name.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>
#include <tuple>
#include <vector>

#include "data/AppDir.h"
#include "data/Clock.h"
#include "data/Engine.h"
#include "data/Install.h"
#include "data/Schema.h"
#include "documents/AmountInWords.h"
#include "documents/print/RepOPUnt.h"
#include "entry/CheltuieliUnt.h"
#include "entry/DocumentLayout.h"
#include "reports/Preview.h"
#include "reports/PrintSettings.h"
#include "reports/ReportTestSupport.h"
#include "support/GuiDriver.h"
#include "support/Installation.h"
#include "support/TempDir.h"

using gui::control;
using reports::Page;

namespace {

const QString kStatusText = QStringLiteral("Parametrii de listare impliciti: Arial, 8, A4, Portret");

// A new installation whose unit works in 2014, today 12 May 2014, a printer
// with fixed measures, messages answered and status texts recorded.
class PaymentOrder : public ::testing::Test {
protected:
    void SetUp() override {
        support::installInto(db.path());
        data::setAppDir(db.path());
        support::setUnit(db.path(), {"Arhiepiscopia", "Protopopiatul", "Parohia", "An_lucru"},
                         {"Arhiepiscopia Test", "Protopopiatul Test", "Parohia Sf. Test", 2014});
    }

    void storePayment(double nr, const data::Date& d, int code, double amount, const char* explanation,
                      const char* payee) {
        data::insertRows(db.file("Cheltuieli.DB"),
                         {"Nr_act", "Data", "Cod_cheltuiala", "Valoarea", "Explicatie", "Beneficiar", "Cont"},
                         {{nr, d, code, amount, explanation, payee, "Casa"}});
    }

    // The payments window opened as the menu opens it, with the focus.
    entry::TCheltuieliFrm* openPayments() {
        window = std::make_unique<entry::TCheltuieliFrm>(nullptr);
        gui::showActive(window.get());
        return window.get();
    }
    // The payments table of the window.
    static data::DataSet& payments(entry::TCheltuieliFrm* w) {
        for (data::DataSet* ds : w->tables())
            if (ds->name() == "Cheltuieli.DB") return *ds;
        throw std::logic_error("the payments window has no Cheltuieli.DB");
    }

    // Confirms the print dialog with "&Afisare pe ecran" and keeps the pages
    // the preview shows; `run` starts the print.
    std::vector<Page> preview(const std::function<void()>& run) {
        rt::Previewed shown = rt::previewOf(run);
        EXPECT_TRUE(shown.previewed);
        fontLabel = shown.fontLabel;
        return shown.pages;
    }

    TempDir db;
    gui::Recorder rec;
    rt::PrintingTest printing{data::Date{2014, 5, 12}};
    std::unique_ptr<entry::TCheltuieliFrm> window;
    QString fontLabel;
};

}  // namespace

TEST_F(PaymentOrder, AmountInFiguresAndWordsWithTheUnitAndTheRunTexts) {
    storePayment(5, data::Date{2014, 5, 10}, 16, 125.50, "Salariu luna aprilie", "Ion Popescu");
    auto pages = preview([] { documents::RunOrdinPlata(nullptr, 16, 5, data::Date{2014, 5, 10}); });
    ASSERT_EQ(pages.size(), 1u);
    const Page& p = pages[0];
    EXPECT_EQ(p.textOf("QRDBText1"), QStringLiteral("Arhiepiscopia Test"));
    EXPECT_EQ(p.textOf("QRDBText3"), QStringLiteral("Parohia Sf. Test"));
    EXPECT_EQ(p.textOf("QRLabel1"), QStringLiteral("ORDIN DE PLATA"));
    EXPECT_EQ(p.findElement("QRLabel1")->font().family, QStringLiteral("Times New Roman"));
    EXPECT_EQ(p.textOf("QRDBText4"), QStringLiteral("5"));
    EXPECT_EQ(p.textOf("QRDBText6"), QStringLiteral("Ion Popescu"));
    EXPECT_EQ(p.textOf("QRDBText7"), QStringLiteral("Salariu luna aprilie"));
    EXPECT_EQ(p.textOf("QRDBText8"), QStringLiteral("125.50"));
    EXPECT_TRUE(p.containsText(QStringLiteral("lei, adica")));
    EXPECT_EQ(p.textOf("QRLabel48"), QString::fromStdString(documents::AmountInWords(125.50)));
    EXPECT_EQ(p.textOf("QRLabel48"), QStringLiteral("osutadouazecisicinci de lei si cincizecide bani"));
    // the words take the report font: Arial in the size of the print settings
    EXPECT_EQ(p.findElement("QRLabel48")->font().family, QStringLiteral("Arial"));
    EXPECT_EQ(p.findElement("QRLabel48")->font().size, 10);
    EXPECT_EQ(fontLabel, QStringLiteral("Arial   10"));
    EXPECT_EQ(rec.status, (QStringList{kStatusText, " Listez...", " OK."}));
    EXPECT_TRUE(gui::Recorder::messages().isEmpty());
}

TEST_F(PaymentOrder, OnlyTheFirstLineInQueryOrderPrints) {
    storePayment(8, data::Date{2014, 5, 11}, 18, 40, "b factura gaz", "Distrigaz");
    storePayment(8, data::Date{2014, 5, 11}, 18, 60, "a factura curent", "Enel");
    storePayment(8, data::Date{2014, 5, 11}, 19, 70, "alt tip", "Altcineva");
    auto pages = preview([] { documents::RunOrdinPlata(nullptr, 18, 8, data::Date{2014, 5, 11}); });
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].textsOf("QRDBText7"), QStringList{"a factura curent"});
    EXPECT_EQ(pages[0].textOf("QRDBText8"), QStringLiteral("60.00"));
}

TEST_F(PaymentOrder, LongAmountInWordsWrapsAndGrowsTheBand) {
    storePayment(9, data::Date{2014, 5, 12}, 30, 87654321987.65, "Pictura", "Atelier");
    auto pages = preview([] { documents::RunOrdinPlata(nullptr, 30, 9, data::Date{2014, 5, 12}); });
    ASSERT_EQ(pages.size(), 1u);
    const Page& p = pages[0];
    const reports::PageElement* words = p.findElement("QRLabel48");
    ASSERT_NE(words, nullptr);
    EXPECT_EQ(words->text, QString::fromStdString(documents::AmountInWords(87654321987.65)));
    EXPECT_TRUE(words->wordWrap());
    EXPECT_GT(words->box.height(), 8.0);  // two lines at least
    ASSERT_EQ(p.bandsNamed("TitleBand").size(), 1u);
    EXPECT_GT(p.bandsNamed("TitleBand")[0].height, 105.8);
    // the amount in figures is never cut: it grows to the left
    EXPECT_EQ(p.textOf("QRDBText8"), QStringLiteral("87,654,321,987.65"));
    EXPECT_GT(p.findElement("QRDBText8")->box.width(), 15.1);
}

// Below the amount in words, however long: the account and the expense type,
// then the signatures of the unit's head and accountant by its kind, the
// cashier and the payee.
TEST_F(PaymentOrder, TheSignaturesFollowTheAmountInWordsByTheUnitsKind) {
    storePayment(9, data::Date{2014, 5, 12}, 18, 87654321987.65, "Pictura", "Atelier Pictor");
    for (const char* sql : {"UPDATE Cheltuieli SET Cont = 'Banca'",
                            "UPDATE Tip_cheltuieli SET Denumire = 'Pictura bisericii' WHERE Cod_cheltuiala = 18"})
        data::SqlSession::forDirectory(db.path()).execute(sql);
    for (const auto& [kind, head, accountant] :
         {std::tuple{"Manastire", "STARET,", "CONTABIL,"},
          {"Centru eparhial", "Conducatorul unitatii,", "Consilier economic,"}}) {
        support::setUnit(db.path(), {"Parohia", "Preot", "Epitrop", "An_lucru", "Tip_unitate", "Cod_fiscal"},
                         {"Unitatea", "Pr. Ioan", "Maria Pop", 2014, kind, "12345678"});
        auto pages = preview([] { documents::RunOrdinPlata(nullptr, 18, 9, data::Date{2014, 5, 12}); });
        ASSERT_EQ(pages.size(), 1u);
        QStringList printed;
        for (const char* item : {"CodFiscalLbl", "ContTxt", "TipTxt", "ConducatorLbl", "ConducatorTxt", "ContabilLbl",
                                 "ContabilTxt", "CasierLbl", "BeneficiarLbl", "BeneficiarTxt"})
            printed << pages[0].textOf(item);
        EXPECT_EQ(printed, (QStringList{"Cod fiscal: 12345678", "Banca", "18 - Pictura bisericii", head, "Pr. Ioan",
                                        accountant, "Maria Pop", "CASIER,", "BENEFICIAR,", "Atelier Pictor"}));
        EXPECT_GT(pages[0].findElement("ContTxt")->box.top(), pages[0].findElement("QRLabel48")->box.bottom());
        rt::expectTextsFit(pages);
    }
}

TEST_F(PaymentOrder, PrintingAnUnsavedPaymentPrintsTheStoredOne) {
    storePayment(1, data::Date{2014, 5, 12}, 16, 125.50, "Salariu", "Ion Popescu");
    auto* w = openPayments();
    data::DataSet& docs = payments(w);
    gui::key(Qt::Key_PageUp);  // the stored payment
    ASSERT_EQ(docs["Nr_act"].asFloat(), 1.0);
    auto* amount = control<entry::TDocEdit>(w, "DBEditNormal2");
    gui::focus(amount);
    amount->selectAll();
    gui::type(QStringLiteral("999"));
    gui::focus(control<entry::TDocEdit>(w, "DBEditNormal3"));
    ASSERT_EQ(docs.state(), data::DataSetState::Edit);
    auto pages = preview([&] { control<QPushButton>(w, "PrintBtn")->click(); });
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].textOf("QRDBText8"), QStringLiteral("125.50"));
    // the payment being edited stays as it was, unsaved
    EXPECT_EQ(docs.state(), data::DataSetState::Edit);
    EXPECT_EQ(docs["Valoarea"].asFloat(), 999.0);
    auto stored = data::SqlSession::forDirectory(db.path()).select("SELECT Valoarea FROM Cheltuieli");
    EXPECT_EQ(stored.rows.at(0).at(0).toDouble(), 125.50);
}

TEST_F(PaymentOrder, CancelledPrintDialogEndsWithOk) {
    storePayment(1, data::Date{2014, 5, 12}, 16, 10, "x", "y");
    gui::onModal([](QWidget* dlg) { control<QPushButton>(dlg, "CancelBtn")->click(); });
    documents::RunOrdinPlata(nullptr, 16, 1, data::Date{2014, 5, 12});
    EXPECT_EQ(rec.status, (QStringList{kStatusText, " OK."}));
    EXPECT_EQ(reports::PrintSettings.FontSize, 10);
}

TEST_F(PaymentOrder, APaymentNotStoredIsToldAndNothingRuns) {
    storePayment(1, data::Date{2014, 5, 12}, 16, 10, "x", "y");
    // the same number under another expense code is not that payment
    documents::RunOrdinPlata(nullptr, 17, 1, data::Date{2014, 5, 12});
    EXPECT_EQ(gui::Recorder::messages(), QStringList{documents::kNotStored});
    EXPECT_TRUE(rec.status.isEmpty());
    gui::Recorder::clear();

    auto* w = openPayments();  // on a new payment, number 2
    control<QPushButton>(w, "PrintBtn")->click();
    EXPECT_EQ(gui::Recorder::messages(), QStringList{documents::kNotStored});
    EXPECT_EQ(ui::Messages::history().back().type, ui::MsgType::Warning);
    EXPECT_TRUE(rec.status.isEmpty());  // no print dialog was opened
    EXPECT_EQ(payments(w).state(), data::DataSetState::Insert);
}
