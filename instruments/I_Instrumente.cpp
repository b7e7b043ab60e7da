#include "instruments/I_Instrumente.h"

#include "platform/Colors.h"
#include "world/InstrumentUtilsClass.h"

#include <QRectF>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
// A red wedge at the bezel, 10 px deep, in the frame of its clock angle with
// the origin on the bezel: x along the clockwise tangent, y inwards. B is A mirrored.
constexpr TSinglePoint WedgeA[] = {{0.0f, 13.0f}, {-3.0f, 3.0f}, {4.0f, 3.0f}, {1.0f, 13.0f}};
constexpr TSinglePoint WedgeB[] = {{-1.0f, 13.0f}, {-4.0f, 3.0f}, {3.0f, 3.0f}, {0.0f, 13.0f}};

// Marks sit on pixel boundaries; halves go to the even neighbour so that a
// face of even width stays symmetric.
int RoundEven(float v) {
    return static_cast<int>(std::nearbyint(v));
}
} // namespace

TInstrument::~TInstrument() = default;

std::shared_ptr<TInstrument> TInstrument::Create(ImageSurface* image, int left, int top, int width,
                                                 const std::shared_ptr<IObserver>& radial) {
    return Initialised(std::shared_ptr<TInstrument>(new TInstrument()), image, left, top, width, radial);
}

void TInstrument::Init(ImageSurface* anImage, int aLeft, int aTop, int aWidth,
                       const std::shared_ptr<IObserver>& radial) {
    FVisible = false;
    FLeft = aLeft;
    FTop = aTop;
    FWidth = aWidth;
    FSF = static_cast<float>(aWidth) / 300.0f;
    FXm = static_cast<float>(aWidth) / 2.0f;
    FYm = FXm;
    FR = FYm - 10.0f * FSF;
    FR1 = FR - 53.0f * FSF;
    FR2 = FR1 + 14.0f * FSF;
    FR3 = FR1 + 7.0f * FSF;
    FRD2 = FR / 7.0f;
    FRD1 = FR + FRD2;

    Image32 = anImage;
    InstrumentLayer = CreateFaceLayer(BitmapLayer::DrawMode::Opaque, false);
    FRadial = radial;
}

std::unique_ptr<BitmapLayer> TInstrument::CreateFaceLayer(BitmapLayer::DrawMode mode, bool visible) {
    TUpdateBracket bracket(Image32);
    auto layer = std::make_unique<BitmapLayer>(Image32);
    if (FVisible) layer->Bitmap().SetSize(FWidth, FWidth);
    FLayers.push_back(layer.get());
    layer->SetDrawMode(mode);
    layer->SetMasterAlpha(255);
    layer->SetVisible(visible);
    layer->SetLocation(QRectF(FLeft, FTop, FWidth, FWidth));
    return layer;
}

void TInstrument::SetVisible(bool value) {
    if (value == FVisible) return;
    TUpdateBracket bracket(Image32);
    FVisible = value;
    // A hidden instrument keeps no pixels (an aircraft that is not the
    // active one carries three faces nobody sees); shown, it paints anew.
    if (value) {
        for (BitmapLayer* layer : FLayers)
            layer->Bitmap().SetSize(FWidth, FWidth);
    }
    ShowLayers(value);
    if (value) {
        Paint();
    } else {
        for (BitmapLayer* layer : FLayers)
            layer->Bitmap().SetSize(0, 0);
    }
    bracket.MarkChanged();
}

void TInstrument::ShowLayers(bool value) {
    InstrumentLayer->SetVisible(value);
}

void TInstrument::ShowNeedleLayer(BitmapLayer& needleLayer, bool value) {
    InstrumentLayer->SetVisible(false);
    needleLayer.SetVisible(value);
}

void TInstrument::RepaintLayer(BitmapLayer& layer, const std::function<void()>& paint) {
    TUpdateBracket bracket(Image32);
    paint();
    layer.Changed();
}

void TInstrument::FullRepaint() {
    // Drawing on a visible layer marks the surface itself; a hidden face costs no refresh.
    TUpdateBracket bracket(Image32);
    Paint();
}

QTransform TInstrument::FaceFrame(float phiDeg) const {
    QTransform t;
    t.translate(FXm, FYm);
    t.rotate(phiDeg);
    return t;
}

TSinglePoint TInstrument::FacePoint(float r, float phiDeg, float k) const {
    return PlacePoint(FaceFrame(phiDeg), k, -r);
}

void TInstrument::Paint() {
    Bitmap32& bmp = InstrumentLayer->Bitmap();
    bmp.Fill(clGrey);
    bmp.CircleAA(FXm, FYm, FR, 1.0f, clBlack);
    bmp.CircleAA(FXm, FYm, FR - 1.0f, 1.0f, clWhite);
    bmp.DiscAA(FXm, FYm, FR - 3.0f, clBlack);
    if (FDrehknopf1) PaintKnob(225.0f, FKnopfText1);
    if (FDrehknopf2) PaintKnob(135.0f, FKnopfText2);
    PaintScale();
    PaintSymbols();
}

void TInstrument::PaintKnob(float clockDeg, const QString& text) {
    Bitmap32& bmp = InstrumentLayer->Bitmap();
    const TSinglePoint k = FacePoint(FRD1, clockDeg);
    bmp.CircleAA(k.X, k.Y, FRD2, 1.0f, clWhite);
    bmp.DiscAA(k.X, k.Y, FRD2 - 1.0f, clBlack);
    if (text.isEmpty()) return;
    bmp.SetFontSize(bmp.Width() * 10 / 300);
    const QSize ext = bmp.TextExtent(text);
    bmp.TextOut(static_cast<int>(std::lround(k.X - ext.width() / 2.0f)),
                static_cast<int>(std::lround(k.Y - ext.height() / 2.0f)), text, clWhite);
}

void TInstrument::PaintScale() {
    Bitmap32& bmp = InstrumentLayer->Bitmap();
    const float h = FScaleHeading;
    const float whole = std::floor(h);
    // The multiple of ten below h is taken from the integer part alone, so
    // that rounding in h - off can never drop it to the ten below.
    const int wholeInt = static_cast<int>(whole);
    const int lastDigit = ((wholeInt % 10) + 10) % 10;
    const float off = static_cast<float>(lastDigit) + (h - whole);
    int v = wholeInt - lastDigit;

    bmp.SetFontSize(12);
    for (int i = 0; i < 36; ++i) {
        const float phi = 10.0f * static_cast<float>(i) - off;
        const TSinglePoint a = FacePoint(FR1, phi);
        const TSinglePoint b = FacePoint(FR2, phi);
        bmp.LineAA(a.X, a.Y, b.X, b.Y, clWhite);

        if (v % 30 == 0) {
            QString label;
            if (FMainDirections && v % 90 == 0) {
                static const char* const names[] = {"N", "E", "S", "W", "N"};
                label = QString::fromLatin1(names[v / 90]);
            } else {
                label = QString::number(v / 10);
            }
            const QSize ext = bmp.TextExtent(label);
            const float m =
                0.5f * std::hypot(static_cast<float>(ext.width()), static_cast<float>(ext.height()));
            const float r = FSkalaInnen ? FR2 - m - 1.0f : FR2 + m + 1.0f;
            const TSinglePoint c = FacePoint(r, phi);
            bmp.TextRotated(c.X, c.Y, phi, label, clWhite);
        }

        const TSinglePoint a5 = FacePoint(FR1, phi + 5.0f);
        const TSinglePoint b5 = FacePoint(FR3, phi + 5.0f);
        bmp.LineAA(a5.X, a5.Y, b5.X, b5.Y, clWhite);

        v += 10;
        if (v > 360) v -= 360;
    }
}

void TInstrument::PaintSymbols() {
    Bitmap32& bmp = InstrumentLayer->Bitmap();
    const float rm = FR - 60.0f * FSF;
    const bool inner = FSkalaInnen;

    // Red wedges at the bezel, placed at their clock angle with the origin on the bezel.
    auto wedge = [&](std::span<const TSinglePoint> shape, float phi) {
        bmp.PolygonAA(PlaceShape(FaceFrame(phi).translate(0.0, -FR), shape), clRed);
    };
    auto quadA = [&](float phi) { wedge(WedgeA, phi); };
    auto quadB = [&](float phi) { wedge(WedgeB, phi); };

    if (F90GradMarken) {
        if (inner) {
            quadA(90.0f);
            quadB(270.0f);
        } else {
            const int y1 = RoundEven(FYm);
            const int y2 = RoundEven(FYm + 2.0f);
            bmp.FillRect(RoundEven(FXm - rm), y1, RoundEven(FXm - rm + 10.0f), y2, clWhite);
            bmp.FillRect(RoundEven(FXm + rm - 10.0f), y1, RoundEven(FXm + rm), y2, clWhite);
        }
    }
    if (F45GradMarken) {
        if (inner) {
            quadA(45.0f);
            quadA(135.0f);
            quadB(225.0f);
            quadB(315.0f);
        } else {
            for (float phi : {315.0f, 45.0f}) {
                const TSinglePoint p = FacePoint(rm, phi);
                bmp.DiscAA(p.X, p.Y, 3.0f, clWhite);
            }
        }
    }
    if (inner) {
        quadA(0.0f);
        quadB(180.0f);
    } else {
        bmp.PolygonAA({{FXm, FYm - rm - 10.0f},
                       {FXm + 1.0f, FYm - rm - 10.0f},
                       {FXm + 9.0f, FYm - rm - 2.0f},
                       {FXm - 8.0f, FYm - rm - 2.0f}},
                      clWhite);
        bmp.PolygonAA({{FXm, FYm + rm + 10.0f},
                       {FXm + 1.0f, FYm + rm + 10.0f},
                       {FXm + 6.0f, FYm + rm + 5.0f},
                       {FXm - 5.0f, FYm + rm + 5.0f}},
                      clWhite);
    }
    if (FMittellinie) {
        bmp.VertLine(RoundEven(FXm), RoundEven(FYm - rm + 15.0f), RoundEven(FYm + rm - 15.0f), clWhite);
    }
    if (FFlugzeugsymbol) {
        // Offsets from the rounded centre, so the symbol keeps its 5 px
        // fuselage even when the centre falls on half a pixel.
        const int xm = RoundEven(FXm);
        const int ym = RoundEven(FYm);
        bmp.FillRect(xm - 2, ym - 20, xm + 3, ym + 20, clRed);  // fuselage
        bmp.FillRect(xm - 20, ym - 12, xm + 21, ym - 8, clRed); // wings
        bmp.FillRect(xm - 8, ym + 13, xm + 9, ym + 17, clRed);  // tail plane
    }
}

void TInstrument::PaintNeedleLegend(Bitmap32& bitmap, const QString& text, TColor32 color, float headWidth,
                                    float headLength, float thickness, float length, int kind) {
    if (text.isEmpty()) return;
    bitmap.SetFontSize(8);
    const QSize ext = bitmap.TextExtent(text);

    // Name and symbol share the corner outside the bezel, both centred on the
    // corner's diagonal: the name along the bezel, the symbol beyond it. Side by
    // side they would need more room than a corner of a 250 px face offers, and
    // a station name cut off at the edge is worse than no legend.
    const float c0 = kind == 1 ? 135.0f : 225.0f;
    const float textHalfHeight = static_cast<float>(ext.height()) / 2.0f;
    const float textRadius = FR + 2.0f + textHalfHeight;
    const float symbolHalfWidth = std::max(headWidth, thickness) / 2.0f;
    const float symbolRadius = textRadius + textHalfHeight + 3.0f + symbolHalfWidth;

    // The symbol lies along the circle, pointing clockwise.
    const TSinglePoint s = FacePoint(symbolRadius, c0);
    const float theta = NeedleTheta(c0 + 90.0f);
    if (kind == 1)
        DrawNeedle(bitmap, color, s.X, s.Y, length, thickness, headLength, headWidth, theta, 0.0f);
    else
        DrawNeedleOutline(bitmap, color, s.X, s.Y, length, thickness, headLength, headWidth, theta);

    // Top of the name towards the dial centre.
    const TSinglePoint t = FacePoint(textRadius, c0);
    bitmap.TextRotated(t.X, t.Y, kind == 1 ? -45.0f : 45.0f, text, clWhite);
}
