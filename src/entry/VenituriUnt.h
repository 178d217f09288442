// The receipts window "Incasari": one receipt per record of "Venituri.DB".
#pragma once
#include "entry/CashDocFrm.h"

namespace entry {

class TVenituriFrm : public TCashDocFrm {
    Q_OBJECT
public:
    explicit TVenituriFrm(QWidget* owner);

private:
    // Starts the next receipt, as the navigator's insert button does, and
    // puts the focus on the number. No receipt is printed.
    void PrintBtnClick() override;

    data::Table& TVenituri = Docs;
    data::DataSource& DSVenituri = DSDocs;
    data::Table& TTipVenituri = TTipCatalog;
};

}  // namespace entry
