// The installation's copies: the day's work kept at the close, one folder per
// installation, retention, and the restore (window, command line, kills).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <filesystem>
#include <sstream>

#include "AppFixture.h"
#include "app/Backup.h"
#include "data/Journal.h"
#include "app/MainFrm.h"
#include "app/ParamAplicUnt.h"
#include "app/RestaurareUnt.h"
#include "backup/Backups.h"
#include "data/Engine.h"
#include "entry/DocumentLayout.h"
#include "entry/VenituriUnt.h"
#include "entry/Balances.h"
#include "support/GuiDriver.h"
#include "support/OtherProgram.h"
#include "shell/WindowSlots.h"

namespace fs = std::filesystem;

namespace {

long long receipts(const std::string& dir) { return backup::readFigures(dir).receipts; }

void addReceipt(const std::string& dir, double amount) {
    data::insertRows(dir + "Venituri.DB", {"Nr_act", "Data", "Valoarea", "Cont"},
                     {{1.0, data::Date{2014, 5, 12}, amount, "Casa"}});
}

}  // namespace

class BackupRestoreTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        app::setBackupTime(14, 15);
        install();
    }
    void TearDown() override {
        app::clearBackupTime();
        backup::setRestoreHook({});
        AppFixture::TearDown();
    }
    std::string folder() { return app::installationBackupFolder(app::kBackupBasePath); }
    std::vector<std::string> copies() { return backup::listCopies(folder()); }
};

TEST_F(BackupRestoreTest, TheCloseAfterAChangeKeepsTheDaysWork) {
    fs::create_directories(db.file("Arhiva/2013"));
    writeFile(db.file("Arhiva/2013/.an-inchis"), "2013");  // a closed year stays closed in the copies
    data::SqlSession::forDirectory(db.path()).execute("UPDATE \"Parohia.DB\" SET An_lucru = 2014");
    {
        // A receipt of today typed in the receipts window and saved, then the close.
        app::TMainFrm frm;
        frm.runCommand(app::Command::Venituri);
        auto* w = shell::openWindow<entry::TVenituriFrm>();
        ASSERT_NE(w, nullptr);
        gui::showActive(w);
        gui::focus(gui::control<entry::TDocEdit>(w, "DBEditNormal4"));
        gui::type(QStringLiteral("2"));
        gui::key(Qt::Key_Return);  // code -> account "Casa"
        gui::key(Qt::Key_Return);  // -> amount
        gui::type(QStringLiteral("250"));
        for (int i = 0; i < 3; ++i) gui::key(Qt::Key_Return);  // explanation, "&Salveaza", saved
        w->close();
        gui::settle();
        frm.close();
    }
    ASSERT_EQ(copies(), (std::vector<std::string>{"20140512", "20140512-1415"}));
    EXPECT_EQ(receipts(folder() + "/20140512/"), 0);
    EXPECT_EQ(receipts(folder() + "/20140512-1415/"), 1);
    EXPECT_TRUE(fs::is_directory(folder() + "/20140512-1415/PAROHII"));
    EXPECT_EQ(readFile(folder() + "/20140512-1415/Arhiva/2013/.an-inchis"), "2013");

    // A start and a close with nothing changed copy nothing more.
    app::setBackupTime(16, 0);
    {
        app::TMainFrm frm;
        frm.close();
    }
    EXPECT_EQ(copies().size(), 2u);
}

TEST_F(BackupRestoreTest, EveryInstallationKeepsItsOwnCopies) {
    TempDir other, copied;
    install(other.path());
    folder();  // the installation's id is made
    fs::copy(db.path(), copied.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    std::set<std::string> folders;
    for (const TempDir* d : {&db, &other, &copied}) {
        data::setAppDir(d->path());
        app::BackupDaily(app::kBackupBasePath);
        folders.insert(folder());
        EXPECT_EQ(copies(), std::vector<std::string>{"20140512"}) << d->path();
    }
    EXPECT_EQ(folders.size(), 3u);  // the copied directory got an id of its own
    // A moved installation keeps its id, and so its copies.
    data::setAppDir(db.path());
    const std::string before = folder();
    TempDir parent;
    const fs::path home = fs::path(db.path()).parent_path();
    fs::rename(home, parent.file("mutat"));
    data::setAppDir(parent.file("mutat/"));
    EXPECT_EQ(folder(), before);
    fs::rename(parent.file("mutat"), home);
}

TEST_F(BackupRestoreTest, OldCopiesGoButNeverTheLastSeven) {
    struct Case {
        std::vector<std::string> made;
        int days;
        std::vector<std::string> kept;
    };
    const std::vector<Case> cases = {
        // nine copies, all old: the newest seven stay
        {{"20140101", "20140102", "20140103", "20140104", "20140105", "20140106", "20140107", "20140108",
          "20140108-1200"},
         30,
         {"20140103", "20140104", "20140105", "20140106", "20140107", "20140108", "20140108-1200"}},
        // the old go, the recent stay, whatever their number
        {{"20140301", "20140401", "20140412", "20140413", "20140501", "20140502", "20140503", "20140504", "20140505",
          "20140512"},
         30,
         {"20140412", "20140413", "20140501", "20140502", "20140503", "20140504", "20140505", "20140512"}},
        {{"20140301", "20140401", "20140501", "20140502", "20140503", "20140504", "20140505", "20140506"},
         60,
         {"20140401", "20140501", "20140502", "20140503", "20140504", "20140505", "20140506"}},
    };
    for (const Case& c : cases) {
        TempDir f;
        for (const std::string& n : c.made) fs::create_directory(f.file(n));
        fs::create_directory(f.file("alt-director"));  // not a copy: never touched
        backup::pruneCopies(f.path(), c.days, {2014, 5, 12});
        EXPECT_EQ(backup::listCopies(f.path()), c.kept);
        EXPECT_TRUE(fs::exists(f.file("alt-director")));
    }
    // The days come from the settings; what is not a number of days is the default.
    for (const auto& [text, days] :
         std::vector<std::pair<std::string, int>>{{"45", 45}, {"0", 30}, {"zece", 30}, {"99999", 30}, {"", 30}}) {
        writeFile(db.file("Configurari.ini"), "[Options]\nZile pastrare copii=" + text + "\n");
        app::readSettings(db.file("Configurari.ini"));
        EXPECT_EQ(app::switches().retentionDays, days) << text;
    }
}

TEST_F(BackupRestoreTest, ARestoreAfterADeletionBringsTheDocumentAndTheBalancesBack) {
    addReceipt(db.path(), 100);
    addReceipt(db.path(), 40.5);
    app::BackupDaily(app::kBackupBasePath);
    const backup::Figures saved = backup::readFigures(db.path());
    data::SqlSession::forDirectory(db.path()).execute("DELETE FROM \"Venituri.DB\" WHERE Valoarea = 100");
    ASSERT_EQ(entry::CalcSoldCasa(db.path()), saved.casa / 100.0 - 100);

    // The command line lists the copy and asks; No changes nothing.
    std::ostringstream out, err;
    ASSERT_EQ(app::runListBackups(out, err), 0);
    EXPECT_EQ(out.str(), "20140512  12.05.2014 (prima pornire din zi)  " + backup::figuresText(saved) + "\n");
    EXPECT_EQ(saved.receipts, 2);
    std::istringstream no("n\n"), yes("d\n");
    EXPECT_EQ(app::runRestoreBackup("20140512", out, err, no), 1);
    EXPECT_EQ(receipts(db.path()), 1);
    EXPECT_EQ(app::runRestoreBackup("20140512", out, err, yes), 0) << err.str();

    const backup::Figures now = backup::readFigures(db.path());
    EXPECT_EQ(now.receipts, 2);
    EXPECT_EQ(now.casa, saved.casa);
    EXPECT_EQ(entry::CalcSoldCasa(db.path()), saved.casa / 100.0);
    // The state before the restore was kept first.
    ASSERT_EQ(copies(), (std::vector<std::string>{"20140512", "20140512-1415"}));
    EXPECT_EQ(receipts(folder() + "/20140512-1415/"), 1);
    // The restored journal ends with the restore, naming both copies, its chain whole.
    const data::journal::Verification v = data::journal::verify(db.path());
    EXPECT_TRUE(v.intact) << v.message;
    const std::vector<data::journal::Entry> last = data::journal::history(db.path(), "Instalare", 0);
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0].action, data::journal::kRestored);
    EXPECT_NE(last[0].after.find("20140512-1415"), std::string::npos) << last[0].after;
    EXPECT_EQ(app::runRestoreBackup("20990101", out, err, yes), 1);
}

TEST_F(BackupRestoreTest, ADamagedCopyOrABusyDirectoryIsRefusedBeforeAnythingIsReplaced) {
    app::BackupDaily(app::kBackupBasePath);
    addReceipt(db.path(), 7);
    const std::string receiptsFile = readFile(db.file("Venituri.DB"));
    {
        // Another instance of the program works in the directory.
        OtherProgram running([this] {
            static backup::InstanceLock lock;
            lock.share(db.path());
            return true;
        });
        ASSERT_TRUE(running.holding());
        EXPECT_FALSE(app::restoreRefusal().empty());
        EXPECT_THROW(app::restoreFromCopy(app::kBackupBasePath, "20140512"), backup::BackupError);
    }
    std::string damaged = readFile(folder() + "/20140512/Venituri.DB");
    for (size_t i = 100; i < damaged.size(); i += 7) damaged[i] = static_cast<char>(damaged[i] ^ 0x5a);
    writeFile(folder() + "/20140512/Venituri.DB", damaged);
    try {
        app::restoreFromCopy(app::kBackupBasePath, "20140512");
        ADD_FAILURE() << "no error";
    } catch (const backup::BackupError& e) {
        EXPECT_NE(std::string(e.what()).find("Venituri.DB"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(readFile(db.file("Venituri.DB")) == receiptsFile);
    EXPECT_EQ(copies(), std::vector<std::string>{"20140512"});  // not even the copy before
}

// A kill at each step of a restore: the next start finds the old data or the
// copy's, whole, and nothing of the restore's work left beside it.
TEST_F(BackupRestoreTest, AKillAtEveryStepOfARestoreLeavesAWholeState) {
    addReceipt(db.path(), 10);
    app::BackupDaily(app::kBackupBasePath);
    addReceipt(db.path(), 20);
    const std::string copy = folder() + "/20140512";
    using S = backup::RestoreStep;
    const std::vector<std::pair<S, int>> steps = {{S::Staged, 0},   {S::Marked, 0},  {S::MovedOut, 0}, {S::MovedOut, 3},
                                                  {S::Switched, 0}, {S::MovedIn, 0}, {S::MovedIn, 4},  {S::Done, 0}};
    for (const auto& [at, nth] : steps) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int seen = 0;
            backup::setRestoreHook([at = at, nth = nth, &seen](S s) {
                if (s == at && seen++ == nth) ::kill(::getpid(), SIGKILL);
            });
            try {
                backup::restoreCopy(db.path(), copy);
            } catch (...) {
            }
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "step " << int(at) << " not reached";
        const bool restored = at >= S::Switched;
        EXPECT_EQ(backup::recoverRestore(db.path()), at == S::Staged || at == S::Done ? 0 : restored ? 2 : 1);
        EXPECT_NO_THROW(backup::checkCopy(db.path()));
        EXPECT_EQ(receipts(db.path()), restored ? 1 : 2) << "step " << int(at);
        for (const char* left : {".restaurare", ".restaurare.nou", ".restaurare.vechi"})
            EXPECT_FALSE(fs::exists(db.file(left))) << left;
        if (restored) addReceipt(db.path(), 20);  // the next round starts from the old data again
    }
}

TEST_F(BackupRestoreTest, TheWindowListsTheCopiesAndRestoresTheChosenOne) {
    app::BackupDaily(app::kBackupBasePath);
    app::TMainFrm frm;
    addReceipt(db.path(), 75);
    frm.close();  // the close's copy holds the receipt
    data::SqlSession::forDirectory(db.path()).execute("DELETE FROM \"Venituri.DB\"");
    gui::Recorder rec;
    QStringList shown;
    gui::onModal<app::TRestaurareFrm>([&](app::TRestaurareFrm* dlg) {
        auto* grid = gui::control<QTableWidget>(dlg, "CopiesGrid");
        for (int r = 0; r < grid->rowCount(); ++r)
            shown << grid->item(r, 0)->text() + " " + grid->item(r, 4)->text() + " " + grid->item(r, 8)->text();
        EXPECT_EQ(dlg->chosenCopy(), "20140512-1415");  // the newest comes first
        gui::control<QPushButton>(dlg, "RestoreBtn")->click();
        if (dlg->isVisible()) dlg->reject();  // a refused restore leaves it open
    });
    frm.runCommand(app::Command::RestaurareCopie);
    const QString start = QString::fromStdString(data::formatAmountBani(0));
    const QString kept = QString::fromStdString(data::formatAmountBani(7500));
    EXPECT_EQ(shown, QStringList({"20140512-1415 1 " + kept, "20140512 0 " + start}));
    ASSERT_FALSE(rec.messages().isEmpty());
    const backup::Figures copy = backup::readFigures(folder() + "/20140512-1415");
    EXPECT_TRUE(rec.messages().first().contains(QString::fromStdString("Copia: " + backup::figuresText(copy))))
        << rec.messages().join("|").toStdString();
    EXPECT_EQ(receipts(db.path()), 1);
}

TEST_F(BackupRestoreTest, ACopyToAStickAndTheDaysKeptChosenInTheSettings) {
    addReceipt(db.path(), 12);
    TempDir stick;
    std::ostringstream out, err;
    ASSERT_EQ(app::runBackupTo(stick.path(), out, err), 0) << err.str();
    const std::string copy = out.str().substr(0, out.str().size() - 1);
    EXPECT_EQ(fs::path(copy).parent_path().parent_path(), fs::path(stick.path()).parent_path());
    EXPECT_EQ(receipts(copy + "/"), 1);
    // A link in a unit directory stops the copy, named; the copy made before stays whole.
    fs::create_symlink(db.file("Parohia.DB"), db.file("PAROHII/legatura.DB"));
    EXPECT_EQ(app::runBackupTo(stick.path(), out, err), 1);
    EXPECT_NE(err.str().find("PAROHII/legatura.DB"), std::string::npos) << err.str();
    EXPECT_EQ(receipts(copy + "/"), 1);
    // The same minute again: the copy is replaced whole.
    fs::remove(db.file("PAROHII/legatura.DB"));
    addReceipt(db.path(), 13);
    ASSERT_EQ(app::runBackupTo(stick.path(), out, err), 0) << err.str();
    EXPECT_EQ(receipts(copy + "/"), 2);
    EXPECT_EQ(backup::listCopies(fs::path(copy).parent_path().string()), std::vector<std::string>{"20140512-1415"});

    gui::onModal<app::TParamAplicFrm>([](app::TParamAplicFrm* dlg) {
        gui::control<QSpinBox>(dlg, "RetentionDays")->setValue(45);
        gui::control<QPushButton>(dlg, "BitBtn1")->click();
    });
    app::RunParamAplic(nullptr);
    EXPECT_EQ(app::switches().retentionDays, 45);
    app::switches().retentionDays = 30;
    app::readSettings(app::settingsPath());
    EXPECT_EQ(app::switches().retentionDays, 45);
}
