#pragma once

#include <QObject>
#include <QPointer>

class QAction;

/** What an action link keeps in step on its button; the glass button implements it. */
class GlassActionClient
{
public:
    virtual ~GlassActionClient() = default;
    virtual void setActionCaption(const QString& caption) = 0;
    virtual void setActionEnabled(bool enabled) = 0;
    virtual bool actionDown() const = 0;
    virtual void setActionDown(bool down) = 0;
    virtual int actionGroupIndex() const = 0;
    virtual void setActionGroupIndex(int index) = 0;
};

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
    /**
     * Links `client` to `action` and applies the action's caption, enabled state and group index;
     * `owner` (the button) deletes the link.
     */
    TGlassButtonActionLink(QObject* owner, GlassActionClient* client, QAction* action);

    QAction* action() const { return m_action; }

    /** The action's group index: its "GroupIndex" property, 0 when it has none. */
    static int groupIndexOf(const QAction* action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void actionChanged();
    void checkedChanged(bool checked);
    void groupIndexChanged(int index);

    GlassActionClient* m_client;
    QPointer<QAction> m_action;
    bool m_checked = false;
    int m_groupIndex = 0;
};
