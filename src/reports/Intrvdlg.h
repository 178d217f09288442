// The date-interval dialog of the report runs.
#pragma once
#include <QDialog>
#include <QLineEdit>
#include <optional>

#include "data/Value.h"

class QLabel;
class QPushButton;

namespace reports {

// The dialog's date edit: ten characters "dd/mm/yyyy" behind an input mask.
// Kept behind this small class so the dialog does not depend on the
// edit's implementation.
class IntervalDateEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit IntervalDateEdit(QWidget* parent = nullptr);
    std::optional<data::Date> date() const;  // nullopt for an incomplete or impossible date
    void setDate(const data::Date& d);
};

class TIntervalDlg : public QDialog {
    Q_OBJECT
public:
    explicit TIntervalDlg(QWidget* parent = nullptr);

    QLabel* FirstLbl;
    IntervalDateEdit* FirstDateEdit;
    QLabel* LastLbl;
    IntervalDateEdit* LastDateEdit;
    QPushButton* CancelBtn;  // "&Inchide"
    QPushButton* OKBtn;      // "&Deschide"

    // "&Deschide": closes with confirmation when the interval is correct,
    // otherwise warns and stays open.
    void CheckInterval();

protected:
    // Enter in the first date moves to the second; in the second it confirms.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* e) override;
};

// Asks for an interval starting from `start` and `end`; on confirmation
// writes the dates back and returns true, on cancel leaves them alone.
bool SelectInterval(QWidget* owner, data::Date& start, data::Date& end);

}  // namespace reports
