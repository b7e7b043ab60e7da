#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>

// The drawing operations of Bitmap32 that QPainter does on the same
// premultiplied ARGB image as well as a rasteriser of our own and at least
// as fast (bench/bench_raster.cpp times them side by side, and
// tests/platform/tst_raster.cpp compares the pictures), in Bitmap32's frame
// and with its colours (un-premultiplied 0xAARRGGBB); and the one text face.
// Where QPainter is slower or draws differently, Bitmap32 keeps its own.
namespace PainterRaster {

using Color = std::uint32_t;

// Text is in one face, DejaVu Sans at the size in points taken at 96 dpi,
// so that extents do not depend on the desktop.
//
// The text's advance width and the font's height (ascent + descent).
QSize TextExtent(const QString& text, int points);
// The text rendered once into a premultiplied image as large as its extent,
// baseline at the font's ascent. Labels are few and repeat on every repaint
// (card numbers, knob texts, station names), so each is kept; null for
// empty text.
const QImage& LabelImage(const QString& text, int points, Color color);

// source at (x, y), replacing the pixels it covers.
void CopyFrom(QImage& image, const QImage& source, int x, int y);
// source at (x, y), source-over.
void BlendFrom(QImage& image, const QImage& source, int x, int y);

} // namespace PainterRaster
