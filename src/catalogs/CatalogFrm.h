// The catalog windows: income types, expense types, parishioners and budget
// lines. All four share one layout (CatalogFrm.ui) and one behaviour: a grid
// over the catalog table, a choice of display order (by code, or by name
// through the case-insensitive index "Den"), an incremental search box and the
// check that a record has its code and name before it is stored. What sets
// one catalog apart from another is its CatalogSpec (CatalogFrm.cpp).
//
// A catalog window works in one of two modes:
// - Browse: modeless, editable in the grid, opened from the main menu (one
//   window per catalog, see BrowseCatalog.h). Closing it stores the pending
//   row, and it stays open when the row is refused.
// - Select: modal and read-only; the user picks a record and the caller gets
//   its code (SelectTipVenit / SelectTipCheltuiala, CatalogSelect.h).
// Both can be resized; the name column takes the width the window gains.
#pragma once
#include <QDialog>
#include <string>
#include <vector>

#include "controls/DataWindow.h"

namespace ui {
class TDBGridNormal;
}
class QComboBox;
class QLineEdit;
class QPushButton;

namespace catalogs {

enum class CatalogMode { Browse, Select };

struct CatalogColumn {
    const char* field;
    const char* title;
};

inline constexpr const char* kIncompleteCodeName = "Informatie incompleta, introduceti atat codul, cat si denumirea!";

// What sets one catalog window apart from the others; written with
// designated initialisers.
struct CatalogSpec {
    const char* tableName;
    std::vector<const char*> fields;                      // the fields the window works with
    std::vector<CatalogColumn> columns;                   // grid columns, left to right
    const char* codeField;                                // first field of the primary key
    const char* nameField;                                // the field the "Den" index is over
    const char* codeOrderItem = "dupa Cod";               // first item of the order list
    std::vector<const char*> required;                    // fields a stored record must fill
    const char* incompleteMessage = kIncompleteCodeName;  // warning when one of them is blank
    const char* selectCaption = "";                       // caption in selection mode
    const char* browseCaption;
    bool focusOrderList = false;    // opens on the order list instead of the grid
    bool browseMaximizable = true;  // browse frame has a maximise button
    bool browseCentred = false;     // browse window centred on the screen
    // Why the row with this code cannot be deleted (what uses it), or empty;
    // null for a catalog nothing refers to.
    std::string (*inUse)(const std::string& dir, const data::Value& code) = nullptr;
};

// The income-type, expense-type, parishioner and budget-line catalogs.
const CatalogSpec& tipVenitSpec();
const CatalogSpec& tipCheltuialaSpec();
const CatalogSpec& enoriasiSpec();
const CatalogSpec& nomenclatorBilantSpec();

class TCatalogFrm : public ui::DataWindow<QDialog> {
    Q_OBJECT
public:
    TCatalogFrm(QWidget* owner, const CatalogSpec& spec, CatalogMode mode);

    CatalogMode mode() const { return mode_; }

    // Selection mode: primary-key order, on the record with `code` when the
    // catalog has it (otherwise on the first record), shown modally. True
    // when a record was chosen; `code` then holds its code. A catalog that
    // could not be opened chooses nothing (its error has been shown).
    bool runSelection(short& code);

private:
    // Selection start; raises the engine's error when the table is not open.
    bool positionOnCode(const data::Value& code);
    // The order list shows the order the table is in.
    void showCurrentOrder();
    // The name column takes the width the grid has beyond the other columns.
    void stretchNameColumn();

    void IndexComboBoxChange(int item);
    void SearchEditChange(const QString& text);
    void CatGridDblClick();
    void CatalogBeforePost(data::DataSet& ds);
    void CatalogNewRecord(data::DataSet& ds);
    void CatalogBeforeDelete(data::DataSet& ds);
    // What keeps the current row from being deleted; empty when it may go.
    // Raises the engine's error when the documents cannot be counted.
    QString deletionRefusal();

    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

    const CatalogSpec& spec_;
    CatalogMode mode_;

    // The catalog table, open for exclusive use while the window exists.
    data::Table& Catalog = table(spec_.tableName);
    data::DataSource& CatDataSource = source(Catalog);

    QComboBox* IndexComboBox;
    QLineEdit* SearchEdit;
    ui::TDBGridNormal* CatGrid;
    QPushButton* ButtonOK;
};

// The income-type catalog "Tip_venituri.DB".
class TTipVenitFrm : public TCatalogFrm {
    Q_OBJECT
public:
    explicit TTipVenitFrm(QWidget* owner, CatalogMode mode = CatalogMode::Browse)
        : TCatalogFrm(owner, tipVenitSpec(), mode) {}
};

// The expense-type catalog "Tip_cheltuieli.DB".
class TTipCheltuialaFrm : public TCatalogFrm {
    Q_OBJECT
public:
    explicit TTipCheltuialaFrm(QWidget* owner, CatalogMode mode = CatalogMode::Browse)
        : TCatalogFrm(owner, tipCheltuialaSpec(), mode) {}
};

// The parishioner catalog "Enoriasi.DB" (browse mode only).
class TEnoriasiFrm : public TCatalogFrm {
    Q_OBJECT
public:
    explicit TEnoriasiFrm(QWidget* owner, CatalogMode mode = CatalogMode::Browse)
        : TCatalogFrm(owner, enoriasiSpec(), mode) {}
};

// The budget-line catalog "Bilant.DB" (browse mode only).
class TNomenclatorBilantFrm : public TCatalogFrm {
    Q_OBJECT
public:
    explicit TNomenclatorBilantFrm(QWidget* owner, CatalogMode mode = CatalogMode::Browse)
        : TCatalogFrm(owner, nomenclatorBilantSpec(), mode) {}
};

}  // namespace catalogs
