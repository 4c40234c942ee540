#include "core/board.h"

#include "core/boardtables.h"

namespace {

bool isTree(int t)
{
    return t >= 1 && t <= board::TreeCount;
}

} // namespace

Board::Board(QObject* parent)
    : QObject(parent)
{ }

int Board::optionOn(int tree) const
{
    return isTree(tree) ? m_held[std::size_t(tree)] : 0;
}

bool Board::isEmptied(int tree) const
{
    return isTree(tree) && m_emptied[std::size_t(tree)];
}

void Board::choose(int tree, int option)
{
    if (isTree(tree) && option >= 1 && option <= board::OptionCount) {
        m_held[std::size_t(tree)] = option;
        m_emptied[std::size_t(tree)] = false;
    }
    Q_EMIT changed(Change::Choice);
}

void Board::clearTree(int tree)
{
    if (isTree(tree)) {
        m_held[std::size_t(tree)] = 0;
        m_emptied[std::size_t(tree)] = true;
    }
    Q_EMIT changed(Change::Choice);
}

void Board::clearAll()
{
    m_held = {};
    m_emptied = {};
    Q_EMIT changed(Change::Clear);
}

void Board::setDisplay(const DisplaySettings& display)
{
    m_display = display;
    Q_EMIT changed(Change::DisplayChoices);
}

void Board::setStayOnTop(bool on)
{
    if (m_stayOnTop == on)
        return;
    m_stayOnTop = on;
    Q_EMIT changed(Change::StayOnTop);
}

void Board::restore(const DisplaySettings& display, bool stayOnTop)
{
    m_display = display;
    m_stayOnTop = stayOnTop;
}
