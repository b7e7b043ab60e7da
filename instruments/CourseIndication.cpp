#include "instruments/CourseIndication.h"

#include "world/InstrumentUtilsClass.h"

#include <cmath>

TCourseIndication ComputeCourseIndication(bool tuned, const TSinglePoint& station, const TSinglePoint& plane,
                                          float course) {
    TCourseIndication result;
    if (!tuned) return result;
    long double dx = 0, dy = 0, radial = 0;
    BearingBetween(station, plane, dx, dy, radial);
    int state = std::sqrt(dx * dx + dy * dy) < MinStationDistance ? tfOff : tfTo;
    result.Ablage = CourseDeviation(state, static_cast<float>(radial), course);
    result.ToFrom = state;
    return result;
}
