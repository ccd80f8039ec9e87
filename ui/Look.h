#pragma once

#include <QFont>
#include <QIcon>
#include <QString>

// The face of both windows: a sans-serif of the given size. The classic
// Windows face is a bitmap font that Linux desktops lack; Liberation Sans
// has the closest widths.
QFont policeSansSerif(qreal points, bool gras = false);

// A picture in 16 and 32 pixels. Adding a file decodes it, so the 32-pixel
// one is left out where only the small size is ever drawn (`petitSeulement`
// on a screen of normal density).
QIcon icone(const QString &fichier16, const QString &fichier32, bool petitSeulement = false);
