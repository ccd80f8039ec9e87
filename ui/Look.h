#pragma once

#include <QFont>
#include <QIcon>
#include <QString>

// The face of both windows: a sans-serif of the given size. The classic
// Windows face is a bitmap font that Linux desktops lack; Liberation Sans
// has the closest widths.
QFont sansSerifFont(qreal points, bool bold = false);

// A picture in 16 and 32 pixels. Adding a file decodes it, so the 32-pixel
// one is left out where only the small size is ever drawn (`smallOnly`
// on a screen of normal density).
QIcon loadIcon(const QString &file16, const QString &file32, bool smallOnly = false);
