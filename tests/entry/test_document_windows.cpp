// The receipts, payments, deposits and withdrawals windows over real tables,
// driven by keys as the user drives them.
#include <QComboBox>
#include <filesystem>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "EntryFixture.h"
#include "controls/DBDate.h"
#include "controls/DBGNorm.h"
#include "data/Errors.h"
#include "entry/CheltuieliUnt.h"
#include "controls/DBNavigator.h"
#include "entry/DepuneriUnt.h"
#include "entry/RidicariUnt.h"
#include "entry/VenituriUnt.h"

using namespace entry;
using ui::NavBtn;
using ui::TDBNavigator;

namespace {

const QString kYearReceipt2014vs2013 = QStringLiteral(
    "Atentie anul ales pentru inregistrarea incasarii 2014 difera de anul de lucru 2013 ! Introduceti o data valida.");
const QString kIncompleteReceipt =
    QStringLiteral("Completati toate datele referitoare la incasarea pe care doriti sa o efectuati!");
QString negativeCash(const char* day, const char* balance, const char* question = "Salvati totusi documentul?") {
    return QStringLiteral("Atentie! Soldul casei devine negativ in ziua %1 (sold %2).\n%3").arg(day, balance, question);
}

QStringList groupCaptions(QWidget* w) {
    QStringList l;
    for (auto* g : w->findChildren<QGroupBox*>()) l << g->title();
    return l;
}

// The focusable controls in tab order, starting at the first one.
QStringList tabOrder(QWidget* first) {
    QStringList l;
    QWidget* w = first;
    do {
        // the line edit inside an editable combo box is part of the combo box
        if (w->focusPolicy() & Qt::TabFocus && w->isVisible() && !qobject_cast<QComboBox*>(w->parentWidget()))
            l << w->objectName();
        w = w->nextInFocusChain();
    } while (w && w != first);
    return l;
}

}  // namespace

using Receipts = EntryFixture;

TEST_F(Receipts, FirstUseOpensOnReceiptOneDatedTodayInCash) {
    auto* w = open<TVenituriFrm>();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Incasari"));
    EXPECT_EQ(docs(w).state(), data::DataSetState::Insert);
    EXPECT_EQ(docs(w)["Nr_act"].asFloat(), 1.0);
    EXPECT_EQ(docs(w)["Data"].asDate(), (data::Date{2014, 5, 12}));
    EXPECT_EQ(docs(w)["Data_registru"].asDate(), (data::Date{2014, 5, 12}));
    EXPECT_EQ(docs(w)["Cont"].asString(), "Casa");
    EXPECT_TRUE(docs(w)["Cod_enorias"].isNull());
    EXPECT_EQ(ctl<QLabel>(w, "SoldCasaLbl")->text(), QStringLiteral("0.00"));
    EXPECT_EQ(ctl<QLabel>(w, "SoldBancaLbl")->text(), QStringLiteral("0.00"));
    EXPECT_TRUE(messages().isEmpty());  // the year is the working year
    EXPECT_EQ(focusName(), QStringLiteral("DBEditNormal1"));

    EXPECT_EQ(groupCaptions(w), (QStringList{"Inregistrare (chitanta incasata)", "Valoare"}));
    EXPECT_EQ(tabOrder(ctl<TDocEdit>(w, "DBEditNormal1")),
              (QStringList{"DBEditNormal1", "DBDateEdit1", "DBLookupComboBox1", "DBEditNormal4", "DBComboNormal1",
                           "DBEditNormal2", "DBEditNormal3", "AplyBtn", "PrintBtn"}));
    EXPECT_EQ(ctl<TDocEdit>(w, "DBEditNormal4")->toolTip(),
              QStringLiteral("Click aici si apasati Ctrl-Enter pentru a selecta din catalog !"));
    EXPECT_EQ(ctl<QPushButton>(w, "AplyBtn")->text(), QStringLiteral("&Salveaza"));
    EXPECT_EQ(ctl<QPushButton>(w, "AplyBtn")->toolTip(), QStringLiteral("Salveaza operatiunea"));
    EXPECT_EQ(ctl<QPushButton>(w, "PrintBtn")->toolTip(), QStringLiteral("Printeaza chitanta"));
    EXPECT_EQ(w->findChild<QLabel*>("SoldBancaLblCaption")->text(), QStringLiteral("SOLD CURENT BANCA : "));
    QStringList hints;
    for (NavBtn b : {NavBtn::First, NavBtn::Prior, NavBtn::Next, NavBtn::Last, NavBtn::Insert, NavBtn::Delete,
                     NavBtn::Post, NavBtn::Cancel, NavBtn::Refresh})
        hints << ctl<TDBNavigator>(w, "DocInNavigator")->button(b)->toolTip();
    EXPECT_EQ(hints, (QStringList{"Primul document", "Precedentul document", "Urmatorul document", "Ultimul document",
                                  "Document nou", "Sterge document", "Salveaza document", "Anuleaza modificarile",
                                  "Actualizeaza datele"}));
    EXPECT_FALSE(ctl<TDBNavigator>(w, "DocInNavigator")->isButtonVisible(NavBtn::Edit));
    // the document kinds are offered by name
    EXPECT_EQ(ctl<ui::TDBLookupComboBoxNormal>(w, "DBLookupComboBox1")->itemText(0), QStringLiteral("Chitanta"));
}

TEST_F(Receipts, OpensOnANewDocumentAfterTheLastOne) {
    add("Venituri.DB", {"Nr_act", "Data", "Cod_venit", "Valoarea", "Cont"},
        {{7.0, data::Date{2014, 1, 3}, 2, 10.0, "Casa"}, {41.0, data::Date{2014, 1, 4}, 3, 5.0, "Banca"}});
    auto* w = open<TVenituriFrm>();
    EXPECT_EQ(docs(w)["Nr_act"].asFloat(), 42.0);
    EXPECT_EQ(ctl<QLabel>(w, "SoldCasaLbl")->text(), QStringLiteral("10.00"));
    EXPECT_EQ(ctl<QLabel>(w, "SoldBancaLbl")->text(), QStringLiteral("5.00"));
    key(Qt::Key_PageDown);  // leaving the untouched new document drops it
    EXPECT_EQ(docs(w).state(), data::DataSetState::Browse);
    EXPECT_EQ(docs(w)["Nr_act"].asFloat(), 41.0);
    EXPECT_EQ(count("Venituri.DB"), 2);
}

TEST_F(Receipts, WorkingYearOtherThanTodaysYearWarnsOnOpeningAndRefusesTheSave) {
    setWorkingYear(2013);
    auto* w = open<TVenituriFrm>();
    EXPECT_EQ(messages(), QStringList{kYearReceipt2014vs2013});
    EXPECT_EQ(ui::Messages::history().back().type, ui::MsgType::Warning);
    ui::Messages::clearHistory();
    docs(w)["Cod_venit"].setAsInteger(2);
    docs(w)["Valoarea"].setAsFloat(50);
    ctl<QPushButton>(w, "AplyBtn")->click();
    EXPECT_EQ(messages(), QStringList{kYearReceipt2014vs2013});
    EXPECT_EQ(focusName(), QStringLiteral("DBDateEdit1"));
    EXPECT_EQ(docs(w).state(), data::DataSetState::Insert);
    EXPECT_EQ(count("Venituri.DB"), 0);

    // an empty date counts as 1899
    ui::Messages::clearHistory();
    docs(w)["Data"].clear();
    ui::Messages::clearHistory();
    ctl<QPushButton>(w, "AplyBtn")->click();
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Atentie anul ales pentru inregistrarea incasarii 1899 difera de "
                                                     "anul de lucru 2013 ! Introduceti o data valida.")});
    EXPECT_EQ(count("Venituri.DB"), 0);
}

TEST_F(Receipts, DateTypedOutsideTheWorkingYearIsWarnedButKept) {
    auto* w = open<TVenituriFrm>();
    focus(ctl<ui::TDBDateEdit>(w, "DBDateEdit1"));
    ctl<ui::TDBDateEdit>(w, "DBDateEdit1")->selectAll();
    type(QStringLiteral("03022013"));
    key(Qt::Key_Return);
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Atentie anul ales pentru inregistrarea incasarii 2013 difera de "
                                                     "anul de lucru 2014 ! Introduceti o data valida.")});
    EXPECT_EQ(docs(w)["Data"].asDate(), (data::Date{2013, 2, 3}));
    EXPECT_EQ(focusName(), QStringLiteral("DBLookupComboBox1"));
}

TEST_F(Receipts, CodeMissingFromTheCatalogIsRefused) {
    auto* w = open<TVenituriFrm>();
    focus(ctl<TDocEdit>(w, "DBEditNormal4"));
    EXPECT_EQ(status.last(), QStringLiteral("Apsati <Ctrl-Enter> pentru a selecta tipul de venit din catalog!"));
    type(QStringLiteral("999"));
    key(Qt::Key_Return);
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Codul de venit <999> nu figureaza în catalog. Apasati Ctrl-Enter "
                                                     "pentru a selecta din catalog !")});
    EXPECT_TRUE(docs(w)["Cod_venit"].isNull());
    EXPECT_TRUE(docs(w)["Den_venit"].isNull());
    EXPECT_TRUE(ctl<TDBText>(w, "DBText2")->text().isEmpty());
    EXPECT_EQ(focusName(), QStringLiteral("DBEditNormal4"));

    // a known code brings its name
    ui::Messages::clearHistory();
    ctl<TDocEdit>(w, "DBEditNormal4")->selectAll();
    type(QStringLiteral("4"));
    key(Qt::Key_Return);
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(docs(w)["Cod_venit"].asInteger(), 4);
    EXPECT_EQ(ctl<TDBText>(w, "DBText2")->text(), QStringLiteral("Venituri din vanzarea lumanarilor"));
    EXPECT_EQ(focusName(), QStringLiteral("DBComboNormal1"));

    // a refused code leaves the code and its name together
    focus(ctl<TDocEdit>(w, "DBEditNormal4"));
    ctl<TDocEdit>(w, "DBEditNormal4")->selectAll();
    type(QStringLiteral("999"));
    key(Qt::Key_Return);
    EXPECT_EQ(messages().size(), 1);
    EXPECT_EQ(docs(w)["Cod_venit"].asInteger(), 4);
    EXPECT_EQ(docs(w)["Den_venit"].asString(), "Venituri din vanzarea lumanarilor");
}

TEST_F(Receipts, CtrlEnterOnAnEmptyCodeChoosesTheFirstType) {
    auto* w = open<TVenituriFrm>();
    focus(ctl<TDocEdit>(w, "DBEditNormal4"));
    QString caption;
    onModal([&](QWidget* m) {
        caption = m->windowTitle();
        keyInModal(m, Qt::Key_Return);
    });
    key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(caption, QStringLiteral("Selectie tip venit"));
    EXPECT_EQ(docs(w)["Cod_venit"].asInteger(), 2);
    EXPECT_EQ(ctl<TDBText>(w, "DBText2")->text(), QStringLiteral("Contributia enoriasilor"));
    EXPECT_EQ(ctl<TDocEdit>(w, "DBEditNormal4")->text(), QStringLiteral("2"));
    EXPECT_EQ(focusName(), QStringLiteral("DBComboNormal1"));
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(Receipts, CancelledChoiceChangesNothingAndTypesNothing) {
    add("Venituri.DB", {"Nr_act", "Data", "Cod_venit", "Den_venit", "Valoarea", "Cont"},
        {{1.0, data::Date{2014, 5, 2}, 3, "Donatii si ofrande", 20.0, "Casa"}});
    auto* w = open<TVenituriFrm>();
    key(Qt::Key_PageUp);  // to the stored receipt
    ASSERT_EQ(docs(w).state(), data::DataSetState::Browse);
    focus(ctl<TDocEdit>(w, "DBEditNormal4"));
    onModal([&](QWidget* m) { keyInModal(m, Qt::Key_Escape); });
    key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(docs(w).state(), data::DataSetState::Browse);
    EXPECT_EQ(docs(w)["Cod_venit"].asInteger(), 3);
    EXPECT_EQ(ctl<TDocEdit>(w, "DBEditNormal4")->text(), QStringLiteral("3"));
    EXPECT_EQ(focusName(), QStringLiteral("DBEditNormal4"));

    // a double-click opens the same choice; the second type moves into the stored receipt
    onModal([&](QWidget* m) {
        keyInModal(m, Qt::Key_Down);
        keyInModal(m, Qt::Key_Return);
    });
    QTest::mouseDClick(ctl<TDocEdit>(w, "DBEditNormal4"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(docs(w).state(), data::DataSetState::Edit);
    EXPECT_EQ(docs(w)["Cod_venit"].asInteger(), 4);
    EXPECT_EQ(focusName(), QStringLiteral("DBComboNormal1"));
}

TEST_F(Receipts, LeavingTheAmountFillsTheExplanationButNeverOverwritesATypedOne) {
    add("Venituri.DB", {"Nr_act", "Data", "Cod_venit", "Valoarea", "Cont", "Explicatie"},
        {{1.0, data::Date{2014, 5, 2}, 4, 10.0, "Casa", "Vanzare lumanari"},
         {2.0, data::Date{2014, 5, 3}, 4, 10.0, "Casa", "scris de mine"}});
    auto* w = open<TVenituriFrm>();
    const char* kept[] = {"Contributia anuala a enoriasului", "scris de mine"};
    ctl<TDBNavigator>(w, "DocInNavigator")->BtnClick(NavBtn::First);
    for (const char* explanation : kept) {  // of an earlier fill, and typed
        enter(w, "DBEditNormal4", QStringLiteral("2"));
        enter(w, "DBEditNormal2", QStringLiteral("10"));
        EXPECT_EQ(docs(w)["Explicatie"].asString(), explanation);
        key(Qt::Key_PageDown);
    }
    key(Qt::Key_Insert);  // a new one: the fill follows the type until the user writes one
    const struct {
        const char *code, *typed, *explanation;
    } steps[] = {{"4", nullptr, "Vanzare lumanari"},
                 {"2", nullptr, "Contributia anuala a enoriasului"},
                 {"2", "scris de mine", "scris de mine"},
                 {"4", nullptr, "scris de mine"}};
    for (const auto& step : steps) {
        enter(w, "DBEditNormal4", QString::fromUtf8(step.code));
        if (step.typed) enter(w, "DBEditNormal3", QString::fromUtf8(step.typed));
        enter(w, "DBEditNormal2", QStringLiteral("100"));
        EXPECT_EQ(docs(w)["Explicatie"].asString(), step.explanation) << step.code;
    }
}

TEST_F(Receipts, AmountIsStoredAsTypedTheRomanianOrTheEnglishWayOrRefusedNamingTheField) {
    auto* w = open<TVenituriFrm>();
    auto* amount = ctl<TDocEdit>(w, "DBEditNormal2");
    focus(amount);
    type(QStringLiteral("18.540,75"));
    key(Qt::Key_Return);
    EXPECT_EQ(amount->text(), QStringLiteral("18,540.75"));  // shown as it was taken
    // three decimals: refused naming the field, the typed text kept for correcting
    focus(amount);
    type(QStringLiteral("2350,405"));
    key(Qt::Key_Return);
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].startsWith(QStringLiteral("'2350,405' nu este o suma valida pentru campul 'Valoarea'")));
    EXPECT_EQ(focused(), amount);
    EXPECT_EQ(amount->text(), QStringLiteral("2350,405"));
    amount->selectAll();
    type(QStringLiteral("2350,40"));
    key(Qt::Key_Return);
    docs(w)["Cod_venit"].setAsInteger(2);
    focus(ctl<QPushButton>(w, "AplyBtn"));
    key(Qt::Key_Return);  // "&Salveaza"
    auto stored = data::SqlSession::forDirectory(db.path()).select("SELECT Valoarea FROM Venituri");
    ASSERT_EQ(stored.rows.size(), 1u);
    EXPECT_EQ(stored.rows[0][0].toDouble(), 2350.40);
    EXPECT_EQ(ctl<QLabel>(w, "SoldCasaLbl")->text(), QStringLiteral("2,350.40"));
}

TEST_F(Receipts, ExplanationEndsWithTheParishionerOfAStoredReceipt) {
    add("Venituri.DB", {"Nr_act", "Data", "Cod_venit", "Den_venit", "Den_enorias", "Valoarea", "Cont"},
        {{3.0, data::Date{2014, 5, 2}, 2, "Contributia enoriasilor", "Ion Pop", 20.0, "Casa"}});
    auto* w = open<TVenituriFrm>();
    key(Qt::Key_PageUp);
    focus(ctl<TDocEdit>(w, "DBEditNormal2"));
    key(Qt::Key_Return);  // leaving the amount of a receipt only browsed changes nothing
    EXPECT_EQ(docs(w).state(), data::DataSetState::Browse);
    EXPECT_TRUE(docs(w)["Explicatie"].isNull());
    focus(ctl<TDocEdit>(w, "DBEditNormal2"));
    type(QStringLiteral("5"));
    key(Qt::Key_Return);
    EXPECT_EQ(docs(w)["Explicatie"].asString(), "Contributia anuala a enoriasului Ion Pop");
    EXPECT_EQ(docs(w)["Den_enorias"].asString(), "Ion Pop");  // never written by the window
}

TEST_F(Receipts, KeysWalkTheFieldsAndStartOrDropDocuments) {
    add("Venituri.DB", {"Nr_act", "Data", "Cod_venit", "Valoarea", "Cont"},
        {{5.0, data::Date{2014, 5, 2}, 2, 30.0, "Casa"}});
    auto* w = open<TVenituriFrm>();
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    key(Qt::Key_Return);
    EXPECT_EQ(focusName(), QStringLiteral("DBDateEdit1"));
    key(Qt::Key_Return);
    key(Qt::Key_Return);
    EXPECT_EQ(focusName(), QStringLiteral("DBEditNormal4"));
    key(Qt::Key_Up);
    EXPECT_EQ(focusName(), QStringLiteral("DBLookupComboBox1"));
    focus(ctl<TDocEdit>(w, "DBEditNormal3"));
    key(Qt::Key_Delete, Qt::ControlModifier);  // drops the new document, deletes nothing
    EXPECT_EQ(docs(w).state(), data::DataSetState::Browse);
    EXPECT_EQ(docs(w)["Nr_act"].asFloat(), 5.0);
    EXPECT_TRUE(messages().isEmpty());
    key(Qt::Key_Insert);
    EXPECT_EQ(docs(w).state(), data::DataSetState::Insert);
    EXPECT_EQ(docs(w)["Nr_act"].asFloat(), 6.0);
    EXPECT_EQ(count("Venituri.DB"), 1);
}

TEST_F(Receipts, IncompleteReceiptIsNotSaved) {
    auto* w = open<TVenituriFrm>();
    docs(w)["Cod_venit"].setAsInteger(2);
    focus(ctl<TDocEdit>(w, "DBEditNormal3"));
    ctl<QPushButton>(w, "AplyBtn")->setFocus();
    QApplication::processEvents();
    key(Qt::Key_Return);  // Enter on the focused button clicks it
    EXPECT_EQ(messages(), QStringList{kIncompleteReceipt + "\nCompletati campul \"Suma incasata\"."});
    EXPECT_EQ(docs(w).state(), data::DataSetState::Insert);
    EXPECT_EQ(focusName(), QStringLiteral("DBEditNormal2"));  // the field to fill
    EXPECT_EQ(count("Venituri.DB"), 0);
}

TEST_F(Receipts, CashReceiptRaisesTheCashBalanceAndEnterStartsTheNext) {
    add("Contor.DB", {"Sold_init_casa", "Sold_init_banca"}, {{20.0, 500.0}});
    auto* w = open<TVenituriFrm>();
    EXPECT_EQ(ctl<QLabel>(w, "SoldCasaLbl")->text(), QStringLiteral("20.00"));
    focus(ctl<TDocEdit>(w, "DBEditNormal4"));
    type(QStringLiteral("2"));
    key(Qt::Key_Return);  // code -> account
    key(Qt::Key_Return);  // account "Casa" -> amount
    type(QStringLiteral("100.00"));
    key(Qt::Key_Return);  // amount -> explanation
    key(Qt::Key_Return);  // explanation -> "&Salveaza"
    EXPECT_EQ(focusName(), QStringLiteral("AplyBtn"));
    key(Qt::Key_Return);  // save
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
    EXPECT_EQ(count("Venituri.DB"), 1);
    EXPECT_EQ(ctl<QLabel>(w, "SoldCasaLbl")->text(), QStringLiteral("120.00"));
    EXPECT_EQ(ctl<QLabel>(w, "SoldBancaLbl")->text(), QStringLiteral("500.00"));
    EXPECT_EQ(docs(w).state(), data::DataSetState::Browse);
    EXPECT_EQ(focusName(), QStringLiteral("PrintBtn"));
    auto stored = data::SqlSession::forDirectory(db.path()).select(
        "SELECT Nr_act, Cod_venit, Den_venit, Valoarea, Cont, Explicatie FROM Venituri");
    EXPECT_EQ(stored.rows.at(0).at(2).toString(), "Contributia enoriasilor");
    EXPECT_EQ(stored.rows.at(0).at(5).toString(), "Contributia anuala a enoriasului");

    key(Qt::Key_Return);  // "&Printeaza": the next receipt
    EXPECT_EQ(docs(w).state(), data::DataSetState::Insert);
    EXPECT_EQ(docs(w)["Nr_act"].asFloat(), 2.0);
    EXPECT_EQ(focusName(), QStringLiteral("DBEditNormal1"));

    // a receipt stored by someone else shows only at the next post or delete
    add("Venituri.DB", {"Nr_act", "Valoarea", "Cont"}, {{9.0, 1000.0, "Casa"}});
    key(Qt::Key_Escape);
    ctl<TDBNavigator>(w, "DocInNavigator")->BtnClick(NavBtn::Cancel);
    ctl<TDBNavigator>(w, "DocInNavigator")->BtnClick(NavBtn::Refresh);
    EXPECT_EQ(ctl<QLabel>(w, "SoldCasaLbl")->text(), QStringLiteral("120.00"));
}

TEST_F(Receipts, DeleteAskedAndNoKeepsTheReceiptAndBalances) {
    add("Venituri.DB", {"Nr_act", "Data", "Cod_venit", "Valoarea", "Cont"},
        {{1.0, data::Date{2014, 5, 2}, 2, 30.0, "Casa"}});
    auto* w = open<TVenituriFrm>();
    key(Qt::Key_PageUp);
    answerYes = false;
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Sigur doriti anularea incasarii (chitantei)?")});
    EXPECT_EQ(ui::Messages::history().back().type, ui::MsgType::Warning);
    EXPECT_EQ(ui::Messages::history().back().defaultButton, ui::No);  // Enter keeps the receipt
    EXPECT_EQ(count("Venituri.DB"), 1);
    EXPECT_EQ(ctl<QLabel>(w, "SoldCasaLbl")->text(), QStringLiteral("30.00"));

    answerYes = true;
    ctl<TDBNavigator>(w, "DocInNavigator")->BtnClick(NavBtn::Delete);  // the navigator asks nothing of its own
    EXPECT_EQ(messages().size(), 2);
    EXPECT_EQ(count("Venituri.DB"), 0);
    EXPECT_EQ(ctl<QLabel>(w, "SoldCasaLbl")->text(), QStringLiteral("0.00"));
}

TEST_F(Receipts, ClosingAsksAndNoDropsTheUnsavedDocumentAndFreesTheTable) {
    auto* w = open<TVenituriFrm>();
    docs(w)["Cod_venit"].setAsInteger(2);
    docs(w)["Valoarea"].setAsFloat(5);
    answerYes = false;
    w->close();
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Salvati modificarile?")});
    EXPECT_FALSE(docs(w).editing());
    EXPECT_EQ(count("Venituri.DB"), 0);
}

TEST_F(Receipts, MissingTableEndsTheOpeningWithTheEngineError) {
    std::filesystem::remove(db.file("Venituri.DB"));
    EXPECT_THROW(TVenituriFrm w(nullptr), data::EngineError);
    EXPECT_TRUE(messages().isEmpty());  // reported by the command's error report, not here
}

TEST_F(Receipts, TwoInstancesSavingTheSameProposedNumberGetTwoNumbersAndTheLaterIsTold) {
    addDocs("Venituri.DB", {{41.0, data::Date{2014, 5, 2}, 2, 30.0, "Casa"}});
    QWidget* both[] = {open<TVenituriFrm>(), open<TVenituriFrm>()};  // two users on one directory
    for (QWidget* w : both) {
        gui::reactivate(w);
        EXPECT_EQ(docs(w)["Nr_act"].asFloat(), 42.0);
        enter(w, "DBEditNormal4", QStringLiteral("2"));
        enter(w, "DBEditNormal2", QStringLiteral("10"));
    }
    for (QWidget* w : both) {
        gui::reactivate(w);
        focus(ctl<QPushButton>(w, "AplyBtn"));
        key(Qt::Key_Return);
    }
    ASSERT_EQ(messages(), QStringList{QStringLiteral("Numarul documentului a devenit 43: numarul 42 a fost luat "
                                                     "intre timp de alt utilizator.")});
    EXPECT_EQ(ui::Messages::history().back().type, ui::MsgType::Information);
    EXPECT_EQ(docs(both[1])["Nr_act"].asFloat(), 43.0);
    auto stored = data::SqlSession::forDirectory(db.path()).select(
        "SELECT group_concat(Nr_act) FROM (SELECT Nr_act FROM Venituri ORDER BY rowid)");
    EXPECT_EQ(stored.rows.at(0).at(0).toString(), "41.0,42.0,43.0");
}

using Payments = EntryFixture;

TEST_F(Payments, ChoiceMovesToThePayeeAndTextsAreThePaymentOnes) {
    auto* w = open<TCheltuieliFrm>();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Plati"));
    EXPECT_EQ(groupCaptions(w), (QStringList{"Inregistrare (ordin plata)", "Valoare"}));
    EXPECT_TRUE(ctl<TDocEdit>(w, "DBEditNormal4")->toolTip().isEmpty());
    EXPECT_EQ(ctl<QPushButton>(w, "PrintBtn")->toolTip(), QStringLiteral("Sunt de acord"));
    focus(ctl<TDocEdit>(w, "DBEditNormal4"));
    EXPECT_EQ(status.last(), QStringLiteral("Apsati <Ctrl-Enter> pentru a selecta tipul de cheltuiala din catalog!"));
    QString caption;
    onModal([&](QWidget* m) {
        caption = m->windowTitle();
        keyInModal(m, Qt::Key_Return);
    });
    key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(caption, QStringLiteral("Selectie tip cheltuiala"));
    EXPECT_EQ(docs(w)["Cod_cheltuiala"].asInteger(), 16);
    EXPECT_EQ(focusName(), QStringLiteral("DBEditNormal5"));
    type(QStringLiteral("Ion Popescu"));
    key(Qt::Key_Return);
    key(Qt::Key_Return);
    type(QStringLiteral("75.5"));
    focus(ctl<TDocEdit>(w, "DBEditNormal3"));
    EXPECT_EQ(docs(w)["Explicatie"].asString(), "Plata salarii");  // the type's text alone

    focus(ctl<TDocEdit>(w, "DBEditNormal4"));
    ctl<TDocEdit>(w, "DBEditNormal4")->selectAll();
    type(QStringLiteral("999"));
    key(Qt::Key_Return);
    EXPECT_EQ(docs(w)["Cod_cheltuiala"].asInteger(), 16);
    key(Qt::Key_Escape);  // back to the code held
    docs(w)["Valoarea"].clear();
    ctl<QPushButton>(w, "AplyBtn")->click();
    docs(w)["Data"].setAsDate(data::Date{2015, 1, 1});
    ctl<QPushButton>(w, "AplyBtn")->click();
    EXPECT_EQ(
        messages(),
        (QStringList{
            "Codul de cheltuiala <999> nu figureaza în catalog. Apasati Ctrl-Enter pentru a selecta din catalog !",
            "Completati toate datele referitoare la plata pe care doriti sa o efectuati!\nCompletati campul \"Suma "
            "platita\".",
            "Atentie anul ales pentru inregistrarea platii 2015 difera de anul de lucru 2014 ! Introduceti o data "
            "valida.",
            "Atentie anul ales pentru inregistrarea platii 2015 difera de anul de lucru 2014 ! Introduceti o data "
            "valida."}));
}

TEST_F(Payments, BankPaymentLowersTheBankBalanceOnlyAndMayExceedTheCash) {
    add("Contor.DB", {"Sold_init_casa", "Sold_init_banca"}, {{10.0, 300.0}});
    auto* w = open<TCheltuieliFrm>();
    docs(w)["Cod_cheltuiala"].setAsInteger(18);
    docs(w)["Cont"].setAsString("Banca");
    docs(w)["Valoarea"].setAsFloat(120);
    ctl<QPushButton>(w, "AplyBtn")->click();
    EXPECT_EQ(ctl<QLabel>(w, "SoldCasaLbl")->text(), QStringLiteral("10.00"));
    EXPECT_EQ(ctl<QLabel>(w, "SoldBancaLbl")->text(), QStringLiteral("180.00"));
    ctl<TDBNavigator>(w, "DocInNavigator")->BtnClick(NavBtn::Insert);
    EXPECT_EQ(docs(w)["Nr_act"].asFloat(), 2.0);
    docs(w)["Cod_cheltuiala"].setAsInteger(18);
    docs(w)["Valoarea"].setAsFloat(25);
    ctl<TDBNavigator>(w, "DocInNavigator")->BtnClick(NavBtn::Post);
    EXPECT_EQ(ctl<QLabel>(w, "SoldCasaLbl")->text(), QStringLiteral("-15.00"));
    EXPECT_EQ(messages(), QStringList{negativeCash("12.05.2014", "-15.00")});
    answerYes = false;
    ctl<TDBNavigator>(w, "DocInNavigator")->BtnClick(NavBtn::Delete);
    EXPECT_EQ(messages().last(), QStringLiteral("Sigur doriti anularea acestei plati ?"));
}

TEST_F(Payments, WhatLeavesTheCashNegativeOnSomeDayIsAskedNamingTheFirstSuchDay) {
    add("Contor.DB", {"Sold_init_casa"}, {{10.0}});  // 10.00, on 08.05 60.00, on 09.05 20.00
    addDocs("Venituri.DB", {{1.0, data::Date{2014, 5, 8}, 2, 50.0, "Casa"}});
    addDocs("Cheltuieli.DB", {{1.0, data::Date{2014, 5, 9}, 18, 40.0, "Casa"}});
    auto* w = open<TCheltuieliFrm>();
    enter(w, "DBEditNormal4", QStringLiteral("18"));
    enter(w, "DBEditNormal2", QStringLiteral("25"));
    answerYes = false;
    ctl<QPushButton>(w, "AplyBtn")->click();
    EXPECT_EQ(messages(), QStringList{negativeCash("12.05.2014", "-5.00")});
    EXPECT_EQ(ui::Messages::history().back().defaultButton, ui::No);
    answerYes = true;
    enter(w, "DBDateEdit1", QStringLiteral("07052014"));
    ctl<QPushButton>(w, "AplyBtn")->click();
    EXPECT_EQ(messages().last(), negativeCash("07.05.2014", "-15.00"));
    EXPECT_EQ(count("Cheltuieli.DB"), 2);  // kept in entry after No
    // deleting the receipt of 08.05 leaves that day negative too; the bank account is not the cash box
    auto* r = open<TVenituriFrm>();
    ctl<TDBNavigator>(r, "DocInNavigator")->BtnClick(NavBtn::First);
    recorder.answer = [](ui::MessageRecord& m) { return int(m.text.startsWith("Atentie!") ? ui::No : ui::Yes); };
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(messages().last(), negativeCash("08.05.2014", "-15.00", "Stergeti totusi documentul?"));
    focus(ctl<QWidget>(r, "DBComboNormal1"));
    type(QStringLiteral("B"));  // "Banca"
    ctl<QPushButton>(r, "AplyBtn")->click();
    EXPECT_EQ(messages().last(), negativeCash("08.05.2014", "-15.00"));
    EXPECT_EQ(count("Venituri.DB"), 1);
}

TEST_F(Payments, PageUpFromTheNewPaymentShowsTheLastOne) {
    std::vector<std::vector<data::Value>> rows;
    for (int i = 1; i <= 15; ++i) rows.push_back({double(i), data::Date{2014, 5, 2}, 18, 1.0, "Banca"});
    addDocs("Cheltuieli.DB", rows);
    auto* w = open<TCheltuieliFrm>();
    for (double shown : {15.0, 14.0}) {
        key(Qt::Key_PageUp);
        EXPECT_EQ(docs(w)["Nr_act"].asFloat(), shown);  // the new one is 16
    }
}

using Transfers = EntryFixture;

TEST_F(Transfers, DepositProposesTheCashInHandAndEmptiesIt) {
    add("Contor.DB", {"Sold_init_casa", "Sold_init_banca"}, {{350.40, 0.0}});
    auto* w = open<TDepuneriFrm>();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Depuneri in banca"));
    EXPECT_EQ(groupCaptions(w), QStringList{"Inregistrare depunere in contul de banca"});
    EXPECT_EQ(w->findChild<QLabel*>("SoldBancaLbl"), nullptr);
    EXPECT_EQ(ctl<QLabel>(w, "SoldCasaLbl")->text(), QStringLiteral("350.40"));
    EXPECT_EQ(docs(w)["Nr_doc"].asFloat(), 1.0);
    EXPECT_DOUBLE_EQ(docs(w)["Suma"].asFloat(), 350.40);
    EXPECT_EQ(docs(w)["Data"].asDate(), (data::Date{2014, 5, 12}));
    EXPECT_TRUE(docs(w)["Fel"].isNull());
    EXPECT_EQ(w->findChild<QLabel*>("DBEditNormal2Lbl")->text(), QStringLiteral("Suma depusa :"));
    focus(ctl<TDocEdit>(w, "DBEditNormal2"));
    key(Qt::Key_Return);
    key(Qt::Key_Return);
    EXPECT_EQ(focusName(), QStringLiteral("PrintBtn"));
    EXPECT_EQ(ctl<QLabel>(w, "SoldCasaLbl")->text(), QStringLiteral("0.00"));
    EXPECT_EQ(count("Depuneri.db"), 1);
    key(Qt::Key_Return);  // "&Printeaza" does nothing
    EXPECT_EQ(docs(w).state(), data::DataSetState::Browse);

    auto* r = open<TRidicariFrm>();
    EXPECT_EQ(ctl<QLabel>(r, "SoldBancaLbl")->text(), QStringLiteral("350.40"));
    EXPECT_EQ(r->findChild<QLabel*>("SoldCasaLbl"), nullptr);
}

TEST_F(Transfers, WithdrawalOfANegativeBankBalanceIsAccepted) {
    add("Contor.DB", {"Sold_init_casa", "Sold_init_banca"}, {{0.0, -12.0}});
    auto* w = open<TRidicariFrm>();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Ridicari din cont"));
    EXPECT_EQ(ctl<QLabel>(w, "SoldBancaLbl")->text(), QStringLiteral("-12.00"));
    EXPECT_DOUBLE_EQ(docs(w)["Suma"].asFloat(), -12.0);
    ctl<QPushButton>(w, "AplyBtn")->click();
    EXPECT_EQ(messages(), QStringList{negativeCash("12.05.2014", "-12.00")});  // the cash box loses 12.00
    EXPECT_EQ(count("Ridicari.db"), 1);
    EXPECT_EQ(ctl<QLabel>(w, "SoldBancaLbl")->text(), QStringLiteral("0.00"));
}

TEST_F(Transfers, OtherYearRefusedOnlyAtSaveAndEmptyAmountIsIncomplete) {
    auto* w = open<TDepuneriFrm>();
    focus(ctl<ui::TDBDateEdit>(w, "DBDateEdit1"));
    ctl<ui::TDBDateEdit>(w, "DBDateEdit1")->selectAll();
    type(QStringLiteral("01012013"));
    key(Qt::Key_Return);
    EXPECT_TRUE(messages().isEmpty());  // no warning while typing
    ctl<QPushButton>(w, "AplyBtn")->click();
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Atentie anul ales pentru inregistrarea depunerii 2013 difera de "
                                                     "anul de lucru 2014 ! Introduceti o data valida.")});
    docs(w)["Data"].setAsDate(data::Date{2014, 2, 1});
    docs(w)["Suma"].clear();
    ctl<QPushButton>(w, "AplyBtn")->click();
    EXPECT_EQ(messages().last().section('\n', 0, 0),
              QStringLiteral("Completati toate datele referitoare la depunerea pe care doriti sa o efectuati!"));
    EXPECT_EQ(count("Depuneri.db"), 0);

    auto* r = open<TRidicariFrm>();
    docs(r)["Suma"].clear();
    ctl<QPushButton>(r, "AplyBtn")->click();
    EXPECT_EQ(messages().last().section('\n', 0, 0),
              QStringLiteral("Completati toate datele referitoare la ridicarea pe care doriti sa o efectuati!"));
}

TEST_F(Transfers, DepositProposesTheCashHeldAtItsDateAndFollowsTheDateWhileUntouched) {
    add("Contor.DB", {"Sold_init_casa"}, {{100.0}});
    addDocs("Venituri.DB",
            {{1.0, data::Date{2014, 5, 5}, 2, 50.0, "Casa"}, {2.0, data::Date{2014, 5, 20}, 2, 30.0, "Casa"}});
    auto* w = open<TDepuneriFrm>();
    const struct {
        const char *date, *amount;
        double proposed;
    } steps[] = {{nullptr, nullptr, 150}, {"01052014", nullptr, 100}, {nullptr, "40", 40}, {"25052014", nullptr, 40}};
    for (const auto& step : steps) {
        if (step.date) enter(w, "DBDateEdit1", QString::fromUtf8(step.date));
        if (step.amount) enter(w, "DBEditNormal2", QString::fromUtf8(step.amount));
        EXPECT_DOUBLE_EQ(docs(w)["Suma"].asFloat(), step.proposed) << (step.date ? step.date : step.amount);
    }
}

TEST_F(Transfers, TypedNumberIsKeptAsTypedAndAskedAboutWhenAlreadyUsed) {
    add("Depuneri.db", {"Nr_doc", "Data", "Suma"}, {{7.0, data::Date{2014, 5, 2}, 0.0}});
    auto* w = open<TDepuneriFrm>();
    auto save = [&](const char* number) {
        enter(w, "DBEditNormal1", QString::fromUtf8(number));
        focus(ctl<QPushButton>(w, "AplyBtn"));
        key(Qt::Key_Return);
    };
    answerYes = false;
    save("7");
    ASSERT_EQ(messages(), QStringList{QStringLiteral("Atentie! Numarul 7 este dat deja unui document salvat.\n"
                                                     "Salvati totusi documentul cu acest numar?")});
    EXPECT_EQ(ui::Messages::history().back().defaultButton, ui::No);
    answerYes = true;
    save("7");
    ctl<TDBNavigator>(w, "DocInNavigator")->BtnClick(NavBtn::Insert);
    add("Depuneri.db", {"Nr_doc", "Suma"}, {{30.0, 0.0}});  // another user saves meanwhile
    save("20");
    EXPECT_EQ(messages().size(), 2);  // 20 is free, and stays 20
    auto stored = data::SqlSession::forDirectory(db.path()).select(
        "SELECT group_concat(Nr_doc) FROM (SELECT Nr_doc FROM Depuneri ORDER BY rowid)");
    EXPECT_EQ(stored.rows.at(0).at(0).toString(), "7.0,7.0,30.0,20.0");
}
