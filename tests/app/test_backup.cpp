// The settings file and the daily backup, on real files.
#include <fcntl.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "data/Journal.h"
#include "AppFixture.h"
#include "app/Backup.h"
#include "app/MainFrm.h"
#include "app/Settings.h"
#include "data/Table.h"
#include "reports/Workmsg.h"
#include "shell/StatusLine.h"
#include "support/OtherProgram.h"
#include "yearend/NewYear.h"

namespace fs = std::filesystem;

namespace {

std::set<std::string> filesIn(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.insert(e.path().filename().string() + (e.is_directory() ? "/" : ""));
    return names;
}

}  // namespace

class SettingsTest : public AppFixture {
protected:
    void readWith(const std::string& content) {
        writeFile(db.file("Configurari.ini"), content);
        app::readSettings(db.file("Configurari.ini"));
    }
};

TEST_F(SettingsTest, MissingFileOrKeysMeanBothSwitchesOn) {
    app::readSettings(db.file("Configurari.ini"));
    EXPECT_TRUE(app::switches().versionCheck);
    EXPECT_TRUE(app::switches().backup);
    readWith("[Options]\n");
    EXPECT_TRUE(app::switches().versionCheck);
    EXPECT_TRUE(app::switches().backup);
    readWith("[Altceva]\nBackup BD zilnic=0\n");
    EXPECT_TRUE(app::switches().backup);
}

TEST_F(SettingsTest, ValuesAreIntegersAndOtherTextCountsAsMissing) {
    readWith("[Options]\nCheck for new version=0\nBackup BD zilnic=0\n");
    EXPECT_FALSE(app::switches().versionCheck);
    EXPECT_FALSE(app::switches().backup);
    readWith("[Options]\nCheck for new version=1\nBackup BD zilnic=1\n");
    EXPECT_TRUE(app::switches().versionCheck);
    EXPECT_TRUE(app::switches().backup);
    // Any integer other than 0 is on.
    readWith("[Options]\nCheck for new version=-3\nBackup BD zilnic=17\n");
    EXPECT_TRUE(app::switches().versionCheck);
    EXPECT_TRUE(app::switches().backup);
    // Not an integer: the defaults.
    readWith("[Options]\nCheck for new version=nu\nBackup BD zilnic=0x\n");
    EXPECT_TRUE(app::switches().versionCheck);
    EXPECT_TRUE(app::switches().backup);
    readWith("[Options]\nBackup BD zilnic=\n");
    EXPECT_TRUE(app::switches().backup);
    readWith("[Options]\nBackup BD zilnic = 0 \n");
    EXPECT_FALSE(app::switches().backup);
    readWith("[Options]\nBackup BD zilnic=99999999999\n");  // beyond a 32-bit integer
    EXPECT_TRUE(app::switches().backup);
}

TEST_F(SettingsTest, VersionCheckKeepsItsValueWhenTheKeyIsMissing) {
    app::switches().versionCheck = false;
    app::switches().backup = false;
    readWith("[Options]\n");
    EXPECT_FALSE(app::switches().versionCheck);
    EXPECT_TRUE(app::switches().backup);
}

TEST_F(SettingsTest, WritingKeepsTheRestOfTheFile) {
    writeFile(db.file("Configurari.ini"), "[Altele]\nCheie=valoare\n[Options]\nBackup BD zilnic=7\n");
    // replaced whole, never rewritten in place: a second name keeps the old text
    fs::create_hard_link(db.file("Configurari.ini"), db.file("vechi.ini"));
    app::switches() = {false, true};
    app::writeSettings(db.file("Configurari.ini"));
    EXPECT_EQ(readFile(db.file("vechi.ini")), "[Altele]\nCheie=valoare\n[Options]\nBackup BD zilnic=7\n");
    const std::string text = readFile(db.file("Configurari.ini"));
    // the file's own lines as they were, the changed value in its place, the new keys after it
    EXPECT_EQ(text,
              "[Altele]\nCheie=valoare\n[Options]\nBackup BD zilnic=1\nCheck for new version=0\n"
              "Zile pastrare copii=30\nAfisare pe ecran=0\nFisa enoriasului si pangar=0\n");
    app::switches() = {true, false};
    app::readSettings(db.file("Configurari.ini"));
    EXPECT_FALSE(app::switches().versionCheck);
    EXPECT_TRUE(app::switches().backup);
}

class BackupTest : public AppFixture {
protected:
    // The installation's folder, "<unit name>-<id>".
    std::string folder() { return app::installationBackupFolder(app::kBackupBasePath); }
    std::string dayDir(const char* day = "20140512") { return folder() + "/" + day; }
};

TEST_F(BackupTest, DirectoryOfTheDay) {
    install();
    const std::string id = backup::installationId(db.path());
    EXPECT_EQ(app::backupDirectory(app::kBackupBasePath, {2014, 5, 12}),
              home.path() + "SalvariQuillmar/Corvalinde/Parohia_Sf._Nicolae-" + id + "/20140512");
    EXPECT_EQ(app::backupDirectory(app::kBackupBasePath, {2015, 3, 1}), dayDir("20150301"));
    EXPECT_EQ(app::backupDirectory("E:\\Date\\Parohie", {2020, 12, 31}),
              home.path() + "SalvariQuillmar/Date/Parohie/Parohia_Sf._Nicolae-" + id + "/20201231");
    // The id stays when the unit is renamed: the copies stay together.
    fs::create_directories(folder());
    nameTheUnit(db.path(), "Alt nume");
    EXPECT_EQ(dayDir(), home.path() + "SalvariQuillmar/Corvalinde/Parohia_Sf._Nicolae-" + id + "/20140512");
}

TEST_F(BackupTest, FirstStartOfTheDayCopiesTheOrdinaryFiles) {
    install();
    writeFile(db.file("note.txt"), "nota");
    writeFile(db.file("Corvalinde"), "program");
    writeFile(db.file("Corvalinde.log"), "jurnal");
    writeFile(db.file("Vechi_Corvalinde_2.txt"), "x");
    writeFile(db.file("corvalinde.txt"), "litere mici");
    writeFile(db.file("CORVALINDE.cfg"), "majuscule");
    writeFile(db.file(".ascuns"), "ascuns");
    fs::create_directories(db.file("PRIV"));
    writeFile(db.file("PRIV/temp.db"), "temp");

    app::BackupDaily(app::kBackupBasePath);

    const std::string b = dayDir();
    ASSERT_TRUE(fs::is_directory(b));
    std::set<std::string> expected;
    for (const auto& e : fs::directory_iterator(db.path())) {
        const std::string n = e.path().filename().string();
        if (n[0] != '.' && n.find("Corvalinde") == std::string::npos && n != "PRIV")
            expected.insert(n + (e.is_directory() ? "/" : ""));
    }
    EXPECT_EQ(filesIn(b), expected);
    EXPECT_TRUE(expected.count("corvalinde.txt"));
    EXPECT_TRUE(expected.count("CORVALINDE.cfg"));
    EXPECT_TRUE(expected.count("Parohia.DB"));
    EXPECT_TRUE(expected.count("PAROHII/"));  // the unit directories come along
    for (const std::string& n : expected) {
        if (n.back() != '/') EXPECT_EQ(readFile(b + "/" + n), readFile(db.file(n))) << n;
    }

    // The copied tables open as tables.
    data::Table t;
    t.setDatabaseName(b + "/");
    t.setTableName("Tip_doc.db");
    t.open();
    EXPECT_GT(t.recordCount(), 0);
}

TEST_F(BackupTest, SecondStartTheSameDayCopiesNothing) {
    install();
    app::BackupDaily(app::kBackupBasePath);
    writeFile(db.file("nou.txt"), "adaugat dupa");
    app::BackupDaily(app::kBackupBasePath);
    EXPECT_FALSE(fs::exists(dayDir() + "/nou.txt"));
    // The next day gets its own copy.
    data::setToday(data::Date{2014, 5, 13});
    app::BackupDaily(app::kBackupBasePath);
    EXPECT_TRUE(fs::exists(dayDir("20140513") + "/nou.txt"));
}

TEST_F(BackupTest, StartUpMakesTheBackupUnlessTheSettingsSwitchItOff) {
    install();
    {
        app::TMainFrm frm;
        EXPECT_TRUE(fs::exists(dayDir() + "/Parohia.DB"));
    }
    fs::remove_all(home.path() + "SalvariQuillmar");
    writeFile(db.file("Configurari.ini"), "[Options]\nBackup BD zilnic=0\n");
    app::TMainFrm frm;
    EXPECT_FALSE(fs::exists(home.path() + "SalvariQuillmar"));
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(BackupTest, FailureNamesTheDirectoryAndStartUpGoesOn) {
    install();
    writeFile(home.file("SalvariQuillmar"), "un fisier, nu un director");
    EXPECT_THROW(
        {
            try {
                app::BackupDaily(app::kBackupBasePath);
            } catch (const std::runtime_error& e) {
                EXPECT_EQ(std::string(e.what()), "Nu pot salva baza de date in directorul " + dayDir());
                throw;
            }
        },
        std::runtime_error);

    app::TMainFrm frm;
    ASSERT_EQ(messages(), QStringList{QString::fromStdString("Nu pot salva baza de date in directorul " + dayDir())});
    EXPECT_EQ(ui::Messages::history()[0].type, ui::MsgType::Error);
    ui::StatusMessage("dupa");  // the later start-up steps ran
    EXPECT_EQ(frm.StatusLine->text(), "dupa");
}

TEST_F(BackupTest, AFileThatCannotBeReadIsNamedAndTheDayIsRetried) {
    install();
    // Another program is writing this file: it holds a write lock on it.
    writeFile(db.file("ocupat.txt"), "in lucru");
    LockedElsewhere writer(db.file("ocupat.txt"), true);
    ASSERT_TRUE(writer.locked());
    try {
        app::BackupDaily(app::kBackupBasePath);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Nu pot salva baza de date in directorul " + dayDir() + "\nFisiere necopiate: ocupat.txt");
    }
    writer.release();
    // The day is not done, but the other files were copied aside.
    EXPECT_FALSE(fs::exists(dayDir()));
    EXPECT_TRUE(readFile(dayDir() + ".incomplet/Parohia.DB") == readFile(db.file("Parohia.DB")));

    app::BackupDaily(app::kBackupBasePath);
    EXPECT_EQ(readFile(dayDir() + "/ocupat.txt"), "in lucru");
    EXPECT_TRUE(fs::exists(dayDir() + "/Parohia.DB"));
    EXPECT_EQ(filesIn(folder()), std::set<std::string>{"20140512/"});
}

TEST_F(BackupTest, ACopyCutShortLeavesNoTornTableAndIsRetriedAtTheNextStart) {
    install();
    // A table of a few megabytes, copied in several pieces.
    const std::string big = db.file("Mare.DB");
    sqlite3* conn = nullptr;
    ASSERT_EQ(sqlite3_open(big.c_str(), &conn), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(conn,
                           "CREATE TABLE Mare(x BLOB); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n "
                           "WHERE i<4000) INSERT INTO Mare SELECT randomblob(1000) FROM n",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(conn);
    ASSERT_GT(fs::file_size(big), 3u << 20);

    // The program is killed while it copies the large table.
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        app::setBackupProgressHook([](const std::string& name, long long copied) {
            if (name == "Mare.DB" && copied > 0) ::kill(::getpid(), SIGKILL);
        });
        try {
            app::BackupDaily(app::kBackupBasePath);
        } catch (...) {
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the copy was not interrupted";

    // No file of the day carries a name of the database directory unless it is whole.
    const std::string dayRoot = folder();
    EXPECT_FALSE(fs::exists(dayDir()));
    int whole = 0;
    for (const auto& e : fs::recursive_directory_iterator(dayRoot)) {
        if (!e.is_regular_file()) continue;
        const std::string name = e.path().filename().string();
        if (!fs::exists(db.file(name))) continue;
        EXPECT_TRUE(readFile(e.path().string()) == readFile(db.file(name))) << e.path();
        ++whole;
    }
    EXPECT_GT(whole, 0);  // the files before it were copied

    // The next start makes the day's copy.
    app::BackupDaily(app::kBackupBasePath);
    ASSERT_TRUE(fs::is_directory(dayDir()));
    EXPECT_TRUE(readFile(dayDir() + "/Mare.DB") == readFile(big));
    for (const auto& e : fs::directory_iterator(db.path())) {
        if (!e.is_regular_file() || e.path().filename().string()[0] == '.') continue;  // hidden files stay
        EXPECT_TRUE(fs::exists(dayDir() + "/" + e.path().filename().string())) << e.path();
    }
    EXPECT_EQ(filesIn(dayRoot), std::set<std::string>{"20140512/"});
    EXPECT_EQ(filesIn(dayDir()).count("Mare.DB"), 1u);
}

TEST_F(BackupTest, ATableBeingWrittenByAnotherProgramIsNeverCopiedHalfWay) {
    install();
    // Another process holds the table in the middle of a write.
    OtherProgram writer([this] {
        sqlite3* other = nullptr;
        return sqlite3_open(db.file("Tip_doc.db").c_str(), &other) == SQLITE_OK &&
               sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
    });
    ASSERT_TRUE(writer.holding());
    EXPECT_THROW(app::BackupDaily(app::kBackupBasePath), std::runtime_error);
    EXPECT_FALSE(fs::exists(dayDir() + "/Tip_doc.db"));
}

TEST_F(BackupTest, ATableLeftHalfWrittenByACrashIsCopiedAsCommitted) {
    install();
    const std::string path = db.file("Crash.DB");
    sqlite3* conn = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &conn), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(conn,
                           "CREATE TABLE t(x TEXT); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n "
                           "WHERE i<3000) INSERT INTO t SELECT printf('rand %05d ........................', i) FROM n",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(conn);
    const std::string committed = readFile(path);

    // A process writes with a tiny cache, so changed pages reach the file
    // before the commit, and dies in the middle of the transaction.
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        sqlite3* c = nullptr;
        sqlite3_open(path.c_str(), &c);
        sqlite3_exec(c, "PRAGMA cache_size=2; BEGIN; UPDATE t SET x = 'half written'", nullptr, nullptr, nullptr);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(fs::exists(path + "-journal"));
    ASSERT_NE(readFile(path), committed);  // the file holds uncommitted pages

    app::BackupDaily(app::kBackupBasePath);
    EXPECT_FALSE(fs::exists(dayDir() + "/Crash.DB-journal"));
    sqlite3* copy = nullptr;
    ASSERT_EQ(sqlite3_open_v2((dayDir() + "/Crash.DB").c_str(), &copy, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(copy, "SELECT count(*), sum(x = 'half written') FROM t", -1, &st, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(st, 0), 3000);
    EXPECT_EQ(sqlite3_column_int(st, 1), 0);
    sqlite3_finalize(st);
    sqlite3_close(copy);
}

// A whole-directory copy never leaves a file out: the backup stops at a link,
// naming it; the passage to a new year refuses a table
// that is a link and stops, before changing anything, at any other link.
TEST_F(BackupTest, LinksAndOtherNonFilesAreCopiedOrStopTheCopyNeverSkipped) {
    install();
    TempDir elsewhere;
    writeFile(elsewhere.file("nota.txt"), "nota");
    fs::create_symlink(elsewhere.file("nota.txt"), db.file("nota.txt"));
    fs::create_symlink(elsewhere.file("lipsa.txt"), db.file("lipsa.txt"));
    try {
        app::BackupDaily(app::kBackupBasePath);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Nu pot salva baza de date in directorul " + dayDir() + "\nFisiere necopiate: lipsa.txt, nota.txt");
    }
    EXPECT_FALSE(fs::exists(dayDir()));
    fs::remove(db.file("lipsa.txt"));
    data::SqlSession::forDirectory(db.path()).execute("UPDATE \"Parohia.DB\" SET An_lucru = 2014");
    data::insertRows(db.file("Venituri.DB"), {"Data", "Valoarea", "Cont"}, {{data::Date{2014, 3, 1}, 5.0, "Casa"}});
    data::journal::settle(db.path());  // waiting journal entries move whether the passage succeeds or not
    const std::string receipts = readFile(db.file("Venituri.DB")), unit = readFile(db.file("Parohia.DB"));
    EXPECT_THROW(yearend::passNewYear(db.path(), 2014), yearend::NewYearFailed);
    fs::remove(db.file("nota.txt"));
    fs::rename(db.file("Venituri.DB"), elsewhere.file("Venituri.DB"));
    fs::create_symlink(elsewhere.file("Venituri.DB"), db.file("Venituri.DB"));
    EXPECT_THROW(yearend::passNewYear(db.path(), 2014), yearend::NewYearRefused);
    EXPECT_EQ(readFile(elsewhere.file("Venituri.DB")), receipts);
    EXPECT_TRUE(readFile(db.file("Parohia.DB")) == unit && !fs::exists(db.file("Arhiva/2014")));
}
