#include "entry/DepuneriUnt.h"

#include "ui_DepuneriUnt.h"

namespace entry {

namespace {

const DocumentSpec kSpec{
    .table = "Depuneri.db",
    .numberField = "Nr_doc",
    .amountField = "Suma",
    .counterSql = "select max(Nr_doc)  from Depuneri",
    .numberUsedSql = "select count(*)  from Depuneri where Nr_doc = :Numar",
    .yearText = "Atentie anul ales pentru inregistrarea depunerii ",
    .incompleteText = "Completati toate datele referitoare la depunerea pe care doriti sa o efectuati!",
    .deleteText = "Sigur doriti anularea acestei depuneri in cont?",
    .required = {"Nr_doc", "Suma"},
    .form = &ui::setupForm<Ui_TDepuneriFrm>,
    .showsCash = true,
    .showsBank = false,
    .cashDoc = CashDoc::Deposit,
};

}  // namespace

TDepuneriFrm::TDepuneriFrm(QWidget* owner) : TTransferFrm(owner, kSpec) { create(); }

}  // namespace entry
