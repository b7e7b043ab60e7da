#include "tests/support/coursefixture.h"

#include "instruments/InstrumentMitStation.h"

#include <QColor>

#include <algorithm>
#include <cmath>
#include <numbers>

TCourseRig::TCourseRig(const TSinglePoint& planePos, const TSinglePoint& stationPos) {
    nav.SetBitmapSize(1000, 800);
    planePanel.SetBitmapSize(750, 250);
    panel.SetBitmapSize(250, 250);
    radial = std::make_shared<TRadialLayer>([this] { ++radialRedraws; });
    plane = TFlugzeug::Create(&nav, &planePanel, planePos, 0, radial);
    plane->SetSelected(true);
    station = TVOR_S::Create(&nav, stationPos, QStringLiteral("1"), 0);
}

TCourseRig::~TCourseRig() {
    // Bindings hold references both ways; end them so everything goes.
    if (instrument) TFlugzeug::UnbindInstrument(instrument);
    for (int i = 0; i < TFlugzeug::SlotCount; ++i)
        plane->AddInstrument(0, i, false);
}

void TCourseRig::WatchLayers(BitmapLayer* face, BitmapLayer* needle) {
    face->Bitmap().SetOnChanged([this, face] {
        ++faceDraws;
        face->Changed();
    });
    needle->Bitmap().SetOnChanged([this, needle] {
        ++needleDraws;
        needle->Changed();
    });
}

TSinglePoint OnRadial(const TSinglePoint& station, float radialDeg, float distance) {
    const double a = radialDeg * std::numbers::pi / 180.0;
    return {static_cast<float>(station.X + distance * std::sin(a)),
            static_cast<float>(station.Y - distance * std::cos(a))};
}

bool IsYellowish(unsigned int c) {
    const QColor q = QColor::fromRgba(c);
    return q.red() > 150 && q.green() > 150 && q.blue() < 100;
}

bool IsGreenish(unsigned int c) {
    const QColor q = QColor::fromRgba(c);
    return q.green() > 70 && q.red() < 60 && q.blue() < 60;
}

bool IsReddish(unsigned int c) {
    const QColor q = QColor::fromRgba(c);
    return q.red() > 200 && q.green() < 60 && q.blue() < 60;
}

bool IsWhitish(unsigned int c) {
    const QColor q = QColor::fromRgba(c);
    return q.red() > 200 && q.green() > 200 && q.blue() > 200;
}

unsigned int PixelOf(const QImage& image, int x, int y) {
    if (!image.valid(x, y)) return 0;
    return QColor::fromRgba(image.pixel(x, y)).rgba();
}

bool AnyNear(const QImage& image, float x, float y, int radius,
             const std::function<bool(unsigned int)>& test) {
    const int cx = static_cast<int>(std::floor(x));
    const int cy = static_cast<int>(std::floor(y));
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (test(PixelOf(image, cx + dx, cy + dy))) return true;
    return false;
}

float YellowCentreX(const QImage& image, int y, int x0, int x1) {
    double sum = 0, weight = 0;
    for (int x = x0; x <= x1; ++x) {
        const QColor q = QColor::fromRgba(PixelOf(image, x, y));
        const double w = std::max(0, std::min(q.red(), q.green()) - q.blue());
        sum += w * (x + 0.5);
        weight += w;
    }
    return weight > 0 ? static_cast<float>(sum / weight) : -1.0f;
}
