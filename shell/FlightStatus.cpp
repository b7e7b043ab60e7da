#include "shell/FlightStatus.h"

#include <QLabel>
#include <QLocale>
#include <QStatusBar>

#include <cmath>

QString FlightStatusText(float heading, float speed) {
    // Whole degrees as a compass shows them: 359.6 is north, 000.
    long degrees = std::isfinite(heading) ? std::lround(heading) % 360 : 0;
    if (degrees < 0) degrees += 360;
    QLocale german(QLocale::German);
    german.setNumberOptions(QLocale::OmitGroupSeparator);
    const double v = speed;
    QString speedText;
    if (!std::isfinite(v) || std::abs(v) >= 1e6)
        speedText = german.toString(v, 'e', 1);
    else
        // No "-0,0" for a speed that rounds to nothing.
        speedText = german.toString(std::abs(v) < 0.05 ? 0.0 : v, 'f', 1);
    return QStringLiteral("HDG %1°  v %2").arg(degrees, 3, 10, QLatin1Char('0')).arg(speedText);
}

TFlightStatus::TFlightStatus(QStatusBar* statusBar) {
    FLabel = new QLabel(statusBar);
    FLabel->setObjectName(QStringLiteral("lblFlugdaten"));
    FLabel->setContentsMargins(4, 0, 4, 0);
    statusBar->addPermanentWidget(FLabel);
}

QLabel* TFlightStatus::Label() const {
    return FLabel.data();
}

// An attached aircraft holds this observer, so by now it is detached.
TFlightStatus::~TFlightStatus() = default;

void TFlightStatus::Refresh() {
    if (!FLabel) return;
    const auto plane = Plane();
    if (!plane) {
        FShowing = false;
        FLabel->clear();
        return;
    }
    const float heading = plane->GetKurs();
    const float speed = plane->GetSpeed();
    if (FShowing && heading == FHeading && speed == FSpeed) return;
    FShowing = true;
    FHeading = heading;
    FSpeed = speed;
    FLabel->setText(FlightStatusText(heading, speed));
}
