#include "catalogs/CatalogFrm.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "data/Collation.h"
#include "catalogs/CatalogUse.h"
#include "controls/Binding.h"
#include "controls/ControlSupport.h"
#include "controls/DBGNorm.h"
#include "data/AppDir.h"
#include "shell/Messages.h"
#include "ui_CatalogFrm.h"

namespace catalogs {

namespace {

// What the documents and the budget name by code.
std::string incomeTypeUse(const std::string& dir, const data::Value& code) {
    return incomeTypeInUse(dir, code.toInt());
}
std::string expenseTypeUse(const std::string& dir, const data::Value& code) {
    return expenseTypeInUse(dir, code.toInt());
}
std::string budgetLineUse(const std::string& dir, const data::Value& code) {
    return budgetLineInUse(dir, code.toInt());
}

// The four catalogs.
const CatalogSpec kTipVenit{
    .tableName = "Tip_venituri.DB",
    .fields = {"Cod_venit", "Denumire", "Explicatie_venit"},
    .columns = {{"Cod_venit", "Cod venit"}, {"Denumire", "Denumire"}, {"Explicatie_venit", "Explicatie_venit"}},
    .codeField = "Cod_venit",
    .nameField = "Denumire",
    .required = {"Cod_venit", "Denumire"},
    .selectCaption = "Selectie tip venit",
    .browseCaption = "Catalog tipuri de venit",
    .inUse = incomeTypeUse,
};

const CatalogSpec kTipCheltuiala{
    .tableName = "Tip_cheltuieli.DB",
    .fields = {"Cod_cheltuiala", "Denumire", "Explicatie_cheltuiala"},
    .columns = {{"Cod_cheltuiala", "Cod cheltuiala"},
                {"Denumire", "Denumire"},
                {"Explicatie_cheltuiala", "Explicatie_cheltuiala"}},
    .codeField = "Cod_cheltuiala",
    .nameField = "Denumire",
    .required = {"Cod_cheltuiala", "Denumire"},
    .selectCaption = "Selectie tip cheltuiala",
    .browseCaption = "Catalog tipuri de Cheltuiala",
    .inUse = expenseTypeUse,
};

const CatalogSpec kEnoriasi{
    .tableName = "Enoriasi.DB",
    .fields = {"Cod_enorias", "Nume_prenume", "Strada", "Nr", "Tip_contributie"},
    .columns = {{"Cod_enorias", "Cod enorias"},
                {"Nume_prenume", "Nume si prenume"},
                {"Strada", "Strada"},
                {"Nr", "Numar"}},
    .codeField = "Cod_enorias",
    .nameField = "Nume_prenume",
    .required = {"Cod_enorias", "Nume_prenume", "Tip_contributie"},
    .incompleteMessage = "Informatie incompleta, introduceti atat codul, numele enoriasului cat si tipul contributiei!",
    .browseCaption = "Catalog enoriasi",
    .browseMaximizable = false,
    .browseCentred = true,
};

const CatalogSpec kNomenclatorBilant{
    .tableName = "Bilant.DB",
    .fields = {"Nr_rand", "Denumire", "Formula"},
    .columns = {{"Nr_rand", "Nr rand"}, {"Denumire", "Denumire"}, {"Formula", "Formula"}},
    .codeField = "Nr_rand",
    .nameField = "Denumire",
    .codeOrderItem = "dupa Nr rand",
    .required = {"Nr_rand", "Denumire"},
    .browseCaption = "Nomenclator bilant",
    .focusOrderList = true,
    .inUse = budgetLineUse,
};

const char* const kNameOrderItem = "dupa Denumire";
const char* const kNameIndex = "Den";

// A catalog window can be resized in both modes. A table that cannot be
// opened shows the engine's own error, and the window opens without data.
ui::WindowSpec catalogWindow(const CatalogSpec& spec, CatalogMode mode) {
    if (mode == CatalogMode::Select) return {.fixedSize = false, .centred = true, .accessError = nullptr};
    return {.modeless = true,
            .minimizable = true,
            .maximizable = spec.browseMaximizable,
            .fixedSize = false,
            .centred = spec.browseCentred,
            .accessError = nullptr};
}

}  // namespace

const CatalogSpec& tipVenitSpec() { return kTipVenit; }
const CatalogSpec& tipCheltuialaSpec() { return kTipCheltuiala; }
const CatalogSpec& enoriasiSpec() { return kEnoriasi; }
const CatalogSpec& nomenclatorBilantSpec() { return kNomenclatorBilant; }

TCatalogFrm::TCatalogFrm(QWidget* owner, const CatalogSpec& spec, CatalogMode mode)
    : DataWindow(owner, catalogWindow(spec, mode)), spec_(spec), mode_(mode) {
    Catalog.setExclusive(true);
    Catalog.setDeclaredFields(std::vector<std::string>(spec_.fields.begin(), spec_.fields.end()));
    Catalog.beforePost = [this](data::DataSet& ds) { CatalogBeforePost(ds); };
    Catalog.onNewRecord = [this](data::DataSet& ds) { CatalogNewRecord(ds); };
    Catalog.beforeDelete = [this](data::DataSet& ds) { CatalogBeforeDelete(ds); };

    ui::setupForm<Ui_TCatalogFrm>(this);
    ui::bindControls(this, {{"", &CatDataSource}});
    IndexComboBox = ui::child<QComboBox>(this, "IndexComboBox");
    SearchEdit = ui::child<QLineEdit>(this, "SearchEdit");
    CatGrid = ui::child<ui::TDBGridNormal>(this, "CatGrid");
    ButtonOK = ui::child<QPushButton>(this, "ButtonOK");
    auto* buttonCancel = ui::child<QPushButton>(this, "ButtonCancel");

    setWindowTitle(QString::fromUtf8(mode_ == CatalogMode::Select && *spec_.selectCaption ? spec_.selectCaption
                                                                                          : spec_.browseCaption));
    IndexComboBox->addItems({QString::fromUtf8(spec_.codeOrderItem), QString::fromUtf8(kNameOrderItem)});

    // The grid as laid out: read-only, whole rows, confirmation before deleting.
    std::vector<ui::TColumn> cols;
    for (const CatalogColumn& c : spec_.columns)
        cols.emplace_back(QString::fromUtf8(c.field), QString::fromUtf8(c.title));
    CatGrid->setNoEditSelection(true);
    CatGrid->setOptions(ui::kDefaultGridOptions | ui::dgRowSelect | ui::dgAlwaysShowSelection);
    CatGrid->setReadOnly(true);
    CatGrid->setColumns(std::move(cols));
    // Enter in the grid confirms the selection while "OK" can be pressed. A
    // row that documents use is refused before the delete question is asked.
    CatGrid->onKeyDown = [this](QKeyEvent* e) {
        if (e->key() == Qt::Key_Delete && ui::ctrlAlone(e) && mode_ == CatalogMode::Browse) {
            QString refusal;
            if (!ui::runDataAction(this, [&] { refusal = deletionRefusal(); })) return true;
            if (refusal.isEmpty()) return false;
            ui::Messages::warning(refusal, this);
            return true;
        }
        if (mode_ != CatalogMode::Select || !ui::isEnterKey(e->key()) || !ui::noMods(e)) return false;
        if (!ButtonOK->isEnabled()) return false;
        ButtonOK->click();
        return true;
    };

    connect(IndexComboBox, qOverload<int>(&QComboBox::activated), this, &TCatalogFrm::IndexComboBoxChange);
    connect(SearchEdit, &QLineEdit::textChanged, this, &TCatalogFrm::SearchEditChange);
    connect(CatGrid, &ui::TNormalDBGrid::dblClick, this, &TCatalogFrm::CatGridDblClick);
    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(buttonCancel, &QPushButton::clicked, this, &QDialog::reject);

    // The window opens without data when the table cannot be opened.
    if (openTables(this)) ui::checkBindings(this);
    IndexComboBox->setCurrentIndex(0);
    if (Catalog.isEmpty()) ButtonOK->setEnabled(false);

    if (mode_ == CatalogMode::Browse) {
        ButtonOK->hide();
        buttonCancel->hide();
        // Cell editing: Enter walks from cell to cell, Insert and Down at the end add a row.
        CatGrid->setOptions((CatGrid->options() & ~ui::dgRowSelect) | ui::dgEditing | ui::dgAlwaysShowEditor);
        CatGrid->setReadOnly(false);
    }
    stretchNameColumn();
    if (spec_.focusOrderList)
        IndexComboBox->setFocus();
    else
        CatGrid->setFocus();
    finishLayout();
}

void TCatalogFrm::stretchNameColumn() {
    // The other columns keep their widths (and can still be resized by hand).
    for (int c = 0; c < CatGrid->columnCount(); ++c)
        if (QString::fromUtf8(spec_.columns[static_cast<size_t>(c)].field) == QLatin1String(spec_.nameField))
            CatGrid->horizontalHeader()->setSectionResizeMode(c, QHeaderView::Stretch);
}

void TCatalogFrm::showCurrentOrder() { IndexComboBox->setCurrentIndex(Catalog.indexName().empty() ? 0 : 1); }

bool TCatalogFrm::positionOnCode(const data::Value& code) {
    Catalog.setIndexName("");
    showCurrentOrder();
    return Catalog.findKey({code});
}

bool TCatalogFrm::runSelection(short& code) {
    // A catalog that could not be opened has already said so.
    if (!Catalog.active()) return false;
    if (!ui::runDataAction(this, [&] { positionOnCode(data::Value(static_cast<int>(code))); })) return false;
    if (exec() != QDialog::Accepted || Catalog.isEmpty()) return false;
    code = static_cast<short>(Catalog[spec_.codeField].asInteger());
    Catalog.close();
    return true;
}

void TCatalogFrm::IndexComboBoxChange(int item) {
    if (!Catalog.active()) return;
    bool done = ui::runDataAction(this, [&] {
        if (item == 0) {
            Catalog.setIndexName("");
            return;
        }
        const std::vector<data::IndexDef> defs = Catalog.indexDefs();
        bool present = std::any_of(defs.begin(), defs.end(), [](const data::IndexDef& d) {
            return QString::fromStdString(d.name).compare(QLatin1String(kNameIndex), Qt::CaseInsensitive) == 0;
        });
        if (!present) Catalog.addIndex(kNameIndex, spec_.nameField, true);
        Catalog.setIndexName(kNameIndex);
    });
    // A refused change (a pending row that cannot be stored) keeps the old order.
    if (!done) showCurrentOrder();
}

void TCatalogFrm::SearchEditChange(const QString& text) {
    if (text.isEmpty() || !Catalog.active()) return;
    ui::runDataAction(this, [&] {
        // in the name order, letter case and diacritics aside ("ste" finds "Ștefan")
        if (!Catalog.indexName().empty() && data::locateFolded(Catalog, spec_.nameField, text.toStdString())) return;
        Catalog.findNearest({data::Value(text.toStdString())});
    });
}

void TCatalogFrm::CatGridDblClick() {
    // An empty catalog has no record to hand back.
    if (mode_ == CatalogMode::Select && !Catalog.isEmpty()) accept();
}

void TCatalogFrm::CatalogBeforePost(data::DataSet& ds) {
    requireFields(ds, spec_.required, QString::fromUtf8(spec_.incompleteMessage), this);
}

void TCatalogFrm::CatalogNewRecord(data::DataSet&) { CatGrid->setSelectedIndex(0); }

QString TCatalogFrm::deletionRefusal() {
    if (!spec_.inUse || !Catalog.active()) return {};
    const data::Value code = storedValue(Catalog, spec_.codeField);
    if (code.isNull()) return {};
    const std::string dir = Catalog.databaseName().empty() ? data::AppDir() : Catalog.databaseName();
    return QString::fromStdString(spec_.inUse(dir, code));
}

void TCatalogFrm::CatalogBeforeDelete(data::DataSet&) {
    // Never a type, or a budget line, that stored documents or formulas name;
    // a count that fails stops the delete with its error.
    const QString refusal = deletionRefusal();
    if (refusal.isEmpty()) return;
    ui::Messages::warning(refusal, this);
    data::abortSilently();
}

void TCatalogFrm::closeEvent(QCloseEvent* e) {
    if (mode_ == CatalogMode::Browse && Catalog.active() && Catalog.editing()) {
        // The pending row is stored first; a refused row keeps the window open.
        if (!ui::runDataAction(this, [this] { Catalog.checkBrowseMode(); })) {
            e->ignore();
            return;
        }
    }
    QDialog::closeEvent(e);
}

void TCatalogFrm::keyPressEvent(QKeyEvent* e) {
    // A browse window has no OK or cancel button: Enter and Esc do not close it.
    if (mode_ == CatalogMode::Browse &&
        (e->key() == Qt::Key_Escape || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

}  // namespace catalogs
