// Every window against its layout file; sizes and column widths kept in
// "Configurari.ini", whose own layout survives a write; the builder window.
#include <QDialog>
#include <QDirIterator>
#include <QFile>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScreen>

#include "AppFixture.h"
#include "app/MainFrm.h"
#include "controls/TNormalDBGrid.h"
#include "registers/CalculRegUnt.h"
#include "support/GuiDriver.h"

using app::Command;

namespace {

// Resizable, not smaller than drawn (within the screen), every column in view
// while the screen has room, its grids growing with the window.
void checkFits(QWidget* w) {
    SCOPED_TRACE(w->objectName().toStdString());
    const QSize room = w->screen()->availableGeometry().size();
    EXPECT_NE(w->minimumSize(), w->maximumSize());
    // the layout file of the window's class
    QRegularExpressionMatch drawn;
    for (QDirIterator it(CV_SOURCE_DIR "/src", {"*.ui"}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        QFile f(it.next());
        const QString ui = f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
        if (!ui.contains("<class>" + w->objectName() + "</class>")) continue;
        drawn = QRegularExpression(R"(name="geometry">\s*<rect>.*?<width>(\d+)</width>\s*<height>(\d+)<)",
                                   QRegularExpression::DotMatchesEverythingOption)
                    .match(ui);
    }
    if (drawn.hasMatch()) {
        EXPECT_GE(w->minimumWidth(), std::min(drawn.captured(1).toInt(), room.width()));
        EXPECT_GE(w->minimumHeight(), std::min(drawn.captured(2).toInt(), room.height()));
    }
    const auto grids = w->findChildren<ui::TNormalDBGrid*>();
    std::vector<QSize> before;
    for (auto* g : grids) {
        int columns = 0;
        for (int c = 0; c < g->columnCount(); ++c) columns += g->isColumnHidden(c) ? 0 : g->columnWidth(c);
        if (g->isVisible() && w->width() < room.width()) EXPECT_GE(g->viewport()->width(), columns);
        before.push_back(g->size());
    }
    w->resize(w->size() + QSize(150, 100));
    gui::settle();
    for (size_t i = 0; i < grids.size(); ++i)
        if (grids[i]->isVisible())  // not on another tab
            EXPECT_TRUE(grids[i]->width() > before[i].width() && grids[i]->height() > before[i].height());
}

class WindowFitTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        install();
    }
};

}  // namespace

TEST_F(WindowFitTest, EveryWindowOpensAtItsLayoutAndItsGridsGrowWithIt) {
    app::TMainFrm frm;
    frm.show();
    for (Command c : {Command::Venituri, Command::Cheltuieli, Command::Depuneri, Command::Ridicari, Command::Documente,
                      Command::TipuriVenit, Command::Enoriasi, Command::ConfigurareBilant, Command::PangarIntrari}) {
        frm.runCommand(c);
        gui::settle();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != &frm && w->isVisible() && w->objectName().startsWith('T')) checkFits(w), w->close();
        gui::settle();
    }
    for (Command c : {Command::DateleUnitatii, Command::ParametriAplicatiei, Command::FisaEnoriasului, Command::Stocuri,
                      Command::Bilant, Command::BilantCentralizat, Command::RegistruCasa}) {
        QWidget* seen = nullptr;
        gui::onModal([&](QWidget* w) { checkFits(seen = w), static_cast<QDialog*>(w)->reject(); });
        frm.runCommand(c);
        EXPECT_NE(seen, nullptr);
    }
}

TEST_F(WindowFitTest, SizeAndColumnWidthsComeBackThroughTheSettingsFile) {
    app::TMainFrm frm;
    frm.show();
    QSize size;
    for (int run = 0; run < 2; ++run) {
        gui::onModal([&](QWidget* w) {
            auto* grid = gui::control<ui::TNormalDBGrid>(w, "DBGridNormal1");
            if (run == 0) {
                grid->setColumnWidth(3, 123);
                w->resize((w->minimumSize() + QSize(20, 10)).boundedTo(w->screen()->availableGeometry().size()));
                size = w->size();
            }
            EXPECT_EQ(w->size(), size);
            EXPECT_EQ(grid->columnWidth(3), 123);
            static_cast<QDialog*>(w)->reject();
        });
        frm.runCommand(Command::Stocuri);
        const std::string line = "[Ferestre]\nTStocFrm/Stoc.db=" + std::to_string(size.width()) + "x" +
                                 std::to_string(size.height()) + "\nTStocFrm/Stoc.db.DBGridNormal1=";
        EXPECT_NE(readFile(db.file("Configurari.ini")).find(line), std::string::npos);
    }
}

TEST_F(WindowFitTest, TheSettingsFileKeepsItsOwnLayout) {
    const std::string path = db.file("Configurari.ini");
    const std::string head =
        "; Corvalinde\r\n[Retea]\r\nProxy = gazda:8080\r\n\r\n[Options]\r\n; comentariu\r\n"
        "Check for new version = 1\r\nBackup BD zilnic=";
    const std::string tail =
        "\r\nCheie necunoscuta=x\r\nZile pastrare copii=30\r\nAfisare pe ecran=0\r\n"
        "Fisa enoriasului si pangar=0\r\n\r\n[Altele]\r\nA=b";
    writeFile(path, head + "1" + tail);
    app::switches().backup = false;
    app::writeSettings(path);
    EXPECT_EQ(readFile(path), head + "0" + tail);  // only the changed line differs
    // a new key after its section's last, a new section at the end, no blank line added
    app::writeSettingValues(path, "Altele", {{"C", "d"}});
    app::writeSettingValues(path, "Ferestre", {{"TStocFrm/Stoc.db", "900x500"}});
    EXPECT_EQ(readFile(path), head + "0" + tail + "\r\nC=d\r\n[Ferestre]\r\nTStocFrm/Stoc.db=900x500\r\n");
    EXPECT_EQ(app::readSettingValue(path, "Ferestre", "TStocFrm/Stoc.db"), "900x500");
}

TEST_F(WindowFitTest, TheBuilderWindowPaintsAsItsBarAdvances) {
    struct Watch : QObject {
        std::vector<int> values;
        int paints = 0;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (qobject_cast<registers::TCalcRegFrm*>(o) && e->type() == QEvent::Show)
                connect(o->findChild<QProgressBar*>("PBar"), &QProgressBar::valueChanged,
                        [this](int v) { values.push_back(v); });
            paints += qobject_cast<registers::TCalcRegFrm*>(o) && e->type() == QEvent::Paint;
            return false;
        }
    } watch;
    QWidget owner;
    qApp->installEventFilter(&watch);
    EXPECT_TRUE(registers::RunCalcRegistru(&owner));
    qApp->removeEventFilter(&watch);
    EXPECT_TRUE(watch.values.size() >= 5 && std::is_sorted(watch.values.begin(), watch.values.end()));
    EXPECT_GE(watch.paints, static_cast<int>(watch.values.size()));  // the window painted at every step
}
