// The printed and PDF booklet in the window module: loaded from the module
// ombo-impression.so the first time it is asked for, so that the windows
// start without Qt's print support.
#include "app/CommandLine.h"
#include "core/Platform.h"
#include "ui/Booklet.h"

#include <QDir>

#include <dlfcn.h>

namespace {
const QString kNoModule = QStringLiteral("le module d'impression ombo-impression.so ne peut pas être chargé");

template <typename F>
F entry(const char *name)
{
    static void *const module = loadModule("ombo-impression.so");
    return module ? reinterpret_cast<F>(::dlsym(module, name)) : nullptr;
}
}  // namespace

bool writeBookletPdf(const QString &path, const QList<DayRow> &rows, QDate today, QString *error)
{
    const auto write = entry<bool (*)(const QString &, const QList<DayRow> &, QDate, QString *)>("omboWriteBookletPdf");
    if (write)
        return write(path, rows, today, error);
    *error = QStringLiteral("Le fichier « %1 » ne peut pas être écrit : %2.").arg(QDir::toNativeSeparators(path), kNoModule);
    return false;
}

void printBooklet(QWidget *owner, const QList<DayRow> &rows, QDate today)
{
    if (const auto print = entry<void (*)(QWidget *, const QList<DayRow> &, QDate)>("omboPrintBooklet"))
        print(owner, rows, today);
    else
        platform().messageBox(QStringLiteral("L'almanach ne peut pas être imprimé : %1.").arg(kNoModule), QString(),
                              Style::OkOnly);
}

bool execPrintDialog(QWidget *owner, QPrinter *printer)
{
    const auto choose = entry<bool (*)(QWidget *, QPrinter *)>("omboPrintDialog");
    return choose && choose(owner, printer);
}
