#include "forms/hotkeysettings.h"

#include "core/inidocument.h"
#include "forms/settingsfile.h"

#include <QKeySequence>

Q_LOGGING_CATEGORY(lcHotkeys, "pellimo.hotkeys")

namespace hotkeysettings {
namespace {

constexpr QStringView Section = u"Hotkeys";

bool isModifierKey(Qt::Key key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        return true;
    default:
        return false;
    }
}

} // namespace

QStringView keyName(Action action)
{
    constexpr std::array<QStringView, ActionCount> Names { u"StartStop", u"CopyResult", u"ReStart" };
    return Names[indexOf(action)];
}

QString label(Action action)
{
    constexpr std::array<QStringView, ActionCount> Labels { u"Start/Stop", u"Copy result", u"Re-Start" };
    return Labels[indexOf(action)].toString();
}

std::optional<QKeyCombination> parse(const QString& text)
{
    if (text.trimmed().isEmpty())
        return QKeyCombination();
    const QKeySequence sequence = QKeySequence::fromString(text, QKeySequence::PortableText);
    if (sequence.count() != 1)
        return std::nullopt;
    const QKeyCombination key = sequence[0];
    if (key.key() == Qt::Key_unknown || key.key() == Qt::Key(0) || isModifierKey(key.key()))
        return std::nullopt;
    return key;
}

QString portableText(QKeyCombination key)
{
    return key == QKeyCombination() ? QString() : QKeySequence(key).toString(QKeySequence::PortableText);
}

Bindings read(const IniDocument& ini)
{
    Bindings bindings {};
    for (const Action action : Actions) {
        const QString text = ini.readString(Section, keyName(action), QString());
        if (const std::optional<QKeyCombination> key = parse(text))
            bindings[indexOf(action)] = *key;
        else
            qCWarning(lcHotkeys, "[Hotkeys] %s=%s is not a key; ignored, and kept in the file",
                      qPrintable(keyName(action).toString()), qPrintable(text));
    }
    return bindings;
}

void write(IniDocument& ini, const Bindings& before, const Bindings& after)
{
    for (const Action action : Actions) {
        const std::size_t i = indexOf(action);
        if (before[i] != after[i])
            ini.writeString(Section, keyName(action), portableText(after[i]));
    }
}

Bindings load()
{
    return read(IniDocument::open(settingsfile::readPath()));
}

void save(const Bindings& before, const Bindings& after)
{
    if (before == after)
        return;
    const QString file = settingsfile::path();
    IniDocument ini = settingsfile::openForSave();
    write(ini, before, after);
    ini.save(file);
}

} // namespace hotkeysettings
