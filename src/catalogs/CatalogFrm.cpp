#include "catalogs/CatalogFrm.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "controls/DBGNorm.h"
#include "shell/Messages.h"
#include "ui_CatalogFrm.h"

namespace catalogs {

namespace {

const char* const kIncompleteCodeName = "Informatie incompleta, introduceti atat codul, cat si denumirea!";

// The four catalogs, one row each.
const CatalogSpec kTipVenit{
    "Tip_venituri.DB",
    {"Cod_venit", "Denumire", "Explicatie_venit"},
    {{"Cod_venit", "Cod venit"}, {"Denumire", "Denumire"}, {"Explicatie_venit", "Explicatie_venit"}},
    "Cod_venit",
    "Denumire",
    "dupa Cod",
    {"Cod_venit", "Denumire"},
    kIncompleteCodeName,
    "Selectie tip venit",
    "Catalog tipuri de venit",
    false,
    true,
    false,
};

const CatalogSpec kTipCheltuiala{
    "Tip_cheltuieli.DB",
    {"Cod_cheltuiala", "Denumire", "Explicatie_cheltuiala"},
    {{"Cod_cheltuiala", "Cod cheltuiala"}, {"Denumire", "Denumire"}, {"Explicatie_cheltuiala", "Explicatie_cheltuiala"}},
    "Cod_cheltuiala",
    "Denumire",
    "dupa Cod",
    {"Cod_cheltuiala", "Denumire"},
    kIncompleteCodeName,
    "Selectie tip cheltuiala",
    "Catalog tipuri de Cheltuiala",
    false,
    true,
    false,
};

const CatalogSpec kEnoriasi{
    "Enoriasi.DB",
    {"Cod_enorias", "Nume_prenume", "Strada", "Nr", "Tip_contributie"},
    {{"Cod_enorias", "Cod enorias"}, {"Nume_prenume", "Nume si prenume"}, {"Strada", "Strada"}, {"Nr", "Numar"}},
    "Cod_enorias",
    "Nume_prenume",
    "dupa Cod",
    {"Cod_enorias", "Nume_prenume", "Tip_contributie"},
    "Informatie incompleta, introduceti atat codul, numele enoriasului cat si tipul contributiei!",
    "Catalog enoriasi",
    "Catalog enoriasi",
    false,
    false,
    true,
};

const CatalogSpec kNomenclatorBilant{
    "Bilant.DB",
    {"Nr_rand", "Denumire", "Formula"},
    {{"Nr_rand", "Nr rand"}, {"Denumire", "Denumire"}, {"Formula", "Formula"}},
    "Nr_rand",
    "Denumire",
    "dupa Nr rand",
    {"Nr_rand", "Denumire"},
    kIncompleteCodeName,
    "Nomenclator bilant",
    "Nomenclator bilant",
    true,
    true,
    false,
};

const char* const kNameOrderItem = "dupa Denumire";
const char* const kNameIndex = "Den";

bool isBlank(const data::Field& f) {
    if (f.isNull()) return true;
    if (f.dataType() != data::FieldType::String) return false;
    return QString::fromStdString(f.asString()).trimmed().isEmpty();
}

}  // namespace

const CatalogSpec& tipVenitSpec() { return kTipVenit; }
const CatalogSpec& tipCheltuialaSpec() { return kTipCheltuiala; }
const CatalogSpec& enoriasiSpec() { return kEnoriasi; }
const CatalogSpec& nomenclatorBilantSpec() { return kNomenclatorBilant; }

TCatalogFrm::TCatalogFrm(QWidget* owner, const CatalogSpec& spec, CatalogMode mode)
    : QDialog(owner), spec_(spec), mode_(mode), ui_(std::make_unique<Ui_TCatalogFrm>()) {
    ui_->setupUi(this);
    Label1 = ui_->Label1;
    IndexComboBox = ui_->IndexComboBox;
    SearchLabel = ui_->SearchLabel;
    SearchEdit = ui_->SearchEdit;
    CatGrid = ui_->CatGrid;
    ButtonOK = ui_->ButtonOK;
    ButtonCancel = ui_->ButtonCancel;

    setWindowTitle(QString::fromUtf8(spec_.layoutCaption));
    IndexComboBox->addItems({QString::fromUtf8(spec_.codeOrderItem), QString::fromUtf8(kNameOrderItem)});

    // The grid as laid out: read-only, whole rows, confirmation before deleting.
    std::vector<ui::TColumn> cols;
    for (const CatalogColumn& c : spec_.columns)
        cols.emplace_back(QString::fromUtf8(c.field), QString::fromUtf8(c.title));
    CatGrid->setNoEditSelection(true);
    CatGrid->setOptions(ui::kDefaultGridOptions | ui::dgRowSelect | ui::dgAlwaysShowSelection);
    CatGrid->setReadOnly(true);
    CatGrid->setDataSource(&CatDataSource);
    CatGrid->setColumns(std::move(cols));
    // Enter in the grid confirms the selection while "OK" can be pressed.
    CatGrid->onKeyDown = [this](QKeyEvent* e) {
        if (mode_ != CatalogMode::Select || !ui::isEnterKey(e->key()) || !ui::noMods(e)) return false;
        if (!ButtonOK->isEnabled()) return false;
        ButtonOK->click();
        return true;
    };

    connect(IndexComboBox, qOverload<int>(&QComboBox::activated), this, &TCatalogFrm::IndexComboBoxChange);
    connect(SearchEdit, &QLineEdit::textChanged, this, &TCatalogFrm::SearchEditChange);
    connect(CatGrid, &ui::TNormalDBGrid::dblClick, this, &TCatalogFrm::CatGridDblClick);
    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);

    formCreate();
    if (mode_ == CatalogMode::Browse) setBrowseMode();
    if (spec_.focusOrderList)
        IndexComboBox->setFocus();
    else
        CatGrid->setFocus();
}

TCatalogFrm::~TCatalogFrm() {
    // The grid lets go of the data source before the table closes under it.
    CatGrid->setDataSource(nullptr);
    Catalog.close();
}

void TCatalogFrm::formCreate() {
    Catalog.setTableName(spec_.tableName);
    Catalog.setExclusive(true);
    std::vector<std::string> fields(spec_.fields.begin(), spec_.fields.end());
    Catalog.setDeclaredFields(std::move(fields));
    Catalog.beforePost = [this](data::DataSet& ds) { CatalogBeforePost(ds); };
    Catalog.onNewRecord = [this](data::DataSet& ds) { CatalogNewRecord(ds); };
    CatDataSource.setDataSet(&Catalog);
    try {
        Catalog.open();
    } catch (...) {
        // The window still opens, without data.
        ui::reportError(this, std::current_exception());
    }
    IndexComboBox->setCurrentIndex(0);
    if (Catalog.isEmpty()) ButtonOK->setEnabled(false);
}

void TCatalogFrm::setBrowseMode() {
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    if (spec_.browseMaximizable) flags |= Qt::WindowMaximizeButtonHint;
    setWindowFlags(flags);
    setModal(false);
    setWindowTitle(QString::fromUtf8(spec_.browseCaption));
    IndexComboBox->setCurrentIndex(0);
    ButtonOK->hide();
    ButtonCancel->hide();
    // Cell editing: Enter walks from cell to cell, Insert and Down at the end add a row.
    CatGrid->setOptions((CatGrid->options() & ~ui::dgRowSelect) | ui::dgEditing | ui::dgAlwaysShowEditor);
    CatGrid->setReadOnly(false);
}

void TCatalogFrm::showCurrentOrder() { IndexComboBox->setCurrentIndex(Catalog.indexName().empty() ? 0 : 1); }

bool TCatalogFrm::positionOnCode(const data::Value& code) {
    Catalog.setIndexName("");
    showCurrentOrder();
    return Catalog.findKey({code});
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
    ui::runDataAction(this, [&] { Catalog.findNearest({data::Value(text.toStdString())}); });
}

void TCatalogFrm::CatGridDblClick() {
    // An empty catalog has no record to hand back.
    if (mode_ == CatalogMode::Select && !Catalog.isEmpty()) accept();
}

void TCatalogFrm::CatalogBeforePost(data::DataSet& ds) {
    for (const char* name : spec_.required) {
        data::Field* f = ds.findField(name);
        if (f && !isBlank(*f)) continue;
        ui::Messages::warning(QString::fromUtf8(spec_.incompleteMessage), this);
        data::abortSilently();
    }
}

void TCatalogFrm::CatalogNewRecord(data::DataSet&) { CatGrid->setSelectedIndex(0); }

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

void TCatalogFrm::showEvent(QShowEvent* e) {
    if (!centred_ && (mode_ == CatalogMode::Select || spec_.browseCentred)) {
        centred_ = true;
        QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
        if (screen) move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(e);
}

}  // namespace catalogs
