// Report layouts written as text, one band or item per line; measures in mm.
//
//   report title="Raport" paper=9 orientation=portrait margins=10,10,7,5 font="Arial" size=8
//   band QRGroup1 groupheader 17.2 group="TRegistru.Data" footer=GroupFooterBand frame=all
//     label   QRLabel1 0 1 10.1 4 "Nr crt" align=center wrap
//     field   QRDBText1 10.1 1 12 4 TRegistru.Fel
//     expr    QRExpr5 123.3 11 17.2 4 "SUM(TRegistru.IncasariC)" mask="#,##0.00" align=right
//     sysdata PageNumberLabel 71.2 1 25.1 4 pagenumber text="Pag." align=right size=10
//     hline 0 6.6 195          (left top width)
//     vline 10.1 0 6.6         (left top height)
//     rect 0 0 195 6.6         (left top width height)
//     vlines 0 6.6 10.1 22.2 33.9   (top height, then every x)
//
// Band types: title, pageheader, columnheader, groupheader, detail,
// groupfooter, summary, pagefooter, child. Band options: frame=all|none|
// top,bottom,left,right, framewidth=, newpage, group="expression",
// footer=Band, parent=Band (child bands), firstpage=no, lastpage=no, disabled,
// keepnext=N (N mm of what follows must fit on the band's page: a day heading
// is never a page's last line), notalone=N (a band that has to start a page
// takes with it the last N mm printed before it: signatures follow figures),
// continued=Band (group headers: the band, a child band of no parent, printed
// at the top of a page that starts inside the group).
// Item options: align=left|center|right, font="Times New Roman", size=12,
// bold, italic, underline, wrap, stretch, autosize, shrink (a text wider than
// its box prints whole in a smaller font, as numbers do), opaque, color=#ffffff
// (background), textcolor=, frame=, framewidth=, mask="#,##0.00", reset,
// text="..." (label caption or system-data prefix), disabled; lines and
// rectangles: pen=0.2, fill=#rrggbb, name=. System data kinds: date, time,
// datetime, pagenumber, detailno, title. A '#' starts a comment line.
#pragma once
#include <QString>

namespace reports {

class Report;

// Adds the layout's bands and items to `report` and applies its report line.
// Throws ReportError naming the line on a mistake.
void loadLayout(Report& report, const QString& text);

}  // namespace reports
