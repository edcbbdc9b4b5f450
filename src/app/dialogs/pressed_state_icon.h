// The icon of a push-like check box: an empty square while released and a ticked, filled square
// while pressed, drawn in the button's text colour. The state then shows by shape as well as by
// the button's sunken look, and reads the same in a dark palette.
#pragma once

#include <QIcon>

class QAbstractButton;

namespace tovel {

QIcon pressedStateIcon(const QAbstractButton& button);

// Gives `button` that icon, and again whenever its palette changes.
void showPressedState(QAbstractButton& button);

} // namespace tovel
