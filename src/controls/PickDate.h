// The calendar dialog "Selecteaza data" and PickDate, which asks the user for
// a date with it.
#pragma once
#include <QDialog>

#include "data/Value.h"

class QCalendarWidget;
class QLabel;
class QPushButton;
class QToolButton;

namespace ui {

class TBrDateForm : public QDialog {
    Q_OBJECT
public:
    explicit TBrDateForm(QWidget* owner = nullptr);

    data::Date date() const;
    void setDate(const data::Date& d);

    // One month back / forward, keeping the day of the month as far as the
    // new month allows (31 January -> 28 or 29 February).
    void PrevMonthBtnClick();
    void NextMonthBtnClick();

    QLabel* TitleLabel;
    QToolButton* PrevMonthBtn;
    QToolButton* NextMonthBtn;
    QCalendarWidget* Calendar1;
    QPushButton* OkBtn;
    QPushButton* CancelBtn;

protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void Calendar1Change();
    void moveMonths(int n);
};

// Shows the calendar modally on `date` (today when `date` is not a valid
// date); on confirmation stores the chosen date in `date` and returns true.
bool PickDate(QWidget* owner, data::Date& date);

}  // namespace ui
