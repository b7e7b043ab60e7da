#include "rig/InstrumentRig.h"

#include "world/InstrumentFactory.h"
#include "world/RadialLayer.h"

TInstrumentRig::TInstrumentRig(const TSinglePoint& planePos, float heading,
                               std::shared_ptr<IObserver> radialObserver)
    : radial(std::move(radialObserver)) {
    nav.SetBitmapSize(1000, 800);
    panel.SetBitmapSize(TFlugzeug::SlotCount * TFlugzeug::SlotWidth, TFlugzeug::SlotWidth);
    if (!radial) radial = std::make_shared<TRadialLayer>([this] { ++radialRedraws; });
    plane = TFlugzeug::Create(&nav, &panel, planePos, 0, radial);
    plane->SetSelected(true);
    plane->SetValue(heading);
}

TInstrumentRig::~TInstrumentRig() {
    if (instrument && m_surface == &alone) TFlugzeug::UnbindInstrument(instrument);
    for (int i = 0; i < TFlugzeug::SlotCount; ++i)
        plane->AddInstrument(icRBI, i, false);
}

std::shared_ptr<TStation> TInstrumentRig::AddStation(TStationKind kind, const TSinglePoint& pos,
                                                     const QString& freq) {
    const int tag = static_cast<int>(stations.size());
    std::shared_ptr<TStation> station;
    if (kind == TStationKind::VOR)
        station = TVOR_S::Create(&nav, pos, freq.isEmpty() ? QString::number(++m_vors) : freq, tag);
    else
        station = TNDB_S::Create(&nav, pos, freq.isEmpty() ? QString::number(++m_ndbs) : freq, tag);
    stations.push_back(station);
    return station;
}

std::shared_ptr<IInstrument> TInstrumentRig::InSlot(int typ, int slot) {
    plane->AddInstrument(typ, slot, true);
    instrument = plane->GetInstrument(slot);
    m_surface = &panel;
    m_width = TFlugzeug::SlotWidth;
    m_left = slot * TFlugzeug::SlotWidth;
    return instrument;
}

std::shared_ptr<IInstrument> TInstrumentRig::Alone(int typ, int width) {
    PrepareAlone(width);
    auto made = CreateInstrument(typ, &alone, 0, 0, width, radial);
    ShowAlone(made);
    return made;
}

void TInstrumentRig::PrepareAlone(int width) {
    alone.SetBitmapSize(width, width);
    m_surface = &alone;
    m_width = width;
    m_left = 0;
}

void TInstrumentRig::ShowAlone(const std::shared_ptr<IInstrument>& made) {
    instrument = made;
    if (!made) return;
    if (auto bound = std::dynamic_pointer_cast<IInstrumentMitPlane>(made)) bound->SetPlaneSubject(plane);
    made->SetVisible(true);
}

void TInstrumentRig::Tune(const std::shared_ptr<IStationSubject>& station,
                          const std::shared_ptr<IStationSubject>& station2) {
    if (station) {
        if (auto tuned = std::dynamic_pointer_cast<IInstrumentMitStation>(instrument))
            tuned->SetStationSubject(station);
    }
    if (!station2) return;
    if (auto rmi2 = std::dynamic_pointer_cast<IRMI2>(instrument)) rmi2->SetStation2Subject(station2);
}

QImage TInstrumentRig::Shot() const {
    return m_surface->Render().copy(m_left, 0, m_width, m_width);
}

void TInstrumentRig::WatchLayers(BitmapLayer* face, BitmapLayer* needle) {
    face->Bitmap().SetOnChanged([this, face] {
        ++faceDraws;
        face->Changed();
    });
    needle->Bitmap().SetOnChanged([this, needle] {
        ++needleDraws;
        needle->Changed();
    });
}
