// The main menu, its commands, the shortcuts from other windows and the two
// ways of opening windows.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <stdexcept>

#include "AppFixture.h"
#include "app/MainFrm.h"
#include "app/QtTexts.h"
#include "app/Shortcuts.h"
#include "shell/WindowSlots.h"
#include "data/Errors.h"
#include "data/Schema.h"
#include "data/Table.h"
#include "reports/PrintSettings.h"

using app::Command;
using app::TMainFrm;

namespace {

// "Caption[shortcut](hidden)(disabled)" for each item, "-" for separators,
// "Caption>{...}" for submenus.
std::string describe(QMenu* m) {
    std::string items;
    for (QAction* a : m->actions()) {
        std::string s = a->isSeparator() ? "-" : QString(a->text()).remove('&').toStdString();
        if (!a->shortcut().isEmpty()) s += "[" + a->shortcut().toString(QKeySequence::PortableText).toStdString() + "]";
        if (!a->isVisible()) s += "(hidden)";
        if (!app::itemEnabled(a)) s += "(disabled)";
        if (a->menu()) s += ">{" + describe(a->menu()) + "}";
        items += (items.empty() ? "" : " | ") + s;
    }
    return items;
}

const QRegularExpression kEnglish(
    "\\b(Delete record|Cancel|Job Options|is not a valid date|must have a value|January|February|March|April|May|"
    "June|July|August|September|October|November|December|Jan|Feb|Apr|Jun|Jul|Aug|Oct|Dec|Mon|Tue|Wed|Thu|Fri|"
    "Sat|Sun|Yes|No|Open|Save|Close|Apply|bytes)\\b");

// No English text and no accelerator letter twice among the controls of `w`
// (of all its tab pages); where Alt reaches the letters, Alt+I is "Iesire".
void inspect(QWidget* w, QStringList& faults, bool alt) {
    const QString where = w->metaObject()->className() + QStringLiteral(": ");
    std::map<QChar, QStringList> owners;
    auto shown = [&](const QString& text, bool keys) {
        if (kEnglish.match(text).hasMatch()) faults << where + text;
        if (const int i = keys ? text.indexOf('&') : -1; i >= 0 && i + 1 < text.size())
            owners[text[i + 1].toLower()] << text;
    };
    shown(w->windowTitle(), false);
    shown(alt ? "&Iesire" : "", true);
    for (QAction* a : w->actions()) shown(a->isVisible() ? a->text() : "", true);  // menus
    for (QWidget* c : w->findChildren<QWidget*>()) {
        shown(c->property(c->inherits("QGroupBox") ? "title" : "text").toString(), !c->inherits("QLineEdit"));
        shown(c->toolTip(), false);
        for (int i = 0; qobject_cast<QTabWidget*>(c) && i < qobject_cast<QTabWidget*>(c)->count(); ++i)
            shown(qobject_cast<QTabWidget*>(c)->tabText(i), true);
        if (auto* v = qobject_cast<QAbstractItemView*>(c); v && v->model())
            for (int col = 0; col < v->model()->columnCount(); ++col)  // the calendar's day names too
                shown(v->model()->headerData(col, Qt::Horizontal).toString() + '\n' +
                          v->model()->index(0, col).data().toString(),
                      false);
    }
    for (const auto& [letter, who] : owners)
        if (who.size() > 1) faults << where + who.join(", ");
}

// A modeless window with an edit field, like a document window.
class DocWindow : public QWidget {
public:
    explicit DocWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
        auto* l = new QVBoxLayout(this);
        edit = new QLineEdit(this);
        l->addWidget(edit);
        ++created;
    }
    ~DocWindow() override { ++destroyed; }
    QLineEdit* edit;
    static inline int created = 0, destroyed = 0;
};
class OtherWindow : public QWidget {
public:
    explicit OtherWindow(QWidget* owner) : QWidget(owner) {}
};

void focusEdit(QWidget* window, QLineEdit* edit) {
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    edit->setFocus();
    QApplication::processEvents();
}

}  // namespace

class MenuTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        install();
    }
    // Makes every command record itself.
    void recordCommands(TMainFrm& frm) {
        for (int c = 0; c <= static_cast<int>(Command::ActualizareOnline); ++c)
            frm.commands().set(static_cast<Command>(c),
                               [this, c](TMainFrm&) { ran.push_back(static_cast<Command>(c)); });
    }
    std::vector<Command> ran;
};

TEST_F(MenuTest, MenuHasItsCaptionsOrderSeparatorsAndStates) {
    TMainFrm frm;
    QStringList titles;
    for (QAction* a : frm.menuBar()->actions()) titles << QString(a->text()).remove('&');
    EXPECT_EQ(titles, QStringList({"Sistem", "Setari", "Actualizari", "Listari", "Ajutor"}));
    auto menu = [&](int i) { return frm.menuBar()->actions()[i]->menu(); };
    EXPECT_EQ(describe(menu(0)),
              "Enoriasi[Ctrl+E](hidden) | Datele unitatii[Ctrl+U] | Corectie arhiva(hidden) | Verificare jurnal | "
              "Export buget pentru protopopiat | Restaurare din copie de siguranta | Despre | - | Iesire[Alt+I]");
    EXPECT_EQ(describe(menu(1)),
              "Parametri aplicatiei | -(hidden) | Tipuri de venit | Tipuri de cheltuiala | Configurare bilant | "
              "Trecerea la an nou");
    EXPECT_EQ(describe(menu(2)),
              "Venituri[Ctrl+V] | Cheltuieli[Ctrl+C] | Depuneri[Ctrl+D] | Ridicari[Ctrl+R] | Documente[Ctrl+F] | - | "
              "Fisa enoriasului(hidden) | Stocuri | - | Registru pangar(hidden)>{Intrari | Iesiri} | -(hidden) | "
              "Bilant[Ctrl+B] | Bilant centralizat");
    EXPECT_EQ(describe(menu(3)),
              "Registre>{Incasari si plati | Casa | Banca | - | Partizi venituri | Partizi cheltuieli} | "
              "Lista stocurilor | - | Bilant | Bilant centralizat | Jurnalul modificarilor | - | Export documente");
    EXPECT_EQ(describe(menu(4)), "Actualizare online | Manual de utilizare[F1]");
}

TEST_F(MenuTest, ItemsAndButtonsRunTheirCommands) {
    TMainFrm frm;
    recordCommands(frm);
    const std::vector<std::pair<const char*, Command>> items = {
        {"Enoriasi1", Command::Enoriasi},
        {"Dateleunitatii1", Command::DateleUnitatii},
        {"Despre1", Command::Despre},
        {"Parametriaplicatiei1", Command::ParametriAplicatiei},
        {"Tipuridevenit1", Command::TipuriVenit},
        {"Tipuridecheltuiala1", Command::TipuriCheltuiala},
        {"Configurarebilant1", Command::ConfigurareBilant},
        {"Venituri1", Command::Venituri},
        {"Cheltuieli1", Command::Cheltuieli},
        {"Depuneri1", Command::Depuneri},
        {"Ridicari1", Command::Ridicari},
        {"Documente1", Command::Documente},
        {"Fisaenoriasului1", Command::FisaEnoriasului},
        {"Stocuri1", Command::Stocuri},
        {"Intrari1", Command::PangarIntrari},
        {"Iesiri1", Command::PangarIesiri},
        {"Bilant1", Command::Bilant},
        {"Bilantcentralizat1", Command::BilantCentralizat},
        {"Incasarisiplati1", Command::RegistruIncasariPlati},
        {"Casa1", Command::RegistruCasa},
        {"Banca1", Command::RegistruBanca},
        {"Partizivenituri1", Command::PartiziVenituri},
        {"Partizicheltuieli1", Command::PartiziCheltuieli},
        {"Listastocurilor1", Command::ListaStocurilor},
        {"Bilant2", Command::Bilant},
        {"Bilantcentralizat2", Command::BilantCentralizat},
        {"Actualizareonline1", Command::ActualizareOnline},
    };
    for (const auto& [name, cmd] : items) {
        SCOPED_TRACE(name);
        auto* a = frm.findChild<QAction*>(name);
        ASSERT_NE(a, nullptr);
        ran.clear();
        a->trigger();
        ASSERT_EQ(ran.size(), 1u);
        EXPECT_EQ(ran[0], cmd);
    }
    ran.clear();
    frm.show();
    QTest::mouseClick(frm.SpeedDocIn, Qt::LeftButton);
    QTest::mouseClick(frm.SpeedButton1, Qt::LeftButton);
    QTest::mouseClick(frm.SpeedButton2, Qt::LeftButton);
    QTest::mouseClick(frm.SpeedDocOut, Qt::LeftButton);
    EXPECT_EQ(ran,
              (std::vector<Command>{Command::Venituri, Command::Depuneri, Command::Ridicari, Command::Cheltuieli}));
}

TEST_F(MenuTest, CommandsWithoutHandlersDoNothingAndIesireEndsTheProgram) {
    TMainFrm frm;
    frm.show();
    QSignalSpy closed(&frm, &TMainFrm::closed);
    for (int c = 0; c <= static_cast<int>(Command::ActualizareOnline); ++c)
        if (static_cast<Command>(c) != Command::Iesire) frm.commands().set(static_cast<Command>(c), {});
    for (int c = 0; c <= static_cast<int>(Command::ActualizareOnline); ++c)
        if (static_cast<Command>(c) != Command::Iesire) frm.runCommand(static_cast<Command>(c));
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_TRUE(frm.isVisible());
    EXPECT_EQ(closed.count(), 0);
    frm.findChild<QAction*>("Iesire1")->trigger();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(frm.isVisible());
}

TEST_F(MenuTest, AnErrorInACommandIsReportedAndTheProgramGoesOn) {
    TMainFrm frm;
    frm.commands().set(Command::Stocuri, [](TMainFrm&) { throw std::runtime_error("Disc plin"); });
    frm.commands().set(Command::Bilant, [](TMainFrm&) { data::abortSilently(); });
    frm.findChild<QAction*>("Stocuri1")->trigger();
    ASSERT_EQ(messages(), QStringList{"Disc plin"});
    EXPECT_EQ(ui::Messages::history()[0].type, ui::MsgType::Error);
    frm.findChild<QAction*>("Bilant1")->trigger();  // a silent abort shows nothing
    EXPECT_EQ(messages().size(), 1);
}

TEST_F(MenuTest, ShortcutsFromAnotherWindowWinOverTheFocusedEdit) {
    TMainFrm frm;
    frm.show();
    recordCommands(frm);
    auto* doc = shell::OpenSingleWindow<DocWindow>(&frm);
    doc->edit->setText("text de copiat");
    doc->edit->selectAll();
    focusEdit(doc, doc->edit);
    QApplication::clipboard()->setText("inainte");

    QTest::keyClick(doc->edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(ran, std::vector<Command>{Command::Cheltuieli});
    EXPECT_EQ(QApplication::clipboard()->text(), "inainte");  // nothing copied
    QTest::keyClick(doc->edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(doc->edit->text(), "text de copiat");  // nothing pasted
    QTest::keyClick(doc->edit, Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(doc->edit, Qt::Key_U, Qt::ControlModifier);
    QTest::keyClick(doc->edit, Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(doc->edit, Qt::Key_B, Qt::ControlModifier);
    // The hidden item still answers its key.
    QTest::keyClick(doc->edit, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(ran,
              (std::vector<Command>{Command::Cheltuieli, Command::Venituri, Command::Ridicari, Command::DateleUnitatii,
                                    Command::Depuneri, Command::Bilant, Command::Enoriasi}));
    // Keys that are not shortcuts still reach the edit.
    doc->edit->clear();
    QTest::keyClicks(doc->edit, "abc");
    QTest::keyClick(doc->edit, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(doc->edit->text(), "abc");
    EXPECT_EQ(ran.size(), 7u);
}

TEST_F(MenuTest, ShortcutsWorkInTheMainWindowAndIesireByAltI) {
    TMainFrm frm;
    recordCommands(frm);
    frm.commands().set(Command::Iesire, [](TMainFrm& m) { m.close(); });
    auto* target = new QLineEdit(frm.centralWidget());
    focusEdit(&frm, target);
    QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(target, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(ran, (std::vector<Command>{Command::Venituri, Command::Enoriasi}));
    QSignalSpy closed(&frm, &TMainFrm::closed);
    QTest::keyClick(target, Qt::Key_I, Qt::AltModifier);
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(MenuTest, DisabledItemsDoNotAnswerTheirKeys) {
    TMainFrm frm;
    recordCommands(frm);
    QAction* anNou = frm.menuAction(Command::TrecereaAnNou);
    ASSERT_NE(anNou, nullptr);
    anNou->setVisible(false);
    app::setItemDisabled(anNou, true);
    ASSERT_FALSE(app::itemEnabled(anNou));
    anNou->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    auto* doc = shell::OpenSingleWindow<DocWindow>(&frm);
    focusEdit(doc, doc->edit);
    QTest::keyClick(doc->edit, Qt::Key_T, Qt::ControlModifier);
    EXPECT_TRUE(ran.empty());
    // Disabling a visible item silences its key as well.
    frm.menuAction(Command::Cheltuieli)->setEnabled(false);
    QTest::keyClick(doc->edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(ran.empty());
}

TEST_F(MenuTest, ShortcutsDoNothingWhileAModalDialogIsOpen) {
    TMainFrm frm;
    frm.show();
    recordCommands(frm);
    QDialog dlg(&frm);
    auto* edit = new QLineEdit(&dlg);
    edit->setText("din dialog");
    QApplication::clipboard()->setText("inainte");
    bool ran_in_dialog = false;
    QTimer::singleShot(0, &dlg, [&] {
        ran_in_dialog = QApplication::activeModalWidget() == &dlg;
        edit->selectAll();
        focusEdit(&dlg, edit);
        QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_E, Qt::ControlModifier);
        dlg.accept();
    });
    dlg.exec();
    EXPECT_TRUE(ran_in_dialog);
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(QApplication::clipboard()->text(), "din dialog");  // the dialog's edit copied
}

TEST_F(MenuTest, SingleWindowOpensOnceAndComesBackToTheFront) {
    TMainFrm frm;
    frm.show();
    frm.commands().set(Command::Venituri, [](TMainFrm& m) { shell::OpenSingleWindow<DocWindow>(&m); });
    const int before = DocWindow::created;
    frm.findChild<QAction*>("Venituri1")->trigger();
    QTest::mouseClick(frm.SpeedDocIn, Qt::LeftButton);
    EXPECT_EQ(DocWindow::created, before + 1);
    DocWindow* w = shell::openWindow<DocWindow>();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isWindow());
    EXPECT_EQ(w->parentWidget(), &frm);  // owned by the main window
    EXPECT_TRUE(w->isVisible());

    w->showMinimized();
    QApplication::processEvents();
    frm.runCommand(Command::Venituri);
    EXPECT_EQ(DocWindow::created, before + 1);
    EXPECT_FALSE(w->isMinimized());

    // Closing frees the window and empties the slot; the next opening makes a new one.
    const int destroyedBefore = DocWindow::destroyed;
    w->close();
    EXPECT_EQ(shell::openWindow<DocWindow>(), nullptr);
    frm.runCommand(Command::Venituri);
    EXPECT_EQ(DocWindow::created, before + 2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(DocWindow::destroyed, destroyedBefore + 1);
    EXPECT_NE(shell::openWindow<DocWindow>(), nullptr);

    // A window made without the window flag still becomes a top-level window.
    auto* o = shell::OpenSingleWindow<OtherWindow>(&frm);
    EXPECT_TRUE(o->isWindow());
    EXPECT_EQ(o->parentWidget(), &frm);
}

TEST_F(MenuTest, ClosingTheMainWindowDiscardsOpenWindows) {
    const int destroyedBefore = DocWindow::destroyed;
    {
        TMainFrm frm;
        frm.show();
        auto* doc = shell::OpenSingleWindow<DocWindow>(&frm);
        doc->edit->setText("nesalvat");
        frm.close();
    }
    EXPECT_EQ(DocWindow::destroyed, destroyedBefore + 1);
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(shell::openWindow<DocWindow>(), nullptr);
}

// ---- RunModalDialog

namespace {

class ContorDlg : public QDialog {
public:
    ContorDlg(QWidget* owner, std::string dir, std::string table) : QDialog(owner) {
        TContor.setDatabaseName(dir);
        TContor.setTableName(table);
        ++alive;
    }
    ~ContorDlg() override { --alive; }
    std::vector<data::DataSet*> tables() { return {&TContor}; }
    data::Table TContor;
    static inline int alive = 0;
};

}  // namespace

TEST_F(MenuTest, ModalDialogPostsPendingEditsOnOk) {
    TMainFrm frm;
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* d = dynamic_cast<ContorDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        shown = true;
        EXPECT_TRUE(d->TContor.active());
        d->TContor.append();
        d->TContor["Sold_init_casa"].setAsFloat(1234.5);
        d->accept();
    });
    EXPECT_TRUE(shell::RunModalDialog<ContorDlg>(&frm, "Eroare de acces la baza de date!", db.path(), "Contor.DB"));
    EXPECT_TRUE(shown);
    EXPECT_EQ(ContorDlg::alive, 0);  // freed
    data::Table t;
    t.setDatabaseName(db.path());
    t.setTableName("Contor.DB");
    t.open();
    ASSERT_EQ(t.recordCount(), 1);
    EXPECT_DOUBLE_EQ(t["Sold_init_casa"].asFloat(), 1234.5);
}

TEST_F(MenuTest, ModalDialogCancelledKeepsNothing) {
    TMainFrm frm;
    QTimer::singleShot(0, [&] {
        auto* d = dynamic_cast<ContorDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        d->TContor.append();
        d->TContor["Sold_init_casa"].setAsFloat(99);
        d->reject();
    });
    EXPECT_FALSE(shell::RunModalDialog<ContorDlg>(&frm, "Eroare de acces la baza de date!", db.path(), "Contor.DB"));
    EXPECT_EQ(ContorDlg::alive, 0);
    data::Table t;
    t.setDatabaseName(db.path());
    t.setTableName("Contor.DB");
    t.open();
    EXPECT_EQ(t.recordCount(), 0);
}

TEST_F(MenuTest, ModalDialogOverAMissingTableShowsTheAccessError) {
    TMainFrm frm;
    bool shown = false;
    QTimer::singleShot(0, [&] {
        if (auto* d = QApplication::activeModalWidget()) {
            shown = true;
            static_cast<QDialog*>(d)->reject();
        }
    });
    EXPECT_FALSE(shell::RunModalDialog<ContorDlg>(&frm, "Eroare de acces la baza de date!", db.path(), "Lipsa.DB"));
    QApplication::processEvents();
    EXPECT_FALSE(shown);
    EXPECT_EQ(ContorDlg::alive, 0);
    ASSERT_EQ(messages().size(), 1);
    EXPECT_EQ(ui::Messages::history()[0].type, ui::MsgType::Error);
    const QString text = messages()[0];
    EXPECT_TRUE(text.startsWith("Eroare de acces la baza de date!\n")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("!"));
    EXPECT_TRUE(text.contains("Lipsa", Qt::CaseInsensitive)) << text.toStdString();  // the engine's message
}

// F10 opens the menus; every item opens its window, looked at and closed. A
// report goes on to its preview, "Afisare pe ecran" and the hidden entries kept.
TEST_F(MenuTest, EveryMenuAndWindowHasUniqueAcceleratorsAndNoEnglish) {
    app::installQtTexts();
    data::insertRows(db.file("Venituri.DB"), {"Nr_act", "Data", "Cod_venit", "Valoarea", "Cont"},
                     {{1.0, data::Date{2014, 5, 2}, 2, 100.0, "Casa"}});  // a register to preview
    auto frm = std::make_unique<TMainFrm>();
    frm->show();
    QTest::keyClick(frm.get(), Qt::Key_F10);
    EXPECT_EQ(QApplication::activePopupWidget(), frm->findChild<QMenu*>("Sistem1"));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QStringList faults, seen;
    auto look = [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w == frm.get() || !w->isVisible() || qobject_cast<QMenu*>(w) || w->property("seen").toBool()) continue;
            w->setProperty("seen", true);
            seen << w->metaObject()->className();
            inspect(w, faults, !w->isModal());
            for (const char* box : {"CBPrev", "RecordsCB"})
                if (auto* b = w->findChild<QAbstractButton*>(box)) b->setChecked(true);
            if (auto* b = w->findChild<QAbstractButton*>(seen.last() == "app::TParamAplicFrm" ? "BitBtn1" : "OKBtn"))
                return b->click();
            w->close();
        }
    };
    QTimer modal;
    QObject::connect(&modal, &QTimer::timeout, look);
    modal.start(20);
    std::function<void(QMenu*)> walk = [&](QMenu* menu) {
        inspect(menu, faults, false);
        for (QAction* a : menu->actions())
            if (a->menu() && a->isVisible())
                walk(a->menu());
            else if (a->isVisible() && !a->isSeparator() && a->objectName() != "Iesire1")
                a->trigger(), look();
    };
    inspect(frm->menuBar(), faults, true);
    for (QAction* top : frm->menuBar()->actions()) walk(top->menu());
    faults << messages().filter(kEnglish);
    EXPECT_TRUE(faults.isEmpty()) << faults.join("\n").toStdString();
    EXPECT_TRUE(seen.contains("reports::TQRPreview") && seen.contains("stock::TPangarInFrm"))
        << seen.join(",").toStdString();
    frm.reset();
    reports::ResetPrintSettings();  // the next run
    TMainFrm next;
    EXPECT_TRUE(reports::PrintSettings.Preview);
    EXPECT_TRUE(next.menuAction(Command::FisaEnoriasului)->isVisible());
}
