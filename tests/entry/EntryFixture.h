// Shared set-up of the document-window tests: a new installation in a temp
// directory used as the database directory, the unit's working year, today
// fixed at 12 May 2014, message boxes answered and recorded, status-line texts
// recorded, and helpers that drive the windows with keys.
#pragma once
#include <QApplication>
#include <QLineEdit>
#include <QStringList>
#include <QTableWidget>
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
#include "support/Installation.h"
#include "support/TempDir.h"
#include "controls/DBPos.h"
#include "support/GuiDriver.h"

class EntryFixture : public ::testing::Test {
protected:
    void SetUp() override {
        support::installInto(db.path());
        data::setAppDir(db.path());
        data::setToday(data::Date{2014, 5, 12});
        setWorkingYear(2014);
    }
    void TearDown() override {
        windows.clear();
        QApplication::processEvents();
        data::setToday(std::nullopt);
    }

    void setWorkingYear(int year) {
        support::setUnit(db.path(), {"Arhiepiscopia", "Protopopiatul", "Parohia", "An_lucru"},
                         {"Arhiepiscopia Test", "Protopopiatul Test", "Parohia Sf. Test", year});
    }
    void add(const std::string& table, const std::vector<std::string>& cols,
             std::vector<std::vector<data::Value>> rows) {
        data::insertRows(db.file(table), cols, rows);
    }
    // Receipts or payments of the installed catalogs: number, date, type code, amount, account.
    void addDocs(const std::string& table, std::vector<std::vector<data::Value>> rows) {
        const char* code = table == "Venituri.DB" ? "Cod_venit" : "Cod_cheltuiala";
        add(table, {"Nr_act", "Data", code, "Valoarea", "Cont"}, std::move(rows));
    }
    // Types `text` over the text of the control `name` and leaves it with Enter.
    void enter(QWidget* w, const char* name, const QString& text) {
        focus(ctl<QLineEdit>(w, name));
        ctl<QLineEdit>(w, name)->selectAll();
        type(text);
        key(Qt::Key_Return);
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
        gui::settle();
        if (!QApplication::activeWindow() && !windows.empty()) gui::reactivate(windows.back().get());
    }
    QWidget* focused() const { return gui::focused(windows.empty() ? nullptr : windows.back().get()); }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        gui::key(k, m);
        settle();
    }
    void type(const QString& text) {
        gui::type(text);
        settle();
    }
    void focus(QWidget* w) {
        gui::focus(w);
        settle();
    }
    QString focusName() const {
        QWidget* w = focused();
        return w ? w->objectName() : QString();
    }
    static void onModal(std::function<void(QWidget*)> act) { gui::onModal(std::move(act)); }
    static void keyInModal(QWidget* modal, int k) { gui::keyIn(modal, k); }
    static QStringList messages() { return gui::Recorder::messages(); }
    // The rows of the history dialog Ctrl+H shows (with its title first),
    // closed again with Escape.
    std::vector<QStringList> historyShown() {
        std::vector<QStringList> rows;
        onModal([&rows](QWidget* dlg) {
            rows.push_back({dlg->windowTitle()});
            auto* t = ctl<QTableWidget>(dlg, "Entries");
            for (int r = 0; r < t->rowCount(); ++r) {
                QStringList cells;
                for (int c = 0; c < t->columnCount(); ++c) cells << t->item(r, c)->text();
                rows.push_back(cells);
            }
            keyInModal(dlg, Qt::Key_Escape);
        });
        key(Qt::Key_H, Qt::ControlModifier);
        gui::cancelModalWatches();  // none showed: a message said why
        if (!rows.empty()) rows.erase(rows.begin());
        return rows;
    }

    // A control of a window, by its name in the layout.
    template <class T>
    static T* ctl(QWidget* w, const char* name) {
        return gui::control<T>(w, QString::fromUtf8(name));
    }
    // The documents of a document window, through its record-position bar.
    static data::DataSet& docs(QWidget* w) { return *ctl<ui::TDBPos>(w, "DBPos1")->dataSource()->dataSet(); }

    TempDir db;
    gui::Recorder recorder;  // message boxes answered and recorded, status texts recorded
    bool& answerYes = recorder.answerYes;
    QStringList& status = recorder.status;
    std::vector<std::unique_ptr<QWidget>> windows;
};
