#pragma once

#include "instruments/InstrumentMitStation.h"

#include <array>

// VOR indicator: the card turns with the OBS so that the selected course
// stands at the top; a vertical needle shows the course deviation across
// eleven marks (2 degrees each), a triangle shows TO or FROM, and an optional
// rim mark shows where the aircraft lies as seen from the station.
//
// The dial (card, marks, flag) is painted into the hidden face layer, which
// serves as a cached picture; the needle layer above it shows a copy of that
// picture with the needle. A deviation change recomposes only the needle layer.
class TVOR : public TInstrumentMitStation, public IVOR, public IValueSetting {
public:
    static std::shared_ptr<TVOR> Create(ImageSurface* image, int left, int top, int width,
                                        const std::shared_ptr<IObserver>& radial);

    // IVOR
    bool GetDirToStation() override { return FDirToStation; }
    float GetOBS() override { return FOBS; }
    int GetToFrom() override { return FToFrom; }
    float GetAblage() override { return FAblage; }
    void SetDirToStation(bool value) override;

    // IValueSetting: the OBS
    float GetValue() override { return FOBS; }
    void SetValue(float value) override;
    void SetValueInc(int inc) override;

    void Paint() override;

    BitmapLayer* GetZeigerLayer() const { return ZeigerLayer.get(); }
    float GetDelta() const { return FDelta; }
    float GetAblageZeigerLaenge() const { return FAblageZeigerLaenge; }
    const std::array<TSinglePoint, 3>& GetP_TO() const { return FP_TO; }
    const std::array<TSinglePoint, 3>& GetP_FROM() const { return FP_FROM; }
    // Face x of the deviation needle for the current deviation (pinned at full scale).
    float NeedleX() const;

protected:
    TVOR() = default;
    void Init(ImageSurface* anImage, int aLeft, int aTop, int aWidth,
              const std::shared_ptr<IObserver>& radial) override;
    void ShowLayers(bool value) override;
    bool UpdateIndication(bool redraw) override;
    bool UpdateHeading(bool redraw) override;

private:
    // Each returns whether something changed that is not yet on screen.
    bool SetOBS(bool redraw, float value);
    bool SetToFrom(int state, bool redraw);
    bool SetAblage(bool redraw, float value);

    void PaintMarks();
    void PaintNeedle();
    void PaintDirectionMark(Bitmap32& bmp);
    // PaintNeedle inside one update bracket: one screen refresh of the needle layer.
    void RepaintNeedle();

    std::unique_ptr<BitmapLayer> ZeigerLayer;
    float FOBS = 0.0f;
    float FAblage = 0.0f;
    int FToFrom = tfOff;
    float FDelta = 0.0f;
    float FAblageZeigerLaenge = 0.0f;
    float FAblMarkX = 0.0f;
    float FAblMarkY = 0.0f;
    std::array<TSinglePoint, 3> FP_TO{};
    std::array<TSinglePoint, 3> FP_FROM{};
    bool FDirToStation = false;
};
