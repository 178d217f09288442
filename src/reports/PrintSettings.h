// The print settings of the program run, shared by every report, and the
// printer measures the print dialog works with.
#pragma once
#include <QSizeF>
#include <QString>

#include "reports/PageModel.h"

namespace reports {

class PrinterDevice;

struct TPrintSettings {
    QString FontName;  // at most 30 characters
    int FontSize = 10;
    reports::Pitch FontPitch = reports::Pitch::Default;
    bool Preview = false;
    int Copies = 1;
    int FirstPage = 0, LastPage = 0;  // 0 and 0: every page
    reports::Orientation Orientation = reports::Orientation::Portrait;
    int PaperSize = 0;  // paper-size number: 0 the printer's default, 9 A4
    int TopMargin = 5, LeftMargin = 5, BottomMargin = 5, RightMargin = 5;  // mm
    int MinLeft = 0, MinTop = 0, MinRight = 0, MinBottom = 0;              // mm, the printer's unprintable borders
};

// Kept in memory for the program run only.
extern TPrintSettings PrintSettings;
// Back to the values of a program start.
void ResetPrintSettings();

// Paper-size numbers 0..32 and the platform's paper codes.
constexpr int kMaxPaperSizeNumber = 32;
int PaperCodeOf(int paperSizeNumber);  // 0 for 0 and unknown numbers
int PaperNumberOf(int paperCode);      // 0 when no number has that code
// Paper size in mm (portrait) of a platform paper code; A4 when unknown.
QSizeF paperCodeSizeMm(int paperCode);

// Rounds to the nearest whole number, halves to even.
int roundHalfEven(double v);

struct PrintableArea {
    int MinLeft = 0, MinTop = 0, MinRight = 0, MinBottom = 0;
    int PageWidth = 0, PageHeight = 0;
};
PrintableArea GetPrintableArea(const PrinterDevice& printer);

}  // namespace reports
