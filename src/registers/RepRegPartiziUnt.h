// The ledgers by type ("partizi"): every document of one income type or one
// expense type in date order with its amount and the cumulative total.
#pragma once
#include <QString>

#include "data/Money.h"
#include "data/Query.h"
#include "data/Table.h"
#include "reports/ReportRun.h"

class QWidget;

namespace registers {

// What the two ledgers share: the layout, the cumulative total and the unit.
class TRepRegPartiziFrm : public reports::TReportForm {
public:
    ~TRepRegPartiziFrm() override;
    void closeData() override;
    // Every document of the type with its amount and the cumulative total,
    // then the total.
    std::optional<exports::DataTable> dataTable() override;

protected:
    struct Kind {
        const char* title;         // "Registru partizi venituri"
        const char* typeCaption;   // "Natura venitului"
        const char* typeNameItem;  // the layout line printing the type's name
        const char* underlineLeft;
        const char* explanationCaption;  // the layout lines of column 3's caption
        const char* number;              // Nr_act / Nr_doc
        const char* explanation;         // Explicatie / Explicatii
    };
    TRepRegPartiziFrm(QWidget* owner, const Kind& kind, const char* sql);
    void openRows();
    // The name of the ledger's type, as its title prints it.
    virtual std::string typeName() = 0;

    data::Query Q;
    data::Table TParohia;

private:
    Kind kind_;
    data::Bani total_ = 0;  // the cumulative total
};

// Income ledger, caption "Registru partizi venituri": the receipts of one
// income type from both accounts, read directly from the receipts table.
class TRepRegVenFrm : public TRepRegPartiziFrm {
public:
    TRepRegVenFrm(QWidget* owner, int cod);
    static const QString caption;
    void openData() override;

private:
    std::string typeName() override;
    int cod_;
};

// Expense ledger, caption "Raport registru partizi cheltuieli": the payments
// of one type as the expense fill left them in the register work table.
class TRepRegCheltFrm : public TRepRegPartiziFrm {
public:
    TRepRegCheltFrm(QWidget* owner, int cod);
    static const QString caption;
    void openData() override;

private:
    std::string typeName() override;
    int cod_;
};

// Defaults Arial, A4, portrait, the font size left as it is; the page count
// is prepared first for "Pag.N din M".
reports::RunResult RunRegistruPartiziVenituri(QWidget* owner, int cod, const reports::ReportOutput& output = {});
// Expects the work table filled for the same code (RunCalcRegistruCheltuiala).
reports::RunResult RunRegistruPartiziCheltuieli(QWidget* owner, int cod, const reports::ReportOutput& output = {});

}  // namespace registers
