#pragma once

#include "platform/Bitmap32.h"
#include "platform/SinglePoint.h"
#include "world/InstrumentCodes.h"

#include <QTransform>

#include <numbers>
#include <span>
#include <vector>

// Angles: degrees clockwise from north. Drawing helpers take a direction
// Theta in radians whose forward vector is (sin Theta, cos Theta): 0 points
// down, pi/2 right, pi up; a compass angle A becomes Theta = pi - A*pi/180.

inline constexpr float DegToRad = std::numbers::pi_v<float> / 180.0f;

// A clock or compass angle in degrees as the direction Theta of the needle helpers.
inline float NeedleTheta(float clockDeg) {
    return std::numbers::pi_v<float> - clockDeg * DegToRad;
}

// Shapes are written once in a frame of their own and placed with a
// transform (translate to where they stand, rotate to where they point).
TSinglePoint PlacePoint(const QTransform& t, float x, float y);
std::vector<TSinglePoint> PlaceShape(const QTransform& t, std::span<const TSinglePoint> shape);

// The frame of a needle through (x0, y0) pointing along Theta: x across the
// needle (the helpers' n), y along it towards the head (their f).
QTransform NeedleFrame(float x0, float y0, float theta);

// Brings an angle into [0, 360) in single precision (a tiny negative value
// may round up to 360 itself).
float NormalizeAngle(float value);

// Bearing of p2 as seen from p1, in (0, 360]: due north gives 360. Coincident
// points give 270. dx, dy are p1 - p2.
void BearingBetween(const TSinglePoint& p1, const TSinglePoint& p2, long double& dx, long double& dy,
                    long double& angle);

// The way back: the point `distance` map pixels from `station` on the given
// radial (the bearing of the point as seen from the station, degrees
// clockwise from north; map y grows downwards).
TSinglePoint PointOnRadial(const TSinglePoint& station, float radialDeg, float distance);

// Course deviation of the aircraft on radial `bearing` from the selected
// `course`. state (a TToFrom): callers set it to tfOff (no usable signal) or
// tfTo before the call; unless it is tfOff it becomes tfFrom for |D| <= 90.
float CourseDeviation(int& state, float bearing, float course);

// Hollow needle of nine lines around (x0, y0): head of length t and width w2,
// shaft of width w1, one tail stroke.
void DrawNeedleOutline(Bitmap32& bitmap, TColor32 color, float x0, float y0, float l, float w1, float t,
                       float w2, float theta);

// Filled needle through (x0, y0): head length t and width wb, shaft width wa,
// tail to -l; k != 0 leaves a gap of half-length k around the centre.
void DrawNeedle(Bitmap32& bitmap, TColor32 color, float x0, float y0, float l, float wa, float t, float wb,
                float theta, float k);

// Line of width w as one filled quadrilateral; nothing for identical end points.
void DrawThickLine(Bitmap32& bitmap, TColor32 color, float x1, float y1, float x2, float y2, float w);
