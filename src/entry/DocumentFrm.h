// What the four document windows (receipts, payments, deposits, withdrawals)
// share: the document table with its data source, the list of document kinds,
// the next-number query, the balance labels, the navigator and the two
// buttons; the creation sequence, the working-year and completeness checks of
// a save, the delete confirmation, the question before a save or delete that
// leaves the cash box negative on some day, and the balances recomputed after
// every post and delete (and at no other moment). A proposed number is taken
// again when the document is written, so two users saving at once do not get
// the same one. Each window is its `.ui` layout and a DocumentSpec.
#pragma once
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "controls/Binding.h"
#include "controls/DataWindow.h"
#include "entry/Balances.h"
#include "entry/DocumentLayout.h"

class QLabel;
class QPushButton;

namespace ui {
class TDBComboNormal;
class TDBDateEdit;
class TDBLookupComboBoxNormal;
class TDBPos;
class TDBNavigator;
}  // namespace ui

namespace entry {

// The data that tells one document window from another.
struct DocumentSpec {
    const char* table;           // "Venituri.DB"
    const char* numberField;     // "Nr_act" or "Nr_doc"
    const char* amountField;     // "Valoarea" or "Suma"
    const char* counterSql;      // the next-number query
    const char* numberUsedSql;   // how many stored documents carry the number :Numar
    const char* yearText;        // year refusal, up to the year: "Atentie anul ales pentru inregistrarea incasarii "
    const char* incompleteText;  // a required field is blank
    const char* deleteText;      // delete confirmation
    std::vector<const char*> required;  // fields that must not be blank at save
    ui::SetupForm form;                 // the window's `.ui` layout
    bool showsCash = false, showsBank = false;
    CashDoc cashDoc = CashDoc::Receipt;  // what the document does to the cash box
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

// Told when a document window stored or deleted a document (the documents
// list follows).
class DocumentEvents : public QObject {
    Q_OBJECT
public:
    static DocumentEvents& instance();
signals:
    void changed();
};

class TDocumentFrm : public ui::DataWindow<QWidget> {
    Q_OBJECT
public:
    ~TDocumentFrm() override;

    // --- finding a document
    // Moves to the stored document with this row identity (a document being
    // entered is saved first, an untouched one dropped, as on any move);
    // false when it is not there or the move was refused.
    bool showDocument(long long id);
    // Ctrl+F: asks a document number and moves to the last document entered
    // with it.
    void goToNumber();

protected:
    TDocumentFrm(QWidget* owner, const DocumentSpec& spec);

    // The creation sequence, run by each window's constructor once it is
    // complete: balances, the document kinds, the documents, then a new
    // document after the last one.
    void create();

    // The defaults of a new document; the base sets the number.
    virtual void newRecord();
    // The save rule: year first, then completeness, then a typed number that
    // is already used, then the question when the cash goes negative. Throws
    // data::Abort to refuse.
    virtual void beforePost();
    virtual void afterPost();
    virtual void beforeDelete();
    virtual void afterDelete() { showBalances(); }
    // "&Printeaza".
    virtual void PrintBtnClick() = 0;

    // The working year An_lucru of the unit (0 when the unit has none).
    int workingYear();
    // Recomputes the balances this window shows and writes them into their labels.
    void showBalances();
    // Next document number: the largest stored number + 1.
    double nextNumber();
    // Shows the warning and refuses (data::Abort) when the document's date is
    // not in the working year.
    void checkYear();
    // Shows the window's incomplete-document warning naming the first blank
    // required field by its caption, puts the focus on it and refuses.
    void checkComplete();
    // A number the user typed that a stored document already carries is
    // asked about; No refuses (data::Abort). A proposed number is left to the
    // write (takeNumberInPost).
    void checkNumber();
    // Asks before `pending` (moves to be added to the cash book) leaves the
    // cash box negative on some day; No refuses (data::Abort).
    void checkCash(const std::vector<CashMove>& pending, const QString& question);
    // The cash move of the document being edited, and of its stored version.
    CashMove currentMove();
    CashMove storedMove();
    // The control that shows the field `name` of the documents, or nullptr.
    QWidget* controlOf(const char* name) const;

    void closeEvent(QCloseEvent* e) override;
    // Page Up in a field of a new document started after the last one.
    bool eventFilter(QObject* watched, QEvent* e) override;

    const DocumentSpec& spec() const { return spec_; }

    const DocumentSpec& spec_;
    data::Table& Docs;  // the documents, open while the window is open
    data::DataSource& DSDocs;
    data::Table& TTipDoc;  // document kinds, open while the window is open
    data::DataSource& DSTipDoc;
    data::Query& QContor;        // the largest document number
    data::Query& QNumarFolosit;  // documents carrying a number
    data::Table& TParohia;       // opened around each working-year check

    // controls (names as in the layouts)
    TDocEdit* DBEditNormal1;  // number
    TDocEdit* DBEditNormal2;  // amount
    QLabel* SoldCasaLbl;      // only in windows that show the cash balance
    QLabel* SoldBancaLbl;     // only in windows that show the bank balance
    QPushButton* PrintBtn;

private:
    // "&Salveaza": posts a document being entered or edited (a refused save
    // ends here), moves to the last document and focuses "&Printeaza".
    void AplyBtnClick();
    // Page Up from a new document started after the last one: an untouched
    // document is dropped and the last stored one shows (the new one stood
    // after it); a filled one is saved first, as on any other move.
    void priorFromNewDocument(QWidget* from);
    CashMove moveOf(const std::vector<data::Value>& row) const;
    // Inside the insert's write transaction: a document still carrying the
    // number it was proposed gets the largest stored number + 1.
    void takeNumberInPost(data::Table::InsertStep& step);

    std::optional<double> proposed_;  // the number the new document was given
    bool numberInPost_ = false;       // the post being made takes the number anew
    struct Renumbered {
        double shown, stored;
    };
    std::optional<Renumbered> renumbered_;  // told after the post
};

}  // namespace entry
