#include "glassbuttonactionlink.h"

#include "glassbutton.h"

#include <QAction>
#include <QDynamicPropertyChangeEvent>

namespace {
constexpr const char* GroupIndexProperty = "GroupIndex";
}

TGlassButtonActionLink::TGlassButtonActionLink(TCustomGlassButton* client, QAction* action)
    : QObject(client)
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
    m_client->setCaption(m_action->text());
    m_client->setEnabled(m_action->isEnabled());
    m_client->setGroupIndex(groupIndexOf(m_action));
    m_groupIndex = groupIndexOf(m_action);
}

void TGlassButtonActionLink::checkedChanged(bool checked)
{
    // Linked only while the button was down exactly when the action was checked.
    if (m_client->down() == m_checked)
        m_client->setDown(checked);
    m_checked = checked;
}

void TGlassButtonActionLink::groupIndexChanged(int index)
{
    if (m_client->groupIndex() == m_groupIndex)
        m_client->setGroupIndex(index);
    m_groupIndex = index;
    actionChanged();
}
