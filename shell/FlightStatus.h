#pragma once

#include "shell/PlaneWatcher.h"

#include <QPointer>
#include <QString>

#include <memory>

class QLabel;
class QStatusBar;

// "HDG 090°  v 1,0": the heading in whole degrees and the speed in map pixels
// per step with one decimal, as the status line shows them.
QString FlightStatusText(float heading, float speed);

// The heading and speed of the active aircraft in a permanent part at the
// right of the status line, which the hints shown on the rest never cover.
// The speed announces no change of its own: who sets it calls Refresh; a
// flying aircraft shows a changed speed with its next step anyway.
class TFlightStatus : public TPlaneWatcher {
public:
    explicit TFlightStatus(QStatusBar* statusBar);
    ~TFlightStatus() override;
    TFlightStatus(const TFlightStatus&) = delete;
    TFlightStatus& operator=(const TFlightStatus&) = delete;

    // Without an aircraft the part is empty.
    void Refresh() override;

    QLabel* Label() const;

    TNotificationTypes GetNotificationTypes() override { return {ntPosition, ntHeading}; }

private:
    QPointer<QLabel> FLabel;
    // What the label shows, so that a step that changes neither costs nothing.
    bool FShowing = false;
    float FHeading = 0;
    float FSpeed = 0;
};
