// A window over a real table file in a temporary directory, driven by key
// events under the offscreen platform; message boxes are answered by the
// test and recorded.
#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <memory>

#include "shell/Messages.h"
#include "data/Clock.h"
#include "data/DataSource.h"
#include "data/Format.h"
#include "data/Schema.h"
#include "data/Table.h"
#include "support/TempDir.h"

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        data::formatSettings().dateSeparator = '.';
        data::formatSettings().shortDateFormat = "dd/mm/yyyy";
        data::setToday(data::Date{2007, 3, 5});
        ui::Messages::clearHistory();
        ui::Messages::setResponder([this](ui::MessageRecord&) { return answer; });
        form = std::make_unique<QWidget>();
        form->resize(700, 420);
    }
    void TearDown() override {
        form.reset();
        ui::Messages::clearResponder();
        data::setToday(std::nullopt);
    }

    // Creates "T.DB" (Id integer key, then the given columns) with rows.
    void makeTable(std::vector<data::ColumnDef> cols, const std::vector<std::vector<data::Value>>& rows,
                   const std::string& name = "T.DB") {
        std::vector<data::ColumnDef> all{{"Id", data::FieldType::Integer}};
        all.insert(all.end(), cols.begin(), cols.end());
        data::createTableFile(dir.file(name), data::TableSpec{name, all, {"Id"}, {}});
        std::vector<std::string> names;
        for (const auto& c : all) names.push_back(c.name);
        if (!rows.empty()) data::insertRows(dir.file(name), names, rows);
    }
    void openTable(const std::string& name = "T.DB") {
        table = std::make_unique<data::Table>();
        table->setDatabaseName(dir.path());
        table->setTableName(name);
        table->open();
        src.setDataSet(table.get());
    }
    void showForm() {
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    // After a modal dialog closes the offscreen platform does not give the
    // activation back to the window by itself.
    void reactivate() {
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        pump();
    }
    static void pump() {
        for (int i = 0; i < 4; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    }
    // A key press and release on the focused widget, then the posted work.
    static void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        QTest::keyClick(w, static_cast<Qt::Key>(k), mods);
        pump();
    }
    static void type(const QString& text) {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        QTest::keyClicks(w, text);
        pump();
    }
    static QWidget* focused() { return QApplication::focusWidget(); }
    static size_t messageCount() { return ui::Messages::history().size(); }

    TempDir dir;
    std::unique_ptr<data::Table> table;
    data::DataSource src;
    std::unique_ptr<QWidget> form;
    int answer = ui::Ok;
};
