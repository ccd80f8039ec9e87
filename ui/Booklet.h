#pragma once

#include "store/transfer/DayRows.h"

#include <QDate>
#include <QList>
#include <QString>

class QPagedPaintDevice;
class QPrinter;
class QWidget;

// The year as a booklet: one month per page under its French name, each day
// with its key, its weekday in the year of `today` and both texts wrapping
// in their columns; a text longer than the room left goes on to the next
// page. For print and PDF alike.
void drawBooklet(QPagedPaintDevice &device, const QList<DayRow> &rows, QDate today);

// The booklet as an A4 PDF file, written whole or not at all.
bool writeBookletPdf(const QString &path, const QList<DayRow> &rows, QDate today, QString *error);

// The booklet on the printer the user chooses (Platform::choosePrinter);
// nothing when the choice is cancelled.
void printBooklet(QWidget *owner, const QList<DayRow> &rows, QDate today);

// Qt's print dialog, set up on `printer`: false when it is cancelled.
bool execPrintDialog(QWidget *owner, QPrinter *printer);

// These need Qt's print support, which the windows do not load before the
// user prints or exports a PDF: the program takes them from the module
// ombo-impression.so, the tests link them in.
