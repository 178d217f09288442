#include "reports/Render.h"

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

#include "reports/Fonts.h"

namespace reports {

namespace {

constexpr double kEps = 0.01;  // mm

QRectF toUnits(const QRectF& r) {
    return QRectF(r.x() * kUnitsPerMm, r.y() * kUnitsPerMm, r.width() * kUnitsPerMm, r.height() * kUnitsPerMm);
}

QPointF toUnits(const QPointF& p) { return QPointF(p.x() * kUnitsPerMm, p.y() * kUnitsPerMm); }

QPen penFor(const PageElement& e, double minPen) {
    QPen pen(e.color().isValid() ? e.color() : QColor(Qt::black));
    pen.setWidthF(std::max(e.penWidth() * kUnitsPerMm, minPen));
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

// Painter state set only when it changes: every change becomes drawing
// operators in a PDF file.
struct PaintState {
    QPainter& p;
    double minPen;
    const FontSpec* font = nullptr;
    QPen pen;
    bool penSet = false;

    void setFont(const FontSpec& f) {
        if (font && *font == f) return;
        p.setFont(reportQFont(f));
        font = &f;
    }
    void setPen(const QPen& pn) {
        if (penSet && pen == pn) return;
        p.setPen(pn);
        pen = pn;
        penSet = true;
    }
};

void paintText(PaintState& st, const PageElement& e) {
    QPainter& p = st.p;
    if (e.background().isValid() && e.box.width() > 0 && e.box.height() > 0) p.fillRect(toUnits(e.box), e.background());
    if (e.text.isEmpty() || e.box.width() <= 0) return;
    const QStringList lines = elementLines(e);
    const FontSpec& font = e.font();
    const double ls = lineSpacingMm(font);
    const double asc = ascentMm(font);
    st.setFont(font);
    st.setPen(QPen(e.color().isValid() ? e.color() : QColor(Qt::black)));
    bool clipped = false;
    for (int i = 0; i < lines.size(); ++i) {
        if (e.clip() && i > 0 && i * ls >= e.box.height() - kEps) break;
        const QString& line = lines[i];
        if (line.isEmpty()) continue;
        const double w = textWidthMm(font, line);
        const bool overflow = w > e.box.width() + kEps || (i > 0 && (i + 1) * ls > e.box.height() + kEps);
        if (e.clip() && overflow && !clipped) {
            p.save();
            p.setClipRect(toUnits(e.box), Qt::IntersectClip);
            clipped = true;
        }
        double x = e.box.left();
        if (e.align() == HAlign::Right)
            x = e.box.right() - w;
        else if (e.align() == HAlign::Center)
            x = e.box.left() + (e.box.width() - w) / 2;
        p.drawText(toUnits(QPointF(x, e.box.top() + asc + i * ls)), line);
    }
    if (clipped) {
        p.restore();
        st.font = nullptr;  // restore() brought back the state saved before
        st.penSet = false;
    }
}

QPageLayout layoutFor(const Page& page) {
    const bool landscape = page.width > page.height;
    const QSizeF portrait = landscape ? QSizeF(page.height, page.width) : QSizeF(page.width, page.height);
    return QPageLayout(QPageSize(portrait, QPageSize::Millimeter),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Millimeter);
}

// Fragments of a page grouped into printed lines, each sorted left to right;
// texts of one line share its baseline (an amount fitted in a smaller font
// sits lower in its box).
std::vector<std::vector<TextFragment>> lineGroups(const Page& page) {
    std::vector<TextFragment> frags = textFragments(page);
    std::stable_sort(frags.begin(), frags.end(),
                     [](const TextFragment& a, const TextFragment& b) { return a.baseline < b.baseline; });
    std::vector<std::vector<TextFragment>> lines;
    double lineBaseline = -1e9;
    for (TextFragment& f : frags) {
        if (lines.empty() || f.baseline - lineBaseline > std::min(1.2, f.height * 0.5)) {
            lines.emplace_back();
            lineBaseline = f.baseline;
        }
        lines.back().push_back(std::move(f));
    }
    for (auto& l : lines)
        std::stable_sort(l.begin(), l.end(),
                         [](const TextFragment& a, const TextFragment& b) { return a.left < b.left; });
    return lines;
}

QString mm(double v) { return QString::number(v, 'f', 2) + QLatin1String("mm"); }

QString cssFont(const FontSpec& f) {
    QString family = f.family;
    family.remove(QLatin1Char('\''));
    return QStringLiteral("font-family:'%1','%2';font-size:%3pt;%4%5%6")
        .arg(family, resolveFontFamily(f.family))
        .arg(f.size)
        .arg(f.bold ? QStringLiteral("font-weight:bold;") : QString())
        .arg(f.italic ? QStringLiteral("font-style:italic;") : QString())
        .arg(f.underline ? QStringLiteral("text-decoration:underline;") : QString());
}

}  // namespace

void paintPage(QPainter& p, const Page& page, double pixelsPerMm) {
    p.save();
    const double scale = pixelsPerMm / kUnitsPerMm;
    p.scale(scale, scale);
    PaintState st{p, 1.0 / scale, nullptr, QPen(), false};  // pens at least one device pixel wide
    p.setBrush(Qt::NoBrush);
    std::vector<QLineF> lines;  // consecutive lines with one pen go out together
    const auto& els = page.elements;
    for (size_t i = 0; i < els.size(); ++i) {
        const PageElement& e = els[i];
        switch (e.kind()) {
            case PageElement::Kind::Text: paintText(st, e); break;
            case PageElement::Kind::Line: {
                const QPen pen = penFor(e, st.minPen);
                lines.clear();
                lines.emplace_back(toUnits(e.box.topLeft()), toUnits(e.box.bottomRight()));
                while (i + 1 < els.size() && els[i + 1].kind() == PageElement::Kind::Line &&
                       els[i + 1].penWidth() == e.penWidth() && els[i + 1].color() == e.color()) {
                    ++i;
                    lines.emplace_back(toUnits(els[i].box.topLeft()), toUnits(els[i].box.bottomRight()));
                }
                st.setPen(pen);
                p.drawLines(lines.data(), static_cast<int>(lines.size()));
                break;
            }
            case PageElement::Kind::Rect:
                if (e.background().isValid()) p.fillRect(toUnits(e.box), e.background());
                st.setPen(penFor(e, st.minPen));
                p.drawRect(toUnits(e.box));
                break;
        }
    }
    p.restore();
}

PageRange clampRange(int pageCount, int first, int last) {
    PageRange r;
    r.first = first <= 0 ? 1 : first;
    r.last = last <= 0 || last > pageCount ? pageCount : last;
    return r;
}

namespace {

// The lines of one page on a character grid.
void appendPageText(QString& out, const Page& page) {
    constexpr double kCharMm = 2.0;  // width of one character cell
    for (const auto& line : lineGroups(page)) {
        QString row;
        for (const TextFragment& f : line) {
            int col = static_cast<int>(std::lround(f.left / kCharMm));
            if (f.align == HAlign::Right)
                col = static_cast<int>(std::lround((f.left + f.width) / kCharMm)) - static_cast<int>(f.text.size());
            const int minCol = row.isEmpty() ? 0 : static_cast<int>(row.size()) + 1;
            col = std::max(col, minCol);
            row += QString(col - row.size(), QLatin1Char(' '));
            row += f.text;
        }
        out += row + QLatin1Char('\n');
    }
}

QString htmlHead(const QString& title) {
    return QStringLiteral(
               "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title>\n<style>\n"
               "body{background:#888;margin:0;padding:8px}\n"
               ".page{position:relative;background:#fff;margin:8px auto;overflow:hidden}\n"
               ".t{position:absolute;white-space:pre;overflow:hidden;line-height:1.15}\n"
               ".t.w{overflow:visible}\n"
               ".l{position:absolute;box-sizing:border-box}\n"
               "</style></head><body>\n")
        .arg(title.toHtmlEscaped());
}

const QLatin1String kHtmlTail("</body></html>\n");

void appendPageHtml(QString& out, const Page& page) {
    out += QStringLiteral("<div class=\"page\" style=\"width:%1;height:%2\">\n").arg(mm(page.width), mm(page.height));
    for (const PageElement& e : page.elements) {
        if (e.kind() == PageElement::Kind::Line) {
            const QRectF r = e.box.normalized();
            const bool horizontal = r.height() < r.width();
            out += QStringLiteral(
                       "<div class=\"l\" style=\"left:%1;top:%2;width:%3;height:%4;border-%5:%6 solid %7\"></div>\n")
                       .arg(mm(r.left()), mm(r.top()), mm(horizontal ? r.width() : 0), mm(horizontal ? 0 : r.height()),
                            horizontal ? QStringLiteral("top") : QStringLiteral("left"), mm(e.penWidth()),
                            e.color().name());
        } else if (e.kind() == PageElement::Kind::Rect) {
            out +=
                QStringLiteral(
                    "<div class=\"l\" style=\"left:%1;top:%2;width:%3;height:%4;border:%5 solid %6%7\"></div>\n")
                    .arg(mm(e.box.left()), mm(e.box.top()), mm(e.box.width()), mm(e.box.height()), mm(e.penWidth()),
                         e.color().name(),
                         e.background().isValid() ? QStringLiteral(";background:") + e.background().name() : QString());
        } else if (e.background().isValid() && e.box.width() > 0) {
            out += QStringLiteral("<div class=\"l\" style=\"left:%1;top:%2;width:%3;height:%4;background:%5\"></div>\n")
                       .arg(mm(e.box.left()), mm(e.box.top()), mm(e.box.width()), mm(e.box.height()),
                            e.background().name());
        }
    }
    for (const TextFragment& f : textFragments(page)) {
        const char* align = f.align == HAlign::Right ? "right" : f.align == HAlign::Center ? "center" : "left";
        // a text that fits its box (every amount) is never cut by a browser
        // whose face comes out a hair wider than ours
        const bool fits = textFits(f.element->font(), f.text, f.boxWidth);
        out += QStringLiteral("<div class=\"%1\" style=\"left:%2;top:%3;width:%4;text-align:%5;%6\">%7</div>\n")
                   .arg(QLatin1String(fits ? "t w" : "t"), mm(f.boxLeft), mm(f.top), mm(f.boxWidth),
                        QLatin1String(align), cssFont(f.element->font()), f.text.toHtmlEscaped());
    }
    out += QLatin1String("</div>\n");
}

// Text and HTML: each page's text goes out as it is made, through a file
// that replaces the target only when complete.
class TextPageWriter : public PageWriter {
public:
    TextPageWriter(const QString& path, bool html, const QString& title) : file_(path), html_(html) {
        if (!file_.open(QIODevice::WriteOnly)) return;
        open_ = true;
        if (html_) put(htmlHead(title));
    }
    bool isOpen() const { return open_; }
    QString errorString() const { return file_.errorString(); }

    void write(const Page& page) override {
        if (html_) {
            appendPageHtml(buffer_, page);
        } else {
            if (pages_ > 0) buffer_ += QLatin1String("\f\n");
            appendPageText(buffer_, page);
        }
        ++pages_;
        if (buffer_.size() > kFlushChars) flush();
    }

    bool finish(QString* error) override {
        if (html_) buffer_ += kHtmlTail;
        flush();
        if (!file_.commit()) {
            if (error) *error = file_.errorString();
            return false;
        }
        return true;
    }

private:
    static constexpr qsizetype kFlushChars = 1 << 18;
    void put(const QString& text) {
        buffer_ += text;
        flush();
    }
    void flush() {
        file_.write(buffer_.toUtf8());
        buffer_.clear();
    }
    QSaveFile file_;
    bool html_;
    bool open_ = false;
    int pages_ = 0;
    QString buffer_;
};

// PDF: each page drawn as it comes; the first page's size opens the file.
class PdfPageWriter : public PageWriter {
public:
    PdfPageWriter(const QString& path, const QString& title) : path_(path), writer_(path) {
        writer_.setResolution(static_cast<int>(kRefDpi));
        writer_.setTitle(title);
        writer_.setCreator(QStringLiteral("Corvalinde"));
    }

    void write(const Page& page) override {
        if (failed_) return;
        if (!begun_) {
            writer_.setPageLayout(layoutFor(page));
            if (!begin()) return;
        } else {
            writer_.setPageLayout(layoutFor(page));
            writer_.newPage();
        }
        paintPage(painter_, page, kRefDpi / 25.4);
    }

    bool finish(QString* error) override {
        if (!begun_ && !failed_) begin();
        if (failed_ || !painter_.end()) {
            if (error) *error = QStringLiteral("cannot write %1").arg(path_);
            return false;
        }
        return true;
    }

private:
    bool begin() {
        begun_ = true;
        failed_ = !painter_.begin(&writer_);
        return !failed_;
    }
    QString path_;
    QPdfWriter writer_;
    QPainter painter_;
    bool begun_ = false, failed_ = false;
};

}  // namespace

PageWriter::~PageWriter() = default;

std::unique_ptr<PageWriter> openPageWriter(const QString& path, const QString& title, QString* error) {
    switch (formatForPath(path)) {
        case FileFormat::Pdf: return std::make_unique<PdfPageWriter>(path, title);
        case FileFormat::Text:
        case FileFormat::Html: {
            auto w = std::make_unique<TextPageWriter>(path, formatForPath(path) == FileFormat::Html, title);
            if (w->isOpen()) return w;
            if (error) *error = w->errorString();
            return nullptr;
        }
        case FileFormat::Saved: break;
    }
    if (error) *error = QStringLiteral("not a page format: %1").arg(path);
    return nullptr;
}

bool exportPdf(const PreparedReport& report, const QString& path, int firstPage, int lastPage, QString* error) {
    const PageRange range = clampRange(report.pageCount(), firstPage, lastPage);
    PdfPageWriter writer(path, report.title);
    for (int i = range.first; i <= range.last; ++i) writer.write(report.pages[static_cast<size_t>(i - 1)]);
    return writer.finish(error);
}

QString exportPlainText(const PreparedReport& report) {
    QString out;
    for (size_t pi = 0; pi < report.pages.size(); ++pi) {
        if (pi > 0) out += QLatin1String("\f\n");
        appendPageText(out, report.pages[pi]);
    }
    return out;
}

QString exportHtml(const PreparedReport& report) {
    QString out = htmlHead(report.title);
    for (const Page& page : report.pages) appendPageHtml(out, page);
    out += kHtmlTail;
    return out;
}

FileFormat formatForPath(const QString& path) {
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("pdf")) return FileFormat::Pdf;
    if (ext == QLatin1String("txt")) return FileFormat::Text;
    if (ext == QLatin1String("htm") || ext == QLatin1String("html")) return FileFormat::Html;
    return FileFormat::Saved;
}

bool writeReportFile(const PreparedReport& report, const QString& path, QString* error) {
    if (formatForPath(path) == FileFormat::Saved) return report.save(path, error);
    std::unique_ptr<PageWriter> writer = openPageWriter(path, report.title, error);
    if (!writer) return false;
    for (const Page& page : report.pages) writer->write(page);
    return writer->finish(error);
}

}  // namespace reports
