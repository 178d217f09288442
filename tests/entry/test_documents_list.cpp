// The documents list on a few hundred documents of the four kinds: every
// filter (typed as the user types), every sort, the totals and balances, Enter
// opening the right record in the right window, the list following a save,
// Ctrl+F's number search in a document window, and the printed list.
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <functional>

#include "EntryFixture.h"
#include "data/Collation.h"
#include "entry/Balances.h"
#include "entry/CheltuieliUnt.h"
#include "entry/DepuneriUnt.h"
#include "entry/DocumenteUnt.h"
#include "entry/RepDocumenteUnt.h"
#include "entry/RidicariUnt.h"
#include "entry/VenituriUnt.h"
#include "data/Table.h"
#include "shell/WindowSlots.h"

using namespace entry;

namespace {

// One generated document, as the tests expect to find it.
struct Doc {
    CashDoc kind;
    int number;
    data::Date date;
    int code;  // 0 for deposits and withdrawals
    std::string account, party, explanation;
    double amount;
};

const char* const kExplanations[] = {"Donatie Ștefan", "Vanzare lumânări", "Chirie sala", "Pomelnic Ştefan"};
const char* const kParties[] = {"SC Ştefan SRL", "Parohia Ștefan", "Electrica", ""};

class DocumentsList : public EntryFixture {
protected:
    void SetUp() override {
        EntryFixture::SetUp();
        add("Contor.DB", {"Sold_init_casa", "Sold_init_banca"}, {{500.0, 2000.0}});
        for (CashDoc k : {CashDoc::Receipt, CashDoc::Payment, CashDoc::Deposit, CashDoc::Withdrawal}) {
            const bool between = k == CashDoc::Deposit || k == CashDoc::Withdrawal;
            std::vector<std::vector<data::Value>> rows;
            for (int i = 1; i <= (between ? 30 : 120); ++i) {
                Doc d{k,
                      i,
                      data::Date{2014, 1, 1}.addDays((i * 7 + static_cast<int>(k)) % 360),
                      between ? 0 : 2 + i % 5,
                      between ? "" : (i % 3 ? "Casa" : "Banca"),
                      between ? "" : kParties[i % 4],
                      between ? "" : kExplanations[i % 4],
                      10.25 + i * (between ? 3 : 1) + (k == CashDoc::Withdrawal ? 0.5 : 0)};
                docs_.push_back(d);
                if (between)
                    rows.push_back({double(i), d.date, d.amount, "Dispozitie"});
                else
                    rows.push_back(
                        {double(i), d.date, "Chitanta", d.code, d.account, d.party, d.explanation, d.amount});
            }
            if (between)
                add(k == CashDoc::Deposit ? "Depuneri.db" : "Ridicari.db", {"Nr_doc", "Data", "Suma", "Fel"}, rows);
            else if (k == CashDoc::Receipt)
                add(kindTable(k),
                    {"Nr_act", "Data", "Fel", "Cod_venit", "Cont", "Den_enorias", "Explicatie", "Valoarea"}, rows);
            else
                add(kindTable(k),
                    {"Nr_act", "Data", "Fel", "Cod_cheltuiala", "Cont", "Beneficiar", "Explicatie", "Valoarea"}, rows);
        }
    }
    void TearDown() override {
        for (QWidget* w : {static_cast<QWidget*>(shell::openWindow<TVenituriFrm>()),
                           static_cast<QWidget*>(shell::openWindow<TCheltuieliFrm>()),
                           static_cast<QWidget*>(shell::openWindow<TDepuneriFrm>()),
                           static_cast<QWidget*>(shell::openWindow<TRidicariFrm>())})
            if (w) w->close();
        EntryFixture::TearDown();
    }
    int expected(const std::function<bool(const Doc&)>& take) const {
        return static_cast<int>(std::count_if(docs_.begin(), docs_.end(), take));
    }
    static QTableView* view(QWidget* w) { return ctl<QTableView>(w, "DocsView"); }
    static QString cell(QWidget* w, int row, DocColumn c) {
        return view(w)->model()->index(row, static_cast<int>(c)).data().toString();
    }
    std::vector<Doc> docs_;
};

bool hasFolded(const Doc& d, const char* typed) {
    const std::string t = data::foldForMatch(typed);
    return data::containsFolded(d.explanation, t) || data::containsFolded(d.party, t) ||
           data::containsFolded(d.kind == CashDoc::Deposit || d.kind == CashDoc::Withdrawal ? "Dispozitie" : "Chitanta",
                                t);
}

}  // namespace

TEST_F(DocumentsList, OpensOnTheYearInDateOrderWithTheBalancesAfterEachRow) {
    auto* w = open<TDocumenteFrm>();
    EXPECT_EQ(focusName(), "TextEdit");
    DocumentList& list = w->list();
    ASSERT_EQ(list.size(), 300);
    for (int i = 1; i < list.size(); ++i) EXPECT_LE(list.row(i - 1).date.toDate(), list.row(i).date.toDate());
    // the last row of each day holds that day's closing cash; the last row the current balances
    for (int i = 0; i + 1 < list.size(); ++i)
        if (list.row(i).date.toDate() != list.row(i + 1).date.toDate())
            ASSERT_EQ(list.cashAfter(i), cashAtEndOf(list.row(i).date.toDate())) << i;
    EXPECT_EQ(list.cashAfter(list.size() - 1), data::toBani(CalcSoldCasa()));
    EXPECT_EQ(list.bankAfter(list.size() - 1), data::toBani(CalcSoldBanca()));
    EXPECT_EQ(cell(w, 0, DocColumn::Kind).isEmpty(), false);
    const QString totals = ctl<QLabel>(w, "TotalsLbl")->text();
    EXPECT_TRUE(totals.contains("Incasare: 120 / ")) << totals.toStdString();
    data::Bani receipts = 0;
    for (const Doc& d : docs_)
        if (d.kind == CashDoc::Receipt) receipts += data::toBani(d.amount);
    EXPECT_TRUE(totals.contains(QString::fromStdString(data::formatAmountBani(receipts))));
}

TEST_F(DocumentsList, EachFilterKeepsOnlyItsDocuments) {
    auto* w = open<TDocumenteFrm>();
    struct Case {
        const char* name;
        std::function<void()> set;
        std::function<bool(const Doc&)> take;
    };
    const Case cases[] = {
        {"text ste, typed", [&] { type("ste"); }, [](const Doc& d) { return hasFolded(d, "ste"); }},
        {"text ȘTE", [&] { ctl<QLineEdit>(w, "TextEdit")->insert(QString::fromUtf8("ȘTE")); },
         [](const Doc& d) { return hasFolded(d, "ste"); }},
        {"text lumanari", [&] { type("lumanari"); }, [](const Doc& d) { return hasFolded(d, "lumanari"); }},
        {"kind", [&] { ctl<QComboBox>(w, "KindCombo")->setCurrentIndex(2); },
         [](const Doc& d) { return d.kind == CashDoc::Payment; }},
        {"account", [&] { ctl<QComboBox>(w, "ContCombo")->setCurrentIndex(2); },
         [](const Doc& d) { return d.account == "Banca" || d.code == 0; }},
        {"type code", [&] { enter(w, "CodEdit", "4"); }, [](const Doc& d) { return d.code == 4; }},
        {"amounts",
         [&] {
             enter(w, "MinEdit", "50");
             enter(w, "MaxEdit", "60,25");
         },
         [](const Doc& d) { return d.amount >= 50 && d.amount <= 60.25; }},
        {"period",
         [&] {
             enter(w, "DeLaEdit", "01/03/2014");
             enter(w, "PanaLaEdit", "31/03/2014");
         },
         [](const Doc& d) { return d.date.month == 3; }},
    };
    for (const Case& c : cases) {
        focus(ctl<QLineEdit>(w, "TextEdit"));
        c.set();
        EXPECT_EQ(w->list().size(), expected(c.take)) << c.name;
        ASSERT_GT(w->list().size(), 0) << c.name;
        // back to the whole year
        for (const char* e : {"TextEdit", "CodEdit", "MinEdit", "MaxEdit"}) ctl<QLineEdit>(w, e)->clear();
        ctl<QLineEdit>(w, "DeLaEdit")->setText("01/01/2014");
        ctl<QLineEdit>(w, "PanaLaEdit")->setText("31/12/2014");
        ctl<QComboBox>(w, "KindCombo")->setCurrentIndex(0);
        ctl<QComboBox>(w, "ContCombo")->setCurrentIndex(0);
        enter(w, "CodEdit", "");
        ASSERT_EQ(w->list().size(), 300) << c.name;
    }
    // an amount that does not read is refused by name, the list kept
    enter(w, "MinEdit", "12a");
    EXPECT_TRUE(messages().join("|").contains("Suma de la")) << messages().join("|").toStdString();
    EXPECT_EQ(w->list().size(), 300);
}

TEST_F(DocumentsList, EveryColumnSortsBothWays) {
    auto* w = open<TDocumenteFrm>();
    for (int c = 0; c < kDocColumns; ++c) {
        const auto column = static_cast<DocColumn>(c);
        for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            view(w)->sortByColumn(c, order);
            for (int i = 1; i < w->list().size(); ++i) {
                const DocumentRow &a = w->list().row(i - 1), &b = w->list().row(i);
                int cmp = 0;
                if (column == DocColumn::Date)
                    cmp = a.date.toDate() < b.date.toDate() ? -1 : a.date.toDate() > b.date.toDate();
                else if (column == DocColumn::Kind)
                    cmp = static_cast<int>(a.kind) - static_cast<int>(b.kind);
                else if (column == DocColumn::Number || column == DocColumn::Amount || column == DocColumn::TypeCode) {
                    const double x = column == DocColumn::Number   ? a.number.toDouble()
                                     : column == DocColumn::Amount ? double(a.amount)
                                     : a.typeCode.isNull()         ? -1
                                                                   : a.typeCode.toDouble();
                    const double y = column == DocColumn::Number   ? b.number.toDouble()
                                     : column == DocColumn::Amount ? double(b.amount)
                                     : b.typeCode.isNull()         ? -1
                                                                   : b.typeCode.toDouble();
                    cmp = x < y ? -1 : x > y;
                } else {
                    cmp = data::compareRomanian(columnText(a, column), columnText(b, column));
                }
                ASSERT_TRUE(order == Qt::AscendingOrder ? cmp <= 0 : cmp >= 0) << "column " << c << " row " << i;
            }
        }
    }
    // balances only in date order
    EXPECT_TRUE(cell(w, 0, DocColumn::Count).isEmpty());
    view(w)->sortByColumn(static_cast<int>(DocColumn::Date), Qt::AscendingOrder);
    EXPECT_FALSE(cell(w, 0, DocColumn::Count).isEmpty());
}

TEST_F(DocumentsList, EnterOpensTheDocumentInItsWindowAndTheListFollowsASave) {
    auto* w = open<TDocumenteFrm>();
    for (int row : {0, 37, 151, 299}) {
        gui::reactivate(w);
        focus(ctl<QLineEdit>(w, "TextEdit"));
        key(Qt::Key_Down);
        ASSERT_EQ(focusName(), "DocsView");
        view(w)->setCurrentIndex(view(w)->model()->index(row, 0));
        const DocumentRow expect = w->list().row(row);
        key(Qt::Key_Return);
        QWidget* opened = expect.kind == CashDoc::Receipt   ? static_cast<QWidget*>(shell::openWindow<TVenituriFrm>())
                          : expect.kind == CashDoc::Payment ? static_cast<QWidget*>(shell::openWindow<TCheltuieliFrm>())
                          : expect.kind == CashDoc::Deposit ? static_cast<QWidget*>(shell::openWindow<TDepuneriFrm>())
                                                            : static_cast<QWidget*>(shell::openWindow<TRidicariFrm>());
        ASSERT_NE(opened, nullptr) << row;
        data::DataSet& d = docs(opened);
        EXPECT_EQ(d.state(), data::DataSetState::Browse);
        const bool between = expect.kind == CashDoc::Deposit || expect.kind == CashDoc::Withdrawal;
        EXPECT_EQ(d[between ? "Nr_doc" : "Nr_act"].asFloat(), expect.number.toDouble()) << row;
        EXPECT_EQ(d["Data"].asDate(), expect.date.toDate()) << row;
    }
    // a receipt saved in its window shows in the list
    auto* receipts = shell::OpenSingleWindow<TVenituriFrm>(nullptr);
    data::DataSet& d = docs(receipts);
    d.insert();
    d["Cod_venit"].setAsInteger(2);
    d["Valoarea"].setAsFloat(77);
    d["Explicatie"].setValue(data::Value("Ofranda noua"));
    d.post();
    settle();
    EXPECT_EQ(w->list().size(), 301);
}

TEST_F(DocumentsList, CtrlHShowsTheHistoryOfTheSelectedDocumentAndOfADeletedOneByItsText) {
    {
        data::Table t;
        t.setTableName("Cheltuieli.DB");
        t.open();
        for (const char* text : {"Clopot nou", "Candela Ştefan"}) {
            t.append();
            t["Nr_act"].setAsFloat(500);
            t["Data"].setAsDate({2014, 5, 12});
            t["Fel"].setAsString("Factura");
            t["Explicatie"].setAsString(text);
            t["Valoarea"].setAsFloat(40);
            t.post();
        }
        t.prior();
        t.edit();
        t["Valoarea"].setAsFloat(45);
        t.post();
        t.last();
        t.del();  // the candle
    }
    auto* w = open<TDocumenteFrm>();
    type("clopot");
    ASSERT_EQ(w->list().size(), 1);
    key(Qt::Key_Down);
    auto rows = historyShown();
    ASSERT_FALSE(rows.empty());
    // the post's fields, then the change of its one field
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](const QStringList& r) { return r[2] == "modificat"; }), 1);
    EXPECT_EQ(rows.back()[2], QStringLiteral("modificat"));
    EXPECT_EQ(rows.back()[5], QString::fromStdString(data::formatAmount(45)));
    // the deleted payment is no longer listed: its entries find it
    focus(ctl<QLineEdit>(w, "TextEdit"));
    ctl<QLineEdit>(w, "TextEdit")->clear();
    ctl<QLineEdit>(w, "TextEdit")->insert(QString::fromUtf8("candela ște"));
    ASSERT_EQ(w->list().size(), 0);
    rows = historyShown();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front()[2], QStringLiteral("adaugat"));
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [](const QStringList& r) { return r[5] == "Candela Ştefan"; }));
    EXPECT_EQ(rows.back()[2], QStringLiteral("sters"));
    type("x");
    rows = historyShown();
    EXPECT_TRUE(rows.empty());
    EXPECT_TRUE(messages().filter(QStringLiteral("Niciun document sters")).size() == 1)
        << messages().join('|').toStdString();
}

TEST_F(DocumentsList, CtrlFInADocumentWindowGoesToTheNumberTyped) {
    auto* payments = open<TCheltuieliFrm>();
    QString typed = "57";
    recorder.answer = [&](ui::MessageRecord& r) {
        r.input = typed;
        return ui::Ok;
    };
    payments->goToNumber();
    EXPECT_EQ(docs(payments)["Nr_act"].asFloat(), 57);
    EXPECT_EQ(docs(payments).state(), data::DataSetState::Browse);
    for (const char* bad : {"5x", "999"}) {
        typed = bad;
        payments->goToNumber();
        EXPECT_EQ(docs(payments)["Nr_act"].asFloat(), 57) << bad;
    }
    EXPECT_TRUE(recorder.lastMessage().contains("999"));
}

TEST_F(DocumentsList, PrintsWhatItShowsWithTheFilterInTheHeading) {
    auto* w = open<TDocumenteFrm>();
    focus(ctl<QLineEdit>(w, "TextEdit"));
    type("lumanari");
    const std::string file = db.file("lista.txt");
    reports::ReportOutput out;
    out.file = QString::fromStdString(file);
    ASSERT_EQ(PrintDocumente(w, w->list(), out), reports::RunResult::Done);
    const std::string text = readFile(file);
    EXPECT_NE(text.find("Lista documentelor"), std::string::npos);
    EXPECT_NE(text.find("Text: \"lumanari\""), std::string::npos);
    EXPECT_NE(text.find("Total: " + std::to_string(w->list().size()) + " documente"), std::string::npos);
    size_t rows = 0;
    for (size_t at = text.find("lumânări"); at != std::string::npos; at = text.find("lumânări", at + 1)) ++rows;
    EXPECT_EQ(rows, static_cast<size_t>(w->list().size()));
}
