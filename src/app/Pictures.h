// The main window's drawn pictures: the four button glyphs and the three
// pictures of the button bar.
#pragma once
#include <QPixmap>

namespace app::pictures {

QPixmap receiptsGlyph();     // "Venituri"
QPixmap depositsGlyph();     // "Depuneri cont"
QPixmap withdrawalsGlyph();  // "Ridicari cont"
QPixmap paymentsGlyph();     // "Cheltuieli"
QPixmap churchPicture();     // the church authority's site
QPixmap ledgerPicture();     // decoration
QPixmap vendorPicture();     // the vendor's site

}  // namespace app::pictures
