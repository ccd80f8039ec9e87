#include "app/Platform.h"

#include "app/DesktopPlatform.h"

#include <QDir>
#include <QFileInfo>

namespace {
Platform *g_installed = nullptr;
}

Platform &Platform::current()
{
    if (g_installed)
        return *g_installed;
    static DesktopPlatform desktop;
    return desktop;
}

void Platform::install(Platform *p)
{
    g_installed = p;
}

QString Platform::stateFolder()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || QFileInfo(base).isRelative())
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/ombrelune");
}

QDateTime Platform::nowUtc()
{
    return QDateTime::currentDateTimeUtc();
}
