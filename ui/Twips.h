#pragma once

#include <QtGlobal>

// Window layouts are given in twips: 15 to the pixel at 96 dots per inch.
// Qt's logical pixels follow the screen's scale, so HiDPI stays in proportion.
constexpr qreal twipsF(qreal twips) { return twips / 15.0; }
constexpr int twips(qreal t) { return qRound(t / 15.0); }
