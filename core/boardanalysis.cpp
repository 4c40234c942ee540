#include "core/boardanalysis.h"

#include "core/boardtables.h"

namespace analysis {

BoardLook analyse(const Holdings& held)
{
    BoardLook look;

    for (int t = 1; t <= board::TreeCount; ++t) {
        const int option = held[std::size_t(t)];
        if (option == 0)
            continue;
        look.trees[std::size_t(t)] = TreeLook::Held;
        Claims& claims = look.claims[std::size_t(option)];
        claims.labels += board::treeLabel(t);
        ++claims.count;
    }

    for (int t = 1; t <= board::TreeCount; ++t) {
        const int option = held[std::size_t(t)];
        if (option != 0 && look.claims[std::size_t(option)].count >= 2)
            look.trees[std::size_t(t)] = TreeLook::Conflict;
    }

    // Trees in conflict start no line; the partner trees may be in conflict themselves.
    for (int t = 1; t <= board::TreeCount; ++t) {
        const int option = held[std::size_t(t)];
        if (look.trees[std::size_t(t)] != TreeLook::Held || !board::isVirtue(option))
            continue;
        for (int partner = 1; partner <= board::TreeCount; ++partner) {
            if (held[std::size_t(partner)] == option + 8)
                look.lines.push_back({ t, partner, option });
        }
    }
    return look;
}

} // namespace analysis
