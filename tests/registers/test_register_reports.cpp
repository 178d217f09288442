// The register and ledger reports run as the "Listari" / "Registre" commands
// run them: the rebuild, the interval typed into its dialog, the print dialog
// confirmed with "&Afisare pe ecran", and the pages read from the preview.
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "catalogs/CatalogFrm.h"
#include "controls/DateEdit.h"
#include "data/AppDir.h"
#include "data/Clock.h"
#include "data/Engine.h"
#include "data/Format.h"
#include "data/Install.h"
#include "data/Money.h"
#include "data/Schema.h"
#include "data/Table.h"
#include "entry/Balances.h"
#include "registers/CalcRegistru.h"
#include "registers/Registre.h"
#include "reports/Preview.h"
#include "reports/PrintSettings.h"
#include "reports/ReportTestSupport.h"
#include "support/GuiDriver.h"
#include "support/Installation.h"
#include "support/TempDir.h"

using data::Date;
using data::Value;
using gui::control;
using reports::Page;

namespace {

const QString kStatusPeisaj = QStringLiteral("Parametrii de listare impliciti: Arial, 8, A4, Peisaj");
const QString kStatusPortret = QStringLiteral("Parametrii de listare impliciti: Arial, 8, A4, Portret");

using rt::money;
data::Bani bani(const QString& t) { return data::toBani(data::parseAmount(t.toStdString()).value.value_or(-1e9)); }
Date day(int d, int m) { return Date{2014, m, d}; }

// A unit working in 2014 (names with Romanian letters), today 12 May 2014,
// a printer with fixed measures, messages answered and status texts recorded.
class RegisterReports : public ::testing::Test {
protected:
    void SetUp() override {
        support::installInto(db.path());
        data::setAppDir(db.path());
        support::setUnit(db.path(), {"Arhiepiscopia", "Protopopiatul", "Parohia", "Preot", "Epitrop", "An_lucru"},
                         {"Arhiepiscopia Iașilor", "Protopopiatul Târgu Neamț", "Parohia Sfânta Treime",
                          "Pr. Ștefan Popescu", "Ion Văduva", 2014});
        opening(100.0, 1000.0);
        sql("DELETE FROM \"Tip_venituri.DB\"");
        data::insertRows(db.file("Tip_venituri.DB"), {"Cod_venit", "Denumire"},
                         {{7, "Pomelnice si acatiste"}, {8, "Chirii"}});
        sql("DELETE FROM \"Tip_cheltuieli.DB\"");
        data::insertRows(db.file("Tip_cheltuieli.DB"), {"Cod_cheltuiala", "Denumire"},
                         {{18, "Încălzire"}, {19, "Salarii"}});
    }

    void sql(const std::string& s) { data::SqlSession::forDirectory(db.path()).execute(s); }
    void opening(double cash, double bank) {
        sql("DELETE FROM \"Contor.DB\"");
        data::insertRows(db.file("Contor.DB"), {"Sold_init_casa", "Sold_init_banca"}, {{cash, bank}});
    }
    void receipt(const Date& d, double nr, const std::string& expl, double amount, const std::string& cont = "Casa",
                 int cod = 7, const std::string& den = "Lumanari") {
        data::insertRows(db.file("Venituri.DB"),
                         {"Nr_act", "Data", "Fel", "Cod_venit", "Den_venit", "Explicatie", "Valoarea", "Cont"},
                         {{nr, d, "Chitanta", cod, den, expl, amount, cont}});
    }
    void payment(const Date& d, double nr, const std::string& expl, double amount, const std::string& cont = "Casa",
                 int cod = 18) {
        data::insertRows(db.file("Cheltuieli.DB"),
                         {"Nr_act", "Data", "Fel", "Cod_cheltuiala", "Explicatie", "Valoarea", "Cont"},
                         {{nr, d, "Dispozitie", cod, expl, amount, cont}});
    }
    void deposit(const Date& d, double nr, double amount) {
        data::insertRows(db.file("Depuneri.db"), {"Nr_doc", "Data", "Suma", "Fel"}, {{nr, d, amount, "Foaie vars."}});
    }
    void withdrawal(const Date& d, double nr, double amount) {
        data::insertRows(db.file("Ridicari.db"), {"Nr_doc", "Data", "Suma", "Fel"}, {{nr, d, amount, "CEC"}});
    }
    int registerRows() {
        return static_cast<int>(data::SqlSession::forDirectory(db.path())
                                    .select("SELECT COUNT(*) FROM \"Registru.DB\"")
                                    .rows.at(0)
                                    .at(0)
                                    .toInt());
    }

    // Confirms the print dialog with "&Afisare pe ecran" and keeps the pages
    // the preview shows (none when no preview opens).
    void confirmPrintDialog() {
        rt::confirmForPreview(shown, [this](reports::TQRPreview* pv) {
            if (onPreview) onPreview(pv);
        });
    }
    // Types the interval into its dialog, key by key, confirming with Enter
    // in the second date; then the print dialog.
    void typeInterval(const QString& first, const QString& last) {
        gui::onModal([this, first, last](QWidget* dlg) {
            EXPECT_EQ(control<ui::TDateEdit>(dlg, "FirstDateEdit")->text(), QStringLiteral("12/05/2014"));
            EXPECT_EQ(control<ui::TDateEdit>(dlg, "LastDateEdit")->text(), QStringLiteral("12/05/2014"));
            gui::reactivate(dlg);
            gui::key(Qt::Key_Home);
            gui::type(QString(first).remove('.'));
            gui::key(Qt::Key_Return);
            gui::key(Qt::Key_Home);
            gui::type(QString(last).remove('.'));
            // waiting for the print dialog only from the key that opens it: a
            // slow run must not take the interval dialog for it
            confirmPrintDialog();
            gui::key(Qt::Key_Return);
        });
    }
    // The cash or bank register for an interval, as the menu runs it.
    void runRegister(void (*command)(QWidget*), const QString& first, const QString& last) {
        pages.clear();
        previewed = false;
        typeInterval(first, last);
        command(nullptr);
    }
    void runCommand(void (*command)(QWidget*)) {
        pages.clear();
        previewed = false;
        confirmPrintDialog();
        command(nullptr);
    }
    // Chooses the type with code `cod` in the catalog selection window.
    void chooseType(int cod, bool confirm = true) {
        gui::onModal([this, cod, confirm](QWidget* w) {
            if (confirm) confirmPrintDialog();
            for (int i = 0; i < 50 && currentCode(w) != cod; ++i) gui::keyIn(w, Qt::Key_Down);
            gui::keyIn(w, confirm ? Qt::Key_Return : Qt::Key_Escape);
        });
    }
    static int currentCode(QWidget* w) {
        for (data::DataSet* ds : static_cast<catalogs::TCatalogFrm*>(w)->tables())
            if (ds->active() && ds->findField("Cod_venit"))
                return static_cast<int>(ds->fieldByName("Cod_venit").asInteger());
            else if (ds->active() && ds->findField("Cod_cheltuiala"))
                return static_cast<int>(ds->fieldByName("Cod_cheltuiala").asInteger());
        return -1;
    }

    // Every text of item `name` over all pages.
    QStringList texts(const QString& name) const {
        QStringList all;
        for (const Page& p : pages) all << p.textsOf(name);
        return all;
    }

    TempDir db;
    gui::Recorder rec;
    rt::PrintingTest printing{Date{2014, 5, 12}};
    rt::Previewed shown;
    std::vector<Page>& pages = shown.pages;
    bool& previewed = shown.previewed;
    QString& fontLabel = shown.fontLabel;
    std::function<void(reports::TQRPreview*)> onPreview;
};

// ---------------------------------------------------------------- cash and bank registers

// Opening cash balance 100, a cash receipt of 50 on 10.01, a cash payment of
// 30 on 15.01, and a bank receipt the cash register never shows.
class CashRegister : public RegisterReports {
protected:
    void SetUp() override {
        RegisterReports::SetUp();
        receipt(day(10, 1), 1, "Colecta hram", 50.0);
        payment(day(15, 1), 1, "Factura gaz", 30.0);
        receipt(day(15, 1), 2, "Chirie sala", 70.0, "Banca");
    }
};

TEST_F(CashRegister, IntervalAfterTheFirstMovementsCarriesThemForward) {
    runRegister(registers::RegistruCasa, "12.01.2014", "31.01.2014");
    ASSERT_TRUE(previewed);
    ASSERT_EQ(pages.size(), 1u);
    const Page& p = pages[0];
    EXPECT_EQ(p.textOf("QRLabel1"), QStringLiteral("REGISTRU DE CASA"));
    EXPECT_EQ(p.textsOf("QRDBText1"), QStringList{"Arhiepiscopia Iașilor"});
    EXPECT_EQ(p.textOf("QRDBText3"), QStringLiteral("Parohia Sfânta Treime"));
    // one day: its heading with the previous day's balance and the totals so far
    EXPECT_EQ(p.textsOf("QRDBText4"), QStringList{"15/01/2014"});
    EXPECT_EQ(p.textOf("QRLabel12"), QStringLiteral("Sold ziua precedenta / Report :"));
    EXPECT_EQ(p.textOf("QRExpr10"), QStringLiteral("150.00"));
    EXPECT_EQ(p.textOf("QRExpr5"), QStringLiteral("150.00"));
    EXPECT_EQ(p.textOf("QRExpr6"), QStringLiteral("0.00"));
    EXPECT_EQ(p.textOf("QRExpr7"), QStringLiteral("0.00"));
    EXPECT_EQ(p.textOf("QRExpr8"), QStringLiteral("0.00"));
    // the payment is row 1; the bank receipt of the same day is not there
    EXPECT_EQ(p.textsOf("QRLabel10"), QStringList{"1"});
    EXPECT_EQ(p.textsOf("QRDBText7"), QStringList{"Factura gaz"});
    EXPECT_EQ(p.textOf("QRDBText10"), QStringLiteral("30.00"));
    EXPECT_EQ(p.textOf("QRDBText8"), QStringLiteral("0.00"));
    // the day's end
    EXPECT_EQ(p.textOf("QRLabel13"), QStringLiteral("Sold final / De reportat :"));
    EXPECT_EQ(p.textOf("QRExpr9"), QStringLiteral("120.00"));
    EXPECT_EQ(p.textOf("QRExpr1"), QStringLiteral("150.00"));
    EXPECT_EQ(p.textOf("QRExpr2"), QStringLiteral("0.00"));
    EXPECT_EQ(p.textOf("QRExpr3"), QStringLiteral("30.00"));
    EXPECT_EQ(p.textOf("QRExpr4"), QStringLiteral("0.00"));
    EXPECT_EQ(p.textOf("PageNumberLabel"), QStringLiteral("Pag.1 din 1"));
    EXPECT_EQ(p.findElement("PageNumberLabel")->font().size, 10);
    EXPECT_EQ(p.textOf("QRDBText12"), QStringLiteral("Pr. Ștefan Popescu"));
    EXPECT_EQ(fontLabel, QStringLiteral("Arial   8"));
    EXPECT_EQ(reports::PrintSettings.Orientation, reports::Orientation::Portrait);
    EXPECT_EQ(rec.status, (QStringList{kStatusPeisaj, " Listez...", " OK."}));
    EXPECT_TRUE(gui::Recorder::messages().isEmpty());
}

TEST_F(CashRegister, WholeMonthStartsFromZeroWithTheOpeningBalanceAsRowOne) {
    runRegister(registers::RegistruCasa, "01.01.2014", "31.01.2014");
    ASSERT_EQ(pages.size(), 1u);
    const Page& p = pages[0];
    EXPECT_EQ(p.textsOf("QRDBText4"), (QStringList{"01/01/2014", "10/01/2014", "15/01/2014"}));
    EXPECT_EQ(p.textsOf("QRExpr10"), (QStringList{"0.00", "100.00", "150.00"}));
    EXPECT_EQ(p.textsOf("QRExpr5"), (QStringList{"0.00", "100.00", "150.00"}));
    EXPECT_EQ(p.textsOf("QRExpr7"), (QStringList{"0.00", "0.00", "0.00"}));
    // the counter runs on across the days; the bank's opening row is not a cash row
    EXPECT_EQ(p.textsOf("QRLabel10"), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(p.textsOf("QRDBText7"), (QStringList{"Sold in casa la inceputul anului", "Colecta hram", "Factura gaz"}));
    EXPECT_EQ(p.textsOf("QRDBText5"), (QStringList{"CHIT", "Chitanta", "Dispozitie"}));
    EXPECT_EQ(p.textsOf("QRDBText6"), (QStringList{"0", "1", "1"}));
    EXPECT_EQ(p.textsOf("QRExpr9"), (QStringList{"100.00", "150.00", "120.00"}));
    EXPECT_EQ(p.textsOf("QRExpr1"), (QStringList{"100.00", "150.00", "150.00"}));
    EXPECT_EQ(p.textsOf("QRExpr3"), (QStringList{"0.00", "0.00", "30.00"}));
}

TEST_F(CashRegister, DepositsShowInBothRegistersBankDocumentsOnlyInTheBankOne) {
    deposit(day(20, 1), 4, 40.0);
    withdrawal(day(21, 1), 5, 15.0);
    runRegister(registers::RegistruCasa, "16.01.2014", "31.01.2014");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(texts("QRDBText7"), (QStringList{"Depunere numerar", "Retragere numerar"}));
    EXPECT_EQ(texts("QRDBText11"), (QStringList{"40.00", "0.00"}));  // "Depuneri": cash out
    EXPECT_EQ(texts("QRDBText9"), (QStringList{"0.00", "15.00"}));   // "Ridicari": cash in
    EXPECT_EQ(texts("QRExpr9"), (QStringList{"80.00", "95.00"}));

    runRegister(registers::RegistruBanca, "01.01.2014", "31.01.2014");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(texts("QRLabel1"), QStringList{"REGISTRU DE BANCA"});
    EXPECT_EQ(texts("QRDBText7"), (QStringList{"Sold in cont la inceputul anului", "Chirie sala", "Depunere numerar",
                                               "Retragere numerar"}));
    EXPECT_EQ(texts("QRDBText8"), (QStringList{"1,000.00", "70.00", "0.00", "0.00"}));
    EXPECT_EQ(texts("QRDBText11"), (QStringList{"0.00", "0.00", "40.00", "0.00"}));  // "Depuneri": bank in
    EXPECT_EQ(texts("QRDBText9"), (QStringList{"0.00", "0.00", "0.00", "15.00"}));   // "Ridicari": bank out
    EXPECT_EQ(texts("QRExpr9").last(), QStringLiteral("1,095.00"));
    EXPECT_EQ(texts("QRExpr10"), (QStringList{"0.00", "1,000.00", "1,070.00", "1,110.00"}));
    // the bank register's unit lines are as wide as their text
    EXPECT_LT(pages[0].findElement("QRDBText1")->box.width(), 76.5);
}

TEST_F(CashRegister, NoRowsUpToTheEndOfTheIntervalIsToldAndNothingPrints) {
    runRegister(registers::RegistruCasa, "01.12.2013", "31.12.2013");
    EXPECT_FALSE(previewed);
    EXPECT_EQ(gui::Recorder::messages(), QStringList{"Nu exista date in aceasta perioada!"});
    EXPECT_EQ(ui::Messages::history().back().type, ui::MsgType::Error);
    EXPECT_EQ(rec.status, (QStringList{kStatusPeisaj, " Listez..."}));
    gui::Recorder::clear();

    // movements only before the interval: the page without any day
    runRegister(registers::RegistruCasa, "01.02.2014", "28.02.2014");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].textOf("QRLabel1"), QStringLiteral("REGISTRU DE CASA"));
    EXPECT_TRUE(pages[0].textsOf("QRDBText4").isEmpty());
    EXPECT_TRUE(pages[0].textsOf("QRLabel10").isEmpty());
    EXPECT_EQ(pages[0].textOf("PageNumberLabel"), QStringLiteral("Pag.1 din 1"));
    EXPECT_TRUE(gui::Recorder::messages().isEmpty());
}

TEST_F(RegisterReports, ThreePagesCountTheirPagesAndNumberTheRowsOnAcrossThem) {
    // one receipt a day from 2 January: 21 days with the opening day
    for (int d = 2; d <= 21; ++d) receipt(day(d, 1), d, "Colecta ziua " + std::to_string(d), d);
    runRegister(registers::RegistruCasa, "01.01.2014", "31.01.2014");
    ASSERT_EQ(pages.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(pages[i].textOf("PageNumberLabel"), QStringLiteral("Pag.%1 din 3").arg(i + 1));
    QStringList numbers;
    for (int i = 1; i <= 21; ++i) numbers << QString::number(i);
    EXPECT_EQ(texts("QRLabel10"), numbers);
    // each page's first day carries the figures the page before ended with
    for (size_t i = 1; i < pages.size(); ++i) {
        EXPECT_EQ(pages[i].textsOf("QRExpr10").first(), pages[i - 1].textsOf("QRExpr9").last());
        EXPECT_EQ(pages[i].textsOf("QRExpr5").first(), pages[i - 1].textsOf("QRExpr1").last());
    }
    EXPECT_EQ(texts("QRExpr9").last(), money(100.0 + 230.0));  // 2 + 3 + ... + 21
    EXPECT_EQ(texts("QRExpr1").last(), money(330.0));
}

TEST_F(RegisterReports, ThePageCountIsThatOfThePagesPrintedWithTheChosenMargins) {
    for (int d = 2; d <= 21; ++d) receipt(day(d, 1), d, "Colecta ziua " + std::to_string(d), d);
    // margins left by an earlier run's print dialog, far from the report's designed ones
    for (int* m : {&reports::PrintSettings.TopMargin, &reports::PrintSettings.BottomMargin}) *m = 45;
    runRegister(registers::RegistruCasa, "01.01.2014", "31.01.2014");
    ASSERT_GT(pages.size(), 3u);
    for (size_t i = 0; i < pages.size(); ++i)
        EXPECT_EQ(pages[i].textOf("PageNumberLabel"), QStringLiteral("Pag.%1 din %2").arg(i + 1).arg(pages.size()));

    // the narrow margins of a new run give fewer pages, counted as many
    reports::ResetPrintSettings();
    for (int* m : {&reports::PrintSettings.TopMargin, &reports::PrintSettings.BottomMargin}) *m = 0;
    runRegister(registers::RegistruCasa, "01.01.2014", "31.01.2014");
    ASSERT_FALSE(pages.empty());
    EXPECT_EQ(pages.back().textOf("PageNumberLabel"), QStringLiteral("Pag.%1 din %1").arg(pages.size()));
}

TEST_F(RegisterReports, TheLastFinalBalanceIsTheCurrentCashBalance) {
    opening(1234.56, 98765.43);
    std::mt19937 rng(12052014);
    std::uniform_int_distribution<int> cents(1, 500000), kind(0, 5), dayOfYear(0, 364);
    for (int i = 0; i < 400; ++i) {
        const Date d = Date{2014, 1, 1}.addDays(dayOfYear(rng));
        const double amount = cents(rng) / 100.0;
        switch (kind(rng)) {
            case 0: receipt(d, i, "Incasare " + std::to_string(i), amount); break;
            case 1: receipt(d, i, "Incasare " + std::to_string(i), amount, "Banca"); break;
            case 2: payment(d, i, "Plata " + std::to_string(i), amount); break;
            case 3: payment(d, i, "Plata " + std::to_string(i), amount, "Banca"); break;
            case 4: deposit(d, i, amount); break;
            default: withdrawal(d, i, amount); break;
        }
    }
    // two alike receipts are two movements
    receipt(day(3, 3), 900, "Lumanari", 25.0);
    receipt(day(3, 3), 900, "Lumanari", 25.0);
    runRegister(registers::RegistruCasa, "01.01.2014", "31.12.2014");
    ASSERT_GT(pages.size(), 3u);
    EXPECT_EQ(texts("QRExpr9").last(), money(entry::CalcSoldCasa(db.path())));
    EXPECT_EQ(texts("QRDBText7").count(QStringLiteral("Lumanari")), 2);

    runRegister(registers::RegistruBanca, "01.01.2014", "31.12.2014");
    EXPECT_EQ(texts("QRExpr9").last(), money(entry::CalcSoldBanca(db.path())));
}

TEST_F(CashRegister, ExportsOfThePreviewHoldTheSameFigures) {
    onPreview = [this](reports::TQRPreview* pv) {
        for (const char* ext : {"csv", "txt", "html", "pdf"})
            EXPECT_TRUE(pv->saveTo(QString::fromStdString(db.file(std::string("registru.") + ext)))) << ext;
    };
    runRegister(registers::RegistruCasa, "12.01.2014", "31.01.2014");
    ASSERT_TRUE(previewed);
    for (const char* ext : {"csv", "txt", "html"}) {
        QFile f(QString::fromStdString(db.file(std::string("registru.") + ext)));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << ext;
        const QString text = QString::fromUtf8(f.readAll());
        // the data CSV holds the rows and their labels, not the pages
        const bool data = ext == std::string("csv");
        for (QString s : {"Sold ziua precedenta / Report :", "Sold final / De reportat :", "150.00", "120.00",
                          "Factura gaz", "Parohia Sfânta Treime", "Pag.1 din 1"}) {
            if (data && s.startsWith("Pag.")) continue;
            if (data) s.remove(" :");
            EXPECT_TRUE(text.contains(s)) << ext << ": " << s.toStdString();
        }
    }
    QFile pdf(QString::fromStdString(db.file("registru.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5).startsWith("%PDF"));
}

// ---------------------------------------------------------------- receipts and payments

TEST_F(RegisterReports, ReceiptsAndPaymentsOnOnePageEndWithTheGrandTotal) {
    receipt(day(10, 1), 1, "Colecta", 50.0);
    deposit(day(12, 1), 2, 40.0);
    payment(day(13, 1), 3, "Factura", 12.5, "Banca");
    runCommand(registers::RegistruIncasariPlati);
    ASSERT_EQ(pages.size(), 1u);
    const Page& p = pages[0];
    EXPECT_EQ(p.textOf("QRLabel1"),
              QStringLiteral("REGISTRU PENTRU EVIDENTA OPERATIUNILOR DE INCASARI SI PLATI PRIN CASA SI PRIN CONT"));
    EXPECT_FALSE(p.containsText(QStringLiteral("Report :")));
    EXPECT_EQ(p.textsOf("QRDBText4"),
              (QStringList{"Sold in casa la inceputul anului", "Sold in cont la inceputul anului", "Colecta",
                           "Depunere numerar", "Factura"}));
    // the opening rows: 0.00 in the other block's movements; column 15 their sum
    EXPECT_EQ(p.textsOf("QRDBText10"), (QStringList{"0.00", "1,000.00", "0.00", "0.00", "0.00"}));
    EXPECT_EQ(p.textsOf("QRDBText5"), (QStringList{"100.00", "0.00", "50.00", "0.00", "0.00"}));
    EXPECT_EQ(p.textsOf("SoldTDBTxt"), (QStringList{"100.00", "1,100.00", "1,150.00", "1,150.00", "1,137.50"}));
    // a deposit: "Depuneri in cont" of both blocks
    EXPECT_EQ(p.textsOf("QRDBText8")[3], QStringLiteral("40.00"));
    EXPECT_EQ(p.textsOf("QRDBText11")[3], QStringLiteral("40.00"));
    EXPECT_EQ(p.textsOf("SoldCDBTxt")[3], QStringLiteral("110.00"));
    EXPECT_EQ(p.textsOf("SoldBDBTxt")[3], QStringLiteral("1,040.00"));
    EXPECT_EQ(p.textOf("QRLabel12"), QStringLiteral("Total general :"));
    EXPECT_EQ(p.textOf("QRExpr9"), QStringLiteral("150.00"));
    EXPECT_EQ(p.textOf("QRExpr12"), QStringLiteral("40.00"));
    EXPECT_EQ(p.textOf("QRExpr14"), QStringLiteral("40.00"));
    EXPECT_EQ(p.textOf("QRExpr15"), QStringLiteral("12.50"));
    EXPECT_EQ(p.textOf("QRExpr10"), QStringLiteral("0.00"));
    EXPECT_EQ(p.textOf("QRLabel38"), QStringLiteral("110.00"));
    EXPECT_EQ(p.textOf("QRLabel39"), QStringLiteral("1,027.50"));
    EXPECT_EQ(p.textOf("QRLabel40"), QStringLiteral("1,137.50"));
    EXPECT_EQ(p.textOf("PageNumberLabel"), QStringLiteral("Pag.1"));
    EXPECT_EQ(fontLabel, QStringLiteral("Arial   8"));
    EXPECT_EQ(reports::PrintSettings.Orientation, reports::Orientation::Landscape);
    EXPECT_GT(p.width, p.height);
    EXPECT_EQ(rec.status, (QStringList{kStatusPeisaj, " Listez...", " OK."}));
}

// Amounts like 0.10, 0.20, 0.30, whose binary sums drift: the page sums are in bani.
TEST_F(RegisterReports, ReceiptsAndPaymentsOnThreePagesCarryEachPageForward) {
    for (int i = 1; i <= 56; ++i) {
        if (i % 3)
            receipt(day(1 + i / 3, 2), i, "Incasare " + std::to_string(i), i % 7 / 10.0 + 0.1);
        else
            payment(day(1 + i / 3, 2), i, "Plata " + std::to_string(i), i % 5 / 10.0 + 0.3, "Banca");
    }
    runCommand(registers::RegistruIncasariPlati);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].textOf("QRLabel12"), QStringLiteral("De reportat :"));
    EXPECT_EQ(pages[1].textOf("QRLabel12"), QStringLiteral("De reportat :"));
    EXPECT_EQ(pages[2].textOf("QRLabel12"), QStringLiteral("Total general :"));
    EXPECT_FALSE(pages[0].containsText(QStringLiteral("Report :")));
    data::Bani cash = 0, bank = 0;
    int row = 0;
    for (size_t i = 1; i < pages.size(); ++i) {
        const Page &prev = pages[i - 1], &p = pages[i];
        EXPECT_EQ(p.textOf("QRLabel44"), QStringLiteral("Report :"));
        // the header repeats the previous page's footer, sums and balances
        const std::pair<const char*, const char*> same[] = {{"QRExpr1", "QRExpr9"},
                                                            {"QRExpr7", "QRExpr15"},
                                                            {"QRLabel41", "QRLabel38"},
                                                            {"QRLabel42", "QRLabel39"},
                                                            {"QRLabel43", "QRLabel40"}};
        for (const auto& [head, foot] : same) EXPECT_EQ(p.textOf(head), prev.textOf(foot)) << head << " page " << i + 1;
        // and they are the totals of every row up to there
        for (const QString& t : prev.textsOf("QRDBText5")) cash += bani(t);
        for (const QString& t : prev.textsOf("QRDBText12")) bank += bani(t);
        row += static_cast<int>(prev.textsOf("QRDBText5").size());
        EXPECT_EQ(p.textOf("QRExpr1"), money(0.01 * cash));
        EXPECT_EQ(p.textOf("QRExpr7"), money(0.01 * bank));
        EXPECT_EQ(p.textOf("QRLabel41"), prev.textsOf("SoldCDBTxt").last());
        EXPECT_EQ(p.textOf("QRLabel43"), prev.textsOf("SoldTDBTxt").last());
    }
    EXPECT_EQ(row + static_cast<int>(pages[2].textsOf("QRDBText5").size()), 58);
    EXPECT_EQ(pages[2].textOf("QRLabel40"), pages[2].textsOf("SoldTDBTxt").last());
    for (const QString& t : pages[2].textsOf("QRDBText5")) cash += bani(t);
    EXPECT_EQ(pages[2].textOf("QRExpr9"), money(0.01 * cash));  // "Total general :"
}

// ---------------------------------------------------------------- ledgers by type

TEST_F(RegisterReports, IncomeLedgerCumulatesEveryReceiptOfTheTypeFromBothAccounts) {
    receipt(day(10, 2), 3, "Pomelnice", 25.0, "Casa", 7, "Pomelnice si acatiste");
    receipt(day(5, 1), 2, "Donatie banca", 50.0, "Banca", 7, "Pomelnice si acatiste");
    receipt(day(5, 1), 1, "Pomelnice", 100.0, "Casa", 7, "Pomelnice si acatiste");
    receipt(day(6, 1), 4, "Alt venit", 999.0, "Casa", 8, "Chirii");
    reports::PrintSettings.FontSize = 11;  // as the budget report leaves it
    chooseType(7);
    registers::PartiziVenituri(nullptr);
    ASSERT_EQ(pages.size(), 1u);
    const Page& p = pages[0];
    EXPECT_EQ(p.textOf("QRLabel1"), QStringLiteral("Registru partizi venituri"));
    EXPECT_EQ(p.textOf("QRLabel2"), QStringLiteral("Natura venitului"));
    EXPECT_EQ(p.textOf("QRDBText10"), QStringLiteral("Pomelnice si acatiste"));
    EXPECT_EQ(p.textOf("QRLabel8"), QStringLiteral("EXPLICATIA VENITURILOR"));
    EXPECT_EQ(p.textOf("QRLabel10"), QStringLiteral("   TOTAL CUMULAT"));
    EXPECT_EQ(p.textsOf("QRDBText4"), (QStringList{"05/01/2014", "05/01/2014", "10/02/2014"}));
    EXPECT_EQ(p.textsOf("QRDBText5"), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(p.textsOf("QRDBText7"), (QStringList{"100.00", "50.00", "25.00"}));
    // the page count was prepared first: the total restarted for the output
    EXPECT_EQ(p.textsOf("TotalLbl"), (QStringList{"100.00", "150.00", "175.00"}));
    EXPECT_EQ(p.textOf("PageNumberLabel"), QStringLiteral("Pag.1 din 1"));
    // the font size stays as the user or the last report left it
    EXPECT_EQ(p.findElement("TotalLbl")->font().size, 11);
    EXPECT_EQ(fontLabel, QStringLiteral("Arial   11"));
    EXPECT_EQ(rec.status, (QStringList{kStatusPortret, " Listez...", " OK."}));
}

// "Pag.N din M" counts the pages as the print settings lay them out: margins
// other than the designed ones move the page breaks, on screen and in a file.
// On amounts like 0.10, 0.20, each TOTAL CUMULAT is the sum in bani of those printed.
TEST_F(RegisterReports, LedgerPageCountsAreOfThePagesAsPrinted) {
    for (int i = 0; i < 65; ++i) {
        receipt(day(1 + i % 28, 1 + i / 28), i + 1, "Pomelnice", i % 9 / 10.0 + 0.1, "Casa", 7);
        payment(day(1 + i % 28, 1 + i / 28), i + 1, "Lemne", i % 7 / 10.0 + 0.2, "Casa", 18);
    }
    auto expectCounted = [](const std::vector<Page>& shown, const char* what) {
        ASSERT_GT(shown.size(), 1u) << what;
        for (size_t i = 0; i < shown.size(); ++i)
            EXPECT_EQ(shown[i].textOf("PageNumberLabel"), QStringLiteral("Pag.%1 din %2").arg(i + 1).arg(shown.size()))
                << what;
        data::Bani total = 0;
        for (const Page& p : shown)
            for (int r = 0; r < p.textsOf("TotalLbl").size(); ++r)
                EXPECT_EQ(p.textsOf("TotalLbl")[r], money(0.01 * (total += bani(p.textsOf("QRDBText7")[r])))) << what;
    };
    const QString file = QString::fromStdString(db.file("partizi.qrp"));
    for (const int margin : {5, 60}) {
        SCOPED_TRACE(margin);
        reports::PrintSettings.TopMargin = reports::PrintSettings.BottomMargin = margin;
        chooseType(7);
        registers::PartiziVenituri(nullptr);
        expectCounted(pages, "venituri");
        chooseType(18);
        registers::PartiziCheltuieli(nullptr);
        expectCounted(pages, "cheltuieli");
        for (const bool income : {true, false}) {
            const reports::RunResult r = income ? registers::PartiziVenituri(nullptr, 7, {file})
                                                : registers::PartiziCheltuieli(nullptr, 18, {file});
            ASSERT_EQ(r, reports::RunResult::Done);
            const auto written = reports::PreparedReport::load(file);
            ASSERT_TRUE(written);
            expectCounted(written->pages, income ? "venituri in fisier" : "cheltuieli in fisier");
        }
    }
}

TEST_F(RegisterReports, TwoAlikeDocumentsAreTwoLedgerRows) {
    receipt(day(5, 1), 1, "Lumanari", 10.0, "Casa", 7);
    receipt(day(5, 1), 1, "Lumanari", 10.0, "Casa", 7);
    chooseType(7);
    registers::PartiziVenituri(nullptr);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(texts("TotalLbl"), (QStringList{"10.00", "20.00"}));

    payment(day(3, 2), 4, "Gaz", 60.0, "Casa", 18);
    payment(day(1, 2), 2, "Lemne", 100.0, "Banca", 18);
    payment(day(1, 2), 2, "Lemne", 100.0, "Banca", 18);
    payment(day(2, 2), 3, "Salariu", 900.0, "Casa", 19);
    pages.clear();
    chooseType(18);
    registers::PartiziCheltuieli(nullptr);
    ASSERT_EQ(pages.size(), 1u);
    const Page& p = pages[0];
    EXPECT_EQ(p.textOf("QRLabel1"), QStringLiteral("Registru partizi cheltuieli"));
    EXPECT_EQ(p.textOf("QRLabel2"), QStringLiteral("Natura cheltuielii"));
    EXPECT_EQ(p.textOf("QRLabel13"), QStringLiteral("Încălzire"));
    EXPECT_EQ(p.textOf("QRLabel8"), QStringLiteral("EXPLICATIA CHELTUIELILOR"));
    EXPECT_EQ(p.textsOf("QRDBText6"), (QStringList{"Lemne", "Lemne", "Gaz"}));
    EXPECT_EQ(p.textsOf("QRDBText5"), (QStringList{"2", "2", "4"}));
    EXPECT_EQ(p.textsOf("TotalLbl"), (QStringList{"100.00", "200.00", "260.00"}));
}

TEST_F(RegisterReports, ACancelledTypeChoiceRebuildsAndPrintsNothing) {
    receipt(day(5, 1), 1, "Lumanari", 10.0);
    ASSERT_EQ(registerRows(), 0);
    chooseType(7, false);
    registers::PartiziVenituri(nullptr);
    chooseType(18, false);
    registers::PartiziCheltuieli(nullptr);
    EXPECT_FALSE(previewed);
    EXPECT_EQ(registerRows(), 0);
    EXPECT_TRUE(rec.status.isEmpty());
    EXPECT_TRUE(gui::Recorder::messages().isEmpty());
}

// ---------------------------------------------------------------- the rebuild's failures

TEST_F(RegisterReports, AWorkTableHeldOpenStopsTheCommandBeforeTheReport) {
    receipt(day(5, 1), 1, "Lumanari", 10.0);
    registers::CalcRegistru(db.path());
    data::Table open;
    open.setDatabaseName(db.path());
    open.setTableName("Registru.DB");
    open.open();
    registers::RegistruCasa(nullptr);  // no interval dialog follows
    EXPECT_EQ(gui::Recorder::messages(),
              QStringList{QString::fromStdString("Nu pot crea fisierul :" + db.path() +
                                                 "Registru. Inchideti fisierele aferente si repetati operatia!")});
    EXPECT_EQ(ui::Messages::history().back().type, ui::MsgType::Error);
    EXPECT_TRUE(rec.status.isEmpty());
    open.close();

    // an engine error: the access text, the engine's message and "!"
    gui::Recorder::clear();
    sql("UPDATE \"Parohia.DB\" SET An_lucru = NULL");
    registers::RegistruIncasariPlati(nullptr);
    ASSERT_EQ(gui::Recorder::messages().size(), 1);
    EXPECT_TRUE(gui::Recorder::lastMessage().startsWith("Eroare de acces la tabela registru!\n"));
    EXPECT_TRUE(gui::Recorder::lastMessage().endsWith("!"));
    EXPECT_TRUE(rec.status.isEmpty());
    EXPECT_FALSE(previewed);
}

// Pages as a file run saves them.
std::vector<Page> saved(const std::function<reports::RunResult(const reports::ReportOutput&)>& run,
                        const std::string& file) {
    EXPECT_EQ(run({QString::fromStdString(file), {}}), reports::RunResult::Done);
    return reports::PreparedReport::load(QString::fromStdString(file)).value().pages;
}

// A month whose last day grows a row at a time, so that it ends at every
// height of a page: no day heading is a page's last line, every page starts
// with a date and the captions, the signatures follow figures on their page.
TEST_F(RegisterReports, EveryPageOfALongCashRegisterReadsAloneAndEndsOnFigures) {
    sql("UPDATE \"Parohia.DB\" SET Tip_unitate = 'Parohie', Cod_fiscal = '4321'");
    for (int d = 2; d <= 30; ++d)
        for (int k = 0; k < (d * 7) % 13; ++k) receipt(day(d, 1), d * 100 + k, "Colecta", 1.0 + k);
    const reports::Interval january{day(1, 1), day(31, 1)};
    const std::string file = db.file("casa.qrp");
    int tight = 0;
    std::vector<Page> pages;
    for (int extra = 1; extra <= 12; ++extra) {
        receipt(day(31, 1), 9000 + extra, "Colecta", 2.0);
        pages = saved([&](auto& o) { return registers::RegistruCasa(nullptr, january, o); }, file);
        ASSERT_GT(pages.size(), 3u);
        QStringList numbers;
        for (const Page& p : pages) numbers << p.textsOf("QRLabel10");
        for (int i = 0; i < numbers.size(); ++i)
            EXPECT_EQ(numbers[i], QString::number(i + 1));  // none lost, none twice
        QString lastDate;
        for (size_t i = 0; i < pages.size(); ++i) {
            const QStringList bands = rt::bodyBands(pages[i]);
            EXPECT_NE(bands.last(), QStringLiteral("QRGroup1")) << "page " << i + 1;
            if (i == 0)
                EXPECT_EQ(bands.first(), QStringLiteral("QRBand1"));
            else if (bands.first() == QLatin1String("QRGroup1Cont"))
                EXPECT_EQ(pages[i].textOf("ContDataTxt"), lastDate) << "page " << i + 1;
            else
                EXPECT_EQ(bands.first(), QStringLiteral("QRGroup1")) << "page " << i + 1;
            if (!pages[i].textsOf("QRDBText4").isEmpty()) lastDate = pages[i].textsOf("QRDBText4").last();
        }
        const QStringList last = rt::bodyBands(pages.back());
        EXPECT_EQ(last.last(), QStringLiteral("SummaryBand1"));
        EXPECT_TRUE(last.contains(QStringLiteral("DetailBand1"))) << "extra " << extra;
        tight += last.size() <= 5;
        rt::expectTextsFit(pages);
    }
    EXPECT_GT(tight, 0);  // some month ended right at a page's end
    EXPECT_EQ(pages[0].textOf("PeriodLbl"), QStringLiteral("Perioada: 01.01.2014 - 31.01.2014"));
    EXPECT_EQ(pages[0].textOf("CodFiscalLbl"), QStringLiteral("Cod fiscal: 4321"));
    EXPECT_EQ(pages.back().textOf("QRLabel14"), QStringLiteral("PREOT PAROH,"));
    // the receipts-and-payments register: the unit, and the headings on every page
    const auto year = saved([](auto& o) { return registers::RegistruIncasariPlati(nullptr, o); }, file);
    ASSERT_GT(year.size(), 2u);
    EXPECT_EQ(year[0].textOf("UnitTxt3"), QStringLiteral("Parohia Sfânta Treime"));
    EXPECT_EQ(year[0].textOf("CodFiscalLbl"), QStringLiteral("Cod fiscal: 4321"));
    EXPECT_TRUE(year[0].textOf("PeriodLbl").startsWith(QStringLiteral("Perioada: 01.01.2014")));
    for (const Page& p : year) EXPECT_TRUE(rt::bodyBands(p).contains(QStringLiteral("QRBand4")));
    rt::expectTextsFit(year);
}

// A monastery's expense ledger: its head signs, the type's caption is whole
// on the page and the data export keeps the whole column caption.
TEST_F(RegisterReports, ALedgerSignsByTheUnitsKindAndKeepsItsCaptionsWhole) {
    sql("UPDATE \"Parohia.DB\" SET Tip_unitate = 'Manastire de maici', Parohia = 'Manastirea " + std::string(60, 'X') +
        "'");
    for (int k = 1; k <= 3; ++k) payment(day(k + 3, 2), k, "Lemne", 10.0 * k, k == 2 ? "Banca" : "Casa");
    const auto run = [](const auto& o) { return registers::PartiziCheltuieli(nullptr, short{18}, o); };
    const auto pages = saved(run, db.file("partizi.qrp"));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ((QStringList{pages[0].textOf("QRLabel2"), pages[0].textOf("QRLabel14"), pages[0].textOf("QRLabel15")}),
              (QStringList{"Natura cheltuielii", "STARETA,", "CONTABIL,"}));
    rt::expectTextsFit(pages);
    ASSERT_EQ(run(reports::ReportOutput{QString::fromStdString(db.file("partizi.csv")), {}}), reports::RunResult::Done);
    QFile csv(QString::fromStdString(db.file("partizi.csv")));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(csv.readAll()).contains(QStringLiteral(";TOTAL CUMULAT")));
}

}  // namespace
