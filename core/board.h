#pragma once

#include "core/boardanalysis.h"

#include <QObject>

/** The five display choices of the settings dialog, as the settings file keeps them. */
struct DisplaySettings
{
    qint32 btnBGColor = 0; // 0: dark map and backgrounds, any other value translucent
    qint32 treeBtnTxtColor = 0; // 0: near black tree text after a choice, other: gray
    qint32 treeBtnTxtBold = 0; // 0: plain tree text after a choice, other: bold
    qint32 tokuBtnTxtColor = 0; // 0: light gray option text once claimed, other: dark gray
    qint32 tokuBtnTxtBold = 0; // 0: plain option text once claimed, other: bold
    bool operator==(const DisplaySettings&) const = default;
};

/**
 * The board the three windows show: which option each tree holds, the tree being chosen for,
 * the display choices and the stay-on-top choice. Trees and options are indices 1..16; option 0
 * is none. Every operation that the user makes tells the windows through changed().
 */
class Board final : public QObject
{
    Q_OBJECT

public:
    enum class Change {
        Choice, // a tree was given an option or had it taken away
        Clear, // every tree emptied
        DisplayChoices, // the display choices confirmed
        StayOnTop,
    };
    Q_ENUM(Change)

    explicit Board(QObject* parent = nullptr);

    /** The option tree t (1..16) holds, 0 for none. */
    int optionOn(int tree) const;
    /** Whether tree t had its option taken away since the last clear (it shows the empty mark). */
    bool isEmptied(int tree) const;
    const analysis::Holdings& holdings() const { return m_held; }
    /** The analysis of the board as it stands. */
    analysis::BoardLook analyse() const { return analysis::analyse(m_held); }

    /** The tree whose option is being chosen (the last tree clicked), 0 before any. */
    int treeBeingChosen() const { return m_chosenFor; }
    void beginChoosing(int tree) { m_chosenFor = tree; }

    /**
     * Gives tree t option k (1..16); clearTree() takes it away. A tree outside 1..16 changes
     * nothing, but the windows are told all the same: every click on an option marks the board anew.
     */
    void choose(int tree, int option);
    void clearTree(int tree);
    /** Empties every tree; the tree being chosen for and the choices stay. */
    void clearAll();

    const DisplaySettings& display() const { return m_display; }
    /** The settings dialog's OK: tells the windows even when nothing changed, since they apply it anew. */
    void setDisplay(const DisplaySettings& display);

    bool stayOnTop() const { return m_stayOnTop; }
    void setStayOnTop(bool on);

    /** The choices read from the settings file while the windows are built: nobody is told. */
    void restore(const DisplaySettings& display, bool stayOnTop);

Q_SIGNALS:
    void changed(Board::Change what);

private:
    analysis::Holdings m_held {};
    std::array<bool, 17> m_emptied {};
    int m_chosenFor = 0;
    DisplaySettings m_display;
    bool m_stayOnTop = true;
};
