#include "ui/LoginGreeting.h"

#include "core/Identity.h"

#include "core/Platform.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QWidget>

namespace {
// One argument of an Exec line: in double quotes, with ", `, $ and the
// backslash escaped, % doubled (a field code otherwise); then backslashes
// escaped again for the string value itself.
QString execArgument(const QString &argument)
{
    QString quoted;
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
        if (c == QLatin1Char('%'))
            quoted += c;
    }
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
}  // namespace

QByteArray loginEntry(const QString &program)
{
    // GLib looks for the program an Exec line names before it turns "%%"
    // into "%", so a program path holding "%" is never found. env always
    // is; -C takes the folder as an option's value, where neither "%" nor
    // "=" (an assignment for env) is misread.
    const QFileInfo file(program);
    const QString exec = QStringLiteral("/usr/bin/env -C %1 %2 --notifier")
                             .arg(execArgument(file.absolutePath()), execArgument(QStringLiteral("./") + file.fileName()));
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Ombrelune\n"
                          "Comment=Les textes du jour, à l'ouverture de session\n"
                          "Exec=%1\n"
                          "Icon=%2\n"
                          "Terminal=false\n"
                          "NoDisplay=true\n")
        .arg(exec, Identity::kDesktopId)
        .toUtf8();
}

void addLoginGreetingAction(QWidget *grid)
{
    auto *action = new QAction(QStringLiteral("Me saluer à l'ouverture de session"), grid);
    action->setObjectName(QStringLiteral("loginGreeting"));
    action->setCheckable(true);
    action->setChecked(platform().loginEntryExists());
    QObject::connect(action, &QAction::toggled, grid, [action](bool on) {
        if (platform().setLoginEntry(on ? loginEntry(QCoreApplication::applicationFilePath()) : QByteArray()))
            return;
        const QSignalBlocker still(action);
        action->setChecked(!on);
        platform().messageBox(QStringLiteral("Le démarrage à l'ouverture de session n'a pas pu être réglé."),
                              QString(), Style::OkOnly);
    });
    grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    grid->addAction(action);
}
