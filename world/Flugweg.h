#pragma once

#include "platform/SinglePoint.h"

#include <cstddef>
#include <deque>
#include <vector>

// The path an aircraft has flown (or was dragged along), as a bounded list of
// points. Where the path runs straight, consecutive points collapse into one
// segment, so an hour of straight flight costs two points, not 180,000. The
// path may consist of several pieces: a jump (a random position) starts a new
// piece instead of drawing a line across the map.
class TFlugweg {
public:
    // At most this many points are kept; the oldest go first.
    static constexpr std::size_t MaxPoints = 20000;
    // A point closer than this to the last one adds nothing (pixels).
    static constexpr float MinStep = 0.5f;
    // A point that lies no further than this from the line of the current
    // segment extends it instead of starting a new one (pixels).
    static constexpr float StraightTolerance = 0.35f;

    struct TPunkt {
        TSinglePoint P;
        bool NeuesStueck = false; // starts a piece (no line from the point before)
    };

    // What Add did, so that a drawer can paint only the new part.
    enum class TAdd {
        Ignored,  // too close to the last point
        Started,  // first point of a new piece: nothing to draw yet
        Extended, // the last point moved further along a straight segment
        Appended, // a new segment from the previous last point
    };

    TAdd Add(const TSinglePoint& p);
    // The next point starts a new piece.
    void Break() { FBreak = true; }
    void Clear();

    bool Empty() const { return FPunkte.empty(); }
    std::size_t Size() const { return FPunkte.size(); }
    const std::deque<TPunkt>& Punkte() const { return FPunkte; }

    // The path as pieces of points, as a scene stores it; and back (keeping
    // the newest MaxPoints, pieces of no point dropped).
    std::vector<std::vector<TSinglePoint>> Stuecke() const;
    void SetStuecke(const std::vector<std::vector<TSinglePoint>>& stuecke);

private:
    void Push(const TPunkt& punkt);

    std::deque<TPunkt> FPunkte;
    bool FBreak = true;
    // Direction of the current straight segment (unit vector), valid when
    // FDirValid; it is fixed by the segment's first step so that the points a
    // segment swallows all lie within the tolerance of its line.
    float FDirX = 0.0f;
    float FDirY = 0.0f;
    bool FDirValid = false;
};
