#pragma once

#include <functional>
#include <QMargins>
#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

class QWidget;

/**
 * What the program needs from the operating system. One implementation per system
 * (platform_x11.cpp, platform_win.cpp), chosen by CMake; tests install a fake.
 * Callers never test the operating system themselves.
 */
class Platform
{
public:
    virtual ~Platform() = default;

    /**
     * Whether another instance runs in this session: takes the single-instance marker
     * "Pellimo" and answers true when another instance already holds it. Called before the
     * application object exists. When the marker cannot be created at all, answers false:
     * carry on as the first instance.
     */
    virtual bool anotherInstanceRunning() = 0;

    /**
     * Second instance only: finds the running instance's main window by its class
     * "TForm1", restores it if minimised and brings it to the front. Never blocks for
     * long on a hung or half-started first instance; does nothing when no window is found.
     */
    virtual void activateRunningInstance() = 0;

    /** Gives a top-level window its window-system class identifier ("TForm1", "TForm2", ...). */
    virtual void setWindowClass(QWidget* window, const QString& className) = 0;

    /** Work area of the primary screen (the desktop less task bars), in screen pixels. */
    virtual QRect primaryWorkArea() = 0;

    /** Work areas of all screens, in screen pixels; where the system lists none, the primary's. */
    virtual std::vector<QRect> workAreas() { return { primaryWorkArea() }; }

    /**
     * The frame the window manager puts (or will put) around a top-level window: left, top,
     * right and bottom widths. Known once the window is shown; before its first show the window
     * manager is asked, waiting a moment at most. No window manager, no frame: empty margins.
     */
    virtual QMargins frameMargins(QWidget* window) = 0;

    /**
     * Starts finding out frameMargins() of a window not shown yet without waiting for the
     * answer, so that other work can run meanwhile; the next frameMargins() for the window
     * collects it. Does nothing where the answer needs no waiting.
     */
    virtual void requestFrameMargins(QWidget*) { }

    /** Puts a top-level window into the stay-on-top band or takes it out; no change, no call. */
    virtual void setStayOnTop(QWidget* window, bool onTop) = 0;

    /**
     * Brings the window to the foreground with keyboard focus even while another program
     * has it; any system-wide setting changed for this is restored before returning.
     */
    virtual void forceForeground(QWidget* window) = 0;

    /**
     * Whether a closed dialog may keep its native window for the next opening. On X11 that
     * spares the window manager a new window each time. On Windows (seen under wine) the owner
     * did not go back into the topmost band while the hidden dialog kept its window.
     */
    virtual bool keepsClosedDialogWindows() { return true; }

    /**
     * Full path of the running executable, file extension included, as it was at the first call:
     * renaming or replacing the file while the program runs does not change it.
     */
    virtual QString executablePath() = 0;

    /** The implementation for this system, or the one installed by setInstance(). */
    static Platform& instance();
    /** Replaces the implementation (tests); pass nullptr to go back to the native one. */
    static void setInstance(Platform* platform);
};

/** The native implementation; defined in the platform file that CMake picks. */
Platform& nativePlatform();

/**
 * Calls @p handler on the user-interface thread, from the event loop, when the system asks the
 * process to end (on Linux SIGTERM, SIGHUP or SIGINT), so that it can close as the user would.
 * A second request ends the process the system's way. Defined per system (termination_*.cpp).
 */
void onTerminationRequest(std::function<void()> handler);

/**
 * Right after a copy: lets the clipboard traffic of the moment run (a clipboard manager taking
 * the text over, a rival client taking the clipboard back), then tells whether the clipboard, as
 * the system sees it, gives @p text. Waits a fraction of a second; never blocks for long on a
 * client that does not answer. Defined per system (clipboard_*.cpp).
 */
bool clipboardHolds(const QString& text);

/**
 * Lets each of @p faces that is not installed resolve at once to the first installed face of its
 * substitutes (QFont::substitutes), the face Qt would settle on anyway, without first searching
 * all installed faces for the missing one. The fonts drawn stay the same. Call once the
 * substitutions are in place; does nothing where the search is cheap. Defined per system
 * (fontfaces_x11.cpp; a no-op in platform_win.cpp).
 */
void resolveAbsentFacesToSubstitutes(const QStringList& faces);
