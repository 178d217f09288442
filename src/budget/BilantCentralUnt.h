// The deanery office's window "Centralizatorul bugetelor unitatilor de cult":
// the tree of its units on the left (the office, the parishes, the
// monasteries, one node per unit, kept in "arbore.txt"), on the right the
// budget of the selected node, whose amounts are typed in the grid. Units are
// added, renamed and deleted with their directories; "&Calculare" evaluates
// the formulas of a unit's or group's budget, "C&entralizare" fills the
// centralised budget from the office's and the two groups' budgets. Modal.
#pragma once
#include <QDialog>
#include <string>

#include "budget/UnitTree.h"
#include "controls/DataWindow.h"

class QLabel;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace ui {
class TDBGridNormal;
}

namespace budget {

inline constexpr const char* kBilantCentralAccessError = "Eroare de acces la tabela bilantcentral!";

class TBilantCentralFrm : public ui::DataWindow<QDialog> {
    Q_OBJECT
public:
    explicit TBilantCentralFrm(QWidget* owner);
    ~TBilantCentralFrm() override;

    // Opens the unit's record and the centralised budget, which the grid
    // shows first. Raises the engine's error (RunModalDialog shows it with the
    // window's access-error text).
    void openTables();

private:
    // Creation: the tree of "arbore.txt" replaces the built-in one.
    void FormCreate();
    void loadTree(const TreeLines& lines);
    TreeLines treeLines() const;
    // Writes the tree to "arbore.txt"; a failure is shown.
    void saveTree();

    // What the grid shows for the selected node.
    void TVChange(QTreeWidgetItem* node);
    // Points the grid at `t` of the directory `dir` and opens it (an empty
    // `dir` leaves it closed); an opening error is shown.
    void showTable(data::Table& t, data::DataSource& ds, const std::string& dir, bool centralize);
    // Posts a typed amount of the grid's table; false (the error shown) when it cannot be stored.
    bool postShown();
    // Closes the unit and group tables, before a unit's directory changes.
    void closeUnitTables();

    void AddBtnClick();
    void DelBtnClick();
    void ChangeBtnClick();
    void BitBtn6Click();
    // "&Calculare": the formulas of the group or unit budget the grid shows.
    void BitBtn7Click();
    // "C&entralizare": the centralised budget from the office's and the groups' budgets.
    void CentralizBtnClick();
    void refreshShown();
    // "Insumare unitati": the group budget shown as the sum of its units' budgets.
    void InsumareBtnClick();
    // "Preluare buget unitate": budget files of units, shown and then written.
    void takeOver(const std::vector<std::string>& paths);
    void chooseFiles();
    void chooseFolder();
    // "Comparatie unitati": the group's units line by line (every line, or the grid's current one).
    void printComparison(bool currentLine);
    // "&Printeaza": the centralised budget with the chosen column.
    void printCentral(const QString& column);
    // The heading states what the office's own figures are for.
    void showOfficePeriod();
    // The group of the selected node: a group node's own, a unit's parent's.
    std::string selectedGroup() const;

    data::Table& TParohia = table("Parohia.DB");
    data::DataSource& DSParohia = source(TParohia);
    data::Table& TBilantCentral = table("BilantCentral.DB");
    data::DataSource& DSBilantCentral = source(TBilantCentral);
    data::Table& TOficiu = table("Bilant.DB", false);
    data::DataSource& DSOficiu = source(TOficiu);
    data::Table& TParohie = table("Bilant.DB", false);
    data::DataSource& DSParohie = source(TParohie);
    data::Table& TManastire = table("Bilant.DB", false);
    data::DataSource& DSManastire = source(TManastire);

    // The table the grid shows and its directory (empty when a unit node
    // names no directory the window may use).
    data::Table* shown_ = &TBilantCentral;
    std::string shownDir_;

    QTreeWidget* TV;
    ui::TDBGridNormal* DBGrid;
    QPushButton* CentralizBtn;
    QPushButton* InsumareBtn;
    QPushButton* ComparatieBtn;
    QMenu* ComparatieMenu;
    QPushButton* DischetaBtn;
    QMenu* PrintMenu;
    QMenu* DischetaMenu;
};

// The main menu's "Bilant centralizat" (both menus).
void OpenBilantCentral(QWidget* owner);

}  // namespace budget
