#pragma once

#include <optional>
#include <QHash>
#include <QObject>
#include <QPointF>

class QTimer;

/**
 * Where the pointer was at the last pointer event the application received, for the un-hot
 * check of the glass buttons that are hot. Reading it costs nothing, where asking the window
 * system for the pointer is a round trip to the X server. The filter watches the application's
 * events only while a button is hot; every pointer event then starts the hot buttons' un-hot
 * timers once more, so the pointer leaving a button is noticed whether a leave event comes or
 * not, and a resting pointer costs nothing.
 */
class PointerWatch final : public QObject
{
public:
    /** The application's watch; null while no application object exists. */
    static PointerWatch* instance();

    /** Starts following a hot button: `unHotTimer` is started again at every pointer event. */
    void follow(const QObject* button, QTimer* unHotTimer, const QPointF& globalPos);
    void unfollow(const QObject* button);

    /** The last known pointer position; empty once the pointer has left the application's windows. */
    std::optional<QPointF> pointer() const { return m_pointer; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;

    void moved(std::optional<QPointF> pointer);

    QHash<const QObject*, QTimer*> m_hot;
    std::optional<QPointF> m_pointer;
};
