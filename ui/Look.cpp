#include "ui/Look.h"

#include <QGuiApplication>

QFont sansSerifFont(qreal points, bool bold)
{
    QFont f;
    f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QIcon loadIcon(const QString &file16, const QString &file32, bool smallOnly)
{
    QIcon icon(file16);
    if (!smallOnly || qApp->devicePixelRatio() > 1.0)
        icon.addFile(file32);
    return icon;
}
