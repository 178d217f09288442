// The window "Documente": the documents of the four tables in one list, the
// working year by default, sorted by any column (date and entry order first,
// with the cash and bank balances after each row), filtered by period, kind,
// account, type code, amounts and a text typed letter by letter; the count
// and sums per kind of what it shows. Down goes from the text into the list;
// Enter or a double click opens the document in its own window on that
// record; a save or delete there reads the list again. Ctrl+H shows a
// document's history, a deleted one's too. It prints and exports
// what it shows as "Lista documentelor".
#pragma once
#include <QWidget>
#include <memory>
#include <optional>

#include "controls/DataWindow.h"
#include "entry/DocumentList.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;

namespace entry {

class DocumentsModel;

class TDocumenteFrm : public ui::DataWindow<QWidget> {
    Q_OBJECT
public:
    explicit TDocumenteFrm(QWidget* owner);
    ~TDocumenteFrm() override;

    // The list as shown (tests, the report).
    DocumentList& list() { return list_; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // The filter as typed; nullopt (after a warning naming the field, the
    // focus on it) when a field does not read.
    std::optional<DocumentFilter> typedFilter();
    // Reads the list with the typed filter and the current order, keeping the
    // current document when it is still listed.
    void applyFilter();
    void sortBy(int column, Qt::SortOrder order);
    void reload();
    void showTotals();
    // Opens the document of a row in its own window, on that record.
    void openRow(int row);
    // Ctrl+H: the journal's history of the current document; without one (the
    // filter lists nothing), of the latest deleted document the typed text
    // names.
    void showHistory();
    void PrintBtnClick();
    void ExportBtnClick();

    DocumentList list_;
    std::unique_ptr<DocumentsModel> model_;
    DocumentFilter applied_;
    bool refusing_ = false;  // a field's warning is showing
    QLineEdit *TextEdit, *CodEdit, *DeLaEdit, *PanaLaEdit, *MinEdit, *MaxEdit;
    QComboBox *KindCombo, *ContCombo;
    QTableView* DocsView;
    QLabel* TotalsLbl;
};

}  // namespace entry
