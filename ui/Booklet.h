#pragma once

#include "store/transfer/DayRows.h"

#include <QDate>
#include <QList>
#include <QString>

class QPagedPaintDevice;

// The year as a booklet: one month per page under its French name, each day
// with its key, its weekday in the year of `today` and both texts wrapping
// in their columns; a text longer than the room left goes on to the next
// page. For print and PDF alike.
void drawBooklet(QPagedPaintDevice &device, const QList<DayRow> &rows, QDate today);

// The booklet as an A4 PDF file, written whole or not at all.
bool writeBookletPdf(const QString &path, const QList<DayRow> &rows, QDate today, QString *error);
