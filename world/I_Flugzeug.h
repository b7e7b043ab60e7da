#pragma once

#include "platform/ImageSurface.h"
#include "platform/SinglePoint.h"
#include "world/BaseObserver.h"
#include "world/Flugweg.h"
#include "world/vxInterfaces.h"

#include <array>
#include <memory>

// An aircraft on the map: position, heading, speed, its aeroplane symbol on a
// layer of its own and three instrument slots on the instrument panel.
class TFlugzeug : public TSubject,
                  public IValueSetting,
                  public IPlaneSubject,
                  public std::enable_shared_from_this<TFlugzeug> {
public:
    static constexpr int SymbolSize = 62;
    static constexpr int SlotCount = 3;
    static constexpr int SlotWidth = 250;

    // Binding instruments needs a shared_ptr to the aircraft, so construction
    // ends here, after the object is owned: a heading indicator goes into slot 0.
    static std::shared_ptr<TFlugzeug> Create(ImageSurface* imgNav, ImageSurface* imgInstr,
                                             const TSinglePoint& pos, int tag,
                                             const std::shared_ptr<IObserver>& radObj);
    ~TFlugzeug() override;

    TFlugzeug(const TFlugzeug&) = delete;
    TFlugzeug& operator=(const TFlugzeug&) = delete;

    // IPlaneSubject / IValueSetting
    TSinglePoint GetAusgangsPosition() override { return FAusgangsPosition; }
    TSinglePoint GetPosition() override { return FPos; }
    float GetHeading() override { return FKurs; }
    float GetKurs() override { return FKurs; }
    float GetSpeed() override { return FSpeed; }
    bool GetSelected() override { return FSelected; }
    bool GetVisible() override { return FVisible; }
    void Paint() override;
    void AddInstrument(int instrType, int n, bool ins) override;
    bool GetAusgangsPositionGespeichert() override { return FAusgangsPositionGespeichert; }
    void SetAusgangsPositionGespeichert(bool value) override { FAusgangsPositionGespeichert = value; }
    float GetValue() override { return FKurs; }
    void SetAusgangsPosition(const TSinglePoint& p) override;
    void SetValue(float value) override;
    void SetValueInc(int inc) override;
    void SetKurs(float value) override;
    void SetSelected(bool value) override;
    void SetPosition(const TSinglePoint& p) override;
    void SetSpeed(float value) override { FSpeed = value; }
    void SetVisible(bool value) override;
    // Slots outside 0..2 hold nothing and cannot be written.
    std::shared_ptr<IInstrument> GetInstrument(int i) override;
    void SetInstrument(int i, const std::shared_ptr<IInstrument>& value) override;

    // Untunes the instrument from its station(s) and detaches it from its aircraft.
    static void UnbindInstrument(const std::shared_ptr<IInstrument>& instrument);

    BitmapLayer* Layer() const { return FFLayer.get(); }
    ImageSurface* ImgNav() const { return FImgNav; }
    ImageSurface* ImgInstr() const { return FImgInstr; }
    std::shared_ptr<IObserver> Radial() const { return FRadial; }
    // The path this aircraft has flown while it was the active one.
    TFlugweg& Flugweg() { return FFlugweg; }

private:
    TFlugzeug(ImageSurface* imgNav, ImageSurface* imgInstr, const TSinglePoint& pos, int tag,
              const std::shared_ptr<IObserver>& radObj);
    void PlaceLayer();

    float FKurs = 0.0f;
    TSinglePoint FPos;
    TSinglePoint FMitte{31.0f, 31.0f};
    bool FSelected = false;
    float FSpeed = 1.0f;
    ImageSurface* FImgNav = nullptr;
    ImageSurface* FImgInstr = nullptr;
    std::array<TSinglePoint, 21> FFS;
    std::unique_ptr<BitmapLayer> FFLayer;
    std::shared_ptr<IObserver> FRadial;
    bool FVisible = true;
    TSinglePoint FAusgangsPosition;
    bool FAusgangsPositionGespeichert = false;
    std::array<std::shared_ptr<IInstrument>, SlotCount> FInstr;
    TFlugweg FFlugweg;
};
