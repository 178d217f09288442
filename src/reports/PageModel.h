// The prepared report: pages holding every text, line and rectangle with its
// position in millimetres. Rendering, printing, exports and the saved-report
// file all work from this model, so tests can read exactly what would print.
#pragma once
#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace reports {

enum class HAlign { Left, Center, Right };
enum class Orientation { Portrait, Landscape };
enum class Pitch { Default, Variable, Fixed };

// A report font as the layouts name it; "Arial" and "Times New Roman" are
// resolved to metric-compatible faces when drawn (see Fonts.h).
struct FontSpec {
    QString family = QStringLiteral("Arial");
    double size = 10;  // points
    bool bold = false, italic = false, underline = false;
    Pitch pitch = Pitch::Default;

    bool operator==(const FontSpec&) const = default;
};

enum class ElementKind : quint8 { Text, Line, Rect };

// Everything of a page element but its place and its text: what the elements
// of one report item have in common. Styles are interned for the program run,
// so a page holds one pointer per element and equal styles are one object.
struct ElementStyle {
    ElementKind kind = ElementKind::Text;
    HAlign align = HAlign::Left;
    bool wordWrap = false;
    bool clip = true;  // text never leaves its box
    FontSpec font;
    QColor color = Qt::black;  // text or pen
    QColor background;         // invalid: transparent (texts), not filled (rectangles)
    double penWidth = 0.2;     // mm, lines and rectangles
    QString name;              // the report item that produced it

    bool operator==(const ElementStyle&) const = default;

    // The one kept copy of `style`.
    static const ElementStyle* intern(const ElementStyle& style);
    // The interned default style.
    static const ElementStyle* plain();
};

struct PageElement {
    using Kind = ElementKind;
    // Text and rectangles: the box. Lines: from box.topLeft() to box.bottomRight().
    QRectF box;
    QString text;
    const ElementStyle* style = ElementStyle::plain();  // never null

    Kind kind() const { return style->kind; }
    const QString& name() const { return style->name; }
    const FontSpec& font() const { return style->font; }
    HAlign align() const { return style->align; }
    bool wordWrap() const { return style->wordWrap; }
    bool clip() const { return style->clip; }
    const QColor& color() const { return style->color; }
    const QColor& background() const { return style->background; }
    double penWidth() const { return style->penWidth; }

    bool operator==(const PageElement& o) const { return box == o.box && text == o.text && style == o.style; }
};

// Where a band was placed on its page (for tests and exports).
struct BandPlacement {
    QString name;
    double top = 0, height = 0;
    bool operator==(const BandPlacement&) const = default;
};

struct Page {
    double width = 210, height = 297;   // mm
    std::vector<PageElement> elements;  // in drawing order
    std::vector<BandPlacement> bands;

    // Texts printed by the item `name`, top to bottom as placed.
    QStringList textsOf(const QString& name) const;
    // The first text of item `name`, or an empty string.
    QString textOf(const QString& name) const;
    // Every text of the page in drawing order.
    QStringList allTexts() const;
    bool containsText(const QString& text) const;
    const PageElement* findElement(const QString& name) const;
    // Placements of band `name` on this page.
    std::vector<BandPlacement> bandsNamed(const QString& name) const;

    bool operator==(const Page&) const = default;
};

// The most font families, and fonts (a family at a size and style), a saved
// report may name.
constexpr int kMaxSavedReportFamilies = 256;
constexpr int kMaxSavedReportFonts = 1024;

struct PreparedReport {
    QString title;
    std::vector<Page> pages;

    int pageCount() const { return static_cast<int>(pages.size()); }
    bool operator==(const PreparedReport&) const = default;

    // The program's own saved-report file.
    bool save(const QString& path, QString* error = nullptr) const;
    // Reads a saved report. A file that cannot be read or is of another kind,
    // or one that is damaged (cut, or with counts or measures its size cannot
    // hold, an enumerated value or a colour out of range, more fonts than
    // kMaxSavedReportFamilies / kMaxSavedReportFonts allow), gives nullopt and, in `error`, the text
    // to show the user.
    static std::optional<PreparedReport> load(const QString& path, QString* error = nullptr);
};

// Pages kept small for the preview of a long report: each page packed into
// bytes (its elements' styles, boxes and texts, its band placements), the
// measures and names a report repeats kept once for all pages, and unpacked
// exactly as it was when it is shown.
class PackedPages {
public:
    void append(const Page& page);
    int count() const { return static_cast<int>(pages_.size()); }
    // Page `index` (0-based) as appended.
    Page page(int index) const;
    // Bytes held, for the figures of the benchmarks.
    size_t bytes() const;

private:
    quint32 valueIndex(double v);
    quint32 styleIndex(const ElementStyle* s);
    quint32 nameIndex(const QString& name);
    std::vector<QByteArray> pages_;
    std::vector<double> values_;
    std::vector<const ElementStyle*> styles_;
    std::vector<QString> names_;
    QHash<quint64, quint32> valueIds_;
    QHash<const ElementStyle*, quint32> styleIds_;
    QHash<QString, quint32> nameIds_;
};

// One line of text as drawn: used by the plain-text, CSV and HTML exports.
struct TextFragment {
    double left = 0, top = 0, width = 0, height = 0;  // the line's own box, mm
    double boxLeft = 0, boxWidth = 0;                 // the item's box, mm
    double baseline = 0;                              // of the line's text, mm
    QString text;
    HAlign align = HAlign::Left;
    const PageElement* element = nullptr;
};
std::vector<TextFragment> textFragments(const Page& page);

}  // namespace reports
