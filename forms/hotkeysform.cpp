#include "forms/hotkeysform.h"

#include "forms/errorhandler.h"

#include <QKeyEvent>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QPushButton>

using hotkeysettings::Action;
using hotkeysettings::Actions;
using hotkeysettings::indexOf;

namespace {

// Laid out in pixels, as the other windows.
constexpr int ClientWidth = 400;
constexpr int Margin = 8;
constexpr int FirstRowTop = 32;
constexpr int RowHeight = 48;
constexpr int LimitationHeight = 34;
constexpr int ButtonWidth = 75;

} // namespace

HotkeysForm::HotkeysForm(Hotkeys& hotkeys, QWidget* parent)
    : KeptDialog(parent)
    , m_hotkeys(hotkeys)
{
    setObjectName(QStringLiteral("HotkeysForm"));
    setWindowTitle(QStringLiteral("Hotkeys"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* intro = new QLabel(QStringLiteral("Keys that work while another program has the focus:"), this);
    intro->setGeometry(Margin, Margin, ClientWidth - 2 * Margin, 18);
    for (const Action action : Actions) {
        Row& row = m_rows[indexOf(action)];
        const int top = FirstRowTop + int(indexOf(action)) * RowHeight;
        auto* label = new QLabel(hotkeysettings::label(action), this);
        label->setGeometry(Margin, top + 3, 80, 20);
        row.field = new QKeySequenceEdit(this);
        row.field->setObjectName(hotkeysettings::keyName(action).toString());
        row.field->setGeometry(92, top, 180, 24);
        row.field->installEventFilter(this);
        label->setBuddy(row.field);
        row.clear = new QPushButton(QStringLiteral("Clear"), this);
        row.clear->setGeometry(278, top, ClientWidth - Margin - 278, 24);
        row.clear->setAutoDefault(false);
        row.note = new QLabel(this);
        row.note->setGeometry(92, top + 26, ClientWidth - Margin - 92, 18);
        row.note->setStyleSheet(QStringLiteral("color: #c00000"));

        connect(row.clear, &QPushButton::clicked, this, [&row] {
            row.field->clear();
            row.note->clear();
        });
        connect(row.field, &QKeySequenceEdit::keySequenceChanged, this, [&row](const QKeySequence& keys) {
            // One key with its modifiers: the edit would take up to four in a row.
            if (keys.count() > 1)
                row.field->setKeySequence(QKeySequence(keys[0]));
            row.note->clear();
        });
    }
    m_limitation = new QLabel(this);
    m_limitation->setWordWrap(true);
    m_limitation->setGeometry(Margin, FirstRowTop + 3 * RowHeight, ClientWidth - 2 * Margin, LimitationHeight);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool HotkeysForm::eventFilter(QObject* watched, QEvent* event)
{
    // A field takes every key; the few that no one would make a global key keep their dialog
    // meaning, so that the dialog works from the keyboard.
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* press = static_cast<QKeyEvent*>(event);
    if (press->modifiers() != Qt::NoModifier && press->modifiers() != Qt::KeypadModifier)
        return false;
    switch (press->key()) {
    case Qt::Key_Escape:
        reject();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        accept();
        return true;
    case Qt::Key_Tab:
        focusNextChild();
        return true;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        if (auto* field = qobject_cast<QKeySequenceEdit*>(watched))
            field->clear();
        return true;
    default:
        return false;
    }
}

void HotkeysForm::prepare()
{
    const bool available = m_hotkeys.system().available();
    const QString limitation = m_hotkeys.system().limitation();
    m_limitation->setText(limitation);
    m_limitation->setVisible(!limitation.isEmpty());
    // The buttons go under the note about this desktop, when there is one.
    const int buttonsTop = FirstRowTop + 3 * RowHeight + (limitation.isEmpty() ? 0 : LimitationHeight + Margin);
    m_ok->setGeometry(ClientWidth - 2 * (ButtonWidth + Margin), buttonsTop, ButtonWidth, 26);
    m_cancel->setGeometry(ClientWidth - ButtonWidth - Margin, buttonsTop, ButtonWidth, 26);
    setFixedSize(ClientWidth, buttonsTop + 26 + Margin);

    const hotkeysettings::Bindings& keys = m_hotkeys.bindings();
    for (const Action action : Actions) {
        Row& row = m_rows[indexOf(action)];
        row.field->setKeySequence(QKeySequence(keys[indexOf(action)]));
        // Nothing is stored that cannot work here.
        row.field->setEnabled(available);
        row.clear->setEnabled(available);
    }
    showNotes(m_hotkeys.results(), keys);
    m_hotkeys.suspend();
}

hotkeysettings::Bindings HotkeysForm::fieldKeys() const
{
    hotkeysettings::Bindings keys {};
    for (const Action action : Actions) {
        const QKeySequence sequence = field(action)->keySequence();
        keys[indexOf(action)] = sequence.isEmpty() ? QKeyCombination() : sequence[0];
    }
    return keys;
}

void HotkeysForm::showNotes(const Hotkeys::Results& results, const hotkeysettings::Bindings& keys)
{
    for (const Action action : Actions) {
        const std::size_t i = indexOf(action);
        m_rows[i].note->setText(Hotkeys::failureText(results[i], keys[i]));
    }
}

bool HotkeysForm::noKeyTwice(const hotkeysettings::Bindings& keys)
{
    bool none = true;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        for (std::size_t j = 0; j < i && keys[i] != QKeyCombination(); ++j) {
            if (keys[j] == keys[i]) {
                m_rows[i].note->setText(
                    QStringLiteral("%1 is the key of %2 already")
                        .arg(hotkeysettings::portableText(keys[i]), hotkeysettings::label(Actions[j])));
                none = false;
            }
        }
    }
    return none;
}

void HotkeysForm::done(int result)
{
    if (result != Accepted || !m_hotkeys.system().available()) {
        m_hotkeys.resume();
        KeptDialog::done(Rejected);
        return;
    }
    const hotkeysettings::Bindings before = m_hotkeys.bindings();
    const hotkeysettings::Bindings wanted = fieldKeys();
    for (Row& row : m_rows)
        row.note->clear();
    if (!noKeyTwice(wanted))
        return;
    const Hotkeys::Results results = m_hotkeys.apply(wanted);
    showNotes(results, wanted);
    if (std::any_of(results.begin(), results.end(),
                    [](GlobalHotkeys::Grab r) { return r != GlobalHotkeys::Grab::Done; }))
        return;
    // The keys work from now on; a save that fails says why in the error box.
    runGuarded([&] { hotkeysettings::save(before, wanted); });
    KeptDialog::done(Accepted);
}
