#include "instruments/InstrumentRegistry.h"

#include "instruments/HSI.h"
#include "instruments/KursKreisel.h"
#include "instruments/MDI.h"
#include "instruments/RBI.h"
#include "instruments/RMI.h"
#include "instruments/RMI2.h"
#include "instruments/VOR.h"
#include "world/InstrumentFactory.h"

namespace {

bool Register() {
    SetInstrumentFactory([](int instrType, ImageSurface* image, int left, int top, int width,
                            const std::shared_ptr<IObserver>& radial) -> std::shared_ptr<IInstrument> {
        switch (instrType) {
        case icRBI:
            return TRBI::Create(image, left, top, width, radial);
        case icMDI:
            return TMDI::Create(image, left, top, width, radial);
        case icRMI:
            return TRMI::Create(image, left, top, width, radial);
        case icKursKreisel:
            return TKursKreisel::Create(image, left, top, width, radial);
        case icVOR:
            return TVOR::Create(image, left, top, width, radial);
        case icHSI:
            return THSI::Create(image, left, top, width, radial);
        case icRMI2:
            return TRMI2::Create(image, left, top, width, radial);
        default:
            return nullptr;
        }
    });
    return true;
}

} // namespace

extern "C" const bool PeilomatInstrumentsRegistered = Register();
