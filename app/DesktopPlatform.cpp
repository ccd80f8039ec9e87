#include "app/DesktopPlatform.h"

#include "core/Identity.h"
#include "ui/Booklet.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>

Platform &defaultPlatform()
{
    static DesktopPlatform desktop;
    return desktop;
}

void DesktopPlatform::messageBox(const QString &text, const QString &title, int style)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title.isEmpty() ? Identity::kTitle : title);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    // Every box can be copied from: some hold texts that could not be saved.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.setAccessibleDescription(text);  // what a screen reader reads after the title
    const int icon = style & 0x70;
    if (icon == 16)
        box.setIcon(QMessageBox::Critical);
    else if (icon == 48)
        box.setIcon(QMessageBox::Warning);
    if ((style & 0x7) == 6) {
        // One role for all three keeps them in this order on every desktop.
        box.setEscapeButton(box.addButton(QStringLiteral("Annuler"), QMessageBox::ActionRole));
        box.setDefaultButton(box.addButton(QStringLiteral("Réessayer"), QMessageBox::ActionRole));
        box.addButton(QStringLiteral("Continuer"), QMessageBox::ActionRole);
    } else {
        box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    }
    box.exec();
}

void DesktopPlatform::beep()
{
    QApplication::beep();
}

int DesktopPlatform::openWithViewer(QWidget *, const QString &file, const QString &workingDir)
{
    if (!QFileInfo(QDir(workingDir).filePath(file)).isFile())
        return Viewer::FileNotFound;
    // xdg-open hands the file to the viewer the desktop associates with it.
    // It is started directly, never through a shell, and not waited for.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return Viewer::NoViewer;
    return QProcess::startDetached(opener, {file}, workingDir) ? Viewer::Started : Viewer::NoViewer;
}

namespace {
// "ics" of "iCalendar (*.ics)".
QString extensionOf(const QString &nameFilter)
{
    static const QRegularExpression first(QStringLiteral("\\*\\.(\\w+)"));
    return first.match(nameFilter).captured(1);
}
}  // namespace

QString DesktopPlatform::chooseFile(QWidget *owner, const QString &caption, const QString &filter,
                                    bool forWriting, const QString &proposed)
{
    QFileDialog dialog(owner, caption, QDir::homePath(), filter);
    dialog.setObjectName(QStringLiteral("fileDialog"));
    dialog.setAcceptMode(forWriting ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(forWriting ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (forWriting) {
        dialog.setDefaultSuffix(extensionOf(dialog.selectedNameFilter()));
        // The proposed name follows the filter chosen, and so does a name typed bare.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &nameFilter) {
            dialog.setDefaultSuffix(extensionOf(nameFilter));
            const QStringList chosen = dialog.selectedFiles();
            if (!chosen.isEmpty() && !chosen.first().isEmpty())
                dialog.selectFile(QFileInfo(chosen.first()).completeBaseName() + QLatin1Char('.') + extensionOf(nameFilter));
        });
    }
    if (!proposed.isEmpty())
        dialog.selectFile(proposed);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

bool DesktopPlatform::ask(QWidget *owner, const QString &question, const QString &yes)
{
    QMessageBox box(owner ? owner : QApplication::activeWindow());
    box.setWindowTitle(Identity::kTitle);
    box.setIcon(QMessageBox::Question);
    box.setTextFormat(Qt::PlainText);
    box.setText(question);
    box.setAccessibleDescription(question);
    QPushButton *accept = box.addButton(yes, QMessageBox::AcceptRole);
    box.setDefaultButton(box.addButton(QStringLiteral("Annuler"), QMessageBox::RejectRole));
    box.exec();
    return box.clickedButton() == accept;
}

bool DesktopPlatform::choosePrinter(QWidget *owner, QPrinter *printer)
{
    return execPrintDialog(owner, printer);
}

void DesktopPlatform::endProgram()
{
    QCoreApplication::exit(0);
}
