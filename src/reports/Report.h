// The banded report engine. A report runs over one data set and prints its
// bands page by page into a PreparedReport (the page model), which is then
// previewed, printed or exported.
//
// Order of printing: on every page the page header (on the first page only
// when printOnFirstPage), on the first page the title, then the column
// header; for each row the group headers whose value starts a new group, the
// detail band, and the group footers of the groups the row ends; after the
// last row the summary; at the bottom of every page the page footer (on the
// last page only when printOnLastPage). A child band prints right after its
// parent when the parent printed.
//
// Running aggregates (SUM and the others of Expression.h) add every row the
// report reads, whether or not its bands print. Their order against the bands
// is fixed:
//  - a group header prints before its first row enters the sums;
//  - the detail band shows the sums including its own row;
//  - a group footer prints while the group's last row is current, after that
//    row entered the sums;
//  - a page break (footer of the old page, header of the new) comes before the
//    row that starts the new page enters the sums.
// The data set's beforeScroll event is the notification before the report's
// cursor leaves a row: the engine moves only with first() and next().
//
// A band's hooks run once per print: beforePrint, then (after a forced new
// page) the item hooks, which settle the band's height; when the band does not
// fit, the page footer and the next page's header print, then the band is
// placed and afterPrint runs. A band kept with the next (keepWithNext) starts
// a new page when what follows it would not fit; a band that may not stand
// alone (needsBefore) takes the last bands of the old page along to the new
// one; a page that starts inside a group repeats the group's continued band. lastPrinted() changes only when a band is
// placed, so a page footer or header still reads the texts of the previous row.
#pragma once
#include <QColor>
#include <QSizeF>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "reports/PageModel.h"

class QWidget;

namespace data {
class DataSet;
class Field;
}  // namespace data

namespace reports {

class Band;
class Expression;
class Report;

class ReportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class BandType { Title, PageHeader, ColumnHeader, GroupHeader, Detail, GroupFooter, Summary, PageFooter, Child };
enum class ItemKind { Label, Field, Expression, SysData, HLine, VLine, Rectangle };
enum class SysDataKind { Date, Time, DateTime, PageNumber, DetailNumber, ReportTitle };

struct Frame {
    bool top = false, bottom = false, left = false, right = false;
    double width = 0.2;  // mm
    static Frame all(double w = 0.2) { return {true, true, true, true, w}; }
    bool any() const { return top || bottom || left || right; }
};

class Item {
public:
    Item(Band* band, ItemKind kind, QString name);
    ~Item();
    Item(const Item&) = delete;
    Item& operator=(const Item&) = delete;

    ItemKind kind() const { return kind_; }
    const QString& name() const { return name_; }
    Band& band() const { return *band_; }
    bool isText() const { return kind_ <= ItemKind::SysData; }

    // Geometry in mm from the band's top-left corner. Horizontal lines are
    // drawn along `top`, vertical lines along `left`.
    double left = 0, top = 0, width = 0, height = 0;
    std::optional<FontSpec> font;  // none: the report's font
    HAlign alignment = HAlign::Left;
    bool autoSize = false;     // the box takes the text's width (single line)
    bool wordWrap = false;     // lines broken between words inside the box
    bool autoStretch = false;  // wrapped text taller than the box grows the band
    bool shrinkToFit = false;  // a text wider than the box prints whole in a smaller font
    bool transparent = true;
    QColor color = Qt::white;  // background when not transparent
    QColor textColor = Qt::black;
    Frame frame;
    bool enabled = true;
    double penWidth = 0.2;  // lines and rectangles, mm
    QColor fillColor;       // rectangles; invalid: not filled

    QString caption;               // label text; the prefix of system data
    QString expression;            // field items: the field ("TRegistru.Data"); expression items: the expression
    QString mask;                  // number or date mask; empty: the field's display format / general format
    bool resetAfterPrint = false;  // aggregates start again after each print
    SysDataKind sysData = SysDataKind::Date;

    // Runs when the item is about to print: may replace the text, or change
    // the item's width (the change stays, as any property change).
    std::function<void(Item&, QString& text)> onPrint;
    // The text this item printed last in the current run.
    const QString& lastPrinted() const { return lastPrinted_; }
    const FontSpec& effectiveFont() const;

private:
    friend class Report;
    friend class Generator;
    Band* band_;
    ItemKind kind_;
    QString name_;
    QString lastPrinted_;
    const ElementStyle* style_ = nullptr;  // of the last element placed
    std::unique_ptr<Expression> compiled_;
};

class Band {
public:
    Band(Report* report, BandType type, QString name, double height);
    ~Band();
    Band(const Band&) = delete;
    Band& operator=(const Band&) = delete;

    BandType type() const { return type_; }
    const QString& name() const { return name_; }
    Report& report() const { return *report_; }

    double height;              // mm, as designed
    bool forceNewPage = false;  // start a new page before this band; read when the band comes up, before beforePrint
    bool enabled = true;
    Frame frame;
    QString expression;            // group headers: a new group starts when its value changes
    Band* groupFooter = nullptr;   // group headers: the footer of the group
    Band* child = nullptr;         // printed right after this band
    bool printOnFirstPage = true;  // page headers
    bool printOnLastPage = true;   // page footers
    double keepWithNext = 0;       // mm of the following band that must fit on this band's page
    double needsBefore = 0;        // a band that must start a page takes along the last this many mm printed
    Band* continued = nullptr;     // group headers: printed at the top of a page that starts inside the group

    // May set `print` to false: the band does not print (its rows still feed the sums).
    std::function<void(Band&, bool& print)> beforePrint;
    std::function<void(Band&, bool printed)> afterPrint;

    Item& addLabel(const QString& name, double left, double top, double width, double height, const QString& text);
    Item& addField(const QString& name, double left, double top, double width, double height, const QString& field);
    Item& addExpression(const QString& name, double left, double top, double width, double height,
                        const QString& expression, const QString& mask = {});
    Item& addSysData(const QString& name, double left, double top, double width, double height, SysDataKind kind,
                     const QString& prefix = {});
    Item& addHLine(double left, double top, double width, double pen = 0.2, const QString& name = {});
    Item& addVLine(double left, double top, double height, double pen = 0.2, const QString& name = {});
    Item& addRect(double left, double top, double width, double height, double pen = 0.2, const QString& name = {});
    // Vertical rules at each x, from `top` over `height`.
    void addVLines(double top, double height, const std::vector<double>& xs, double pen = 0.2);

    const std::vector<std::unique_ptr<Item>>& items() const { return items_; }
    Item* findItem(const QString& name) const;
    Item& item(const QString& name) const;  // throws ReportError when missing

private:
    Item& add(ItemKind kind, const QString& name);
    Report* report_;
    BandType type_;
    QString name_;
    std::vector<std::unique_ptr<Item>> items_;
};

class Report {
public:
    Report();
    ~Report();
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    QString name = QStringLiteral("Rep");
    QString title;  // document name for printing and exports

    // The rows of the report; `name` qualifies its fields in expressions.
    void setDataSet(data::DataSet* ds, const QString& name = {});
    data::DataSet* dataSet() const { return ds_; }
    const QString& dataSetName() const { return dsName_; }
    // Another data set whose fields items may print (its current record).
    void addDataSet(const QString& name, data::DataSet* ds);

    // Page: the paper-size number of PrintSettings (9 = A4, 0 = the printer's
    // paper), orientation and margins in mm.
    int paperSize = 9;
    Orientation orientation = Orientation::Portrait;
    double topMargin = 10, bottomMargin = 10, leftMargin = 7, rightMargin = 5;
    FontSpec font{QStringLiteral("Arial"), 10};

    // Printing: copies and page range (0, 0 = every page).
    int copies = 1, firstPage = 0, lastPage = 0;

    Band& addBand(BandType type, const QString& name, double height);
    const std::vector<std::unique_ptr<Band>>& bands() const { return bands_; }
    Band* findBand(const QString& name) const;
    Band& band(const QString& name) const;  // throws ReportError when missing
    Item* findItem(const QString& name) const;
    Item& item(const QString& name) const;  // throws ReportError when missing

    // Reads a layout description (see Layout.h), adding its bands and items.
    void loadLayout(const QString& text);

    // May set `print` to false: nothing is produced.
    std::function<void(Report&, bool& print)> beforePrint;

    // Runs the report over its data set (opening it when closed) and keeps the
    // pages; every hook runs again on each call. Returns the page count.
    int prepare();
    // Runs the report as prepare() does, every hook included, but keeps no
    // page (the pages kept before are dropped): the page count alone, for a
    // page label such as "Pag.2 din 5".
    int countPages();
    // Runs the report as prepare() does, handing each page to `sink` as soon
    // as it is laid out and keeping none: memory of one page, whatever the
    // page count. Returns the page count.
    int run(const std::function<void(Page&& page)>& sink);
    const PreparedReport& prepared() const { return prepared_; }
    int pageCount() const { return prepared_.pageCount(); }

    QSizeF pageSizeMm() const;
    double bandWidth() const { return pageSizeMm().width() - leftMargin - rightMargin; }

    // While the report runs (for hooks).
    bool running() const { return running_; }
    int pageNumber() const { return pageNumber_; }
    int detailNumber() const { return detailNumber_; }

    // Prepares and shows the modal preview (no window when no page was produced).
    void preview(QWidget* parent = nullptr);
    // Prepares and prints on the current printer with copies and page range;
    // false when cancelled or failed.
    bool print(QWidget* parent = nullptr);
    // Prepares and writes a PDF, plain text, CSV, HTML or saved-report file
    // chosen by the file's extension.
    bool exportTo(const QString& path, QString* error = nullptr);

private:
    friend class Generator;
    friend class PageStream;
    data::Field* resolveField(const QString& qualifier, const QString& name) const;
    int generate(bool keepPages);

    data::DataSet* ds_ = nullptr;
    QString dsName_;
    std::vector<std::pair<QString, data::DataSet*>> others_;
    std::vector<std::unique_ptr<Band>> bands_;
    PreparedReport prepared_;
    bool running_ = false;
    bool keepPages_ = true;
    int pageNumber_ = 0, detailNumber_ = 0;
};

// One run of a report, taken a page at a time: each next() lays out the rows
// of one more page. The run's hooks run as the pages are taken; the report is
// running (and its data set moves) until the last page was taken or the
// stream is destroyed. The preview takes its pages this way while it shows the
// first ones.
class PageStream {
public:
    // Starts the run: the report's beforePrint, the data set opened. Without
    // `keepPages` the pages come out empty (counting them).
    explicit PageStream(Report& report, bool keepPages = true);
    ~PageStream();
    PageStream(const PageStream&) = delete;
    PageStream& operator=(const PageStream&) = delete;

    // The next page; false when the report has no more.
    bool next(Page& page);
    int pages() const { return pages_; }

private:
    struct State;
    std::unique_ptr<State> state_;
    int pages_ = 0;
};

// Page size in mm of a paper-size number (0: the current printer's paper)
// in the given orientation.
QSizeF paperSizeMm(int paperSizeNumber, Orientation orientation);

}  // namespace reports
