#pragma once

#include "platform/ImageSurface.h"
#include "platform/SinglePoint.h"
#include "world/BaseObserver.h"
#include "world/vxInterfaces.h"

#include <QSize>
#include <QString>

#include <array>
#include <memory>
#include <stdexcept>

// A broken internal rule (a programming error, not a user mistake). The text
// reads "<message> (<unit>, Zeile <line>)".
class EAssertionFailed : public std::logic_error {
public:
    EAssertionFailed(const char* message, const char* unit, int line);
};

// A radio station on the map with its symbol and label on a layer of its own.
// The symbol is red while at least one observer (an instrument tuned to it) is
// attached, grey otherwise.
class TStation : public TSubject, public IStationSubject {
public:
    static constexpr int SymbolSize = 50;

    ~TStation() override;
    TStation(const TStation&) = delete;
    TStation& operator=(const TStation&) = delete;

    void Attach(const std::shared_ptr<IObserver>& observer) override;
    void Detach(const std::shared_ptr<IObserver>& observer) override;

    QString GetFrequenz() override { return FFreq; }
    QString GetName() override { return FText; }
    TSinglePoint GetPosition() override { return FPos; }
    QString GetTyp() override { return FTyp; }
    void SetPosition(const TSinglePoint& p) override;

    virtual void Paint() = 0;

    BitmapLayer* Layer() const { return FSLayer.get(); }
    QSize TextSize() const { return FTb; }

protected:
    // Throws EAssertionFailed for an empty frequency text before anything is
    // put on the map.
    TStation(ImageSurface* image, const TSinglePoint& pos, const QString& freq, int tag);
    // The part of construction common to both types after the layer exists.
    void Finish(const QString& typ);
    void PlaceLayer();
    TColor32 StateColor() const;

    TSinglePoint FPos;
    TSinglePoint FMitte{25.0f, 34.0f};
    QString FFreq;
    QString FText;
    ImageSurface* FImg = nullptr;
    std::unique_ptr<BitmapLayer> FSLayer;
    QSize FTb;
    QString FTyp;
};

class TVOR_S : public TStation {
public:
    static std::shared_ptr<TVOR_S> Create(ImageSurface* image, const TSinglePoint& pos, const QString& freq,
                                          int tag);
    void Paint() override;

private:
    TVOR_S(ImageSurface* image, const TSinglePoint& pos, const QString& freq, int tag);
    std::array<TSinglePoint, 7> FP;
};

class TNDB_S : public TStation {
public:
    static std::shared_ptr<TNDB_S> Create(ImageSurface* image, const TSinglePoint& pos, const QString& freq,
                                          int tag);
    void Paint() override;

private:
    TNDB_S(ImageSurface* image, const TSinglePoint& pos, const QString& freq, int tag);
};
