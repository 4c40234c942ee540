#pragma once

#include "forms/hotkeysettings.h"
#include "platform/globalhotkeys.h"

#include <array>
#include <memory>
#include <optional>
#include <QObject>

/**
 * The three actions' global keys: grabs them through the system layer, turns key presses into
 * actions (a press within BounceMs of the last one of the same key counts once), and changes
 * the keys as a whole or not at all.
 */
class Hotkeys final : public QObject
{
    Q_OBJECT

public:
    using Action = hotkeysettings::Action;
    using Bindings = hotkeysettings::Bindings;
    using Grab = GlobalHotkeys::Grab;
    using Results = std::array<Grab, hotkeysettings::ActionCount>;

    static constexpr qint64 BounceMs = 250;

    explicit Hotkeys(std::unique_ptr<GlobalHotkeys> system, QObject* parent = nullptr);
    ~Hotkeys() override;

    /** The system layer: whether there are global keys here, and what to know about them. */
    const GlobalHotkeys& system() const { return *m_system; }

    /** The keys the settings hold for the actions, grabbed or not. */
    const Bindings& bindings() const { return m_bindings; }
    /** How each key's grab went (Done for no key). */
    const Results& results() const { return m_results; }

    /**
     * Takes the stored keys and grabs each one that it can; a key another program holds stays
     * in the settings, says so on stderr and shows as in use in the dialog.
     */
    void start(const Bindings& stored);

    /** Releases every key while the keys are edited: a grabbed key could not be typed into a field. */
    void suspend();
    /** Grabs the stored keys again, as after a Cancel. */
    void resume();

    /**
     * Grabs @p wanted: all of them, which become the stored keys, or on any failure none of them
     * (the keys stay released, as after suspend()). Returns the result per action.
     */
    Results apply(const Bindings& wanted);

    /** What a failed grab means for the user: "Ctrl+Alt+F9 is in use by another program"; empty for Done. */
    static QString failureText(Grab result, QKeyCombination key);

Q_SIGNALS:
    /** An action's key was pressed (once per press, bounces and repeats left out). */
    void triggered(hotkeysettings::Action action);

private:
    Results grabAll(const Bindings& keys);
    void releaseAll();
    /** One line on stderr for each key that could not be grabbed. */
    static void logFailures(const Results& results, const Bindings& keys);
    void keyPressed(int id, qint64 msTime);

    std::unique_ptr<GlobalHotkeys> m_system;
    Bindings m_bindings {};
    Results m_results {};
    std::array<std::optional<qint64>, hotkeysettings::ActionCount> m_lastPress {};
};
