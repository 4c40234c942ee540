#include "widgets/glassaccessible.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

class GlassButtonAccessible final : public QAccessibleWidget
{
public:
    GlassButtonAccessible(QWidget* widget, GlassAccessibleButton* button)
        : QAccessibleWidget(widget, QAccessible::Button)
        , m_button(button)
    { }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            // A name set on the widget wins, as for Qt's own buttons.
            const QString set = widget()->accessibleName();
            return set.isEmpty() ? glass::accessibleCaption(m_button->accessibleText()) : set;
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = m_button->accessiblePressed();
        if (m_button->accessibleCheckable()) {
            s.checkable = true;
            s.checked = m_button->accessibleChecked();
        }
        return s;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled())
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& actionName) override
    {
        if (actionName == pressAction()) {
            if (widget()->isEnabled())
                m_button->accessiblePress();
            return;
        }
        QAccessibleWidget::doAction(actionName);
    }

    QStringList keyBindingsForAction(const QString& actionName) const override
    {
        if (actionName == pressAction()) {
            const QKeySequence key = QKeySequence::mnemonic(m_button->accessibleText());
            if (!key.isEmpty())
                return { key.toString(QKeySequence::NativeText) };
        }
        return QAccessibleWidget::keyBindingsForAction(actionName);
    }

private:
    GlassAccessibleButton* m_button;
};

QAccessibleInterface* glassFactory(const QString&, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (auto* button = dynamic_cast<GlassAccessibleButton*>(widget))
        return new GlassButtonAccessible(widget, button);
    return nullptr;
}

} // namespace

namespace glass {

QString accessibleCaption(const QString& caption)
{
    QString out;
    out.reserve(caption.size());
    bool inBreak = false;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption.at(i);
        // A backslash and "n" breaks the painted caption too.
        const bool escapedBreak
            = c == u'\\' && i + 1 < caption.size() && (caption.at(i + 1) == u'n' || caption.at(i + 1) == u'N');
        if (c == u'\r' || c == u'\n' || escapedBreak) {
            if (escapedBreak)
                ++i;
            if (!inBreak)
                out += u' ';
            inBreak = true;
            continue;
        }
        inBreak = false;
        if (c == u'&') {
            // "&&" is one ampersand; a single "&" only marks the next character.
            if (i + 1 < caption.size() && caption.at(i + 1) == u'&') {
                out += u'&';
                ++i;
            }
            continue;
        }
        out += c;
    }
    return out.trimmed();
}

void installAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(glassFactory);
}

} // namespace glass
