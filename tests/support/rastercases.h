#pragma once

#include "platform/Bitmap32.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <functional>
#include <vector>

// One drawing operation of Bitmap32 in one case the instruments or the map
// really draw (a needle at 250 pixels, the 62 x 62 aircraft, a 1600 pixel
// radial), and QPainter doing the same on an image of the same size and
// background. The comparison test holds the two pictures against each other,
// the benchmark times both.
struct TRasterCase {
    QByteArray name; // "operation, case"
    QSize size;
    TColor32 background = 0;
    std::function<void(Bitmap32&)> ours;
    std::function<void(QImage&)> painter;
    // How many levels per channel the two may differ on anti-aliased edges
    // (they must agree exactly elsewhere), and why it is more than the usual 24.
    int edgeTolerance = 24;
    const char* differs = nullptr;
};

const std::vector<TRasterCase>& RasterCases();

// The background of a case as a premultiplied image of its size.
QImage RasterCanvas(const TRasterCase& c);
