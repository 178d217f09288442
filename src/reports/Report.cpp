#include "reports/Report.h"

#include <QScopeGuard>

#include <QTime>
#include <algorithm>
#include <cmath>
#include <deque>
#include <set>

#include "data/Clock.h"
#include "data/DataSet.h"
#include "data/Field.h"
#include "data/Format.h"
#include "reports/Expression.h"
#include "reports/Fonts.h"

namespace reports {

namespace {
constexpr double kEps = 0.005;  // mm
}

// ------------------------------------------------------------------ items

Item::Item(Band* band, ItemKind kind, QString name) : band_(band), kind_(kind), name_(std::move(name)) {}
Item::~Item() = default;

const FontSpec& Item::effectiveFont() const { return font ? *font : band_->report().font; }

// ------------------------------------------------------------------ bands

Band::Band(Report* report, BandType type, QString name, double h)
    : height(h), report_(report), type_(type), name_(std::move(name)) {}
Band::~Band() = default;

Item& Band::add(ItemKind kind, const QString& name) {
    items_.push_back(std::make_unique<Item>(this, kind, name));
    return *items_.back();
}

Item& Band::addLabel(const QString& name, double l, double t, double w, double h, const QString& text) {
    Item& it = add(ItemKind::Label, name);
    it.left = l, it.top = t, it.width = w, it.height = h;
    it.caption = text;
    return it;
}

Item& Band::addField(const QString& name, double l, double t, double w, double h, const QString& field) {
    Item& it = add(ItemKind::Field, name);
    it.left = l, it.top = t, it.width = w, it.height = h;
    it.expression = field;
    return it;
}

Item& Band::addExpression(const QString& name, double l, double t, double w, double h, const QString& expr,
                          const QString& mask) {
    Item& it = add(ItemKind::Expression, name);
    it.left = l, it.top = t, it.width = w, it.height = h;
    it.expression = expr;
    it.mask = mask;
    return it;
}

Item& Band::addSysData(const QString& name, double l, double t, double w, double h, SysDataKind kind,
                       const QString& prefix) {
    Item& it = add(ItemKind::SysData, name);
    it.left = l, it.top = t, it.width = w, it.height = h;
    it.sysData = kind;
    it.caption = prefix;
    return it;
}

Item& Band::addHLine(double l, double t, double w, double pen, const QString& name) {
    Item& it = add(ItemKind::HLine, name);
    it.left = l, it.top = t, it.width = w;
    it.penWidth = pen;
    return it;
}

Item& Band::addVLine(double l, double t, double h, double pen, const QString& name) {
    Item& it = add(ItemKind::VLine, name);
    it.left = l, it.top = t, it.height = h;
    it.penWidth = pen;
    return it;
}

Item& Band::addRect(double l, double t, double w, double h, double pen, const QString& name) {
    Item& it = add(ItemKind::Rectangle, name);
    it.left = l, it.top = t, it.width = w, it.height = h;
    it.penWidth = pen;
    return it;
}

void Band::addVLines(double t, double h, const std::vector<double>& xs, double pen) {
    for (double x : xs) addVLine(x, t, h, pen);
}

Item* Band::findItem(const QString& name) const {
    for (const auto& it : items_)
        if (it->name().compare(name, Qt::CaseInsensitive) == 0) return it.get();
    return nullptr;
}

Item& Band::item(const QString& name) const {
    if (Item* it = findItem(name)) return *it;
    throw ReportError("Report item not found: " + name.toStdString());
}

// ------------------------------------------------------------------ report

Report::Report() = default;
Report::~Report() = default;

void Report::setDataSet(data::DataSet* ds, const QString& name) {
    ds_ = ds;
    dsName_ = name;
}

void Report::addDataSet(const QString& name, data::DataSet* ds) {
    for (auto& p : others_)
        if (p.first.compare(name, Qt::CaseInsensitive) == 0) {
            p.second = ds;
            return;
        }
    others_.emplace_back(name, ds);
}

Band& Report::addBand(BandType type, const QString& name, double height) {
    bands_.push_back(std::make_unique<Band>(this, type, name, height));
    return *bands_.back();
}

Band* Report::findBand(const QString& name) const {
    for (const auto& b : bands_)
        if (b->name().compare(name, Qt::CaseInsensitive) == 0) return b.get();
    return nullptr;
}

Band& Report::band(const QString& name) const {
    if (Band* b = findBand(name)) return *b;
    throw ReportError("Report band not found: " + name.toStdString());
}

Item* Report::findItem(const QString& name) const {
    for (const auto& b : bands_)
        if (Item* it = b->findItem(name)) return it;
    return nullptr;
}

Item& Report::item(const QString& name) const {
    if (Item* it = findItem(name)) return *it;
    throw ReportError("Report item not found: " + name.toStdString());
}

QSizeF Report::pageSizeMm() const { return paperSizeMm(paperSize, orientation); }

data::Field* Report::resolveField(const QString& qualifier, const QString& name) const {
    data::DataSet* ds = nullptr;
    if (qualifier.isEmpty() || qualifier.compare(dsName_, Qt::CaseInsensitive) == 0) {
        ds = ds_;
    } else {
        for (const auto& p : others_)
            if (p.first.compare(qualifier, Qt::CaseInsensitive) == 0) ds = p.second;
    }
    if (!ds || !ds->active()) return nullptr;
    return ds->findField(name.toStdString());
}

// ------------------------------------------------------------------ generation

struct ItemLayout {
    Item* item;
    QString text;
    double left, top, width, height;
    std::optional<FontSpec> fitted;  // drawn smaller than the item's font to fit its box
    bool cutAtEnd = false;           // drawn from the box's left edge whatever the item's alignment
};

// Smallest share of its size a caption is shrunk to before it is cut.
constexpr double kSmallestCaptionShare = 2.0 / 3.0;

// Whether a text reads as a number as a mask or the general format writes
// it: digits, signs, separators and blanks.
bool looksNumeric(const QString& text) {
    bool digit = false;
    for (const QChar c : text) {
        if (c.isDigit())
            digit = true;
        else if (!c.isSpace() && !QStringView(u"+-.,()'eE").contains(c))
            return false;
    }
    return digit;
}

struct BandLayout {
    Band* band;
    double height;
    std::vector<ItemLayout> items;
};

class Generator {
public:
    explicit Generator(Report& r) : r_(r) {}

    // Finds the bands and binds the items; false for an empty data set, which
    // produces nothing.
    bool begin() {
        data::DataSet& ds = *r_.ds_;
        page_ = r_.pageSizeMm();
        for (const auto& b : r_.bands_) {
            switch (b->type()) {
                case BandType::Title: title_ = pick(title_, b.get()); break;
                case BandType::PageHeader: pageHeader_ = pick(pageHeader_, b.get()); break;
                case BandType::ColumnHeader: columnHeader_ = pick(columnHeader_, b.get()); break;
                case BandType::GroupHeader: groups_.push_back(b.get()); break;
                case BandType::Detail: detail_ = pick(detail_, b.get()); break;
                case BandType::Summary: summary_ = pick(summary_, b.get()); break;
                case BandType::PageFooter: pageFooter_ = pick(pageFooter_, b.get()); break;
                default: break;
            }
        }
        for (Band* d = detail_; d; d = d->child) {
            if (!rowBands_.insert(d).second) break;  // a child chain that loops
        }
        bind();

        ds.first();
        if (ds.eof()) return false;
        groupValues_.assign(groups_.size(), data::Value{});
        startPage(nullptr);
        return true;
    }

    // Lays out rows until at least one more page is complete (the last one
    // after the summary); false when the report has ended and every page was
    // handed out.
    bool advance() {
        data::DataSet& ds = *r_.ds_;
        while (done_.empty() && !ended_) {
            if (ds.eof()) {
                if (summary_) printBand(*summary_);
                finishPage(true);
                ended_ = true;
                break;
            }
            printRow(ds);
            ds.next();
        }
        return !done_.empty();
    }

    // The oldest complete page not yet taken; call after advance() gave true.
    Page take() {
        Page p = std::move(done_.front());
        done_.pop_front();
        return p;
    }

private:
    void printRow(data::DataSet& ds) {
        rowPending_ = true;
        // group headers: from the outermost group whose value changes
        size_t from = groups_.size();
        std::vector<data::Value> current(groups_.size());
        for (size_t g = 0; g < groups_.size(); ++g) {
            current[g] = groupExpr_[g]->value();
            if (from == groups_.size() && (firstRow_ || !(current[g] == groupValues_[g]))) from = g;
        }
        for (size_t g = from; g < groups_.size(); ++g) {
            groupValues_[g] = current[g];
            if (groups_[g]->continued) continued_.reset();  // the group before ended
            if (printBand(*groups_[g]) && groups_[g]->continued) {
                // laid out once, on the group's first row, for every page it runs on to
                continued_ = std::make_shared<BandLayout>(layout(*groups_[g]->continued, false));
            }
        }
        if (detail_) printBand(*detail_);
        commitRow();
        // group footers, innermost first, while this row is still current
        if (!groups_.empty()) {
            size_t endFrom = groups_.size();
            const int next = ds.currentIndex() + 1;
            if (next >= ds.recordCount()) {
                endFrom = 0;
            } else {
                const std::vector<data::Value> row = ds.rowValues(next);
                EvalContext ctx;
                ctx.row = &row;
                ctx.rowOwner = &ds;
                for (size_t g = 0; g < groups_.size(); ++g)
                    if (!(groupExpr_[g]->value(ctx) == groupValues_[g])) {
                        endFrom = g;
                        break;
                    }
            }
            for (size_t g = groups_.size(); g-- > endFrom;) {
                if (groups_[g]->groupFooter) printBand(*groups_[g]->groupFooter);
                if (groups_[g]->continued) continued_.reset();
            }
        }
        firstRow_ = false;
    }

    static Band* pick(Band* have, Band* b) { return have ? have : b; }

    void bind() {
        auto resolver = [this](const QString& q, const QString& n) { return r_.resolveField(q, n); };
        aggregates_.clear();
        for (const auto& b : r_.bands_) {
            for (const auto& it : b->items()) {
                it->lastPrinted_.clear();
                if (it->kind() != ItemKind::Field && it->kind() != ItemKind::Expression) {
                    it->compiled_.reset();
                    continue;
                }
                if (!it->compiled_ || it->compiled_->text() != it->expression)
                    it->compiled_ = std::make_unique<Expression>(it->expression);
                it->compiled_->bind(resolver);
                it->compiled_->reset();
                if (it->kind() == ItemKind::Field && !it->compiled_->soleField())
                    throw ReportError("Report item " + it->name().toStdString() + " does not name a field");
                if (it->compiled_->hasAggregates()) aggregates_.push_back(it->compiled_.get());
            }
        }
        groupExpr_.clear();
        for (Band* g : groups_) {
            if (g->expression.trimmed().isEmpty())
                throw ReportError("Group band " + g->name().toStdString() + " has no expression");
            groupExpr_.push_back(std::make_unique<Expression>(g->expression));
            groupExpr_.back()->bind(resolver);
        }
    }

    void commitRow() {
        for (Expression* e : aggregates_) e->accumulate();
        rowPending_ = false;
    }

    double bodyBottom() const {
        return page_.height() - r_.bottomMargin - (pageFooter_ && pageFooter_->enabled ? pageFooter_->height : 0);
    }

    Page& page() { return current_; }

    // `continued`: the heading repeated at the top of the page, when it starts
    // inside a group.
    void startPage(const std::shared_ptr<BandLayout>& continued) {
        current_ = Page{};
        current_.width = page_.width();
        current_.height = page_.height();
        // pages of one report hold about as many elements as the page before
        if (r_.keepPages_) current_.elements.reserve(lastElements_);
        ++r_.pageNumber_;
        y_ = r_.topMargin;
        pageHasBody_ = false;
        placed_.clear();
        if (pageHeader_ && (r_.pageNumber_ > 1 || pageHeader_->printOnFirstPage)) printFixed(*pageHeader_, false);
        if (r_.pageNumber_ == 1 && title_) printBand(*title_);
        if (columnHeader_) printFixed(*columnHeader_, false);
        if (continued) {
            BandLayout lay = *continued;
            place(lay, y_);
            y_ += lay.height;
        }
    }

    void finishPage(bool last) {
        if (pageFooter_ && (!last || pageFooter_->printOnLastPage)) printFixed(*pageFooter_, true);
        lastElements_ = current_.elements.size();
        done_.push_back(std::move(current_));
    }

    void newPage() {
        finishPage(false);
        startPage(continued_);
    }

    // Starts a new page for a band that may not stand alone on it: the last
    // bands of the body, at least `needed` mm (a heading kept with them
    // included), move over to the new page with it. The title stays.
    void newPageTakingAlong(double needed) {
        // at least one band stays on the old page, the title always
        const auto movable = [this](size_t cut) { return cut > 1 && placed_[cut - 1].band != title_; };
        size_t cut = placed_.size();
        double taken = 0;
        while (taken < needed - kEps && movable(cut)) taken += placed_[--cut].height;
        while (movable(cut) && placed_[cut - 1].band->keepWithNext > 0) taken += placed_[--cut].height;
        if (cut == placed_.size()) {
            newPage();
            return;
        }
        std::vector<Placed> moved(placed_.begin() + static_cast<std::ptrdiff_t>(cut), placed_.end());
        std::vector<PageElement> elements;
        std::vector<BandPlacement> entries;
        if (r_.keepPages_) {
            Page& p = page();
            const auto e0 = p.elements.begin() + static_cast<std::ptrdiff_t>(moved.front().firstElement);
            const auto b0 = p.bands.begin() + static_cast<std::ptrdiff_t>(moved.front().firstEntry);
            elements.assign(std::make_move_iterator(e0), std::make_move_iterator(p.elements.end()));
            entries.assign(b0, p.bands.end());
            p.elements.erase(e0, p.elements.end());
            p.bands.erase(b0, p.bands.end());
        }
        finishPage(false);
        startPage(moved.front().continued);
        const double dy = y_ - moved.front().top;
        if (r_.keepPages_) {
            Page& p = page();
            const size_t e0 = p.elements.size(), b0 = p.bands.size();
            const size_t from = moved.front().firstElement, fromEntry = moved.front().firstEntry;
            for (PageElement& e : elements) e.box.translate(0, dy);
            for (BandPlacement& b : entries) b.top += dy;
            p.elements.insert(p.elements.end(), std::make_move_iterator(elements.begin()),
                              std::make_move_iterator(elements.end()));
            p.bands.insert(p.bands.end(), entries.begin(), entries.end());
            for (Placed& m : moved) {
                m.firstElement = m.firstElement - from + e0;
                m.firstEntry = m.firstEntry - fromEntry + b0;
            }
        }
        for (Placed& m : moved) m.top += dy;
        y_ += taken;
        placed_ = std::move(moved);
        pageHasBody_ = true;
    }

    // Page header, column header and page footer: never break the page.
    void printFixed(Band& b, bool atBottom) {
        if (!b.enabled) return;
        bool print = true;
        if (b.beforePrint) b.beforePrint(b, print);
        if (!print) {
            if (b.afterPrint) b.afterPrint(b, false);
            return;
        }
        BandLayout lay = layout(b, false);
        double top = atBottom ? page_.height() - r_.bottomMargin - lay.height : y_;
        place(lay, top);
        if (!atBottom) y_ += lay.height;
        if (b.afterPrint) b.afterPrint(b, true);
        if (b.child && b.child != &b) printFixed(*b.child, atBottom);
    }

    bool printBand(Band& b, int depth = 0) {
        if (!b.enabled || depth > 32) return false;
        const bool force = b.forceNewPage;
        bool print = true;
        if (b.beforePrint) b.beforePrint(b, print);
        if (!print) {
            if (b.afterPrint) b.afterPrint(b, false);
            return false;
        }
        if (force && pageHasBody_) newPage();
        if (b.type() == BandType::Detail) ++r_.detailNumber_;
        BandLayout lay = layout(b, rowPending_ && rowBands_.count(&b) > 0);
        if (pageHasBody_ && y_ + lay.height > bodyBottom() + kEps) {
            if (b.needsBefore > 0)
                newPageTakingAlong(b.needsBefore);
            else
                newPage();
        } else if (pageHasBody_ && b.keepWithNext > 0 && y_ + lay.height + b.keepWithNext > bodyBottom() + kEps) {
            newPage();  // not the last line of its page
        }
        const bool keep = r_.keepPages_;
        placed_.push_back(
            {&b, y_, lay.height, keep ? page().elements.size() : 0, keep ? page().bands.size() : 0, continued_});
        place(lay, y_);
        y_ += lay.height;
        pageHasBody_ = true;
        if (b.afterPrint) b.afterPrint(b, true);
        if (b.child) printBand(*b.child, depth + 1);
        return true;
    }

    // The item's text; `number` tells whether it shows a number.
    QString textOf(Item& it, bool includeRow, bool& number) {
        number = false;
        switch (it.kind()) {
            case ItemKind::Label: return it.caption;
            case ItemKind::Field: {
                data::Field* f = it.compiled_->soleField();
                number = f->isNumeric();
                if (it.mask.isEmpty()) return QString::fromStdString(f->displayText());
                return formatValue(f->value(), it.mask);
            }
            case ItemKind::Expression: {
                EvalContext ctx;
                ctx.includeCurrentRow = includeRow;
                const data::Value v = it.compiled_->value(ctx);
                number = v.isNumber();
                return formatValue(v, it.mask);
            }
            case ItemKind::SysData: {
                QString v;
                switch (it.sysData) {
                    case SysDataKind::Date: v = QString::fromStdString(data::formatShortDate(data::today())); break;
                    case SysDataKind::Time: v = QTime::currentTime().toString(QStringLiteral("HH:mm:ss")); break;
                    case SysDataKind::DateTime:
                        v = QString::fromStdString(data::formatShortDate(data::today())) + QLatin1Char(' ') +
                            QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
                        break;
                    case SysDataKind::PageNumber: v = QString::number(r_.pageNumber_); break;
                    case SysDataKind::DetailNumber: v = QString::number(r_.detailNumber_); break;
                    case SysDataKind::ReportTitle: v = r_.title; break;
                }
                return it.caption + v;
            }
            default: return {};
        }
    }

    // A number wider than its box prints whole in a smaller font: cut at
    // either end it would read as another number. A right-aligned or centred
    // caption is cut at its start, which may change what it says ("Pag.11 din
    // 12" read as "1 din 12"): it is shrunk too, down to two thirds of its
    // size, and when still too wide cut at its end, as left-aligned texts are.
    // A text marked shrink-to-fit (a document kind, a unit's name) prints
    // whole as a number does.
    static void fit(ItemLayout& il, const QString& text, bool number) {
        const Item& it = *il.item;
        if (it.shrinkToFit && it.wordWrap && il.width > 0) {
            // wrapped between words, never inside one: the longest word sets the font
            const FontSpec& font = it.effectiveFont();
            QString longest;
            double widest = 0;
            for (const QString& w : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                if (const double mm = textWidthMm(font, w); mm > widest) widest = mm, longest = w;
            if (!longest.isEmpty() && !textFits(font, longest, il.width))
                il.fitted = fittingFont(font, longest, il.width);
            return;
        }
        const bool whole = number || (it.shrinkToFit && !it.wordWrap);
        const bool caption = !whole && it.alignment != HAlign::Left && !it.wordWrap;
        if (!(whole || caption) || it.autoSize || il.width <= 0 || text.isEmpty()) return;
        const FontSpec& font = it.effectiveFont();
        if (textFits(font, text, il.width)) return;
        il.fitted = fittingFont(font, text, il.width);
        const double smallest = std::floor(font.size * kSmallestCaptionShare * 4) / 4;
        if (caption && il.fitted->size < smallest) {
            il.fitted->size = smallest;
            il.cutAtEnd = true;
        }
    }

    BandLayout layout(Band& b, bool includeRow) {
        BandLayout lay{&b, b.height, {}};
        lay.items.reserve(b.items().size());
        double grownBottom = b.height;
        for (const auto& ptr : b.items()) {
            Item& it = *ptr;
            if (!it.enabled) continue;
            ItemLayout il{&it, {}, it.left, it.top, it.width, it.height, {}};
            if (it.isText()) {
                bool number = false;
                QString text = textOf(it, includeRow, number);
                if (it.onPrint) {
                    it.onPrint(it, text);
                    number = looksNumeric(text);  // what the hook made of it
                }
                il.width = it.width;  // the hook may have changed it
                il.left = it.left;
                fit(il, text, number);
                const FontSpec& f = il.fitted ? *il.fitted : it.effectiveFont();
                if (it.autoSize && !it.wordWrap) {
                    const double w = textWidthMm(f, text);
                    if (it.alignment == HAlign::Right)
                        il.left = it.left + it.width - w;
                    else if (it.alignment == HAlign::Center)
                        il.left = it.left + (it.width - w) / 2;
                    il.width = w;
                }
                if (it.wordWrap && it.autoStretch && il.width > 0) {
                    const double needed = wrapText(f, text, il.width).size() * lineSpacingMm(f);
                    if (needed > il.height + kEps) {
                        const double below = std::max(0.0, b.height - (it.top + it.height));
                        il.height = needed;
                        grownBottom = std::max(grownBottom, it.top + needed + below);
                    }
                }
                il.text = std::move(text);
            }
            lay.items.push_back(std::move(il));
        }
        lay.height = grownBottom;
        // rules reaching the band's bottom follow it when the band grew
        if (lay.height > b.height + kEps) {
            const double grow = lay.height - b.height;
            for (ItemLayout& il : lay.items) {
                const Item& it = *il.item;
                if (it.kind() == ItemKind::HLine && it.top >= b.height - kEps)
                    il.top += grow;
                else if ((it.kind() == ItemKind::VLine || it.kind() == ItemKind::Rectangle) &&
                         it.top + it.height >= b.height - kEps)
                    il.height += grow;
            }
        }
        return lay;
    }

    void place(BandLayout& lay, double top) {
        if (!r_.keepPages_) {
            // counting pages: only what later bands read of this one
            for (ItemLayout& il : lay.items) {
                Item& it = *il.item;
                if (!it.isText()) continue;
                it.lastPrinted_ = il.text;
                if (it.resetAfterPrint && it.compiled_) it.compiled_->reset();
            }
            return;
        }
        Page& p = page();
        const double x0 = r_.leftMargin;
        const double width = r_.bandWidth();
        p.bands.push_back({lay.band->name(), top, lay.height});
        addFrame(p, lay.band->frame, QRectF(x0, top, width, lay.height), lay.band->name());
        for (ItemLayout& il : lay.items) {
            Item& it = *il.item;
            const QRectF box(x0 + il.left, top + il.top, il.width, il.height);
            PageElement& e = p.elements.emplace_back();
            e.style =
                styleOf(it, il.fitted ? *il.fitted : it.effectiveFont(), il.cutAtEnd ? HAlign::Left : it.alignment);
            switch (it.kind()) {
                case ItemKind::HLine:
                    e.box = QRectF(QPointF(box.left(), box.top()), QPointF(box.left() + il.width, box.top()));
                    break;
                case ItemKind::VLine:
                    e.box = QRectF(QPointF(box.left(), box.top()), QPointF(box.left(), box.top() + il.height));
                    break;
                case ItemKind::Rectangle: e.box = box; break;
                default:
                    e.box = box;
                    // a text fitted in a smaller font keeps the line's baseline
                    if (il.fitted)
                        e.box.setTop(box.top() + std::clamp(ascentMm(it.effectiveFont()) - ascentMm(*il.fitted), 0.0,
                                                            box.height()));
                    // a text the item printed before is kept once (zero amounts, the day's date)
                    if (il.text == it.lastPrinted_)
                        e.text = it.lastPrinted_;
                    else
                        e.text = std::move(il.text);
                    it.lastPrinted_ = e.text;
                    if (it.frame.any()) addFrame(p, it.frame, box, it.name());
                    if (it.resetAfterPrint && it.compiled_) it.compiled_->reset();
                    break;
            }
        }
    }

    // The style of the elements an item places, as the item is now (hooks may
    // change an item between rows); the item keeps the last one it used.
    // Texts are drawn in `font` with `align`: the item's, or those the text
    // was fitted with.
    static const ElementStyle* styleOf(Item& it, const FontSpec& font, HAlign align) {
        const ElementStyle* last = it.style_;
        ElementStyle want;
        switch (it.kind()) {
            case ItemKind::HLine:
            case ItemKind::VLine: want.kind = ElementKind::Line; break;
            case ItemKind::Rectangle:
                want.kind = ElementKind::Rect;
                want.background = it.fillColor;
                break;
            default:
                want.kind = ElementKind::Text;
                want.font = font;
                want.align = align;
                want.wordWrap = it.wordWrap;
                if (!it.transparent) want.background = it.color;
                break;
        }
        if (want.kind != ElementKind::Text) want.penWidth = it.penWidth;
        want.color = it.textColor;
        if (last && last->kind == want.kind && last->penWidth == want.penWidth && last->color == want.color &&
            last->background == want.background && last->align == want.align && last->wordWrap == want.wordWrap &&
            last->font == want.font && last->name == it.name())
            return last;
        want.name = it.name();
        it.style_ = ElementStyle::intern(want);
        return it.style_;
    }

    static void addFrame(Page& p, const Frame& fr, const QRectF& r, const QString& name) {
        if (!fr.any()) return;
        ElementStyle st;
        st.penWidth = fr.width;
        st.name = name;
        if (fr.top && fr.bottom && fr.left && fr.right) {
            st.kind = ElementKind::Rect;
            PageElement& e = p.elements.emplace_back();
            e.box = r;
            e.style = ElementStyle::intern(st);
            return;
        }
        st.kind = ElementKind::Line;
        const ElementStyle* line = ElementStyle::intern(st);
        auto add = [&](QPointF a, QPointF b) {
            PageElement& e = p.elements.emplace_back();
            e.box = QRectF(a, b);
            e.style = line;
        };
        if (fr.top) add(r.topLeft(), QPointF(r.right(), r.top()));
        if (fr.bottom) add(QPointF(r.left(), r.bottom()), r.bottomRight());
        if (fr.left) add(r.topLeft(), QPointF(r.left(), r.bottom()));
        if (fr.right) add(QPointF(r.right(), r.top()), r.bottomRight());
    }

    Report& r_;
    QSizeF page_;
    Band *title_ = nullptr, *pageHeader_ = nullptr, *columnHeader_ = nullptr, *detail_ = nullptr, *summary_ = nullptr,
         *pageFooter_ = nullptr;
    std::vector<Band*> groups_;
    std::vector<std::unique_ptr<Expression>> groupExpr_;
    std::set<const Band*> rowBands_;  // the detail band and its children
    std::vector<Expression*> aggregates_;
    double y_ = 0;
    bool pageHasBody_ = false;
    // The body bands placed on the current page, for a band that takes the
    // last of them along to a new page.
    struct Placed {
        Band* band;
        double top, height;
        size_t firstElement, firstEntry;        // of the page's elements and band entries
        std::shared_ptr<BandLayout> continued;  // the heading a page starting at this band repeats
    };
    std::vector<Placed> placed_;
    std::shared_ptr<BandLayout> continued_;  // of the group the rows are in
    bool rowPending_ = false;
    bool firstRow_ = true, ended_ = false;
    std::vector<data::Value> groupValues_;
    Page current_;
    size_t lastElements_ = 0;
    std::deque<Page> done_;  // complete pages not yet taken
};

// ------------------------------------------------------------------ page streams

struct PageStream::State {
    Report& report;
    Generator generator;
    bool ended = false;
    explicit State(Report& r) : report(r), generator(r) {}
};

PageStream::PageStream(Report& report, bool keepPages) {
    if (report.running_) throw ReportError("Report " + report.name.toStdString() + " is already running");
    if (!report.ds_) throw ReportError("Report " + report.name.toStdString() + " has no data set");
    report.keepPages_ = keepPages;
    report.pageNumber_ = report.detailNumber_ = 0;
    report.running_ = true;
    state_ = std::make_unique<State>(report);
    try {
        bool print = true;
        if (report.beforePrint) report.beforePrint(report, print);
        if (!print) {
            state_->ended = true;
            return;
        }
        if (!report.ds_->active()) report.ds_->open();
        state_->ended = !state_->generator.begin();
    } catch (...) {
        report.running_ = false;
        throw;
    }
}

PageStream::~PageStream() {
    if (state_) state_->report.running_ = false;
}

bool PageStream::next(Page& page) {
    if (!state_ || state_->ended) return false;
    try {
        if (!state_->generator.advance()) {
            state_->ended = true;
            state_->report.running_ = false;
            return false;
        }
    } catch (...) {
        state_->ended = true;
        state_->report.running_ = false;
        throw;
    }
    page = state_->generator.take();
    ++pages_;
    return true;
}

int Report::prepare() { return generate(true); }

int Report::countPages() {
    const int n = generate(false);
    prepared_ = PreparedReport{};
    prepared_.title = title;
    return n;
}

int Report::run(const std::function<void(Page&& page)>& sink) {
    prepared_ = PreparedReport{};
    prepared_.title = title;
    PageStream stream(*this);
    Page page;
    while (stream.next(page)) sink(std::move(page));
    return stream.pages();
}

int Report::generate(bool keepPages) {
    prepared_ = PreparedReport{};
    prepared_.title = title;
    try {
        PageStream stream(*this, keepPages);
        Page page;
        while (stream.next(page)) prepared_.pages.push_back(std::move(page));
    } catch (...) {
        prepared_ = PreparedReport{};
        prepared_.title = title;
        throw;
    }
    return pageCount();
}

}  // namespace reports
