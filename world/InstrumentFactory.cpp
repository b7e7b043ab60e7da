#include "world/InstrumentFactory.h"

namespace {
TInstrumentFactory& Factory() {
    static TInstrumentFactory factory;
    return factory;
}
} // namespace

void SetInstrumentFactory(TInstrumentFactory factory) { Factory() = std::move(factory); }

std::shared_ptr<IInstrument> CreateInstrument(int instrType, ImageSurface* image, int left, int top, int width,
                                              const std::shared_ptr<IObserver>& radial) {
    if (!Factory()) return nullptr;
    return Factory()(instrType, image, left, top, width, radial);
}
