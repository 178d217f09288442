// Report fonts and text measurement. Layout and drawing share one font object
// per FontSpec, sized in pixels at a fixed reference resolution, so wrapped
// lines and stretched bands come out the same on screen, printer and PDF.
#pragma once
#include <QFont>
#include <QString>
#include <QStringList>

#include "reports/PageModel.h"

namespace reports {

// Painter units per inch used for every report drawing.
constexpr double kRefDpi = 1200.0;
constexpr double kUnitsPerMm = kRefDpi / 25.4;

// "Arial" -> "Liberation Sans", "Times New Roman" -> "Liberation Serif",
// "Courier New" -> "Liberation Mono"; other names are kept.
QString resolveFontFamily(const QString& name);

// The drawing font for a spec (cached).
QFont reportQFont(const FontSpec& spec);

// Measures in millimetres.
double textWidthMm(const FontSpec& spec, const QString& text);
double lineSpacingMm(const FontSpec& spec);
double ascentMm(const FontSpec& spec);

// Whether `text` in `spec` is at most `widthMm` wide. Cheaper than measuring
// for the many texts (amounts above all) that fit with room to spare.
bool textFits(const FontSpec& spec, const QString& text, double widthMm);

// The smallest size an amount is shrunk to.
constexpr double kSmallestFittedSize = 1.0;  // points

// `spec` when `text` fits `widthMm`; otherwise `spec` at the largest size, in
// quarter points, at which it does: an amount printed whole rather than cut.
FontSpec fittingFont(const FontSpec& spec, const QString& text, double widthMm);

// Splits `text` into the lines drawn in a box `widthMm` wide: at line breaks,
// then between words; a word wider than the box is cut between characters.
QStringList wrapText(const FontSpec& spec, const QString& text, double widthMm);

// The lines an element draws: wrapped, or its one line.
QStringList elementLines(const PageElement& e);

}  // namespace reports
