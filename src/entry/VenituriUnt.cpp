#include "entry/VenituriUnt.h"

#include "catalogs/CatalogSelect.h"
#include "controls/ControlSupport.h"

namespace entry {

namespace {

const DocumentSpec kSpec{
    "Venituri.DB",
    "Nr_act",
    "Valoarea",
    "select max(Nr_act)  from Venituri",
    "Atentie anul ales pentru inregistrarea incasarii ",
    "Completati toate datele referitoare la incasarea pe care doriti sa o efectuati!",
    "Sigur doriti anularea incasarii (chitantei)?",
    {"Cod_venit", "Nr_act", "Cont", "Valoarea"},
    true,
    true,
};

const CashDocSpec kCash{
    "Cod_venit",
    "Den_venit",
    "Tip_venituri.DB",
    "Explicatie_venit",
    true,
    "Codul de venit <",
    "Apsati <Ctrl-Enter> pentru a selecta tipul de venit din catalog!",
    "DBComboNormal1",
    &catalogs::SelectTipVenit,
};

const FormLayout kLayout{
    "Incasari",
    {
        {nullptr, {{CtlKind::Pos, "DBPos1"}}},
        {"Inregistrare (chitanta incasata)",
         {
             {CtlKind::Edit, "DBEditNormal1", "Numar :", "Nr_act"},
             {CtlKind::Date, "DBDateEdit1", "Data :", "Data"},
             {CtlKind::Lookup, "DBLookupComboBox1", "Felul :", "Fel"},
             {CtlKind::Edit, "DBEditNormal4", "Cod venit :", "Cod_venit",
              "Click aici si apasati Ctrl-Enter pentru a selecta din catalog !"},
             {CtlKind::Text, "DBText2", "Denumire :", "Den_venit"},
             {CtlKind::Balance, "SoldCasaLbl", "SOLD CURENT CASA :"},
             {CtlKind::Balance, "SoldBancaLbl", "SOLD CURENT BANCA : "},
         }},
        {"Valoare",
         {
             {CtlKind::Combo, "DBComboNormal1", "Incasarea se face prin :", "Cont", nullptr, "Casa|Banca"},
             {CtlKind::Edit, "DBEditNormal2", "Suma incasata :", "Valoarea"},
             {CtlKind::Edit, "DBEditNormal3", "Explicatie :", "Explicatie"},
             {CtlKind::Navigator, "DocInNavigator"},
             {CtlKind::Button, "AplyBtn", "&Salveaza", nullptr, "Salveaza operatiunea"},
             {CtlKind::Button, "PrintBtn", "&Printeaza", nullptr, "Printeaza chitanta"},
         }},
    },
};

}  // namespace

TVenituriFrm::TVenituriFrm(QWidget* owner) : TCashDocFrm(owner, kSpec, kCash, kLayout) {
    Docs.setup("Valoarea").displayFormat = "#,##0.00";
    Docs.setup("Valoarea").editFormat = "0.00";
    create();
}

void TVenituriFrm::PrintBtnClick() {
    if (ui::runDataAction(this, [this] { Docs.insert(); })) DBEditNormal1->setFocus();
}

}  // namespace entry
