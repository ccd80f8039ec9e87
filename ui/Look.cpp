#include "ui/Look.h"

#include <QGuiApplication>

QFont policeSansSerif(qreal points, bool gras)
{
    QFont f;
    f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(gras);
    return f;
}

QIcon icone(const QString &fichier16, const QString &fichier32, bool petitSeulement)
{
    QIcon icon(fichier16);
    if (!petitSeulement || qApp->devicePixelRatio() > 1.0)
        icon.addFile(fichier32);
    return icon;
}
