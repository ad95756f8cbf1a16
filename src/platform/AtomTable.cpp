#include "platform/AtomTable.h"

AtomTable &AtomTable::global()
{
    static AtomTable table;
    return table;
}

static QString atomKey(const QString &name) { return name.toCaseFolded(); }

AtomTable::ATOM AtomTable::FindAtom(const QString &name) const
{
    return m_byKey.value(atomKey(name), 0);
}

AtomTable::ATOM AtomTable::AddAtom(const QString &name)
{
    if (name.isEmpty() || name.size() > MaxNameLength)
        return 0;
    const QString key = atomKey(name);
    if (ATOM existing = m_byKey.value(key, 0)) {
        ++m_byAtom[existing].references;
        return existing;
    }
    if (m_byAtom.size() >= 0x4000)
        return 0;
    // Values are reused only after the counter wraps, so a stale atom rarely names a new string.
    ATOM atom = m_next;
    while (m_byAtom.contains(atom))
        atom = atom == 0xFFFF ? 0xC000 : ATOM(atom + 1);
    m_next = atom == 0xFFFF ? 0xC000 : ATOM(atom + 1);
    m_byAtom.insert(atom, Entry{name, 1});
    m_byKey.insert(key, atom);
    return atom;
}

AtomTable::ATOM AtomTable::DeleteAtom(ATOM atom)
{
    auto it = m_byAtom.find(atom);
    if (it == m_byAtom.end())
        return atom;
    if (--it->references <= 0) {
        m_byKey.remove(atomKey(it->name));
        m_byAtom.erase(it);
    }
    return 0;
}

QString AtomTable::GetAtomName(ATOM atom) const
{
    auto it = m_byAtom.constFind(atom);
    return it == m_byAtom.constEnd() ? QString() : it->name;
}
