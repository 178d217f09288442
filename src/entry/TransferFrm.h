// What the deposits and withdrawals windows share: a document that moves
// money between the cash box and the bank account, proposing as its amount
// the whole balance it draws on. No field is checked while typing.
#pragma once
#include "entry/DocumentFrm.h"

namespace entry {

class TTransferFrm : public TDocumentFrm {
    Q_OBJECT
protected:
    TTransferFrm(QWidget* owner, const DocumentSpec& spec);
    // "&Printeaza" has no action in these windows.
    void PrintBtnClick() override {}
    // Number, the amount read back from the balance label, today's date.
    void newRecord() override;
    // The label of the balance this window draws on.
    QLabel* balanceLabel() const;
};

}  // namespace entry
