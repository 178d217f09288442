#include "entry/CheltuieliUnt.h"

#include "ui_CheltuieliUnt.h"

#include "catalogs/CatalogSelect.h"
#include "documents/print/RepOPUnt.h"

namespace entry {

namespace {

const DocumentSpec kSpec{
    .table = "Cheltuieli.DB",
    .numberField = "Nr_act",
    .amountField = "Valoarea",
    .counterSql = "select max(Nr_act)  from Cheltuieli",
    .numberUsedSql = "select count(*)  from Cheltuieli where Nr_act = :Numar",
    .yearText = "Atentie anul ales pentru inregistrarea platii ",
    .incompleteText = "Completati toate datele referitoare la plata pe care doriti sa o efectuati!",
    .deleteText = "Sigur doriti anularea acestei plati ?",
    .required = {"Cod_cheltuiala", "Nr_act", "Cont", "Valoarea"},
    .form = &ui::setupForm<Ui_TCheltuieliFrm>,
    .showsCash = true,
    .showsBank = true,
    .cashDoc = CashDoc::Payment,
};

const CashDocSpec kCash{
    .codeField = "Cod_cheltuiala",
    .nameField = "Den_cheltuiala",
    .catalogTable = "Tip_cheltuieli.DB",
    .catalogExplanation = "Explicatie_cheltuiala",
    .explanationWithParishioner = false,
    .codeWarning = "Codul de cheltuiala <",
    .statusHint = "Apsati <Ctrl-Enter> pentru a selecta tipul de cheltuiala din catalog!",
    .focusAfterChoice = "DBEditNormal5",
    .select = &catalogs::SelectTipCheltuiala,
};

}  // namespace

TCheltuieliFrm::TCheltuieliFrm(QWidget* owner) : TCashDocFrm(owner, kSpec, kCash) { create(); }

void TCheltuieliFrm::PrintBtnClick() {
    const data::Field& date = Docs["Data"];
    documents::RunOrdinPlata(this, static_cast<int>(Docs["Cod_cheltuiala"].asInteger()), Docs["Nr_act"].asFloat(),
                             date.isNull() ? data::Date{} : date.asDate());
}

}  // namespace entry
