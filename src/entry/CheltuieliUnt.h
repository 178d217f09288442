// The payments window "Plati": one payment per record of "Cheltuieli.DB";
// "&Printeaza" prints the payment order of the stored payment.
#pragma once
#include "entry/CashDocFrm.h"

namespace entry {

class TCheltuieliFrm : public TCashDocFrm {
    Q_OBJECT
public:
    explicit TCheltuieliFrm(QWidget* owner);

private:
    // Prints the payment order stored under the current document's date,
    // number and expense code; the document is not saved first.
    void PrintBtnClick() override;

    data::Table& TCheltuieli = Docs;
    data::DataSource& DSCheltuieli = DSDocs;
    data::Table& TTipCheltuieli = TTipCatalog;
};

}  // namespace entry
