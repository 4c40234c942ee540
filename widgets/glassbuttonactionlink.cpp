#include "widgets/glassbuttonactionlink.h"

#include <QAction>
#include <QDynamicPropertyChangeEvent>

namespace {
constexpr const char* GroupIndexProperty = "GroupIndex";
}

TGlassButtonActionLink::TGlassButtonActionLink(QObject* owner, GlassActionClient* client, QAction* action)
    : QObject(owner)
    , m_client(client)
    , m_action(action)
    , m_checked(action->isChecked())
    , m_groupIndex(groupIndexOf(action))
{
    connect(action, &QAction::changed, this, &TGlassButtonActionLink::actionChanged);
    connect(action, &QAction::toggled, this, &TGlassButtonActionLink::checkedChanged);
    action->installEventFilter(this);
    actionChanged();
}

int TGlassButtonActionLink::groupIndexOf(const QAction* action)
{
    return action->property(GroupIndexProperty).toInt();
}

bool TGlassButtonActionLink::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_action && event->type() == QEvent::DynamicPropertyChange
        && static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName() == GroupIndexProperty) {
        groupIndexChanged(groupIndexOf(m_action));
    }
    return QObject::eventFilter(watched, event);
}

void TGlassButtonActionLink::actionChanged()
{
    if (!m_action)
        return;
    m_client->setActionCaption(m_action->text());
    m_client->setActionEnabled(m_action->isEnabled());
    m_client->setActionGroupIndex(groupIndexOf(m_action));
    m_groupIndex = groupIndexOf(m_action);
}

void TGlassButtonActionLink::checkedChanged(bool checked)
{
    // Linked only while the button was down exactly when the action was checked.
    if (m_client->actionDown() == m_checked)
        m_client->setActionDown(checked);
    m_checked = checked;
}

void TGlassButtonActionLink::groupIndexChanged(int index)
{
    if (m_client->actionGroupIndex() == m_groupIndex)
        m_client->setActionGroupIndex(index);
    m_groupIndex = index;
    actionChanged();
}
