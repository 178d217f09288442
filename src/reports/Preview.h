// The modal preview window of a prepared report: zoom, page navigation,
// printer set-up, printing, saving (own format, the pages as PDF, text or
// HTML, the report's data table as .xlsx, data CSV or an HTML table) and
// loading a saved report.
#pragma once
#include <QDialog>
#include <memory>

#include "reports/PageModel.h"
#include "reports/Report.h"
#include "reports/ReportRun.h"

class QLabel;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QToolButton;

namespace reports {

class PreviewPage;

class TQRPreview : public QDialog {
    Q_OBJECT
public:
    explicit TQRPreview(PreparedReport report, QWidget* parent = nullptr);
    // Shows `first` at once and takes the stream's further pages while the
    // window is open, a slice at a time; what needs every page (the last
    // page, printing, saving, the count) lays out the rest first.
    TQRPreview(std::unique_ptr<PageStream> stream, Page first, const QString& title, QWidget* parent = nullptr);
    ~TQRPreview() override;

    // Copies and page range used by "Listeaza la imprimanta".
    void setPrintOptions(int copies, int firstPage, int lastPage);

    // Every page (laid out to the end first).
    PreparedReport prepared();
    int pageCount();
    // The pages laid out so far, and page `n` (1-based) of them.
    int pagesLaidOut() const { return pages_.count(); }
    bool layingOut() const { return static_cast<bool>(stream_); }
    const Page& page(int n);
    // Lays out the pages not yet taken from the stream.
    void finishLayout();
    int currentPage() const { return page_; }  // 1-based; 0 without pages
    int zoomPercent() const { return zoom_; }
    enum class ZoomMode { FitPage, FitWidth, Percent };
    ZoomMode zoomMode() const { return mode_; }

    void showPage(int n);
    void firstPage() { showPage(1); }
    void priorPage() { showPage(page_ - 1); }
    void nextPage() { showPage(page_ + 1); }
    void lastPage() { showPage(pageCount()); }
    void zoomToFit();
    void zoom100() { setZoomPercent(100); }
    void zoomToWidth();
    void setZoomPercent(int percent);

    // The report's data, for the table formats; without it they are not offered.
    void setDataTable(DataTableSource table) { table_ = std::move(table); }
    bool hasDataTable() const { return static_cast<bool>(table_); }

    // What the save and load buttons do once the file is chosen (.xlsx, .csv
    // and .table.html write the data table); errors are shown.
    bool saveTo(const QString& path);
    bool loadFrom(const QString& path);

    // The tool button with this hint.
    QToolButton* button(const QString& hint) const;
    QPushButton* closeButton() const { return closeBtn_; }
    QSpinBox* pageSpin() const { return pageSpin_; }
    QSpinBox* zoomSpin() const { return zoomSpin_; }
    QLabel* statusLabel() const { return status_; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void printerSetup();
    void printReport();
    void saveReport();
    void loadReport();
    void refresh();
    double pixelsPerMm(int percent) const;
    void applyFitZoom();
    void setPages(const PreparedReport& report);
    void takeMorePages();

    QString title_;
    PackedPages pages_;
    std::unique_ptr<PageStream> stream_;
    Page shown_;  // the page of shownIndex_, unpacked
    int shownIndex_ = -1;
    DataTableSource table_;
    int page_ = 0;
    int zoom_ = 100;
    ZoomMode mode_ = ZoomMode::FitWidth;
    int copies_ = 1, firstPage_ = 0, lastPage_ = 0;
    bool updating_ = false;
    PreviewPage* view_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QSpinBox* pageSpin_ = nullptr;
    QSpinBox* zoomSpin_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* closeBtn_ = nullptr;
};

// Prepares `report` and shows it in the modal preview (no window when no
// page was produced), saving `table` when asked for the table formats.
void showPreview(Report& report, QWidget* parent, const DataTableSource& table);

}  // namespace reports
