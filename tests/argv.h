#pragma once

#include <QByteArray>
#include <QStringList>
#include <vector>

/** A command line as main() receives it: "PLMO" and then `args`, null-terminated. */
class Argv final
{
public:
    explicit Argv(const QStringList& args)
    {
        m_storage.push_back(QByteArrayLiteral("PLMO"));
        for (const QString& a : args)
            m_storage.push_back(a.toUtf8());
        for (const QByteArray& a : m_storage)
            m_pointers.push_back(a.constData());
        m_pointers.push_back(nullptr);
    }
    Argv(const Argv&) = delete;
    Argv& operator=(const Argv&) = delete;

    int argc() const { return int(m_storage.size()); }
    const char* const* argv() const { return m_pointers.data(); }

private:
    std::vector<QByteArray> m_storage;
    std::vector<const char*> m_pointers;
};
