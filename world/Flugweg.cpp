#include "world/Flugweg.h"

#include <cmath>

namespace {
bool Finite(const TSinglePoint& p) {
    return std::isfinite(p.X) && std::isfinite(p.Y);
}
} // namespace

TFlugweg::TAdd TFlugweg::Add(const TSinglePoint& p) {
    if (!Finite(p)) return TAdd::Ignored;
    if (!FPunkte.empty()) {
        const TSinglePoint last = FPunkte.back().P;
        const float dx = p.X - last.X;
        const float dy = p.Y - last.Y;
        const float dist = std::hypot(dx, dy);
        if (dist < MinStep) {
            // Coming back to where the path stopped continues it: a scene
            // opened with its track must not grow a piece per opening.
            FBreak = false;
            return TAdd::Ignored;
        }
        if (!FBreak) {
            if (FDirValid && FPunkte.size() >= 2 && !FPunkte.back().NeuesStueck) {
                const TSinglePoint anchor = FPunkte[FPunkte.size() - 2].P;
                const float ax = p.X - anchor.X;
                const float ay = p.Y - anchor.Y;
                const float off = std::fabs(ax * FDirY - ay * FDirX);
                const float ahead = dx * FDirX + dy * FDirY;
                if (off <= StraightTolerance && ahead > 0.0f) {
                    FPunkte.back().P = p;
                    return TAdd::Extended;
                }
            }
            Push({p, false});
            FDirX = dx / dist;
            FDirY = dy / dist;
            FDirValid = true;
            return TAdd::Appended;
        }
    }
    // A piece of a single point shows nothing: a jump right after a jump replaces it.
    if (!FPunkte.empty() && FPunkte.back().NeuesStueck) FPunkte.pop_back();
    Push({p, true});
    FBreak = false;
    FDirValid = false;
    return TAdd::Started;
}

void TFlugweg::Clear() {
    FPunkte.clear();
    FBreak = true;
    FDirValid = false;
}

void TFlugweg::Push(const TPunkt& punkt) {
    if (FPunkte.size() >= MaxPoints) {
        FPunkte.pop_front();
        if (!FPunkte.empty()) FPunkte.front().NeuesStueck = true;
    }
    FPunkte.push_back(punkt);
}

std::vector<std::vector<TSinglePoint>> TFlugweg::Stuecke() const {
    std::vector<std::vector<TSinglePoint>> stuecke;
    for (const TPunkt& punkt : FPunkte) {
        if (punkt.NeuesStueck || stuecke.empty()) stuecke.emplace_back();
        stuecke.back().push_back(punkt.P);
    }
    return stuecke;
}

void TFlugweg::SetStuecke(const std::vector<std::vector<TSinglePoint>>& stuecke) {
    Clear();
    std::size_t total = 0;
    for (const auto& stueck : stuecke)
        total += stueck.size();
    std::size_t skip = total > MaxPoints ? total - MaxPoints : 0;
    for (const auto& stueck : stuecke) {
        bool first = true;
        for (const TSinglePoint& p : stueck) {
            if (skip > 0) {
                --skip;
                continue;
            }
            if (!Finite(p)) continue;
            FPunkte.push_back({p, first || FPunkte.empty()});
            first = false;
        }
    }
    // The path goes on from its last point when the aircraft stands there.
    FBreak = true;
    FDirValid = false;
}
