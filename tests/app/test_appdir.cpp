// Where the data lives (beside a writable program, else the user's data
// folder), the first start there, and "Sistem" / "Despre".
#include <QAction>
#include <QPushButton>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "AppFixture.h"
#include "app/FirstStart.h"
#include "app/MainFrm.h"
#include "data/Engine.h"
#include "support/GuiDriver.h"

namespace {

// Makes a directory read-only for everyone, the superuser too (through the
// immutable attribute), or takes that back.
void setReadOnly(const std::string& dir, bool on) {
    ::chmod(dir.c_str(), on ? 0555 : 0755);
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    if (fd >= 0) ::close(fd);
}

class AppDirTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        ::setenv("XDG_DATA_HOME", xdg.path().c_str(), 1);
    }
    void TearDown() override {
        setReadOnly(program.path(), false);
        ::unsetenv("XDG_DATA_HOME");
        data::setInstalledProgramDirectory("");
        AppFixture::TearDown();
    }
    TempDir program, xdg;
    const std::string userFolder = xdg.path() + "Corvalinde/";
};

}  // namespace

TEST_F(AppDirTest, TablesStayBesideAWritableProgramElseGoToTheUsersDataFolder) {
    EXPECT_EQ(data::defaultDatabaseDirectory(program.path()), program.path());
    ::setenv("XDG_DATA_HOME", "relative/dir", 1);  // not a data folder: the home's default is
    EXPECT_EQ(data::userDataDirectory(), home.path() + ".local/share/Corvalinde/");
    ::setenv("XDG_DATA_HOME", xdg.path().c_str(), 1);

    data::setInstalledProgramDirectory(program.path());  // installed there, although writable
    EXPECT_EQ(data::defaultDatabaseDirectory(program.path()), userFolder);
    data::setInstalledProgramDirectory("");

    setReadOnly(program.path(), true);
    if (::access(program.path().c_str(), W_OK) == 0) GTEST_SKIP() << "no directory can be made read-only here";
    EXPECT_EQ(data::defaultDatabaseDirectory(program.path()), userFolder);
}

TEST_F(AppDirTest, FirstStartMakesANewInstallationOrLeavesTheFolderAsItWas) {
    std::filesystem::create_directories(userFolder);
    ui::Messages::setResponder([](ui::MessageRecord&) { return int(ui::Cancel); });
    EXPECT_FALSE(app::offerInstallation(userFolder));  // Anuleaza: the program ends
    ASSERT_EQ(ui::Messages::history().size(), 1u);
    EXPECT_TRUE(ui::Messages::history()[0].text.contains(QString::fromStdString(userFolder)));
    EXPECT_TRUE(std::filesystem::is_empty(userFolder));

    // Nu, from a folder that is gone: told, asked again; Da makes the installation
    int asked = 0;
    ui::Messages::clearHistory();
    ui::Messages::setResponder([&](ui::MessageRecord& r) {
        if (r.type != ui::MsgType::Confirmation) return int(ui::Ok);
        return ++asked == 1 ? int(ui::No) : int(ui::Yes);
    });
    data::setAppDir(userFolder);  // the new installation's unit data asked for, its kind first
    gui::onModal([](QWidget* d) {
        gui::showActive(d);
        EXPECT_EQ(gui::focusName(d), "TipUnitCombo");
        gui::type("Parohie");
        gui::key(Qt::Key_Return);
        gui::control<QPushButton>(d, "BitBtn1")->click();
    });
    EXPECT_TRUE(app::offerInstallation(userFolder, nullptr, [&](QWidget*) { return xdg.file("gone"); }));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(data::SqlSession::forDirectory(userFolder).select("SELECT Tip_unitate FROM Parohia").rows.at(0).at(0),
              data::Value("Parohie"));
    ASSERT_GE(ui::Messages::history().size(), 3u);
    EXPECT_EQ(ui::Messages::history()[1].type, ui::MsgType::Error);
    EXPECT_TRUE(std::filesystem::exists(userFolder + "Venituri.DB"));

    ui::Messages::clearHistory();  // a folder with its tables is not asked about
    EXPECT_TRUE(app::offerInstallation(userFolder));
    EXPECT_TRUE(ui::Messages::history().empty());
}

TEST_F(AppDirTest, DespreShowsTheVersionAndTheDatabaseDirectory) {
    install();
    app::setBuildVersion("2.3.4.5");
    app::TMainFrm frm;
    ui::Messages::clearHistory();
    QAction* despre = frm.findChild<QAction*>("Despre1");
    ASSERT_NE(despre, nullptr);
    despre->trigger();
    ASSERT_EQ(ui::Messages::history().size(), 1u);
    const QString shown = ui::Messages::history()[0].text;
    EXPECT_TRUE(shown.contains("Versiunea 2.3.4.5") && shown.contains(QString::fromStdString(db.path())))
        << shown.toStdString();
}
