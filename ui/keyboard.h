// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class QLineEdit;
class QRadioButton;
class QWidget;

// Typing filters: a typed printable character outside the allowed set is ignored. Control keys
// and pasted text pass unfiltered.
void installIntegerFilter(QLineEdit* box); // digits and "-"
void installDecimalFilter(QLineEdit* box); // digits, "-" and "."

// Enter-key chains: Enter (Return or the keypad's Enter) in the widget moves the focus to the
// next widget, or runs an action. The key is consumed.
void onEnterFocus(QWidget* from, QWidget* to);
void onEnter(QWidget* widget, std::function<void()> action);

// A pair of radio buttons: Down on the upper one moves to the lower one and selects it; Up on
// the lower one moves to the upper one and selects it.
void pairRadioArrows(QRadioButton* upper, QRadioButton* lower);

// A box a barcode scanner types into: the input method is off, so that a scanner (a keyboard
// that types the code and presses Enter) on a desktop with a Chinese input method types the
// code, not candidate characters.
void takeScannerInput(QLineEdit* box);
