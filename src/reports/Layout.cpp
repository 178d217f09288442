#include "reports/Layout.h"

#include <map>

#include "reports/Report.h"

namespace reports {

namespace {

struct Token {
    QString key;  // empty for positional tokens and flags
    QString value;
};

class LineParser {
public:
    LineParser(const QString& line, int number) : s_(line), number_(number) {}

    [[noreturn]] void fail(const QString& what) const {
        throw ReportError(QStringLiteral("Layout line %1: %2").arg(number_).arg(what).toStdString());
    }

    std::vector<Token> tokens() {
        std::vector<Token> out;
        for (;;) {
            while (p_ < s_.size() && s_[p_].isSpace()) ++p_;
            if (p_ >= s_.size()) break;
            Token t;
            if (s_[p_] == QLatin1Char('"')) {
                t.value = quoted();
            } else {
                QString word;
                while (p_ < s_.size() && !s_[p_].isSpace() && s_[p_] != QLatin1Char('=')) word += s_[p_++];
                if (p_ < s_.size() && s_[p_] == QLatin1Char('=')) {
                    ++p_;
                    t.key = word.toLower();
                    if (p_ < s_.size() && s_[p_] == QLatin1Char('"')) {
                        t.value = quoted();
                    } else {
                        while (p_ < s_.size() && !s_[p_].isSpace()) t.value += s_[p_++];
                    }
                } else {
                    t.value = word;
                }
            }
            out.push_back(std::move(t));
        }
        return out;
    }

private:
    QString quoted() {
        ++p_;  // opening quote
        QString v;
        for (;;) {
            if (p_ >= s_.size()) fail(QStringLiteral("unterminated text"));
            if (s_[p_] == QLatin1Char('"')) {
                if (p_ + 1 < s_.size() && s_[p_ + 1] == QLatin1Char('"')) {
                    v += QLatin1Char('"');
                    p_ += 2;
                    continue;
                }
                ++p_;
                return v;
            }
            v += s_[p_++];
        }
    }

    const QString& s_;
    int number_;
    qsizetype p_ = 0;
};

struct Line {
    LineParser* parser;
    std::vector<QString> args;           // positional values
    std::vector<QString> flags;          // bare words after the positional ones
    std::map<QString, QString> options;  // key=value
    std::map<QString, bool> used;

    double number(const QString& s) const {
        bool ok = false;
        double v = s.toDouble(&ok);
        if (!ok) parser->fail(QStringLiteral("number expected instead of \"%1\"").arg(s));
        return v;
    }
    bool flag(const char* name) {
        for (const QString& f : flags)
            if (f.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
                used[f.toLower()] = true;
                return true;
            }
        return false;
    }
    bool has(const char* key) const { return options.count(QLatin1String(key)) > 0; }
    QString option(const char* key) {
        auto it = options.find(QLatin1String(key));
        if (it == options.end()) return {};
        used[it->first] = true;
        return it->second;
    }
    double numberOption(const char* key, double def) { return has(key) ? number(option(key)) : def; }
    bool yesNo(const char* key, bool def) {
        if (!has(key)) return def;
        const QString v = option(key).toLower();
        if (v == QLatin1String("yes") || v == QLatin1String("true") || v == QLatin1String("1")) return true;
        if (v == QLatin1String("no") || v == QLatin1String("false") || v == QLatin1String("0")) return false;
        parser->fail(QStringLiteral("yes or no expected for %1").arg(QLatin1String(key)));
    }
    QColor color(const char* key) {
        const QString v = option(key);
        QColor c(v);
        if (!c.isValid()) parser->fail(QStringLiteral("bad colour \"%1\"").arg(v));
        return c;
    }
    void checkAllUsed() const {
        for (const auto& [k, v] : options)
            if (!used.count(k)) parser->fail(QStringLiteral("unknown option %1").arg(k));
        for (const QString& f : flags)
            if (!used.count(f.toLower())) parser->fail(QStringLiteral("unknown word %1").arg(f));
    }
};

Frame parseFrame(Line& l, const QString& spec, double width) {
    Frame f;
    f.width = width;
    const QString s = spec.toLower();
    if (s == QLatin1String("all")) return Frame::all(width);
    if (s == QLatin1String("none") || s.isEmpty()) return f;
    for (const QString& part : s.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("top"))
            f.top = true;
        else if (part == QLatin1String("bottom"))
            f.bottom = true;
        else if (part == QLatin1String("left"))
            f.left = true;
        else if (part == QLatin1String("right"))
            f.right = true;
        else
            l.parser->fail(QStringLiteral("bad frame side %1").arg(part));
    }
    return f;
}

void applyFont(Line& l, FontSpec& f) {
    if (l.has("font")) f.family = l.option("font");
    if (l.has("size")) f.size = l.number(l.option("size"));
    if (l.flag("bold")) f.bold = true;
    if (l.flag("italic")) f.italic = true;
    if (l.flag("underline")) f.underline = true;
}

void applyTextOptions(Line& l, Item& it, const FontSpec& base) {
    FontSpec f = base;
    const bool ownFont = l.has("font") || l.has("size") || l.flag("bold") || l.flag("italic") || l.flag("underline");
    applyFont(l, f);
    if (ownFont) it.font = f;
    if (l.has("align")) {
        const QString a = l.option("align").toLower();
        if (a == QLatin1String("left"))
            it.alignment = HAlign::Left;
        else if (a == QLatin1String("center") || a == QLatin1String("centre"))
            it.alignment = HAlign::Center;
        else if (a == QLatin1String("right"))
            it.alignment = HAlign::Right;
        else
            l.parser->fail(QStringLiteral("bad alignment %1").arg(a));
    }
    it.wordWrap = l.flag("wrap");
    it.autoStretch = l.flag("stretch");
    if (it.autoStretch) it.wordWrap = true;
    it.autoSize = l.flag("autosize");
    it.shrinkToFit = l.flag("shrink");
    if (l.flag("opaque")) it.transparent = false;
    if (l.has("color")) {
        it.color = l.color("color");
        it.transparent = false;
    }
    if (l.has("textcolor")) it.textColor = l.color("textcolor");
    const double fw = l.numberOption("framewidth", 0.2);
    if (l.has("frame")) it.frame = parseFrame(l, l.option("frame"), fw);
    if (l.has("mask")) it.mask = l.option("mask");
    if (l.flag("reset")) it.resetAfterPrint = true;
    if (l.has("text")) it.caption = l.option("text");
    if (l.flag("disabled")) it.enabled = false;
}

BandType bandType(Line& l, const QString& s) {
    static const std::map<QString, BandType> types{{QStringLiteral("title"), BandType::Title},
                                                   {QStringLiteral("pageheader"), BandType::PageHeader},
                                                   {QStringLiteral("columnheader"), BandType::ColumnHeader},
                                                   {QStringLiteral("groupheader"), BandType::GroupHeader},
                                                   {QStringLiteral("detail"), BandType::Detail},
                                                   {QStringLiteral("groupfooter"), BandType::GroupFooter},
                                                   {QStringLiteral("summary"), BandType::Summary},
                                                   {QStringLiteral("pagefooter"), BandType::PageFooter},
                                                   {QStringLiteral("child"), BandType::Child}};
    auto it = types.find(s.toLower());
    if (it == types.end()) l.parser->fail(QStringLiteral("unknown band type %1").arg(s));
    return it->second;
}

SysDataKind sysKind(Line& l, const QString& s) {
    static const std::map<QString, SysDataKind> kinds{{QStringLiteral("date"), SysDataKind::Date},
                                                      {QStringLiteral("time"), SysDataKind::Time},
                                                      {QStringLiteral("datetime"), SysDataKind::DateTime},
                                                      {QStringLiteral("pagenumber"), SysDataKind::PageNumber},
                                                      {QStringLiteral("detailno"), SysDataKind::DetailNumber},
                                                      {QStringLiteral("title"), SysDataKind::ReportTitle}};
    auto it = kinds.find(s.toLower());
    if (it == kinds.end()) l.parser->fail(QStringLiteral("unknown system data %1").arg(s));
    return it->second;
}

}  // namespace

void loadLayout(Report& report, const QString& text) {
    Band* band = nullptr;
    struct Link {
        Band* band;
        QString target;
        bool footer;
        LineParser* parser;
        int line;
        bool continued = false;  // the band printed at a page that starts inside the group
    };
    std::vector<Link> links;
    std::vector<std::unique_ptr<LineParser>> parsers;  // kept for link errors
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int n = 0; n < lines.size(); ++n) {
        const QString raw = lines[n].trimmed();
        if (raw.isEmpty() || raw.startsWith(QLatin1Char('#'))) continue;
        parsers.push_back(std::make_unique<LineParser>(raw, n + 1));
        LineParser& parser = *parsers.back();
        std::vector<Token> toks = parser.tokens();
        const QString keyword = toks.front().value.toLower();
        if (!toks.front().key.isEmpty()) parser.fail(QStringLiteral("keyword expected"));

        size_t positional = 0;
        if (keyword == QLatin1String("report"))
            positional = 0;
        else if (keyword == QLatin1String("band"))
            positional = 3;
        else if (keyword == QLatin1String("label") || keyword == QLatin1String("field") ||
                 keyword == QLatin1String("expr") || keyword == QLatin1String("sysdata"))
            positional = 6;
        else if (keyword == QLatin1String("hline") || keyword == QLatin1String("vline"))
            positional = 3;
        else if (keyword == QLatin1String("rect"))
            positional = 4;
        else if (keyword == QLatin1String("vlines"))
            positional = 1000;
        else
            parser.fail(QStringLiteral("unknown keyword %1").arg(toks.front().value));

        Line l{&parser, {}, {}, {}, {}};
        for (size_t i = 1; i < toks.size(); ++i) {
            if (!toks[i].key.isEmpty()) {
                l.options[toks[i].key] = toks[i].value;
                continue;
            }
            bool isNumber = false;
            toks[i].value.toDouble(&isNumber);
            if (l.args.size() < positional && (keyword != QLatin1String("vlines") || isNumber))
                l.args.push_back(toks[i].value);
            else
                l.flags.push_back(toks[i].value);
        }
        if (keyword == QLatin1String("vlines") ? l.args.size() < 3 : l.args.size() < positional)
            parser.fail(QStringLiteral("%1 needs %2 values")
                            .arg(keyword)
                            .arg(keyword == QLatin1String("vlines") ? 3 : positional));

        if (keyword == QLatin1String("report")) {
            if (l.has("title")) report.title = l.option("title");
            if (l.has("name")) report.name = l.option("name");
            if (l.has("paper")) report.paperSize = static_cast<int>(l.number(l.option("paper")));
            if (l.has("orientation")) {
                const QString o = l.option("orientation").toLower();
                if (o == QLatin1String("portrait"))
                    report.orientation = Orientation::Portrait;
                else if (o == QLatin1String("landscape"))
                    report.orientation = Orientation::Landscape;
                else
                    parser.fail(QStringLiteral("bad orientation %1").arg(o));
            }
            if (l.has("margins")) {
                const QStringList m = l.option("margins").split(QLatin1Char(','));
                if (m.size() != 4) parser.fail(QStringLiteral("margins=top,bottom,left,right expected"));
                report.topMargin = l.number(m[0]);
                report.bottomMargin = l.number(m[1]);
                report.leftMargin = l.number(m[2]);
                report.rightMargin = l.number(m[3]);
            }
            applyFont(l, report.font);
            l.checkAllUsed();
            continue;
        }
        if (keyword == QLatin1String("band")) {
            if (report.findBand(l.args[0])) parser.fail(QStringLiteral("band %1 declared twice").arg(l.args[0]));
            band = &report.addBand(bandType(l, l.args[1]), l.args[0], l.number(l.args[2]));
            const double fw = l.numberOption("framewidth", 0.2);
            if (l.has("frame")) band->frame = parseFrame(l, l.option("frame"), fw);
            if (l.flag("newpage")) band->forceNewPage = true;
            if (l.flag("disabled")) band->enabled = false;
            if (l.has("group")) band->expression = l.option("group");
            band->printOnFirstPage = l.yesNo("firstpage", true);
            band->printOnLastPage = l.yesNo("lastpage", true);
            if (l.has("footer")) links.push_back({band, l.option("footer"), true, &parser, n + 1});
            if (l.has("parent")) links.push_back({band, l.option("parent"), false, &parser, n + 1});
            if (l.has("continued")) links.push_back({band, l.option("continued"), false, &parser, n + 1, true});
            band->keepWithNext = l.numberOption("keepnext", 0);
            band->needsBefore = l.numberOption("notalone", 0);
            if (band->type() == BandType::GroupHeader && band->expression.isEmpty())
                parser.fail(QStringLiteral("group header %1 needs group=").arg(band->name()));
            l.checkAllUsed();
            continue;
        }
        if (!band) parser.fail(QStringLiteral("item before any band"));
        if (keyword == QLatin1String("vlines")) {
            std::vector<double> xs;
            for (size_t i = 2; i < l.args.size(); ++i) xs.push_back(l.number(l.args[i]));
            band->addVLines(l.number(l.args[0]), l.number(l.args[1]), xs, l.numberOption("pen", 0.2));
            l.checkAllUsed();
            continue;
        }
        if (keyword == QLatin1String("hline") || keyword == QLatin1String("vline") ||
            keyword == QLatin1String("rect")) {
            const double pen = l.numberOption("pen", 0.2);
            const QString name = l.option("name");
            Item* it;
            if (keyword == QLatin1String("hline"))
                it = &band->addHLine(l.number(l.args[0]), l.number(l.args[1]), l.number(l.args[2]), pen, name);
            else if (keyword == QLatin1String("vline"))
                it = &band->addVLine(l.number(l.args[0]), l.number(l.args[1]), l.number(l.args[2]), pen, name);
            else
                it = &band->addRect(l.number(l.args[0]), l.number(l.args[1]), l.number(l.args[2]), l.number(l.args[3]),
                                    pen, name);
            if (l.has("fill")) it->fillColor = l.color("fill");
            if (l.has("textcolor")) it->textColor = l.color("textcolor");
            l.checkAllUsed();
            continue;
        }
        const QString& name = l.args[0];
        if (report.findItem(name)) parser.fail(QStringLiteral("item %1 declared twice").arg(name));
        const double x = l.number(l.args[1]), y = l.number(l.args[2]), w = l.number(l.args[3]), h = l.number(l.args[4]);
        Item* it;
        if (keyword == QLatin1String("label"))
            it = &band->addLabel(name, x, y, w, h, l.args[5]);
        else if (keyword == QLatin1String("field"))
            it = &band->addField(name, x, y, w, h, l.args[5]);
        else if (keyword == QLatin1String("expr"))
            it = &band->addExpression(name, x, y, w, h, l.args[5]);
        else
            it = &band->addSysData(name, x, y, w, h, sysKind(l, l.args[5]));
        applyTextOptions(l, *it, report.font);
        l.checkAllUsed();
    }
    for (const Link& k : links) {
        Band* target = report.findBand(k.target);
        if (!target) k.parser->fail(QStringLiteral("unknown band %1").arg(k.target));
        if (k.continued) {
            k.band->continued = target;
        } else if (k.footer) {
            k.band->groupFooter = target;
        } else {
            if (target == k.band) k.parser->fail(QStringLiteral("a band cannot be its own parent"));
            target->child = k.band;
        }
    }
}

void Report::loadLayout(const QString& text) { reports::loadLayout(*this, text); }

}  // namespace reports
