// What every report run shares: the status-line texts, the hourglass, the
// error texts, the report defaults, applying the print settings to a report
// and the common run sequence, shown on screen or written to a file.
#pragma once
#include <QString>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/Value.h"
#include "export/DataTable.h"
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

// A report run's defaults: Arial with the default pitch, A4, the orientation
// and, unless nullopt, the font size; the other settings stay.
void SetReportDefaults(std::optional<int> fontSize, Orientation orientation);

// Font, copies, page range, paper, orientation and margins (never below the
// printer's unprintable borders) from PrintSettings into the report.
void TransferPrintSettings(Report& report);
// What a report gives as data (its rows as a table), asked for only when
// saved as a table; unset or nullopt: the report has no table.
using DataTableSource = std::function<std::optional<exports::DataTable>()>;

// TransferPrintSettings, then the modal preview or printing. The preview
// saves `table` as .xlsx, data CSV or an HTML table.
void ApplyPrintSettings(Report& report, QWidget* parent = nullptr, const DataTableSource& table = {});

// Where a run's pages go. Without a file: the print dialog, then the preview
// or the printer. With a file (the command line): no dialog and no window;
// the pages the preview would show are written to the file in the format its
// extension names (.pdf, .html, .txt), or the report's data table (.xlsx,
// .csv, .table.html), through a temporary file that is synced and renamed
// only when complete.
struct ReportOutput {
    QString file;
    std::optional<int> fontSize;  // replaces the run's default size, as a size chosen in the print dialog
    // Told of each page written to a file: the pages so far and the count
    // when the report counts its pages first (otherwise 0).
    std::function<void(int pages, int pageCount)> progress;
    bool toFile() const { return !file.isEmpty(); }
};

// The dates of an interval report.
struct Interval {
    data::Date start, stop;
};

// The title block's unit lines: the texts of `fields` in the unit's record
// (the first row of `unit`), those empty or absent left out.
std::vector<std::string> UnitLines(data::DataSet& unit, std::initializer_list<const char*> fields);
// "Perioada: 01.01.2014 - 31.12.2014"
std::string PeriodLine(const data::Date& start, const data::Date& stop);

// "Nu pot crea fisierul : " path, a line break, "inchideti fisierele aferente
// si repetati operatia!"
QString CannotCreateFileText(const QString& path);
// Whether a report file can be made at `path`: its directory exists and takes
// a new file, and `path` is not a directory. Otherwise `why` says what stops it.
bool CanCreateReportFile(const QString& path, QString* why = nullptr);
// Writes the pages to `path` in the format its extension names: into a
// temporary file beside it, renamed over `path` when complete. A failure
// leaves `path` as it was and no temporary file behind.
bool WriteReportFileSafely(const PreparedReport& report, const QString& path, QString* error = nullptr);
// The report's data table to `path` in the data format its name gives, safely.
bool WriteDataTableSafely(const exports::DataTable& table, exports::Format format, const QString& path,
                          QString* error = nullptr);
// "Acest raport nu se salveaza ca tabel (.xlsx, .csv)!"
extern const QString kNoDataTableText;
// The same for any writer: `write` fills a temporary file beside `path` (of
// the same extension), which is synced and replaces `path` only when `write`
// succeeded.
bool WriteFileSafely(const QString& path, const std::function<bool(const QString& file, QString* error)>& write,
                     QString* error = nullptr);

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
    // The report as data, built from the data it prints (while they are
    // open): its title block, columns, rows and totals. nullopt: the report
    // has no table (it saves as pages only).
    virtual std::optional<exports::DataTable> dataTable() { return std::nullopt; }

private:
    QWidget* owner_;
};

struct ReportRunOptions {
    QString statusText;           // shown before the print dialog
    std::optional<int> fontSize;  // nullopt: the size stays as the user left it
    Orientation orientation = Orientation::Portrait;
    // Asked before anything else (status text, defaults, print dialog): an
    // empty text lets the run go on; any other text refuses the run and is
    // shown in a warning box. A data::EngineError it throws is shown as the
    // access error. Unset: no check.
    std::function<QString(QWidget* owner)> preCheck = {};
    bool emptyDataCheck = false;  // noDataText when hasData() is false once the data are open
    QString noDataText = kNoDataText;
    bool countPages = false;  // count the pages (Report::countPages) before output and keep the count
};

enum class RunResult { Refused, Cancelled, AccessError, NoData, WriteError, Done };

// Runs one report; every printout of the program runs through here:
//   1. `preCheck`, if set: a refusal is shown, the run ends (Refused);
//   2. the status text and the report's defaults in PrintSettings;
//   3. the print dialog; cancel shows " OK." and ends (Cancelled);
//   4. `createForm(owner)` makes the report window, " Listez..." and the
//      hourglass, then openData(); an engine error is shown as the access
//      error and the status line keeps " Listez..." (AccessError);
//   5. with `emptyDataCheck`, hasData() false shows `noDataText` (NoData);
//   6. the print settings into the report (TransferPrintSettings); with
//      `countPages`, one preparation keeping no page sets pageCount, so the
//      count is that of the pages printed;
//   7. ApplyPrintSettings: preview or printing; then closeData(), the report
//      window discarded and " OK." (Done). closeData() runs however the run ends.
//
// With `output.toFile()` the same steps run without step 3 (the settings are
// those a confirmed print dialog leaves, the size `output.fontSize` when
// given), and step 7 writes the file: a report without a page (a table
// without a row) shows `noDataText` (NoData), a file that cannot be written
// the file error, a table asked of a report that has none kNoDataTableText
// (WriteError). Messages go through ui::Messages as always.
//
// A new report is one report window and one function:
//
//     class TRepXFrm : public reports::TReportForm {   // copy RepOPUnt.{h,cpp}
//     public:
//         TRepXFrm(QWidget* owner, ...);  // Rep.loadLayout(kLayout), Rep.setDataSet(&Q, "Q"),
//                                         // onPrint handlers on Rep.item("...")
//         void openData() override;       // set the parameters, open Q and the unit table
//         void closeData() override;      // close them
//         bool hasData() override;        // only with emptyDataCheck
//     private:
//         data::Query Q;
//         data::Table TParohia;
//     };
//
//     // The menu asks for what the report needs; the command line gives it
//     // and a file: one function serves both.
//     reports::RunResult RunX(QWidget* owner, std::optional<reports::Interval> interval,
//                             const reports::ReportOutput& output = {}) {
//         if (!interval) {  // (interval reports) asked for only when not given
//             reports::Interval asked{data::today(), data::today()};
//             if (!reports::SelectInterval(owner, asked.start, asked.stop)) return reports::RunResult::Cancelled;
//             interval = asked;
//         }
//         return reports::RunReport(owner,
//                                   {.statusText = QStringLiteral("Parametrii de listare impliciti: Arial, 8, A4,
//                                   Portret"),
//                                    .fontSize = 8,
//                                    .orientation = reports::Orientation::Portrait,
//                                    .emptyDataCheck = true,
//                                    .countPages = true},
//                                   [&](QWidget* o) { return std::make_unique<TRepXFrm>(o, ...); }, output);
//     }
//
// Every message, status text and cursor change of the run is RunReport's; the
// report adds only its layout, its data and its print handlers.
RunResult RunReport(QWidget* owner, const ReportRunOptions& options,
                    const std::function<std::unique_ptr<TReportForm>(QWidget* owner)>& createForm,
                    const ReportOutput& output = {});

}  // namespace reports
