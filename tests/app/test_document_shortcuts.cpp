// Main-menu shortcuts typed in a real document window reach the menu, not
// the focused field.
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include "AppFixture.h"
#include "support/GuiDriver.h"
#include "app/MainFrm.h"
#include "shell/WindowSlots.h"
#include "entry/CheltuieliUnt.h"
#include "entry/DocumentFrm.h"
#include "entry/DocumenteUnt.h"
#include "entry/VenituriUnt.h"

using namespace app;

TEST_F(AppFixture, CtrlCInTheReceiptsWindowOpensThePaymentsWindow) {
    install();
    TMainFrm frm;
    frm.show();
    frm.commands().run(Command::Venituri, frm);
    auto* receipts = shell::openWindow<entry::TVenituriFrm>();
    ASSERT_NE(receipts, nullptr);
    auto* number = gui::control<QLineEdit>(receipts, "DBEditNormal1");
    ASSERT_NE(number, nullptr);
    receipts->activateWindow();
    QApplication::setActiveWindow(receipts);
    number->setFocus();
    QApplication::processEvents();
    const QString before = number->text();
    EXPECT_EQ(shell::openWindow<entry::TCheltuieliFrm>(), nullptr);

    QTest::keyClick(number, Qt::Key_C, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_NE(shell::openWindow<entry::TCheltuieliFrm>(), nullptr);
    EXPECT_EQ(number->text(), before);  // nothing typed into the number
    // Ctrl+V from there brings the receipts window back: still one of it
    QTest::keyClick(shell::openWindow<entry::TCheltuieliFrm>(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(shell::openWindow<entry::TVenituriFrm>(), receipts);
}

TEST_F(AppFixture, CtrlFOpensTheDocumentsListOrInADocumentWindowAsksANumber) {
    install();
    TMainFrm frm;
    frm.show();
    QApplication::setActiveWindow(&frm);
    QTest::keyClick(&frm, Qt::Key_F, Qt::ControlModifier);
    QApplication::processEvents();
    auto* list = shell::openWindow<entry::TDocumenteFrm>();
    ASSERT_NE(list, nullptr);
    list->close();

    frm.commands().run(Command::Venituri, frm);
    auto* receipts = shell::openWindow<entry::TVenituriFrm>();
    ASSERT_NE(receipts, nullptr);
    QApplication::setActiveWindow(receipts);
    auto* number = gui::control<QLineEdit>(receipts, "DBEditNormal1");
    number->setFocus();
    QApplication::processEvents();
    QStringList asked;
    ui::Messages::setResponder([&](ui::MessageRecord& r) {
        asked << r.text;
        return int(ui::Cancel);
    });
    QTest::keyClick(number, Qt::Key_F, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(asked, QStringList{"Cauta document\nNumarul documentului :"});
    EXPECT_EQ(shell::openWindow<entry::TDocumenteFrm>(), nullptr);
}
