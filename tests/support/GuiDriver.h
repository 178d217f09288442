// The shared driver of window tests: keys and typing sent where the user's
// keys go (the focused control), waiting for and answering modal dialogs,
// controls found by object name and kind, message boxes answered and
// recorded, status-line texts recorded, and the page model read back.
#pragma once
#include <QApplication>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

#include "data/Value.h"
#include "shell/Messages.h"

// Readable Qt texts and values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '{' << l.join("|").toStdString() << '}'; }
namespace data {
inline void PrintTo(const Value& v, std::ostream* os) { *os << (v.isNull() ? std::string("NULL") : v.toString()); }
}  // namespace data

namespace reports {
struct PreparedReport;
}

namespace gui {

// Runs the posted work of the last event (focus moves, deferred deletions).
void settle();
// After a modal dialog closes, the offscreen platform does not give the
// activation back by itself: `w` becomes the active window again.
void reactivate(QWidget* w);
// Shows `w`, activates it and waits until it is active.
void showActive(QWidget* w);

// The focused control (of the active window, or of `fallback`'s window).
QWidget* focused(QWidget* fallback = nullptr);
QString focusName(QWidget* fallback = nullptr);
// A key press and release, or the text typed key by key, on the focused
// control, then the posted work.
void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier);
void type(const QString& text);
// Puts the focus on `w` as a Tab would.
void focus(QWidget* w);

// The control named `name` inside `root`; fails the test (and returns
// nullptr) when there is none or it is not a T.
QWidget* findNamed(QWidget* root, const QString& name, const char* kind, const std::function<bool(QWidget*)>& isKind);
template <class T>
T* control(QWidget* root, const QString& name) {
    return static_cast<T*>(findNamed(root, name, T::staticMetaObject.className(),
                                     [](QWidget* w) { return dynamic_cast<T*>(w) != nullptr; }));
}

// Acts on the next modal window once it shows (gives up after 10 s).
void onModal(std::function<void(QWidget*)> act);
// Drops the watches of onModal still waiting: for a step that was expected
// to show no modal window, so a later test's window is not acted on.
void cancelModalWatches();
template <class W>
void onModal(std::function<void(W*)> act) {
    onModal([act](QWidget* w) {
        if (auto* m = qobject_cast<W*>(w)) act(m);
    });
}
// A key on the focused control of a modal window.
void keyIn(QWidget* window, int k, Qt::KeyboardModifiers m = Qt::NoModifier);

// Message boxes answered by `answer` (default: Yes where offered, else Ok)
// and recorded for the life of the object; status-line texts recorded.
class Recorder {
public:
    Recorder();
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    std::function<int(ui::MessageRecord&)> answer;
    bool answerYes = true;
    QStringList status;

    static QStringList messages();
    static QString lastMessage();
    static void clear();
};

// Every text of every page, pages in order.
QStringList allTexts(const reports::PreparedReport& r);

}  // namespace gui
