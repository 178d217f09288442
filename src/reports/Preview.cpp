#include "reports/Preview.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "shell/Messages.h"
#include "reports/ReportRun.h"
#include "reports/Printer.h"
#include "reports/Render.h"

namespace reports {

// The page as drawn on screen.
class PreviewPage : public QWidget {
public:
    explicit PreviewPage(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }
    const Page* page = nullptr;
    double pxPerMm = 1;

    void updateSize() {
        if (!page) {
            resize(10, 10);
            return;
        }
        resize(static_cast<int>(std::ceil(page->width * pxPerMm)) + 2 * kBorder,
               static_cast<int>(std::ceil(page->height * pxPerMm)) + 2 * kBorder);
        update();
    }

    static constexpr int kBorder = 8;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Dark));
        if (!page) return;
        const QRectF paper(kBorder, kBorder, page->width * pxPerMm, page->height * pxPerMm);
        p.fillRect(paper.translated(3, 3), QColor(60, 60, 60));
        p.fillRect(paper, Qt::white);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.translate(paper.topLeft());
        paintPage(p, *page, pxPerMm);
    }
};

namespace {

QToolButton* makeButton(QWidget* parent, const QString& hint, const QString& text,
                        QStyle::StandardPixmap icon = QStyle::SP_CustomBase) {
    auto* b = new QToolButton(parent);
    b->setToolTip(hint);
    b->setStatusTip(hint);
    b->setAutoRaise(true);
    b->setText(text);
    if (icon != QStyle::SP_CustomBase) {
        b->setIcon(parent->style()->standardIcon(icon));
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    return b;
}

}  // namespace

TQRPreview::TQRPreview(PreparedReport report, QWidget* parent) : TQRPreview(nullptr, Page{}, report.title, parent) {
    setPages(report);
    page_ = pages_.count() > 0 ? 1 : 0;
    applyFitZoom();
    refresh();
}

TQRPreview::~TQRPreview() = default;

void TQRPreview::setPages(const PreparedReport& report) {
    stream_.reset();
    pages_ = PackedPages{};
    for (const Page& p : report.pages) pages_.append(p);
    shownIndex_ = -1;
    title_ = report.title;
}

const Page& TQRPreview::page(int n) {
    if (n - 1 != shownIndex_) {
        shown_ = pages_.page(n - 1);
        shownIndex_ = n - 1;
    }
    return shown_;
}

// A slice of the layout between the window's events: short enough that
// the window answers at once.
void TQRPreview::takeMorePages() {
    if (!stream_) return;
    QElapsedTimer slice;
    slice.start();
    Page p;
    try {
        while (slice.elapsed() < 30) {
            if (!stream_->next(p)) {
                stream_.reset();
                break;
            }
            pages_.append(p);
        }
    } catch (...) {
        stream_.reset();
        refresh();
        throw;
    }
    refresh();
    if (stream_) QTimer::singleShot(0, this, &TQRPreview::takeMorePages);
}

void TQRPreview::finishLayout() {
    if (!stream_) return;
    WaitCursor wait;
    Page p;
    try {
        while (stream_->next(p)) pages_.append(p);
    } catch (...) {
        stream_.reset();
        throw;
    }
    stream_.reset();
    refresh();
}

int TQRPreview::pageCount() {
    finishLayout();
    return pages_.count();
}

PreparedReport TQRPreview::prepared() {
    finishLayout();
    PreparedReport r;
    r.title = title_;
    r.pages.reserve(static_cast<size_t>(pages_.count()));
    for (int i = 0; i < pages_.count(); ++i) r.pages.push_back(pages_.page(i));
    return r;
}

TQRPreview::TQRPreview(std::unique_ptr<PageStream> stream, Page first, const QString& title, QWidget* parent)
    : QDialog(parent), title_(title), stream_(std::move(stream)) {
    if (stream_) pages_.append(first);
    setWindowTitle(title_.isEmpty() ? QStringLiteral("Previzualizare raport")
                                    : QStringLiteral("Previzualizare - ") + title_);
    setModal(true);
    setSizeGripEnabled(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    auto* bar = new QWidget(this);
    auto* bl = new QHBoxLayout(bar);
    bl->setContentsMargins(4, 2, 4, 2);
    bl->setSpacing(2);

    auto add = [&](QToolButton* b, auto slot) {
        connect(b, &QToolButton::clicked, this, slot);
        bl->addWidget(b);
        return b;
    };
    add(makeButton(this, QStringLiteral("Ajusteaza sa încapa"), QStringLiteral("Pag")), &TQRPreview::zoomToFit);
    add(makeButton(this, QStringLiteral("Zoom 100%"), QStringLiteral("100%")), &TQRPreview::zoom100);
    add(makeButton(this, QStringLiteral("Ajusteaza sa încapa pe latime"), QStringLiteral("Lat")),
        &TQRPreview::zoomToWidth);
    zoomSpin_ = new QSpinBox(this);
    zoomSpin_->setRange(10, 500);
    zoomSpin_->setSingleStep(10);
    zoomSpin_->setSuffix(QStringLiteral(" %"));
    zoomSpin_->setToolTip(QStringLiteral("% Zoom"));
    bl->addWidget(zoomSpin_);
    connect(zoomSpin_, &QSpinBox::valueChanged, this, [this](int v) {
        if (!updating_) setZoomPercent(v);
    });
    bl->addSpacing(8);
    add(makeButton(this, QStringLiteral("Prima pagina"), QStringLiteral("|<"), QStyle::SP_MediaSkipBackward),
        &TQRPreview::firstPage);
    add(makeButton(this, QStringLiteral("Pagina anterioara"), QStringLiteral("<"), QStyle::SP_MediaSeekBackward),
        &TQRPreview::priorPage);
    add(makeButton(this, QStringLiteral("Pagina urmatoare"), QStringLiteral(">"), QStyle::SP_MediaSeekForward),
        &TQRPreview::nextPage);
    add(makeButton(this, QStringLiteral("Ultima pagina"), QStringLiteral(">|"), QStyle::SP_MediaSkipForward),
        &TQRPreview::lastPage);
    pageSpin_ = new QSpinBox(this);
    pageSpin_->setToolTip(QStringLiteral("Pagina no."));
    pageSpin_->setRange(0, 0);
    bl->addWidget(pageSpin_);
    connect(pageSpin_, &QSpinBox::valueChanged, this, [this](int v) {
        if (!updating_) showPage(v);
    });
    bl->addSpacing(8);
    add(makeButton(this, QStringLiteral("Configurare imprimanta"), QStringLiteral("Imprimanta"),
                   QStyle::SP_FileDialogDetailedView),
        &TQRPreview::printerSetup);
    add(makeButton(this, QStringLiteral("Listeaza la imprimanta"), QStringLiteral("Listeaza")),
        &TQRPreview::printReport);
    add(makeButton(this, QStringLiteral("Salveaza raportul"), QStringLiteral("Salveaza"), QStyle::SP_DialogSaveButton),
        &TQRPreview::saveReport);
    add(makeButton(this, QStringLiteral("Incarca un raport"), QStringLiteral("Incarca"), QStyle::SP_DialogOpenButton),
        &TQRPreview::loadReport);
    bl->addStretch(1);
    closeBtn_ = new QPushButton(QStringLiteral("&Inchide"), this);
    closeBtn_->setAutoDefault(false);
    connect(closeBtn_, &QPushButton::clicked, this, &QDialog::accept);
    bl->addWidget(closeBtn_);

    scroll_ = new QScrollArea(this);
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll_->setBackgroundRole(QPalette::Dark);
    view_ = new PreviewPage(scroll_);
    scroll_->setWidget(view_);
    scroll_->setWidgetResizable(false);

    status_ = new QLabel(this);

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->addWidget(bar);
    main->addWidget(scroll_, 1);
    main->addWidget(status_);

    // Opens maximised with the page filling the width; the zoom follows the
    // scroll area's size once it is laid out (see eventFilter).
    resize(900, 700);
    setWindowState(windowState() | Qt::WindowMaximized);
    scroll_->installEventFilter(this);
    page_ = pages_.count() > 0 ? 1 : 0;
    applyFitZoom();
    refresh();
    if (stream_) QTimer::singleShot(0, this, &TQRPreview::takeMorePages);
}

bool TQRPreview::eventFilter(QObject* watched, QEvent* e) {
    if (watched == scroll_ && e->type() == QEvent::Resize && mode_ != ZoomMode::Percent) {
        applyFitZoom();
        refresh();
    }
    return QDialog::eventFilter(watched, e);
}

void TQRPreview::setPrintOptions(int copies, int firstPage, int lastPage) {
    copies_ = copies;
    firstPage_ = firstPage;
    lastPage_ = lastPage;
}

QToolButton* TQRPreview::button(const QString& hint) const {
    for (QToolButton* b : findChildren<QToolButton*>())
        if (b->toolTip() == hint) return b;
    return nullptr;
}

double TQRPreview::pixelsPerMm(int percent) const { return percent / 100.0 * logicalDpiX() / 25.4; }

void TQRPreview::applyFitZoom() {
    if (mode_ == ZoomMode::Percent || pages_.count() == 0) return;
    const Page& p = page(std::max(page_, 1));
    // The room inside the scroll area less a vertical scroll bar, whether one
    // shows or not: the zoom does not depend on its own result.
    const int bar = scroll_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll_);
    const QSize room = scroll_->maximumViewportSize() - QSize(bar, 0);
    const QSize vp = room - QSize(2 * PreviewPage::kBorder + 4, 2 * PreviewPage::kBorder + 4);
    const double base = logicalDpiX() / 25.4;
    double z = vp.width() / (p.width * base);
    if (mode_ == ZoomMode::FitPage) z = std::min(z, vp.height() / (p.height * base));
    zoom_ = std::clamp(static_cast<int>(z * 100), 10, 500);
}

void TQRPreview::zoomToFit() {
    mode_ = ZoomMode::FitPage;
    applyFitZoom();
    refresh();
}

void TQRPreview::zoomToWidth() {
    mode_ = ZoomMode::FitWidth;
    applyFitZoom();
    refresh();
}

void TQRPreview::setZoomPercent(int percent) {
    mode_ = ZoomMode::Percent;
    zoom_ = std::clamp(percent, 10, 500);
    refresh();
}

void TQRPreview::showPage(int n) {
    if (n > pages_.count()) finishLayout();
    if (pages_.count() == 0) return;
    page_ = std::clamp(n, 1, pages_.count());
    applyFitZoom();
    refresh();
    scroll_->verticalScrollBar()->setValue(0);
}

void TQRPreview::refresh() {
    updating_ = true;
    const int n = pages_.count();
    pageSpin_->setRange(n > 0 ? 1 : 0, n);
    pageSpin_->setValue(page_);
    zoomSpin_->setValue(zoom_);
    updating_ = false;
    view_->page = page_ > 0 ? &page(page_) : nullptr;
    view_->pxPerMm = pixelsPerMm(zoom_);
    view_->updateSize();
    // while pages are still being laid out the count grows: "..." tells it
    status_->setText(
        n > 0
            ? QStringLiteral("  Pagina %1 din %2%3").arg(page_).arg(n).arg(stream_ ? QStringLiteral(" ...") : QString())
            : QStringLiteral("  Raportul nu are pagini"));
    if (QToolButton* b = button(QStringLiteral("Prima pagina"))) b->setEnabled(page_ > 1);
    if (QToolButton* b = button(QStringLiteral("Pagina anterioara"))) b->setEnabled(page_ > 1);
    if (QToolButton* b = button(QStringLiteral("Pagina urmatoare"))) b->setEnabled(page_ < n || stream_);
    if (QToolButton* b = button(QStringLiteral("Ultima pagina"))) b->setEnabled(page_ < n || stream_);
    if (QToolButton* b = button(QStringLiteral("Listeaza la imprimanta"))) b->setEnabled(n > 0);
    if (QToolButton* b = button(QStringLiteral("Salveaza raportul"))) b->setEnabled(n > 0);
}

void TQRPreview::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_PageDown: nextPage(); return;
        case Qt::Key_PageUp: priorPage(); return;
        case Qt::Key_Home:
            if (e->modifiers() & Qt::ControlModifier) {
                firstPage();
                return;
            }
            break;
        case Qt::Key_End:
            if (e->modifiers() & Qt::ControlModifier) {
                lastPage();
                return;
            }
            break;
        default: break;
    }
    QDialog::keyPressEvent(e);
}

void TQRPreview::printerSetup() { currentPrinter().setupDialog(this); }

void TQRPreview::printReport() { printPrepared(prepared(), copies_, firstPage_, lastPage_, this); }

bool TQRPreview::saveTo(const QString& path) {
    QString error;
    if (const auto format = exports::dataFormatForPath(QFile::encodeName(path).toStdString())) {
        std::optional<exports::DataTable> table;
        if (table_) {
            WaitCursor wait;
            table = table_();
        }
        if (!table) {
            ui::Messages::error(kNoDataTableText, this);
            return false;
        }
        if (!WriteDataTableSafely(*table, *format, path, &error)) {
            ui::Messages::error(CannotCreateFileText(path), this);
            return false;
        }
        return true;
    }
    finishLayout();
    bool written = false;
    if (formatForPath(path) == FileFormat::Saved) {
        written = WriteReportFileSafely(prepared(), path, &error);
    } else {
        // the pages unpacked one at a time, as the file is written
        written = WriteFileSafely(
            path,
            [this](const QString& file, QString* why) {
                std::unique_ptr<PageWriter> writer = openPageWriter(file, title_, why);
                if (!writer) return false;
                for (int i = 0; i < pages_.count(); ++i) writer->write(pages_.page(i));
                return writer->finish(why);
            },
            &error);
    }
    if (!written) {
        ui::Messages::error(CannotCreateFileText(path), this);
        return false;
    }
    return true;
}

bool TQRPreview::loadFrom(const QString& path) {
    QString error;
    auto loaded = PreparedReport::load(path, &error);
    if (!loaded) {
        ui::Messages::error(error, this);
        return false;
    }
    setPages(*loaded);
    setWindowTitle(title_.isEmpty() ? QStringLiteral("Previzualizare raport")
                                    : QStringLiteral("Previzualizare - ") + title_);
    page_ = pages_.count() > 0 ? 1 : 0;
    applyFitZoom();
    refresh();
    return true;
}

void TQRPreview::saveReport() {
    // what each choice writes, and the extension it adds to a name without one
    struct Choice {
        QString filter, extension;
        bool table;
    };
    const Choice choices[] = {
        {QStringLiteral("Raport salvat (*.qrp)"), QStringLiteral(".qrp"), false},
        {QStringLiteral("Document PDF (*.pdf)"), QStringLiteral(".pdf"), false},
        {QStringLiteral("Excel (*.xlsx)"), QStringLiteral(".xlsx"), true},
        {QStringLiteral("CSV (*.csv)"), QStringLiteral(".csv"), true},
        {QStringLiteral("Pagina HTML (*.html)"), QStringLiteral(".html"), false},
        {QStringLiteral("Tabel HTML (*.table.html)"), QStringLiteral(".table.html"), true},
        {QStringLiteral("Text (*.txt)"), QStringLiteral(".txt"), false},
    };
    QStringList filters;
    for (const Choice& c : choices)
        if (!c.table || hasDataTable()) filters << c.filter;
    QString filter = filters.first();
    // the report's own name is offered ("Registru de casa")
    const QString name = title_.trimmed().replace(QLatin1Char('/'), QLatin1Char('_'));
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Salveaza raportul"),
                                                name.isEmpty() ? QDir::homePath() : QDir::home().filePath(name),
                                                filters.join(QStringLiteral(";;")), &filter);
    if (path.isEmpty()) return;
    for (const Choice& c : choices) {
        if (c.filter != filter) continue;
        // "Tabel HTML" asks for the table even under a name that ends only in .html
        if (QFileInfo(path).suffix().isEmpty())
            path += c.extension;
        else if (c.extension == QLatin1String(".table.html") && !exports::dataFormatForPath(path.toStdString()))
            path = path.section(QLatin1Char('.'), 0, -2) + c.extension;
    }
    saveTo(path);
}

void TQRPreview::loadReport() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Incarca un raport"), QDir::homePath(),
                                                      QStringLiteral("Raport salvat (*.qrp);;Toate fisierele (*)"));
    if (!path.isEmpty()) loadFrom(path);
}

}  // namespace reports
