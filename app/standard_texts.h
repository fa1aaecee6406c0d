#pragma once

#include <QCoreApplication>

namespace sorvik::app {

// Gives the toolkit's own buttons and boxes (Yes, No, OK, Cancel, a line's context menu) their
// Japanese texts, so that no box mixes the window's Japanese with English buttons. The window is
// Japanese whatever the system's language, so this holds for every language. The catalogue is
// built into the program where no system Qt comes with it, and taken from the system's Qt
// otherwise. False when there is none: the toolkit's English texts then stay.
bool useJapaneseStandardTexts(QCoreApplication& application);

}  // namespace sorvik::app
