#pragma once

#include "platform/ImageSurface.h"
#include "platform/SinglePoint.h"
#include "world/I_Flugzeug.h"
#include "world/I_Stations.h"
#include "world/InstrumentUtilsClass.h" // PointOnRadial, to place the aircraft

#include <QImage>
#include <QString>

#include <memory>
#include <vector>

// One instrument as the program shows it, with what it needs around it: a
// map with an aircraft and stations, the aircraft's panel of three slots and
// an observer standing in for the radial layer. The instrument tests, the
// benchmark and instrument-render all build their instrument here, so that
// they look at the same set-up.
//
// Needs a QApplication (the surfaces are widgets).
class TInstrumentRig {
public:
    enum class TStationKind { VOR, NDB };

    // The aircraft at planePos with the given heading, selected (so it
    // announces its moves) and carrying its heading indicator in slot 0.
    // Without a radial observer of the caller's, a radial layer that only
    // counts its redraws stands in for the map's.
    explicit TInstrumentRig(const TSinglePoint& planePos, float heading = 0.0f,
                            std::shared_ptr<IObserver> radialObserver = {});
    // Ends every binding (they hold references both ways), so everything goes.
    ~TInstrumentRig();
    TInstrumentRig(const TInstrumentRig&) = delete;
    TInstrumentRig& operator=(const TInstrumentRig&) = delete;

    // A station on the map. Its frequency text, and so its name, is the next
    // number of its kind ("VOR 1", "NDB 2", ...) unless one is given; its tag
    // is its index in `stations`.
    std::shared_ptr<TStation> AddStation(TStationKind kind, const TSinglePoint& pos,
                                         const QString& freq = {});

    // The instrument of type code typ in the aircraft's slot, put there the way
    // the instrument panel does it; nullptr for an unknown type.
    std::shared_ptr<IInstrument> InSlot(int typ, int slot = 0);
    // The instrument alone at the top left of `alone` (width × width), bound to
    // the aircraft and shown. The aircraft's slots keep their instruments on
    // `panel`, so whatever `alone` repaints belongs to this instrument.
    std::shared_ptr<IInstrument> Alone(int typ, int width = TFlugzeug::SlotWidth);
    // The same for a class of instrument, created directly.
    template <class T> std::shared_ptr<T> Alone(int width = TFlugzeug::SlotWidth) {
        PrepareAlone(width);
        auto made = T::Create(&alone, 0, 0, width, radial);
        ShowAlone(made);
        return made;
    }

    // The same with a new station of the given kind at stationPos, which the
    // instrument is tuned to unless `tune` is false (stations.back()).
    template <class T>
    std::shared_ptr<T> AloneWithStation(TStationKind kind, const TSinglePoint& stationPos, bool tune = true,
                                        int width = TFlugzeug::SlotWidth) {
        const auto station = AddStation(kind, stationPos);
        auto made = Alone<T>(width);
        if (tune) Tune(station);
        return made;
    }

    // Tunes the instrument to station and, on a two-needle RMI, needle 2 to
    // station2; a station not given leaves its needle as it is.
    void Tune(const std::shared_ptr<IStationSubject>& station,
              const std::shared_ptr<IStationSubject>& station2 = {});

    // The surface the instrument stands on, and its square as it is shown there.
    ImageSurface& Surface() { return *m_surface; }
    QImage Shot() const;

    // From now on counts the drawing operations on the two layers (the layers
    // still hear of them) in faceDraws and needleDraws.
    void WatchLayers(BitmapLayer* face, BitmapLayer* needle);

    ImageSurface nav;   // the map, 1000 × 800
    ImageSurface panel; // the aircraft's three slots, 750 × 250
    ImageSurface alone; // an instrument on its own, sized by Alone
    int radialRedraws = 0;
    int faceDraws = 0;
    int needleDraws = 0;
    std::shared_ptr<IObserver> radial;
    std::shared_ptr<TFlugzeug> plane;
    std::vector<std::shared_ptr<TStation>> stations;
    std::shared_ptr<IInstrument> instrument;

private:
    void PrepareAlone(int width);
    void ShowAlone(const std::shared_ptr<IInstrument>& made);

    ImageSurface* m_surface = &panel;
    int m_width = TFlugzeug::SlotWidth;
    int m_left = 0;
    int m_vors = 0;
    int m_ndbs = 0;
};
