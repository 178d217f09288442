// The centralised-budget window over a new installation in a temporary
// directory: opened as the menu opens it or modeless to drive it between
// steps, its tree walked with the keyboard, units added, renamed and deleted
// through its buttons and input boxes, amounts typed in its grid.
#include <array>
#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

#include "budget/BilantCentralUnt.h"
#include "budget/BudgetFile.h"
#include "budget/BudgetFixture.h"
#include "budget/CalcBilant.h"
#include "budget/UnitTree.h"
#include "controls/DBGNorm.h"
#include "data/Table.h"
#include "support/GuiDriver.h"

using budget::TBilantCentralFrm;
using gui::control;
using namespace budget_test;
namespace fs = std::filesystem;

namespace {

const QString kAddHere =
    QStringLiteral("Pentru a putea adauga unitati trebuie sa va pozitionati pe PAROHII sau MANASTIRI");
const QString kDeleteWhat = QStringLiteral("Pentru stergere alegeti o parohie sau o manastire");
const QString kChangeWhat = QStringLiteral("Pentru modificare trebuie sa alegeti o unitate");
const QString kSureDelete =
    QStringLiteral("Sigur doriti stergerea acestei unitati, datele aferente acesteia se vor pierde ?");

class CentralWindow : public BudgetFixture {
protected:
    void SetUp() override {
        BudgetFixture::SetUp();
        gui::Recorder::clear();
    }
    void TearDown() override {
        window.reset();
        gui::settle();
    }

    // The window as the menu makes it, modeless so that the test drives it.
    TBilantCentralFrm* open() {
        window.reset();
        window = std::make_unique<TBilantCentralFrm>(nullptr);
        window->openTables();
        gui::showActive(window.get());
        return window.get();
    }

    QTreeWidget* tree() { return control<QTreeWidget>(window.get(), "TV"); }
    ui::TDBGridNormal* grid() { return control<ui::TDBGridNormal>(window.get(), "DBGrid"); }
    data::Table& shown() { return static_cast<data::Table&>(*grid()->dataSource()->dataSet()); }
    QPushButton* button(const char* name) { return control<QPushButton>(window.get(), name); }

    // The node texts, depth-first, each indented by a tab per level.
    QStringList nodes() {
        QStringList out;
        std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* n, int depth) {
            out << QString(depth, '\t') + n->text(0);
            for (int i = 0; i < n->childCount(); ++i) walk(n->child(i), depth + 1);
        };
        for (int i = 0; i < tree()->topLevelItemCount(); ++i) walk(tree()->topLevelItem(i), 0);
        return out;
    }

    // Walks the tree with the arrow keys to the node `text` below `parent` ("" for any).
    void select(const QString& text, const QString& parent = {}) {
        gui::focus(tree());
        gui::key(Qt::Key_Home);
        for (int i = 0; i < 1000; ++i) {
            QTreeWidgetItem* cur = tree()->currentItem();
            if (cur && cur->text(0) == text &&
                (parent.isEmpty() || (cur->parent() && cur->parent()->text(0) == parent)))
                return;
            gui::key(Qt::Key_Down);
        }
        ADD_FAILURE() << "no node " << text.toStdString();
    }

    // Answers the next input box with `text` (or cancels it).
    void answerInput(const QString& text, bool ok = true) {
        rec.answer = [text, ok](ui::MessageRecord& r) {
            if (!r.isInput) return int(r.buttons & ui::Yes ? ui::Yes : ui::Ok);
            r.input = text;
            return int(ok ? ui::Ok : ui::Cancel);
        };
    }
    void add(const QString& group, const QString& name) {
        select(group);
        answerInput(name);
        button("AddBtn")->click();
        gui::settle();
    }

    // A computing button: its progress window comes and goes; the window gets
    // the keyboard back (the offscreen platform does not give it back itself).
    void compute(const char* name) {
        button(name)->click();
        gui::settle();
        gui::showActive(window.get());
    }

    std::string treeFile() { return readFile(db.file("arbore.txt")); }
    double amount(const std::string& dir, int nr, const char* column, const char* file = "Bilant.DB") {
        data::Table t;
        t.setDatabaseName(dir);
        t.setTableName(file);
        t.open();
        for (t.first(); !t.eof(); t.next())
            if (t["Nr_rand"].asInteger() == nr) return t[column].asFloat();
        ADD_FAILURE() << "no line " << nr;
        return -1;
    }

    gui::Recorder rec;
    std::unique_ptr<TBilantCentralFrm> window;
};

}  // namespace

TEST_F(CentralWindow, TheMenuCommandOpensTheModalWindowOnTheCentralisedBudget) {
    sql("UPDATE \"BilantCentral.DB\" SET Prevederi = 1234.5 WHERE Nr_rand = 2");
    bool shown = false;
    gui::onModal<TBilantCentralFrm>([&](TBilantCentralFrm* w) {
        shown = true;
        EXPECT_EQ(w->windowTitle(), QStringLiteral("Centralizatorul bugetelor unitatilor de cult"));
        EXPECT_TRUE(w->isModal());
        EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
        EXPECT_TRUE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
        auto* year = control<QLineEdit>(w, "An_lucruEdit");
        EXPECT_EQ(year->text(), QStringLiteral("2014"));
        // the working year shows whole between its frame and the edit's margins
        const int room =
            year->width() - 2 * year->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, year) - 4;
        EXPECT_GE(room, year->fontMetrics().horizontalAdvance(year->text())) << "width " << year->width();
        auto* g = control<ui::TDBGridNormal>(w, "DBGrid");
        QStringList titles;
        for (int c = 0; c < g->columnCount(); ++c) titles << g->columnTitle(c);
        EXPECT_EQ(titles, (QStringList{"Denumire", "Nr rand", "Prevederi", "Executie"}));
        EXPECT_EQ(g->dataSource()->dataSet()->name(), "BilantCentral.DB");
        const int offset = g->model()->columnCount() - g->columnCount();
        EXPECT_EQ(g->model()->data(g->model()->index(2, 2 + offset)).toString(), QStringLiteral("1,234.50"));
        auto* c = control<QPushButton>(w, "CentralizBtn");
        EXPECT_TRUE(c->isEnabled());
        EXPECT_EQ(c->text(), QStringLiteral("C&entralizare"));
        EXPECT_EQ(c->toolTip(), QStringLiteral("Centralizare bilant subunitati"));
        EXPECT_EQ(control<QPushButton>(w, "BitBtn7")->text(), QStringLiteral("&Calculare"));
        EXPECT_EQ(control<QPushButton>(w, "BitBtn7")->toolTip(), QStringLiteral("Recalculare executie "));
        EXPECT_EQ(control<QPushButton>(w, "BitBtn6")->toolTip(), QStringLiteral("Sunt de acord"));
        EXPECT_TRUE(control<QPushButton>(w, "PrintBtn")->isEnabled());
        // a unit's budget is taken over on a group or unit node, not on the root
        EXPECT_EQ(control<QPushButton>(w, "DischetaBtn")->text(), QStringLiteral("Preluare buget unitate"));
        EXPECT_FALSE(control<QPushButton>(w, "DischetaBtn")->isEnabled());
        control<QPushButton>(w, "BitBtn6")->click();
    });
    budget::OpenBilantCentral(nullptr);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(gui::Recorder::messages().isEmpty()) << gui::Recorder::messages().join("|").toStdString();

    // without the centralised table the window does not open
    std::filesystem::remove(db.file("BilantCentral.DB"));
    shown = false;
    budget::OpenBilantCentral(nullptr);
    EXPECT_EQ(gui::Recorder::lastMessage().section('\n', 0, 0),
              QStringLiteral("Eroare de acces la tabela bilantcentral!"));
    EXPECT_TRUE(gui::Recorder::lastMessage().endsWith('!'));
}

TEST_F(CentralWindow, TheTreeFileReplacesTheBuiltInTree) {
    std::filesystem::remove(db.file("arbore.txt"));
    open();
    EXPECT_EQ(gui::Recorder::lastMessage().left(22), QStringLiteral("Nu pot citi fisierul :"));
    EXPECT_EQ(nodes(), (QStringList{"PROTOPOPIAT", "\tOFICIU", "\tPAROHII", "\tMANASTIRI"}));
    // an empty file: the built-in tree, nothing to say
    std::ofstream(db.file("arbore.txt"), std::ios::binary).close();
    gui::Recorder::clear();
    open();
    EXPECT_TRUE(gui::Recorder::messages().isEmpty());
    EXPECT_EQ(nodes().size(), 4);

    // a malformed line: the error, and the nodes before it
    std::ofstream(db.file("arbore.txt"), std::ios::binary)
        << "PROTOPOPIATUL X\r\n\tOFICIU\r\n\tPAROHII\r\n\t\tSf. Ion\r\n\t\t\t\tgresit\r\n\tMANASTIRI\r\n";
    gui::Recorder::clear();
    open();
    EXPECT_EQ(gui::Recorder::lastMessage(),
              QStringLiteral("Fisierul arbore.txt nu este corect: linia 5 nu se potriveste in structura!"));
    EXPECT_EQ(nodes(), (QStringList{"PROTOPOPIATUL X", "\tOFICIU", "\tPAROHII", "\t\tSf. Ion"}));
}

TEST_F(CentralWindow, ANodeShowsItsBudgetInTheOrderOfTheTests) {
    fs::rename(db.file("PAROHII"), db.file("Parohii"));  // the same directory
    for (const char* unit : {"Sf. Ion", "OFICIU"}) {
        ASSERT_TRUE(budget::createUnitDirectory(db.path(), budget::kParohii, unit));
        budget::copyUnitTemplate(db.path(), budget::kParohii, unit);
    }
    ASSERT_TRUE(budget::createUnitDirectory(db.path(), budget::kManastiri, "Putna"));  // no budget in it
    budget::writeTreeFile(db.path(), {{0, "PROTOPOPIAT"},
                                      {1, "OFICIU"},
                                      {1, "PAROHII"},
                                      {2, "Sf. Ion"},
                                      {2, "OFICIU"},
                                      {1, "MANASTIRI"},
                                      {2, "Putna"}});
    open();
    struct Case {
        const char *node, *parent;
        std::string dir;
        bool centralize;
    };
    for (const Case& c :
         {Case{"OFICIU", "PROTOPOPIAT", db.path(), false}, Case{"PAROHII", "", db.file("Parohii"), true},
          Case{"Sf. Ion", "PAROHII", db.file("Parohii/Sf. Ion"), false},
          Case{"OFICIU", "PAROHII", db.path(), false},  // the text test comes first
          Case{"MANASTIRI", "", db.file("MANASTIRI"), true}, Case{"PROTOPOPIAT", "", db.path(), true}}) {
        select(c.node, c.parent);
        EXPECT_TRUE(shown().active()) << c.node;
        EXPECT_EQ(data::canonicalPath(shown().filePath()),
                  data::canonicalPath(c.dir + "/" +
                                      (c.node == std::string("PROTOPOPIAT") ? "BilantCentral.DB" : "Bilant.DB")))
            << c.node;
        EXPECT_EQ(button("CentralizBtn")->isEnabled(), c.centralize) << c.node;
        EXPECT_EQ(shown().recNo(), 1) << c.node;
    }
    EXPECT_TRUE(gui::Recorder::messages().isEmpty()) << gui::Recorder::messages().join("|").toStdString();

    // a unit directory without its budget: the engine's error, the grid on the closed table
    select("Putna");
    EXPECT_EQ(gui::Recorder::messages().size(), 1);
    EXPECT_FALSE(shown().active());
    EXPECT_EQ(grid()->dataSource()->dataSet(), &shown());
    EXPECT_FALSE(button("CentralizBtn")->isEnabled());
}

TEST_F(CentralWindow, AHandMadeTreeNeverReachesOutsideTheGroupDirectories) {
    TempDir outside;
    fs::copy_file(db.file("BilantParohGol.DB"), outside.file("Bilant.DB"));
    fs::create_directory_symlink(outside.path(), db.file("PAROHII/Legatura"));
    budget::writeTreeFile(db.path(), {{0, "PROTOPOPIAT"}, {1, "PAROHII"}, {2, ".."}, {2, "Legatura"}});
    sql("UPDATE \"Bilant.DB\" SET Prevederi = 3.0 WHERE Nr_rand = 14");
    open();
    for (auto [unit, said] :
         {std::pair{"..", QString::fromUtf8(budget::kInvalidUnitName)},
          {"Legatura", QStringLiteral("Directorul unitatii ") + QString::fromStdString(db.file("PAROHII/Legatura")) +
                           QStringLiteral(" nu este un director obisnuit!")}}) {
        select(unit);
        EXPECT_FALSE(shown().active()) << unit;
        EXPECT_EQ(gui::Recorder::lastMessage(), said) << unit;
        gui::Recorder::clear();
        compute("BitBtn7");  // computes nothing
        EXPECT_TRUE(gui::Recorder::messages().isEmpty()) << unit;
        rec.answerYes = true;
        button("DelBtn")->click();
        gui::Recorder::clear();
    }
    EXPECT_EQ(amount(db.path(), 14, "Prevederi"), 3.0);  // the office's budget, untouched
    EXPECT_TRUE(fs::exists(outside.file("Bilant.DB")));
    EXPECT_TRUE(fs::exists(db.file("PAROHII/Bilant.DB")));
    EXPECT_EQ(nodes().size(), 4);
}

TEST_F(CentralWindow, AddingAUnitMakesItsDirectoryAndBudgetAndSavesTheTree) {
    open();
    for (const char* wrong : {"PROTOPOPIAT", "OFICIU"}) {
        select(wrong);
        gui::Recorder::clear();
        button("AddBtn")->click();
        EXPECT_EQ(gui::Recorder::messages(), QStringList{kAddHere}) << wrong;
    }
    const std::string before = treeFile();

    add("PAROHII", "Sf. Nicolae");
    ASSERT_EQ(ui::Messages::history().back().text,
              QStringLiteral("Adaugare unitate\nDenumirea unitatii componente la PAROHII ?"));
    EXPECT_EQ(nodes(), (QStringList{"PROTOPOPIAT", "\tOFICIU", "\tPAROHII", "\t\tSf. Nicolae", "\tMANASTIRI"}));
    EXPECT_TRUE(fs::is_regular_file(db.file("PAROHII/Sf. Nicolae/Bilant.DB")));
    EXPECT_EQ(treeFile(), "PROTOPOPIAT\r\n\tOFICIU\r\n\tPAROHII\r\n\t\tSf. Nicolae\r\n\tMANASTIRI\r\n");
    add("MANASTIRI", "Putna");
    EXPECT_TRUE(fs::is_regular_file(db.file("MANASTIRI/Putna/Bilant.DB")));
    EXPECT_EQ(amount(db.file("MANASTIRI/Putna"), 14, "Prevederi"), 0.0);

    // an existing directory (whatever its case), an empty name, a cancel: nothing added or said, tree saved
    fs::create_directory(db.file("PAROHII/Sf. Ilie"));
    gui::Recorder::clear();
    add("PAROHII", "SF. ILIE");
    add("PAROHII", "sf. nicolae");
    add("PAROHII", "");
    select("PAROHII");
    answerInput("Anulat", false);
    button("AddBtn")->click();
    EXPECT_EQ(gui::Recorder::messages().size(), 4);  // the four input boxes alone
    EXPECT_EQ(nodes().size(), 6);
    EXPECT_FALSE(fs::exists(db.file("PAROHII/Anulat")));
    EXPECT_FALSE(fs::exists(db.file("PAROHII/SF. ILIE/Bilant.DB")));
    EXPECT_NE(treeFile(), before);
}

TEST_F(CentralWindow, NamesThatLeaveTheGroupDirectoryAreRefusedWithNothingCreated) {
    open();
    const auto files = entries(db.path());
    const std::string tree = treeFile();
    const fs::path outside = fs::path(db.path()).parent_path().parent_path();
    const auto beside = std::array{fs::exists(outside / "x"), fs::exists("/unitate")};
    // (a leading blank too: the tree file would read the name one level deeper)
    for (const char* bad : {"..", "a/b", "/unitate", "..\\x", "../../x", " . ", " Sf. Ilie"}) {
        gui::Recorder::clear();
        add("PAROHII", QString::fromUtf8(bad));
        EXPECT_EQ(gui::Recorder::lastMessage(), QString::fromUtf8(budget::kInvalidUnitName)) << bad;
    }
    EXPECT_EQ(nodes().size(), 4);
    EXPECT_EQ(entries(db.path()), files);
    EXPECT_EQ(beside, (std::array{fs::exists(outside / "x"), fs::exists("/unitate")}));
    EXPECT_EQ(treeFile(), tree);
}

TEST_F(CentralWindow, DeletingAUnitRemovesItsBudgetDirectoryAndNode) {
    open();
    add("PAROHII", "Sf. Ion");
    add("PAROHII", "Sf. Ilie");
    for (const char* wrong : {"PROTOPOPIAT", "OFICIU", "PAROHII", "MANASTIRI"}) {
        select(wrong);
        gui::Recorder::clear();
        button("DelBtn")->click();
        EXPECT_EQ(gui::Recorder::messages(), QStringList{kDeleteWhat}) << wrong;
    }

    select("Sf. Ion");
    EXPECT_TRUE(shown().active());
    rec.answer = nullptr;
    rec.answerYes = false;
    gui::Recorder::clear();
    button("DelBtn")->click();
    EXPECT_EQ(gui::Recorder::messages(), QStringList{kSureDelete});
    EXPECT_TRUE(fs::exists(db.file("PAROHII/Sf. Ion/Bilant.DB")));

    rec.answerYes = true;
    button("DelBtn")->click();
    EXPECT_FALSE(fs::exists(db.file("PAROHII/Sf. Ion")));
    EXPECT_EQ(nodes(), (QStringList{"PROTOPOPIAT", "\tOFICIU", "\tPAROHII", "\t\tSf. Ilie", "\tMANASTIRI"}));
    EXPECT_EQ(treeFile(), "PROTOPOPIAT\r\n\tOFICIU\r\n\tPAROHII\r\n\t\tSf. Ilie\r\n\tMANASTIRI\r\n");

    // a file the user keeps there stays, the directory and the node with it
    std::ofstream(db.file("PAROHII/Sf. Ilie/inventar.txt")) << "de pastrat";
    select("Sf. Ilie");
    gui::Recorder::clear();
    button("DelBtn")->click();
    ASSERT_EQ(gui::Recorder::messages().size(), 2);
    EXPECT_TRUE(gui::Recorder::lastMessage().contains(QStringLiteral("alte fisiere, care au fost pastrate")));
    EXPECT_TRUE(fs::exists(db.file("PAROHII/Sf. Ilie/inventar.txt")));
    EXPECT_EQ(nodes().size(), 5);
}

TEST_F(CentralWindow, RenamingAUnitMovesItsBudgetAndKeepsItsFigures) {
    open();
    add("MANASTIRI", "Putna");
    add("MANASTIRI", "Neamt");
    sqlIn(db.file("MANASTIRI/Putna"), "UPDATE \"Bilant.DB\" SET Prevederi = 321.0 WHERE Nr_rand = 3");
    for (const char* wrong : {"PROTOPOPIAT", "OFICIU", "PAROHII", "MANASTIRI"}) {
        select(wrong);
        gui::Recorder::clear();
        button("ChangeBtn")->click();
        EXPECT_EQ(gui::Recorder::messages(), QStringList{kChangeWhat}) << wrong;
    }

    select("Putna");
    answerInput("Manastirea Putna");
    gui::Recorder::clear();
    button("ChangeBtn")->click();
    EXPECT_EQ(ui::Messages::history().front().text,
              QStringLiteral("Modificare denumire unitate\nDenumirea unitatii :"));
    EXPECT_EQ(ui::Messages::history().front().input, QStringLiteral("Manastirea Putna"));
    EXPECT_EQ(gui::Recorder::messages().size(), 1);
    EXPECT_FALSE(fs::exists(db.file("MANASTIRI/Putna")));
    EXPECT_EQ(amount(db.file("MANASTIRI/Manastirea Putna"), 3, "Prevederi"), 321.0);
    EXPECT_EQ(treeFile(),
              "PROTOPOPIAT\r\n\tOFICIU\r\n\tPAROHII\r\n\tMANASTIRI\r\n\t\tManastirea Putna\r\n\t\tNeamt\r\n");
    // the grid shows the unit's budget from its new place
    EXPECT_TRUE(shown().active());
    EXPECT_EQ(data::canonicalPath(shown().filePath()),
              data::canonicalPath(db.file("MANASTIRI/Manastirea Putna/Bilant.DB")));

    // a name in use, or one that leaves the group: refused, nothing moves
    for (const char* refused : {"NEAMT", ".."}) {
        answerInput(refused);
        gui::Recorder::clear();
        button("ChangeBtn")->click();
        EXPECT_EQ(gui::Recorder::messages().size(), 2) << refused;
        EXPECT_TRUE(fs::exists(db.file("MANASTIRI/Manastirea Putna/Bilant.DB")));
        EXPECT_TRUE(fs::exists(db.file("MANASTIRI/Neamt/Bilant.DB")));
    }
    EXPECT_EQ(gui::Recorder::lastMessage(), QString::fromUtf8(budget::kInvalidUnitName));
    EXPECT_EQ(nodes().size(), 6);
}

TEST_F(CentralWindow, CalculareEvaluatesTheShownGroupOrUnitBudget) {
    open();
    add("PAROHII", "Sf. Ion");
    select("Sf. Ion");
    // the planned amount of line 2 typed in the grid, then "&Calculare"
    gui::focus(grid());
    gui::key(Qt::Key_Home, Qt::ControlModifier);
    gui::key(Qt::Key_Down);
    gui::key(Qt::Key_Down);
    ASSERT_EQ(shown()["Nr_rand"].asInteger(), 2);
    gui::type(QStringLiteral("150"));
    ASSERT_TRUE(shown().editing());
    gui::Recorder::clear();
    compute("BitBtn7");
    EXPECT_TRUE(gui::Recorder::messages().isEmpty()) << gui::Recorder::messages().join("|").toStdString();
    EXPECT_EQ(amount(db.file("PAROHII/Sf. Ion"), 14, "Prevederi"), 150.0);
    ASSERT_TRUE(shown().locate("Nr_rand", 14));
    EXPECT_EQ(shown()["Prevederi"].asFloat(), 150.0);             // the grid shows the new figures
    EXPECT_EQ(amount(db.file("PAROHII"), 14, "Prevederi"), 0.0);  // the group's budget untouched

    // on the office's budget or the centralised one nothing is computed
    sql("UPDATE \"Bilant.DB\" SET Prevederi = 10.0 WHERE Nr_rand = 2");
    select("OFICIU");
    sql("UPDATE \"Bilant.DB\" SET Prevederi = 20.0 WHERE Nr_rand = 3");
    compute("BitBtn7");
    EXPECT_EQ(amount(db.path(), 14, "Prevederi"), 0.0);
    ASSERT_TRUE(shown().locate("Nr_rand", 3));
    EXPECT_EQ(shown()["Prevederi"].asFloat(), 20.0);  // refreshed

    // a bad formula of the group: the message, and no refresh
    sqlIn(db.file("PAROHII"), "UPDATE \"Bilant.DB\" SET Formula = '3+' WHERE Nr_rand = 14");
    select("PAROHII");
    gui::Recorder::clear();
    compute("BitBtn7");
    EXPECT_EQ(gui::Recorder::lastMessage().section('\n', 0, 0), QStringLiteral("Eroare de acces la tabela bilant!"));

    // "&Valideaza" stores an amount being typed in a unit's budget
    select("Sf. Ion");
    gui::focus(grid());
    gui::key(Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < 3; ++i) gui::key(Qt::Key_Down);
    ASSERT_EQ(shown()["Nr_rand"].asInteger(), 3);
    gui::type(QStringLiteral("42.5"));
    button("BitBtn6")->click();
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_EQ(amount(db.file("PAROHII/Sf. Ion"), 3, "Prevederi"), 42.5);
}

TEST_F(CentralWindow, CentralizareFillsTheCentralisedBudgetAndRefreshesTheGrid) {
    sql("UPDATE \"Bilant.DB\" SET Executie = 1.0");
    sqlIn(db.file("PAROHII"), "UPDATE \"Bilant.DB\" SET Executie = 10.0");
    sqlIn(db.file("MANASTIRI"), "UPDATE \"Bilant.DB\" SET Executie = 100.0");
    open();
    gui::Recorder::clear();
    compute("CentralizBtn");
    EXPECT_TRUE(gui::Recorder::messages().isEmpty()) << gui::Recorder::messages().join("|").toStdString();
    ASSERT_TRUE(shown().locate("Nr_rand", 2));
    EXPECT_EQ(shown()["Executie"].asFloat(), 111.0);

    // a typed line can be posted, a new one is refused
    gui::focus(grid());
    gui::key(Qt::Key_Insert);
    EXPECT_EQ(shown().state(), data::DataSetState::Browse);
    gui::key(Qt::Key_End, Qt::ControlModifier);
    gui::key(Qt::Key_Down);
    EXPECT_EQ(shown().state(), data::DataSetState::Browse);
    EXPECT_EQ(shown().recordCount(), static_cast<int>(lines().size()));

    // without the monasteries' budget: the message, nothing changed
    std::filesystem::remove(db.file("MANASTIRI/Bilant.DB"));
    sql("UPDATE \"Bilant.DB\" SET Executie = 5.0");
    compute("CentralizBtn");
    EXPECT_EQ(gui::Recorder::lastMessage().section('\n', 0, 0), QStringLiteral("Eroare de acces la tabela bilant!"));
    EXPECT_EQ(amount(db.path(), 2, "Executie", "BilantCentral.DB"), 111.0);
}

TEST_F(CentralWindow, ATreeOfTwoHundredUnitsIsReadShownAndSavedIdentically) {
    budget::TreeLines big{{0, "PROTOPOPIAT"}, {1, "OFICIU"}, {1, "PAROHII"}};
    for (int i = 0; i < 100; ++i) big.push_back({2, "Parohia " + std::to_string(i)});
    big.push_back({1, "MANASTIRI"});
    for (int i = 0; i < 100; ++i) big.push_back({2, "Manastirea " + std::to_string(i)});
    budget::writeTreeFile(db.path(), big);
    const std::string text = treeFile();
    open();
    EXPECT_EQ(nodes().size(), 204);
    EXPECT_EQ(tree()->topLevelItem(0)->child(2)->childCount(), 100);
    EXPECT_EQ(tree()->topLevelItem(0)->child(2)->child(99)->text(0), QStringLiteral("Manastirea 99"));
    // a change that saves the tree: the file reads back the same
    select("Parohia 7");
    answerInput("Parohia 7");
    button("ChangeBtn")->click();
    EXPECT_EQ(treeFile(), text);
    open();
    EXPECT_EQ(nodes().size(), 204);
}

TEST_F(CentralWindow, TheHeadingTellsTheOfficesPeriodAndInsumareSumsTheGroupsUnits) {
    auto heading = [&] {
        open();
        const QLabel* l = control<QLabel>(window.get(), "Label1");
        return std::pair{l->text(), control<QWidget>(window.get(), "An_lucruEdit")->isVisible()};
    };
    budget::CalcBilant(day(31, 12), db.path());
    EXPECT_EQ(heading(), (std::pair{QStringLiteral("LA SFARSITUL ANULUI :"), true}));
    budget::CalcBilant(day(30, 6), db.path());
    EXPECT_EQ(heading(), (std::pair{QStringLiteral("LA DATA : 30.06.2014"), false}));

    add("PAROHII", "Sf. Ion");
    add("PAROHII", "Sf. Ilie");
    for (auto [unit, amount] : {std::pair{"Sf. Ion", 100.25}, {"Sf. Ilie", 20.5}})
        sqlIn(budget::unitDirectory(db.path(), budget::kParohii, unit),
              "UPDATE \"Bilant.DB\" SET Executie = " + std::to_string(amount) + " WHERE Nr_rand = 3");
    // the buttons by node: summing on a group, a take-over on a group or a unit
    for (auto [node, parent, sum, takeOver] : {std::tuple{"PROTOPOPIAT", "", false, false},
                                               {"OFICIU", "PROTOPOPIAT", false, false},
                                               {"Sf. Ion", "PAROHII", false, true},
                                               {"PAROHII", "PROTOPOPIAT", true, true}}) {
        select(node, parent);
        EXPECT_EQ(button("InsumareBtn")->isEnabled(), sum) << node;
        EXPECT_EQ(button("DischetaBtn")->isEnabled(), takeOver) << node;
    }
    compute("InsumareBtn");
    EXPECT_EQ(gui::Recorder::lastMessage(), QStringLiteral("Insumare PAROHII: 2 unitati adunate\n"));
    EXPECT_DOUBLE_EQ(amount(db.file("PAROHII"), 3, "Executie"), 120.75);
    EXPECT_DOUBLE_EQ(amount(db.file("PAROHII"), 14, "Executie"), 120.75);  // a formula line, recomputed
}

TEST_F(CentralWindow, PreluareTakesOverAFolderOfBudgetsAfterShowingWhatChanges) {
    // what two units sent: one new parish, one file of another year
    budget::UnitBudget sent;
    sent.unit = {"Sf. Vasile", budget::kKindParohie, "123", 2014};
    sent.to = day(31, 12);
    sent.lines = budget::readBudgetLines(db.path(), "BilantParohGol.DB");
    for (budget::BudgetLine& l : sent.lines) l.executie = l.nr == 2 ? 12345 : 0;
    fs::create_directory(db.file("primite"));
    writeFile(db.file("primite/vasile.json"), budget::budgetFileText(sent));
    sent.unit.year = 2013;
    writeFile(db.file("primite/vechi.json"), budget::budgetFileText(sent));

    open();
    select("PAROHII");
    gui::onModal<QFileDialog>([&](QFileDialog* d) {
        d->setDirectory(QString::fromStdString(db.file("primite")));
        QMetaObject::invokeMethod(d, "accept");
    });
    control<QMenu>(window.get(), "DischetaMenu")->actions().at(1)->trigger();
    gui::settle();
    const QStringList said = gui::Recorder::messages();
    ASSERT_EQ(said.size(), 2) << said.join("\n").toStdString();
    EXPECT_TRUE(said[0].contains("Unitatea nu exista in structura: se adauga la PAROHII."));
    // the one line whose figures change, before and after
    EXPECT_TRUE(said[0].contains("\nrd. 2 Contributia enoriasilor: prevederi 0.00 -> 0.00, executie 0.00 -> 123.45\n"))
        << said[0].toStdString();
    EXPECT_EQ(said[0].count("\nrd. "), 1);
    EXPECT_TRUE(said[0].contains("bugetul este pentru anul 2013"));
    EXPECT_TRUE(said[1].startsWith("Bugete preluate: 1, refuzate: 1"));
    EXPECT_TRUE(nodes().contains("\t\tSf. Vasile"));
    EXPECT_DOUBLE_EQ(amount(db.file("PAROHII/Sf. Vasile"), 2, "Executie"), 123.45);
}
