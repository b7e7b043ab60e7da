#pragma once

#include "platform/Bitmap32.h"

// The colours the map and the instruments draw with, as 32-bit ARGB.
inline constexpr TColor32 clTransparent = 0x00000000;
inline constexpr TColor32 clWhite = 0xFFFFFFFF;
inline constexpr TColor32 clBlack = 0xFF000000;
inline constexpr TColor32 clGrey = 0xFF7F7F7F;
inline constexpr TColor32 clRed = 0xFFFF0000;
inline constexpr TColor32 clYellow = 0xFFFFFF00;
inline constexpr TColor32 clGreen = 0xFF007F00;
inline constexpr TColor32 clBlue = 0xFF0000FF;

// Red marks what is active (the selected aircraft, a station in use), grey what is not.
inline constexpr TColor32 clActive = clRed;
inline constexpr TColor32 clInactive = clGrey;
