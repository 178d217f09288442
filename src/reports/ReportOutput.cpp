// Output of a report: preview, printing and exports, each on a fresh run.
#include <QApplication>

#include "reports/Preview.h"
#include "reports/Printer.h"
#include "reports/Render.h"
#include "reports/Report.h"

namespace reports {

void showPreview(Report& report, QWidget* parent, const DataTableSource& table) {
    // an empty data set produces no page: there is nothing to show
    auto stream = std::make_unique<PageStream>(report);
    Page first;
    if (!stream->next(first)) return;
    // the first page shows at once, the others are laid out while it shows
    TQRPreview dlg(std::move(stream), std::move(first), report.title, parent ? parent : QApplication::activeWindow());
    dlg.setPrintOptions(report.copies, report.firstPage, report.lastPage);
    dlg.setDataTable(table);
    dlg.exec();
}

void Report::preview(QWidget* parent) { showPreview(*this, parent, {}); }

bool Report::print(QWidget* parent) {
    prepare();
    return printPrepared(prepared_, copies, firstPage, lastPage, parent);
}

bool Report::exportTo(const QString& path, QString* error) {
    prepare();
    return writeReportFile(prepared_, path, error);
}

}  // namespace reports
