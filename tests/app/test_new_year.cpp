// "Setari" / "Trecerea la an nou" from the main window and
// `Corvalinde --dir DIR --new-year`: the questions and refusals, the summary,
// the archive's registers and budget against the printouts made before the
// passage, the new year's first register, and the start after an
// interrupted passage.
#include <QAction>
#include <QFile>
#include <QProcess>
#include <filesystem>
#include <sstream>

#include "data/Journal.h"
#include "AppFixture.h"
#include "app/CommandLine.h"
#include "app/MainFrm.h"
#include "app/NewYearCmd.h"
#include "app/Shortcuts.h"
#include "budget/CalcBilant.h"
#include "budget/RepBilantUnt.h"
#include "data/Engine.h"
#include "data/Format.h"
#include "data/Money.h"
#include "data/Schema.h"
#include "entry/DocumentLayout.h"
#include "entry/VenituriUnt.h"
#include "controls/DBDate.h"
#include "support/GuiDriver.h"
#include "support/OtherProgram.h"
#include "registers/CalcRegistru.h"
#include "registers/RepRegCasaUnt.h"
#include "registers/RepRegUnt.h"
#include "reports/Workmsg.h"
#include "yearend/NewYear.h"

namespace fs = std::filesystem;
using app::Command;
using app::TMainFrm;
using data::Date;
using data::Value;

namespace {

QString money(double v) { return QString::fromStdString(data::formatFloat("#,##0.00", v)); }

// The prepared pages of a report window of one run over AppDir, after the
// rebuild of the register work table the menu makes before every register
// (a register's filter empties the work table of the other account's rows).
template <class F>
reports::PreparedReport prepared(F&& makeForm) {
    registers::CalcRegistru(data::AppDir());
    auto frm = makeForm();
    frm->openData();
    frm->Rep.prepare();
    reports::PreparedReport r = frm->Rep.prepared();
    frm->closeData();
    return r;
}

}  // namespace

// A unit working in 2014 with documents of the whole year, a few already
// typed for 2015, and budget planned amounts; today 5 January 2015.
class NewYearWindow : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        install();
        data::setToday(Date{2015, 1, 5});
        auto& s = data::SqlSession::forDirectory(db.path());
        s.execute("UPDATE \"Parohia.DB\" SET An_lucru = 2014");
        s.execute("DELETE FROM \"Contor.DB\"");
        data::insertRows(db.file("Contor.DB"), {"Sold_init_casa", "Sold_init_banca"}, {{500.0, 2500.0}});
        std::vector<std::vector<Value>> ven, chelt, dep;
        for (int i = 0; i < 60; ++i) {
            const Date d = Date{2014, 1, 2}.addDays(i * 6);
            ven.push_back({double(i + 1), d, "Chitanta", 2 + i % 12, "Colecta " + std::to_string(i), 40.0 + i,
                           i % 3 ? "Casa" : "Banca"});
            chelt.push_back({double(i + 1), d, "Dispozitie", 16 + i % 12, "Plata " + std::to_string(i), 15.5 + i,
                             i % 4 ? "Casa" : "Banca"});
            if (i % 10 == 0) dep.push_back({double(i + 1), d, 100.0, "Foaie"});
        }
        ven.push_back({61.0, Date{2015, 1, 3}, "Chitanta", 3, "Colecta 2015", 70.0, "Casa"});
        chelt.push_back({61.0, Date{2015, 1, 4}, "Dispozitie", 18, "Gaz 2015", 30.0, "Casa"});
        const std::vector<std::string> cols{"Nr_act", "Data", "Fel", "Cod", "Explicatie", "Valoarea", "Cont"};
        auto with = [&](const char* cod) {
            auto c = cols;
            c[3] = cod;
            return c;
        };
        data::insertRows(db.file("Venituri.DB"), with("Cod_venit"), ven);
        data::insertRows(db.file("Cheltuieli.DB"), with("Cod_cheltuiala"), chelt);
        data::insertRows(db.file("Depuneri.db"), {"Nr_doc", "Data", "Suma", "Fel"}, dep);
        s.execute("UPDATE \"Bilant.DB\" SET Prevederi = Nr_rand * 10.0 WHERE Formula IS NULL OR Formula = ''");
        answers.clear();
        ui::Messages::setResponder([this](ui::MessageRecord& r) {
            if (!(r.buttons & ui::Yes)) return int(ui::Ok);
            const bool yes = !answers.empty() && answers.front();
            if (!answers.empty()) answers.erase(answers.begin());
            return yes ? int(ui::Yes) : int(ui::No);
        });
    }
    void TearDown() override {
        yearend::setStepHook({});
        data::setAppDir(db.path());
        AppFixture::TearDown();
    }

    // The directory's files, for "nothing changed".
    std::map<std::string, std::string> files() const {
        std::map<std::string, std::string> m;
        for (const auto& e : fs::recursive_directory_iterator(db.path()))
            if (e.is_regular_file()) m[e.path().string()] = readFile(e.path().string());
        return m;
    }
    int workingYear() const {
        return static_cast<int>(data::SqlSession::forDirectory(db.path())
                                    .select("SELECT An_lucru FROM \"Parohia.DB\"")
                                    .rows.at(0)
                                    .at(0)
                                    .toInt());
    }
    QList<ui::MsgType> types() const {
        QList<ui::MsgType> t;
        for (const auto& r : ui::Messages::history()) t << r.type;
        return t;
    }

    // The opening balances of a directory's "Contor.DB".
    static std::pair<double, double> opening(const std::string& dir) {
        const auto r = data::SqlSession::forDirectory(dir).select(
            "SELECT SUM(Sold_init_casa), SUM(Sold_init_banca) FROM \"Contor.DB\"");
        return {r.rows.at(0).at(0).toDouble(), r.rows.at(0).at(1).toDouble()};
    }
    static long long receipts(const std::string& dir) {
        return data::SqlSession::forDirectory(dir).select("SELECT COUNT(*) FROM Venituri").rows.at(0).at(0).toInt();
    }
    // A cash receipt of 31 December 2014, typed in the receipts window and saved.
    static void typeLateReceipt(TMainFrm& frm, const QString& amount) {
        frm.runCommand(Command::Venituri);
        entry::TVenituriFrm* w = nullptr;
        for (QWidget* t : QApplication::topLevelWidgets())
            if (auto* v = dynamic_cast<entry::TVenituriFrm*>(t); v && v->isVisible()) w = v;
        ASSERT_NE(w, nullptr);
        gui::showActive(w);
        auto* date = gui::control<ui::TDBDateEdit>(w, "DBDateEdit1");
        gui::focus(date);
        date->selectAll();
        gui::type(QStringLiteral("31122014"));
        gui::focus(gui::control<entry::TDocEdit>(w, "DBEditNormal4"));
        gui::type(QStringLiteral("2"));
        gui::key(Qt::Key_Return);  // code -> account "Casa"
        gui::key(Qt::Key_Return);  // -> amount
        gui::type(amount);
        gui::key(Qt::Key_Return);  // -> explanation
        gui::key(Qt::Key_Return);  // -> "&Salveaza"
        gui::key(Qt::Key_Return);  // save
        w->close();
        gui::settle();
    }

    std::vector<bool> answers;  // to the Yes/No questions, in order
};

TEST_F(NewYearWindow, TheItemIsShownAndItsRefusalsAndQuestionsChangeNothing) {
    TMainFrm frm;
    QAction* item = frm.menuAction(Command::TrecereaAnNou);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isVisible());
    EXPECT_TRUE(app::itemEnabled(item));
    const auto before = files();
    // another window open
    frm.runCommand(Command::Venituri);
    ui::Messages::clearHistory();
    frm.runCommand(Command::TrecereaAnNou);
    EXPECT_EQ(messages(), QStringList{"Inchideti toate ferestrele!"});
    EXPECT_EQ(types(), QList<ui::MsgType>{ui::MsgType::Warning});
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != &frm && w->isVisible()) w->close();
    QApplication::processEvents();

    // the work message left by the start-up's schema upgrade is no window to close
    ui::ShowWorkMessage(&frm, QStringLiteral("Se actualizeaza structura bazei de date..."));
    // the confirmation names the year, the balances and the archive; No
    const yearend::Closing plan = yearend::planNewYear(db.path());
    ui::Messages::clearHistory();
    answers = {false};
    frm.runCommand(Command::TrecereaAnNou);
    ASSERT_EQ(messages().size(), 1);
    const QString question = messages()[0];
    EXPECT_TRUE(question.startsWith("Se inchide anul 2014 si se trece la anul 2015.")) << question.toStdString();
    EXPECT_TRUE(question.contains("Casa : " + money(plan.soldCasa))) << question.toStdString();
    EXPECT_TRUE(question.contains("Banca : " + money(plan.soldBanca))) << question.toStdString();
    EXPECT_TRUE(question.contains(QString::fromStdString(db.path() + "Arhiva/2014")));
    EXPECT_EQ(types(), QList<ui::MsgType>{ui::MsgType::Confirmation});
    EXPECT_EQ(ui::Messages::history()[0].defaultButton, ui::No);  // Enter keeps the year

    // a year not over yet asks again; No
    data::setToday(Date{2014, 12, 30});
    ui::Messages::clearHistory();
    answers = {true, false};
    frm.runCommand(Command::TrecereaAnNou);
    ASSERT_EQ(messages().size(), 2);
    EXPECT_EQ(messages()[1], QStringLiteral("Anul 2014 nu s-a incheiat inca: astazi este 30.12.2014.\n"
                                            "Treceti totusi la anul 2015?"));
    EXPECT_EQ(ui::Messages::history()[1].defaultButton, ui::No);
    EXPECT_EQ(workingYear(), 2014);
    EXPECT_EQ(files(), before);
}

TEST_F(NewYearWindow, ThePassageSummarisesAndTheArchivePrintsTheYearAsBefore) {
    // the year's registers and budget as printed before the passage
    auto casa = [] {
        return prepared([] {
            return std::make_unique<registers::TRepRegCasaFrm>(nullptr, Date{2014, 1, 1}, Date{2014, 12, 31});
        });
    };
    auto banca = [] {
        return prepared([] {
            return std::make_unique<registers::TRepRegBancaFrm>(nullptr, Date{2014, 1, 1}, Date{2014, 12, 31});
        });
    };
    auto incasariPlati = [] { return prepared([] { return std::make_unique<registers::TRepRegFrm>(nullptr); }); };
    auto bilant = [] {
        return prepared(
            [] { return std::make_unique<budget::TRepBilantFrm>(nullptr, "01.01.2014", "31.12.2014", "Executie"); });
    };
    const auto casaBefore = casa(), bancaBefore = banca(), incasariPlatiBefore = incasariPlati();
    budget::CalcBilant(Date{2014, 12, 31}, db.path());
    const auto bilantBefore = bilant();
    ASSERT_GT(casaBefore.pageCount(), 1);
    const QString closingCasa = casaBefore.pages.back().textsOf("QRExpr9").last();
    const QString closingBanca = bancaBefore.pages.back().textsOf("QRExpr9").last();

    TMainFrm frm;
    ui::Messages::clearHistory();
    answers = {true};  // the year is over: one question
    frm.runCommand(Command::TrecereaAnNou);
    ASSERT_EQ(messages().size(), 2) << messages().join("\n").toStdString();
    EXPECT_EQ(types(), (QList<ui::MsgType>{ui::MsgType::Confirmation, ui::MsgType::Information}));
    const std::string archive = db.path() + "Arhiva/2014";
    EXPECT_EQ(messages()[1].toStdString(), "Trecerea la an nou s-a incheiat.\n\nAnul inchis : 2014\nArhiva anului : " +
                                               archive + "\nSold reportat in casa : " + closingCasa.toStdString() +
                                               "\nSold reportat in banca : " + closingBanca.toStdString() +
                                               "\nDocumente arhivate : 126\nAnul de lucru : 2015");
    EXPECT_EQ(workingYear(), 2015);

    // the archive is an installation of its own: its registers and budget
    // print exactly as the year's did
    data::setAppDir(archive);
    EXPECT_EQ(casa(), casaBefore);
    EXPECT_EQ(banca(), bancaBefore);
    EXPECT_EQ(incasariPlati(), incasariPlatiBefore);
    budget::CalcBilant(Date{2014, 12, 31}, archive);
    EXPECT_EQ(bilant(), bilantBefore);

    // the new year's first register opens with the carried balances
    data::setAppDir(db.path());
    const auto next = prepared([] {
        return std::make_unique<registers::TRepRegCasaFrm>(nullptr, Date{2015, 1, 1}, Date{2015, 1, 31});
    });
    ASSERT_EQ(next.pageCount(), 1);
    const reports::Page& p = next.pages[0];
    EXPECT_EQ(p.textsOf("QRDBText4"), (QStringList{"01/01/2015", "03/01/2015", "04/01/2015"}));
    EXPECT_EQ(p.textsOf("QRDBText7"), (QStringList{"Sold in casa la inceputul anului", "Colecta 2015", "Gaz 2015"}));
    EXPECT_EQ(p.textsOf("QRDBText8").first(), closingCasa);
    EXPECT_EQ(p.textsOf("QRExpr9").first(), closingCasa);
    const auto nextBank = prepared([] {
        return std::make_unique<registers::TRepRegBancaFrm>(nullptr, Date{2015, 1, 1}, Date{2015, 1, 31});
    });
    EXPECT_EQ(nextBank.pages.at(0).textsOf("QRExpr9").first(), closingBanca);

    // the passage is not made twice for the new year before it is over
    data::setToday(Date{2015, 1, 6});
    ui::Messages::clearHistory();
    answers = {true, false};
    frm.runCommand(Command::TrecereaAnNou);
    EXPECT_TRUE(messages().at(0).startsWith("Se inchide anul 2015"));
    EXPECT_EQ(workingYear(), 2015);
}

TEST_F(NewYearWindow, AFailureSaysTheOldYearIsKept) {
    TMainFrm frm;
    data::journal::settle(db.path());  // entries waiting in the tables move whether the passage succeeds or not
    const auto before = files();
    yearend::setStepHook([](yearend::Step s) {
        if (s == yearend::Step::YearAdvanced) throw std::runtime_error("Discul este plin");
    });
    ui::Messages::clearHistory();
    answers = {true};
    frm.runCommand(Command::TrecereaAnNou);
    ASSERT_EQ(messages().size(), 2);
    EXPECT_EQ(messages()[1], QStringLiteral("Trecerea la an nou nu s-a facut: anul 2014 a ramas neschimbat.\n"
                                            "Discul este plin"));
    EXPECT_EQ(types().last(), ui::MsgType::Error);
    EXPECT_EQ(workingYear(), 2014);
    auto now = files();
    EXPECT_EQ(now, before);
    EXPECT_FALSE(fs::exists(db.path() + "Arhiva/2014"));
}

TEST_F(NewYearWindow, TheNextStartFinishesOrUndoesAnInterruptedPassage) {
    // committed, cut before the archive took its name
    yearend::setStepHook([](yearend::Step s) {
        if (s == yearend::Step::Committed) throw std::runtime_error("oprit");
    });
    EXPECT_THROW(yearend::passNewYear(db.path(), 2014), yearend::NewYearFailed);
    yearend::setStepHook({});
    ASSERT_TRUE(fs::is_directory(db.path() + "Arhiva/2014.incomplet"));
    ui::Messages::clearHistory();
    {
        TMainFrm frm;
        EXPECT_EQ(messages(),
                  QStringList{QString::fromStdString("Trecerea la anul 2015 a fost terminata: arhiva anului "
                                                     "2014 este in " +
                                                     db.path() + "Arhiva/2014.")});
    }
    EXPECT_TRUE(fs::exists(db.path() + "Arhiva/2014/Venituri.DB"));
    EXPECT_FALSE(fs::exists(db.path() + "Arhiva/2014.incomplet"));

    // an archive of the working year left half made: removed, the year unchanged
    data::SqlSession::forDirectory(db.path()).execute("UPDATE \"Parohia.DB\" SET An_lucru = 2015");
    fs::create_directories(db.path() + "Arhiva/2015.incomplet");
    writeFile(db.path() + "Arhiva/2015.incomplet/Venituri.DB", "jumatate");
    ui::Messages::clearHistory();
    {
        TMainFrm frm;
        EXPECT_EQ(messages(), QStringList{"Trecerea la an nou a anului 2015 a fost intrerupta: anul 2015 a ramas "
                                          "neschimbat, iar arhiva neterminata a fost stearsa."});
    }
    EXPECT_FALSE(fs::exists(db.path() + "Arhiva/2015.incomplet"));
    EXPECT_EQ(workingYear(), 2015);
    // a start with nothing to finish says nothing
    ui::Messages::clearHistory();
    { TMainFrm frm; }
    EXPECT_TRUE(messages().isEmpty());
}

// ---------------------------------------------------------------- the closed year's archive

TEST_F(NewYearWindow, AnArchiveOpensReadOnlyAndRefusesWrites) {
    yearend::passNewYear(db.path(), 2014);
    const std::string archive = db.path() + "Arhiva/2014/";
    const long long stored = receipts(archive);
    const auto balances = opening(archive);
    data::setAppDir(archive);
    TMainFrm frm;
    EXPECT_EQ(frm.windowTitle(), "Evidenta veniturilor si cheltuielilor - Arhiva anului 2014 - doar citire");
    EXPECT_EQ(frm.StatusLine->text(), "Arhiva anului 2014 - doar citire");
    EXPECT_TRUE(frm.menuAction(Command::CorectieArhiva)->isVisible());

    ui::Messages::clearHistory();
    typeLateReceipt(frm, QStringLiteral("100.00"));
    EXPECT_TRUE(messages().join("|").contains("Arhiva anului 2014 se poate doar consulta"))
        << messages().join("|").toStdString();
    EXPECT_EQ(receipts(archive), stored);
    // below the windows too
    EXPECT_THROW(data::SqlSession::forDirectory(archive).execute("UPDATE Contor SET Sold_init_casa = 1"),
                 data::EngineError);
    EXPECT_EQ(opening(archive), balances);
}

TEST_F(NewYearWindow, ACorrectedArchiveCarriesItsLateReceiptIntoTheNewYear) {
    const yearend::Closing closed = yearend::passNewYear(db.path(), 2014);
    const std::string archive = db.path() + "Arhiva/2014/";
    const auto carried = opening(db.path());
    ASSERT_EQ(carried, std::make_pair(closed.soldCasa, closed.soldBanca));
    data::setAppDir(archive);
    auto frm = std::make_unique<TMainFrm>();

    // two questions, Enter answering No to both; a No changes nothing
    ui::Messages::clearHistory();
    answers = {true, false};
    frm->runCommand(Command::CorectieArhiva);
    ASSERT_EQ(messages().size(), 2);
    EXPECT_EQ(ui::Messages::history()[0].defaultButton, ui::No);
    EXPECT_EQ(ui::Messages::history()[1].defaultButton, ui::No);
    EXPECT_TRUE(frm->windowTitle().endsWith("doar citire"));

    {  // the new year open in another instance: said, nothing changed
        OtherProgram other(db.path(), "Contor.DB");
        ASSERT_TRUE(other.holding());
        ui::Messages::clearHistory();
        answers = {true, true};
        frm->runCommand(Command::CorectieArhiva);
        EXPECT_TRUE(messages().last().contains("Directorul anului 2015")) << messages().join("|").toStdString();
        EXPECT_TRUE(frm->windowTitle().endsWith("doar citire"));
        EXPECT_FALSE(yearend::correctionPending(archive));
    }

    answers = {true, true};
    frm->runCommand(Command::CorectieArhiva);
    EXPECT_EQ(frm->windowTitle(), "Evidenta veniturilor si cheltuielilor - Arhiva anului 2014 - corectie deschisa");
    EXPECT_EQ(frm->menuAction(Command::CorectieArhiva)->text(), "Incheiere &corectie arhiva");
    const long long stored = receipts(archive);
    typeLateReceipt(*frm, QStringLiteral("100.00"));
    ASSERT_EQ(receipts(archive), stored + 1) << messages().join("|").toStdString();

    // a closing cut short changes neither year
    yearend::setStepHook([](yearend::Step s) {
        if (s == yearend::Step::CorrectionCarried) throw std::runtime_error("Discul este plin");
    });
    ui::Messages::clearHistory();
    frm->runCommand(Command::CorectieArhiva);
    EXPECT_EQ(types(), QList<ui::MsgType>{ui::MsgType::Error});
    EXPECT_EQ(opening(db.path()), carried);
    EXPECT_TRUE(yearend::correctionPending(archive));
    yearend::setStepHook({});

    // the program ended with the correction open: the next start says so
    frm.reset();
    ui::Messages::clearHistory();
    frm = std::make_unique<TMainFrm>();
    EXPECT_EQ(messages(), QStringList{QString::fromStdString(yearend::correctionPendingText(2014))});
    EXPECT_TRUE(frm->windowTitle().endsWith("doar citire"));
    answers = {true, true};
    frm->runCommand(Command::CorectieArhiva);
    ui::Messages::clearHistory();
    frm->runCommand(Command::CorectieArhiva);
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].contains("Casa : " + money(closed.soldCasa) + " -> " + money(closed.soldCasa + 100)))
        << messages()[0].toStdString();
    EXPECT_TRUE(messages()[0].contains("Banca : " + money(closed.soldBanca) + " -> " + money(closed.soldBanca)));
    EXPECT_EQ(opening(db.path()), std::make_pair(data::roundToBan(closed.soldCasa + 100), closed.soldBanca));
    EXPECT_FALSE(yearend::correctionPending(archive));
    EXPECT_TRUE(frm->windowTitle().endsWith("doar citire"));
    EXPECT_THROW(data::SqlSession::forDirectory(archive).execute("DELETE FROM Venituri"), data::EngineError);
}

// ---------------------------------------------------------------- the command line

TEST(NewYearCommandLine, ParsesWithTheDirectoryOrAlone) {
    auto cl = app::parseCommandLine({"--dir", "/srv/parohie", "--new-year"});
    EXPECT_EQ(cl.mode, app::CommandLine::Mode::NewYear);
    EXPECT_EQ(cl.dir, "/srv/parohie");
    EXPECT_EQ(app::parseCommandLine({"--new-year", "--dir=/a"}).dir, "/a");
    EXPECT_EQ(app::parseCommandLine({"--new-year"}).mode, app::CommandLine::Mode::NewYear);
    EXPECT_EQ(app::parseCommandLine({"--init-db", "x", "--new-year"}).mode, app::CommandLine::Mode::Invalid);
    EXPECT_EQ(app::parseCommandLine({"--new-year", "--new-year"}).mode, app::CommandLine::Mode::Invalid);
    EXPECT_TRUE(app::runsWithoutWindows({"--dir", "x", "--new-year"}));
}

TEST_F(NewYearWindow, CommandLineAsksOnItsInputAndAnswersWithTheSummary) {
    const auto before = files();
    std::ostringstream out, err;
    std::istringstream empty("\n");  // Enter alone answers No
    EXPECT_EQ(app::runNewYear(db.path(), out, err, empty), 1);
    std::istringstream no("n\n");
    EXPECT_EQ(app::runNewYear(db.path(), out, err, no), 1);
    EXPECT_NE(out.str().find("Se inchide anul 2014"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("Trecerea la an nou nu s-a facut."), std::string::npos);
    EXPECT_EQ(files(), before);

    // a year not over: the second question, refused
    data::setToday(Date{2014, 7, 1});
    std::istringstream yesNo("d\nn\n");
    out.str("");
    EXPECT_EQ(app::runNewYear(db.path(), out, err, yesNo), 1);
    EXPECT_NE(out.str().find("Anul 2014 nu s-a incheiat inca: astazi este 01.07.2014."), std::string::npos);
    EXPECT_EQ(files(), before);

    std::istringstream yesYes("da\nD\n");
    out.str("");
    EXPECT_EQ(app::runNewYear(db.path(), out, err, yesYes), 0) << err.str();
    EXPECT_NE(out.str().find("Trecerea la an nou s-a incheiat."), std::string::npos) << out.str();
    EXPECT_EQ(workingYear(), 2015);

    // the year closed: the archive's directory is refused, on the error stream
    std::ostringstream out2, err2;
    std::istringstream yes("d\nd\n");
    EXPECT_EQ(app::runNewYear(db.path() + "Arhiva/2014", out2, err2, yes), 1);
    EXPECT_NE(err2.str().find("este arhiva anului 2014"), std::string::npos) << err2.str();
}

TEST_F(NewYearWindow, TheExecutablePassesTheYearAndThenOpensItsArchive) {
    const QString bin = qEnvironmentVariable("CORVALINDE_BIN");
    if (bin.isEmpty() || !QFile::exists(bin)) GTEST_SKIP() << "CORVALINDE_BIN not set";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", QString::fromStdString(home.path()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(bin, {"--dir", QString::fromStdString(db.path()), "--new-year"});
    ASSERT_TRUE(p.waitForStarted());
    p.write("d\nd\n");  // the system's today may fall in the working year
    p.closeWriteChannel();
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardOutput()).contains("Anul de lucru : 2015"));
    EXPECT_EQ(workingYear(), 2015);

    QProcess archive;
    archive.setProcessEnvironment(env);
    archive.start(bin, {"--dir", QString::fromStdString(db.path() + "Arhiva/2014")});
    ASSERT_TRUE(archive.waitForStarted());
    EXPECT_FALSE(archive.waitForFinished(2000)) << archive.readAllStandardError().toStdString();
    archive.kill();
    archive.waitForFinished();
}
