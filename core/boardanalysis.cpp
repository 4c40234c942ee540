#include "boardanalysis.h"

#include "boardtables.h"

namespace analysis {

Claims claimsOf(int option, const QList<QString>& selections, const QList<QString>& names, const QList<QString>& labels)
{
    Claims claims;
    const QString& name = names.at(option);
    for (int t = 1; t <= board::TreeCount; ++t) {
        const QString& sel = selections.at(t);
        if (!sel.isEmpty() && sel == name) {
            claims.labels += labels.at(t);
            ++claims.count;
        }
    }
    return claims;
}

int optionIndexOf(const QString& selection, const QList<QString>& names)
{
    int found = 0;
    for (int p = 1; p <= board::OptionCount; ++p) {
        if (names.at(p) == selection)
            found = p;
    }
    return found;
}

TreeAnalysis analyseTrees(const QList<QString>& selections, const QList<QString>& names)
{
    TreeAnalysis result;

    // Pass 1: every tree that holds an option may start a pair search.
    for (int t = 1; t <= board::TreeCount; ++t) {
        if (selections.at(t).isEmpty())
            continue;
        result.status[t] = Alone;
        result.option[t] = optionIndexOf(selections.at(t), names);
    }

    // Pass 2: an option held by two or more trees is a conflict on each of them. A substring
    // search, which for the distinct option names equals the exact comparison of pass 1.
    for (int j = 1; j <= board::OptionCount; ++j) {
        const QString& name = names.at(j);
        int count = 0;
        for (int k = 1; k <= board::TreeCount; ++k) {
            if (!selections.at(k).isEmpty() && selections.at(k).contains(name))
                ++count;
        }
        if (count < 2)
            continue;
        for (int k = 1; k <= board::TreeCount; ++k) {
            if (!selections.at(k).isEmpty() && selections.at(k).contains(name))
                result.status[k] = Conflict;
        }
    }

    // Pass 3: each virtue held alone links to every tree that holds its vice.
    std::array<int, 17> work = result.status;
    for (int j = 1; j <= board::TreeCount; ++j) {
        if (work[j] != Alone)
            continue;
        const int p = result.option[j];
        if (board::isVirtue(p)) {
            for (int l = 1; l <= board::TreeCount; ++l) {
                if (selections.at(l) == names.at(p + 8)) {
                    result.lines.push_back({ j, l, p });
                    work[l] = Handled;
                }
            }
        }
        work[j] = Handled;
    }
    return result;
}

} // namespace analysis
