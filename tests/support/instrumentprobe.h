#pragma once

#include "instruments/I_Instrumente.h"
#include "platform/SinglePoint.h"
#include "tests/support/pixelprobe.h"

#include <QImage>
#include <QString>

// Probes in the geometry of an instrument face: points given by radius and
// clock angle, and the card labels (the pixel tests are in pixelprobe.h).

// Point at radius r and clock angle phi (degrees clockwise from up) on the
// face of `ins`, shifted k pixels along the clockwise tangent; in surface
// coordinates (the face's left/top added).
TSinglePoint FaceAt(const TInstrument& ins, float r, float phiDeg, float k = 0.0f);

// Whether the card label `text` (font size 12, white, turned by its clock
// angle) stands on the face at radius r and clock angle phi: the face is
// compared with a reference rendering of that label on black, inside the
// label's circle. Returns the share of matching pixels (1.0 = identical).
double LabelMatch(const QImage& surfaceImage, const TInstrument& ins, const QString& text, float r,
                  float phiDeg);
// Radius at which the card label `text` is centred on a face of `ins`.
float LabelRadius(const TInstrument& ins, const QString& text, bool inner);
