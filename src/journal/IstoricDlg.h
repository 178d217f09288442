// "Istoric": the history of one record as the change journal holds it, one
// line per field of every entry, with its value before and after.
#pragma once
#include <QDialog>
#include <string>

#include "controls/DataWindow.h"

class QTableWidget;

namespace journal {

class TIstoricDlg : public ui::DataWindow<QDialog> {
    Q_OBJECT
public:
    // `table` the record's table file, `row` its identity in the file.
    TIstoricDlg(QWidget* owner, const std::string& dir, const std::string& table, long long row);
    int entryCount() const { return entries_; }

private:
    QTableWidget* Entries;
    int entries_ = 0;
};

// Shows the history of the record (modal). A record not yet stored has none:
// the user is told so.
void ShowIstoric(QWidget* owner, const std::string& dir, const std::string& table, long long row);

}  // namespace journal
