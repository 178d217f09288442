// The executable's command line, parsed and run for real.
#include <QFile>
#include <QProcess>
#include <filesystem>
#include <sstream>

#include "AppFixture.h"
#include "app/CommandLine.h"
#include "app/Version.h"

using app::CommandLine;
using Mode = CommandLine::Mode;

TEST(CommandLineTest, Parsing) {
    EXPECT_EQ(app::parseCommandLine({}).mode, Mode::Run);
    EXPECT_TRUE(app::parseCommandLine({}).dir.empty());
    auto dir = app::parseCommandLine({"--dir", "/srv/parohie"});
    EXPECT_EQ(dir.mode, Mode::Run);
    EXPECT_EQ(dir.dir, "/srv/parohie");
    EXPECT_EQ(app::parseCommandLine({"--dir=/a b"}).dir, "/a b");
    auto init = app::parseCommandLine({"--init-db", "nou"});
    EXPECT_EQ(init.mode, Mode::InitDb);
    EXPECT_EQ(init.dir, "nou");
    EXPECT_EQ(app::parseCommandLine({"--help"}).mode, Mode::Help);
    EXPECT_EQ(app::parseCommandLine({"-h"}).mode, Mode::Help);
    EXPECT_EQ(app::parseCommandLine({"-h=1"}).mode, Mode::Invalid);
    EXPECT_EQ(app::parseCommandLine({"--version"}).mode, Mode::Version);
    for (const auto& bad : std::vector<std::vector<std::string>>{{"--dir"},
                                                                 {"--init-db"},
                                                                 {"--dir="},
                                                                 {"--bogus"},
                                                                 {"extra"},
                                                                 {"--dir", "a", "--init-db", "b"},
                                                                 {"--help", "--version"}}) {
        auto cl = app::parseCommandLine(bad);
        EXPECT_EQ(cl.mode, Mode::Invalid) << bad[0];
        EXPECT_FALSE(cl.error.empty());
    }
    auto rep = app::parseCommandLine({"--report", "casa", "--dir=/srv/p", "--from", "01.01.2014", "--out", "a.pdf"});
    EXPECT_EQ(rep.mode, Mode::Report);
    EXPECT_EQ(rep.dir, "/srv/p");
    EXPECT_EQ(rep.value("--report"), "casa");
    EXPECT_EQ(rep.value("--from"), "01.01.2014");
    EXPECT_EQ(app::parseCommandLine({"--dir", "d", "--balances"}).mode, Mode::Balances);
    EXPECT_EQ(app::parseCommandLine({"--list-reports"}).mode, Mode::ListReports);
    EXPECT_TRUE(app::parseCommandLine({"--report", "bilant", "--expenses-new-page", "--out", "b.csv"})
                    .has("--expenses-new-page"));
    // several budget files: the arguments up to the next option
    auto take = app::parseCommandLine({"--take-over-budget", "a.json", "b.json", "c.json", "--group", "PAROHII"});
    EXPECT_EQ(take.mode, Mode::TakeOverBudget);
    EXPECT_EQ(take.value("--take-over-budget"), "a.json");
    EXPECT_EQ(take.moreFiles, (std::vector<std::string>{"b.json", "c.json"}));
    EXPECT_EQ(take.value("--group"), "PAROHII");
    for (const auto& bad : std::vector<std::vector<std::string>>{{"--report"},
                                                                 {"--balances", "--list-reports"},
                                                                 {"--balances", "--from", "01.01.2014"},
                                                                 {"--from", "01.01.2014"},
                                                                 {"--init-db", "x", "--out", "y"},
                                                                 {"--report", "casa", "--out", "a", "--out", "b"},
                                                                 {"--report", "bilant", "--expenses-new-page=1"}}) {
        auto cl = app::parseCommandLine(bad);
        EXPECT_EQ(cl.mode, Mode::Invalid) << bad[0] << " " << bad.back();
        EXPECT_FALSE(cl.error.empty());
    }
    // the value of an option is never taken for a command
    EXPECT_EQ(&app::commandFor({"--dir", "--balances"}), &app::commands().front());
    EXPECT_EQ(app::commandFor({"--dir", "d", "--report", "casa"}).runs, app::Runs::Offscreen);
    EXPECT_TRUE(app::runsWithoutWindows({"--init-db", "x"}));
    EXPECT_TRUE(app::runsWithoutWindows({"--version"}));
    EXPECT_FALSE(app::runsWithoutWindows({"--dir", "x"}));
}

TEST(CommandLineTest, InitDbCreatesOnceAndThenRefuses) {
    TempDir dir;
    const std::string target = dir.file("parohie");  // made when missing
    std::ostringstream out, err;
    ASSERT_EQ(app::runInitDb(target, out, err), 0) << err.str();
    EXPECT_TRUE(err.str().empty());
    EXPECT_NE(out.str().find("Parohia.DB\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("Venituri.DB\n"), std::string::npos) << out.str();
    EXPECT_TRUE(std::filesystem::exists(target + "/Parohia.DB"));

    const auto before = std::filesystem::last_write_time(target + "/Tip_doc.db");
    const auto size = std::filesystem::file_size(target + "/Tip_doc.db");
    std::ostringstream out2, err2;
    EXPECT_EQ(app::runInitDb(target, out2, err2), 1);
    EXPECT_TRUE(out2.str().empty());
    EXPECT_FALSE(err2.str().empty());
    EXPECT_EQ(std::filesystem::last_write_time(target + "/Tip_doc.db"), before);
    EXPECT_EQ(std::filesystem::file_size(target + "/Tip_doc.db"), size);
}

TEST(CommandLineTest, ImportParadoxTakesTheNewInstallationsDirectory) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"--import-paradox", "vechi", "--dir", "nou"},
                                                                  {"--dir=nou", "--import-paradox=vechi"}}) {
        auto cl = app::parseCommandLine(args);
        EXPECT_EQ(cl.mode, Mode::ImportParadox) << cl.error;
        EXPECT_EQ(cl.value("--import-paradox"), "vechi");
        EXPECT_EQ(cl.dir, "nou");
        EXPECT_TRUE(app::runsWithoutWindows(args));
    }
    for (const auto& bad : std::vector<std::vector<std::string>>{{"--import-paradox", "vechi"},
                                                                 {"--import-paradox"},
                                                                 {"--import-paradox", "a", "--dir", "b", "--dir", "c"},
                                                                 {"--import-paradox", "a", "--init-db", "b"},
                                                                 {"--import-paradox", "a", "--import-paradox", "b"}})
        EXPECT_EQ(app::parseCommandLine(bad).mode, Mode::Invalid) << bad.size();
}

// The real executable, as a user or the start script runs it.
class ExecutableTest : public ::testing::Test {
protected:
    void SetUp() override {
        bin = qEnvironmentVariable("CORVALINDE_BIN");
        if (bin.isEmpty() || !QFile::exists(bin)) GTEST_SKIP() << "CORVALINDE_BIN not set";
    }
    int run(const QStringList& args, QString* out = nullptr, QString* err = nullptr) {
        QProcess p;
        p.start(bin, args);
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished();
            return -1;
        }
        if (out) *out = QString::fromUtf8(p.readAllStandardOutput());
        if (err) *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    QString bin;
};

TEST_F(ExecutableTest, VersionAndHelp) {
    QString out;
    EXPECT_EQ(run({"--version"}, &out), 0);
    EXPECT_EQ(out, "Corvalinde 1.0.0.0\n");
    EXPECT_EQ(run({"--help"}, &out), 0);
    EXPECT_TRUE(out.contains("--init-db"));
    for (const char* command : {"--balances", "--list-reports", "--report NUME", "--out FISIER"})
        EXPECT_TRUE(out.contains(command)) << command;
    QString err;
    EXPECT_EQ(run({"--bogus"}, &out, &err), 2);
    EXPECT_TRUE(err.contains("--bogus"));
}

// Without a display, as on a server or in a script: a bad command line is
// still answered with the usage and status 2, never a crash of the toolkit.
TEST_F(ExecutableTest, BadCommandLinesWithoutADisplay) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(v);
    auto runBare = [&](const QStringList& args, QString* out, QString* err) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(bin, args);
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished();
        }
        *out = QString::fromUtf8(p.readAllStandardOutput());
        *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    QString out, err;
    const std::vector<std::pair<QStringList, QString>> bad = {{{"--bogus"}, "--bogus"},
                                                              {{"extra"}, "extra"},
                                                              {{"--dir"}, "--dir"},
                                                              {{"--dir", "d", "--from", "01.01.2014"}, "--from"},
                                                              {{"--dir", "d", "--dir", "e"}, "de doua ori"}};
    for (const auto& [args, text] : bad) {
        EXPECT_EQ(runBare(args, &out, &err), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(err.contains(text) && err.contains("Utilizare:")) << err.toStdString();
    }
    EXPECT_EQ(runBare({"-h"}, &out, &err), 0) << err.toStdString();
    EXPECT_TRUE(out.contains("--report NUME")) << out.toStdString();
}

TEST_F(ExecutableTest, InitDbTwiceInTheSameDirectory) {
    TempDir dir;
    QString out, err;
    ASSERT_EQ(run({"--init-db", QString::fromStdString(dir.path())}, &out, &err), 0) << err.toStdString();
    EXPECT_TRUE(out.split('\n').contains("Parohia.DB")) << out.toStdString();
    EXPECT_EQ(run({"--init-db", QString::fromStdString(dir.path())}, &out, &err), 1);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_FALSE(err.isEmpty());
}

TEST_F(ExecutableTest, ImportParadoxExitCodes) {
    TempDir dir;
    QString out, err;
    const QString dest = QString::fromStdString(dir.file("nou"));
    EXPECT_EQ(run({"--import-paradox", QString::fromStdString(dir.path())}, &out, &err), 2);
    EXPECT_TRUE(err.contains("--dir")) << err.toStdString();
    // an empty old directory: every table missing, the new installation as created
    std::filesystem::create_directory(dir.file("vechi"));
    EXPECT_EQ(run({"--import-paradox", QString::fromStdString(dir.file("vechi")), "--dir", dest}, &out, &err), 0)
        << err.toStdString();
    EXPECT_TRUE(out.contains("Sold casa : 0.00")) << out.toStdString();
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.file("nou/Venituri.DB")));
    EXPECT_EQ(run({"--import-paradox", QString::fromStdString(dir.file("lipsa")), "--dir", dest + "2"}, &out, &err), 1);
    EXPECT_TRUE(err.contains("lipsa") && err.contains("Importul a fost anulat")) << err.toStdString();
    EXPECT_FALSE(std::filesystem::exists(dir.file("nou2")));
    // over an installation: refused, and the message does not say it was never made
    EXPECT_EQ(run({"--import-paradox", QString::fromStdString(dir.file("vechi")), "--dir", dest}, &out, &err), 1);
    EXPECT_TRUE(err.contains("exista deja") && err.contains("a ramas neschimbat")) << err.toStdString();
    EXPECT_FALSE(err.contains(dest + " nu a fost creat")) << err.toStdString();
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.file("nou/Venituri.DB")));
}

TEST_F(ExecutableTest, MissingDatabaseDirectoryIsRefused) {
    TempDir dir;
    QString err;
    EXPECT_EQ(run({"-platform", "offscreen", "--dir", QString::fromStdString(dir.file("nu-exista"))}, nullptr, &err),
              1);
    EXPECT_TRUE(err.contains("nu-exista"));
}

TEST_F(ExecutableTest, StartsOnTheGivenDatabaseDirectory) {
    TempDir dir, home;
    installInto(dir.path());
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", QString::fromStdString(home.path()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(bin, {"--dir", QString::fromStdString(dir.path())});
    ASSERT_TRUE(p.waitForStarted());
    // Still running after start-up, and today's copy was made from that directory.
    EXPECT_FALSE(p.waitForFinished(2000)) << p.readAllStandardError().toStdString();
    bool copied = false;
    // <root>/Corvalinde/<unit>-<id>/<day>/Parohia.DB
    for (const auto& e : std::filesystem::recursive_directory_iterator(home.path() + "SalvariQuillmar"))
        copied = copied || (e.path().filename() == "Parohia.DB" &&
                            e.path().parent_path().parent_path().parent_path().filename() == "Corvalinde");
    EXPECT_TRUE(copied);
    p.kill();
    p.waitForFinished();
}
