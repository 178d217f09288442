#include "stock/StocUnt.h"

#include <QPushButton>

#include "controls/Binding.h"
#include "controls/ControlSupport.h"
#include "controls/DBGNorm.h"
#include "controls/DBNavigator.h"
#include "controls/PickDate.h"
#include "data/Clock.h"
#include "stock/RepStocUnt.h"
#include "ui_StocUnt.h"

namespace stock {

namespace {

constexpr ui::WindowSpec kWindow{.accessError = kStocAccessError};

}  // namespace

TStocFrm::TStocFrm(QWidget* owner) : DataWindow(owner, kWindow) {
    TStoc.setIndexName("Den");
    TStoc.setDeclaredFields({"ID", "Denumire", "Descriere", "Cantitate", "UM", "Pret", "DataIn", "DataOut"});
    TStoc.addCalculatedField("NrCrt", data::FieldType::Integer);
    TStoc.onCalcFields = [this](data::DataSet& ds) { TStocCalcFields(ds); };
    for (const char* f : {"Denumire", "Cantitate", "Pret"}) TStoc.setup(f).required = true;
    TStoc.setup("ID").readOnly = true;
    TStoc.setup("NrCrt").readOnly = true;
    for (const char* f : {"Cantitate", "Pret"}) TStoc.setup(f).asAmount();

    ui::setupForm<Ui_TStocFrm>(this);
    ui::bindControls(this, {{"", &DSStoc}});
    DBNavigator = ui::child<ui::TDBNavigator>(this, "DBNavigator");
    DBGridNormal1 = ui::child<ui::TDBGridNormal>(this, "DBGridNormal1");

    using ui::NavBtn;
    DBNavigator->setVisibleButtons(
        {NavBtn::First, NavBtn::Prior, NavBtn::Next, NavBtn::Last, NavBtn::Insert, NavBtn::Delete, NavBtn::Refresh});
    DBNavigator->setHints({"Prima inregistrare", "Inregistrarea precedenta", "Inregistrarea urmatoare",
                           "Ultima inregistrare", "Insereaza inregistrare", "Sterge inregistrare",
                           "Actualizeaza inregistrari"});

    std::vector<ui::TColumn> cols;
    for (auto [field, title] : {std::pair{"NrCrt", "NrCrt"},
                                {"Denumire", "Denumire"},
                                {"Descriere", "Descriere"},
                                {"Cantitate", "Cantitate"},
                                {"UM", "U.M."},
                                {"Pret", "Pret"},
                                {"DataIn", "Data intrarii"},
                                {"DataOut", "Data iesirii"}})
        cols.emplace_back(QString::fromUtf8(field), QString::fromUtf8(title));
    cols[0].readOnly = true;
    cols[1].width = 200;
    cols[2].width = 200;
    DBGridNormal1->setColumns(std::move(cols));
    DBGridNormal1->setOptions(ui::kDefaultGridOptions | ui::dgTabs | ui::dgAlwaysShowSelection | ui::dgConfirmDelete);
    DBGridNormal1->setNoEditSelection(true);
    DBGridNormal1->setReadOnly(false);

    connect(ui::child<QPushButton>(this, "ValideazaBtn"), &QPushButton::clicked, this, &TStocFrm::ValideazaBtnClick);
    connect(ui::child<QPushButton>(this, "PrintBtn"), &QPushButton::clicked, this, &TStocFrm::PrintBtnClick);
    DBGridNormal1->setFocus();
    finishLayout();
}

void TStocFrm::TStocCalcFields(data::DataSet& ds) {
    // A record being inserted has no position until it is stored.
    const int row = ds.calcRow();
    ds["NrCrt"].setAsInteger(row < 0 ? -1 : row + 1);
}

void TStocFrm::ValideazaBtnClick() {
    // The pending row is stored by the caller after OK; a row the engine
    // refuses is shown here first and keeps the window open.
    if (TStoc.active() && !ui::runDataAction(this, [this] { TStoc.checkBrowseMode(); })) return;
    accept();
}

void TStocFrm::PrintBtnClick() {
    // The list reads the stored rows: the pending row is stored first.
    if (TStoc.active() && !ui::runDataAction(this, [this] { TStoc.checkBrowseMode(); })) return;
    data::Date date = data::today();
    if (!ui::PickDate(this, date)) return;
    PrintStoc(this, date);
}

}  // namespace stock
