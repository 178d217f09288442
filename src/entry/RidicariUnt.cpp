#include "entry/RidicariUnt.h"

namespace entry {

namespace {

const DocumentSpec kSpec{
    "Ridicari.db",
    "Nr_doc",
    "Suma",
    "select max(Nr_doc)  from Ridicari",
    "Atentie anul ales pentru inregistrarea ridicarii ",
    "Completati toate datele referitoare la ridicarea pe care doriti sa o efectuati!",
    "Sigur doriti anularea acestei ridicari din cont?",
    {"Nr_doc", "Suma"},
    false,
    true,
};

const FormLayout kLayout{
    "Ridicari din cont",
    {
        {nullptr, {{CtlKind::Pos, "DBPos1"}}},
        {"Inregistrare ridicari din contul de banca",
         {
             {CtlKind::Edit, "DBEditNormal1", "Numar :", "Nr_doc"},
             {CtlKind::Date, "DBDateEdit1", "Data :", "Data"},
             {CtlKind::Lookup, "DBLookupComboBox1", "Felul :", "Fel"},
             {CtlKind::Edit, "DBEditNormal2", "Suma ridicata :", "Suma"},
             {CtlKind::Balance, "SoldBancaLbl", "SOLD CURENT BANCA :"},
             {CtlKind::Navigator, "DocInNavigator"},
             {CtlKind::Button, "AplyBtn", "&Salveaza", nullptr, "Salveaza operatiunea"},
             {CtlKind::Button, "PrintBtn", "&Printeaza", nullptr, "Printeaza chitanta"},
         }},
    },
};

}  // namespace

TRidicariFrm::TRidicariFrm(QWidget* owner) : TTransferFrm(owner, kSpec, kLayout) { create(); }

}  // namespace entry
