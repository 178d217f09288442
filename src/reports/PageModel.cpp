#include "reports/PageModel.h"

#include <QDataStream>
#include <QFile>
#include <QSaveFile>

#include "reports/Fonts.h"

namespace reports {

QStringList Page::textsOf(const QString& name) const {
    QStringList out;
    for (const auto& e : elements)
        if (e.kind == PageElement::Kind::Text && e.name == name) out << e.text;
    return out;
}

QString Page::textOf(const QString& name) const {
    const PageElement* e = findElement(name);
    return e ? e->text : QString();
}

QStringList Page::allTexts() const {
    QStringList out;
    for (const auto& e : elements)
        if (e.kind == PageElement::Kind::Text) out << e.text;
    return out;
}

bool Page::containsText(const QString& text) const {
    for (const auto& e : elements)
        if (e.kind == PageElement::Kind::Text && e.text == text) return true;
    return false;
}

const PageElement* Page::findElement(const QString& name) const {
    for (const auto& e : elements)
        if (e.name == name) return &e;
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

void readFont(QDataStream& s, FontSpec& f) {
    qint8 pitch = 0;
    s >> f.family >> f.size >> f.bold >> f.italic >> f.underline >> pitch;
    f.pitch = static_cast<Pitch>(std::clamp<int>(pitch, 0, 2));
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
            s << static_cast<qint8>(e.kind) << e.box << e.text;
            writeFont(s, e.font);
            s << static_cast<qint8>(e.align) << e.wordWrap << e.clip << e.color << e.background << e.penWidth << e.name;
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

std::optional<PreparedReport> PreparedReport::load(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = file.errorString();
        return std::nullopt;
    }
    QDataStream s(&file);
    s.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    quint16 version = 0;
    s >> magic >> version;
    if (magic != kMagic || version != kVersion) {
        if (error) *error = QStringLiteral("not a saved report");
        return std::nullopt;
    }
    PreparedReport r;
    qint32 pageCount = 0;
    s >> r.title >> pageCount;
    if (pageCount < 0 || pageCount > 1000000) {
        if (error) *error = QStringLiteral("damaged file");
        return std::nullopt;
    }
    for (qint32 i = 0; i < pageCount && s.status() == QDataStream::Ok; ++i) {
        Page p;
        qint32 n = 0;
        s >> p.width >> p.height >> n;
        if (n < 0 || n > 10000000) break;
        p.elements.reserve(static_cast<size_t>(n));
        for (qint32 k = 0; k < n && s.status() == QDataStream::Ok; ++k) {
            PageElement e;
            qint8 kind = 0, align = 0;
            s >> kind >> e.box >> e.text;
            readFont(s, e.font);
            s >> align >> e.wordWrap >> e.clip >> e.color >> e.background >> e.penWidth >> e.name;
            e.kind = static_cast<PageElement::Kind>(std::clamp<int>(kind, 0, 2));
            e.align = static_cast<HAlign>(std::clamp<int>(align, 0, 2));
            p.elements.push_back(std::move(e));
        }
        s >> n;
        if (n < 0 || n > 10000000) break;
        for (qint32 k = 0; k < n && s.status() == QDataStream::Ok; ++k) {
            BandPlacement b;
            s >> b.name >> b.top >> b.height;
            p.bands.push_back(std::move(b));
        }
        r.pages.push_back(std::move(p));
    }
    if (s.status() != QDataStream::Ok || static_cast<qint32>(r.pages.size()) != pageCount) {
        if (error) *error = QStringLiteral("damaged file");
        return std::nullopt;
    }
    return r;
}

// ------------------------------------------------------------ text fragments

std::vector<TextFragment> textFragments(const Page& page) {
    std::vector<TextFragment> out;
    for (const PageElement& e : page.elements) {
        if (e.kind != PageElement::Kind::Text || e.text.isEmpty() || e.box.width() <= 0) continue;
        const QStringList lines = elementLines(e);
        const double ls = lineSpacingMm(e.font);
        for (int i = 0; i < lines.size(); ++i) {
            const double top = e.box.top() + i * ls;
            if (e.clip && i > 0 && top + ls > e.box.bottom() + 0.01) break;
            TextFragment f;
            f.text = lines[i].trimmed();
            if (f.text.isEmpty()) continue;
            double w = textWidthMm(e.font, lines[i]);
            if (e.clip) w = std::min(w, e.box.width());
            f.width = w;
            f.left = e.align == HAlign::Left     ? e.box.left()
                     : e.align == HAlign::Right  ? e.box.right() - w
                                                 : e.box.left() + (e.box.width() - w) / 2;
            f.top = top;
            f.height = ls;
            f.boxLeft = e.box.left();
            f.boxWidth = e.box.width();
            f.align = e.align;
            f.element = &e;
            out.push_back(std::move(f));
        }
    }
    return out;
}

}  // namespace reports
