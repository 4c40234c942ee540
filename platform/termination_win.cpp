// Windows asks a program to end through the session's end messages, which Qt turns into
// QGuiApplication::commitDataRequest; there is nothing more to watch.
#include "platform/platform.h"

void onTerminationRequest(std::function<void()>) { }
