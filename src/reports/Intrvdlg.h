// The date-interval dialog of the report runs.
#pragma once
#include <QDialog>

#include "controls/DateEdit.h"
#include "data/Value.h"

class QLabel;
class QPushButton;

namespace reports {

class TIntervalDlg : public QDialog {
    Q_OBJECT
public:
    explicit TIntervalDlg(QWidget* parent = nullptr);

    QLabel* FirstLbl;
    ui::TDateEdit* FirstDateEdit;
    QLabel* LastLbl;
    ui::TDateEdit* LastDateEdit;
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
