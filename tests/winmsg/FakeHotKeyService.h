#pragma once
// Records registrations; a combination can be marked as taken by another program.
#include "platform/HotKeyService.h"

#include <QSet>
#include <QVector>

class FakeHotKeyService : public HotKeyService
{
public:
    struct Reg {
        win::HWND hwnd;
        int id;
        quint32 mods;
        quint32 vk;
    };

    bool RegisterHotKey(win::HWND hwnd, int id, quint32 mods, quint32 vk) override
    {
        const quint64 combo = (quint64(mods) << 32) | vk;
        if (takenElsewhere.contains(combo) || (mods & ~hotkey::MOD_ALL) || vk == 0 || vk > 0xFF)
            return false;
        for (const Reg &r : regs) {
            if (r.mods == mods && r.vk == vk)
                return false;
        }
        regs.append(Reg{hwnd, id, mods, vk});
        return true;
    }
    bool UnregisterHotKey(win::HWND hwnd, int id) override
    {
        ++unregisterCalls;
        for (int i = 0; i < regs.size(); ++i) {
            if (regs[i].hwnd == hwnd && regs[i].id == id) {
                regs.removeAt(i);
                return true;
            }
        }
        return false;
    }
    // What the system does when the combination is pressed.
    bool press(quint32 mods, quint32 vk) const
    {
        for (const Reg &r : regs) {
            if (r.mods == mods && r.vk == vk) {
                win::SendMessage(r.hwnd, win::WM_HOTKEY, win::WPARAM(r.id),
                                 win::MAKELPARAM(quint16(mods), quint16(vk)));
                return true;
            }
        }
        return false;
    }

    QVector<Reg> regs;
    QSet<quint64> takenElsewhere;
    int unregisterCalls = 0;
};
