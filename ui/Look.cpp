#include "ui/Look.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImageReader>
#include <QPixmap>
#include <QPushButton>
#include <QTextDocument>

QFont sansSerifFont(qreal points, bool bold)
{
    QFont f;
    f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

namespace {
// Our pictures are PNG files: read as such. Left to find the format itself,
// the reader first loads every image plugin to ask whether it reads PNG.
QPixmap pngPicture(const QString &file)
{
    QImageReader reader(file, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}
}  // namespace

QIcon loadIcon(const QString &file16, const QString &file32, bool smallOnly)
{
    QIcon icon(pngPicture(file16));
    if (!smallOnly || qApp->devicePixelRatio() > 1.0)
        icon.addPixmap(pngPicture(file32));
    return icon;
}

QDialogButtonBox *acceptRejectButtons(QDialog *dialog, const QString &acceptText, const QString &acceptName,
                                      const QString &rejectText, const QString &rejectName)
{
    auto *buttons = new QDialogButtonBox(dialog);
    buttons->addButton(acceptText, QDialogButtonBox::AcceptRole)->setObjectName(acceptName);
    buttons->addButton(rejectText, QDialogButtonBox::RejectRole)->setObjectName(rejectName);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

QString plainToolTip(const QString &text)
{
    return Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}

QString oneLineText(const QVariant &text)
{
    if (text.toString().isEmpty())
        return QStringLiteral("(vide)");
    QString t = text.toString();
    for (QChar &c : t)
        if (c.unicode() < 0x20)
            c = QLatin1Char(' ');
    return t.size() > 200 ? t.left(200) + QChar(0x2026) : t;
}

void fitColumns(QHeaderView *header, std::initializer_list<int> fitted, std::initializer_list<int> stretched)
{
    header->setStretchLastSection(false);
    for (int c : fitted)
        header->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    for (int c : stretched)
        header->setSectionResizeMode(c, QHeaderView::Stretch);
}
