#pragma once

#include "world/vxInterfaces.h"

#include <functional>
#include <memory>

class ImageSurface;

// The world does not know the instrument classes; the instruments layer fills
// this factory while the program loads, and the aircraft creates its
// instruments through it. A program without the instruments layer (the
// world's own tests) sets a factory of its own or gets empty slots.
using TInstrumentFactory = std::function<std::shared_ptr<IInstrument>(
    int instrType, ImageSurface* image, int left, int top, int width, const std::shared_ptr<IObserver>& radial)>;

void SetInstrumentFactory(TInstrumentFactory factory);
// nullptr when no factory is registered or the type code is unknown.
std::shared_ptr<IInstrument> CreateInstrument(int instrType, ImageSurface* image, int left, int top, int width,
                                              const std::shared_ptr<IObserver>& radial);
