// The date-interval dialog of the report runs; its layout is Intrvdlg.ui.
#pragma once
#include <QDialog>

#include "controls/DataWindow.h"
#include "data/Value.h"

class QPushButton;

namespace ui {
class TDateEdit;
}

namespace reports {

class TIntervalDlg : public ui::DataWindow<QDialog> {
    Q_OBJECT
public:
    explicit TIntervalDlg(QWidget* parent = nullptr);

    void setInterval(const data::Date& first, const data::Date& last);
    data::Date firstDate() const;
    data::Date lastDate() const;

protected:
    // Enter in the first date moves to the second; in the second it confirms.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* e) override;

private:
    // "D&eschide": closes with confirmation when the interval is correct,
    // otherwise warns and stays open.
    void CheckInterval();

    ui::TDateEdit* FirstDateEdit;
    ui::TDateEdit* LastDateEdit;
};

// "Intervalul de timp nu este corect! " last " < " first, the dates as dd.mm.yyyy.
QString WrongIntervalText(const data::Date& first, const data::Date& last);

// Asks for an interval starting from `start` and `end`; on confirmation
// writes the dates back and returns true, on cancel leaves them alone.
bool SelectInterval(QWidget* owner, data::Date& start, data::Date& end);

}  // namespace reports
