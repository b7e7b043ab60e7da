#include "instruments/InstrumentRegistry.h"

#include "instruments/HSI.h"
#include "instruments/KursKreisel.h"
#include "instruments/MDI.h"
#include "instruments/RBI.h"
#include "instruments/RMI.h"
#include "instruments/RMI2.h"
#include "instruments/VOR.h"
#include "world/InstrumentFactory.h"

#include <array>

namespace {

using TCreate = std::shared_ptr<IInstrument> (*)(ImageSurface*, int, int, int,
                                                 const std::shared_ptr<IObserver>&);

template <class T>
std::shared_ptr<IInstrument> Create(ImageSurface* image, int left, int top, int width,
                                    const std::shared_ptr<IObserver>& radial) {
    return T::Create(image, left, top, width, radial);
}

// The class of each type code, indexed by the code.
constexpr std::array<TCreate, InstrumentCodeCount> ByCode = [] {
    std::array<TCreate, InstrumentCodeCount> byCode{};
    byCode[icRBI] = &Create<TRBI>;
    byCode[icMDI] = &Create<TMDI>;
    byCode[icRMI] = &Create<TRMI>;
    byCode[icKursKreisel] = &Create<TKursKreisel>;
    byCode[icVOR] = &Create<TVOR>;
    byCode[icHSI] = &Create<THSI>;
    byCode[icRMI2] = &Create<TRMI2>;
    return byCode;
}();

bool Register() {
    SetInstrumentFactory([](int instrType, ImageSurface* image, int left, int top, int width,
                            const std::shared_ptr<IObserver>& radial) -> std::shared_ptr<IInstrument> {
        if (instrType < 0 || instrType >= InstrumentCodeCount) return nullptr;
        // A code left out of the table makes nothing rather than a call through null; the
        // registry's test names the code.
        const TCreate create = ByCode[static_cast<std::size_t>(instrType)];
        return create ? create(image, left, top, width, radial) : nullptr;
    });
    return true;
}

} // namespace

extern "C" const bool PeilomatInstrumentsRegistered = Register();
