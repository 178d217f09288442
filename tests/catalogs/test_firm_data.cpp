// The unit data dialog on a real "Parohia.DB": the captions that follow the
// metropolis check box, the first record typed into an empty table, posting
// on "&Valideaza", discarding on the close box and the access error.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "CatalogFixture.h"
#include "shell/WindowSlots.h"
#include "catalogs/FirmDataDlg.h"
#include "controls/DBGNorm.h"

using catalogs::TFirmDataDlg;

namespace {

const QStringList kParish{"Arhiepiscopia", "Protopopiatul", "Oficiul protopopiatului", "Preot paroh", "Contabil"};
const QStringList kMetropolis{"Mitropolia", "Episcopia", "Centrul eparhial", "Mitropolit/Episcop",
                              "Consilier economic"};

const std::vector<std::string> kColumns{"Arhiepiscopia", "Protopopiatul", "Parohia", "Strada", "An_lucru",
                                        "Felmarosta"};

class FirmData : public CatalogFixture {
protected:
    void oneRecord(const data::Value& felmarosta) {
        fill("Parohia.DB", kColumns,
             {{"Arhiepiscopia Sibiului", "Protopopiatul Sibiu", "Parohia Sibiu I", "Str. Mare", 2014, felmarosta}});
    }

    static QStringList captions(TFirmDataDlg& d) {
        return {d.Label2->text(), d.Label3->text(), d.Label4->text(), d.Label9->text(), d.Label15->text()};
    }

    // Runs the dialog as the menu command does; `drive` acts on it once shown.
    bool run(std::function<void(TFirmDataDlg*)> drive) {
        QTimer::singleShot(0, [drive] {
            auto* d = qobject_cast<TFirmDataDlg*>(QApplication::activeModalWidget());
            if (!d) {
                ADD_FAILURE() << "the dialog is not shown";
                return;
            }
            d->activateWindow();
            (void)QTest::qWaitForWindowActive(d);
            QApplication::processEvents();
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
        d.TParohia.open();
        showActive(&d);
        EXPECT_EQ(d.MitropCBox->checkState(), c.shown);
        EXPECT_EQ(captions(d), c.captions);

        QTest::keyClick(d.MitropCBox, Qt::Key_Space);
        EXPECT_EQ(d.TParohiaFelmarosta->value(), data::Value(c.afterToggle));
        EXPECT_EQ(d.MitropCBox->checkState(), c.afterToggle ? Qt::Checked : Qt::Unchecked);
        EXPECT_EQ(captions(d), c.afterToggle ? kMetropolis : kParish);

        QTest::keyClick(d.MitropCBox, Qt::Key_Space);
        EXPECT_EQ(d.TParohiaFelmarosta->value(), data::Value(!c.afterToggle));
        EXPECT_EQ(captions(d), !c.afterToggle ? kMetropolis : kParish);
    }
}

TEST_F(FirmData, TypingIntoAnEmptyTableStartsTheRecordAndValideazaStoresIt) {
    EXPECT_TRUE(column("Parohia.DB", "Parohia").empty());
    bool ok = run([](TFirmDataDlg* d) {
        EXPECT_EQ(d->windowTitle(), "Datele unitatii");
        EXPECT_EQ(d->BitBtn1->text(), "&Valideaza");
        EXPECT_EQ(d->BitBtn1->statusTip(), "Sunt de acord");
        EXPECT_EQ(QApplication::focusWidget(), d->DBEditNormal1);
        type("Arhiepiscopia Clujului");
        // Enter walks the tab order: the ten further fields, then the button.
        const std::vector<QWidget*> order{d->DBEditNormal2, d->DBEditNormal3, d->DBEditNormal4, d->DBEditNormal5,
                                          d->DBEditNormal6, d->DBEditNormal7, d->DBEditNormal8, d->DBEditNormal11,
                                          d->DBEditNormal9, d->DBEditNormal10, d->BitBtn1};
        for (QWidget* next : order) {
            key(Qt::Key_Return);
            EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
        }
        key(Qt::Key_Return);  // confirms
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(column("Parohia.DB", "Arhiepiscopia"), std::vector<data::Value>{data::Value("Arhiepiscopia Clujului")});
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(FirmData, TheCloseBoxDiscardsAndValideazaStores) {
    oneRecord(false);
    EXPECT_FALSE(run([](TFirmDataDlg* d) {
        d->DBEditNormal4->setFocus();
        QApplication::processEvents();
        type("Str. Noua");
        d->close();
    }));
    EXPECT_EQ(column("Parohia.DB", "Strada"), std::vector<data::Value>{data::Value("Str. Mare")});

    EXPECT_TRUE(run([](TFirmDataDlg* d) {
        d->DBEditNormal4->setFocus();
        QApplication::processEvents();
        type("Str. Noua");
        QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
    }));
    EXPECT_EQ(column("Parohia.DB", "Strada"), std::vector<data::Value>{data::Value("Str. Noua")});
}

TEST_F(FirmData, TheYearComesFromTheListOrIsTyped) {
    oneRecord(false);
    EXPECT_TRUE(run([](TFirmDataDlg* d) {
        EXPECT_EQ(d->DBComboNormal1->count(), 45);
        EXPECT_EQ(d->DBComboNormal1->itemText(0), "2006");
        EXPECT_EQ(d->DBComboNormal1->itemText(44), "2050");
        d->DBComboNormal1->setFocus();
        QApplication::processEvents();
        // 2014 is item 8; eleven steps down reach 2025.
        for (int i = 0; i < 11; ++i) key(Qt::Key_Down);
        EXPECT_EQ(d->DBComboNormal1->currentText(), "2025");
        key(Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), d->MitropCBox);
        QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
    }));
    EXPECT_EQ(column("Parohia.DB", "An_lucru"), std::vector<data::Value>{data::Value(2025)});

    EXPECT_TRUE(run([](TFirmDataDlg* d) {
        d->DBComboNormal1->setFocus();
        QApplication::processEvents();
        key(Qt::Key_A, Qt::ControlModifier);
        type("2005");
        QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
    }));
    EXPECT_EQ(column("Parohia.DB", "An_lucru"), std::vector<data::Value>{data::Value(2005)});
}

TEST_F(FirmData, ARecordTheTableRefusesIsReportedAndTheDialogStaysOpen) {
    oneRecord(false);
    EXPECT_TRUE(run([](TFirmDataDlg* d) {
        d->DBComboNormal1->setFocus();
        QApplication::processEvents();
        key(Qt::Key_A, Qt::ControlModifier);
        type("20-5");
        d->BitBtn1->click();
        QApplication::processEvents();
        EXPECT_TRUE(d->isVisible());
        ASSERT_EQ(messages().size(), 1);
        EXPECT_TRUE(messages()[0].contains("20-5"));
        key(Qt::Key_A, Qt::ControlModifier);
        type("2015");
        d->BitBtn1->click();
    }));
    EXPECT_EQ(column("Parohia.DB", "An_lucru"), std::vector<data::Value>{data::Value(2015)});
}

TEST_F(FirmData, AMissingTableGivesTheAccessErrorAndNoDialog) {
    std::remove(db.file("Parohia.DB").c_str());
    bool shown = false;
    QTimer::singleShot(0, [&shown] { shown = QApplication::activeModalWidget() != nullptr; });
    EXPECT_FALSE(shell::RunModalDialog<TFirmDataDlg>(nullptr, catalogs::kParohiaAccessError));
    QApplication::processEvents();
    EXPECT_FALSE(shown);
    ASSERT_EQ(ui::Messages::history().size(), 1u);
    const ui::MessageRecord& m = ui::Messages::history()[0];
    EXPECT_EQ(m.type, ui::MsgType::Error);
    EXPECT_TRUE(m.text.startsWith("Eroare de acces la tabela parohie!\n")) << m.text.toStdString();
    EXPECT_TRUE(m.text.contains("Parohia.DB"));
    EXPECT_TRUE(m.text.endsWith("!"));
}

}  // namespace
