#include "app/Platform.h"

#include "app/DesktopPlatform.h"

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
