#include "entry/VenituriUnt.h"

#include "ui_VenituriUnt.h"

#include "catalogs/CatalogSelect.h"
#include "controls/ControlSupport.h"

namespace entry {

namespace {

const DocumentSpec kSpec{
    .table = "Venituri.DB",
    .numberField = "Nr_act",
    .amountField = "Valoarea",
    .counterSql = "select max(Nr_act)  from Venituri",
    .numberUsedSql = "select count(*)  from Venituri where Nr_act = :Numar",
    .yearText = "Atentie anul ales pentru inregistrarea incasarii ",
    .incompleteText = "Completati toate datele referitoare la incasarea pe care doriti sa o efectuati!",
    .deleteText = "Sigur doriti anularea incasarii (chitantei)?",
    .required = {"Cod_venit", "Nr_act", "Cont", "Valoarea"},
    .form = &ui::setupForm<Ui_TVenituriFrm>,
    .showsCash = true,
    .showsBank = true,
    .cashDoc = CashDoc::Receipt,
};

const CashDocSpec kCash{
    .codeField = "Cod_venit",
    .nameField = "Den_venit",
    .catalogTable = "Tip_venituri.DB",
    .catalogExplanation = "Explicatie_venit",
    .explanationWithParishioner = true,
    .codeWarning = "Codul de venit <",
    .statusHint = "Apsati <Ctrl-Enter> pentru a selecta tipul de venit din catalog!",
    .focusAfterChoice = "DBComboNormal1",
    .select = &catalogs::SelectTipVenit,
};

}  // namespace

TVenituriFrm::TVenituriFrm(QWidget* owner) : TCashDocFrm(owner, kSpec, kCash) { create(); }

void TVenituriFrm::PrintBtnClick() {
    if (ui::runDataAction(this, [this] { Docs.insert(); })) DBEditNormal1->setFocus();
}

}  // namespace entry
