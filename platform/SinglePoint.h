#pragma once

// A map or bitmap position in pixels, single precision like everything the
// instruments compute with.
struct TSinglePoint {
    float X = 0.0f;
    float Y = 0.0f;

    friend bool operator==(const TSinglePoint& a, const TSinglePoint& b) { return a.X == b.X && a.Y == b.Y; }
};
