#include "entry/CheltuieliUnt.h"

#include "catalogs/CatalogSelect.h"
#include "documents/print/RepOPUnt.h"

namespace entry {

namespace {

const DocumentSpec kSpec{
    "Cheltuieli.DB",
    "Nr_act",
    "Valoarea",
    "select max(Nr_act)  from Cheltuieli",
    "Atentie anul ales pentru inregistrarea platii ",
    "Completati toate datele referitoare la plata pe care doriti sa o efectuati!",
    "Sigur doriti anularea acestei plati ?",
    {"Cod_cheltuiala", "Nr_act", "Cont", "Valoarea"},
    true,
    true,
};

const CashDocSpec kCash{
    "Cod_cheltuiala",
    "Den_cheltuiala",
    "Tip_cheltuieli.DB",
    "Explicatie_cheltuiala",
    false,
    "Codul de cheltuiala <",
    "Apsati <Ctrl-Enter> pentru a selecta tipul de cheltuiala din catalog!",
    "DBEditNormal5",
    &catalogs::SelectTipCheltuiala,
};

const FormLayout kLayout{
    "Plati",
    {
        {nullptr, {{CtlKind::Pos, "DBPos1"}}},
        {"Inregistrare (ordin plata)",
         {
             {CtlKind::Edit, "DBEditNormal1", "Numar :", "Nr_act"},
             {CtlKind::Date, "DBDateEdit1", "Data :", "Data"},
             {CtlKind::Lookup, "DBLookupComboBox1", "Felul :", "Fel"},
             {CtlKind::Edit, "DBEditNormal4", "Cod cheltuiala :", "Cod_cheltuiala"},
             {CtlKind::Text, "DBText2", "Denumire :", "Den_cheltuiala"},
             {CtlKind::Edit, "DBEditNormal5", "Beneficiar :", "Beneficiar"},
             {CtlKind::Balance, "SoldCasaLbl", "SOLD CURENT CASA :"},
             {CtlKind::Balance, "SoldBancaLbl", "SOLD CURENT BANCA : "},
         }},
        {"Valoare",
         {
             {CtlKind::Combo, "DBComboNormal1", "Plata se face prin :", "Cont", nullptr, "Casa|Banca"},
             {CtlKind::Edit, "DBEditNormal2", "Suma platita :", "Valoarea"},
             {CtlKind::Edit, "DBEditNormal3", "Explicatie :", "Explicatie"},
             {CtlKind::Navigator, "DocInNavigator"},
             {CtlKind::Button, "AplyBtn", "&Salveaza", nullptr, "Salveaza operatiunea"},
             {CtlKind::Button, "PrintBtn", "&Printeaza", nullptr, "Sunt de acord"},
         }},
    },
};

}  // namespace

TCheltuieliFrm::TCheltuieliFrm(QWidget* owner) : TCashDocFrm(owner, kSpec, kCash, kLayout) {
    DBEditNormal5 = findChild<TDocEdit*>(QStringLiteral("DBEditNormal5"));
    create();
}

void TCheltuieliFrm::PrintBtnClick() {
    const data::Field& date = Docs["Data"];
    documents::RunOrdinPlata(this, static_cast<int>(Docs["Cod_cheltuiala"].asInteger()), Docs["Nr_act"].asFloat(),
                             date.isNull() ? data::Date{} : date.asDate());
}

}  // namespace entry
