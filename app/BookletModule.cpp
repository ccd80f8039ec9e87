// The entry points of the module ombo-impression.so, which the window module
// loads only to print or to write the booklet as a PDF file.
#include "ui/Booklet.h"

extern "C" Q_DECL_EXPORT bool omboWriteBookletPdf(const QString &path, const QList<DayRow> &rows, QDate today,
                                                  QString *error)
{
    return writeBookletPdf(path, rows, today, error);
}

extern "C" Q_DECL_EXPORT void omboPrintBooklet(QWidget *owner, const QList<DayRow> &rows, QDate today)
{
    printBooklet(owner, rows, today);
}

extern "C" Q_DECL_EXPORT bool omboPrintDialog(QWidget *owner, QPrinter *printer)
{
    return execPrintDialog(owner, printer);
}
