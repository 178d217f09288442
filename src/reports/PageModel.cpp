#include "reports/PageModel.h"

#include <QDataStream>
#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <cmath>
#include <cstring>
#include <mutex>
#include <unordered_set>

#include "reports/Fonts.h"

namespace reports {

namespace {

struct StyleHash {
    size_t operator()(const ElementStyle& s) const noexcept {
        size_t h = qHash(s.name);
        auto mix = [&h](size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); };
        mix(qHash(s.font.family));
        mix(qHash(s.font.size));
        mix(static_cast<size_t>(s.kind) | static_cast<size_t>(s.align) << 2 | size_t(s.wordWrap) << 4 |
            size_t(s.clip) << 5 | size_t(s.font.bold) << 6 | size_t(s.font.italic) << 7 |
            size_t(s.font.underline) << 8 | static_cast<size_t>(s.font.pitch) << 9);
        mix(s.color.rgba());
        mix(s.background.isValid() ? s.background.rgba() : 1);
        mix(qHash(s.penWidth));
        return h;
    }
};

}  // namespace

const ElementStyle* ElementStyle::intern(const ElementStyle& style) {
    // few styles in a program run: one per report item and kind of frame,
    // kept with their nodes in place, so the pointers stay valid
    static std::mutex lock;
    static std::unordered_set<ElementStyle, StyleHash> styles;
    std::lock_guard<std::mutex> guard(lock);
    return &*styles.insert(style).first;
}

const ElementStyle* ElementStyle::plain() {
    static const ElementStyle* const style = intern(ElementStyle{});
    return style;
}

QStringList Page::textsOf(const QString& name) const {
    QStringList out;
    for (const auto& e : elements)
        if (e.kind() == PageElement::Kind::Text && e.name() == name) out << e.text;
    return out;
}

QString Page::textOf(const QString& name) const {
    const PageElement* e = findElement(name);
    return e ? e->text : QString();
}

QStringList Page::allTexts() const {
    QStringList out;
    for (const auto& e : elements)
        if (e.kind() == PageElement::Kind::Text) out << e.text;
    return out;
}

bool Page::containsText(const QString& text) const {
    for (const auto& e : elements)
        if (e.kind() == PageElement::Kind::Text && e.text == text) return true;
    return false;
}

const PageElement* Page::findElement(const QString& name) const {
    for (const auto& e : elements)
        if (e.name() == name) return &e;
    return nullptr;
}

std::vector<BandPlacement> Page::bandsNamed(const QString& name) const {
    std::vector<BandPlacement> out;
    for (const auto& b : bands)
        if (b.name == name) out.push_back(b);
    return out;
}

// ------------------------------------------------------------ saved reports

namespace {

constexpr quint32 kMagic = 0x43565250;  // "CVRP"
constexpr quint16 kVersion = 1;

void writeFont(QDataStream& s, const FontSpec& f) {
    s << f.family << f.size << f.bold << f.italic << f.underline << static_cast<qint8>(f.pitch);
}

}  // namespace

bool PreparedReport::save(const QString& path, QString* error) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    QDataStream s(&file);
    s.setVersion(QDataStream::Qt_6_0);
    s << kMagic << kVersion << title << static_cast<qint32>(pages.size());
    for (const Page& p : pages) {
        s << p.width << p.height << static_cast<qint32>(p.elements.size());
        for (const PageElement& e : p.elements) {
            const ElementStyle& st = *e.style;
            s << static_cast<qint8>(st.kind) << e.box << e.text;
            writeFont(s, st.font);
            s << static_cast<qint8>(st.align) << st.wordWrap << st.clip << st.color << st.background << st.penWidth
              << st.name;
        }
        s << static_cast<qint32>(p.bands.size());
        for (const BandPlacement& b : p.bands) s << b.name << b.top << b.height;
    }
    if (s.status() != QDataStream::Ok || !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

namespace {

// The fewest bytes one page, element and band take in the file. A count is
// checked against the bytes left before anything is reserved for it, so a
// damaged count can never ask for more memory than the file could fill.
constexpr qint64 kPageBytes = 8 + 8 + 4 + 4;  // width, height, two counts
constexpr qint64 kElementBytes = 1 + 32 + 4 + (4 + 8 + 4) + 1 + 2 + 2 * 11 + 8 + 4;
constexpr qint64 kBandBytes = 4 + 8 + 8;

// Reads from a saved-report file; any inconsistency marks it damaged.
class ReportReader {
public:
    explicit ReportReader(QFile& file) : file_(file), s_(&file) { s_.setVersion(QDataStream::Qt_6_0); }

    QDataStream& stream() { return s_; }
    bool ok() const { return ok_ && s_.status() == QDataStream::Ok; }
    void fail(const char* why = nullptr) {
        if (ok_ && why) why_ = QString::fromUtf8(why);
        ok_ = false;
    }
    // What made the file unusable, beyond being damaged; empty when nothing more is known.
    const QString& why() const { return why_; }

    // An enumerated value stored as a byte, refused unless it is one of the `n` values from 0.
    template <typename E>
    E enumerated(int n, const char* what) {
        qint8 v = 0;
        s_ >> v;
        if (v < 0 || v >= n) {
            fail(what);
            return E{};
        }
        return static_cast<E>(v);
    }

    // A colour as QDataStream writes it (colour model, alpha, red, green,
    // blue, padding), read by hand: Qt's own reading takes the model as stored
    // and an out-of-range one is undefined. The program saves only plain
    // RGB colours and "no colour".
    QColor color() {
        qint8 model = 0;
        quint16 a = 0, r = 0, g = 0, b = 0, pad = 0;
        s_ >> model >> a >> r >> g >> b >> pad;
        if (model == QColor::Invalid) return QColor();
        if (model != QColor::Rgb) {
            fail("culoare nevalida");
            return QColor();
        }
        return QColor::fromRgba64(r, g, b, a);
    }

    // A report font. Every distinct font costs its loading when the pages
    // are laid out or drawn, so a file may name only so many families, and
    // so many fonts (a family at a size and style).
    void font(FontSpec& f) {
        s_ >> f.family >> f.size >> f.bold >> f.italic >> f.underline;
        f.pitch = enumerated<Pitch>(3, "tip de font nevalid");
        if (!std::isfinite(f.size) || f.size < 0 || f.size > 1000) fail();
        if (!families_.contains(f.family)) {
            if (families_.size() >= kMaxSavedReportFamilies) fail("prea multe fonturi diferite");
            families_.insert(f.family);
        }
        const QString font = f.family + QLatin1Char('|') + QString::number(f.size) + QLatin1Char(f.bold ? 'b' : '-') +
                             QLatin1Char(f.italic ? 'i' : '-') + QLatin1Char(f.underline ? 'u' : '-') +
                             QString::number(static_cast<int>(f.pitch));
        if (!fonts_.contains(font)) {
            if (fonts_.size() >= kMaxSavedReportFonts) fail("prea multe fonturi diferite");
            fonts_.insert(font);
        }
    }

    // A count of items of at least `itemBytes` each that the rest of the file can hold.
    qint32 count(qint64 itemBytes) {
        qint32 n = -1;
        s_ >> n;
        if (!ok() || n < 0 || n > (file_.size() - file_.pos()) / itemBytes) {
            fail();
            return 0;
        }
        return n;
    }
    // A measure in millimetres within `limit`.
    double measure(double limit) {
        double v = 0;
        s_ >> v;
        if (!std::isfinite(v) || std::fabs(v) > limit) fail();
        return v;
    }

private:
    QFile& file_;
    QDataStream s_;
    bool ok_ = true;
    QString why_;
    QSet<QString> families_, fonts_;
};

constexpr double kMaxMeasure = 100000;  // mm

void readElement(ReportReader& in, PageElement& e) {
    QDataStream& s = in.stream();
    ElementStyle st;
    st.kind = in.enumerated<ElementKind>(3, "tip de element nevalid");
    const double x = in.measure(kMaxMeasure), y = in.measure(kMaxMeasure);
    const double w = in.measure(kMaxMeasure), h = in.measure(kMaxMeasure);
    e.box = QRectF(x, y, w, h);
    s >> e.text;
    in.font(st.font);
    st.align = in.enumerated<HAlign>(3, "aliniere nevalida");
    s >> st.wordWrap >> st.clip;
    st.color = in.color();
    st.background = in.color();
    st.penWidth = in.measure(kMaxMeasure);
    s >> st.name;
    if (!in.ok()) return;  // a damaged file's values are never kept
    e.style = ElementStyle::intern(st);
}

bool readPage(ReportReader& in, Page& p) {
    p.width = in.measure(kMaxMeasure);
    p.height = in.measure(kMaxMeasure);
    if (!(p.width > 0 && p.height > 0)) in.fail();
    const qint32 elements = in.count(kElementBytes);
    p.elements.reserve(static_cast<size_t>(elements));
    for (qint32 k = 0; k < elements && in.ok(); ++k) readElement(in, p.elements.emplace_back());
    const qint32 bands = in.count(kBandBytes);
    p.bands.reserve(static_cast<size_t>(bands));
    for (qint32 k = 0; k < bands && in.ok(); ++k) {
        BandPlacement& b = p.bands.emplace_back();
        in.stream() >> b.name;
        b.top = in.measure(kMaxMeasure);
        b.height = in.measure(kMaxMeasure);
    }
    return in.ok();
}

}  // namespace

std::optional<PreparedReport> PreparedReport::load(const QString& path, QString* error) {
    auto refuse = [&](const char* text) -> std::optional<PreparedReport> {
        if (error) *error = QString::fromUtf8(text).arg(path);
        return std::nullopt;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return refuse("Fisierul %1 nu este un raport salvat!");
    ReportReader in(file);
    quint32 magic = 0;
    quint16 version = 0;
    in.stream() >> magic >> version;
    if (!in.ok() || magic != kMagic || version != kVersion) return refuse("Fisierul %1 nu este un raport salvat!");
    PreparedReport r;
    in.stream() >> r.title;
    const qint32 pageCount = in.count(kPageBytes);
    r.pages.reserve(static_cast<size_t>(pageCount));
    for (qint32 i = 0; i < pageCount && in.ok(); ++i) readPage(in, r.pages.emplace_back());
    if (!in.ok()) {
        if (error && !in.why().isEmpty())
            *error = QStringLiteral("Fisierul %1 este deteriorat (%2)!").arg(path, in.why());
        else
            refuse("Fisierul %1 este deteriorat!");
        return std::nullopt;
    }
    return r;
}

// ------------------------------------------------------------ text fragments

std::vector<TextFragment> textFragments(const Page& page) {
    std::vector<TextFragment> out;
    for (const PageElement& e : page.elements) {
        if (e.kind() != PageElement::Kind::Text || e.text.isEmpty() || e.box.width() <= 0) continue;
        const QStringList lines = elementLines(e);
        const double ls = lineSpacingMm(e.font()), ascent = ascentMm(e.font());
        for (int i = 0; i < lines.size(); ++i) {
            const double top = e.box.top() + i * ls;
            if (e.clip() && i > 0 && top + ls > e.box.bottom() + 0.01) break;
            TextFragment f;
            f.text = lines[i].trimmed();
            if (f.text.isEmpty()) continue;
            double w = textWidthMm(e.font(), lines[i]);
            if (e.clip()) w = std::min(w, e.box.width());
            f.width = w;
            f.left = e.align() == HAlign::Left    ? e.box.left()
                     : e.align() == HAlign::Right ? e.box.right() - w
                                                  : e.box.left() + (e.box.width() - w) / 2;
            f.top = top;
            f.baseline = top + ascent;
            f.height = ls;
            f.boxLeft = e.box.left();
            f.boxWidth = e.box.width();
            f.align = e.align();
            f.element = &e;
            out.push_back(std::move(f));
        }
    }
    return out;
}

// ------------------------------------------------------------------ packed pages

namespace {

void putVarint(QByteArray& out, quint32 v) {
    while (v >= 0x80) {
        out.append(static_cast<char>(v | 0x80));
        v >>= 7;
    }
    out.append(static_cast<char>(v));
}

quint32 getVarint(const char*& p) {
    quint32 v = 0;
    int shift = 0;
    for (;;) {
        const auto b = static_cast<unsigned char>(*p++);
        v |= quint32(b & 0x7f) << shift;
        if (!(b & 0x80)) return v;
        shift += 7;
    }
}

// A text as its length (times two, plus one when every character is ASCII)
// and its characters: one byte each for ASCII, the UTF-16 units otherwise.
void putText(QByteArray& out, const QString& text) {
    bool ascii = true;
    for (const QChar c : text)
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    putVarint(out, quint32(text.size()) * 2 + (ascii ? 1 : 0));
    if (ascii) {
        for (const QChar c : text) out.append(static_cast<char>(c.unicode()));
    } else {
        out.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    }
}

QString getText(const char*& p) {
    const quint32 head = getVarint(p);
    const qsizetype n = head / 2;
    QString text;
    if (head & 1) {
        text = QString::fromLatin1(p, n);
        p += n;
    } else {
        text.resize(n);
        std::memcpy(text.data(), p, size_t(n) * 2);
        p += n * 2;
    }
    return text;
}

}  // namespace

quint32 PackedPages::valueIndex(double v) {
    quint64 bits;
    std::memcpy(&bits, &v, sizeof bits);
    auto it = valueIds_.constFind(bits);
    if (it != valueIds_.constEnd()) return it.value();
    const auto id = static_cast<quint32>(values_.size());
    values_.push_back(v);
    valueIds_.insert(bits, id);
    return id;
}

quint32 PackedPages::styleIndex(const ElementStyle* st) {
    auto it = styleIds_.constFind(st);
    if (it != styleIds_.constEnd()) return it.value();
    const auto id = static_cast<quint32>(styles_.size());
    styles_.push_back(st);
    styleIds_.insert(st, id);
    return id;
}

quint32 PackedPages::nameIndex(const QString& name) {
    auto it = nameIds_.constFind(name);
    if (it != nameIds_.constEnd()) return it.value();
    const auto id = static_cast<quint32>(names_.size());
    names_.push_back(name);
    nameIds_.insert(name, id);
    return id;
}

void PackedPages::append(const Page& page) {
    QByteArray out;
    out.reserve(static_cast<qsizetype>(page.elements.size()) * 16 + 64);
    putVarint(out, valueIndex(page.width));
    putVarint(out, valueIndex(page.height));
    putVarint(out, static_cast<quint32>(page.elements.size()));
    for (const PageElement& e : page.elements) {
        putVarint(out, styleIndex(e.style));
        putVarint(out, valueIndex(e.box.x()));
        putVarint(out, valueIndex(e.box.y()));
        putVarint(out, valueIndex(e.box.width()));
        putVarint(out, valueIndex(e.box.height()));
        putText(out, e.text);
    }
    putVarint(out, static_cast<quint32>(page.bands.size()));
    for (const BandPlacement& b : page.bands) {
        putVarint(out, nameIndex(b.name));
        putVarint(out, valueIndex(b.top));
        putVarint(out, valueIndex(b.height));
    }
    out.squeeze();
    pages_.push_back(std::move(out));
}

Page PackedPages::page(int index) const {
    Page page;
    const QByteArray& bytes = pages_.at(static_cast<size_t>(index));
    const char* p = bytes.constData();
    page.width = values_[getVarint(p)];
    page.height = values_[getVarint(p)];
    page.elements.resize(getVarint(p));
    for (PageElement& e : page.elements) {
        e.style = styles_[getVarint(p)];
        const double x = values_[getVarint(p)], y = values_[getVarint(p)];
        const double w = values_[getVarint(p)], h = values_[getVarint(p)];
        e.box = QRectF(x, y, w, h);
        e.text = getText(p);
    }
    page.bands.resize(getVarint(p));
    for (BandPlacement& b : page.bands) {
        b.name = names_[getVarint(p)];
        b.top = values_[getVarint(p)];
        b.height = values_[getVarint(p)];
    }
    return page;
}

size_t PackedPages::bytes() const {
    size_t n = values_.size() * sizeof(double) + styles_.size() * sizeof(void*);
    for (const QByteArray& b : pages_) n += static_cast<size_t>(b.capacity()) + sizeof(QByteArray);
    for (const QString& s : names_) n += static_cast<size_t>(s.size()) * 2;
    return n;
}

}  // namespace reports
