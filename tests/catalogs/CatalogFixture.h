// A new installation in a temp dir as the database directory, message boxes
// answered and recorded by the shared driver, and the two table helpers of
// these tests: fill a table, read a column back from the table file.
#pragma once
#include <QApplication>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "data/AppDir.h"
#include "data/Install.h"
#include "data/Schema.h"
#include "data/Table.h"
#include "support/GuiDriver.h"
#include "support/Installation.h"
#include "support/TempDir.h"

class CatalogFixture : public ::testing::Test {
protected:
    void SetUp() override {
        support::installInto(db.path());
        data::setAppDir(db.path());
    }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets()) delete w;
        gui::settle();
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
    static std::vector<data::Value> column(const std::string& table, const std::string& field) {
        data::Table t;
        t.setTableName(table);
        t.open();
        std::vector<data::Value> out;
        for (t.first(); !t.eof(); t.next()) out.push_back(t.fieldByName(field).value());
        return out;
    }

    static QStringList messages() { return gui::Recorder::messages(); }

    TempDir db;
    gui::Recorder recorder;
};
