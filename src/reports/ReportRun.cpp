#include "reports/ReportRun.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <QWidget>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "shell/Messages.h"
#include "data/Errors.h"
#include "export/SafeFile.h"
#include "reports/PrintSettings.h"
#include "reports/Preview.h"
#include "reports/Qprndlg.h"
#include "reports/Render.h"
#include "reports/Workmsg.h"

namespace reports {

WaitCursor::WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

WaitCursor::~WaitCursor() { restore(); }

void WaitCursor::restore() {
    if (!active_) return;
    active_ = false;
    QApplication::restoreOverrideCursor();
}

QString AccessErrorText(const QString& access, const std::string& engineMessage) {
    return access + QLatin1Char('\n') + QLatin1Char('<') + QString::fromStdString(engineMessage) + QStringLiteral(">!");
}

void ShowAccessError(const std::string& engineMessage, QWidget* parent, const QString& access) {
    ui::Messages::error(AccessErrorText(access, engineMessage), parent);
}

void SetReportDefaults(std::optional<int> fontSize, Orientation orientation) {
    PrintSettings.FontName = QStringLiteral("Arial");
    PrintSettings.FontPitch = Pitch::Default;
    PrintSettings.PaperSize = 9;
    PrintSettings.Orientation = orientation;
    if (fontSize) PrintSettings.FontSize = *fontSize;
}

void TransferPrintSettings(Report& report) {
    const TPrintSettings& s = PrintSettings;
    if (!s.FontName.isEmpty()) report.font.family = s.FontName;
    report.font.size = s.FontSize;
    report.font.pitch = s.FontPitch;
    report.copies = s.Copies;
    report.firstPage = s.FirstPage;
    report.lastPage = s.LastPage;
    if (report.paperSize != s.PaperSize) report.paperSize = s.PaperSize;
    if (report.orientation != s.Orientation) report.orientation = s.Orientation;
    report.leftMargin = std::max(s.LeftMargin, s.MinLeft);
    report.topMargin = std::max(s.TopMargin, s.MinTop);
    report.rightMargin = std::max(s.RightMargin, s.MinRight);
    report.bottomMargin = std::max(s.BottomMargin, s.MinBottom);
}

void ApplyPrintSettings(Report& report, QWidget* parent, const DataTableSource& table) {
    TransferPrintSettings(report);
    if (PrintSettings.Preview)
        showPreview(report, parent, table);
    else
        report.print(parent);
}

QString CannotCreateFileText(const QString& path) {
    return QStringLiteral("Nu pot crea fisierul : %1\ninchideti fisierele aferente si repetati operatia!").arg(path);
}

namespace {

// A unique name beside `path` keeping its extension, so the export chooses
// the same format; created empty (and thereby reserved).
bool reserveTemporary(const QString& path, QString& temporary, QString* why) {
    const QFileInfo target(path);
    const QString suffix = target.suffix().isEmpty() ? QString() : QLatin1Char('.') + target.suffix();
    QTemporaryFile file(target.absoluteDir().filePath(QLatin1Char('.') + target.completeBaseName() +
                                                      QStringLiteral(".XXXXXX") + suffix));
    file.setAutoRemove(false);
    if (!file.open()) {
        if (why) *why = file.errorString();
        return false;
    }
    temporary = file.fileName();
    return true;
}

}  // namespace

bool CanCreateReportFile(const QString& path, QString* why) {
    const QFileInfo target(path);
    if (path.isEmpty()) {
        if (why) *why = QStringLiteral("lipseste numele fisierului");
        return false;
    }
    if (target.isDir()) {
        if (why) *why = QStringLiteral("este un director");
        return false;
    }
    if (!target.absoluteDir().exists()) {
        if (why) *why = QStringLiteral("directorul nu exista");
        return false;
    }
    if (target.exists() && !target.isFile()) {
        if (why) *why = QStringLiteral("nu este un fisier obisnuit");
        return false;
    }
    QString temporary;
    if (!reserveTemporary(path, temporary, why)) return false;
    QFile::remove(temporary);
    return true;
}

bool WriteReportFileSafely(const PreparedReport& report, const QString& path, QString* error) {
    return WriteFileSafely(
        path, [&report](const QString& file, QString* why) { return writeReportFile(report, file, why); }, error);
}

bool WriteFileSafely(const QString& path, const std::function<bool(const QString& file, QString* error)>& write,
                     QString* error) {
    std::string why;
    const bool ok = exports::writeFileSafely(
        QFile::encodeName(path).toStdString(),
        [&write, error](const std::string& temporary, std::string* e) {
            QString failure;
            if (write(QFile::decodeName(temporary.c_str()), &failure)) return true;
            *e = failure.toStdString();
            return false;
        },
        &why);
    if (!ok && error) *error = QString::fromStdString(why);
    return ok;
}

const QString kNoDataTableText = QStringLiteral("Acest raport nu se salveaza ca tabel (.xlsx, .csv)!");

bool WriteDataTableSafely(const exports::DataTable& table, exports::Format format, const QString& path,
                          QString* error) {
    return WriteFileSafely(
        path,
        [&](const QString& file, QString* why) {
            std::string e;
            if (exports::writeTable(table, format, QFile::encodeName(file).toStdString(), &e)) return true;
            if (why) *why = QString::fromStdString(e);
            return false;
        },
        error);
}

std::vector<std::string> UnitLines(data::DataSet& unit, std::initializer_list<const char*> fields) {
    std::vector<std::string> lines;
    if (!unit.active() || unit.isEmpty()) return lines;
    unit.first();
    for (const char* f : fields) {
        const data::Field* field = unit.findField(f);
        if (!field || field->isNull()) continue;
        std::string text = field->asString();
        if (text.find_first_not_of(' ') != std::string::npos) lines.push_back(std::move(text));
    }
    return lines;
}

std::string PeriodLine(const data::Date& start, const data::Date& stop) {
    return "Perioada: " + exports::dayText(start) + " - " + exports::dayText(stop);
}

TReportForm::~TReportForm() = default;

RunResult RunReport(QWidget* owner, const ReportRunOptions& options,
                    const std::function<std::unique_ptr<TReportForm>(QWidget*)>& createForm,
                    const ReportOutput& output) {
    if (options.preCheck) {
        QString refusal;
        try {
            refusal = options.preCheck(owner);
        } catch (const data::EngineError& e) {
            ShowAccessError(e.what(), owner);
            return RunResult::AccessError;
        }
        if (!refusal.isEmpty()) {
            ui::Messages::warning(refusal, owner);
            return RunResult::Refused;
        }
    }
    ui::StatusMessage(options.statusText);
    SetReportDefaults(options.fontSize, options.orientation);
    if (output.toFile()) {
        if (output.fontSize) PrintSettings.FontSize = *output.fontSize;
    } else if (!ExecutePrintDialog(owner)) {
        ui::StatusMessage(kStatusOk);
        return RunResult::Cancelled;
    }
    std::unique_ptr<TReportForm> form = createForm(owner);
    // the report's data are closed however the run ends
    auto closeData = qScopeGuard([&form] {
        try {
            form->closeData();
        } catch (...) {
        }
    });
    if (owner) owner->repaint();
    ui::StatusMessage(kStatusListing);
    WaitCursor wait;
    try {
        form->openData();
    } catch (const data::EngineError& e) {
        wait.restore();
        ShowAccessError(e.what(), owner, form->accessErrorText());
        return RunResult::AccessError;
    }
    if (options.emptyDataCheck && !form->hasData()) {
        wait.restore();
        ui::Messages::error(options.noDataText, owner);
        return RunResult::NoData;
    }
    wait.restore();
    try {
        // the pages are counted with the font, paper and margins they print with
        TransferPrintSettings(form->Rep);
        const std::optional<exports::Format> dataFormat =
            output.toFile() ? exports::dataFormatForPath(QFile::encodeName(output.file).toStdString()) : std::nullopt;
        if (options.countPages && !dataFormat) form->pageCount = form->Rep.countPages();
        if (!output.toFile()) {
            TReportForm* f = form.get();
            ApplyPrintSettings(form->Rep, owner, [f] { return f->dataTable(); });
        } else if (dataFormat) {
            const std::optional<exports::DataTable> table = form->dataTable();
            if (!table) {
                ui::Messages::error(kNoDataTableText, owner);
                return RunResult::WriteError;
            }
            if (table->rows.empty()) {
                ui::Messages::error(options.noDataText, owner);
                return RunResult::NoData;
            }
            if (!WriteDataTableSafely(*table, *dataFormat, output.file)) {
                ui::Messages::error(CannotCreateFileText(output.file), owner);
                return RunResult::WriteError;
            }
        } else if (formatForPath(output.file) == FileFormat::Saved) {
            // the preview shows nothing for a report without a page: no file either
            if (form->Rep.prepare() == 0) {
                ui::Messages::error(options.noDataText, owner);
                return RunResult::NoData;
            }
            QString error;
            if (!WriteReportFileSafely(form->Rep.prepared(), output.file, &error)) {
                ui::Messages::error(CannotCreateFileText(output.file), owner);
                return RunResult::WriteError;
            }
        } else {
            // each page written as soon as it is laid out, none kept
            int pages = 0;
            const int count = form->pageCount;
            const bool written = WriteFileSafely(output.file, [&](const QString& file, QString* why) {
                std::unique_ptr<PageWriter> writer = openPageWriter(file, form->Rep.title, why);
                if (!writer) return false;
                PageStream stream(form->Rep);
                Page page;
                while (stream.next(page)) {
                    writer->write(page);
                    ++pages;
                    if (output.progress) output.progress(pages, count);
                }
                // the preview shows nothing for a report without a page: no file either
                return pages > 0 && writer->finish(why);
            });
            if (pages == 0) {
                ui::Messages::error(options.noDataText, owner);
                return RunResult::NoData;
            }
            if (!written) {
                ui::Messages::error(CannotCreateFileText(output.file), owner);
                return RunResult::WriteError;
            }
        }
    } catch (const data::EngineError& e) {
        ShowAccessError(e.what(), owner, form->accessErrorText());
        return RunResult::AccessError;
    }
    closeData.dismiss();
    form->closeData();
    form.reset();
    ui::StatusMessage(kStatusOk);
    return RunResult::Done;
}

}  // namespace reports
