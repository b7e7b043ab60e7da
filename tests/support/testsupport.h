#pragma once

#include "platform/Bitmap32.h"

#include <QImage>
#include <QString>

#include <QStringList>
#include <functional>

// Alpha, red, green and blue of an ARGB colour, for readable test failures.
QString ColorName(TColor32 color);

// First pixel where a picture differs from the one composed from scratch,
// as text, or empty when they agree. On screen a window has no alpha: there
// only the opaque pixels can be compared, and they have to agree exactly.
QString FirstDifference(const QImage& got, const QImage& full, bool onScreen = false);

// How far a picture may differ from a reference: exactly the same away from
// edges; on an edge (a pixel whose 3x3 neighbourhood in the reference has more
// than one colour) up to kPictureEdgeTolerance levels in each channel, where
// a different but equally good anti-aliasing moves coverage by a few levels.
constexpr int kPictureEdgeTolerance = 24;
struct TPictureDifference {
    bool ok = true;
    QString worst;   // the pixel furthest outside what is allowed, described
    QImage map;      // red where not allowed, yellow where within tolerance
    int largest = 0; // the largest difference in any channel of any pixel
};
TPictureDifference ComparePictures(const QImage& reference, const QImage& got,
                                   int edgeTolerance = kPictureEdgeTolerance);

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
