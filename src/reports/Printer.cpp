#include "reports/Printer.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>

#include "shell/Messages.h"
#include "reports/Render.h"
#include "reports/ReportRun.h"

namespace reports {

PrinterDevice::~PrinterDevice() = default;

namespace {

double unitToMm(QPageLayout::Unit u) {
    switch (u) {
        case QPageLayout::Millimeter: return 1.0;
        case QPageLayout::Point: return 25.4 / 72.0;
        case QPageLayout::Inch: return 25.4;
        case QPageLayout::Pica: return 25.4 / 6.0;
        case QPageLayout::Didot: return 0.375;
        case QPageLayout::Cicero: return 4.5;
    }
    return 1.0;
}

QString noPrinterName() { return QStringLiteral("Nicio imprimanta instalata: listarea se salveaza in fisier PDF"); }

class SystemPrinter : public PrinterDevice {
public:
    SystemPrinter() {
        const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
        if (printers.isEmpty()) {
            pdf_ = true;
            printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer_->setOutputFormat(QPrinter::PdfFormat);
            printer_->setPageSize(QPageSize(QPageSize::A4));
            printer_->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        } else {
            QPrinterInfo info = QPrinterInfo::defaultPrinter();
            if (info.isNull()) info = printers.first();
            printer_ = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        }
        printer_->setFullPage(true);
    }

    QString name() const override { return pdf_ ? noPrinterName() : printer_->printerName(); }
    bool isPdfFile() const override { return pdf_; }

    Orientation orientation() const override {
        return printer_->pageLayout().orientation() == QPageLayout::Landscape ? Orientation::Landscape
                                                                              : Orientation::Portrait;
    }
    void setOrientation(Orientation o) override {
        printer_->setPageOrientation(o == Orientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    }

    int paperCode() const override { return printer_->pageLayout().pageSize().windowsId(); }
    void setPaperCode(int code) override {
        const QPageSize::PageSizeId id = QPageSize::id(code);
        if (id != QPageSize::Custom) printer_->setPageSize(QPageSize(id));
    }

    DeviceMeasures measures() const override {
        DeviceMeasures m;
        const int res = printer_->resolution() > 0 ? printer_->resolution() : 600;
        m.dpiX = m.dpiY = res;
        const QPageLayout layout = printer_->pageLayout();
        const QRect full = layout.fullRectPixels(res);
        m.physicalWidth = full.width();
        m.physicalHeight = full.height();
        QMarginsF mins = pdf_ ? QMarginsF() : layout.minimumMargins();
        const double k = unitToMm(layout.units()) / 25.4 * res;
        auto dots = [k](double v) { return static_cast<int>(std::lround(v * k)); };
        m.offsetX = dots(mins.left());
        m.offsetY = dots(mins.top());
        m.printableWidth = std::max(0, m.physicalWidth - m.offsetX - dots(mins.right()));
        m.printableHeight = std::max(0, m.physicalHeight - m.offsetY - dots(mins.bottom()));
        return m;
    }

    bool setupDialog(QWidget* parent) override {
        if (pdf_) {
            ui::Messages::information(
                QStringLiteral("Nu este instalata nicio imprimanta.\n"
                               "Rapoartele se salveaza ca fisiere PDF; puteti alege hartia si orientarea."),
                parent);
            QPageSetupDialog dlg(printer_.get(), parent);
            return dlg.exec() == QDialog::Accepted;
        }
        QPrintDialog dlg(printer_.get(), parent);
        dlg.setWindowTitle(QStringLiteral("Configurare imprimanta"));
        dlg.setOptions(QAbstractPrintDialog::PrintShowPageSize);
        const bool ok = dlg.exec() == QDialog::Accepted;
        printer_->setFullPage(true);
        return ok;
    }

    QPrinter* printer() override { return printer_.get(); }

private:
    bool pdf_ = false;
    std::unique_ptr<QPrinter> printer_;
};

std::unique_ptr<PrinterDevice>& current() {
    static std::unique_ptr<PrinterDevice> p;
    return p;
}

PdfFileChooser& chooser() {
    static PdfFileChooser c;
    return c;
}

QPageLayout::Orientation qtOrientation(const Page& page) {
    return page.width > page.height ? QPageLayout::Landscape : QPageLayout::Portrait;
}

QPageSize portraitSize(const Page& page) {
    const QSizeF s = page.width > page.height ? QSizeF(page.height, page.width) : QSizeF(page.width, page.height);
    return QPageSize(s, QPageSize::Millimeter);
}

}  // namespace

std::unique_ptr<PrinterDevice> makeSystemPrinter() { return std::make_unique<SystemPrinter>(); }

PrinterDevice& currentPrinter() {
    if (!current()) current() = makeSystemPrinter();
    return *current();
}

void setCurrentPrinter(std::unique_ptr<PrinterDevice> device) { current() = std::move(device); }

void setPdfFileChooser(PdfFileChooser c) { chooser() = std::move(c); }

QString choosePdfFile(QWidget* parent, const QString& title) {
    if (chooser()) return chooser()(parent, title);
    QString base = title.trimmed().isEmpty() ? QStringLiteral("Raport") : title.trimmed();
    base.replace(QLatin1Char('/'), QLatin1Char('_'));
    QString path = QFileDialog::getSaveFileName(
        parent, QStringLiteral("Nu exista imprimanta instalata - salvati raportul ca fisier PDF"),
        QDir::home().filePath(base + QStringLiteral(".pdf")), QStringLiteral("Fisiere PDF (*.pdf)"));
    if (!path.isEmpty() && !path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) path += QStringLiteral(".pdf");
    return path;
}

bool printPrepared(const PreparedReport& report, int copies, int firstPage, int lastPage, QWidget* parent) {
    const PageRange range = clampRange(report.pageCount(), firstPage, lastPage);
    if (range.first > range.last) return true;  // nothing to print
    copies = std::max(1, copies);
    PrinterDevice& dev = currentPrinter();
    if (dev.isPdfFile() || !dev.printer()) {
        const QString path = choosePdfFile(parent, report.title);
        if (path.isEmpty()) return false;
        QString error;
        const auto pdf = [&](const QString& file, QString* why) {
            return exportPdf(report, file, range.first, range.last, why);
        };
        if (!WriteFileSafely(path, pdf, &error)) {
            ui::Messages::error(CannotCreateFileText(path), parent);
            return false;
        }
        return true;
    }
    QPrinter& pr = *dev.printer();
    pr.setDocName(report.title.isEmpty() ? QStringLiteral("Raport") : report.title);
    pr.setFullPage(true);
    const bool deviceCopies = pr.supportsMultipleCopies();
    pr.setCopyCount(deviceCopies ? copies : 1);
    const int passes = deviceCopies ? 1 : copies;
    const int total = (range.last - range.first + 1) * passes;

    QProgressDialog progress(QStringLiteral("Listare in curs..."), QStringLiteral("Renunta"), 0, total, parent);
    progress.setWindowTitle(QStringLiteral("Listare"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);

    const Page& first = report.pages[static_cast<size_t>(range.first - 1)];
    pr.setPageSize(portraitSize(first));
    pr.setPageOrientation(qtOrientation(first));
    QPainter p;
    if (!p.begin(&pr)) {
        ui::Messages::error(QStringLiteral("Imprimanta %1 nu poate lista!").arg(pr.printerName()), parent);
        return false;
    }
    int done = 0;
    for (int pass = 0; pass < passes; ++pass) {
        for (int i = range.first; i <= range.last; ++i) {
            const Page& page = report.pages[static_cast<size_t>(i - 1)];
            if (done > 0) {
                pr.setPageSize(portraitSize(page));
                pr.setPageOrientation(qtOrientation(page));
                pr.newPage();
            }
            paintPage(p, page, pr.resolution() / 25.4);
            progress.setValue(++done);
            QApplication::processEvents();
            if (progress.wasCanceled()) {
                pr.abort();
                p.end();
                return false;
            }
        }
    }
    p.end();
    return true;
}

}  // namespace reports
