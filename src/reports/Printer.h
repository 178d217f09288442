// The current printer as the print dialog and the report output see it, and
// printing a prepared report. With no printer installed the current printer
// is a PDF file: printing asks for the file name instead.
#pragma once
#include <QString>
#include <functional>
#include <memory>

#include "reports/PageModel.h"

class QPrinter;
class QWidget;

namespace reports {

// Device measures in printer dots.
struct DeviceMeasures {
    int offsetX = 0, offsetY = 0;  // unprintable left and top border
    int printableWidth = 0, printableHeight = 0;
    int physicalWidth = 0, physicalHeight = 0;
    int dpiX = 600, dpiY = 600;
};

class PrinterDevice {
public:
    virtual ~PrinterDevice();
    virtual QString name() const = 0;
    // True when no printer is installed and output goes to a PDF file.
    virtual bool isPdfFile() const = 0;
    virtual Orientation orientation() const = 0;
    virtual void setOrientation(Orientation o) = 0;
    // Paper as the platform's paper code (9 = A4, 256 = user-defined).
    virtual int paperCode() const = 0;
    virtual void setPaperCode(int code) = 0;
    virtual DeviceMeasures measures() const = 0;
    // The standard printer set-up dialog; false when cancelled.
    virtual bool setupDialog(QWidget* parent) = 0;
    // The device pages are printed on (for a PDF file: set up for the file).
    virtual QPrinter* printer() = 0;
};

// The program's current printer: the system's default printer, or a PDF file
// when none is installed. Created on first use.
PrinterDevice& currentPrinter();
// Replaces the current printer (a printer chosen elsewhere; tests).
void setCurrentPrinter(std::unique_ptr<PrinterDevice> device);
// A printer device over Qt's print support (the default printer or a PDF file).
std::unique_ptr<PrinterDevice> makeSystemPrinter();

// Asks for the PDF file used when there is no printer; returns "" when
// cancelled. Replaceable for tests.
using PdfFileChooser = std::function<QString(QWidget* parent, const QString& title)>;
void setPdfFileChooser(PdfFileChooser chooser);
QString choosePdfFile(QWidget* parent, const QString& title);

// Prints pages `firstPage`..`lastPage` (0, 0: all) of a prepared report on the
// current printer, `copies` times, with a progress window. Without a printer
// the pages go to a PDF file the user names. False when cancelled or failed
// (the failure has been shown).
bool printPrepared(const PreparedReport& report, int copies, int firstPage, int lastPage, QWidget* parent = nullptr);

}  // namespace reports
