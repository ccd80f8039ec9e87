#include "app/Platform.h"

namespace {
Platform *g_installed = nullptr;
}

Platform &Platform::current()
{
    if (g_installed)
        return *g_installed;
    return defaultPlatform();
}

void Platform::install(Platform *p)
{
    g_installed = p;
}
