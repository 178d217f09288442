#include "reports/PrintSettings.h"

#include <QPageSize>
#include <cmath>

#include "reports/Printer.h"
#include "reports/Report.h"

namespace reports {

TPrintSettings PrintSettings;

void ResetPrintSettings() { PrintSettings = TPrintSettings{}; }

int PaperCodeOf(int n) {
    if (n >= 1 && n <= 23) return n;
    switch (n) {
        case 24: return 39;
        case 25: return 40;
        case 26: return 41;
        case 27: return 265;
        case 28: return 263;
        case 29: return 269;
        case 30: return 375;
        case 31: return 26;
        case 32: return 256;
        default: return 0;
    }
}

int PaperNumberOf(int code) {
    for (int n = 0; n <= kMaxPaperSizeNumber; ++n)
        if (PaperCodeOf(n) == code) return n;
    return 0;
}

QSizeF paperCodeSizeMm(int code) {
    QPageSize::PageSizeId id = code > 0 ? QPageSize::id(code) : QPageSize::A4;
    if (id == QPageSize::Custom) id = QPageSize::A4;
    return QPageSize(id).size(QPageSize::Millimeter);
}

QSizeF paperSizeMm(int number, Orientation orientation) {
    int code = PaperCodeOf(number);
    if (number == 0) code = currentPrinter().paperCode();
    QSizeF s = paperCodeSizeMm(code);
    if (s.width() > s.height()) s.transpose();
    if (orientation == Orientation::Landscape) s.transpose();
    return s;
}

int roundHalfEven(double v) {
    const double f = std::floor(v);
    const double diff = v - f;
    long long r = static_cast<long long>(f);
    if (diff > 0.5)
        ++r;
    else if (diff == 0.5 && (r % 2 != 0))
        ++r;
    return static_cast<int>(r);
}

PrintableArea GetPrintableArea(const PrinterDevice& printer) {
    const DeviceMeasures m = printer.measures();
    const double dx = m.dpiX > 0 ? m.dpiX : 600, dy = m.dpiY > 0 ? m.dpiY : 600;
    auto border = [](double dots, double dpi) { return roundHalfEven(dots / dpi * 25.4 + 0.5); };
    PrintableArea a;
    a.MinLeft = border(m.offsetX, dx);
    a.MinTop = border(m.offsetY, dy);
    a.MinRight = border(m.physicalWidth - m.offsetX - m.printableWidth, dx);
    a.MinBottom = border(m.physicalHeight - m.offsetY - m.printableHeight, dy);
    a.PageWidth = roundHalfEven(m.physicalWidth / dx * 25.4);
    a.PageHeight = roundHalfEven(m.physicalHeight / dy * 25.4);
    return a;
}

}  // namespace reports
