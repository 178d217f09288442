// The toolkit's own dialogs show Romanian texts.
#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "app/QtTexts.h"
#include "support/GuiDriver.h"

namespace {

// Every text a user reads in `w`: its title, labels, buttons, group boxes,
// tabs and tooltips, in a fixed order.
QStringList shownTexts(QWidget* w) {
    QStringList t{w->windowTitle()};
    for (QWidget* c : w->findChildren<QWidget*>()) {
        if (auto* l = qobject_cast<QLabel*>(c)) t << l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(c)) t << b->text();
        if (auto* g = qobject_cast<QGroupBox*>(c)) t << g->title();
        if (auto* tabs = qobject_cast<QTabWidget*>(c))
            for (int i = 0; i < tabs->count(); ++i) t << tabs->tabText(i);
        t << c->toolTip();
    }
    return t;
}

// The texts of a dialog made by `make`, with our texts and with Qt's own.
struct Compared {
    QStringList english, romanian;
};
Compared compare(const std::function<std::unique_ptr<QWidget>()>& make) {
    Compared c;
    c.romanian = shownTexts(make().get());
    QCoreApplication::removeTranslator(&app::qtTexts());
    c.english = shownTexts(make().get());
    app::installQtTexts();
    return c;
}

// Texts that read the same in both languages.
bool international(const QString& s) {
    static const QStringList same = {"OK", "...", "Color", "A4", "mm"};
    return s.trimmed().isEmpty() || same.contains(s) || !s.contains(QRegularExpression("[A-Za-z]{2}"));
}

}  // namespace

class QtTextsTest : public ::testing::Test {
protected:
    void SetUp() override {
        app::installQtTexts();
        app::installQtTexts();  // a second call changes nothing
    }
};

TEST_F(QtTextsTest, FileDialogSpeaksRomanian) {
    QFileDialog d(nullptr, QStringLiteral("Salveaza raportul"));
    d.setOption(QFileDialog::DontUseNativeDialog);
    d.setAcceptMode(QFileDialog::AcceptSave);
    auto* box = d.findChild<QDialogButtonBox*>("buttonBox");
    ASSERT_NE(box, nullptr);
    QStringList buttons;
    for (QAbstractButton* b : box->buttons()) buttons << b->text();
    EXPECT_TRUE(buttons.contains("&Salveaza")) << buttons.join("|").toStdString();
    EXPECT_TRUE(buttons.contains("Renunta")) << buttons.join("|").toStdString();
    EXPECT_EQ(d.findChild<QLabel*>("fileNameLabel")->text(), QStringLiteral("&Nume fisier:"));
    EXPECT_EQ(d.findChild<QLabel*>("lookInLabel")->text(), QStringLiteral("Cauta in:"));
    EXPECT_EQ(d.findChild<QLabel*>("fileTypeLabel")->text(), QStringLiteral("Fisiere de tipul:"));
    d.setAcceptMode(QFileDialog::AcceptOpen);
    buttons.clear();
    for (QAbstractButton* b : box->buttons()) buttons << b->text();
    EXPECT_TRUE(buttons.contains("&Deschide")) << buttons.join("|").toStdString();
}

TEST_F(QtTextsTest, MessageBoxButtonsAreRomanian) {
    QMessageBox box(QMessageBox::Question, "Confirmare", "Text",
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Save |
                        QMessageBox::Close);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Da"));
    EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("&Nu"));
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("OK"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Renunta"));
    EXPECT_EQ(box.button(QMessageBox::Save)->text(), QStringLiteral("Salveaza"));
    EXPECT_EQ(box.button(QMessageBox::Close)->text(), QStringLiteral("Inchide"));
    QInputDialog input;
    input.setLabelText("Valoare:");
    input.show();  // the buttons are made when the box is first shown
    QStringList buttons;
    for (QPushButton* b : input.findChildren<QPushButton*>()) buttons << b->text();
    EXPECT_TRUE(buttons.contains("OK"));
    EXPECT_TRUE(buttons.contains("Renunta")) << buttons.join("|").toStdString();
}

TEST_F(QtTextsTest, PrintDialogsSpeakRomanian) {
    QPrinter printer;
    QPrintDialog print(&printer);
    EXPECT_EQ(print.windowTitle(), QStringLiteral("Tiparire"));
    QStringList buttons;
    for (QPushButton* b : print.findChildren<QPushButton*>()) buttons << b->text();
    EXPECT_TRUE(buttons.contains("&Tipareste")) << buttons.join("|").toStdString();
    EXPECT_TRUE(buttons.contains("Renunta")) << buttons.join("|").toStdString();
    QPageSetupDialog setup(&printer);
    EXPECT_EQ(setup.windowTitle(), QStringLiteral("Configurare pagina"));
}

// Nothing a user reads in these dialogs is left in English.
TEST_F(QtTextsTest, NoEnglishIsLeftInTheStandardDialogs) {
    QPrinter printer;
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<QWidget>()>>> dialogs = {
        {"file save",
         [] {
             auto d = std::make_unique<QFileDialog>();
             d->setOption(QFileDialog::DontUseNativeDialog);
             d->setAcceptMode(QFileDialog::AcceptSave);
             return std::unique_ptr<QWidget>(std::move(d));
         }},
        {"print", [&] { return std::unique_ptr<QWidget>(std::make_unique<QPrintDialog>(&printer)); }},
        {"page setup", [&] { return std::unique_ptr<QWidget>(std::make_unique<QPageSetupDialog>(&printer)); }},
        {"message box",
         [] {
             return std::unique_ptr<QWidget>(std::make_unique<QMessageBox>(
                 QMessageBox::Warning, QString(), QString(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel));
         }},
        {"edit menu",
         [] {
             auto holder = std::make_unique<QWidget>();
             auto* edit = new QLineEdit(holder.get());
             QMenu* menu = edit->createStandardContextMenu();
             menu->setParent(holder.get());
             for (QAction* a : menu->actions()) {
                 if (a->isSeparator()) continue;
                 auto* l = new QLabel(a->text(), holder.get());
                 l->setObjectName(a->text());
             }
             return holder;
         }},
    };
    for (const auto& [what, make] : dialogs) {
        SCOPED_TRACE(what);
        const Compared c = compare(make);
        ASSERT_EQ(c.english.size(), c.romanian.size());
        int translated = 0;
        for (int i = 0; i < c.english.size(); ++i) {
            if (international(c.english[i])) continue;
            EXPECT_NE(c.romanian[i], c.english[i]) << "left in English: " << c.english[i].toStdString();
            ++translated;
        }
        EXPECT_GT(translated, 0);
    }
}
