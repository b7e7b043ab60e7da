#pragma once

#include "platform/ImageSurface.h"
#include "platform/SinglePoint.h"
#include "world/I_Flugzeug.h"
#include "world/I_Stations.h"
#include "world/RadialLayer.h"

#include <QImage>

#include <functional>
#include <memory>

// An aircraft, a VOR station and one course instrument (VOR indicator or HSI)
// on a panel of its own, bound and tuned the way the program does it. The
// aircraft keeps its own instruments on a separate panel so that the repaint
// count of `panel` belongs to the instrument under test alone.
struct TCourseRig {
    TCourseRig(const TSinglePoint& planePos, const TSinglePoint& stationPos);
    ~TCourseRig();

    // Creates the instrument at (0, 0), width 250, binds it to the aircraft,
    // shows it and, if `tune`, tunes it to the station.
    template <class T> std::shared_ptr<T> Make(bool tune = true) {
        auto ins = T::Create(&panel, 0, 0, 250, radial);
        ins->SetPlaneSubject(plane);
        ins->SetVisible(true);
        if (tune) ins->SetStationSubject(station);
        instrument = ins;
        return ins;
    }

    // From now on counts the drawing operations on the face layer and on
    // the needle layer (the layers still hear of them).
    void WatchLayers(BitmapLayer* face, BitmapLayer* needle);

    QImage Shot() const { return panel.Render(); }

    ImageSurface nav;
    ImageSurface planePanel;
    ImageSurface panel;
    int radialRedraws = 0;
    int faceDraws = 0;
    int needleDraws = 0;
    std::shared_ptr<TRadialLayer> radial;
    std::shared_ptr<TFlugzeug> plane;
    std::shared_ptr<TVOR_S> station;
    std::shared_ptr<IInstrument> instrument;
};

// Point at `distance` map pixels from `station` on the given radial.
TSinglePoint OnRadial(const TSinglePoint& station, float radialDeg, float distance);

// Colour classes of the faces (ARGB as Bitmap32 reads it back).
bool IsYellowish(unsigned int argb);
bool IsGreenish(unsigned int argb);
bool IsReddish(unsigned int argb);
bool IsWhitish(unsigned int argb);
unsigned int PixelOf(const QImage& image, int x, int y);
// Whether any pixel within `radius` (square) of p passes the test.
bool AnyNear(const QImage& image, float x, float y, int radius,
             const std::function<bool(unsigned int)>& test);
// Centre of the yellow in row y between x0 and x1, weighted by how yellow
// each pixel is; negative when there is none.
float YellowCentreX(const QImage& image, int y, int x0, int x1);
