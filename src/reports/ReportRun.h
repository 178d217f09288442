// What every report run shares: the status-line texts, the hourglass, the
// error texts, the report defaults, applying the print settings to a report
// and the common run sequence.
#pragma once
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "reports/Report.h"
#include "shell/StatusLine.h"

class QWidget;

namespace reports {

inline const QString kStatusListing = QStringLiteral(" Listez...");
inline const QString kStatusOk = QStringLiteral(" OK.");
inline const QString kNoDataText = QStringLiteral("Nu exista date in aceasta perioada!");
inline const QString kDatabaseAccessError = QStringLiteral("Eroare de acces la baza de date!");

// The hourglass cursor until restore() or the end of the scope.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    void restore();

private:
    bool active_ = true;
};

// access + line break + "<" + engine message + ">!"
QString AccessErrorText(const QString& access, const std::string& engineMessage);
void ShowAccessError(const std::string& engineMessage, QWidget* parent = nullptr,
                     const QString& access = kDatabaseAccessError);
void ShowNoData(QWidget* parent = nullptr);

// A report run's defaults: Arial with the default pitch, A4, the orientation
// and, unless nullopt, the font size; the other settings stay.
void SetReportDefaults(std::optional<int> fontSize, Orientation orientation);

// Font, copies, page range, paper, orientation and margins (never below the
// printer's unprintable borders) from PrintSettings into the report; then the
// modal preview or printing.
void ApplyPrintSettings(Report& report, QWidget* parent = nullptr);

// A report window: created for one run, holding the report `Rep` and its data.
class TReportForm {
public:
    explicit TReportForm(QWidget* owner) : owner_(owner) {}
    virtual ~TReportForm();
    QWidget* owner() const { return owner_; }

    Report Rep;
    int pageCount = 0;  // of the preparation made before output, when counted

    // Opens the report's data; a data::EngineError becomes the access error.
    virtual void openData() = 0;
    // For runs with the empty-data check: whether there is anything to print.
    virtual bool hasData() { return true; }
    virtual void closeData() {}
    virtual QString accessErrorText() const { return kDatabaseAccessError; }

private:
    QWidget* owner_;
};

struct ReportRunOptions {
    QString statusText;            // shown before the print dialog
    std::optional<int> fontSize;   // nullopt: the size stays as the user left it
    Orientation orientation = Orientation::Portrait;
    bool emptyDataCheck = false;   // "Nu exista date in aceasta perioada!" when hasData() is false
    bool countPages = false;       // prepare once before output and keep the page count
};

enum class RunResult { Cancelled, AccessError, NoData, Done };

// The common sequence from the status text on: defaults, print dialog (cancel:
// " OK."), the report window, " Listez..." with the hourglass, its data, the
// empty-data check, the page count, ApplyPrintSettings, closing and " OK.".
RunResult RunReport(QWidget* owner, const ReportRunOptions& options,
                    const std::function<std::unique_ptr<TReportForm>(QWidget* owner)>& createForm);

}  // namespace reports
