#pragma once

#include <QString>

// Instrument type codes as the aircraft's slots and the type buttons use them.
enum TInstrumentCode : int {
    icRBI = 0,
    icMDI = 1,
    icRMI = 2,
    icKursKreisel = 3,
    icVOR = 4,
    icHSI = 5,
    icRMI2 = 6,
};

// Whether a station of the given type text ("VOR" or "NDB") belongs in the
// selector of an instrument of this code: the needle instruments take NDBs,
// VOR indicator and HSI take VORs, the two-needle RMI takes every station on
// both needles, the heading indicator none.
bool StationSuits(int typeCode, const QString& stationTyp);
