#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class TCustomGlassButton;

/**
 * Keeps a glass button in step with its assigned action: caption and enabled state on every
 * change of the action, its checked state as the button's Down and its group index (the
 * action's integer property "GroupIndex") as the button's GroupIndex. Checked state and group
 * index are only passed on while the button still matches the action's previous value, so a
 * button set apart by hand keeps its own.
 */
class TGlassButtonActionLink final : public QObject
{
    Q_OBJECT

public:
    /** Links `client` to `action` and applies the action's caption, enabled state and group index. */
    TGlassButtonActionLink(TCustomGlassButton* client, QAction* action);

    QAction* action() const { return m_action; }

    /** The action's group index: its "GroupIndex" property, 0 when it has none. */
    static int groupIndexOf(const QAction* action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void actionChanged();
    void checkedChanged(bool checked);
    void groupIndexChanged(int index);

    TCustomGlassButton* m_client;
    QPointer<QAction> m_action;
    bool m_checked = false;
    int m_groupIndex = 0;
};
