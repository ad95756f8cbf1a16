#include "platform/desktop/clsMouse.h"
#include "platform/desktop/SyntheticInputChooser.h"

namespace {
constexpr int kTwipsPerPixel = 15;
}

clsMouse::clsMouse() : m_input(defaultSyntheticInput()) {}

clsMouse::clsMouse(SyntheticInput &input) : m_input(input) {}

void clsMouse::LeftDown() { m_input.mouseButton(1, true); }
void clsMouse::LeftUp() { m_input.mouseButton(1, false); }
void clsMouse::RightDown() { m_input.mouseButton(3, true); }
void clsMouse::RightUp() { m_input.mouseButton(3, false); }
void clsMouse::MiddleDown() { m_input.mouseButton(2, true); }
void clsMouse::MiddleUp() { m_input.mouseButton(2, false); }

void clsMouse::Move(qint32 X, qint32 Y)
{
    // Twips become pixels by dividing; multiplying would throw the pointer 225 times too far.
    if (m_scaleMode == 1) {
        X /= kTwipsPerPixel;
        Y /= kTwipsPerPixel;
    }
    m_input.moveBy(X, Y);
}
