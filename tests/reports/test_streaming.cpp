// Pages that stream: a report written a page at a time, and the preview that
// lays out its pages while it shows the first, give exactly the pages and
// files of the whole report laid out in memory.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QProcess>

#include "ReportTestSupport.h"
#include "reports/Preview.h"
#include "reports/Render.h"
#include "reports/Report.h"
#include "support/TempDir.h"

using namespace reports;

namespace {

// Sixty days of four rows, some with texts outside ASCII: about a dozen
// pages, each footer reading "Pag.N din M".
struct LongRegister {
    TempDir dir;
    std::unique_ptr<data::Table> table;
    Report rep;
    int pages = 0;

    LongRegister() {
        std::vector<rt::Row> rows;
        for (int i = 0; i < 240; ++i)
            rows.push_back({data::Date{2014, 1, 1}.addDays(i / 4),
                            (i % 7 ? "Chitanta nr. " : "Donație pentru «biserică» ") + std::to_string(i),
                            1.0 + (i * 7919 % 250000) / 100.0, i % 5 ? 0.0 : 12.5});
        rt::makeRegister(dir.path(), rows);
        table = rt::openRegister(dir.path());
        rep.title = QStringLiteral("Registru");
        rep.loadLayout(QString::fromUtf8(rt::kRegisterLayout));
        rep.setDataSet(table.get(), QStringLiteral("TRegistru"));
        rep.item("PageNumberLabel").onPrint = [this](Item&, QString& t) {
            t += QStringLiteral(" din ") + QString::number(pages);
        };
        pages = rep.countPages();
    }
};

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What a PDF shows, as poppler reads it back.
QByteArray pdfText(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    return p.waitForFinished(30000) ? p.readAllStandardOutput() : QByteArray();
}

}  // namespace

TEST(StreamingReports, PagesWrittenAsLaidOutMatchTheWholeReport) {
    LongRegister r;
    ASSERT_GT(r.pages, 8);
    const PreparedReport whole = [&] {
        r.rep.prepare();
        return r.rep.prepared();
    }();
    std::vector<Page> streamed;
    EXPECT_EQ(r.rep.run([&](Page&& p) { streamed.push_back(std::move(p)); }), r.pages);
    EXPECT_TRUE(r.rep.prepared().pages.empty());  // nothing kept by the run
    ASSERT_EQ(streamed.size(), whole.pages.size());
    for (size_t i = 0; i < streamed.size(); ++i) EXPECT_TRUE(streamed[i] == whole.pages[i]) << "page " << i + 1;

    TempDir out;
    for (const char* ext : {"txt", "html", "pdf"}) {
        const QString reference = QString::fromStdString(out.file(std::string("whole.") + ext));
        const QString file = QString::fromStdString(out.file(std::string("streamed.") + ext));
        ASSERT_TRUE(writeReportFile(whole, reference)) << ext;
        std::unique_ptr<PageWriter> writer = openPageWriter(file, r.rep.title);
        ASSERT_TRUE(writer) << ext;
        EXPECT_EQ(r.rep.run([&](Page&& p) { writer->write(p); }), r.pages);
        QString error;
        ASSERT_TRUE(writer->finish(&error)) << error.toStdString();
        if (std::string(ext) == "pdf") {
            const QByteArray text = pdfText(file);
            EXPECT_TRUE(text.contains(QByteArray("Pag.") + QByteArray::number(r.pages) + " din " +
                                      QByteArray::number(r.pages)));
            EXPECT_EQ(text, pdfText(reference));
        } else {
            EXPECT_EQ(fileBytes(file), fileBytes(reference)) << ext;
        }
    }
}

TEST(StreamingReports, PreviewLaysOutPagesWhileItShowsAndGivesEachAsTheWholeReport) {
    LongRegister r;
    r.rep.prepare();
    const PreparedReport whole = r.rep.prepared();

    auto stream = std::make_unique<PageStream>(r.rep);
    Page first;
    ASSERT_TRUE(stream->next(first));
    TQRPreview pv(std::move(stream), std::move(first), r.rep.title);
    // only the first page exists when the window opens
    EXPECT_EQ(pv.pagesLaidOut(), 1);
    EXPECT_TRUE(pv.layingOut());
    EXPECT_TRUE(pv.page(1) == whole.pages[0]);
    // the rest comes between the window's events
    for (int i = 0; i < 1000 && pv.layingOut(); ++i) QApplication::processEvents();
    EXPECT_FALSE(pv.layingOut());
    ASSERT_EQ(pv.pagesLaidOut(), r.pages);
    // any page, in any order, is the page of the whole report
    for (int n : {r.pages, 1, r.pages / 2, 2, r.pages - 1}) {
        pv.showPage(n);
        EXPECT_EQ(pv.currentPage(), n);
        EXPECT_TRUE(pv.page(n) == whole.pages[static_cast<size_t>(n - 1)]) << "page " << n;
    }
    EXPECT_TRUE(pv.prepared() == whole);
}

TEST(StreamingReports, MovingPastThePagesLaidOutLaysOutTheRest) {
    LongRegister r;
    r.rep.prepare();
    const PreparedReport whole = r.rep.prepared();
    auto stream = std::make_unique<PageStream>(r.rep);
    Page first;
    ASSERT_TRUE(stream->next(first));
    TQRPreview pv(std::move(stream), std::move(first), r.rep.title);
    pv.lastPage();
    EXPECT_FALSE(pv.layingOut());
    EXPECT_EQ(pv.currentPage(), r.pages);
    EXPECT_TRUE(pv.page(r.pages) == whole.pages.back());
    // the report is free again for another run
    EXPECT_EQ(r.rep.prepare(), r.pages);
}
