#include "tests/support/testsupport.h"

QString ColorName(TColor32 color) { return QStringLiteral("%1").arg(color, 8, 16, QLatin1Char('0')).toUpper(); }
