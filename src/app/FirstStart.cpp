#include "app/FirstStart.h"

#include <QApplication>
#include <QFileDialog>
#include <exception>

#include "catalogs/FirmDataDlg.h"
#include "data/AppDir.h"
#include "data/Errors.h"
#include "data/Install.h"
#include "import/ImportParadox.h"
#include "shell/Messages.h"

namespace app {

namespace {

QString text(const std::string& s) { return QString::fromStdString(s); }

// An import's summary is long: the box shows its first lines.
QString shortened(const std::string& summary) {
    QStringList lines = text(summary).split(QLatin1Char('\n'));
    if (lines.size() > 30) {
        lines = lines.mid(0, 30);
        lines << QStringLiteral("...");
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

bool holdsInstallation(const std::string& dir) {
    try {
        data::refuseExistingInstallation(dir);
        return false;
    } catch (const data::EngineError&) {
        return true;
    }
}

QString firstStartQuestion(const std::string& dir) {
    return QStringLiteral(
               "Nu exista inca o baza de date. Datele programului se pastreaza in directorul:\n%1\n\n"
               "Creati o instalare noua?\n"
               "  Da - o instalare noua, cu tabelele goale\n"
               "  Nu - importul tabelelor unei instalari mai vechi (tabele Paradox)\n"
               "  Anuleaza - iesire din program")
        .arg(text(dir));
}

std::string chooseOlderInstallation(QWidget* parent) {
    return QFileDialog::getExistingDirectory(parent, QStringLiteral("Directorul instalarii mai vechi")).toStdString();
}

bool offerInstallation(const std::string& dir, QWidget* parent, const SourceChooser& chooseSource) {
    if (holdsInstallation(dir)) return true;
    for (;;) {
        const int answer = ui::Messages::show(ui::MsgType::Confirmation, firstStartQuestion(dir),
                                              ui::Yes | ui::No | ui::Cancel, parent, ui::Yes);
        if (answer == ui::Cancel) return false;
        try {
            if (answer == ui::Yes) {
                data::createInstallation(dir);
                ui::Messages::information(
                    QStringLiteral("S-a creat o instalare noua in directorul:\n%1").arg(text(dir)), parent);
                // the unit's kind decides the captions of every printout
                if (data::AppDir() == dir) catalogs::AskUnitData(parent);
                return true;
            }
            const std::string source = chooseSource(parent);
            if (source.empty()) continue;
            QApplication::setOverrideCursor(Qt::WaitCursor);
            paradox::ImportSummary summary;
            try {
                summary = paradox::importParadox(source, dir);
            } catch (...) {
                QApplication::restoreOverrideCursor();
                throw;
            }
            QApplication::restoreOverrideCursor();
            ui::Messages::information(QStringLiteral("Instalarea din %1 a fost importata in directorul:\n%2\n\n%3")
                                          .arg(text(source), text(dir), shortened(paradox::summaryText(summary))),
                                      parent);
            return true;
        } catch (const std::exception& e) {
            ui::Messages::error(QStringLiteral("Instalarea nu a fost creata in %1:\n%2").arg(text(dir), text(e.what())),
                                parent);
        }
    }
}

}  // namespace app
