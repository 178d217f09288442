#include "entry/TransferFrm.h"

#include <QLabel>

#include "data/Clock.h"
#include "entry/Balances.h"

namespace entry {

TTransferFrm::TTransferFrm(QWidget* owner, const DocumentSpec& spec) : TDocumentFrm(owner, spec) {
    Docs.setup("Data").onChange = [this](data::Field& f) { dateChanged(f); };
}

QLabel* TTransferFrm::balanceLabel() const { return spec().showsCash ? SoldCasaLbl : SoldBancaLbl; }

std::optional<double> TTransferFrm::proposal(const data::Date& day) const {
    // cash received after the deposit's day is not there to deposit yet
    if (spec().cashDoc == CashDoc::Deposit) return data::fromBani(cashAtEndOf(day));
    if (QLabel* l = balanceLabel()) return balanceFromText(l->text().toStdString());
    return std::nullopt;
}

void TTransferFrm::newRecord() {
    TDocumentFrm::newRecord();
    proposed_.reset();
    const data::Date today = data::today();
    Docs["Data"].setAsDate(today);
    if (auto amount = proposal(today)) {
        Docs[spec().amountField].setAsFloat(*amount);
        proposed_ = data::toBani(*amount);
    }
}

void TTransferFrm::dateChanged(data::Field& date) {
    if (Docs.state() != data::DataSetState::Insert || !proposed_) return;
    data::Field& amount = Docs[spec().amountField];
    if (amount.isNull() || data::toBani(amount.asFloat()) != *proposed_) return;
    const auto day = date.isNull() ? std::nullopt : std::optional(date.asDate());
    if (!day || !day->valid()) return;
    if (auto next = proposal(*day)) {
        proposed_ = data::toBani(*next);
        amount.setAsFloat(*next);
    }
}

}  // namespace entry
