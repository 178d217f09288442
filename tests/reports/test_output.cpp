// Output of prepared reports: PDF read back with poppler's tools, the saved
// report loaded again, the text/CSV/HTML exports, the preview window and
// printing when no printer is installed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QDataStream>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest/QTest>
#include <unistd.h>

#include "ReportTestSupport.h"
#include "support/GuiDriver.h"
#include "shell/Messages.h"
#include "reports/Preview.h"
#include "reports/Printer.h"
#include "reports/Render.h"
#include "reports/Report.h"
#include "support/TempDir.h"

using namespace reports;

namespace {

// Eight days of three rows: three pages.
struct SmallRegister {
    TempDir dir;
    std::unique_ptr<data::Table> table;
    Report rep;
    int pages = 0;

    SmallRegister() {
        std::vector<rt::Row> rows;
        for (int i = 1; i <= 24; ++i)
            rows.push_back({data::Date{2007, 3, (i + 2) / 3}, "Operatia nr. " + std::to_string(i) + " & <diverse>",
                            100.0 * i, 10.0});
        rt::makeRegister(dir.path(), rows);
        table = rt::openRegister(dir.path());
        rep.loadLayout(QString::fromUtf8(rt::kRegisterLayout));
        rep.setDataSet(table.get(), QStringLiteral("TRegistru"));
        rep.item("PageNumberLabel").onPrint = [this](Item&, QString& t) {
            t += QStringLiteral(" din ") + QString::number(pages);
        };
        pages = rep.prepare();
        rep.prepare();
    }
};

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000)) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPageCount(const QString& path) {
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    for (const QString& line : info.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:"))) return line.mid(6).trimmed().toInt();
    return -1;
}

// Closes the modal window that opens next, after `act` ran on it.

}  // namespace

TEST(ReportOutput, PdfHoldsEveryPageAndItsTexts) {
    SmallRegister r;
    ASSERT_EQ(r.pages, 3);
    TempDir out;
    const QString path = QString::fromStdString(out.file("registru.pdf"));
    QString error;
    ASSERT_TRUE(exportPdf(r.rep.prepared(), path, 0, 0, &error)) << error.toStdString();
    ASSERT_EQ(pdfPageCount(path), 3);
    const QString text = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("REGISTRU DE TEST")));
    EXPECT_TRUE(text.contains(QStringLiteral("Pag.2 din 3")));
    EXPECT_TRUE(text.contains(QStringLiteral("Sold final / De reportat :")));
    EXPECT_TRUE(text.contains(QStringLiteral("Operatia nr. 7 & <diverse>")));
    const QString lastTotal = r.rep.prepared().pages.back().textOf(QStringLiteral("SubInc"));
    EXPECT_EQ(lastTotal, QStringLiteral("30,000.00"));
    EXPECT_TRUE(text.contains(lastTotal));
    // pages keep their order
    EXPECT_LT(text.indexOf(QStringLiteral("Pag.1 din 3")), text.indexOf(QStringLiteral("Pag.3 din 3")));

    // a page range; a landscape report gets landscape pages
    const QString part = QString::fromStdString(out.file("part.pdf"));
    ASSERT_TRUE(exportPdf(r.rep.prepared(), part, 2, 3));
    EXPECT_EQ(pdfPageCount(part), 2);
    r.rep.orientation = Orientation::Landscape;
    r.rep.prepare();
    const QString land = QString::fromStdString(out.file("land.pdf"));
    ASSERT_TRUE(exportPdf(r.rep.prepared(), land));
    const QString landInfo = run(QStringLiteral("pdfinfo"), {land});
    EXPECT_TRUE(landInfo.contains(QStringLiteral("842 x 595"))) << landInfo.toStdString();
}

TEST(ReportOutput, UnwritablePdfIsAFailureNotACrash) {
    SmallRegister r;
    QString error;
    EXPECT_FALSE(exportPdf(r.rep.prepared(), QStringLiteral("/nonexistent-dir/x.pdf"), 0, 0, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(ReportOutput, SavedReportLoadsWithTheSamePages) {
    SmallRegister r;
    TempDir out;
    const QString path = QString::fromStdString(out.file("raport.qrp"));
    ASSERT_TRUE(writeReportFile(r.rep.prepared(), path));
    auto loaded = PreparedReport::load(path);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(*loaded, r.rep.prepared());
    EXPECT_EQ(loaded->title, QStringLiteral("Registru de test"));

    // a foreign file is not a saved report
    const QString pdf = QString::fromStdString(out.file("x.pdf"));
    ASSERT_TRUE(exportPdf(r.rep.prepared(), pdf));
    QString error;
    EXPECT_FALSE(PreparedReport::load(pdf, &error).has_value());
    EXPECT_EQ(error, QStringLiteral("Fisierul %1 nu este un raport salvat!").arg(pdf));
}

namespace {

// Peak virtual memory of this process in kB (Linux), or -1.
long peakMemoryKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmPeak:")) return line.mid(7).trimmed().split(' ').value(0).toLong();
    return -1;
}

// A saved-report header (the file's magic number and version) with `body`.
QString savedReportFile(TempDir& dir, const char* name, const std::function<void(QDataStream&)>& body) {
    const QString path = QString::fromStdString(dir.file(name));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    QDataStream s(&f);
    s.setVersion(QDataStream::Qt_6_0);
    s << quint32(0x43565250) << quint16(1) << QStringLiteral("Raport");
    body(s);
    return path;
}

}  // namespace

TEST(ReportOutput, DamagedSavedReportIsToldWithoutReservingItsDeclaredCounts) {
    TempDir out;
    const auto damaged = [](const QString& path) { return QStringLiteral("Fisierul %1 este deteriorat!").arg(path); };
    // one page declaring ten million elements in a file of a few bytes
    const QString elements = savedReportFile(
        out, "elemente.qrp", [](QDataStream& s) { s << qint32(1) << 210.0 << 297.0 << qint32(9999999); });
    const long before = peakMemoryKb();
    QString error;
    EXPECT_FALSE(PreparedReport::load(elements, &error).has_value());
    if (before > 0) {
        EXPECT_LT(peakMemoryKb() - before, 256 * 1024) << "kB of memory taken by a 40-byte file";
    }
    EXPECT_EQ(error, damaged(elements));

    // a million pages, a page of negative size, a saved report cut in half
    const QString pages = savedReportFile(out, "pagini.qrp", [](QDataStream& s) { s << qint32(1000000) << 210.0; });
    EXPECT_FALSE(PreparedReport::load(pages, &error).has_value());
    EXPECT_EQ(error, damaged(pages));
    const QString size = savedReportFile(
        out, "marime.qrp", [](QDataStream& s) { s << qint32(1) << -210.0 << 297.0 << qint32(0) << qint32(0); });
    EXPECT_FALSE(PreparedReport::load(size, &error).has_value());
    EXPECT_EQ(error, damaged(size));
    SmallRegister r;
    const QString cut = QString::fromStdString(out.file("taiat.qrp"));
    ASSERT_TRUE(writeReportFile(r.rep.prepared(), cut));
    QFile f(cut);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.resize(f.size() / 2);
    f.close();
    EXPECT_FALSE(PreparedReport::load(cut, &error).has_value());
    EXPECT_EQ(error, damaged(cut));

    // the preview says so and keeps its pages
    gui::Recorder rec;
    TQRPreview pv(r.rep.prepared());
    EXPECT_FALSE(pv.loadFrom(elements));
    EXPECT_EQ(gui::Recorder::messages(), QStringList{damaged(elements)});
    EXPECT_EQ(pv.pageCount(), 3);
}

TEST(ReportOutput, TextAndHtmlExports) {
    SmallRegister r;
    const QString text = exportPlainText(r.rep.prepared());
    EXPECT_EQ(text.count(QLatin1Char('\f')), 2);
    // the "De reportat :" line carries its figures on the same line, in column order
    const QString page1 = text.section(QLatin1Char('\f'), 0, 0);
    QString footer;
    for (const QString& l : page1.split(QLatin1Char('\n')))
        if (l.contains(QStringLiteral("De reportat :")) && !l.contains(QStringLiteral("Sold final"))) footer = l;
    const QString sub1 = r.rep.prepared().pages[0].textOf(QStringLiteral("SubInc"));
    EXPECT_TRUE(footer.contains(sub1)) << footer.toStdString();
    EXPECT_LT(footer.indexOf(QStringLiteral("De reportat :")), footer.indexOf(sub1));

    const QString html = exportHtml(r.rep.prepared());
    EXPECT_EQ(html.count(QStringLiteral("<div class=\"page\"")), 3);
    EXPECT_TRUE(html.contains(QStringLiteral("Operatia nr. 7 &amp; &lt;diverse&gt;")));
    EXPECT_FALSE(html.contains(QStringLiteral("<diverse>")));

    TempDir out;
    for (const char* name : {"r.txt", "r.html"}) {
        const QString path = QString::fromStdString(out.file(name));
        ASSERT_TRUE(writeReportFile(r.rep.prepared(), path));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(QString::fromUtf8(f.readAll()).contains(QStringLiteral("Pag.3 din 3"))) << name;
    }
}

TEST(ReportOutput, RenderingDrawsThePageModel) {
    SmallRegister r;
    const Page& p = r.rep.prepared().pages[0];
    QImage img(static_cast<int>(p.width * 4), static_cast<int>(p.height * 4), QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter painter(&img);
        paintPage(painter, p, 4.0);
    }
    // the title's area is inked, the empty margin is not
    auto inked = [&](QRectF mm) {
        for (int y = static_cast<int>(mm.top() * 4); y < mm.bottom() * 4; ++y)
            for (int x = static_cast<int>(mm.left() * 4); x < mm.right() * 4; ++x)
                if (qGray(img.pixel(x, y)) < 128) return true;
        return false;
    };
    const PageElement* title = p.findElement(QStringLiteral("TitluLbl"));
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(inked(title->box));
    EXPECT_FALSE(inked(QRectF(0, 0, 9, 9)));
}

TEST(ReportPreview, HintsNavigationZoomAndClose) {
    SmallRegister r;
    TQRPreview pv(r.rep.prepared());
    for (const char* hint : {"Ajusteaza sa încapa", "Zoom 100%", "Ajusteaza sa încapa pe latime", "Prima pagina",
                             "Pagina anterioara", "Pagina urmatoare", "Ultima pagina", "Configurare imprimanta",
                             "Listeaza la imprimanta", "Salveaza raportul", "Incarca un raport"})
        EXPECT_NE(pv.button(QString::fromUtf8(hint)), nullptr) << hint;
    EXPECT_EQ(pv.pageSpin()->toolTip(), QStringLiteral("Pagina no."));
    EXPECT_EQ(pv.zoomSpin()->toolTip(), QStringLiteral("% Zoom"));
    EXPECT_EQ(pv.closeButton()->text(), QStringLiteral("&Inchide"));

    pv.show();
    EXPECT_EQ(pv.currentPage(), 1);
    EXPECT_FALSE(pv.button(QStringLiteral("Pagina anterioara"))->isEnabled());
    pv.button(QStringLiteral("Ultima pagina"))->click();
    EXPECT_EQ(pv.currentPage(), 3);
    EXPECT_FALSE(pv.button(QStringLiteral("Pagina urmatoare"))->isEnabled());
    pv.button(QStringLiteral("Pagina anterioara"))->click();
    EXPECT_EQ(pv.currentPage(), 2);
    EXPECT_EQ(pv.statusLabel()->text().trimmed(), QStringLiteral("Pagina 2 din 3"));
    QTest::keyClick(&pv, Qt::Key_PageDown);
    EXPECT_EQ(pv.currentPage(), 3);
    pv.button(QStringLiteral("Prima pagina"))->click();
    EXPECT_EQ(pv.currentPage(), 1);
    pv.pageSpin()->setValue(2);
    EXPECT_EQ(pv.currentPage(), 2);

    pv.button(QStringLiteral("Zoom 100%"))->click();
    EXPECT_EQ(pv.zoomPercent(), 100);
    pv.zoomSpin()->setValue(150);
    EXPECT_EQ(pv.zoomPercent(), 150);
    EXPECT_EQ(pv.zoomMode(), TQRPreview::ZoomMode::Percent);
    pv.button(QStringLiteral("Ajusteaza sa încapa pe latime"))->click();
    const int width = pv.zoomPercent();
    pv.button(QStringLiteral("Ajusteaza sa încapa"))->click();
    EXPECT_EQ(pv.zoomMode(), TQRPreview::ZoomMode::FitPage);
    EXPECT_LE(pv.zoomPercent(), width);  // a whole page is never larger than the page's width

    pv.closeButton()->click();
    EXPECT_FALSE(pv.isVisible());
}

TEST(ReportPreview, SaveAndLoadShowTheSamePages) {
    SmallRegister r;
    TempDir out;
    const QString path = QString::fromStdString(out.file("salvat.qrp"));
    {
        TQRPreview pv(r.rep.prepared());
        ASSERT_TRUE(pv.saveTo(path));
    }
    TQRPreview empty(PreparedReport{});
    EXPECT_EQ(empty.currentPage(), 0);
    ASSERT_TRUE(empty.loadFrom(path));
    EXPECT_EQ(empty.pageCount(), 3);
    EXPECT_EQ(empty.prepared(), r.rep.prepared());
    EXPECT_EQ(empty.currentPage(), 1);

    gui::Recorder rec;
    const QString missing = QString::fromStdString(out.file("lipsa.qrp"));
    EXPECT_FALSE(empty.loadFrom(missing));
    EXPECT_EQ(gui::Recorder::messages(),
              QStringList{QStringLiteral("Fisierul %1 nu este un raport salvat!").arg(missing)});
    EXPECT_EQ(empty.pageCount(), 3);  // the pages shown stay
}

TEST(ReportPreview, OpensMaximisedAtThePageWidth) {
    SmallRegister r;
    bool maximised = false;
    int zoom = 0, pageWidth = 0, viewWidth = 0;
    TQRPreview::ZoomMode mode = TQRPreview::ZoomMode::Percent;
    gui::onModal([&](QWidget* w) {
        gui::settle();
        auto* pv = qobject_cast<TQRPreview*>(w);
        auto* scroll = w->findChild<QScrollArea*>();
        if (pv && scroll) {
            maximised = pv->windowState() & Qt::WindowMaximized;
            mode = pv->zoomMode();
            zoom = pv->zoomPercent();
            pageWidth = scroll->widget()->width();
            viewWidth = scroll->viewport()->width();
        }
        w->close();
    });
    r.rep.preview();
    EXPECT_TRUE(maximised);
    EXPECT_EQ(mode, TQRPreview::ZoomMode::FitWidth);
    EXPECT_GT(zoom, 50) << "percent";
    // the page with its border fills the width it is shown in
    EXPECT_LE(pageWidth, viewWidth);
    EXPECT_GE(pageWidth, viewWidth * 9 / 10);
}

TEST(ReportPreview, ReportPreviewIsModalAndRunsTheReportAgain) {
    SmallRegister r;
    int runs = 0;
    r.rep.beforePrint = [&](Report&, bool&) { ++runs; };
    int shownPages = -1;
    gui::onModal<TQRPreview>([&](TQRPreview* pv) {
        shownPages = pv->pageCount();
        pv->closeButton()->click();
    });
    r.rep.preview();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(shownPages, 3);
}

TEST(ReportPrinting, WithoutPrinterThePagesGoToAPdfFile) {
    SmallRegister r;
    TempDir out;
    const QString path = QString::fromStdString(out.file("tiparit.pdf"));
    setCurrentPrinter(std::make_unique<rt::FixedPrinter>(4));
    QString askedTitle;
    setPdfFileChooser([&](QWidget*, const QString& title) {
        askedTitle = title;
        return path;
    });
    r.rep.copies = 2;
    r.rep.firstPage = 2;
    r.rep.lastPage = 0;
    EXPECT_TRUE(r.rep.print());
    EXPECT_EQ(askedTitle, QStringLiteral("Registru de test"));
    EXPECT_EQ(pdfPageCount(path), 2);

    // cancelling the file choice prints nothing
    setPdfFileChooser([](QWidget*, const QString&) { return QString(); });
    EXPECT_FALSE(printPrepared(r.rep.prepared(), 1, 0, 0));
    setPdfFileChooser(nullptr);

    // the system printer of this machine never crashes the program: with no
    // printer installed it is the PDF file
    setCurrentPrinter(makeSystemPrinter());
    PrinterDevice& sys = currentPrinter();
    EXPECT_FALSE(sys.name().isEmpty());
    if (sys.isPdfFile()) {
        EXPECT_TRUE(sys.name().contains(QStringLiteral("PDF")));
        EXPECT_EQ(sys.paperCode(), 9);
        sys.setOrientation(Orientation::Landscape);
        EXPECT_EQ(sys.orientation(), Orientation::Landscape);
        const DeviceMeasures m = sys.measures();
        EXPECT_GT(m.physicalWidth, m.physicalHeight);
        sys.setOrientation(Orientation::Portrait);
    }
    setCurrentPrinter(nullptr);
}

// A file saved from the preview or printed to PDF replaces its target whole:
// it is written beside it and renamed, so a second name of the old file (a
// hard link, a copy being read) keeps the old content, and no work file stays.
TEST(ReportFiles, SavedAndPrintedFilesReplaceTheirTargetWhole) {
    SmallRegister r;
    TempDir out;
    auto read = [](const std::string& path) {
        QFile f(QString::fromStdString(path));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    auto oldFileAt = [&](const std::string& name) {
        const std::string path = out.file(name), link = out.file(name + ".vechi");
        QFile f(QString::fromStdString(path));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("continut vechi");
        f.close();
        EXPECT_EQ(::link(path.c_str(), link.c_str()), 0);
        return path;
    };
    auto checkReplaced = [&](const std::string& path) {
        EXPECT_EQ(read(path + ".vechi"), QByteArray("continut vechi")) << path;
        EXPECT_NE(read(path), QByteArray("continut vechi")) << path;
        EXPECT_FALSE(read(path).isEmpty()) << path;
    };

    // the table formats need the report's data; without them the preview refuses
    TQRPreview pv(r.rep.prepared());
    gui::Recorder rec;
    EXPECT_FALSE(pv.saveTo(QString::fromStdString(out.file("fara.csv"))));
    EXPECT_EQ(gui::Recorder::messages(), QStringList{kNoDataTableText});
    pv.setDataTable([] {
        exports::DataTable t;
        t.head.columns = {{"Suma", exports::ColumnKind::Amount}};
        t.addRow().cells[0] = exports::Cell::amount(180000);
        return std::optional(t);
    });
    for (const char* name :
         {"raport.pdf", "raport.csv", "raport.xlsx", "raport.table.html", "raport.txt", "raport.html", "raport.qrp"}) {
        const std::string path = oldFileAt(name);
        ASSERT_TRUE(pv.saveTo(QString::fromStdString(path))) << name;
        checkReplaced(path);
    }
    EXPECT_EQ(pdfPageCount(QString::fromStdString(out.file("raport.pdf"))), 3);

    const std::string printed = oldFileAt("tiparit.pdf");
    setCurrentPrinter(std::make_unique<rt::FixedPrinter>(4));
    setPdfFileChooser([&](QWidget*, const QString&) { return QString::fromStdString(printed); });
    EXPECT_TRUE(printPrepared(r.rep.prepared(), 1, 2, 3));
    setPdfFileChooser(nullptr);
    setCurrentPrinter(nullptr);
    checkReplaced(printed);
    EXPECT_EQ(pdfPageCount(QString::fromStdString(printed)), 2);

    // nothing but the files and their old names is left in the directory
    const QStringList files =
        QDir(QString::fromStdString(out.path())).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(files.size(), 16) << files.join(' ').toStdString();
}

// A saved page of one text per family, `raw` its kind, pitch, alignment, colour spec.
static QString textsIn(TempDir& dir, const char* name, const QStringList& families,
                       const std::array<qint8, 4>& raw = {0, 0, 0, 1}) {
    return savedReportFile(dir, name, [&](QDataStream& s) {
        s << qint32(1) << 210.0 << 297.0 << qint32(families.size());
        for (const QString& family : families)
            s << raw[0] << QRectF(10, 10, 80, 5) << QStringLiteral("Text") << family << 10.0 << false << false << false
              << raw[1] << raw[2] << false << true << raw[3] << quint16(0xffff) << quint16(0x1212) << quint16(0)
              << quint32(0) << qint8(0) << quint64(0) << quint16(0) << 0.2 << QStringLiteral("QRLabel1");
        s << qint32(0);
    });
}

// Every enumerated value and colour of a saved report is checked, and a file
// may name only so many fonts (one naming thousands took a minute to lay out).
TEST(ReportOutput, SavedReportValuesOutOfRangeAndTooManyFontsAreRefused) {
    TempDir out;
    QString error;
    QStringList families;
    for (int i = 0; i < kMaxSavedReportFamilies; ++i) families << QStringLiteral("Font %1").arg(i);
    ASSERT_TRUE(PreparedReport::load(textsIn(out, "bun.qrp", families), &error)) << error.toStdString();
    const std::tuple<QStringList, std::array<qint8, 4>, const char*> wrong[] = {
        {{"Arial"}, {0, 0, 0, 0x7f}, "culoare nevalida"},
        {{"Arial"}, {0, 0, 0, 3}, "culoare nevalida"},
        {{"Arial"}, {3, 0, 0, 1}, "tip de element nevalid"},
        {{"Arial"}, {0, -1, 0, 1}, "tip de font nevalid"},
        {{"Arial"}, {0, 0, 9, 1}, "aliniere nevalida"},
        {families << "Inca unul", {0, 0, 0, 1}, "prea multe fonturi diferite"}};
    for (const auto& [fonts, raw, why] : wrong) {
        const QString path = textsIn(out, "rau.qrp", fonts, raw);
        EXPECT_FALSE(PreparedReport::load(path, &error)) << why;
        EXPECT_EQ(error, QStringLiteral("Fisierul %1 este deteriorat (%2)!").arg(path, QString::fromUtf8(why)));
    }
}
