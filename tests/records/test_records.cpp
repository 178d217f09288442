// The parishioner file on a new installation in a temporary directory,
// driven by keys: the family registers follow the current parishioner, the
// orders and the search, deleting and closing.
#include <QLineEdit>
#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "controls/DBGNorm.h"
#include "data/AppDir.h"
#include "data/Engine.h"
#include "data/Install.h"
#include "data/Schema.h"
#include "records/FisaEnoriasUnt.h"
#include "support/GuiDriver.h"
#include "support/Installation.h"
#include "support/TempDir.h"

using gui::control;
using V = data::Value;

namespace {

class ParishionerFile : public ::testing::Test {
protected:
    void SetUp() override {
        support::installInto(db.path());
        data::setAppDir(db.path());
        data::insertRows(db.file("Enoriasi.DB"), {"Cod_enorias", "Nume_prenume", "Strada", "Nr", "Tip_contributie"},
                         {{V("P1"), V("Popescu Ion"), V("Mihai Viteazu"), V("3"), V("Anuala")},
                          {V("P2"), V("Ionescu Ana"), V("Saturn"), V("10"), V("Anuala")},
                          {V("P3"), V("Barbu Dan"), V("Avram Iancu"), V("1"), V("Anuala")},
                          {V("P4"), V("Zaharia Maria"), V("sabinelor"), V("7"), V("Anuala")}});
        data::insertRows(db.file("Cununii.db"), {"Cod_enorias", "Data", "Explicatie"},
                         {{V("P1"), V(data::Date{2001, 6, 2}), V("Cununia fiului")},
                          {V("P1"), V(data::Date{2005, 9, 10}), V("Cununia fiicei")}});
        data::insertRows(db.file("Activitati.db"), {"Cod_enorias", "Data", "Explicatie"},
                         {{V("P2"), V(data::Date{2010, 1, 6}), V("Sfestanie")}});
        gui::Recorder::clear();
    }
    void TearDown() override {
        window.reset();
        gui::settle();
    }

    records::TFisaEnoriasFrm* open() {
        window = std::make_unique<records::TFisaEnoriasFrm>(nullptr);
        EXPECT_TRUE(window->openTables(window.get()));
        gui::showActive(window.get());
        return window.get();
    }
    data::DataSet& set(const std::string& name) {
        for (data::DataSet* ds : window->tables())
            if (ds->name() == name) return *ds;
        throw std::logic_error(name);
    }
    std::vector<V> column(const std::string& name, const char* field) {
        data::DataSet& ds = set(name);
        std::vector<V> out;
        for (int i = 0; i < ds.recordCount(); ++i) out.push_back(ds.rowValues(i).at(ds.fieldByName(field).index()));
        return out;
    }
    long long stored(const std::string& sql) {
        return data::SqlSession::forDirectory(db.path()).select(sql).rows.at(0).at(0).toInt();
    }
    QTabWidget* pages() { return control<QTabWidget>(window.get(), "PageCtrl"); }

    TempDir db;
    gui::Recorder rec;
    std::unique_ptr<records::TFisaEnoriasFrm> window;
};

TEST_F(ParishionerFile, RegistersFollowTheParishionerAndANewRowTakesItsCode) {
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("FisaEnoriasFrm"));
    EXPECT_EQ(pages()->currentIndex(), 0);
    EXPECT_EQ(control<QComboBox>(window.get(), "SortCombo")->currentText(), QStringLiteral("Cod"));
    EXPECT_EQ(set("Enoriasi.DB")["Cod_enorias"].value(), V("P1"));
    EXPECT_EQ(column("Cununii.db", "Explicatie"), (std::vector<V>{V("Cununia fiului"), V("Cununia fiicei")}));
    EXPECT_TRUE(column("Activitati.db", "Explicatie").empty());

    gui::key(Qt::Key_Down);  // to P2
    EXPECT_EQ(set("Enoriasi.DB")["Cod_enorias"].value(), V("P2"));
    EXPECT_TRUE(column("Cununii.db", "Explicatie").empty());
    EXPECT_EQ(column("Activitati.db", "Explicatie"), (std::vector<V>{V("Sfestanie")}));

    pages()->setCurrentIndex(2);  // "&Cununii"
    gui::settle();
    gui::focus(control<ui::TDBGridNormal>(window.get(), "DBGridNormal2"));
    gui::key(Qt::Key_Insert);
    gui::key(Qt::Key_Tab);
    gui::type("Cununia lui P2");
    gui::key(Qt::Key_Return);
    gui::settle();
    EXPECT_TRUE(gui::Recorder::messages().isEmpty()) << gui::Recorder::messages().join("|").toStdString();
    EXPECT_EQ(stored("SELECT COUNT(*) FROM \"Cununii.db\" WHERE Cod_enorias = 'P2' AND Explicatie = 'Cununia lui P2'"),
              1);

    set("Enoriasi.DB").first();  // back to P1: only his two weddings
    EXPECT_EQ(column("Cununii.db", "Explicatie"), (std::vector<V>{V("Cununia fiului"), V("Cununia fiicei")}));
}

TEST_F(ParishionerFile, StreetOrderSearchIgnoresCaseAndAnEmptySearchGoesToTheFirst) {
    open();
    auto* combo = control<QComboBox>(window.get(), "SortCombo");
    gui::focus(combo);
    combo->setCurrentIndex(2);
    emit combo->activated(2);
    gui::settle();
    EXPECT_EQ(column("Enoriasi.DB", "Strada"),
              (std::vector<V>{V("Avram Iancu"), V("Mihai Viteazu"), V("sabinelor"), V("Saturn")}));
    EXPECT_EQ(set("Enoriasi.DB")["Cod_enorias"].value(), V("P1"));  // the current one stays

    auto* edit = control<QLineEdit>(window.get(), "SrchEdit");
    gui::focus(edit);
    gui::type("sa");
    EXPECT_EQ(set("Enoriasi.DB")["Cod_enorias"].value(), V("P4"));
    gui::type("t");
    EXPECT_EQ(set("Enoriasi.DB")["Cod_enorias"].value(), V("P2"));
    gui::type("x");  // nothing starts with "satx": the position stays
    EXPECT_EQ(set("Enoriasi.DB")["Cod_enorias"].value(), V("P2"));
    edit->selectAll();
    gui::key(Qt::Key_Backspace);
    EXPECT_EQ(set("Enoriasi.DB")["Cod_enorias"].value(), V("P3"));  // Avram Iancu comes first by street
}

TEST_F(ParishionerFile, CtrlDeleteAsksNothingAndKeepsTheFamilyRecords) {
    open();
    gui::key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(gui::Recorder::messages().isEmpty()) << gui::Recorder::messages().join("|").toStdString();
    EXPECT_EQ(stored("SELECT COUNT(*) FROM \"Enoriasi.DB\" WHERE Cod_enorias = 'P1'"), 0);
    EXPECT_EQ(stored("SELECT COUNT(*) FROM \"Cununii.db\" WHERE Cod_enorias = 'P1'"), 2);
}

TEST_F(ParishionerFile, TheCloseBoxAsksAndNoDropsATypedRowValideazaStoresIt) {
    open();
    gui::key(Qt::Key_Insert);
    gui::type("P9");
    gui::key(Qt::Key_Tab);
    gui::type("Noul Enorias");
    rec.answerYes = false;  // "Salvati modificarile?": Nu
    window->close();
    window.reset();
    rec.answerYes = true;
    EXPECT_EQ(gui::Recorder::messages(), QStringList{"Salvati modificarile?"});
    EXPECT_EQ(stored("SELECT COUNT(*) FROM \"Enoriasi.DB\""), 4);

    open();
    gui::key(Qt::Key_Insert);
    gui::type("P9");
    gui::key(Qt::Key_Tab);
    gui::type("Noul Enorias");
    control<QPushButton>(window.get(), "ValideazaBtn")->click();
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_EQ(stored("SELECT COUNT(*) FROM \"Enoriasi.DB\" WHERE Nume_prenume = 'Noul Enorias'"), 1);
}

TEST_F(ParishionerFile, AParishionerBeingTypedIsStoredBeforeARegisterTabShows) {
    open();
    gui::key(Qt::Key_Insert);
    gui::type("P8");
    gui::key(Qt::Key_Tab);
    gui::type("Vasile Gheorghe");
    pages()->setCurrentIndex(1);
    gui::settle();
    EXPECT_EQ(set("Enoriasi.DB").state(), data::DataSetState::Browse);
    EXPECT_EQ(stored("SELECT COUNT(*) FROM \"Enoriasi.DB\" WHERE Cod_enorias = 'P8'"), 1);
    EXPECT_EQ(set("Enoriasi.DB")["Cod_enorias"].value(), V("P8"));
}

TEST_F(ParishionerFile, AnInvalidDateOnARegisterIsRefusedAndTheRowStaysInEditing) {
    open();
    pages()->setCurrentIndex(2);
    gui::settle();
    data::DataSet& weddings = set("Cununii.db");
    weddings.edit();
    try {
        weddings["Data"].setText("31/02/2007");
        ADD_FAILURE() << "an impossible date was taken";
    } catch (const data::EngineError& e) {
        EXPECT_STREQ(e.what(), "'31/02/2007' nu este o data corecta");
    }
    EXPECT_EQ(weddings.state(), data::DataSetState::Edit);
    EXPECT_EQ(weddings["Data"].value(), V(data::Date{2001, 6, 2}));
}

}  // namespace

TEST_F(ParishionerFile, NameSearchIgnoresCaseAndDiacriticsTheRomanianWay) {
    data::insertRows(db.file("Enoriasi.DB"), {"Cod_enorias", "Nume_prenume", "Strada", "Nr", "Tip_contributie"},
                     {{V("P5"), V("Ștefănescu Ion"), V("Mare"), V("1"), V("Anuala")},
                      {V("P6"), V("Ţuţuianu Ana"), V("Mare"), V("2"), V("Anuala")}});
    open();
    auto* combo = control<QComboBox>(window.get(), "SortCombo");
    combo->setCurrentIndex(1);
    emit combo->activated(1);  // by name
    gui::settle();
    auto* edit = control<QLineEdit>(window.get(), "SrchEdit");
    struct Case {
        const char* typed;
        const char* code;
    } cases[] = {{"ste", "P5"}, {"ȘTEFĂ", "P5"}, {"ştef", "P5"}, {"tutu", "P6"}, {"țuțu", "P6"}, {"zah", "P4"}};
    for (const Case& c : cases) {
        edit->setText(QString::fromUtf8(c.typed));
        gui::settle();
        EXPECT_EQ(set("Enoriasi.DB")["Cod_enorias"].value(), V(c.code)) << c.typed;
    }
}
