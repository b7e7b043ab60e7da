#pragma once

#include "instruments/InstrumentMitStation.h"

// Base of the needle instruments (RBI, MDI, RMI, two-needle RMI): a needle
// showing the relative bearing of the tuned station over a compass card.
//
// The face is painted into the hidden face layer, which serves as a cached
// picture; the needle layer above it shows a copy of that picture with the
// needle on top. A bearing change therefore recomposes only the needle layer.
class TADF : public TInstrumentMitStation {
public:
    // Relative bearing of the station, clockwise from the nose; 0 while untuned.
    float GetRB();
    float GetScaleHeading() const { return FScaleHeading; }
    // Turns the card; the RBI's card is fixed and ignores it.
    virtual void SetScaleHeading(float value);
    bool GetNOSW() const { return FMainDirections; }
    void SetNOSW(bool value);

    void Paint() override;

    BitmapLayer* GetZeigerLayer() const { return ZeigerLayer.get(); }
    float GetZLaenge() const { return FZLaenge; }

protected:
    TADF() = default;
    void Init(ImageSurface* anImage, int aLeft, int aTop, int aWidth,
              const std::shared_ptr<IObserver>& radial) override;
    void ShowLayers(bool value) override;
    bool UpdateIndication(bool redraw) override;
    bool UpdateHeading(bool redraw) override;
    // Composes the needle layer from the cached face and the needle(s).
    virtual void PaintNeedle();

    // PaintNeedle inside one update bracket: one screen refresh of the needle layer.
    void RepaintNeedle();
    bool UpdateRB();
    bool SetRB(bool redraw, float value);
    // Relative bearing of a station at stationPos as seen from the aircraft's nose.
    float RelativeBearing(const TSinglePoint& stationPos) const;

    float FRB = 0.0f;
    float FZLaenge = 0.0f;
    float FZDicke = 0.0f;
    float FZSpBr = 0.0f;
    float FZSpLng = 0.0f;
    bool FSyncScaleHeading = false;
    std::unique_ptr<BitmapLayer> ZeigerLayer;
};
