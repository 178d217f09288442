#include "support/GuiDriver.h"

#include <QTest>
#include <QTimer>
#include <memory>

#include "reports/PageModel.h"
#include "shell/StatusLine.h"

namespace gui {

void settle() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

void reactivate(QWidget* w) {
    if (!w || !w->isVisible()) return;
    QApplication::setActiveWindow(w->window());
    (void)QTest::qWaitForWindowActive(w->window());
    settle();
}

void showActive(QWidget* w) {
    w->show();
    w->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(w)) << w->objectName().toStdString();
    settle();
}

QWidget* focused(QWidget* fallback) {
    if (QWidget* w = QApplication::focusWidget()) return w;
    return fallback ? fallback->window()->focusWidget() : nullptr;
}

QString focusName(QWidget* fallback) {
    QWidget* w = focused(fallback);
    return w ? w->objectName() : QString();
}

void key(int k, Qt::KeyboardModifiers m) {
    QWidget* w = focused();
    ASSERT_NE(w, nullptr) << "no control has the focus";
    QTest::keyClick(w, static_cast<Qt::Key>(k), m);
    settle();
}

void type(const QString& text) {
    QWidget* w = focused();
    ASSERT_NE(w, nullptr) << "no control has the focus";
    QTest::keyClicks(w, text);
    settle();
}

void focus(QWidget* w) {
    w->setFocus(Qt::TabFocusReason);
    settle();
}

QWidget* findNamed(QWidget* root, const QString& name, const char* kind, const std::function<bool(QWidget*)>& isKind) {
    QWidget* w = root->objectName() == name ? root : root->findChild<QWidget*>(name);
    if (!w) {
        ADD_FAILURE() << "no control named " << name.toStdString() << " in " << root->metaObject()->className();
        return nullptr;
    }
    if (!isKind(w)) {
        ADD_FAILURE() << "control " << name.toStdString() << " is a " << w->metaObject()->className() << ", not a "
                      << kind;
        return nullptr;
    }
    return w;
}

void onModal(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer(qApp);
    timer->setObjectName(QStringLiteral("gui::onModal"));
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, act, ticks] {
        QWidget* w = QApplication::activeModalWidget();
        if ((!w || !w->isVisible()) && ++*ticks < 1000) return;
        timer->stop();
        timer->deleteLater();
        if (w && w->isVisible()) act(w);
    });
    timer->start(10);
}

void cancelModalWatches() {
    for (QTimer* t : qApp->findChildren<QTimer*>(QStringLiteral("gui::onModal"), Qt::FindDirectChildrenOnly)) {
        t->stop();
        delete t;
    }
}

void keyIn(QWidget* window, int k, Qt::KeyboardModifiers m) {
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    QTest::keyClick(target, static_cast<Qt::Key>(k), m);
}

Recorder::Recorder() {
    ui::Messages::clearHistory();
    ui::Messages::setResponder([this](ui::MessageRecord& r) {
        if (answer) return answer(r);
        if (r.buttons & ui::Yes) return int(answerYes ? ui::Yes : ui::No);
        return r.buttons & ui::Ok ? int(ui::Ok) : int(ui::Cancel);
    });
    ui::setStatusObserver([this](const QString& s) { status << s; });
}

Recorder::~Recorder() {
    ui::setStatusObserver(nullptr);
    ui::Messages::clearResponder();
    ui::Messages::clearHistory();
}

QStringList Recorder::messages() {
    QStringList l;
    for (const auto& r : ui::Messages::history()) l << r.text;
    return l;
}

QString Recorder::lastMessage() { return ui::Messages::lastText(); }

void Recorder::clear() { ui::Messages::clearHistory(); }

QStringList allTexts(const reports::PreparedReport& r) {
    QStringList out;
    for (const reports::Page& p : r.pages) out << p.allTexts();
    return out;
}

}  // namespace gui
