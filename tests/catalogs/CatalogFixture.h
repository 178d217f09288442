// A new installation in a temp dir as the database directory, every message
// box answered with its first button and recorded, and helpers to fill a
// table, read it back and type into the focused control.
#pragma once
#include <QApplication>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

#include "shell/Messages.h"
#include "data/AppDir.h"
#include "data/Install.h"
#include "data/Schema.h"
#include "data/Table.h"
#include "support/TempDir.h"

// Readable texts in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '{' << l.join("|").toStdString() << '}'; }

namespace data {
inline void PrintTo(const Value& v, std::ostream* os) { *os << (v.isNull() ? std::string("NULL") : v.toString()); }
}  // namespace data

class CatalogFixture : public ::testing::Test {
protected:
    void SetUp() override {
        data::createInstallation(db.path());
        data::setAppDir(db.path());
        ui::Messages::clearHistory();
        ui::Messages::setResponder([](ui::MessageRecord& r) {
            return r.buttons & ui::Ok ? int(ui::Ok) : r.buttons & ui::Yes ? int(ui::Yes) : int(ui::Cancel);
        });
    }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets()) delete w;
        QApplication::processEvents();
        ui::Messages::clearResponder();
        ui::Messages::clearHistory();
    }

    // Replaces the rows of a table.
    void fill(const std::string& table, const std::vector<std::string>& columns,
              const std::vector<std::vector<data::Value>>& rows) {
        data::Table t;
        t.setTableName(table);
        t.emptyTable();
        data::insertRows(db.file(table), columns, rows);
    }

    // The values of one field of every row, in the table's primary-key order.
    std::vector<data::Value> column(const std::string& table, const std::string& field) {
        data::Table t;
        t.setTableName(table);
        t.open();
        std::vector<data::Value> out;
        for (t.first(); !t.eof(); t.next()) out.push_back(t.fieldByName(field).value());
        return out;
    }

    static QStringList messages() {
        QStringList l;
        for (const auto& r : ui::Messages::history()) l << r.text;
        return l;
    }

    // Keys go where the user's keys would: to the focused control.
    static QWidget* focused() { return QApplication::focusWidget(); }
    static void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QWidget* f = focused();
        ASSERT_NE(f, nullptr);
        QTest::keyClick(f, k, m);
        QApplication::processEvents();
    }
    static void type(const QString& text) {
        QWidget* f = focused();
        ASSERT_NE(f, nullptr);
        QTest::keyClicks(f, text);
        QApplication::processEvents();
    }
    static void showActive(QWidget* w) {
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        QApplication::processEvents();
    }

    TempDir db;
};
