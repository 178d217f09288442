// The hint of the control under the mouse pointer: its own status hint, or
// that of the nearest enclosing control that has one, up to its window.
#pragma once
#include <QObject>
#include <QString>

class QWidget;

namespace app {

class HintTracker : public QObject {
    Q_OBJECT
public:
    explicit HintTracker(QObject* parent = nullptr);
    ~HintTracker() override;

    static QString hintOf(const QWidget* w);
    const QString& currentHint() const { return current_; }

signals:
    // The application's hint changed (the pointer entered a control with another hint).
    void hintChanged(const QString& hint);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setHint(const QString& hint);
    QString current_;
};

}  // namespace app
