#include "entry/TransferFrm.h"

#include <QLabel>

#include "data/Clock.h"
#include "entry/Balances.h"

namespace entry {

TTransferFrm::TTransferFrm(QWidget* owner, const DocumentSpec& spec) : TDocumentFrm(owner, spec) {}

QLabel* TTransferFrm::balanceLabel() const { return spec().showsCash ? SoldCasaLbl : SoldBancaLbl; }

void TTransferFrm::newRecord() {
    TDocumentFrm::newRecord();
    if (QLabel* l = balanceLabel())
        if (auto amount = balanceFromText(l->text().toStdString())) Docs[spec().amountField].setAsFloat(*amount);
    Docs["Data"].setAsDate(data::today());
}

}  // namespace entry
