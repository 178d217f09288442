// The catalog windows: income types, expense types, parishioners and budget
// lines. All four share one layout and one behaviour: a grid over the catalog
// table, a choice of display order (by code, or by name through the
// case-insensitive index "Den"), an incremental search box and the check that
// a record has its code and name before it is stored. What sets one catalog
// apart from another is a row of the table kCatalogs (CatalogFrm.cpp).
//
// A catalog window works in one of two modes:
// - Browse: modeless, editable in the grid, opened from the main menu (one
//   window per catalog, see BrowseCatalog.h). Closing it stores the pending
//   row, and it stays open when the row is refused.
// - Select: modal and read-only; the user picks a record and the caller reads
//   its code (SelectTipVenit / SelectTipCheltuiala, CatalogSelect.h).
#pragma once
#include <QDialog>
#include <QStringList>
#include <memory>
#include <vector>

#include "data/DataSource.h"
#include "data/Table.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Ui_TCatalogFrm;

namespace ui {
class TDBGridNormal;
}

namespace catalogs {

enum class CatalogMode { Browse, Select };

struct CatalogColumn {
    const char* field;
    const char* title;
};

// What sets one catalog window apart from the others.
struct CatalogSpec {
    const char* tableName;
    std::vector<const char*> fields;     // the fields the window works with
    std::vector<CatalogColumn> columns;  // grid columns, left to right
    const char* codeField;               // first field of the primary key
    const char* nameField;               // the field the "Den" index is over
    const char* codeOrderItem;           // first item of the order list
    std::vector<const char*> required;   // fields a stored record must fill
    const char* incompleteMessage;       // warning when one of them is empty
    const char* layoutCaption;           // caption of the layout (selection mode)
    const char* browseCaption;
    bool focusOrderList;                 // focus on the order list instead of the grid
    bool browseMaximizable;              // browse frame has a maximise button
    bool browseCentred;                  // browse window centred on the screen
};

// The income-type, expense-type, parishioner and budget-line catalogs.
const CatalogSpec& tipVenitSpec();
const CatalogSpec& tipCheltuialaSpec();
const CatalogSpec& enoriasiSpec();
const CatalogSpec& nomenclatorBilantSpec();

class TCatalogFrm : public QDialog {
    Q_OBJECT
public:
    TCatalogFrm(QWidget* owner, const CatalogSpec& spec, CatalogMode mode);
    ~TCatalogFrm() override;

    CatalogMode mode() const { return mode_; }
    const CatalogSpec& spec() const { return spec_; }

    // The catalog table, open for exclusive use while the window exists.
    data::Table Catalog;
    data::DataSource CatDataSource;

    QLabel* Label1 = nullptr;            // "Or&dine de afisare:"
    QComboBox* IndexComboBox = nullptr;  // display order
    QLabel* SearchLabel = nullptr;       // "&Cauta:"
    QLineEdit* SearchEdit = nullptr;     // incremental search
    ui::TDBGridNormal* CatGrid = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;

    // The code and name fields of the open catalog (null while closed).
    data::Field* codeField() const { return Catalog.findField(spec_.codeField); }
    data::Field* nameField() const { return Catalog.findField(spec_.nameField); }

    // Selection start: primary-key order, on the record with this code when
    // the catalog has it (otherwise where it was: the first record). Raises
    // the engine's error when the table is not open.
    bool positionOnCode(const data::Value& code);

    // Handlers.
    void IndexComboBoxChange(int item);
    void SearchEditChange(const QString& text);
    void CatGridDblClick();
    void CatalogBeforePost(data::DataSet& ds);
    void CatalogNewRecord(data::DataSet& ds);

protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void formCreate();
    void setBrowseMode();
    // The order list shows the order the table is in.
    void showCurrentOrder();

    const CatalogSpec& spec_;
    CatalogMode mode_;
    std::unique_ptr<Ui_TCatalogFrm> ui_;
    bool centred_ = false;
};

// The income-type catalog "Tip_venituri.DB".
class TTipVenitFrm : public TCatalogFrm {
    Q_OBJECT
public:
    explicit TTipVenitFrm(QWidget* owner, CatalogMode mode = CatalogMode::Browse)
        : TCatalogFrm(owner, tipVenitSpec(), mode) {}
    data::Field* CatalogCod_venit() const { return Catalog.findField("Cod_venit"); }
    data::Field* CatalogDenumire() const { return Catalog.findField("Denumire"); }
    data::Field* CatalogExplicatie_venit() const { return Catalog.findField("Explicatie_venit"); }
};

// The expense-type catalog "Tip_cheltuieli.DB".
class TTipCheltuialaFrm : public TCatalogFrm {
    Q_OBJECT
public:
    explicit TTipCheltuialaFrm(QWidget* owner, CatalogMode mode = CatalogMode::Browse)
        : TCatalogFrm(owner, tipCheltuialaSpec(), mode) {}
    data::Field* CatalogCod_cheltuiala() const { return Catalog.findField("Cod_cheltuiala"); }
    data::Field* CatalogDenumire() const { return Catalog.findField("Denumire"); }
    data::Field* CatalogExplicatie_cheltuiala() const { return Catalog.findField("Explicatie_cheltuiala"); }
};

// The parishioner catalog "Enoriasi.DB" (browse mode only).
class TEnoriasiFrm : public TCatalogFrm {
    Q_OBJECT
public:
    explicit TEnoriasiFrm(QWidget* owner, CatalogMode mode = CatalogMode::Browse)
        : TCatalogFrm(owner, enoriasiSpec(), mode) {}
    data::Field* CatalogCod_enorias() const { return Catalog.findField("Cod_enorias"); }
    data::Field* CatalogNume_prenume() const { return Catalog.findField("Nume_prenume"); }
    data::Field* CatalogTip_contributie() const { return Catalog.findField("Tip_contributie"); }
};

// The budget-line catalog "Bilant.DB" (browse mode only).
class TNomenclatorBilantFrm : public TCatalogFrm {
    Q_OBJECT
public:
    explicit TNomenclatorBilantFrm(QWidget* owner, CatalogMode mode = CatalogMode::Browse)
        : TCatalogFrm(owner, nomenclatorBilantSpec(), mode) {}
    data::Field* CatalogNr_rand() const { return Catalog.findField("Nr_rand"); }
    data::Field* CatalogDenumire() const { return Catalog.findField("Denumire"); }
    data::Field* CatalogFormula() const { return Catalog.findField("Formula"); }
};

}  // namespace catalogs
