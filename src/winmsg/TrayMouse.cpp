#include "winmsg/TrayMouse.h"

namespace tray {

Decoded DecodeMouseMessage(qint32 mouseMessage)
{
    switch (mouseMessage) {
    case LeftDown: return {MouseEvent::MouseDown, LeftButton};
    case LeftUp: return {MouseEvent::MouseUp, LeftButton};
    case LeftDblClick: return {MouseEvent::DblClick, LeftButton};
    case RightDown: return {MouseEvent::MouseDown, RightButton};
    case RightUp: return {MouseEvent::MouseUp, RightButton};
    case RightDblClick: return {MouseEvent::DblClick, RightButton};
    default: return {};
    }
}

} // namespace tray
