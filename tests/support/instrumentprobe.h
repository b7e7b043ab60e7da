#pragma once

#include "instruments/I_Instrumente.h"
#include "platform/Bitmap32.h"
#include "platform/SinglePoint.h"
#include "world/vxInterfaces.h"

#include <QImage>
#include <QString>

#include <array>
#include <functional>

// Pixel probes for instrument faces: where a fault would show (a needle that
// points elsewhere, a card turned the wrong way, a missing legend).

// Point at radius r and clock angle phi (degrees clockwise from up) on the
// face of `ins`, shifted k pixels along the clockwise tangent; in surface
// coordinates (the face's left/top added).
TSinglePoint FaceAt(const TInstrument& ins, float r, float phiDeg, float k = 0.0f);

using ColorTest = std::function<bool(TColor32)>;
bool IsYellow(TColor32 c);
bool IsGreen(TColor32 c);
bool IsRed(TColor32 c);
bool IsWhite(TColor32 c);
bool IsDark(TColor32 c);

TColor32 PixelAt(const QImage& image, int x, int y);
// Whether any pixel within `radius` (Chebyshev) of p passes the test.
bool AnyNear(const QImage& image, const TSinglePoint& p, int radius, const ColorTest& test);
// How many pixels inside the rectangle pass the test.
int CountIn(const QImage& image, const QRect& rect, const ColorTest& test);

// Whether the card label `text` (font size 12, white, turned by its clock
// angle) stands on the face at radius r and clock angle phi: the face is
// compared with a reference rendering of that label on black, inside the
// label's circle. Returns the share of matching pixels (1.0 = identical).
double LabelMatch(const QImage& surfaceImage, const TInstrument& ins, const QString& text, float r,
                  float phiDeg);
// Radius at which the card label `text` is centred on a face of `ins`.
float LabelRadius(const TInstrument& ins, const QString& text, bool inner);

// An observer that counts what it hears, per kind.
class TCountingObserver : public IObserver {
public:
    explicit TCountingObserver(TNotificationTypes filter) : m_filter(filter) {}
    void UpdateA(ISubject* subject, TNotificationType kind) override {
        ++counts[kind];
        lastSubject = subject;
    }
    TNotificationTypes GetNotificationTypes() override { return m_filter; }
    int Total() const { return counts[0] + counts[1] + counts[2] + counts[3]; }
    void Reset() { counts = {}; }

    std::array<int, 8> counts{};
    ISubject* lastSubject = nullptr;

private:
    TNotificationTypes m_filter;
};
