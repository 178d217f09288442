// Shared set-up of the document-window tests: a new installation in a temp
// directory used as the database directory, the unit's working year, today
// fixed at 12 May 2014, message boxes answered and recorded, status-line texts
// recorded, and helpers that drive the windows with keys.
#pragma once
#include <QApplication>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "shell/Messages.h"
#include "data/AppDir.h"
#include "data/Clock.h"
#include "data/Install.h"
#include "data/Query.h"
#include "data/Schema.h"
#include "reports/ReportRun.h"
#include "support/TempDir.h"

// Readable failure output for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

class EntryFixture : public ::testing::Test {
protected:
    void SetUp() override {
        data::createInstallation(db.path());
        data::setAppDir(db.path());
        data::setToday(data::Date{2014, 5, 12});
        setWorkingYear(2014);
        ui::Messages::clearHistory();
        ui::Messages::setResponder([this](ui::MessageRecord& r) {
            if (r.buttons & ui::Yes) return int(answerYes ? ui::Yes : ui::No);
            return int(ui::Ok);
        });
        ui::setStatusObserver([this](const QString& s) { status << s; });
    }
    void TearDown() override {
        windows.clear();
        QApplication::processEvents();
        ui::setStatusObserver(nullptr);
        ui::Messages::clearResponder();
        ui::Messages::clearHistory();
        data::setToday(std::nullopt);
    }

    void setWorkingYear(int year) {
        data::SqlSession::forDirectory(db.path()).execute("DELETE FROM \"Parohia.DB\"");
        data::insertRows(db.file("Parohia.DB"), {"Arhiepiscopia", "Protopopiatul", "Parohia", "An_lucru"},
                         {{"Arhiepiscopia Test", "Protopopiatul Test", "Parohia Sf. Test", year}});
    }
    void add(const std::string& table, const std::vector<std::string>& cols, std::vector<std::vector<data::Value>> rows) {
        data::insertRows(db.file(table), cols, rows);
    }
    // Number of stored rows of a table.
    long long count(const std::string& table) {
        auto r = data::SqlSession::forDirectory(db.path()).select("SELECT COUNT(*) FROM \"" + table + "\"");
        return r.rows.at(0).at(0).toInt();
    }

    // Opens a window as the menu does and waits until it has the focus.
    template <class W>
    W* open() {
        auto w = std::make_unique<W>(nullptr);
        W* p = w.get();
        windows.push_back(std::move(w));
        p->show();
        p->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(p));
        QApplication::processEvents();
        return p;
    }

    // Carries out what the last key posted (focus moves, a refused field
    // taking the focus back), and brings the window back after a dialog.
    void settle() {
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        if (!QApplication::activeWindow() && !windows.empty() && windows.back()->isVisible()) {
            windows.back()->activateWindow();
            (void)QTest::qWaitForWindowActive(windows.back().get());
            for (int i = 0; i < 5; ++i) QApplication::processEvents();
        }
    }
    QWidget* focused() const {
        if (QWidget* w = QApplication::focusWidget()) return w;
        return windows.empty() ? nullptr : windows.back()->focusWidget();
    }
    // Keys go to the focused control.
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QWidget* w = focused();
        ASSERT_NE(w, nullptr);
        QTest::keyClick(w, static_cast<Qt::Key>(k), m);
        settle();
    }
    void type(const QString& text) {
        QWidget* w = focused();
        ASSERT_NE(w, nullptr);
        QTest::keyClicks(w, text);
        settle();
    }
    void focus(QWidget* w) {
        w->setFocus(Qt::TabFocusReason);
        settle();
    }
    QString focusName() const {
        QWidget* w = focused();
        return w ? w->objectName() : QString();
    }

    // Acts on the next modal dialog once it shows (a catalog choice, the print
    // dialog, the preview).
    static void onModal(std::function<void(QWidget*)> act) {
        auto* timer = new QTimer;
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
    // Sends a key to the focused control of a modal dialog.
    static void keyInModal(QWidget* modal, int k) {
        QWidget* target = modal->focusWidget() ? modal->focusWidget() : modal;
        QTest::keyClick(target, static_cast<Qt::Key>(k));
    }

    static QStringList messages() {
        QStringList l;
        for (const auto& r : ui::Messages::history()) l << r.text;
        return l;
    }

    TempDir db;
    bool answerYes = true;
    QStringList status;
    std::vector<std::unique_ptr<QWidget>> windows;
};
