// The change journal seen from the windows: the history of a receipt posted
// and corrected with the keys (Ctrl+H), and the printout of one month.
#include <QPushButton>
#include <QTableWidget>

#include "data/Journal.h"
#include "data/Money.h"
#include "data/Table.h"
#include "entry/EntryFixture.h"
#include "entry/VenituriUnt.h"
#include "journal/IstoricDlg.h"
#include "journal/RepJurnalUnt.h"

using namespace entry;

namespace {

class JournalWindows : public EntryFixture {};

}  // namespace

TEST_F(JournalWindows, CtrlHShowsTheReceiptsPostAndItsCorrectionWithTheValuesBeforeAndAfter) {
    auto* w = open<TVenituriFrm>();
    enter(w, "DBEditNormal4", QStringLiteral("2"));
    enter(w, "DBEditNormal2", QStringLiteral("150"));
    ctl<QPushButton>(w, "AplyBtn")->click();
    settle();
    ASSERT_EQ(count("Venituri.DB"), 1);
    auto rows = historyShown();
    ASSERT_FALSE(rows.empty());
    EXPECT_TRUE(std::all_of(rows.begin(), rows.end(), [](const QStringList& r) { return r[2] == "adaugat"; }));
    const QString amount = QString::fromStdString(data::formatAmount(150));
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(),
                            [&](const QStringList& r) { return r[3] == "Valoarea" && r[5] == amount; }));

    enter(w, "DBEditNormal2", QStringLiteral("175,50"));
    ctl<QPushButton>(w, "AplyBtn")->click();
    settle();
    rows = historyShown();
    ASSERT_FALSE(rows.empty());
    const QStringList& change = rows.back();
    EXPECT_EQ(change[2], QStringLiteral("modificat"));
    EXPECT_EQ(change[3], QStringLiteral("Valoarea"));
    EXPECT_EQ(change[4], amount);
    EXPECT_EQ(change[5], QString::fromStdString(data::formatAmount(175.5)));
}

TEST_F(JournalWindows, TheMonthsPrintoutListsItsEntriesOfTheKindAskedAndADeletedReceiptByName) {
    data::Table t;
    t.setTableName("Venituri.DB");
    t.open();
    for (int i = 1; i <= 6; ++i) {
        data::setToday(data::Date{2014, i <= 3 ? 4 : 5, 10 + i});
        t.append();
        t["Nr_act"].setAsFloat(i);
        t["Data"].setAsDate(data::today());
        t["Fel"].setAsString("Chitanta");
        t["Valoarea"].setAsFloat(10);
        t.post();
    }
    t.del();  // receipt 6, in May
    t.close();
    const QString file = QString::fromStdString(db.file("jurnal.txt"));
    ASSERT_EQ(journal::PrintJurnal(nullptr, reports::Interval{{2014, 5, 1}, {2014, 5, 31}},
                                   journal::JournalFilter{"Venituri", "adaugat"}, {file}),
              reports::RunResult::Done);
    const QString text = QString::fromStdString(readFile(file.toStdString()));
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(text.contains(QStringLiteral("Chitanta nr. %1 din").arg(i)), i > 3) << i;
    EXPECT_FALSE(text.contains(QStringLiteral("sters")));
    // an amount is written as the program shows it, also from a table without the window's field set-up
    EXPECT_TRUE(
        text.contains(QStringLiteral("\"Valoarea\": \"%1\"").arg(QString::fromStdString(data::formatAmount(10)))));
    ASSERT_EQ(journal::PrintJurnal(nullptr, reports::Interval{{2014, 5, 1}, {2014, 5, 31}},
                                   journal::JournalFilter{"", "sters"}, {file}),
              reports::RunResult::Done);
    const QString deleted = QString::fromStdString(readFile(file.toStdString()));
    EXPECT_TRUE(deleted.contains(QStringLiteral("Chitanta nr. 6 din 16.05.2014")));
    EXPECT_FALSE(deleted.contains(QStringLiteral("Chitanta nr. 5 din")));
}
