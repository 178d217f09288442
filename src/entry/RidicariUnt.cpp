#include "entry/RidicariUnt.h"

#include "ui_RidicariUnt.h"

namespace entry {

namespace {

const DocumentSpec kSpec{
    .table = "Ridicari.db",
    .numberField = "Nr_doc",
    .amountField = "Suma",
    .counterSql = "select max(Nr_doc)  from Ridicari",
    .numberUsedSql = "select count(*)  from Ridicari where Nr_doc = :Numar",
    .yearText = "Atentie anul ales pentru inregistrarea ridicarii ",
    .incompleteText = "Completati toate datele referitoare la ridicarea pe care doriti sa o efectuati!",
    .deleteText = "Sigur doriti anularea acestei ridicari din cont?",
    .required = {"Nr_doc", "Suma"},
    .form = &ui::setupForm<Ui_TRidicariFrm>,
    .showsCash = false,
    .showsBank = true,
    .cashDoc = CashDoc::Withdrawal,
};

}  // namespace

TRidicariFrm::TRidicariFrm(QWidget* owner) : TTransferFrm(owner, kSpec) { create(); }

}  // namespace entry
