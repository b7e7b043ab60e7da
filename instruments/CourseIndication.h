#pragma once

#include "platform/SinglePoint.h"
#include "world/InstrumentCodes.h"

// What a course instrument (VOR indicator, HSI) shows for an aircraft and a
// station: the TO/FROM state (a TToFrom) and the course
// deviation in degrees, negative when the course line lies to the left.
struct TCourseIndication {
    int ToFrom = tfOff;
    float Ablage = 0.0f;
};

// Below this distance from the station (map pixels) the radial means nothing.
inline constexpr float MinStationDistance = 10.0f;

// Untuned, or closer to the station than MinStationDistance: no indication.
TCourseIndication ComputeCourseIndication(bool tuned, const TSinglePoint& station, const TSinglePoint& plane,
                                          float course);
