#pragma once

#include <functional>
#include <memory>
#include <QKeyCombination>
#include <QObject>
#include <QString>

class QWidget;

/**
 * Keys that reach the program while another program has the keyboard focus. One implementation
 * per system (globalhotkeys_x11.cpp, globalhotkeys_win.cpp), chosen by CMake; tests make a fake.
 * A grabbed key never activates or raises a window of ours.
 */
class GlobalHotkeys : public QObject
{
    Q_OBJECT

public:
    enum class Grab {
        Done,
        InUse, // another program holds the key
        NoSuchKey, // the key has no code on this keyboard or system
        Reserved, // the system acts on the key itself (Ctrl+Alt+F1 switches consoles on Linux)
        Unavailable, // this session has no global keys at all
    };

    explicit GlobalHotkeys(QObject* parent = nullptr)
        : QObject(parent)
    { }

    /** Whether this session can grab keys at all: not in a native Wayland session, nor offscreen. */
    virtual bool available() const = 0;

    /**
     * What the user should know about the keys here, one sentence (under XWayland they reach us
     * only while an X11 program has the focus; native Wayland has none); empty when they just work.
     */
    virtual QString limitation() const = 0;

    /**
     * Grabs @p key system-wide under @p id, all lock-key states included. On any failure nothing
     * of this key stays grabbed. An id already in use is released first.
     */
    virtual Grab grab(int id, QKeyCombination key) = 0;

    /** Releases the key grabbed under @p id; nothing grabbed there, nothing happens. */
    virtual void release(int id) = 0;

    /**
     * Adds an entry to the system menu of @p window that calls @p chosen, later, from the event
     * loop. Where windows have no such menu (X11) this does nothing.
     */
    virtual void addSystemMenuEntry(QWidget* window, const QString& text, std::function<void()> chosen)
    {
        Q_UNUSED(window);
        Q_UNUSED(text);
        Q_UNUSED(chosen);
    }

Q_SIGNALS:
    /**
     * The key grabbed under @p id went down. A held key reports once, not at every repeat;
     * @p msTime is the system's time of the key event in milliseconds (for telling bounces apart).
     */
    void pressed(int id, qint64 msTime);
};

/** The implementation for this system; the destructor releases every key still grabbed. */
std::unique_ptr<GlobalHotkeys> createGlobalHotkeys();
