#include "records/FisaEnoriasUnt.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>

#include "data/Collation.h"
#include "controls/Binding.h"
#include "controls/ControlSupport.h"
#include "controls/DBGNorm.h"
#include "controls/DBNavigator.h"
#include "reports/ReportRun.h"
#include "ui_FisaEnoriasUnt.h"

namespace records {

namespace {

constexpr ui::WindowSpec kWindow{.minimizable = true};

// The orders the list offers: the item, the index's field list, the field searched.
struct SortOrder {
    const char* item;
    std::vector<std::string> indexFields;
    const char* searchField;
};
const std::vector<SortOrder>& sortOrders() {
    static const std::vector<SortOrder> orders{
        {"Cod", {"Cod_enorias", "Nume_prenume", "Strada", "Nr"}, "Cod_enorias"},
        {"Nume_prenume", {"Nume_prenume", "Strada", "Nr", "Cod_enorias"}, "Nume_prenume"},
        {"Strada", {"Strada", "Nr", "Nume_prenume", "Cod_enorias"}, "Strada"},
        {"Numar", {"Nr", "Strada", "Nume_prenume", "Cod_enorias"}, "Nr"},
    };
    return orders;
}

bool sameFields(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const std::string& x, const std::string& y) {
        return QString::fromStdString(x).compare(QString::fromStdString(y), Qt::CaseInsensitive) == 0;
    });
}

// Editable, editor always shown, Tab between cells, an untouched new row
// dropped on leaving, Ctrl+Delete without a question.
void setUpGrid(ui::TDBGridNormal* grid, std::vector<std::pair<const char*, QStringList>> columns) {
    std::vector<ui::TColumn> cols;
    for (auto& [field, pick] : columns) {
        ui::TColumn c(QString::fromUtf8(field), QString::fromUtf8(field));
        c.pickList = pick;
        cols.push_back(std::move(c));
    }
    grid->setColumns(std::move(cols));
    grid->setOptions((ui::kDefaultGridOptions | ui::dgAlwaysShowEditor | ui::dgTabs | ui::dgAlwaysShowSelection |
                      ui::dgCancelOnExit) &
                     ~ui::dgConfirmDelete);
    grid->setNoEditSelection(true);
    grid->setReadOnly(false);
}

}  // namespace

TFisaEnoriasFrm::TFisaEnoriasFrm(QWidget* owner) : DataWindow(owner, kWindow) {
    Catalog.setDeclaredFields({"Cod_enorias", "Nume_prenume", "Strada", "Nr", "Tip_contributie"});
    for (data::Table* t : {&TMembriiFam, &TCununii, &TBotezuri, &TInmormantari, &TActivitati}) {
        t->setIndexName("Cod_enorias");
        t->setMasterSource(&DSCatalog);
        t->setMasterFields("Cod_enorias");
    }
    TMembriiFam.setDeclaredFields({"Cod_enorias", "Numele", "Data_nasterii", "Starea_civila", "Observatii"});
    TMembriiFam.setup("Data_nasterii").editMask = "!99/99/0000;1;_";
    for (data::Table* t : {&TCununii, &TBotezuri, &TInmormantari, &TActivitati}) {
        t->setDeclaredFields({"Cod_enorias", "Data", "Explicatie"});
        t->setup("Data").editMask = "!99/99/0000;1;_";
    }

    ui::setupForm<Ui_TFisaEnoriasFrm>(this);
    ui::bindControls(this, {{"", &DSCatalog},
                            {"DSCatalog", &DSCatalog},
                            {"DSMembriiFAm", &DSMembriiFAm},
                            {"DSCununii", &DSCununii},
                            {"DSBotezuri", &DSBotezuri},
                            {"DSInmormantari", &DSInmormantari},
                            {"DSActivitati", &DSActivitati}});
    SortCombo = ui::child<QComboBox>(this, "SortCombo");
    SrchEdit = ui::child<QLineEdit>(this, "SrchEdit");

    using ui::NavBtn;
    auto* nav = ui::child<ui::TDBNavigator>(this, "DBNavigator");
    nav->setVisibleButtons({NavBtn::First, NavBtn::Prior, NavBtn::Next, NavBtn::Last, NavBtn::Insert, NavBtn::Refresh});
    nav->setHints({"Prima inregistrare", "Inregistrarea precedenta", "Inregistrarea urmatoare", "Ultima inregistrare",
                   "Insereaza inregistrare", "Actualizeaza inregistrari"});

    setUpGrid(ui::child<ui::TDBGridNormal>(this, "DBGridNormal1"),
              {{"Cod_enorias", {}}, {"Nume_prenume", {}}, {"Strada", {}}, {"Nr", {}}});
    setUpGrid(ui::child<ui::TDBGridNormal>(this, "DBGridNormal6"),
              {{"Numele", {}},
               {"Data_nasterii", {}},
               {"Starea_civila", {QStringLiteral("Casatorit/a"), QStringLiteral("Necasatorit/a")}},
               {"Observatii", {}}});
    for (const char* g : {"DBGridNormal2", "DBGridNormal3", "DBGridNormal4", "DBGridNormal5"})
        setUpGrid(ui::child<ui::TDBGridNormal>(this, g), {{"Data", {}}, {"Explicatie", {}}});

    for (const SortOrder& o : sortOrders()) SortCombo->addItem(QString::fromUtf8(o.item));
    SortCombo->setCurrentIndex(0);
    auto* pages = ui::child<QTabWidget>(this, "PageCtrl");
    pages->setCurrentIndex(0);
    // A family record needs its parishioner's code: a parishioner being typed
    // is stored before a register tab shows; refused, the list stays shown.
    connect(pages, &QTabWidget::currentChanged, this, [this, pages](int index) {
        if (index == 0 || !Catalog.active() || !Catalog.editing()) return;
        if (!ui::runDataAction(this, [this] { Catalog.checkBrowseMode(); })) pages->setCurrentIndex(0);
    });

    connect(SortCombo, qOverload<int>(&QComboBox::activated), this, &TFisaEnoriasFrm::SortComboClick);
    connect(SrchEdit, &QLineEdit::textChanged, this, &TFisaEnoriasFrm::SrchEditChange);
    connect(ui::child<QPushButton>(this, "ValideazaBtn"), &QPushButton::clicked, this,
            &TFisaEnoriasFrm::ValideazaBtnClick);
    ui::child<ui::TDBGridNormal>(this, "DBGridNormal1")->setFocus();
    finishLayout();
}

void TFisaEnoriasFrm::SortComboClick(int item) {
    if (!Catalog.active() || item < 0 || item >= static_cast<int>(sortOrders().size())) return;
    reports::WaitCursor wait;
    ui::runDataAction(this, [&] {
        const std::vector<data::IndexDef> defs = Catalog.indexDefs();
        auto it = std::find_if(defs.begin(), defs.end(), [&](const data::IndexDef& d) {
            return sameFields(d.fields, sortOrders()[static_cast<size_t>(item)].indexFields);
        });
        // Without such an index the order stays as it is.
        if (it != defs.end()) Catalog.setIndexName(it->primary ? std::string() : it->name);
    });
}

void TFisaEnoriasFrm::SrchEditChange(const QString& text) {
    if (!Catalog.active()) return;
    const int item = std::max(0, SortCombo->currentIndex());
    ui::runDataAction(this, [&] {
        // An empty text matches the first parishioner of the order.
        if (text.isEmpty()) {
            Catalog.first();
            return;
        }
        // letter case and diacritics aside: "ste" finds "Ștefan"
        data::locateFolded(Catalog, sortOrders()[static_cast<size_t>(item)].searchField, text.toStdString());
    });
}

void TFisaEnoriasFrm::ValideazaBtnClick() {
    // The pending rows are stored in this order; one the engine refuses is
    // shown and the window stays open with it, so nothing is lost unseen.
    for (data::Table* t : {&Catalog, &TMembriiFam, &TCununii, &TBotezuri, &TInmormantari, &TActivitati})
        if (t->active() && !ui::runDataAction(this, [t] { t->checkBrowseMode(); })) return;
    accept();
}

}  // namespace records
