// The manual: F1 opens it at the focused window's section, the window map and
// the pages' links point at anchors that exist, the search finds pages.
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include "AppFixture.h"
#include "app/AjutorUnt.h"
#include "app/HelpTopics.h"
#include "app/MainFrm.h"
#include "shell/WindowSlots.h"
#include "support/GuiDriver.h"

using namespace app;

namespace {

QString pageText(const QString& file) {
    QFile f(manualDirectory() + "/" + file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// "page.html#anchor" names a page of the manual holding that anchor.
bool placeExists(const QString& place) {
    const QStringList parts = place.split('#');
    const QString text = pageText(parts[0]);
    if (text.isEmpty()) return false;
    return parts.size() == 1 || text.contains(QStringLiteral("id=\"%1\"").arg(parts[1])) ||
           text.contains(QStringLiteral("name=\"%1\"").arg(parts[1]));
}

// The window a command opened: the visible one that is neither the main window nor the manual.
QWidget* openedWindow(QWidget* main) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != main && w->isVisible() && !qobject_cast<TAjutorFrm*>(w) && w->windowType() != Qt::Popup) return w;
    return main;
}

}  // namespace

TEST_F(AppFixture, F1OpensTheManualAtTheFocusedWindowsSection) {
    install();
    TMainFrm frm;
    gui::showActive(&frm);
    struct Case {
        std::optional<Command> open;  // the window F1 is pressed in; none: the main window itself
        const char* place;
    } cases[] = {{std::nullopt, "primii-pasi.html#fereastra-principala"},
                 {Command::Venituri, "documente.html#incasari"},
                 {Command::Ridicari, "documente.html#ridicari"},
                 {Command::Documente, "corectii.html#lista-documentelor"}};
    for (const Case& c : cases) {
        if (c.open) frm.runCommand(*c.open);
        QWidget* window = openedWindow(&frm);
        gui::reactivate(window);
        gui::keyIn(window, Qt::Key_F1);
        auto* manual = shell::openWindow<TAjutorFrm>();
        ASSERT_NE(manual, nullptr) << c.place;
        EXPECT_EQ(manual->currentPlace(), QString::fromLatin1(c.place));
        manual->close();
        if (window != &frm) window->close();
        gui::settle();
    }
    // under a modal dialog the manual opens as a window of the dialog, so it can be read there
    QString place;
    QWidget* parent = nullptr;
    gui::onModal([&](QWidget* dlg) {
        gui::keyIn(dlg, Qt::Key_F1);
        if (auto* m = shell::openWindow<TAjutorFrm>()) {
            place = m->currentPlace();
            parent = m->parentWidget();
        }
        parent = parent == dlg ? dlg : nullptr;
        static_cast<QDialog*>(dlg)->reject();
    });
    frm.runCommand(Command::DateleUnitatii);
    EXPECT_EQ(place, "primii-pasi.html#datele-unitatii");
    EXPECT_NE(parent, nullptr);
}

TEST(Manual, WindowsAndLinksPointAtAnchorsThatExist) {
    ASSERT_FALSE(manualDirectory().isEmpty());
    for (const HelpTopic& t : helpTopics()) EXPECT_TRUE(placeExists(QString::fromLatin1(t.place))) << t.name;
    const QStringList pages = QDir(manualDirectory()).entryList({"*.html"}, QDir::Files);
    EXPECT_GE(pages.size(), 10);
    static const QRegularExpression ref(QStringLiteral("(?:href|src)=\"([^\"]+)\""));
    for (const QString& page : pages) {
        for (auto it = ref.globalMatch(pageText(page)); it.hasNext();) {
            QString target = it.next().captured(1);
            if (target.startsWith("http")) continue;
            if (target.startsWith('#')) target = page + target;
            if (target.endsWith(".png"))
                EXPECT_TRUE(QFile::exists(manualDirectory() + "/" + target))
                    << page.toStdString() << " " << target.toStdString();
            else
                EXPECT_TRUE(placeExists(target)) << page.toStdString() << " -> " << target.toStdString();
        }
    }
}

TEST(Manual, SearchFindsPagesByWordsWhateverTheirCaseAndDiacritics) {
    TAjutorFrm w(nullptr, manualDirectory());
    EXPECT_EQ(w.search(""), w.pages());
    EXPECT_TRUE(w.search("chitanta").contains("documente.html"));
    EXPECT_TRUE(w.search("ÎNCASĂRI Ctrl+V").contains("documente.html"));
    EXPECT_TRUE(w.search("--verify-journal").contains("linie-comanda.html"));
    EXPECT_EQ(w.search("chitanta xyzzyq"), QStringList{});
}
