// What the deposits and withdrawals windows share: a document that moves
// money between the cash box and the bank account, proposing as its amount
// the balance it draws on. No field is checked while typing.
#pragma once
#include <optional>

#include "entry/DocumentFrm.h"

namespace entry {

class TTransferFrm : public TDocumentFrm {
    Q_OBJECT
protected:
    TTransferFrm(QWidget* owner, const DocumentSpec& spec);
    // "&Printeaza" has no action in these windows.
    void PrintBtnClick() override {}
    // Number, today's date, and the proposed amount.
    void newRecord() override;
    // The label of the balance this window draws on.
    QLabel* balanceLabel() const;
    // The amount proposed for a new document dated `day`: the balance shown,
    // or for a deposit the cash held at the end of that day.
    std::optional<double> proposal(const data::Date& day) const;

private:
    // A new document's date changed: the proposal follows it while the amount
    // is still the one proposed.
    void dateChanged(data::Field& date);

    std::optional<data::Bani> proposed_;  // the amount proposed to the new document
};

}  // namespace entry
