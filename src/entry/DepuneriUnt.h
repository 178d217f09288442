// The deposits window "Depuneri in banca": cash put into the bank account,
// one deposit per record of "Depuneri.db".
#pragma once
#include "entry/TransferFrm.h"

namespace entry {

class TDepuneriFrm : public TTransferFrm {
    Q_OBJECT
public:
    explicit TDepuneriFrm(QWidget* owner);

private:
    data::Table& TDepuneri = Docs;
    data::DataSource& DSDepuneri = DSDocs;
};

}  // namespace entry
