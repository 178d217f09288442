// Main-menu shortcuts typed in a real document window reach the menu, not
// the focused field.
#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "AppFixture.h"
#include "app/MainFrm.h"
#include "shell/WindowSlots.h"
#include "entry/CheltuieliUnt.h"
#include "entry/DocumentFrm.h"
#include "entry/VenituriUnt.h"

using namespace app;

TEST_F(AppFixture, CtrlCInTheReceiptsWindowOpensThePaymentsWindow) {
    install();
    TMainFrm frm;
    frm.show();
    frm.commands().run(Command::Venituri, frm);
    auto* receipts = shell::openWindow<entry::TVenituriFrm>();
    ASSERT_NE(receipts, nullptr);
    QWidget* number = receipts->DBEditNormal1;
    receipts->activateWindow();
    QApplication::setActiveWindow(receipts);
    number->setFocus();
    QApplication::processEvents();
    const QString before = static_cast<QLineEdit*>(number)->text();
    EXPECT_EQ(shell::openWindow<entry::TCheltuieliFrm>(), nullptr);

    QTest::keyClick(number, Qt::Key_C, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_NE(shell::openWindow<entry::TCheltuieliFrm>(), nullptr);
    EXPECT_EQ(static_cast<QLineEdit*>(number)->text(), before);  // nothing typed into the number
    // Ctrl+V from there brings the receipts window back: still one of it
    QTest::keyClick(shell::openWindow<entry::TCheltuieliFrm>(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(shell::openWindow<entry::TVenituriFrm>(), receipts);
}
