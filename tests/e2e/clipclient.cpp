// A small X client that fights over the CLIPBOARD selection, for the end-to-end tests.
//   clipclient thief     takes the clipboard back whenever another client claims it, and never
//                        answers a request for its content
//   clipclient manager   as a clipboard manager: fetches the new owner's text, takes the clipboard
//                        over and serves that text
// Prints "ready" once it watches, then runs until it is killed.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <string>
#include <thread>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

constexpr int PollMs = 1;
constexpr int FetchMs = 2000;

struct Atoms
{
    Atom clipboard;
    Atom utf8;
    Atom targets;
    Atom property;
};

/** Fetches the current owner's text into @p text; false when it does not answer in time. */
bool fetch(Display* display, Window window, const Atoms& atoms, std::string* text)
{
    XConvertSelection(display, atoms.clipboard, atoms.utf8, atoms.property, window, CurrentTime);
    XFlush(display);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(FetchMs);
    XEvent event {};
    while (std::chrono::steady_clock::now() < deadline) {
        if (XCheckTypedWindowEvent(display, window, SelectionNotify, &event)) {
            if (event.xselection.property == None)
                return false;
            Atom type = None;
            int format = 0;
            unsigned long count = 0;
            unsigned long after = 0;
            unsigned char* data = nullptr;
            XGetWindowProperty(display, window, atoms.property, 0, 0x100000, True, AnyPropertyType, &type, &format,
                               &count, &after, &data);
            text->assign(reinterpret_cast<const char*>(data), count);
            if (data)
                XFree(data);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(PollMs));
    }
    return false;
}

/** Answers one request for our selection with the text (manager) or not at all (thief). */
void serve(Display* display, const XSelectionRequestEvent& request, const Atoms& atoms, const std::string& text)
{
    XSelectionEvent reply {};
    reply.type = SelectionNotify;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    reply.property = request.property != None ? request.property : request.target;
    if (request.target == atoms.targets) {
        const Atom offered[] = { atoms.targets, atoms.utf8 };
        XChangeProperty(display, request.requestor, reply.property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(offered), 2);
    } else if (request.target == atoms.utf8) {
        XChangeProperty(display, request.requestor, reply.property, atoms.utf8, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
    } else {
        reply.property = None;
    }
    XSendEvent(display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
    XFlush(display);
}

} // namespace

int main(int argc, char** argv)
{
    const bool thief = argc == 2 && std::strcmp(argv[1], "thief") == 0;
    const bool manager = argc == 2 && std::strcmp(argv[1], "manager") == 0;
    if (!thief && !manager) {
        std::fprintf(stderr, "usage: clipclient thief|manager\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "clipclient: no X display\n");
        return 1;
    }
    const Atoms atoms { XInternAtom(display, "CLIPBOARD", False), XInternAtom(display, "UTF8_STRING", False),
                        XInternAtom(display, "TARGETS", False), XInternAtom(display, "CLIPCLIENT_DATA", False) };
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    std::string text = thief ? "the thief's text" : "";
    XSetSelectionOwner(display, atoms.clipboard, window, CurrentTime);
    XSync(display, False);
    std::printf("ready\n");
    std::fflush(stdout);

    for (;;) {
        while (XPending(display) > 0) {
            XEvent event {};
            XNextEvent(display, &event);
            if (event.type == SelectionRequest && manager)
                serve(display, event.xselectionrequest, atoms, text);
        }
        const Window owner = XGetSelectionOwner(display, atoms.clipboard);
        if (owner != window && owner != None) {
            std::string fetched;
            if (thief || fetch(display, window, atoms, &fetched)) {
                if (manager)
                    text = fetched;
                XSetSelectionOwner(display, atoms.clipboard, window, CurrentTime);
                XSync(display, False);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(PollMs));
    }
}
