#include "shell/Animation.h"

#include "shell/FlightStatus.h"
#include "shell/I_MainForm.h"
#include "shell/ModalRunner.h"
#include "shell/WertEingabeForm.h"
#include "world/FlugwegLayer.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QTimer>

#include <cmath>
#include <numbers>

// The active aircraft flies along its heading, one step per tick of
// tmrAnimation; the speed buttons change its speed, holding one repeats it
// through Timer1.

// What a step button does, in tenths of the speed: -10 halves it, +10 doubles it.
int SpeedStepOf(const QString& caption) {
    if (caption == QLatin1String("<<")) return -10;
    if (caption == QLatin1String("<")) return -1;
    if (caption == QLatin1String(">")) return 1;
    if (caption == QLatin1String(">>")) return 10;
    return 0;
}

void TfrmMainTalvex::btnAnimStartClick() {
    btnAnimStop->setEnabled(true);
    btnAnimStart->setEnabled(false);
    btnAnimReset->setEnabled(true);
    if (const auto plane = ActivePlane()) plane->SetAusgangsPosition(plane->GetPosition());
    tmrAnimation->start();
}

void TfrmMainTalvex::btnAnimStopClick() {
    btnAnimStop->setEnabled(false);
    btnAnimStart->setEnabled(true);
    tmrAnimation->stop();
}

void TfrmMainTalvex::btnAnimResetClick() {
    btnAnimStopClick();
    if (const auto plane = ActivePlane()) {
        plane->SetPosition(plane->GetAusgangsPosition());
        plane->SetAusgangsPositionGespeichert(false);
    }
    // Back at the start, the lesson's flight begins again.
    if (Flugweg) Flugweg->ClearTrack();
    btnAnimReset->setEnabled(false);
}

void TfrmMainTalvex::tmrAnimationTimer() {
    const auto plane = ActivePlane();
    if (!plane) return;
    const long double heading =
        static_cast<long double>(plane->GetKurs()) * std::numbers::pi_v<long double> / 180;
    const long double speed = plane->GetSpeed();
    const TSinglePoint p = plane->GetPosition();
    plane->SetPosition(TSinglePoint{static_cast<float>(p.X + speed * std::sin(heading)),
                                    static_cast<float>(p.Y - speed * std::cos(heading))});
}

void TfrmMainTalvex::ApplySpeedButton(QAbstractButton* button) {
    const auto plane = ActivePlane();
    if (!plane || !button) return;
    const double d = SpeedStepOf(button->text());
    const double v = plane->GetSpeed();
    plane->SetSpeed(static_cast<float>(d <= 0 ? v / (1.0 - d / 10.0) : v * (1.0 + d / 10.0)));
    // A speed announces no change of its own.
    if (FlightStatus) FlightStatus->Refresh();
}

void TfrmMainTalvex::sbMouseDown(QAbstractButton* button) {
    btnMouseDown = button;
    Timer1->setInterval(SpeedRepeatMs);
    Timer1->start();
}

void TfrmMainTalvex::Timer1Timer() {
    if (btnMouseDown) ApplySpeedButton(btnMouseDown);
}

void TfrmMainTalvex::sbMouseUp(QAbstractButton* /*button*/) {
    if (btnMouseDown) {
        ApplySpeedButton(btnMouseDown);
        btnMouseDown = nullptr;
    }
    Timer1->stop();
}

void TfrmMainTalvex::sbVClick() {
    const auto plane = ActivePlane();
    if (!plane) return;
    const float v = plane->GetSpeed();
    TfrmWertEing dialog(this);
    dialog.SetFileTheme(Theme.ThemeFile);
    dialog.SetUIStyle(Theme.UIStyle);
    dialog.SetWert(v);
    if (RunModal(dialog) != QDialog::Accepted) return;
    // Applied as a difference, so that confirming unchanged fields keeps the
    // speed exactly, whatever digits the fields could not show.
    plane->SetSpeed(static_cast<float>(static_cast<double>(v) + dialog.WertAenderung()));
    if (FlightStatus) FlightStatus->Refresh();
}
