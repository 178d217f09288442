// Drawing the page model with QPainter (screen, printer, PDF) and the
// exports of a prepared report.
#pragma once
#include <QString>
#include <memory>

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
// Every page as a block of absolutely positioned texts and rules.
QString exportHtml(const PreparedReport& report);

enum class FileFormat { Saved, Pdf, Text, Html };
// By extension: .qrp (saved report), .pdf, .txt, .htm/.html; other
// extensions: the saved-report format.
FileFormat formatForPath(const QString& path);
bool writeReportFile(const PreparedReport& report, const QString& path, QString* error = nullptr);

// A PDF, text or HTML file written a page at a time, as the pages are laid
// out: what it holds is what the whole-report writers above write for the
// same pages.
class PageWriter {
public:
    virtual ~PageWriter();
    virtual void write(const Page& page) = 0;
    // Completes the file; false (and `error`) when it could not be written.
    virtual bool finish(QString* error) = 0;
};
// The writer for `path`'s page format; nullptr (and `error`) when the file
// cannot be created or the name is of the saved-report format.
std::unique_ptr<PageWriter> openPageWriter(const QString& path, const QString& title, QString* error = nullptr);

}  // namespace reports
