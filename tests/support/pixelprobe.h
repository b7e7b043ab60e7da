#pragma once

#include "platform/Bitmap32.h"
#include "platform/SinglePoint.h"

#include <QImage>
#include <QRect>

#include <functional>
#include <vector>

// Pixel probes for rendered pictures: where a fault would show (a needle that
// points elsewhere, a mark at the wrong radius, ink where none belongs).
// Colours are read back un-premultiplied, as Bitmap32::Pixel gives them.

using ColorTest = std::function<bool(TColor32)>;
// Full colours, as inside a filled shape.
bool IsYellow(TColor32 c);
bool IsGreen(TColor32 c);
bool IsRed(TColor32 c);
bool IsWhite(TColor32 c);
bool IsDark(TColor32 c);
// Yellow also where a one-pixel line falls between pixels and comes out dimmed
// or mixed with the grey, black or white below it.
bool IsYellowish(TColor32 c);
// Anything drawn at all (alpha above zero), for see-through layers.
bool IsInked(TColor32 c);

// The pixel, or 0 outside the picture.
TColor32 PixelAt(const QImage& image, int x, int y);
// The pixel under the point p (the pixel whose square contains it).
TColor32 PixelAt(const QImage& image, const TSinglePoint& p);
// Whether any pixel within `radius` (Chebyshev) of the pixel under p passes the test.
bool AnyNear(const QImage& image, const TSinglePoint& p, int radius, const ColorTest& test);
// How many pixels inside the rectangle pass the test.
int CountIn(const QImage& image, const QRect& rect, const ColorTest& test);

// The same probes on a bitmap itself, colours as its Pixel gives them.
// The alpha of the pixel (0 see-through, 255 opaque).
int AlphaAt(const Bitmap32& bitmap, int x, int y);
// How many pixels of the whole bitmap pass the test.
int CountIn(const Bitmap32& bitmap, const ColorTest& test);
// The smallest rectangle holding every pixel with any ink (alpha above
// zero) inside `within` (the whole bitmap when empty); empty when none.
QRect InkBounds(const Bitmap32& bitmap, const QRect& within = {});
// Centre of the yellow in row y between x0 and x1, weighted by how yellow
// each pixel is (pixel centres at x + 0.5); negative when there is none.
float YellowCentreX(const QImage& image, int y, int x0, int x1);

// A stretch along a line where a test holds: distances from the line's start.
struct TRun {
    float From = -1.0f;
    float To = -1.0f;
    bool Found() const { return From >= 0.0f; }
    float Length() const { return To - From; }
    float Middle() const { return (From + To) / 2.0f; }
};
// Walks from `start` in the direction of clock angle phiDeg (degrees clockwise
// from up) in steps of 1/16 pixel, from distance r0 to r1, and returns the
// first run of points whose pixel passes the test. Gaps up to maxGap pixels
// do not end a run (an anti-aliased line at a slant shares its ink between
// neighbouring pixels, and the walk may catch the fainter one).
TRun RunAlong(const QImage& image, const TSinglePoint& start, float phiDeg, float r0, float r1,
              const ColorTest& test, float maxGap = 0.0f);
// Every run along the walk, in order.
std::vector<TRun> RunsAlong(const QImage& image, const TSinglePoint& start, float phiDeg, float r0, float r1,
                            const ColorTest& test, float maxGap = 0.0f);
