// Drawing the page model with QPainter (screen, printer, PDF) and the
// exports of a prepared report.
#pragma once
#include <QString>

#include "reports/PageModel.h"

class QPainter;

namespace reports {

// Draws `page` with its top-left corner at the painter's origin, at
// `pixelsPerMm` device pixels per millimetre.
void paintPage(QPainter& painter, const Page& page, double pixelsPerMm);

// Page range helpers: 0 stands for the first / last page.
struct PageRange {
    int first = 1, last = 0;  // 1-based, inclusive
};
PageRange clampRange(int pageCount, int first, int last);

bool exportPdf(const PreparedReport& report, const QString& path, int firstPage = 0, int lastPage = 0,
               QString* error = nullptr);
// Text lines laid out on a character grid, pages separated by a form feed.
QString exportPlainText(const PreparedReport& report);
// One row per printed line, its texts left to right as fields.
QString exportCsv(const PreparedReport& report);
// Every page as a block of absolutely positioned texts and rules.
QString exportHtml(const PreparedReport& report);

enum class FileFormat { Saved, Pdf, Text, Csv, Html };
// By extension: .qrp (saved report), .pdf, .txt, .csv, .htm/.html; other
// extensions: the saved-report format.
FileFormat formatForPath(const QString& path);
bool writeReportFile(const PreparedReport& report, const QString& path, QString* error = nullptr);

}  // namespace reports
