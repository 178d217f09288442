#include "entry/DepuneriUnt.h"

namespace entry {

namespace {

const DocumentSpec kSpec{
    "Depuneri.db",
    "Nr_doc",
    "Suma",
    "select max(Nr_doc)  from Depuneri",
    "Atentie anul ales pentru inregistrarea depunerii ",
    "Completati toate datele referitoare la depunerea pe care doriti sa o efectuati!",
    "Sigur doriti anularea acestei depuneri in cont?",
    {"Nr_doc", "Suma"},
    true,
    false,
};

const FormLayout kLayout{
    "Depuneri in banca",
    {
        {nullptr, {{CtlKind::Pos, "DBPos1"}}},
        {"Inregistrare depunere in contul de banca",
         {
             {CtlKind::Edit, "DBEditNormal1", "Numar :", "Nr_doc"},
             {CtlKind::Date, "DBDateEdit1", "Data :", "Data"},
             {CtlKind::Lookup, "DBLookupComboBox1", "Felul :", "Fel"},
             {CtlKind::Edit, "DBEditNormal2", "Suma depusa :", "Suma"},
             {CtlKind::Balance, "SoldCasaLbl", "SOLD CURENT CASA :"},
             {CtlKind::Navigator, "DocInNavigator"},
             {CtlKind::Button, "AplyBtn", "&Salveaza", nullptr, "Salveaza operatiunea"},
             {CtlKind::Button, "PrintBtn", "&Printeaza", nullptr, "Printeaza chitanta"},
         }},
    },
};

}  // namespace

TDepuneriFrm::TDepuneriFrm(QWidget* owner) : TTransferFrm(owner, kSpec, kLayout) { create(); }

}  // namespace entry
