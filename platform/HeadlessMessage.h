#pragma once

#include <QString>

// Where no person can see a message box (no GUI application, or the offscreen
// and minimal platforms of tests and scripts), a message goes to standard
// error instead, so nothing ever waits on a box nobody can press.
// Returns true when it printed the text; the caller shows its box otherwise.
bool PrintIfHeadless(const QString& text);
