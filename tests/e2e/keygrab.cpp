// A small X client that holds a key, for the end-to-end tests: grabs the key on the root
// window as a global-hotkey program would, prints "ready", and runs until it is killed.
//   keygrab <keysym name> [ctrl] [alt] [shift]      e.g. keygrab F8 ctrl alt

#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <X11/Xlib.h>

int main(int argc, char** argv)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display || argc < 2)
        return 2;
    const KeySym sym = XStringToKeysym(argv[1]);
    const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(display, sym);
    if (code == 0)
        return 2;
    unsigned modifiers = 0;
    for (int i = 2; i < argc; ++i) {
        modifiers |= std::strcmp(argv[i], "ctrl") == 0 ? ControlMask
            : std::strcmp(argv[i], "alt") == 0         ? Mod1Mask
            : std::strcmp(argv[i], "shift") == 0       ? ShiftMask
                                                       : 0;
    }
    XGrabKey(display, code, modifiers, DefaultRootWindow(display), False, GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    std::puts("ready");
    std::fflush(stdout);
    for (;;)
        pause();
}
