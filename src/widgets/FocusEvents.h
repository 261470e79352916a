#pragma once

#include <Qt>

class QWidget;

// Whether a focus change is one between controls of the program (not a switch of
// application, nor a popup of the control itself).
bool isControlFocusChange(Qt::FocusReason reason);

// Runs the LostFocus of the text or combo box holding the window's focus, as the focus would
// leave it: a window closing by Escape or its close box must not lose what was being typed.
void raisePendingLostFocus(QWidget *window);

// The first time the window becomes active, the control takes the focus as if the user had
// moved it there, so that its GotFocus runs.
void focusOnFirstActivation(QWidget *window, QWidget *control);
