#pragma once

#include "platform/ImageSurface.h"
#include "platform/UpdateBracket.h"
#include "world/BaseObserver.h"
#include "world/vxInterfaces.h"

#include <QPointer>
#include <QString>
#include <QTransform>

#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

// Base of all cockpit instruments: one square face layer on the shared
// instrument surface and the painting of a round dial with a turnable card.
//
// Instruments are shared objects (they observe aircraft and stations and are
// observed by the map's radial layer), so they exist only inside a
// std::shared_ptr: construct them through the static Create of the concrete
// class, which runs the virtual Init step once the object is fully built.
class TInstrument : public TSubject, public IInstrument, public std::enable_shared_from_this<TInstrument> {
public:
    ~TInstrument() override;
    TInstrument(const TInstrument&) = delete;
    TInstrument& operator=(const TInstrument&) = delete;

    // A plain dial without binding (used for looking at the face on its own).
    static std::shared_ptr<TInstrument> Create(ImageSurface* image, int left, int top, int width,
                                               const std::shared_ptr<IObserver>& radial);

    // IInstrument
    bool GetVisible() override { return FVisible; }
    void SetVisible(bool value) override;
    int GetTyp() override { return FTyp; }
    void SetTyp(int value) override { FTyp = value; }

    // Paints the complete face (without a screen-update bracket of its own).
    virtual void Paint();
    // Paint inside one update bracket of the instrument surface: one screen refresh.
    void FullRepaint();

    ImageSurface* GetImage() const { return Image32; }
    BitmapLayer* GetInstrumentLayer() const { return InstrumentLayer.get(); }
    int GetLeft() const { return FLeft; }
    int GetTop() const { return FTop; }
    int GetWidth() const { return FWidth; }
    float GetXm() const { return FXm; }
    float GetYm() const { return FYm; }
    float GetR() const { return FR; }
    float GetR1() const { return FR1; }
    float GetR2() const { return FR2; }
    float GetR3() const { return FR3; }
    float GetSF() const { return FSF; }
    float GetRD1() const { return FRD1; }
    float GetRD2() const { return FRD2; }
    // Card rotation: the card value standing under the top index.
    float GetCardHeading() const { return FScaleHeading; }
    const std::shared_ptr<IObserver>& GetRadial() const { return FRadial; }
    // How many station bindings currently have the radial layer attached.
    int GetNRadialAttached() const { return FNRadialAttached; }

protected:
    TInstrument() = default;

    // Second construction phase; overrides call the inherited one first and then set their options.
    virtual void Init(ImageSurface* anImage, int aLeft, int aTop, int aWidth,
                      const std::shared_ptr<IObserver>& radial);
    virtual void PaintSymbols();
    virtual void ShowLayers(bool value);

    // A layer over the instrument's square on the instrument image. The face
    // layer is opaque; needle instruments keep it hidden as the cached dial and
    // show a blended needle layer made here instead. The layers hold pixels
    // only while the instrument is shown (see SetVisible).
    std::unique_ptr<BitmapLayer> CreateFaceLayer(BitmapLayer::DrawMode mode, bool visible);
    // ShowLayers of a needle instrument: the face layer stays hidden as the
    // cached dial, and needleLayer, the dial with the needle, is on screen.
    void ShowNeedleLayer(BitmapLayer& needleLayer, bool value);
    // paint recomposes layer inside one update bracket: one screen refresh
    // while the layer is shown, none while it is hidden.
    void RepaintLayer(BitmapLayer& layer, const std::function<void()>& paint);

    void PaintScale();
    // Legend of a needle outside the bezel: kind 1 lower right (filled needle),
    // kind 2 lower left (hollow needle). An empty text paints nothing.
    void PaintNeedleLegend(Bitmap32& bitmap, const QString& text, TColor32 color, float headWidth,
                           float headLength, float thickness, float length, int kind);

    // The face's frame turned to clock angle phi (degrees): origin at the dial
    // centre, x along the clockwise tangent, -y outwards along the radius.
    QTransform FaceFrame(float phiDeg) const;
    // Point at radius r and clock angle phi (degrees), shifted k pixels along the clockwise tangent.
    TSinglePoint FacePoint(float r, float phiDeg, float k = 0.0f) const;

    // The rule of every setter of the form Set...(Redraw, Value): an unchanged
    // value does nothing and returns false; a changed one is stored and then
    // either repainted at once (redraw) or reported as still owed (true), so
    // that a caller can collect several changes and repaint once.
    template <class T>
    bool StoreAndRepaint(T& field, const std::type_identity_t<T>& value, bool redraw) {
        return StoreAndRepaint(field, value, redraw, [this] { FullRepaint(); });
    }
    // The same with a repaint of its own (a needle layer only, say).
    template <class T, class Repaint>
    bool StoreAndRepaint(T& field, const std::type_identity_t<T>& value, bool redraw, Repaint repaint) {
        if (value == field) return false;
        field = value;
        if (!redraw) return true;
        repaint();
        return false;
    }

    // Runs Init on a freshly made instrument of a concrete class.
    template <class T>
    static std::shared_ptr<T> Initialised(std::shared_ptr<T> instrument, ImageSurface* image, int left,
                                          int top, int width, const std::shared_ptr<IObserver>& radial) {
        static_cast<TInstrument*>(instrument.get())->Init(image, left, top, width, radial);
        return instrument;
    }

    bool FVisible = false;
    float FRD1 = 0.0f;
    float FRD2 = 0.0f;
    QPointer<ImageSurface> Image32;
    std::unique_ptr<BitmapLayer> InstrumentLayer;
    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    float FScaleHeading = 0.0f;
    int FTyp = icRBI;
    bool FMittellinie = false;
    bool F90GradMarken = false;
    bool F45GradMarken = false;
    bool FFlugzeugsymbol = false;
    bool FSkalaInnen = false;
    bool FMainDirections = false;
    bool FDrehknopf1 = false;
    bool FDrehknopf2 = false;
    QString FKnopfText1;
    QString FKnopfText2;
    float FXm = 0.0f;
    float FYm = 0.0f;
    float FR = 0.0f;
    float FR1 = 0.0f;
    float FR2 = 0.0f;
    float FR3 = 0.0f;
    float FSF = 0.0f;
    std::shared_ptr<IObserver> FRadial;
    int FNRadialAttached = 0;

private:
    // Every layer made by CreateFaceLayer; they live as long as the instrument.
    std::vector<BitmapLayer*> FLayers;

    void PaintKnob(float clockDeg, const QString& text);
};
