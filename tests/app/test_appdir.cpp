// Where the data lives (beside a writable program, else the user's data
// folder), the first start there, and "Sistem" / "Despre".
#include <QAction>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "AppFixture.h"
#include "app/FirstStart.h"
#include "app/MainFrm.h"

namespace {

// A directory no one may write, the superuser included (the immutable
// attribute where plain permissions do not stop it); undone at the end.
class ReadOnlyDir {
public:
    explicit ReadOnlyDir(const std::string& dir) : dir_(dir) {
        ::chmod(dir.c_str(), 0555);
        if (::access(dir.c_str(), W_OK) == 0) setImmutable(true);
    }
    ~ReadOnlyDir() {
        setImmutable(false);
        ::chmod(dir_.c_str(), 0755);
    }
    bool readOnly() const { return ::access(dir_.c_str(), W_OK) != 0; }

private:
    void setImmutable(bool on) {
        const int fd = ::open(dir_.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        ::close(fd);
    }
    std::string dir_;
};

class AppDirTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        ::setenv("XDG_DATA_HOME", xdg.path().c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("XDG_DATA_HOME");
        data::setInstalledProgramDirectory("");
        AppFixture::TearDown();
    }
    TempDir program, xdg;
};

}  // namespace

TEST_F(AppDirTest, TablesStayBesideAWritableProgramElseGoToTheUsersDataFolder) {
    const std::string userFolder = xdg.path() + "Corvalinde/";
    EXPECT_EQ(data::defaultDatabaseDirectory(program.path()), program.path());
    // a relative XDG_DATA_HOME is not a data folder: the home's default is
    ::setenv("XDG_DATA_HOME", "relative/dir", 1);
    EXPECT_EQ(data::userDataDirectory(), home.path() + ".local/share/Corvalinde/");
    ::setenv("XDG_DATA_HOME", xdg.path().c_str(), 1);
    EXPECT_EQ(data::userDataDirectory(), userFolder);

    // the installed program's directory, writable or not
    data::setInstalledProgramDirectory(program.path());
    EXPECT_EQ(data::defaultDatabaseDirectory(program.path()), userFolder);
    data::setInstalledProgramDirectory("");

    ReadOnlyDir readOnly(program.path());
    if (!readOnly.readOnly()) GTEST_SKIP() << "this file system cannot make a directory read-only for us";
    EXPECT_EQ(data::defaultDatabaseDirectory(program.path()), userFolder);
}

TEST_F(AppDirTest, FirstStartMakesANewInstallationOrLeavesTheFolderAsItWas) {
    const std::string dir = xdg.path() + "Corvalinde/";
    std::filesystem::create_directories(dir);
    // Anuleaza: nothing is made and the program ends
    ui::Messages::setResponder([](ui::MessageRecord&) { return int(ui::Cancel); });
    EXPECT_FALSE(app::offerInstallation(dir));
    ASSERT_EQ(ui::Messages::history().size(), 1u);
    EXPECT_TRUE(ui::Messages::history()[0].text.contains(QString::fromStdString(dir)));
    EXPECT_TRUE(std::filesystem::is_empty(dir));

    // Nu, with a folder that is gone: the failure is told, nothing is left
    int asked = 0;
    ui::Messages::clearHistory();
    ui::Messages::setResponder([&](ui::MessageRecord& r) {
        if (r.type != ui::MsgType::Confirmation) return int(ui::Ok);
        return ++asked == 1 ? int(ui::No) : int(ui::Yes);
    });
    TempDir elsewhere;
    EXPECT_TRUE(app::offerInstallation(dir, nullptr, [&](QWidget*) { return elsewhere.file("gone"); }));
    // asked again after the failure; Da made the new installation
    EXPECT_EQ(asked, 2);
    ASSERT_GE(ui::Messages::history().size(), 3u);
    EXPECT_EQ(ui::Messages::history()[1].type, ui::MsgType::Error);
    EXPECT_TRUE(app::holdsInstallation(dir));
    EXPECT_TRUE(std::filesystem::exists(dir + "Venituri.DB"));

    // a folder holding its tables is not asked about again
    ui::Messages::clearHistory();
    EXPECT_TRUE(app::offerInstallation(dir));
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
    EXPECT_TRUE(shown.contains(QStringLiteral("Versiunea 2.3.4.5"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QString::fromStdString(db.path()))) << shown.toStdString();
}
