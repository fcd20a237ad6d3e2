#pragma once

#include <QColor>

// Light or dark, as the desktop's colour scheme says (or the palette's window lightness where
// Qt cannot tell the scheme), and the colours the screens paint with in each. AMPELIO_THEME
// (light or dark) overrides the desktop, for screenshots and tests.
namespace Theme {
bool isDark();
// Forces a scheme (tests); Auto returns to the desktop's.
enum class Scheme { Auto, Light, Dark };
void setScheme(Scheme scheme);

// Each pair keeps the contrast of the light design: text on its background reads the same.
QColor background();    // the graph's and the list's ground
QColor primaryText();   // list titles, table titles
QColor secondaryText(); // list details
QColor separator();     // lines between rows
QColor selection();     // a selected row in edit mode
QColor graphLine();     // the level line
QColor gridMinor();
QColor gridMajor();
QColor groupedBackground(); // behind the statistics groups
QColor groupedStripe();
QColor groupFill(); // the rounded groups
QColor groupOutline();
QColor groupHeader();
QColor groupHeaderShadow();
QColor detailText(); // the statistics values
} // namespace Theme
