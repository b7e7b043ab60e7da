#pragma once

#include <QString>

#include <array>

// The four speed step buttons of the animation group, slowest first.
struct TSpeedStep {
    const char* Name;
    const char* Caption;
    const char* Hint;
};
inline constexpr std::array<TSpeedStep, 4> SpeedSteps{{
    {"sbMinus10", "<<", "-50%|halbiert Geschwindigkeit"},
    {"sbMinus1", "<", "-10%|reduziert Geschwindigkeit um  10%"},
    {"sbPlus1", ">", "+10%|erhöht Geschwindigkeit um 10%"},
    {"sbPlus10", ">>", "+100%|verdoppelt Geschwindigkeit"},
}};

// What a step button does, in tenths of the speed: -10 halves it, +10 doubles
// it; 0 for any other caption.
int SpeedStepOf(const QString& caption);
