#pragma once
// Mouse settings and synthetic mouse input behind one small object. The program needs the
// left press and release at the pointer; the settings members report 0, False or empty
// and their setters do nothing, so the user's pointer settings are never changed.
#include <QString>
#include <QtGlobal>

class SyntheticInput;

class clsMouse
{
public:
    clsMouse();
    explicit clsMouse(SyntheticInput &input);

    bool SwapButton() const { return false; }
    void setSwapButton(bool bolNewValue) { Q_UNUSED(bolNewValue) }
    qint32 DoubleClickTime() const { return 0; }
    void setDoubleClickTime(qint32 lngNewDCTime) { Q_UNUSED(lngNewDCTime) }
    qint32 MouseButtons() const { return 0; }
    bool MousePresent() const { return false; }
    qint32 MouseSpeed() const { return 0; }
    void setMouseSpeed(qint32 lngNewMouseSpeed) { Q_UNUSED(lngNewMouseSpeed) }
    QString MouseName() const { return QString(); }
    qint32 DragDetectX() const { return 0; }
    qint32 DragDetectY() const { return 0; }

    // 3 pixels (after construction), 1 twips: the unit of Move.
    qint32 ScaleMode() const { return m_scaleMode; }
    void setScaleMode(qint32 lngNewScaleMode) { m_scaleMode = lngNewScaleMode; }

    void LeftDown();
    void LeftUp();
    void RightDown();
    void RightUp();
    void MiddleDown();
    void MiddleUp();
    // Relative pointer move by X, Y in the scale mode's unit.
    void Move(qint32 X, qint32 Y);

private:
    SyntheticInput &m_input;
    qint32 m_scaleMode = 3;
};
