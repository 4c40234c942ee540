#pragma once

#include "platform/globalhotkeys.h"

#include <memory>

class TForm1;

/**
 * Gives the main window its global hotkeys: reads the [Hotkeys] section and grabs its keys,
 * runs the stopwatch buttons from them, and opens the Hotkeys dialog from the map's right-click
 * menu (and on Windows from the window's system menu). Call once the window is shown.
 */
void installHotkeys(TForm1* form, std::unique_ptr<GlobalHotkeys> system = createGlobalHotkeys());
