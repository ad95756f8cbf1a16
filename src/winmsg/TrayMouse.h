#pragma once
// Mouse notifications of the notification-area icon: the icon reports mouse activity as
// the callback message with a mouse message number, decoded here into events.
#include <QtGlobal>

namespace tray {

constexpr quint32 CallbackMessage = 0x0200;
constexpr qint32 LeftDown = 513, LeftUp = 514, LeftDblClick = 515;
constexpr qint32 RightDown = 516, RightUp = 517, RightDblClick = 518;
constexpr qint32 MiddleDown = 519, MiddleUp = 520;

enum class MouseEvent { None, MouseDown, MouseUp, DblClick };
constexpr qint16 LeftButton = 1;
constexpr qint16 RightButton = 2;

struct Decoded {
    MouseEvent event = MouseEvent::None;
    qint16 button = 0;
};

Decoded DecodeMouseMessage(qint32 mouseMessage);

} // namespace tray
