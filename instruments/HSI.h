#pragma once

#include "instruments/InstrumentMitStation.h"

#include <array>

// Integer rectangle with exclusive right and bottom edges, face pixels.
struct TIntRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

// Horizontal situation indicator: a compass card turned by the aircraft's
// heading, a course arrow set to the selected course that turns with the
// card, a deviation bar in the arrow's gap moving across eleven marks, a
// TO/FROM triangle on the arrow's axis and a red NAV flag when there is no
// usable indication.
//
// Everything but the bar is painted into the hidden face layer (the cached
// picture); the needle layer shows a copy of it with the bar, so a deviation
// change recomposes only the needle layer.
class THSI : public TInstrumentMitStation, public IHSI, public IValueSetting, public IScaleHeading {
public:
    static std::shared_ptr<THSI> Create(ImageSurface* image, int left, int top, int width,
                                        const std::shared_ptr<IObserver>& radial);

    // IHSI
    float GetAblage() override { return FAblage; }
    float GetCourse() override { return FCourse; }
    int GetToFrom() override { return FToFrom; }

    // IScaleHeading
    float GetScaleHeading() override { return FScaleHeading; }

    // IValueSetting: the selected course
    float GetValue() override { return FCourse; }
    void SetValue(float value) override;
    void SetValueInc(int inc) override;

    void Paint() override;

    BitmapLayer* GetZeigerLayer() const { return ZeigerLayer.get(); }
    float GetDelta() const { return FDelta; }
    float GetAblageZeigerLaenge() const { return FAblageZeigerLaenge; }
    float GetZLaenge() const { return FZLaenge; }
    TIntRect GetP_NAV() const { return FP_NAV; }
    // Unit vector from the centre towards the arrow head, and the one to its right (face pixels).
    TSinglePoint CourseAxis() const;
    TSinglePoint CrossAxis() const;
    // Centre of the deviation bar for the current deviation (pinned at full scale).
    TSinglePoint BarCentre() const;

protected:
    THSI() = default;
    void Init(ImageSurface* anImage, int aLeft, int aTop, int aWidth,
              const std::shared_ptr<IObserver>& radial) override;
    void ShowLayers(bool value) override;
    bool UpdateIndication(bool redraw) override;
    bool UpdateHeading(bool redraw) override;

private:
    // Each returns whether something changed that is not yet on screen.
    bool SetCourse(bool redraw, float value);
    bool SetScaleHeading(bool redraw, float value);
    bool SetToFrom(int state, bool redraw);
    bool SetAblage(bool redraw, float value);

    // The frame of the selected course on the card: origin at the dial centre,
    // -y along the course arrow, x to its right.
    QTransform CourseFrame() const;
    // A point given across (x, to the right of the arrow) and along (y,
    // negative towards the head) the course axis, in face pixels.
    TSinglePoint Local(float x, float y) const;
    void PaintCourseFace();
    void PaintDeviationBar();
    // PaintDeviationBar inside one update bracket: one screen refresh of the needle layer.
    void RepaintBar();

    std::unique_ptr<BitmapLayer> ZeigerLayer;
    float FAblage = 0.0f;
    int FToFrom = tfOff;
    float FCourse = 0.0f;
    float FDelta = 0.0f;
    float FAblageZeigerLaenge = 0.0f;
    float FAblMarkX = 0.0f;
    float FAblMarkY = 0.0f;
    std::array<TSinglePoint, 3> FP_TO{};
    std::array<TSinglePoint, 3> FP_FROM{};
    TIntRect FP_NAV;
    float FZLaenge = 0.0f;
    float FZDicke = 0.0f;
    float FZSpBr = 0.0f;
    float FZSpLng = 0.0f;
};
