#include "forms/hotkeys.h"

#include <algorithm>

using hotkeysettings::ActionCount;

namespace {

bool allDone(const Hotkeys::Results& results)
{
    return std::all_of(results.begin(), results.end(),
                       [](GlobalHotkeys::Grab r) { return r == GlobalHotkeys::Grab::Done; });
}

} // namespace

Hotkeys::Hotkeys(std::unique_ptr<GlobalHotkeys> system, QObject* parent)
    : QObject(parent)
    , m_system(std::move(system))
{
    m_results.fill(Grab::Done);
    // Queued: the system layer reports from inside its native event handling, and an action
    // (the copy) may run the event loop.
    connect(m_system.get(), &GlobalHotkeys::pressed, this, &Hotkeys::keyPressed, Qt::QueuedConnection);
}

// The system layer releases what is still grabbed when it goes.
Hotkeys::~Hotkeys() = default;

void Hotkeys::start(const Bindings& stored)
{
    m_bindings = stored;
    m_results = grabAll(stored);
    logFailures(m_results, stored);
}

QString Hotkeys::failureText(Grab result, QKeyCombination key)
{
    const QString text = hotkeysettings::portableText(key);
    switch (result) {
    case Grab::InUse:
        return QStringLiteral("%1 is in use by another program").arg(text);
    case Grab::NoSuchKey:
        return QStringLiteral("%1 cannot be a hotkey on this keyboard").arg(text);
    case Grab::Reserved:
        return QStringLiteral("%1 is kept by the system for itself").arg(text);
    case Grab::Unavailable:
        return QStringLiteral("%1 cannot be a hotkey here").arg(text);
    case Grab::Done:
        break;
    }
    return {};
}

void Hotkeys::logFailures(const Results& results, const Bindings& keys)
{
    for (const Action action : hotkeysettings::Actions) {
        const std::size_t i = hotkeysettings::indexOf(action);
        if (results[i] != Grab::Done)
            qCWarning(lcHotkeys, "%s: %s", qPrintable(hotkeysettings::label(action)),
                      qPrintable(failureText(results[i], keys[i])));
    }
}

void Hotkeys::suspend()
{
    releaseAll();
}

void Hotkeys::resume()
{
    m_results = grabAll(m_bindings);
}

Hotkeys::Results Hotkeys::apply(const Bindings& wanted)
{
    releaseAll();
    const Results results = grabAll(wanted);
    logFailures(results, wanted);
    if (!allDone(results)) {
        releaseAll();
        return results;
    }
    m_bindings = wanted;
    m_results = results;
    return results;
}

Hotkeys::Results Hotkeys::grabAll(const Bindings& keys)
{
    Results results {};
    for (int id = 0; id < ActionCount; ++id) {
        const QKeyCombination key = keys[std::size_t(id)];
        if (key == QKeyCombination())
            results[std::size_t(id)] = Grab::Done;
        else if (!m_system->available())
            results[std::size_t(id)] = Grab::Unavailable;
        else
            results[std::size_t(id)] = m_system->grab(id, key);
    }
    return results;
}

void Hotkeys::releaseAll()
{
    for (int id = 0; id < ActionCount; ++id)
        m_system->release(id);
}

void Hotkeys::keyPressed(int id, qint64 msTime)
{
    if (id < 0 || id >= ActionCount)
        return;
    std::optional<qint64>& last = m_lastPress[std::size_t(id)];
    // A switch that bounces sends a second press a few milliseconds after the first.
    if (last && msTime >= *last && msTime - *last < BounceMs)
        return;
    last = msTime;
    Q_EMIT triggered(hotkeysettings::Actions[std::size_t(id)]);
}
