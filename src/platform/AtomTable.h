#pragma once
// Atom table with the semantics of the system's global atoms: names compared without
// regard to case, reference counted, string atoms numbered from 0xC000. One table per
// process serves the program (global()); tests make their own.
#include <QHash>
#include <QString>

class AtomTable
{
public:
    using ATOM = quint16;
    static constexpr int MaxNameLength = 255;

    static AtomTable &global();

    // 0 when the name is not present (or invalid).
    ATOM FindAtom(const QString &name) const;
    // Adds the name or raises its count; 0 on failure (empty or too long name, table full).
    ATOM AddAtom(const QString &name);
    // Lowers the count and removes the atom at zero. Returns 0 on success, as the
    // system call does, and the atom itself when it did not exist.
    ATOM DeleteAtom(ATOM atom);
    // The name as first added; empty for an unknown atom.
    QString GetAtomName(ATOM atom) const;
    int count() const { return m_byAtom.size(); }

private:
    struct Entry {
        QString name;
        int references = 0;
    };
    QHash<ATOM, Entry> m_byAtom;
    QHash<QString, ATOM> m_byKey; // case-folded name
    ATOM m_next = 0xC000;
};
