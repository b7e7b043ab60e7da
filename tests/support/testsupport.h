#pragma once

#include "platform/Bitmap32.h"

#include <QString>

#include <QStringList>
#include <functional>

// Alpha, red, green and blue of an ARGB colour, for readable test failures.
QString ColorName(TColor32 color);

// The kinds of settings file that can never be written, as test rows:
// "folder" (a folder of that name), "FIFO", "read-only file" (mode 0444) and
// "read-only folder" (the folder holding it has mode 0555).
QStringList UnwritableKinds();
// Makes the file at path unwritable in the given way (its folder is created);
// false if that could not be done.
bool MakeUnwritable(const QString& path, const QString& kind);
// Undoes MakeUnwritable and removes what it made.
void RemoveUnwritable(const QString& path);

// Runs `write` while no file of this process may grow beyond `bytes`, as on a
// full disk: a write past it fails instead of ending the process. Returns
// false (and runs nothing) when the limit cannot be set.
bool WithFileSizeLimit(long bytes, const std::function<void()>& write);
