#include "reports/Fonts.h"

#include <QFontMetricsF>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <list>
#include <memory>

namespace reports {

QString resolveFontFamily(const QString& name) {
    const QString n = name.trimmed().toLower();
    if (n.isEmpty() || n == QLatin1String("arial") || n == QLatin1String("helvetica") ||
        n == QLatin1String("ms sans serif") || n == QLatin1String("sans"))
        return QStringLiteral("Liberation Sans");
    if (n == QLatin1String("times new roman") || n == QLatin1String("times") || n == QLatin1String("serif"))
        return QStringLiteral("Liberation Serif");
    if (n == QLatin1String("courier new") || n == QLatin1String("courier") || n == QLatin1String("monospace"))
        return QStringLiteral("Liberation Mono");
    return name.trimmed();
}

namespace {

struct FontEntry {
    QFont font;
    std::unique_ptr<QFontMetricsF> metrics;
    double ascentMm = 0, lineSpacingMm = 0;
    QHash<QString, double> widths;  // texts measured before, in mm
    double asciiAdvance[128];       // mm per character, negative until measured
};

QString keyOf(const FontSpec& s) {
    return s.family + QLatin1Char('|') + QString::number(s.size, 'g', 6) + QLatin1Char('|') +
           QLatin1Char(s.bold ? 'b' : '-') + QLatin1Char(s.italic ? 'i' : '-') + QLatin1Char(s.underline ? 'u' : '-') +
           QString::number(static_cast<int>(s.pitch));
}

// The fonts in use, most recently used first, found by key through the hash
// in constant time. A report uses a handful; beyond kFontCacheSize the least
// recently used is dropped, so no file naming many fonts makes it grow
// without bound.
constexpr int kFontCacheSize = 512;

struct FontCache {
    using Order = std::list<std::pair<QString, std::unique_ptr<FontEntry>>>;
    Order order;
    QHash<QString, Order::iterator> index;
    FontSpec lastSpec;
    FontEntry* last = nullptr;
};

FontCache& fontCache() {
    static FontCache cache;  // lives for the program run
    return cache;
}

std::unique_ptr<FontEntry> makeEntry(const FontSpec& spec) {
    auto e = std::make_unique<FontEntry>();
    std::fill(std::begin(e->asciiAdvance), std::end(e->asciiAdvance), -1.0);
    QFont f(resolveFontFamily(spec.family));
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(spec.size * kRefDpi / 72.0))));
    f.setBold(spec.bold);
    f.setItalic(spec.italic);
    f.setUnderline(spec.underline);
    if (spec.pitch == Pitch::Fixed) f.setFixedPitch(true);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferOutline);
    e->font = f;
    e->metrics = std::make_unique<QFontMetricsF>(f);
    e->ascentMm = e->metrics->ascent() / kUnitsPerMm;
    e->lineSpacingMm = e->metrics->lineSpacing() / kUnitsPerMm;
    return e;
}

// The entry stays valid until the next call for another font.
FontEntry& entryFor(const FontSpec& spec) {
    FontCache& c = fontCache();
    if (c.last && c.lastSpec == spec) return *c.last;
    const QString key = keyOf(spec);
    auto it = c.index.constFind(key);
    if (it != c.index.constEnd()) {
        c.order.splice(c.order.begin(), c.order, it.value());
    } else {
        c.order.emplace_front(key, makeEntry(spec));
        c.index.insert(key, c.order.begin());
        if (static_cast<int>(c.order.size()) > kFontCacheSize) {
            c.index.remove(c.order.back().first);
            c.order.pop_back();
        }
    }
    c.lastSpec = spec;
    c.last = c.order.front().second.get();
    return *c.last;
}

}  // namespace

QFont reportQFont(const FontSpec& spec) { return entryFor(spec).font; }

double textWidthMm(const FontSpec& spec, const QString& text) {
    if (text.isEmpty()) return 0;
    FontEntry& e = entryFor(spec);
    // reports repeat most of their texts (captions, zero amounts, kinds)
    auto it = e.widths.constFind(text);
    if (it != e.widths.constEnd()) return it.value();
    if (e.widths.size() > 200000) e.widths.clear();
    const double w = e.metrics->horizontalAdvance(text) / kUnitsPerMm;
    e.widths.insert(text, w);
    return w;
}

bool textFits(const FontSpec& spec, const QString& text, double widthMm) {
    const double limit = widthMm + 1e-6;
    FontEntry& e = entryFor(spec);
    // the characters' advances added up bound the text's width: kerning only
    // narrows the pairs of a report's fonts, and the margin covers any other
    double bound = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 128) return textWidthMm(spec, text) <= limit;
        double& advance = e.asciiAdvance[u];
        if (advance < 0) advance = e.metrics->horizontalAdvance(c) / kUnitsPerMm;
        bound += advance;
    }
    return bound * 1.02 <= limit || textWidthMm(spec, text) <= limit;
}

FontSpec fittingFont(const FontSpec& spec, const QString& text, double widthMm) {
    FontSpec f = spec;
    if (widthMm <= 0 || textFits(spec, text, widthMm)) return f;
    // widths grow with the size: start at the proportional size, rounded down
    const double ratio = widthMm / textWidthMm(spec, text);
    for (f.size = std::floor(spec.size * ratio * 4) / 4; f.size > kSmallestFittedSize; f.size -= 0.25)
        if (textWidthMm(f, text) <= widthMm + 1e-6) return f;
    f.size = kSmallestFittedSize;
    return f;
}

double lineSpacingMm(const FontSpec& spec) { return entryFor(spec).lineSpacingMm; }
double ascentMm(const FontSpec& spec) { return entryFor(spec).ascentMm; }

QStringList wrapText(const FontSpec& spec, const QString& text, double widthMm) {
    QStringList out;
    const double limit = widthMm + 1e-6;
    const QStringList paragraphs =
        QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")).split(QLatin1Char('\n'));
    for (const QString& para : paragraphs) {
        const QStringList words = para.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty()) {
            out << QString();
            continue;
        }
        QString line;
        for (const QString& word : words) {
            QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (textWidthMm(spec, candidate) <= limit) {
                line = candidate;
                continue;
            }
            if (!line.isEmpty()) out << line;
            line = word;
            // a word wider than the box is cut where it no longer fits
            while (line.size() > 1 && textWidthMm(spec, line) > limit) {
                int n = static_cast<int>(line.size()) - 1;
                while (n > 1 && textWidthMm(spec, line.left(n)) > limit) --n;
                out << line.left(n);
                line = line.mid(n);
            }
        }
        out << line;
    }
    return out;
}

QStringList elementLines(const PageElement& e) {
    if (e.wordWrap()) return wrapText(e.font(), e.text, e.box.width());
    QString t = e.text;
    t.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return {t};
}

}  // namespace reports
