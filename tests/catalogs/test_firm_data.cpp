// The unit data dialog on a real "Parohia.DB": the captions that follow the
// metropolis check box, the first record typed into an empty table, posting
// on "&Valideaza", discarding on the close box and the access error.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "CatalogFixture.h"
#include "catalogs/FirmDataDlg.h"
#include "controls/DBGNorm.h"
#include "shell/WindowSlots.h"

using catalogs::TFirmDataDlg;

namespace {

const QStringList kParish{"Arhiepiscopia", "Protopopiatul", "Oficiul protopopiatului", "Preot paroh", "Contabil"};
const QStringList kMetropolis{"Mitropolia", "Episcopia", "Centrul eparhial", "Mitropolit/Episcop",
                              "Consilier economic"};

const std::vector<std::string> kColumns{"Arhiepiscopia", "Protopopiatul", "Parohia",
                                        "Strada",        "An_lucru",      "Felmarosta"};

class FirmData : public CatalogFixture {
protected:
    void oneRecord(const data::Value& felmarosta) {
        fill("Parohia.DB", kColumns,
             {{"Arhiepiscopia Sibiului", "Protopopiatul Sibiu", "Parohia Sibiu I", "Str. Mare", 2014, felmarosta}});
    }

    static QStringList captions(QWidget* d) {
        QStringList out;
        for (const char* name : {"Label2", "Label3", "Label4", "Label9", "Label15"})
            out << gui::control<QLabel>(d, name)->text();
        return out;
    }

    static void click(QWidget* d, const char* button) {
        QTest::mouseClick(gui::control<QPushButton>(d, button), Qt::LeftButton);
    }

    // Runs the dialog as the menu command does; `drive` acts on it once shown.
    static bool run(std::function<void(QWidget*)> drive) {
        gui::onModal([drive](QWidget* d) {
            if (!qobject_cast<TFirmDataDlg*>(d)) {
                ADD_FAILURE() << "the dialog is not shown";
                d->close();
                return;
            }
            gui::showActive(d);
            drive(d);
            if (QApplication::activeModalWidget() == d) {
                ADD_FAILURE() << "the dialog is still open";
                d->close();
            }
        });
        return shell::RunModalDialog<TFirmDataDlg>(nullptr, catalogs::kParohiaAccessError);
    }
};

TEST_F(FirmData, CaptionsFollowTheMetropolisCheckBoxBothWays) {
    struct Case {
        data::Value stored;
        Qt::CheckState shown;
        QStringList captions;
        bool afterToggle;
    };
    // NULL shows undetermined and counts as unchecked: a toggle writes true.
    for (const Case& c : {Case{true, Qt::Checked, kMetropolis, false}, Case{false, Qt::Unchecked, kParish, true},
                          Case{data::Value(), Qt::PartiallyChecked, kParish, true}}) {
        SCOPED_TRACE(c.stored.isNull() ? "NULL" : c.stored.toString());
        oneRecord(c.stored);
        TFirmDataDlg d(nullptr);
        for (data::DataSet* t : d.tables()) t->open();
        gui::showActive(&d);
        auto* box = gui::control<ui::TDBCheckBoxNormal>(&d, "MitropCBox");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->checkState(), c.shown);
        EXPECT_EQ(captions(&d), c.captions);

        QTest::keyClick(box, Qt::Key_Space);
        EXPECT_EQ(box->field()->value(), data::Value(c.afterToggle));
        EXPECT_EQ(box->checkState(), c.afterToggle ? Qt::Checked : Qt::Unchecked);
        EXPECT_EQ(captions(&d), c.afterToggle ? kMetropolis : kParish);

        QTest::keyClick(box, Qt::Key_Space);
        EXPECT_EQ(box->field()->value(), data::Value(!c.afterToggle));
        EXPECT_EQ(captions(&d), !c.afterToggle ? kMetropolis : kParish);
    }
}

// The kind chosen in its list gives the captions; the see and the check box
// follow each other; a kind not in the list is refused.
TEST_F(FirmData, TheUnitsKindGivesTheCaptionsAndKeepsInStepWithTheMetropolisBox) {
    oneRecord(data::Value());
    EXPECT_TRUE(run([](QWidget* d) {
        auto* combo = gui::control<ui::TDBComboNormal>(d, "TipUnitCombo");
        auto* box = gui::control<ui::TDBCheckBoxNormal>(d, "MitropCBox");
        const auto choose = [combo](int i) { combo->setCurrentIndex(i), emit combo->activated(i); };
        for (const auto& [index, unit] : {std::pair{0, "Parohia"}, {2, "Manastirea"}, {4, "Centrul eparhial"}}) {
            choose(index);
            EXPECT_EQ(captions(d)[2], unit);
            EXPECT_EQ(box->checkState(), index == 4 ? Qt::Checked : Qt::Unchecked) << index;
        }
        EXPECT_EQ(captions(d), kMetropolis);
        QTest::keyClick(box, Qt::Key_Space);  // no longer the see: the deanery office
        EXPECT_EQ(combo->currentText(), QStringLiteral("Oficiu protopopesc"));
        gui::focus(combo);
        combo->lineEdit()->selectAll();
        gui::type("Schit");
        click(d, "BitBtn1");
        EXPECT_TRUE(gui::Recorder::lastMessage().startsWith(QStringLiteral("Tipul unitatii se alege din lista: ")));
        choose(1);
        click(d, "BitBtn1");
    }));
    for (const auto& [field, stored] :
         {std::pair{"Tip_unitate", data::Value("Manastire")}, {"Felmarosta", data::Value(false)}})
        EXPECT_EQ(column("Parohia.DB", field), std::vector<data::Value>{stored});
}

TEST_F(FirmData, TypingIntoAnEmptyTableStartsTheRecordAndValideazaStoresIt) {
    fill("Parohia.DB", {"Parohia"}, {});  // a new installation holds a record: empty the table
    ASSERT_TRUE(column("Parohia.DB", "Parohia").empty());
    bool ok = run([](QWidget* d) {
        EXPECT_EQ(d->windowTitle(), "Datele unitatii");
        EXPECT_EQ(gui::control<QPushButton>(d, "BitBtn1")->text(), "&Valideaza");
        EXPECT_EQ(gui::control<QPushButton>(d, "BitBtn1")->statusTip(), "Sunt de acord");
        EXPECT_EQ(gui::focusName(d), "DBEditNormal1");
        gui::type("Arhiepiscopia Clujului");
        // Enter walks the tab order: the eleven further fields, then the button.
        for (const char* next :
             {"DBEditNormal2", "DBEditNormal3", "DBEditNormal12", "DBEditNormal4", "DBEditNormal5", "DBEditNormal6",
              "DBEditNormal7", "DBEditNormal8", "DBEditNormal11", "DBEditNormal9", "DBEditNormal10", "BitBtn1"}) {
            gui::key(Qt::Key_Return);
            EXPECT_EQ(gui::focusName(d), next);
        }
        gui::key(Qt::Key_Return);  // confirms
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(column("Parohia.DB", "Arhiepiscopia"), std::vector<data::Value>{data::Value("Arhiepiscopia Clujului")});
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(FirmData, TheCloseBoxAsksAndNoDiscardsValideazaStores) {
    oneRecord(false);
    recorder.answerYes = false;
    EXPECT_FALSE(run([](QWidget* d) {
        gui::focus(gui::control<ui::TDBEditNormal>(d, "DBEditNormal4"));
        gui::type("Str. Noua");
        d->close();
    }));
    EXPECT_EQ(messages(), QStringList{"Salvati modificarile?"});
    EXPECT_EQ(column("Parohia.DB", "Strada"), std::vector<data::Value>{data::Value("Str. Mare")});

    EXPECT_TRUE(run([](QWidget* d) {
        gui::focus(gui::control<ui::TDBEditNormal>(d, "DBEditNormal4"));
        gui::type("Str. Noua");
        click(d, "BitBtn1");
    }));
    EXPECT_EQ(column("Parohia.DB", "Strada"), std::vector<data::Value>{data::Value("Str. Noua")});
}

TEST_F(FirmData, TheYearComesFromTheListOrIsTyped) {
    oneRecord(false);
    EXPECT_TRUE(run([](QWidget* d) {
        auto* year = gui::control<ui::TDBComboNormal>(d, "DBComboNormal1");
        EXPECT_EQ(year->count(), 45);
        EXPECT_EQ(year->itemText(0), "2006");
        EXPECT_EQ(year->itemText(44), "2050");
        gui::focus(year);
        // 2014 is item 8; in the list opened with F4 eleven steps down reach 2025
        gui::key(Qt::Key_F4);
        for (int i = 0; i < 11; ++i) gui::key(Qt::Key_Down);
        gui::key(Qt::Key_Return);
        EXPECT_EQ(year->currentText(), "2025");
        gui::key(Qt::Key_Return);
        EXPECT_EQ(gui::focusName(d), "MitropCBox");
        click(d, "BitBtn1");
    }));
    EXPECT_EQ(column("Parohia.DB", "An_lucru"), std::vector<data::Value>{data::Value(2025)});

    EXPECT_TRUE(run([](QWidget* d) {
        gui::focus(gui::control<ui::TDBComboNormal>(d, "DBComboNormal1"));
        gui::key(Qt::Key_A, Qt::ControlModifier);
        gui::type("2005");
        click(d, "BitBtn1");
    }));
    EXPECT_EQ(column("Parohia.DB", "An_lucru"), std::vector<data::Value>{data::Value(2005)});
}

TEST_F(FirmData, AYearThatIsNotAWholeNumberIsRefusedWhenTheComboIsLeft) {
    oneRecord(false);
    EXPECT_TRUE(run([](QWidget* d) {
        auto* year = gui::control<ui::TDBComboNormal>(d, "DBComboNormal1");
        gui::focus(year);
        gui::key(Qt::Key_A, Qt::ControlModifier);
        gui::type("20x6");
        EXPECT_EQ(year->currentText(), "20x6");
        gui::key(Qt::Key_Return);
        EXPECT_EQ(messages(), QStringList{"'20x6' nu este un numar intreg valid"});
        EXPECT_EQ(gui::focusName(d), "DBComboNormal1");
        gui::key(Qt::Key_A, Qt::ControlModifier);
        gui::type("2016");
        click(d, "BitBtn1");
    }));
    EXPECT_EQ(column("Parohia.DB", "An_lucru"), std::vector<data::Value>{data::Value(2016)});
}

TEST_F(FirmData, ARecordTheTableRefusesIsReportedAndTheDialogStaysOpen) {
    oneRecord(false);
    EXPECT_TRUE(run([](QWidget* d) {
        gui::focus(gui::control<ui::TDBComboNormal>(d, "DBComboNormal1"));
        gui::key(Qt::Key_A, Qt::ControlModifier);
        gui::type("20-5");
        gui::control<QPushButton>(d, "BitBtn1")->click();
        gui::settle();
        EXPECT_TRUE(d->isVisible());
        ASSERT_EQ(messages().size(), 1);
        EXPECT_TRUE(messages()[0].contains("20-5"));
        gui::key(Qt::Key_A, Qt::ControlModifier);
        gui::type("2015");
        gui::control<QPushButton>(d, "BitBtn1")->click();
    }));
    EXPECT_EQ(column("Parohia.DB", "An_lucru"), std::vector<data::Value>{data::Value(2015)});
}

TEST_F(FirmData, AMissingTableGivesTheAccessErrorAndNoDialog) {
    std::remove(db.file("Parohia.DB").c_str());
    bool shown = false;
    QTimer::singleShot(0, [&shown] { shown = QApplication::activeModalWidget() != nullptr; });
    EXPECT_FALSE(shell::RunModalDialog<TFirmDataDlg>(nullptr, catalogs::kParohiaAccessError));
    gui::settle();
    EXPECT_FALSE(shown);
    ASSERT_EQ(ui::Messages::history().size(), 1u);
    const ui::MessageRecord& m = ui::Messages::history()[0];
    EXPECT_EQ(m.type, ui::MsgType::Error);
    EXPECT_TRUE(m.text.startsWith("Eroare de acces la tabela parohie!\n")) << m.text.toStdString();
    EXPECT_TRUE(m.text.contains("Parohia.DB"));
    EXPECT_TRUE(m.text.endsWith("!"));
}

}  // namespace
