#include "world/I_Stations.h"

#include "platform/Colors.h"
#include "platform/UpdateBracket.h"
#include "world/InstrumentUtilsClass.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace {
constexpr int LabelBand = 20;

QString AssertionText(const char* message, const char* unit, int line) {
    return QString::asprintf("%s (%s, Zeile %d)", message, unit, line);
}
} // namespace

EAssertionFailed::EAssertionFailed(const char* message, const char* unit, int line)
    : std::logic_error(AssertionText(message, unit, line).toStdString()) {}

TStation::TStation(ImageSurface* image, const TSinglePoint& pos, const QString& freq, int tag)
    : FPos(pos), FImg(image) {
    if (freq.isEmpty()) throw EAssertionFailed("Fehler: Freq ist Leerstring", "I_Stations", __LINE__);
    FFreq = freq;
    FSLayer = std::make_unique<BitmapLayer>(image);
    FSLayer->Bitmap().SetSize(SymbolSize, SymbolSize);
    FSLayer->SetDrawMode(BitmapLayer::DrawMode::Blend);
    FSLayer->SetMasterAlpha(255);
    FSLayer->SetVisible(true);
    FSLayer->SendToBack();
    FSLayer->SetCursor(Qt::PointingHandCursor);
    FSLayer->SetMouseEvents(true);
    FSLayer->SetTag(-(tag + 1));
}

TStation::~TStation() = default;

void TStation::Finish(const QString& typ) {
    FMitte = TSinglePoint{25.0f, 34.0f};
    PlaceLayer();
    FTyp = typ;
    FText = FTyp + QLatin1Char(' ') + FFreq;
    FTb = FSLayer->Bitmap().TextExtent(FText);
}

void TStation::PlaceLayer() {
    FSLayer->SetLocation(QRectF(FPos.X - FMitte.X, FPos.Y - FMitte.Y, SymbolSize, SymbolSize));
}

TColor32 TStation::StateColor() const {
    return ObserverCount() > 0 ? clActive : clInactive;
}

void TStation::Attach(const std::shared_ptr<IObserver>& observer) {
    TSubject::Attach(observer);
    if (ObserverCount() == 1) Paint();
}

void TStation::Detach(const std::shared_ptr<IObserver>& observer) {
    TSubject::Detach(observer);
    if (ObserverCount() == 0) Paint();
}

void TStation::SetPosition(const TSinglePoint& p) {
    if (p.X == FPos.X && p.Y == FPos.Y) return;
    FPos = p;
    PlaceLayer();
    Notify(ntStationPosition);
}

TVOR_S::TVOR_S(ImageSurface* image, const TSinglePoint& pos, const QString& freq, int tag)
    : TStation(image, pos, freq, tag) {}

std::shared_ptr<TVOR_S> TVOR_S::Create(ImageSurface* image, const TSinglePoint& pos, const QString& freq,
                                       int tag) {
    std::shared_ptr<TVOR_S> station(new TVOR_S(image, pos, freq, tag));
    station->Finish(QStringLiteral("VOR"));
    for (std::size_t k = 0; k < station->FP.size(); ++k) {
        const float theta = (30.0f + static_cast<float>(k) * 60.0f) * DegToRad;
        station->FP[k] = TSinglePoint{station->FMitte.X + 15.0f * std::sin(theta),
                                      station->FMitte.Y + 15.0f * std::cos(theta)};
    }
    station->Paint();
    return station;
}

void TVOR_S::Paint() {
    TUpdateBracket bracket(FImg);
    Bitmap32& bitmap = FSLayer->Bitmap();
    bitmap.Fill(clWhite);
    const TColor32 color = StateColor();
    bitmap.PolylineAA(std::vector<TSinglePoint>(FP.begin(), FP.end()), color);
    bitmap.FrameRect(10, 20, 40, 48, color);
    bitmap.DiscAA(FMitte.X, FMitte.Y, 2.0f, color);
    bitmap.TextOut((SymbolSize - FTb.width()) / 2, (LabelBand - FTb.height()) / 2, FText, color);
    bitmap.ReplaceColor(clWhite, clTransparent);
    FSLayer->Changed();
}

TNDB_S::TNDB_S(ImageSurface* image, const TSinglePoint& pos, const QString& freq, int tag)
    : TStation(image, pos, freq, tag) {}

std::shared_ptr<TNDB_S> TNDB_S::Create(ImageSurface* image, const TSinglePoint& pos, const QString& freq,
                                       int tag) {
    std::shared_ptr<TNDB_S> station(new TNDB_S(image, pos, freq, tag));
    station->Finish(QStringLiteral("NDB"));
    station->Paint();
    return station;
}

void TNDB_S::Paint() {
    TUpdateBracket bracket(FImg);
    Bitmap32& bitmap = FSLayer->Bitmap();
    bitmap.Fill(clWhite);
    const TColor32 color = StateColor();
    constexpr double twoPi = 2.0 * std::numbers::pi;
    for (int r = 15; r >= 3; r -= 3) {
        const int steps = 3 * r;
        for (int j = 0; j <= steps; ++j) {
            const double theta = j * twoPi / steps;
            bitmap.DotAA(static_cast<float>(FMitte.X + r * std::sin(theta)),
                         static_cast<float>(FMitte.Y + r * std::cos(theta)), color);
        }
    }
    // Halves go to the even neighbour (the default rounding mode).
    const int left = static_cast<int>(std::nearbyint((SymbolSize - FTb.width()) / 2.0));
    const int top = static_cast<int>(std::nearbyint((LabelBand - FTb.height()) / 2.0));
    bitmap.TextOut(left, top, FText, color);
    bitmap.ReplaceColor(clWhite, clTransparent);
    FSLayer->Changed();
}
