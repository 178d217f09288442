// Start-up of the main window over real installations in temp directories.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDialog>
#include <QEnterEvent>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QToolButton>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "AppFixture.h"
#include "JpegWriter.h"
#include "app/MainFrm.h"
#include "data/Schema.h"
#include "data/Table.h"
#include "reports/Workmsg.h"
#include "shell/StatusLine.h"
#include "support/GuiDriver.h"

using app::TMainFrm;

namespace {

void hover(QWidget* w) {
    QEnterEvent e(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(w, &e);
}
void unhover(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

// An older "Parohia.DB" without the field Felmarosta, holding one unit.
void writeOldParohia(const std::string& dir) {
    data::TableSpec spec;
    spec.fileName = "Parohia.DB";
    // every field of the unit record but the later Felmarosta
    for (const char* name : {"Arhiepiscopia", "Protopopiatul", "Parohia", "Strada", "Nr", "Localitatea", "Judet",
                             "Preot", "Epitrop", "Banca", "Cont bancar"})
        spec.columns.push_back({name, data::FieldType::String, 50});
    spec.columns.push_back({"An_lucru", data::FieldType::SmallInt, 0});
    std::filesystem::remove(dir + "Parohia.DB");
    data::createTableFile(dir + "Parohia.DB", spec);
    data::insertRows(dir + "Parohia.DB", {"Parohia", "Localitatea", "An_lucru"},
                     {{data::Value("Sf. Nicolae"), data::Value("Brasov"), data::Value(2014)}});
}

}  // namespace

class StartupTest : public AppFixture {};

TEST_F(StartupTest, FreshInstallationStartsQuietly) {
    install();
    TMainFrm frm;
    EXPECT_TRUE(messages().isEmpty()) << messages().join(" | ").toStdString();
    EXPECT_EQ(frm.windowTitle(), "Evidenta veniturilor si cheltuielilor");
    EXPECT_FALSE(frm.Banner->text().isEmpty());
    EXPECT_TRUE(frm.Banner->wordWrap());
    EXPECT_TRUE(frm.MyPhoto->pixmap().isNull());  // no poza.jpg
    EXPECT_EQ(TMainFrm::instance(), &frm);
    // The status line is the target of StatusMessage.
    ui::StatusMessage(" Listez...");
    EXPECT_EQ(frm.StatusLine->text(), " Listez...");
    EXPECT_EQ(frm.StatusLine->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    // Felmarosta is already there: no work message.
    EXPECT_EQ(ui::workMessageWindow(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(StartupTest, VersionIsAppendedToTheHintOnFirstShow) {
    install();
    {
        TMainFrm frm;
        const QString before = frm.hint();
        EXPECT_FALSE(before.isEmpty());
        EXPECT_FALSE(before.contains("Versiunea"));
        frm.show();
        EXPECT_EQ(frm.hint(), before + " - Versiunea 0.0.0.0");  // no version in the test build
        frm.hide();
        frm.show();  // only the first showing appends
        EXPECT_EQ(frm.hint(), before + " - Versiunea 0.0.0.0");
    }
    app::setBuildVersion("2.0.0.4");
    TMainFrm frm;
    frm.show();
    EXPECT_TRUE(frm.hint().endsWith(" - Versiunea 2.0.0.4"));
}

TEST_F(StartupTest, HintsOfTheControlUnderThePointerGoToTheStatusLine) {
    install();
    TMainFrm frm;
    frm.show();
    hover(frm.SpeedDocOut);
    EXPECT_EQ(frm.StatusLine->text(), " Introducere si modificare de documente de iesire din gestiunea de stocuri");
    unhover(frm.SpeedDocOut);
    hover(frm.SpeedDocIn);
    EXPECT_EQ(frm.StatusLine->text(), " Introducere si modificare de documente de intrare in gestiunea de stocuri");
    // Over the picture area (no hint of its own) the main window's hint shows.
    unhover(frm.SpeedDocIn);
    hover(frm.MyPhoto);
    EXPECT_EQ(frm.StatusLine->text(), frm.hint());
    EXPECT_TRUE(frm.StatusLine->text().endsWith(" - Versiunea 0.0.0.0"));
    // A status message replaces the hint until the next hint change.
    ui::StatusMessage(" OK.");
    EXPECT_EQ(frm.StatusLine->text(), " OK.");
    hover(frm.SpeedButton1);
    EXPECT_EQ(frm.StatusLine->text(), frm.SpeedButton1->statusTip());
}

TEST_F(StartupTest, ButtonBarHasItsCaptionsAndPictures) {
    install();
    TMainFrm frm;
    const std::vector<std::pair<QToolButton*, QString>> buttons = {{frm.SpeedDocIn, "Venituri"},
                                                                   {frm.SpeedButton1, "Depuneri cont"},
                                                                   {frm.SpeedButton2, "Ridicari cont"},
                                                                   {frm.SpeedDocOut, "Cheltuieli"}};
    frm.show();
    int lastX = -1;
    for (const auto& [b, caption] : buttons) {
        EXPECT_EQ(b->text(), caption);
        EXPECT_FALSE(b->icon().isNull());
        EXPECT_EQ(b->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        EXPECT_EQ(b->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_GT(b->x(), lastX);  // left to right in this order
        lastX = b->x();
    }
    EXPECT_LT(frm.SpeedDocOut->x(), frm.Image3->x());
    EXPECT_LT(frm.Image3->x(), frm.Image1->x());
    EXPECT_LT(frm.Image1->x(), frm.Image2->x());
    EXPECT_EQ(frm.Image3->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(frm.Image2->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_NE(frm.Image1->cursor().shape(), Qt::PointingHandCursor);
    // Button bar above the status line, picture above the button bar.
    EXPECT_LT(frm.MyPhoto->geometry().bottom(), frm.SpeedDocIn->mapTo(&frm, QPoint(0, 0)).y());
    EXPECT_LT(frm.SpeedDocIn->mapTo(&frm, QPoint(0, 0)).y(), frm.StatusLine->mapTo(&frm, QPoint(0, 0)).y());
}

TEST_F(StartupTest, PicturesOpenTheWebSitesAndFailuresAreIgnored) {
    install();
    TMainFrm frm;
    frm.show();
    QStringList opened;
    frm.setUrlOpener([&](const QUrl& u) {
        opened << u.toString();
        return false;  // the desktop could not open it
    });
    QTest::mouseClick(frm.Image3, Qt::LeftButton);
    QTest::mouseClick(frm.Image1, Qt::LeftButton);
    QTest::mouseClick(frm.Image2, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0], QString("http://") + app::kChurchSiteHost);
    EXPECT_EQ(opened[1], QString("http://") + app::kVendorSiteHost);
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(StartupTest, PictureIsShownUnscaled) {
    install();
    writeFile(db.file("poza.jpg"), encodeJpeg(64, 48));
    TMainFrm frm;
    EXPECT_TRUE(messages().isEmpty()) << messages().join(" | ").toStdString();
    ASSERT_FALSE(frm.MyPhoto->pixmap().isNull());
    EXPECT_EQ(frm.MyPhoto->pixmap().size(), QSize(64, 48));
    EXPECT_EQ(frm.MyPhoto->alignment(), Qt::AlignCenter);
    EXPECT_FALSE(frm.MyPhoto->hasScaledContents());
}

TEST_F(StartupTest, BadPicturesGiveAnErrorAndStartUpGoesOn) {
    const std::string good = encodeJpeg(40, 30);
    const std::vector<std::pair<const char*, std::string>> bad = {
        {"not a JPEG", std::string("this is plain text, not a picture")},
        {"truncated", good.substr(0, good.size() / 2)},
        {"huge", withDimensions(good, 60000, 60000)},
        {"empty", std::string()},
    };
    for (const auto& [what, bytes] : bad) {
        SCOPED_TRACE(what);
        TempDir dir;
        data::setAppDir(dir.path());
        install(dir.path());
        writeOldParohia(dir.path());
        writeFile(dir.file("poza.jpg"), bytes);
        ui::Messages::clearHistory();
        {
            TMainFrm frm;
            ASSERT_EQ(messages().size(), 1) << messages().join(" | ").toStdString();
            EXPECT_EQ(ui::Messages::history()[0].type, ui::MsgType::Error);
            EXPECT_TRUE(messages()[0].contains("poza.jpg")) << messages()[0].toStdString();
            EXPECT_TRUE(frm.MyPhoto->pixmap().isNull());
        }
        // The schema upgrade after the picture still ran.
        data::Table t;
        t.setDatabaseName(dir.path());
        t.setTableName("Parohia.DB");
        EXPECT_TRUE(t.hasField("Felmarosta"));
    }
}

TEST_F(StartupTest, OldUnitTableIsUpgradedUnderTheWorkMessage) {
    install();
    writeOldParohia(db.path());
    TMainFrm frm;
    EXPECT_TRUE(messages().isEmpty()) << messages().join(" | ").toStdString();
    QWidget* msg = ui::workMessageWindow();
    ASSERT_NE(msg, nullptr);
    EXPECT_TRUE(msg->isVisible());
    EXPECT_EQ(msg->parentWidget(), &frm);
    auto* panel = msg->findChild<QLabel*>("MsgPanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->text(), "Se actualizeaza structura bazei de date...");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);           // hourglass restored
    EXPECT_FALSE(msg->windowFlags() & Qt::WindowStaysOnTopHint);  // over no other window
    QPointer<QWidget> held(msg);
    frm.show();  // gone once the main window shows
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(held.isNull());

    data::Table t;
    t.setDatabaseName(db.path());
    t.setTableName("Parohia.DB");
    t.open();
    ASSERT_NE(t.findField("Felmarosta"), nullptr);
    EXPECT_TRUE(t["Felmarosta"].isNull());
    EXPECT_EQ(t["Parohia"].asString(), "Sf. Nicolae");
    EXPECT_EQ(t["An_lucru"].asInteger(), 2014);
    t.close();
}

TEST_F(StartupTest, WorkMessageGoesWithItsOwner) {
    install();
    writeOldParohia(db.path());
    {
        TMainFrm frm;
        ASSERT_NE(ui::workMessageWindow(), nullptr);
    }
    EXPECT_EQ(ui::workMessageWindow(), nullptr);
}

TEST_F(StartupTest, MissingUnitTableIsReportedAndTheWindowStillOpens) {
    install();
    std::filesystem::remove(db.file("Parohia.DB"));
    TMainFrm frm;
    ASSERT_EQ(messages().size(), 1);
    EXPECT_EQ(ui::Messages::history()[0].type, ui::MsgType::Error);
    EXPECT_TRUE(messages()[0].contains("Parohia", Qt::CaseInsensitive)) << messages()[0].toStdString();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    frm.show();
    EXPECT_TRUE(frm.isVisible());
}

// Odd files in the database directory --------------------------------------

namespace {

// Wakes whoever waits on a FIFO once `limit` has passed (a reader gets end of
// file, a writer a reader); fired() says the code under test waited that long.
class FifoWatchdog {
public:
    FifoWatchdog(std::string path, std::chrono::milliseconds limit)
        : path_(std::move(path)), thread_([this, limit] { watch(limit); }) {}
    ~FifoWatchdog() {
        done_ = true;
        thread_.join();
        if (reader_ >= 0) ::close(reader_);
    }
    bool fired() const { return fired_; }

private:
    void watch(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (std::chrono::steady_clock::now() < deadline) continue;
            fired_ = true;
            if (reader_ < 0) reader_ = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
            int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        }
    }
    std::string path_;
    std::atomic<bool> done_{false}, fired_{false};
    int reader_ = -1;
    std::thread thread_;
};

}  // namespace

TEST_F(StartupTest, FifosInPlaceOfThePictureOrTheSettingsDoNotHangStartUp) {
    for (const char* name : {"poza.jpg", "Configurari.ini"}) {
        SCOPED_TRACE(name);
        TempDir dir;
        data::setAppDir(dir.path());
        install(dir.path());
        ASSERT_EQ(::mkfifo(dir.file(name).c_str(), 0600), 0);
        ui::Messages::clearHistory();
        FifoWatchdog watchdog(dir.file(name), std::chrono::seconds(3));
        {
            TMainFrm frm;
            EXPECT_FALSE(watchdog.fired()) << "start-up waited on the FIFO";
            ASSERT_EQ(messages().size(), 1) << messages().join(" | ").toStdString();
            EXPECT_EQ(ui::Messages::history()[0].type, ui::MsgType::Error);
            EXPECT_TRUE(messages()[0].contains(QString::fromStdString(dir.file(name)))) << messages()[0].toStdString();
            EXPECT_TRUE(messages()[0].contains("nu este un fisier obisnuit")) << messages()[0].toStdString();
            // The later steps ran: the status line is connected.
            ui::StatusMessage("dupa");
            EXPECT_EQ(frm.StatusLine->text(), "dupa");
        }
        // The settings keep their defaults.
        EXPECT_TRUE(app::switches().backup);
        EXPECT_TRUE(app::switches().versionCheck);
    }
}

TEST_F(StartupTest, ADirectoryNamedLikeThePictureIsReportedAsADirectory) {
    install();
    std::filesystem::create_directory(db.file("poza.jpg"));
    TMainFrm frm;
    ASSERT_EQ(messages().size(), 1) << messages().join(" | ").toStdString();
    EXPECT_TRUE(messages()[0].contains("poza.jpg")) << messages()[0].toStdString();
    EXPECT_TRUE(messages()[0].contains("este un director")) << messages()[0].toStdString();
    EXPECT_FALSE(messages()[0].contains("prea mare")) << messages()[0].toStdString();
}

TEST_F(StartupTest, SettingsThatCannotBeWrittenAreRefusedWithoutWaiting) {
    install();
    ASSERT_EQ(::mkfifo(db.file("Configurari.ini").c_str(), 0600), 0);
    FifoWatchdog watchdog(db.file("Configurari.ini"), std::chrono::seconds(3));
    try {
        app::writeSettings(db.file("Configurari.ini"));
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("nu este un fisier obisnuit"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(watchdog.fired());
}

// First use -----------------------------------------------------------------

TEST_F(StartupTest, AnEmptyUnitNameOpensTheUnitDataDialogAfterTheWindowShows) {
    install();
    for (const char* name : std::initializer_list<const char*>{"", "   ", nullptr}) {
        SCOPED_TRACE(name ? std::string("name '") + name + "'" : std::string("no unit record"));
        if (name) {
            nameTheUnit(db.path(), name);
        } else {
            data::Table t;
            t.setDatabaseName(db.path());
            t.setTableName("Parohia.DB");
            t.open();
            while (!t.isEmpty()) t.del();
        }
        TMainFrm frm;
        QString opened;
        bool mainVisible = false;
        gui::onModal([&](QWidget* w) {
            opened = QString::fromLatin1(w->metaObject()->className());
            mainVisible = frm.isVisible();
            w->close();
        });
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // not during creation
        frm.show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !opened.isEmpty(); }, 5000));
        EXPECT_EQ(opened, QStringLiteral("catalogs::TFirmDataDlg"));
        EXPECT_TRUE(mainVisible);
        gui::settle();
    }
}

TEST_F(StartupTest, AUnitWithANameOpensNoDialog) {
    install();  // the installation of the tests names its unit
    TMainFrm frm;
    gui::showActive(&frm);
    QTest::qWait(100);
    gui::settle();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible() && w != &frm && qobject_cast<QDialog*>(w)) << w->metaObject()->className();
}

// Keyboard ------------------------------------------------------------------

TEST_F(StartupTest, NoButtonHasTheFocusAtStartSoKeysOpenNothing) {
    install();
    TMainFrm frm;
    std::vector<app::Command> ran;
    for (auto c : {app::Command::Venituri, app::Command::Depuneri, app::Command::Ridicari, app::Command::Cheltuieli})
        frm.commands().set(c, [&ran, c](TMainFrm&) { ran.push_back(c); });
    gui::showActive(&frm);
    for (QToolButton* b : {frm.SpeedDocIn, frm.SpeedButton1, frm.SpeedButton2, frm.SpeedDocOut})
        EXPECT_FALSE(b->hasFocus()) << b->objectName().toStdString();
    // Keys go to the focused control, or to the window when there is none.
    for (int k : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Tab, Qt::Key_Space}) {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target ? target : &frm, Qt::Key(k));
        gui::settle();
    }
    EXPECT_TRUE(ran.empty());
    // The buttons still answer the mouse.
    QTest::mouseClick(frm.SpeedButton1, Qt::LeftButton);
    EXPECT_EQ(ran, std::vector<app::Command>{app::Command::Depuneri});
}
