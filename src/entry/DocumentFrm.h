// What the four document windows (receipts, payments, deposits, withdrawals)
// share: the document table with its data source, the list of document kinds,
// the next-number query, the balance labels, the navigator and the two
// buttons; the creation sequence, the working-year and completeness checks of
// a save, the delete confirmation and the balances recomputed after every post
// and delete (and at no other moment).
#pragma once
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "data/DataSource.h"
#include "data/Query.h"
#include "data/Table.h"
#include "entry/DocumentLayout.h"

class QLabel;
class QPushButton;

namespace ui {
class TDBComboNormal;
class TDBDateEdit;
class TDBLookupComboBoxNormal;
class TDBPos;
}  // namespace ui

namespace entry {

class TDBNavigator;

// The data that tells one document window from another.
struct DocumentSpec {
    const char* table;         // "Venituri.DB"
    const char* numberField;   // "Nr_act" or "Nr_doc"
    const char* amountField;   // "Valoarea" or "Suma"
    const char* counterSql;    // the next-number query
    const char* yearText;      // year refusal, up to the year: "Atentie anul ales pentru inregistrarea incasarii "
    const char* incompleteText;
    const char* deleteText;
    std::vector<const char*> required;  // fields that must not be empty at save
    bool showsCash = false, showsBank = false;
};

// Opens a table for one look-up and closes it however the look-up ends.
class OpenedFor {
public:
    explicit OpenedFor(data::Table& t) : t_(t) { t_.open(); }
    ~OpenedFor() {
        try {
            t_.close();
        } catch (...) {
        }
    }
    OpenedFor(const OpenedFor&) = delete;
    OpenedFor& operator=(const OpenedFor&) = delete;

private:
    data::Table& t_;
};

// The year of a date field, an empty date counting as 30 December 1899.
int yearOfDate(const data::Field& f);
// The warning of a year that is not the working year.
QString yearWarning(const char* yearText, int year, int workingYear);

class TDocumentFrm : public QWidget {
    Q_OBJECT
public:
    ~TDocumentFrm() override;

    // --- tables
    data::Table Docs;          // the documents, open while the window is open
    data::DataSource DSDocs;
    data::Table TTipDoc;       // document kinds, open while the window is open
    data::DataSource DSTipDoc;
    data::Query QContor;       // the largest document number
    data::Table TParohia;      // opened around each working-year check

    // --- controls (names as in the layouts)
    ui::TDBPos* DBPos1 = nullptr;
    TDocEdit* DBEditNormal1 = nullptr;  // number
    ui::TDBDateEdit* DBDateEdit1 = nullptr;
    ui::TDBLookupComboBoxNormal* DBLookupComboBox1 = nullptr;
    TDocEdit* DBEditNormal2 = nullptr;  // amount
    QLabel* SoldCasaLbl = nullptr;      // only in windows that show the cash balance
    QLabel* SoldBancaLbl = nullptr;     // only in windows that show the bank balance
    TDBNavigator* DocInNavigator = nullptr;
    QPushButton* AplyBtn = nullptr;
    QPushButton* PrintBtn = nullptr;

    // "&Salveaza": posts a document being entered or edited (a refused save
    // ends here), moves to the last document and focuses "&Printeaza".
    void AplyBtnClick();
    virtual void PrintBtnClick() = 0;

    // The working year An_lucru of the unit (0 when the unit has none).
    int workingYear();
    // Recomputes the balances this window shows and writes them into their labels.
    void showBalances();

protected:
    TDocumentFrm(QWidget* owner, const DocumentSpec& spec, const FormLayout& layout);

    // The creation sequence, run by each window's constructor once it is
    // complete: balances, the document kinds, the documents, then a new
    // document after the last one.
    void create();

    // The defaults of a new document; the base sets the number.
    virtual void newRecord();
    // The save rule: year first, then completeness. Throws data::Abort to refuse.
    virtual void beforePost();
    virtual void afterPost() { showBalances(); }
    virtual void beforeDelete();
    virtual void afterDelete() { showBalances(); }

    // Next document number: the largest stored number + 1.
    double nextNumber();
    // Shows the warning and refuses (data::Abort) when the document's date is
    // not in the working year.
    void checkYear();

    void closeEvent(QCloseEvent* e) override;

    const DocumentSpec& spec() const { return spec_; }

private:
    const DocumentSpec& spec_;
};

}  // namespace entry
