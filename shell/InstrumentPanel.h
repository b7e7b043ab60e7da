#pragma once

#include "world/InstrumentCodes.h"

#include <QString>

// Whether a station of the given type text ("VOR" or "NDB") belongs in the
// selector of an instrument of this code: the needle instruments take NDBs,
// VOR indicator and HSI take VORs, the two-needle RMI takes every station on
// both needles, the heading indicator none.
bool StationSuits(int typeCode, const QString& stationTyp);
