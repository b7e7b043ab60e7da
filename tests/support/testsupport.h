#pragma once

#include "platform/Bitmap32.h"

#include <QString>

// Alpha, red, green and blue of an ARGB colour, for readable test failures.
QString ColorName(TColor32 color);
