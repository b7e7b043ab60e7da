#pragma once

#include <QString>

// Where no person can see a message box (no GUI application, or the offscreen
// and minimal platforms of tests and scripts), a message goes to standard
// error instead, so nothing ever waits on a box nobody can press.
// Returns true when it printed the text; the caller shows its box otherwise.
bool PrintIfHeadless(const QString& text);

// True where no person can answer a box: headless as above, or the program
// is being ended from outside (another start's quit request, the end of the
// desktop session, a termination signal), when nobody waits at the screen.
bool NobodyWatching();
// Marks the program as being ended from outside; from then on every message
// goes to standard error. Never unset: the program is on its way out.
void SetEndingFromOutside();
bool EndingFromOutside();
