// The settings dialog on a real installation: the switches shown and kept
// only on "&Valideaza", the opening balances of "Contor.DB" (a first balance
// starting its record), the document kinds and the personalisation picture.
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "AppFixture.h"
#include "JpegWriter.h"
#include "app/ParamAplicUnt.h"
#include "controls/DBGNorm.h"
#include "support/GuiDriver.h"

using app::TParamAplicFrm;

namespace {

class SettingsDialog : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        install();
        ini = db.path() + "/Configurari.ini";
    }

    // Runs the menu command; `drive` acts on the dialog once it is shown.
    void run(std::function<void(TParamAplicFrm*)> drive) {
        bool seen = false;
        gui::onModal([drive, &seen](QWidget* w) {
            auto* d = qobject_cast<TParamAplicFrm*>(w);
            if (!d) {
                w->close();
                return;
            }
            seen = true;
            gui::showActive(d);
            drive(d);
            if (QApplication::activeModalWidget() == d) d->close();
        });
        app::RunParamAplic(nullptr);
        EXPECT_TRUE(seen) << "the dialog is not shown";
    }

    static QCheckBox* box(QWidget* d, const char* name) { return gui::control<QCheckBox>(d, name); }
    static void click(QWidget* d, const char* name) {
        QTest::mouseClick(gui::control<QPushButton>(d, name), Qt::LeftButton);
    }

    // The rows of "Contor.DB" as (cash, bank).
    std::vector<std::pair<double, double>> balances() {
        data::Table t;
        t.setDatabaseName(db.path());
        t.setTableName("Contor.DB");
        t.open();
        std::vector<std::pair<double, double>> out;
        for (t.first(); !t.eof(); t.next())
            out.emplace_back(t["Sold_init_casa"].asFloat(), t["Sold_init_banca"].asFloat());
        return out;
    }
    void emptyContor() {
        data::Table t;
        t.setDatabaseName(db.path());
        t.setTableName("Contor.DB");
        t.open();
        t.emptyTable();
    }

    // Acts on the picture dialog once it is the active modal window.
    static void onFileDialog(std::function<void(QFileDialog*)> act) {
        auto* timer = new QTimer;
        auto ticks = std::make_shared<int>(0);
        QObject::connect(timer, &QTimer::timeout, [timer, act, ticks] {
            auto* f = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!f && ++*ticks < 500) return;
            timer->stop();
            timer->deleteLater();
            if (f) act(f);
        });
        timer->start(10);
    }

    std::string ini;
};

TEST_F(SettingsDialog, WithoutSettingsFileBothTickedAndTheCloseBoxChangesNothing) {
    ASSERT_FALSE(std::filesystem::exists(ini));
    emptyContor();
    run([](TParamAplicFrm* d) {
        EXPECT_EQ(d->windowTitle(), "Configurarea modului de lucru cu programul");
        EXPECT_EQ(gui::focusName(d), "BitBtn1");
        EXPECT_TRUE(box(d, "VersCB")->isChecked());
        EXPECT_TRUE(box(d, "BackupCB")->isChecked());
        QTest::mouseClick(box(d, "VersCB"), Qt::LeftButton);
        QTest::mouseClick(box(d, "BackupCB"), Qt::LeftButton);
        EXPECT_FALSE(box(d, "VersCB")->isChecked());
        gui::focus(gui::control<QWidget>(d, "DBEditNormal2"));
        gui::type("150");
        d->close();
    });
    EXPECT_FALSE(std::filesystem::exists(ini));
    EXPECT_TRUE(app::switches().versionCheck);
    EXPECT_TRUE(app::switches().backup);
    EXPECT_TRUE(balances().empty());

    // With a file: its text is left as it was.
    writeFile(ini, "[Options]\nCheck for new version=0\nBackup BD zilnic=1\n");
    app::readSettings(ini);
    run([](TParamAplicFrm* d) {
        EXPECT_FALSE(box(d, "VersCB")->isChecked());
        EXPECT_TRUE(box(d, "BackupCB")->isChecked());
        QTest::mouseClick(box(d, "VersCB"), Qt::LeftButton);
        d->close();
    });
    EXPECT_EQ(readFile(ini), "[Options]\nCheck for new version=0\nBackup BD zilnic=1\n");
    EXPECT_FALSE(app::switches().versionCheck);
}

TEST_F(SettingsDialog, ValideazaWritesBothKeysAndTheFirstBalanceStartsTheRecord) {
    emptyContor();
    writeFile(ini, "[Options]\nUpdate server=127.0.0.1:8080\n");
    run([](TParamAplicFrm* d) {
        QTest::mouseClick(box(d, "BackupCB"), Qt::LeftButton);
        gui::focus(gui::control<QWidget>(d, "DBEditNormal2"));
        gui::type("1234.5");
        gui::key(Qt::Key_Return);
        gui::type("99");
        click(d, "BitBtn1");
    });
    EXPECT_TRUE(app::switches().versionCheck);
    EXPECT_FALSE(app::switches().backup);
    ASSERT_EQ(balances().size(), 1u);
    EXPECT_DOUBLE_EQ(balances()[0].first, 1234.5);
    EXPECT_DOUBLE_EQ(balances()[0].second, 99);

    // Read back from the file: both keys, "1" and "0", the other key kept.
    app::switches() = app::Switches{false, true, {}};
    app::readSettings(ini);
    EXPECT_TRUE(app::switches().versionCheck);
    EXPECT_FALSE(app::switches().backup);
    EXPECT_EQ(app::switches().updateServer, "127.0.0.1:8080");
    const std::string text = readFile(ini);
    EXPECT_NE(text.find("Check for new version"), std::string::npos);
    EXPECT_NE(text.find("Backup BD zilnic"), std::string::npos);

    // An existing record is changed, not doubled.
    run([](TParamAplicFrm* d) {
        EXPECT_EQ(gui::control<QLineEdit>(d, "DBEditNormal2")->text(), "1,234.50");
        auto* bank = gui::control<QLineEdit>(d, "DBEditNormal1");
        gui::focus(bank);
        EXPECT_TRUE(bank->selectedText().isEmpty());
        bank->selectAll();
        gui::type("7");
        click(d, "BitBtn1");
    });
    ASSERT_EQ(balances().size(), 1u);
    EXPECT_DOUBLE_EQ(balances()[0].second, 7);
}

// A settings file that cannot be written is reported: the user would
// otherwise believe the switches kept for the next start.
TEST_F(SettingsDialog, ASettingsFileThatCannotBeWrittenIsReported) {
    std::filesystem::create_directory(ini);
    run([](TParamAplicFrm* d) {
        QTest::mouseClick(box(d, "BackupCB"), Qt::LeftButton);
        click(d, "BitBtn1");
    });
    ASSERT_EQ(messages().size(), 1);
    EXPECT_EQ(ui::Messages::history()[0].type, ui::MsgType::Error);
    EXPECT_TRUE(messages()[0].contains("Configurari.ini"));
    EXPECT_TRUE(std::filesystem::is_directory(ini));
}

TEST_F(SettingsDialog, DocumentKindsAreTypedIntoTheGrid) {
    run([](TParamAplicFrm* d) {
        auto* grid = gui::control<ui::TDBGridNormal>(d, "DBGrid1");
        gui::focus(grid);
        gui::key(Qt::Key_Insert);
        // Letters beyond ASCII come as key events that carry only their text.
        for (QChar c : QString("Chitanță")) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(gui::focused(d), &press);
        }
        gui::key(Qt::Key_Down);
        click(d, "BitBtn1");
    });
    data::Table t;
    t.setDatabaseName(db.path());
    t.setTableName("Tip_doc.db");
    t.open();
    bool found = false;
    for (t.first(); !t.eof(); t.next()) found |= t["Denumire"].asString() == "Chitanță";
    EXPECT_TRUE(found);
}

TEST_F(SettingsDialog, TheKindsGridIsOneFieldOfTheChainAndAKindInUseStays) {
    data::insertRows(db.file("Venituri.DB"), {"Nr_act", "Fel"}, {{1.0, "Chitanta"}});
    run([](TParamAplicFrm* d) {
        auto* grid = gui::control<ui::TDBGridNormal>(d, "DBGrid1");
        gui::focus(gui::control<QWidget>(d, "DBEditNormal1"));
        gui::key(Qt::Key_Return);
        EXPECT_TRUE(grid->isAncestorOf(gui::focused(d)));  // its cell editor
        // Up on the first kind goes back to the bank balance; Enter on the
        // last one on to the switches, adding no kind.
        gui::key(Qt::Key_Up);
        EXPECT_EQ(gui::focusName(d), "DBEditNormal1");
        gui::key(Qt::Key_Return);
        gui::key(Qt::Key_End, Qt::ControlModifier);
        gui::key(Qt::Key_Return);
        EXPECT_EQ(gui::focusName(d), "VersCB");
        // A kind that a receipt names stays, without the question; another goes.
        gui::focus(grid);
        gui::key(Qt::Key_Home, Qt::ControlModifier);
        gui::Recorder::clear();
        gui::key(Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(messages(),
                  QStringList{"Tipul de document Chitanta este folosit de 1 document si nu poate fi sters!"});
        gui::key(Qt::Key_Down);
        // "Delete record?" answers No to Enter: this kind goes with Yes
        ui::Messages::setResponder(
            [](ui::MessageRecord& r) { return r.buttons & ui::Yes ? int(ui::Yes) : int(ui::Ok); });
        gui::key(Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(ui::Messages::history().back().defaultButton, ui::No);
        click(d, "BitBtn1");
    });
    data::Table t;
    t.setDatabaseName(db.path());
    t.setTableName("Tip_doc.db");
    t.open();
    std::vector<std::string> kinds;
    for (t.first(); !t.eof(); t.next()) kinds.push_back(t["Denumire"].asString());
    EXPECT_EQ(kinds, (std::vector<std::string>{"Chitanta", "Extras de cont", "Disp. de plata", "Disp. incasare",
                                               "Factura", "Bon fiscal", "Stat de plata", "Decont"}));
}

TEST_F(SettingsDialog, PictureChoiceCopiesOverPozaAndCancelChangesNothing) {
    const std::string picture = db.path() + "/poza.jpg";
    const std::string chosen = home.path() + "/biserica.jpg";
    const std::string jpeg = encodeJpeg(8, 6);
    writeFile(chosen, jpeg);
    writeFile(picture, "vechea poza");
    const QString restart =
        "Pentru a salva modificarile facute referitoare la imaginea aleasa, inchideti si reporniti aplicatia!";

    // Cancel: nothing copied, no message.
    run([](TParamAplicFrm* d) {
        onFileDialog([](QFileDialog* f) {
            EXPECT_EQ(f->windowTitle(), "Selectati poza pentru personalizare");
            EXPECT_EQ(f->nameFilters(), QStringList{"Imagini JPEG (*.jpg)"});
            f->reject();
        });
        click(d, "LoadPictBtn");
        d->close();
    });
    EXPECT_EQ(readFile(picture), "vechea poza");
    EXPECT_TRUE(messages().isEmpty());

    // A chosen file replaces the picture; the restart message follows.
    for (const std::string& file : {chosen, picture}) {
        ui::Messages::clearHistory();
        run([file](TParamAplicFrm* d) {
            onFileDialog([file](QFileDialog* f) {
                // The user types the whole path into the file name box.
                auto* name = f->findChild<QLineEdit*>("fileNameEdit");
                ASSERT_NE(name, nullptr);
                name->setText(QString::fromStdString(file));
                static_cast<QDialog*>(f)->accept();
                if (f->isVisible()) {
                    ADD_FAILURE() << "the picture dialog is still open";
                    f->reject();
                }
            });
            click(d, "LoadPictBtn");
            d->close();
        });
        EXPECT_EQ(readFile(picture), jpeg);
        EXPECT_EQ(messages(), QStringList{restart});
        EXPECT_EQ(ui::Messages::history()[0].type, ui::MsgType::Information);
    }
}

}  // namespace
