#include "reports/ReportRun.h"

#include <QApplication>
#include <QScopeGuard>
#include <QWidget>
#include <algorithm>

#include "shell/Messages.h"
#include "data/Errors.h"
#include "reports/PrintSettings.h"
#include "reports/Qprndlg.h"
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

void ApplyPrintSettings(Report& report, QWidget* parent) {
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
    if (s.Preview)
        report.preview(parent);
    else
        report.print(parent);
}

TReportForm::~TReportForm() = default;

RunResult RunReport(QWidget* owner, const ReportRunOptions& options,
                    const std::function<std::unique_ptr<TReportForm>(QWidget*)>& createForm) {
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
    if (!ExecutePrintDialog(owner)) {
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
        if (options.countPages) form->pageCount = form->Rep.countPages();
        ApplyPrintSettings(form->Rep, owner);
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
