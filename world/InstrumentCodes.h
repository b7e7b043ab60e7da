#pragma once

// Instrument type codes as an aircraft's slots, the instrument factory, the
// type buttons and scene files use them. Plain enums over int on purpose:
// they convert to int, so every operation that takes or returns a code as
// an int keeps its signature, and stored files keep their numbers.
enum TInstrumentCode : int {
    icRBI = 0,
    icMDI = 1,
    icRMI = 2,
    icKursKreisel = 3, // heading indicator
    icVOR = 4,         // VOR indicator
    icHSI = 5,
    icRMI2 = 6, // two-needle RMI
};
inline constexpr int InstrumentCodeCount = 7;

// The TO/FROM state of a course instrument.
enum TToFrom : int {
    tfTo = 0,
    tfFrom = 1,
    tfOff = 2, // no indication: no station tuned, or the aircraft too close to it
};
