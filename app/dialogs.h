#pragma once

#include <QString>
#include <string>
#include <string_view>

class QWidget;

namespace sorvik::app {

// The window's modal boxes, all titled "Sorvik" and without an icon. A text's CR LF line ends
// become the toolkit's own.

// A message with an OK button.
void tell(QWidget* parent, const QString& text);

// A Yes/No question; true for Yes.
bool askYesNo(QWidget* parent, const QString& question);

// A name box with `prompt` and an empty answer to start from. A cancelled box answers with an
// empty name, as an empty answer does.
std::string askName(QWidget* parent, const QString& objectName, std::string_view prompt);

}  // namespace sorvik::app
