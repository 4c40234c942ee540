#pragma once

#include "forms/hotkeys.h"
#include "forms/keptdialog.h"

#include <array>

class QKeySequenceEdit;
class QLabel;
class QPushButton;

/**
 * The "Hotkeys" dialog: a key field per action with a Clear button, OK and Cancel. While it is
 * open the keys are released, so that they can be typed into the fields. OK grabs the new keys
 * all or none: a key that cannot be had is named next to its field and the dialog stays open;
 * once all are grabbed the changed keys are saved.
 */
class HotkeysForm final : public KeptDialog
{
    Q_OBJECT

public:
    explicit HotkeysForm(Hotkeys& hotkeys, QWidget* parent = nullptr);

    /** Before each opening: the fields show the stored keys, the notes how their grabs went. */
    void prepare();

    /** OK grabs and saves, or stays open with the notes; every other ending takes the old keys back. */
    void done(int result) override;

    QKeySequenceEdit* field(hotkeysettings::Action action) const
    {
        return m_rows[hotkeysettings::indexOf(action)].field;
    }
    QLabel* note(hotkeysettings::Action action) const { return m_rows[hotkeysettings::indexOf(action)].note; }
    QPushButton* clearButton(hotkeysettings::Action action) const
    {
        return m_rows[hotkeysettings::indexOf(action)].clear;
    }
    /** What holds for global keys here (none on native Wayland); hidden when they just work. */
    QLabel* limitationNote() const { return m_limitation; }
    QPushButton* okButton() const { return m_ok; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Row
    {
        QKeySequenceEdit* field = nullptr;
        QPushButton* clear = nullptr;
        QLabel* note = nullptr;
    };

    hotkeysettings::Bindings fieldKeys() const;
    /** Notes per action: empty where the key is fine. */
    void showNotes(const Hotkeys::Results& results, const hotkeysettings::Bindings& keys);
    /** Notes for an action whose key another action has already; true when there was none. */
    bool noKeyTwice(const hotkeysettings::Bindings& keys);

    Hotkeys& m_hotkeys;
    std::array<Row, hotkeysettings::ActionCount> m_rows;
    QLabel* m_limitation = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};
