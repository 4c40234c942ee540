#include "platform/platform.h"

#include "platform/platformlog.h"

Q_LOGGING_CATEGORY(lcPlatform, "pellimo.platform")

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
