#pragma once

#include <QFont>
#include <QIcon>
#include <QString>
#include <QVariant>

#include <initializer_list>

class QDialog;
class QHeaderView;
class QDialogButtonBox;

// The face of both windows: a sans-serif of the given size. The classic
// Windows face is a bitmap font that Linux desktops lack; Liberation Sans
// has the closest widths.
QFont sansSerifFont(qreal points, bool bold = false);

// A picture in 16 and 32 pixels. Adding a file decodes it, so the 32-pixel
// one is left out where only the small size is ever drawn (`smallOnly`
// on a screen of normal density).
QIcon loadIcon(const QString &file16, const QString &file32, bool smallOnly = false);

// The two buttons that close `dialog`: one that accepts it, one that
// rejects it, each with its caption and object name (an empty name leaves
// the button unnamed).
QDialogButtonBox *acceptRejectButtons(QDialog *dialog, const QString &acceptText, const QString &acceptName,
                                      const QString &rejectText, const QString &rejectName = QString());

// A tooltip that shows `text` as typed: markup in it is never rendered.
QString plainToolTip(const QString &text);

// A text on one line of a list, cut after 200 characters; no text at all
// reads "(vide)".
QString oneLineText(const QVariant &text);

// A list's columns: those `fitted` as wide as their contents, the
// `stretched` ones sharing the room left (their texts cut with "…").
void fitColumns(QHeaderView *header, std::initializer_list<int> fitted, std::initializer_list<int> stretched);
