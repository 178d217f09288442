// Common set-up for the start-up tests: a database directory and a home
// directory in temp dirs, today fixed at 12 May 2014, the settings switches at
// their defaults, and every message box answered and recorded.
#pragma once
#include <QApplication>
#include <QString>
#include <QStringList>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>

#include "app/Settings.h"
#include "app/Version.h"
#include "app/VersionCheck.h"
#include "shell/Messages.h"
#include "data/AppDir.h"
#include "data/Clock.h"
#include "data/Install.h"
#include "data/Table.h"
#include "support/Installation.h"
#include "support/TempDir.h"

// Gives the installation's unit a name, as its first user does (a unit
// without a name opens the unit data dialog at start-up).
inline void nameTheUnit(const std::string& dir, const std::string& name = "Parohia Sf. Nicolae") {
    data::Table t;
    t.setDatabaseName(dir);
    t.setTableName("Parohia.DB");
    t.open();
    t.first();
    if (t.eof()) {
        t.append();
        t["An_lucru"].setAsInteger(2014);
    } else {
        t.edit();
    }
    t["Parohia"].setAsString(name);
    t.post();
    t.close();
}

// A new installation whose unit has a name.
inline void installInto(const std::string& dir) {
    support::installInto(dir);
    nameTheUnit(dir);
}

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* h = std::getenv("HOME")) oldHome_ = h;
        ::setenv("HOME", home.path().c_str(), 1);
        data::setAppDir(db.path());
        data::setToday(data::Date{2014, 5, 12});
        app::switches() = app::Switches{};
        app::setBuildVersion("");
        // No test reaches the internet: the start-up version check of every
        // main window goes to a local port where nothing listens.
        app::setDefaultUpdateHost("127.0.0.1:1");
        ui::Messages::clearHistory();
        ui::Messages::setResponder([](ui::MessageRecord& r) { return r.buttons & ui::Ok ? int(ui::Ok) : int(ui::No); });
    }
    void TearDown() override {
        ui::Messages::clearResponder();
        ui::Messages::clearHistory();
        data::setToday(std::nullopt);
        if (oldHome_)
            ::setenv("HOME", oldHome_->c_str(), 1);
        else
            ::unsetenv("HOME");
        QApplication::processEvents();
    }

    void install() { installInto(db.path()); }
    static void install(const std::string& dir) { installInto(dir); }

    // Texts of the message boxes shown so far.
    static QStringList messages() {
        QStringList l;
        for (const auto& r : ui::Messages::history()) l << r.text;
        return l;
    }

    TempDir db;
    TempDir home;

private:
    std::optional<std::string> oldHome_;
};
