#include "shell/I_MainForm.h"

#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "shell/InstrumentPanel.h"
#include "shell/MainFormLayout.h"
#include "shell/PlainMessage.h"
#include "world/BaseObserver.h"
#include "world/I_Flugzeug.h"

#include <QAction>
#include <QSpinBox>

namespace {
const QString OptionsSection = QStringLiteral("Optionen");
} // namespace

// The menu options, their settings in the settings file, and the looks of
// the menu "Ansicht".

void TfrmMainTalvex::ReadOptions() {
    const TIniFile ini(IniFileName());
    mm2OptShowRadials->setChecked(ini.ReadBool(OptionsSection, QStringLiteral("ShowRadials"), true));
    mm2OptShowRB->setChecked(ini.ReadBool(OptionsSection, QStringLiteral("ShowRB"), true));
    mm2OptRMImitzweiZeigern->setChecked(
        ini.ReadBool(OptionsSection, QStringLiteral("RMImitZweiZeigern"), true));
    mm2OptRtSm->setChecked(ini.ReadBool(OptionsSection, QStringLiteral("RtSm"), false));
    mm2OptInfo->setChecked(ini.ReadBool(OptionsSection, QStringLiteral("Info"), true));
    mm2OptFlugweg->setChecked(ini.ReadBool(OptionsSection, QStringLiteral("Flugweg"), false));
}

bool TfrmMainTalvex::WriteOptions() {
    TIniFile ini(IniFileName());
    ini.WriteBool(OptionsSection, QStringLiteral("ShowRadials"), mm2OptShowRadials->isChecked());
    ini.WriteBool(OptionsSection, QStringLiteral("ShowRB"), mm2OptShowRB->isChecked());
    ini.WriteBool(OptionsSection, QStringLiteral("RMImitZweiZeigern"), mm2OptRMImitzweiZeigern->isChecked());
    ini.WriteBool(OptionsSection, QStringLiteral("RtSm"), mm2OptRtSm->isChecked());
    ini.WriteBool(OptionsSection, QStringLiteral("Info"), mm2OptInfo->isChecked());
    ini.WriteBool(OptionsSection, QStringLiteral("Flugweg"), mm2OptFlugweg->isChecked());
    if (ini.UpdateFile()) return true;
    ReportWriteFailure(ini.LastError());
    return false;
}

void TfrmMainTalvex::mm2OptShowRadialsClick() {
    DrawRadials();
}

void TfrmMainTalvex::mm2OptShowRBClick() {
    DrawRadials();
}

void TfrmMainTalvex::mm2OptRMImitzweiZeigernClick() {
    const bool twoNeedles = mm2OptRMImitzweiZeigern->isChecked();
    const int newCode = twoNeedles ? icRMI2 : icRMI;
    const int oldCode = twoNeedles ? icRMI : icRMI2;
    if (const auto plane = ActivePlane()) {
        const TNotificationBracket bracket;
        // The left slot never holds an RMI. The replacement is tuned to no
        // station; RMIs of other aircraft keep their kind until replaced.
        for (int slot = 1; slot < TFlugzeug::SlotCount; ++slot) {
            const auto instrument = plane->GetInstrument(slot);
            if (instrument && instrument->GetVisible() && instrument->GetTyp() == oldCode)
                plane->AddInstrument(newCode, slot, true);
        }
    }
    UpdateInstrumentPanel(seFlugzeug->value() - 1);
    // A replaced RMI took its bearing lines with it.
    DrawRadials();
}

void TfrmMainTalvex::mm2OptRtSmClick() {
    const auto plane = ActivePlane();
    if (!plane) return;
    for (int slot = 0; slot < TFlugzeug::SlotCount; ++slot) {
        const auto instrument = plane->GetInstrument(slot);
        if (!instrument || instrument->GetTyp() != icVOR) continue;
        if (const auto vor = std::dynamic_pointer_cast<IVOR>(instrument))
            vor->SetDirToStation(mm2OptRtSm->isChecked());
    }
}

void TfrmMainTalvex::SkinClick(QAction* item) {
    const int tag = item->data().toInt();
    // The window is hidden while its look changes, so it is never seen half restyled.
    const bool wasVisible = isVisible();
    hide();
    TTheme theme;
    theme.ThemeFile = ProgramFile(FApplicationPath, QLatin1String(DefaultSkinFileName));
    theme.UIStyle =
        tag >= 0 && tag < 5 ? static_cast<std::uint8_t>(tag + 1) : static_cast<std::uint8_t>(ssFromThemeFile);
    ApplySkin(theme);
    ApplyDesignFont();
    Theme = theme;
    ShareTheme();
    if (wasVisible) show();
}
