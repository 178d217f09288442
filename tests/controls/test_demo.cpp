// Every control on one table: they follow the same record and what is typed
// in one shows in the others.
#include <QLabel>

#include "ControlsFixture.h"
#include "controls/ControlsDemo.h"
#include "controls/DBGNorm.h"
#include "controls/DBPos.h"

using namespace ui;

TEST_F(ControlsTest, AllControlsFollowOneTable) {
    ControlsDemo demo(QString::fromStdString(dir.path()));
    demo.show();
    QApplication::setActiveWindow(&demo);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&demo));
    pump();
    auto* name = qobject_cast<TDBEditNormal*>(focused());
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->dataField(), "Nume");
    type("Nou nume");
    key(Qt::Key_PageDown);
    EXPECT_EQ(demo.table().recNo(), 2);
    auto* pos = demo.findChild<TDBPos*>();
    ASSERT_NE(pos, nullptr);
    EXPECT_EQ(pos->text(), "2/40");
    EXPECT_EQ(demo.grid()->currentRow(), 1);
    EXPECT_EQ(demo.grid()->model()->index(0, 1).data().toString(), "Nou nume");
    // Enter walks the tab order to the grid, whose editor takes the focus.
    for (int i = 0; i < 12 && !demo.grid()->isAncestorOf(focused()); ++i) key(Qt::Key_Return);
    EXPECT_TRUE(demo.grid()->isAncestorOf(focused()));
}
