#include "winmsg/clsHotKey.h"

clsHotKey::clsHotKey(AtomTable &atoms, HotKeyService &service, QObject *parent)
    : QObject(parent), m_atoms(atoms), m_service(service)
{
}

clsHotKey::~clsHotKey() { Release(); }

void clsHotKey::setPTarget(win::HWND lngDestWindow)
{
    if (m_target != 0)
        return;
    m_target = lngDestWindow;
    std::shared_ptr<clsMessage> router = clsMessage::MessageClass(lngDestWindow);
    if (!router)
        router = std::make_shared<clsMessage>();
    router->AddMessage(this, lngDestWindow, true);
}

bool clsHotKey::mAddHotKey(const QString &strNewKey, qint32 lngVirtualKey, qint32 enumMask)
{
    if (m_target == 0)
        return false;
    // An atom of that name held by anyone (a second copy of the program too) blocks it.
    if (m_atoms.FindAtom(strNewKey) != 0)
        return false;
    const AtomTable::ATOM atom = m_atoms.AddAtom(strNewKey);
    if (atom == 0)
        return false;
    if (enumMask < 0 || lngVirtualKey < 0
        || !m_service.RegisterHotKey(m_target, atom, quint32(enumMask), quint32(lngVirtualKey))) {
        m_atoms.DeleteAtom(atom);
        return false;
    }
    m_names.append(strNewKey);
    return true;
}

bool clsHotKey::UnregisterByName(const QString &strDestKey)
{
    if (!m_names.contains(strDestKey, Qt::CaseSensitive))
        return false;
    const AtomTable::ATOM atom = m_atoms.FindAtom(strDestKey);
    if (atom == 0)
        return false;
    m_service.UnregisterHotKey(m_target, atom);
    m_atoms.DeleteAtom(atom);
    return true;
}

bool clsHotKey::mDeleteHotKey(const QString &strDestKey)
{
    if (!UnregisterByName(strDestKey))
        return false;
    m_names.removeAll(strDestKey);
    return true;
}

win::LRESULT clsHotKey::CallBackWindow(win::HWND &, win::UINT &uMsg, win::WPARAM &wParam,
                                       win::LPARAM &lParam, bool &)
{
    if (uMsg != win::WM_HOTKEY)
        return 0;
    QString name = m_atoms.GetAtomName(AtomTable::ATOM(wParam & 0xFFFF)).left(NameBufferLength - 1);
    const int nul = name.indexOf(QChar(0));
    if (nul >= 0)
        name.truncate(nul);
    if (!name.isEmpty())
        Q_EMIT HotKey(name, win::LOWORD(quint64(lParam)), win::HIWORD(quint64(lParam)));
    return 0;
}

void clsHotKey::Release()
{
    if (m_target != 0) {
        if (std::shared_ptr<clsMessage> router = clsMessage::MessageClass(m_target))
            router->DeleteMessage(this, m_target);
    }
    for (const QString &name : m_names)
        UnregisterByName(name);
    m_target = 0;
    m_names.clear();
}
