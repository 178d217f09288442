// The window base and the binding helper every window is built with: a
// layout that does not match its window fails at once, naming the control;
// the window owns its data sets and outlives nothing it binds.
#include <QLineEdit>
#include <QPointer>
#include <QWindow>

#include "ControlsFixture.h"
#include "controls/Binding.h"
#include "controls/DBGNorm.h"
#include "controls/DataWindow.h"
#include "data/AppDir.h"
#include "data/Errors.h"

using namespace ui;
using data::FieldType;

namespace {

// A small window over "T.DB" built in code the way uic builds a layout.
class TTestFrm : public DataWindow<QDialog> {
public:
    TTestFrm(QWidget* owner, const WindowSpec& spec) : DataWindow(owner, spec) {
        auto* edit = new TDBEditNormal(this);
        edit->setObjectName("DBEditNormal1");
        edit->setProperty("dataField", "Nume");
        finishLayout();
    }
    data::Table& T = table("T.DB");
    data::DataSource& DST = source(T);
};

class WindowPattern : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        data::setAppDir(dir.path());
        makeTable({{"Nume", FieldType::String, 10}}, {{1, "Ana"}});
    }
};

std::string layoutError(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const LayoutError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST_F(WindowPattern, LayoutMismatchesNameTheControl) {
    TTestFrm w(nullptr, {});
    // a name the layout lacks, and a control of another kind under a known name
    EXPECT_NE(layoutError([&] { child<TDBEditNormal>(&w, "DBEditNormal9"); }).find("DBEditNormal9"), std::string::npos);
    EXPECT_NE(layoutError([&] { child<TDBComboNormal>(&w, "DBEditNormal1"); }).find("DBEditNormal1"),
              std::string::npos);
    EXPECT_EQ(child<TDBEditNormal>(&w, "DBEditNormal1")->objectName(), "DBEditNormal1");

    // a plain line edit given a field is not a data control
    auto* plain = new QLineEdit(&w);
    plain->setObjectName("Edit2");
    plain->setProperty("dataField", "Nume");
    EXPECT_NE(layoutError([&] { bindControls(&w, {{"", &w.DST}}); }).find("Edit2"), std::string::npos);
    delete plain;

    // a source name the window does not have
    auto* other = new TDBEditNormal(&w);
    other->setObjectName("Edit3");
    other->setProperty("dataSource", "DSAlta");
    const std::string e = layoutError([&] { bindControls(&w, {{"", &w.DST}}); });
    EXPECT_NE(e.find("Edit3"), std::string::npos);
    EXPECT_NE(e.find("DSAlta"), std::string::npos);
}

TEST_F(WindowPattern, BoundFieldsAreCheckedOnceTheTablesAreOpen) {
    TTestFrm w(nullptr, {});
    bindControls(&w, {{"", &w.DST}});
    ASSERT_TRUE(w.openTables(&w));
    EXPECT_EQ(layoutError([&] { checkBindings(&w); }), "");
    EXPECT_EQ(child<TDBEditNormal>(&w, "DBEditNormal1")->text(), "Ana");

    auto* stray = new TDBEditNormal(&w);
    stray->setObjectName("DBEditNormal2");
    stray->setProperty("dataField", "Prenume");
    bindControls(&w, {{"", &w.DST}});
    const std::string e = layoutError([&] { checkBindings(&w); });
    EXPECT_NE(e.find("DBEditNormal2"), std::string::npos);
    EXPECT_NE(e.find("Prenume"), std::string::npos);
}

TEST_F(WindowPattern, TablesOpenWithTheAccessErrorAndCloseWithTheWindow) {
    {
        TTestFrm w(nullptr, {.accessError = "Eroare de acces la tabela test!"});
        w.T.setTableName("Lipsa.DB");
        EXPECT_FALSE(w.openTables(&w));
        ASSERT_EQ(Messages::history().size(), 1u);
        EXPECT_TRUE(Messages::lastText().startsWith("Eroare de acces la tabela test!\n"));
        EXPECT_TRUE(Messages::lastText().endsWith("!"));
    }
    // a bound control is destroyed before the table it shows (the sanitizer
    // build sees any use of a freed data set)
    data::Table* seen = nullptr;
    {
        TTestFrm w(nullptr, {});
        bindControls(&w, {{"", &w.DST}});
        ASSERT_TRUE(w.openTables(&w));
        seen = &w.T;
        EXPECT_TRUE(seen->active());
    }
}

TEST_F(WindowPattern, RequiredFieldsRefuseNullEmptyAndBlankText) {
    TTestFrm w(nullptr, {});
    ASSERT_TRUE(w.openTables(&w));
    for (const char* text : {"", "   "}) {
        w.T.edit();
        w.T["Nume"].setAsString(text);
        EXPECT_THROW(DataWindowCore::requireFields(w.T, {"Nume"}, "Completati numele!", &w), data::Abort) << text;
        w.T.cancel();
    }
    w.T.edit();
    w.T["Nume"].clear();
    EXPECT_THROW(DataWindowCore::requireFields(w.T, {"Nume"}, "Completati numele!", &w), data::Abort);
    w.T["Nume"].setAsString(" x ");
    EXPECT_NO_THROW(DataWindowCore::requireFields(w.T, {"Nume"}, "Completati numele!", &w));
    EXPECT_EQ(Messages::history().size(), 3u);
    EXPECT_EQ(Messages::lastText(), "Completati numele!");
}

TEST_F(WindowPattern, ModelessWindowStaysAboveItsOwner) {
    showForm();
    auto* w = new TTestFrm(form.get(), {.modeless = true, .minimizable = true});
    QPointer<TTestFrm> guard(w);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    // transient for the main window: the window manager keeps it above
    ASSERT_NE(w->windowHandle(), nullptr);
    EXPECT_EQ(w->windowHandle()->transientParent(), form->windowHandle());
    EXPECT_TRUE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(w->isModal());
    delete w;
}

TEST_F(WindowPattern, ClosingWithPendingChangesAsksToSaveThem) {
    showForm();
    // a change written into the record, closed by Esc, or text typed and not
    // yet written, closed by the close box: Anuleaza keeps the window and the
    // change, Nu drops it, Da stores it unless the window refuses the post
    const std::tuple<bool, const char*, int, bool, const char*> cases[] = {
        {true, "Bob", Cancel, true, "Ana"},
        {true, "Bob", No, false, "Ana"},
        {false, " ", Yes, true, "Ana"},
        {false, "", Cancel, false, "Ana"},  // "": an untouched new record
        {false, "Bob", Yes, false, "Bob"}};
    for (const auto& [esc, text, choice, open, stored] : cases) {
        TTestFrm w(form.get(), {});
        bindControls(&w, {{"", &w.DST}});
        ASSERT_TRUE(w.openTables(&w));
        w.T.beforePost = [&w](data::DataSet& ds) { DataWindowCore::requireFields(ds, {"Nume"}, "Completati!", &w); };
        w.show();
        QApplication::setActiveWindow(&w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        child<TDBEditNormal>(&w, "DBEditNormal1")->setFocus();
        if (!*text) w.T.insert();
        esc ? (w.T.edit(), w.T["Nume"].setAsString(text)) : type(text);
        answer = choice;
        Messages::clearHistory();
        esc ? key(Qt::Key_Escape) : (void)w.close();
        EXPECT_EQ(messageCount(), *text == ' ' ? 2u : *text ? 1u : 0u);  // with the refusal's message
        if (*text)
            EXPECT_EQ(std::make_pair(Messages::history()[0].text, Messages::history()[0].buttons),
                      std::make_pair(QString("Salvati modificarile?"), Yes | No | Cancel));
        EXPECT_EQ(w.isVisible(), open);
        EXPECT_EQ(w.T.modified(), open);
        w.T.cancel();
        EXPECT_EQ(w.T["Nume"].asString(), stored);
    }
}
