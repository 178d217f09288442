// The payment order ("ORDIN DE PLATA") of a stored payment: the unit's
// identification, number and date, payee, purpose, the amount in figures and
// in words, how it was paid, its expense type and the signatures, printed from the first stored payment line with the
// given date, number and expense code.
#pragma once
#include <QString>

#include "data/Query.h"
#include "data/Table.h"
#include "reports/ReportRun.h"

class QWidget;

namespace documents {

// The report window of one payment-order run, caption "Raport ordin de plata".
class TRepOPFrm : public reports::TReportForm {
public:
    TRepOPFrm(QWidget* owner, int CodChelt, double Nr, const data::Date& Data);
    ~TRepOPFrm() override;

    static const QString caption;

    void openData() override;
    void closeData() override;
    // Whether a stored payment line matches (after openData).
    bool hasData() override;

private:
    data::Query Q;         // the payment lines with that date, number and code
    data::Table TParohia;  // the unit's identification, kind and signatories
    data::Query QTip;      // the expense type's name
    int codChelt_;
    double nr_;
    data::Date data_;
};

// Text shown when no payment is stored with the date, number and code asked for.
extern const QString kNotStored;

// Runs the payment-order print for the payment stored with this date, number
// and expense code (an invalid date matches nothing). Failures are shown; so
// is a payment that is not stored, and nothing is printed for it.
reports::RunResult RunOrdinPlata(QWidget* owner, int CodChelt, double Nr, const data::Date& Data,
                                 const reports::ReportOutput& output = {});

}  // namespace documents
