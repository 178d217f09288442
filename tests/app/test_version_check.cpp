// The online version check against a local HTTP server: the start-up check
// (in the background, silent on every failure), the manual check with its
// four answers, the download page and the end of the program on Yes.
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QDialog>

#include "AppFixture.h"
#include "HttpResponder.h"
#include "app/MainFrm.h"
#include "app/VersionCheck.h"
#include "entry/VenituriUnt.h"
#include "shell/WindowSlots.h"

using app::TMainFrm;

namespace {

const QString kQuestion =
    "O versiune noua a programului Corvalinde este disponibila pentru descarcare. Doriti sa continuati?";
const QString kFailed = "Operatiunea de actualizare a programului nu poate fi efectuata!";
const QString kUpToDate = "Aveti deja instalata ultima versiune a programului Corvalinde!";

class VersionCheck : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        install();
        app::setBuildVersion("2.0.0.4");
    }
    // The settings file naming the update server and the start-up switch.
    void configure(const QString& host, bool checkAtStart) {
        writeFile(db.path() + "/Configurari.ini",
                  "[Options]\nCheck for new version=" + std::string(checkAtStart ? "1" : "0") +
                      "\nUpdate server=" + host.toStdString() + "\n");
    }
    void answer(int button) {
        ui::Messages::setResponder(
            [button](ui::MessageRecord& r) { return r.buttons & ui::Yes ? button : int(ui::Ok); });
    }
    // A main window whose browser records the addresses it is asked to open.
    std::unique_ptr<TMainFrm> mainWindow() {
        auto frm = std::make_unique<TMainFrm>();
        frm->setUrlOpener([this](const QUrl& u) {
            opened << u.toString();
            return true;
        });
        return frm;
    }
    QStringList opened;
};

TEST(VersionText, NewerOnlyForSevenCharactersSortingAfterTheCurrentVersion) {
    EXPECT_TRUE(app::announcesNewer("2.0.0.4", "2.0.0.5"));
    EXPECT_TRUE(app::announcesNewer("0.0.0.0", "1.0.0.0"));
    EXPECT_FALSE(app::announcesNewer("2.0.0.4", "2.0.0.4"));
    EXPECT_FALSE(app::announcesNewer("2.0.0.4", "1.9.9.9"));
    EXPECT_FALSE(app::announcesNewer("2.0.0.4", "2.0.0.5\n"));
    EXPECT_FALSE(app::announcesNewer("2.0.0.4", "2.0.1"));
    // Plain text comparison: "10" sorts before "2".
    EXPECT_FALSE(app::announcesNewer("2.0.0.4", "10.0.0"));
    EXPECT_TRUE(app::announcesNewer("2.0.0.14", "2.0.0.2"));
}

TEST_F(VersionCheck, StartUpAsksAboutANewerVersionAndYesOpensTheDownloadPageAndEndsTheProgram) {
    HttpResponder server(HttpResponder::Mode::Body, "2.0.0.5");
    configure(server.host(), true);
    for (bool yes : {true, false}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        ui::Messages::clearHistory();
        opened.clear();
        answer(yes ? ui::Yes : ui::No);
        auto frm = mainWindow();
        QSignalSpy closed(frm.get(), &TMainFrm::closed);
        frm->show();
        EXPECT_TRUE(frm->hint().endsWith(" - Versiunea 2.0.0.4"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !messages().isEmpty(); }, 7000));
        EXPECT_EQ(messages(), QStringList{kQuestion});
        EXPECT_EQ(ui::Messages::history()[0].type, ui::MsgType::Confirmation);
        EXPECT_EQ(ui::Messages::history()[0].buttons, ui::Yes | ui::No);
        EXPECT_EQ(server.lastPath, "/UpdateExe/VersCorvalinde.txt");
        if (yes) {
            EXPECT_EQ(opened, QStringList{"http://" + server.host() + "/actualizare.php?prg=8"});
            EXPECT_EQ(closed.count(), 1);
            EXPECT_FALSE(frm->isVisible());
        } else {
            EXPECT_TRUE(opened.isEmpty());
            EXPECT_EQ(closed.count(), 0);
            EXPECT_TRUE(frm->isVisible());
        }
    }
}

TEST_F(VersionCheck, StartUpIsSilentWhenNothingNewerIsAnnouncedOrTheFetchFails) {
    struct Case {
        const char* name;
        HttpResponder::Mode mode;
        QByteArray body;
        bool serverUp;
    };
    for (const Case& c : {Case{"equal", HttpResponder::Mode::Body, "2.0.0.4", true},
                          Case{"older", HttpResponder::Mode::Body, "1.9.9.9", true},
                          Case{"line break", HttpResponder::Mode::Body, "2.0.0.5\n", true},
                          Case{"10 MB", HttpResponder::Mode::Huge, {}, true},
                          Case{"no server", HttpResponder::Mode::Body, "2.0.0.5", false}}) {
        SCOPED_TRACE(c.name);
        ui::Messages::clearHistory();
        QString host;
        int requests = 0;
        {
            HttpResponder server(c.mode, c.body);
            host = server.host();
            if (c.serverUp) {
                configure(host, true);
                auto frm = mainWindow();
                frm->show();
                EXPECT_TRUE(QTest::qWaitFor([&] { return !frm->versionCheckPending(); }, 7000));
                QTest::qWait(50);
                requests = server.requests;
                EXPECT_TRUE(frm->isVisible());
            }
        }
        if (!c.serverUp) {
            // The port of a server that has stopped: the connection is refused.
            configure(host, true);
            auto frm = mainWindow();
            frm->show();
            EXPECT_TRUE(QTest::qWaitFor([&] { return !frm->versionCheckPending(); }, 7000));
            EXPECT_TRUE(frm->isVisible());
        } else {
            EXPECT_EQ(requests, 1);
        }
        EXPECT_TRUE(messages().isEmpty()) << messages().join("|").toStdString();
        EXPECT_TRUE(opened.isEmpty());
    }
}

TEST_F(VersionCheck, SwitchedOffStartUpAsksNothingButTheManualCheckStillWorks) {
    HttpResponder server(HttpResponder::Mode::Body, "2.0.0.4");
    configure(server.host(), false);
    auto frm = mainWindow();
    frm->show();
    EXPECT_FALSE(frm->versionCheckPending());
    QTest::qWait(200);
    EXPECT_EQ(server.requests, 0);
    frm->runCommand(app::Command::ActualizareOnline);
    EXPECT_EQ(server.requests, 1);
    EXPECT_EQ(messages(), QStringList{kUpToDate});
    EXPECT_EQ(ui::Messages::history()[0].type, ui::MsgType::Information);
}

TEST_F(VersionCheck, ManualCheckAnswersEachReply) {
    struct Case {
        const char* name;
        HttpResponder::Mode mode;
        QByteArray body;
        QString message;
        ui::MsgType type;
    };
    for (const Case& c :
         {Case{"equal", HttpResponder::Mode::Body, "2.0.0.4", kUpToDate, ui::MsgType::Information},
          Case{"older", HttpResponder::Mode::Body, "1.0.0.0", kUpToDate, ui::MsgType::Information},
          Case{"line break", HttpResponder::Mode::Body, "2.0.0.5\n", kFailed, ui::MsgType::Error},
          Case{"empty", HttpResponder::Mode::Body, "", kFailed, ui::MsgType::Error},
          Case{"10 MB", HttpResponder::Mode::Huge, {}, kFailed, ui::MsgType::Error},
          Case{"newer, No", HttpResponder::Mode::Body, "2.0.0.5", kQuestion, ui::MsgType::Confirmation}}) {
        SCOPED_TRACE(c.name);
        HttpResponder server(c.mode, c.body);
        configure(server.host(), false);
        answer(ui::No);
        auto frm = mainWindow();
        frm->show();
        ui::Messages::clearHistory();
        QElapsedTimer t;
        t.start();
        frm->runCommand(app::Command::ActualizareOnline);
        EXPECT_LT(t.elapsed(), 3000);
        EXPECT_EQ(messages(), QStringList{c.message});
        if (!ui::Messages::history().empty()) EXPECT_EQ(ui::Messages::history()[0].type, c.type);
        EXPECT_EQ(server.requests, 1);
        EXPECT_TRUE(frm->isVisible());
        EXPECT_TRUE(opened.isEmpty());
    }
}

TEST_F(VersionCheck, ManualCheckWithoutServerFailsAndYesEndsTheProgram) {
    QString stopped;
    {
        HttpResponder gone;
        stopped = gone.host();
    }
    configure(stopped, false);
    auto frm = mainWindow();
    frm->show();
    frm->runCommand(app::Command::ActualizareOnline);
    EXPECT_EQ(messages(), QStringList{kFailed});

    HttpResponder server(HttpResponder::Mode::Body, "2.0.0.5");
    configure(server.host(), false);
    auto second = mainWindow();
    QSignalSpy closed(second.get(), &TMainFrm::closed);
    second->show();
    frm.reset();
    ui::Messages::clearHistory();
    answer(ui::Yes);
    second->runCommand(app::Command::ActualizareOnline);
    EXPECT_EQ(messages(), QStringList{kQuestion});
    EXPECT_EQ(opened, QStringList{"http://" + server.host() + "/actualizare.php?prg=8"});
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(VersionCheck, AnotherOpenWindowStopsTheManualCheckBeforeAnyFetch) {
    HttpResponder server(HttpResponder::Mode::Body, "2.0.0.5");
    configure(server.host(), false);
    auto frm = mainWindow();
    frm->show();
    auto* receipts = shell::OpenSingleWindow<entry::TVenituriFrm>(frm.get());
    ASSERT_TRUE(receipts && receipts->isVisible());
    ui::Messages::clearHistory();
    frm->runCommand(app::Command::ActualizareOnline);
    EXPECT_EQ(messages(), QStringList{"Inchideti toate ferestrele!"});
    EXPECT_EQ(ui::Messages::history()[0].type, ui::MsgType::Warning);
    QTest::qWait(100);
    EXPECT_EQ(server.requests, 0);
    receipts->close();
    QApplication::processEvents();
    ui::Messages::clearHistory();
    frm->runCommand(app::Command::ActualizareOnline);
    EXPECT_EQ(messages(), QStringList{kQuestion});
}

// A server that accepts the connection and never answers: the window is
// usable at once at start-up and the check gives up silently; the manual
// check fails after its time-out.
TEST_F(VersionCheck, ServerThatNeverAnswers) {
    HttpResponder server(HttpResponder::Mode::Silent);
    configure(server.host(), true);
    auto frm = mainWindow();
    QElapsedTimer t;
    t.start();
    frm->show();
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_TRUE(frm->versionCheckPending());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frm->versionCheckPending(); }, 8000));
    EXPECT_GE(t.elapsed(), app::kFetchTimeoutMs - 100);
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_TRUE(frm->isVisible());

    t.restart();
    frm->runCommand(app::Command::ActualizareOnline);
    EXPECT_GE(t.elapsed(), app::kFetchTimeoutMs - 100);
    EXPECT_LT(t.elapsed(), app::kFetchTimeoutMs + 3000);
    EXPECT_EQ(messages(), QStringList{kFailed});
}

// A newer version announced while a modal dialog is open is not asked about.
TEST_F(VersionCheck, NoQuestionOverAModalDialog) {
    HttpResponder server(HttpResponder::Mode::Body, "2.0.0.5");
    configure(server.host(), true);
    auto frm = mainWindow();
    QDialog modal(frm.get());
    QTimer::singleShot(0, &modal, [&] {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !frm->versionCheckPending(); }, 7000));
        modal.reject();
    });
    frm->show();
    modal.exec();
    QTest::qWait(50);
    EXPECT_EQ(server.requests, 1);
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_TRUE(frm->isVisible());
}

}  // namespace
