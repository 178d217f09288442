// Output of a report: preview, printing and exports, each on a fresh run.
#include <QApplication>

#include "reports/Preview.h"
#include "reports/Printer.h"
#include "reports/Render.h"
#include "reports/Report.h"

namespace reports {

void Report::preview(QWidget* parent) {
    // an empty data set produces no page: there is nothing to show
    if (prepare() == 0) return;
    TQRPreview dlg(prepared_, parent ? parent : QApplication::activeWindow());
    dlg.setPrintOptions(copies, firstPage, lastPage);
    dlg.exec();
}

bool Report::print(QWidget* parent) {
    prepare();
    return printPrepared(prepared_, copies, firstPage, lastPage, parent);
}

bool Report::exportTo(const QString& path, QString* error) {
    prepare();
    return writeReportFile(prepared_, path, error);
}

}  // namespace reports
