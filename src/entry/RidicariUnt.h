// The withdrawals window "Ridicari din cont": money taken out of the bank
// account into the cash box, one withdrawal per record of "Ridicari.db".
#pragma once
#include "entry/TransferFrm.h"

namespace entry {

class TRidicariFrm : public TTransferFrm {
    Q_OBJECT
public:
    explicit TRidicariFrm(QWidget* owner);

private:
    data::Table& TRidicari = Docs;
    data::DataSource& DSRidicari = DSDocs;
};

}  // namespace entry
