// Qt input in the control's terms: virtual key codes and shift states.
#pragma once

#include <Qt>
#include <cstdint>

#include "GraphControl/Types.h"

class QKeyEvent;

namespace gc::qt {

// The platform virtual key of a Qt key: letters and digits as their
// upper-case ASCII codes, keypad keys (Qt::KeypadModifier) as the numpad
// codes, the punctuation keys as the codes of a US layout; 0 for keys
// without one.
uint16_t VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers);

// Shift, Alt, Ctrl and the held mouse buttons.
TShiftState ShiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

// The shift state of a key press: Shift+Tab arrives as a key of its own
// (Qt::Key_Backtab), which is Tab with Shift.
TShiftState KeyShiftOf(const QKeyEvent& event);

// The control's mouse button for a Qt button; false for the buttons it has none for.
bool ButtonOf(Qt::MouseButton qtButton, TMouseButton& button);

}  // namespace gc::qt
