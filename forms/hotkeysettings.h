#pragma once

#include <array>
#include <optional>
#include <QKeyCombination>
#include <QLoggingCategory>
#include <QString>
#include <QStringView>

class IniDocument;

/** "pellimo.hotkeys": a stored key that cannot be read or grabbed leaves one warning line. */
Q_DECLARE_LOGGING_CATEGORY(lcHotkeys)

/**
 * The [Hotkeys] section of the settings file: one key per action, in Qt's portable key-sequence
 * text ("Ctrl+Alt+F9"); a missing or empty value means no key. The section is written only when
 * the user sets or clears a key, and only the keys that changed.
 */
namespace hotkeysettings {

enum class Action { StartStop, CopyResult, ReStart };
constexpr int ActionCount = 3;
constexpr std::array<Action, ActionCount> Actions { Action::StartStop, Action::CopyResult, Action::ReStart };

/** A key per action, indexed by the action; QKeyCombination() is no key. */
using Bindings = std::array<QKeyCombination, ActionCount>;

inline constexpr std::size_t indexOf(Action action)
{
    return std::size_t(action);
}

/** The action's name in the file: "StartStop", "CopyResult", "ReStart". */
QStringView keyName(Action action);
/** The action as the program shows it: "Start/Stop", "Copy result", "Re-Start". */
QString label(Action action);

/**
 * A stored value: empty text is no key (an empty combination); one key with its modifiers is
 * that key; anything else (several keys, an unknown name, a modifier alone) is nothing.
 */
std::optional<QKeyCombination> parse(const QString& text);
/** The portable text of a key ("Ctrl+Alt+F9"); empty for no key. */
QString portableText(QKeyCombination key);

/** The section's keys; a value that does not parse counts as no key and says so on stderr. */
Bindings read(const IniDocument& ini);
/** Writes the actions whose key differs between @p before and @p after; the others stay as they are. */
void write(IniDocument& ini, const Bindings& before, const Bindings& after);

/** read() on the settings file. Throws PellimoError when the file cannot be read. */
Bindings load();
/** write() into the settings file and saves it; nothing changed, nothing written. Throws PellimoError. */
void save(const Bindings& before, const Bindings& after);

} // namespace hotkeysettings
