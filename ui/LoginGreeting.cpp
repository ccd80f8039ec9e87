#include "ui/LoginGreeting.h"

#include "core/Identity.h"

#include "core/Platform.h"

#include <QAction>
#include <QCoreApplication>
#include <QSignalBlocker>
#include <QWidget>

QByteArray loginEntry(const QString &program)
{
    // Exec quoting of the desktop entry format: the path in double quotes,
    // with ", `, $ and \ escaped; then \ escaped again for the string itself.
    QString quoted;
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Ombrelune\n"
                          "Comment=Les textes du jour, à l'ouverture de session\n"
                          "Exec=\"%1\" --notifier\n"
                          "Icon=%2\n"
                          "Terminal=false\n"
                          "NoDisplay=true\n")
        .arg(quoted, Identity::kDesktopId)
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
