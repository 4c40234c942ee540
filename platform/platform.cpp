#include "platform.h"

namespace {
Platform* g_override = nullptr;
}

Platform& Platform::instance()
{
    return g_override ? *g_override : nativePlatform();
}

void Platform::setInstance(Platform* platform)
{
    g_override = platform;
}
