#pragma once

#include "world/vxInterfaces.h"

#include <functional>
#include <memory>

class ImageSurface;

// The world does not know the instrument classes; the instruments layer
// registers a factory at start-up and the aircraft creates its instruments
// through it.
using TInstrumentFactory = std::function<std::shared_ptr<IInstrument>(
    int instrType, ImageSurface* image, int left, int top, int width, const std::shared_ptr<IObserver>& radial)>;

void SetInstrumentFactory(TInstrumentFactory factory);
// nullptr when no factory is registered or the type code is unknown.
std::shared_ptr<IInstrument> CreateInstrument(int instrType, ImageSurface* image, int left, int top, int width,
                                              const std::shared_ptr<IObserver>& radial);
