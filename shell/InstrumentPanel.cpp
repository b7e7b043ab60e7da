#include "shell/InstrumentPanel.h"

#include "shell/I_MainForm.h"
#include "shell/ValuePanel.h"
#include "world/BaseObserver.h"
#include "world/FlugwegLayer.h"
#include "world/I_Flugzeug.h"
#include "world/Szene.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

// The instrument panel: which aircraft is active, what its three slots hold
// and which station each instrument is tuned to. The type buttons, the
// station selectors and the aircraft selector act here; afterwards
// UpdateInstrumentPanel brings every control in line with the active
// aircraft. The shell only chooses and tunes instruments; what they show
// follows by notification.

bool StationSuits(int typeCode, const QString& stationTyp) {
    // The same rule decides what a scene file may tune.
    return Szene::StationPasst(typeCode, stationTyp);
}

TfrmMainTalvex::TSlotControls TfrmMainTalvex::SlotControls(int slot) const {
    const auto k = static_cast<std::size_t>(slot + 1);
    switch (slot) {
    case 0:
        return {{sbKK, sbHSI1}, pnlSetValues1, cbFreq1, nullptr};
    case 1:
        return {{sbVOR[k], sbHSI[k], sbRBI[k], sbMDI[k], sbRMI[k]}, pnlSetValues2, cbFreq2, cbLFreq2};
    default:
        return {{sbVOR[k], sbHSI[k], sbRBI[k], sbMDI[k], sbRMI[k]}, pnlSetValues3, cbFreq3, cbLFreq3};
    }
}

// ---------------------------------------------------------------------------
// Type buttons

void TfrmMainTalvex::sbKKClick(QAbstractButton* button) {
    TypeButtonClick(button, icKursKreisel);
}

void TfrmMainTalvex::sbHSIClick(QAbstractButton* button) {
    TypeButtonClick(button, icHSI);
}

void TfrmMainTalvex::sbVORClick(QAbstractButton* button) {
    TypeButtonClick(button, icVOR);
}

void TfrmMainTalvex::sbRBIClick(QAbstractButton* button) {
    TypeButtonClick(button, icRBI);
}

void TfrmMainTalvex::sbMDIClick(QAbstractButton* button) {
    TypeButtonClick(button, icMDI);
}

void TfrmMainTalvex::sbRMIClick(QAbstractButton* button) {
    TypeButtonClick(button, mm2OptRMImitzweiZeigern->isChecked() ? icRMI2 : icRMI);
}

void TfrmMainTalvex::TypeButtonClick(QAbstractButton* button, int code) {
    const auto plane = ActivePlane();
    if (!plane || !button) return;
    const int slot = button->property("groupIndex").toInt() - 1;
    {
        // Everything the new instrument and the release of the old one
        // announce ends in one redraw of the lines.
        const TNotificationBracket bracket;
        plane->AddInstrument(code, slot, button->isChecked());
        if (code == icVOR) {
            if (const auto vor = std::dynamic_pointer_cast<IVOR>(plane->GetInstrument(slot)))
                vor->SetDirToStation(mm2OptRtSm->isChecked());
        }
        UpdateInstrumentPanel(FSelectedPlane);
    }
    // An instrument that left its slot took its lines with it; in any slot,
    // not only the left one, they must go from the map at once.
    DrawRadials();
}

// ---------------------------------------------------------------------------
// Bringing the panel in line with an aircraft

void TfrmMainTalvex::UpdateInstrumentPanel(int index) {
    if (index < 0 || index >= static_cast<int>(Flugzeuge.size())) return;
    const auto& plane = Flugzeuge[static_cast<std::size_t>(index)];
    if (!plane) return;
    for (int slot = 0; slot < TFlugzeug::SlotCount; ++slot) {
        const TSlotControls c = SlotControls(slot);
        auto instrument = plane->GetInstrument(slot);
        if (instrument && !instrument->GetVisible()) instrument.reset();
        // Down states set from code fire no click handler; the groups keep
        // at most one button down.
        if (slot == 0) {
            if (!instrument) continue;
            const int code = instrument->GetTyp();
            if (code == icHSI) sbHSI1->setChecked(true);
            if (code == icKursKreisel) sbKK->setChecked(true);
            BindValuePanel(c.Values, instrument);
            const bool tuned = sbHSI1->isChecked();
            if (tuned) {
                FillStationList(cbFreq1, icHSI);
                SelectTunedStation(cbFreq1, instrument);
            }
            cbFreq1->setVisible(tuned);
            pnlSetHeading->SetValueSettingInterface(std::dynamic_pointer_cast<IValueSetting>(plane));
            continue;
        }
        if (!instrument) {
            for (QToolButton* b : c.Buttons)
                b->setChecked(false);
            c.Values->SetValueSettingInterface(nullptr);
            c.Values->setVisible(false);
            c.Selector->clear();
            c.Selector->setVisible(false);
            if (!c.Selector2->isHidden()) c.Selector2->clear();
            c.Selector2->setVisible(false);
            continue;
        }
        const int code = instrument->GetTyp();
        for (QToolButton* b : c.Buttons) {
            const int buttonCode = b->property("typeCode").toInt();
            b->setChecked(buttonCode == code || (buttonCode == icRMI && code == icRMI2));
        }
        BindValuePanel(c.Values, instrument);
        FillStationList(c.Selector, code);
        SelectTunedStation(c.Selector, instrument);
        c.Selector->setVisible(true);
        if (code == icRMI2) {
            FillStationList(c.Selector2, icRMI2);
            SelectTunedStation(c.Selector2, instrument);
            c.Selector2->setVisible(true);
        } else {
            c.Selector2->setVisible(false);
        }
    }
}

void TfrmMainTalvex::BindValuePanel(TsuiSetValuePanel* panel,
                                    const std::shared_ptr<IInstrument>& instrument) {
    const auto setting = std::dynamic_pointer_cast<IValueSetting>(instrument);
    panel->SetValueSettingInterface(setting);
    panel->setVisible(setting != nullptr);
}

void TfrmMainTalvex::FillStationList(QComboBox* selector, int code) {
    const QSignalBlocker quiet(selector);
    selector->clear();
    for (const auto& station : Stationen) {
        if (station && StationSuits(code, station->GetTyp())) selector->addItem(station->GetName());
    }
    // A refilled list names no station until the tuned one is selected.
    selector->setCurrentIndex(-1);
}

void TfrmMainTalvex::SelectTunedStation(QComboBox* selector, const std::shared_ptr<IInstrument>& instrument) {
    QString wanted;
    if (const auto tuned = std::dynamic_pointer_cast<IInstrumentMitStation>(instrument)) {
        wanted = tuned->GetStation();
        if (instrument->GetTyp() == icRMI2 && selector->property("tag").toInt() < 0) {
            const auto rmi2 = std::dynamic_pointer_cast<IRMI2>(instrument);
            wanted = rmi2 ? rmi2->GetStation2() : QString();
        }
    }
    if (wanted.isEmpty()) {
        const QSignalBlocker quiet(selector);
        selector->setCurrentIndex(-1);
        return;
    }
    const int entry = selector->findText(wanted, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry < 0) return;
    const QSignalBlocker quiet(selector);
    selector->setCurrentIndex(entry);
}

// ---------------------------------------------------------------------------
// Tuning

void TfrmMainTalvex::cbFreqChange(QComboBox* selector) {
    if (!selector || selector->currentIndex() < 0) return;
    TuneInstrument(ActivePlane(), selector->currentText(), false, selector->property("tag").toInt());
}

void TfrmMainTalvex::TuneInstrument(const std::shared_ptr<IPlaneSubject>& plane, const QString& name,
                                    bool reattachOnly, int slotCode) {
    if (!plane) return;
    const bool second = slotCode < 0;
    const int slot = second ? -slotCode : slotCode;
    const auto instrument = plane->GetInstrument(slot);
    const auto observer = std::dynamic_pointer_cast<IObserver>(instrument);
    if (!observer || !observer->GetNotificationTypes().Contains(ntStationPosition)) return;
    const auto first = std::dynamic_pointer_cast<IInstrumentMitStation>(instrument);
    const auto rmi2 = std::dynamic_pointer_cast<IRMI2>(instrument);
    if (second ? !rmi2 : !first) return;
    const auto current = [&] { return second ? rmi2->GetStation2() : first->GetStation(); };
    const auto tune = [&](const std::shared_ptr<IStationSubject>& station) {
        if (second)
            rmi2->SetStation2Subject(station);
        else
            first->SetStationSubject(station);
    };
    // Untuning and tuning on the way end in one redraw of the lines.
    const TNotificationBracket bracket;
    if (reattachOnly) {
        if (name.isEmpty()) {
            if (second)
                rmi2->DetachStation2Subject();
            else
                first->DetachStationSubject();
        } else if (second) {
            rmi2->AttachStation2Subject();
        } else {
            first->AttachStationSubject();
        }
        return;
    }
    for (const auto& station : Stationen) {
        if (!station) continue;
        const QString stationName = station->GetName();
        if (!name.isEmpty() && stationName == name) {
            if (current() != name) tune(station);
        } else if (current() == stationName) {
            tune(nullptr);
        }
    }
}

// ---------------------------------------------------------------------------
// The active aircraft

void TfrmMainTalvex::seFlugzeugChange() {
    if (Flugzeuge.empty()) return;
    // The selector keeps its value within range; the index is bounded here as
    // well, so no text can ever select an aircraft that does not exist.
    const int count = static_cast<int>(Flugzeuge.size());
    const int index = std::clamp(seFlugzeug->value(), 1, count) - 1;
    // Detaching, attaching and re-attaching end in one redraw of the lines,
    // drawn for the new aircraft as it finally is.
    const TNotificationBracket bracket;
    if (const auto previous = ActivePlane(); previous && IRadial) previous->Detach(IRadial);
    FSelectedPlane = index;
    if (const auto active = ActivePlane(); active && IRadial) active->Attach(IRadial);
    FollowActivePlane();
    btnAnimStopClick();
    for (int i = 0; i < count; ++i) {
        const auto& plane = Flugzeuge[static_cast<std::size_t>(i)];
        if (!plane) continue;
        const bool selected = i == FSelectedPlane;
        plane->SetSelected(selected);
        if (selected) {
            btnAnimReset->setEnabled(plane->GetAusgangsPositionGespeichert());
            btnVisible->setText(plane->GetVisible() ? QStringLiteral("Flugzeug unsichtbar")
                                                    : QStringLiteral("Flugzeug sichtbar"));
        }
        // Only the active aircraft's instruments follow their stations;
        // which station each one is tuned to does not change.
        for (int slot = 0; slot < TFlugzeug::SlotCount; ++slot) {
            const auto instrument = plane->GetInstrument(slot);
            if (!instrument) continue;
            QString name1, name2;
            if (selected) {
                if (const auto tuned = std::dynamic_pointer_cast<IInstrumentMitStation>(instrument))
                    name1 = tuned->GetStation();
                if (const auto rmi2 = std::dynamic_pointer_cast<IRMI2>(instrument))
                    name2 = rmi2->GetStation2();
            }
            TuneInstrument(plane, name1, true, slot);
            if (instrument->GetTyp() == icRMI2) TuneInstrument(plane, name2, true, -slot);
        }
    }
    UpdateInstrumentPanel(FSelectedPlane);
    if (Flugweg) Flugweg->SetPlane(std::dynamic_pointer_cast<TFlugzeug>(ActivePlane()));
}
