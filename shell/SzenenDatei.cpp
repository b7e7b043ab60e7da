#include "shell/SzenenDatei.h"

#include "platform/HeadlessMessage.h"
#include "platform/ImageSurface.h"
#include "platform/IniFile.h"
#include "platform/UpdateBracket.h"
#include "shell/CheckPrevious.h"
#include "shell/I_MainForm.h"
#include "shell/ModalRunner.h"
#include "shell/ValuePanel.h"
#include "world/FlugwegLayer.h"
#include "world/I_Flugzeug.h"
#include "world/I_Stations.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTimer>

#include <cstdio>

namespace {

const QString ZuletztSection = QStringLiteral("Zuletzt");
const QString FileFilter = QStringLiteral("Peilomat-Szenen (*.peilomat);;Alle Dateien (*)");

QString ZuletztKey(int i) {
    return QStringLiteral("Datei%1").arg(i + 1);
}

// Instruments whose value panel sets something a scene keeps: the MDI's
// card, the VOR indicator's OBS, the HSI's course.
bool HasValue(int typ) {
    return typ == icMDI || typ == icVOR || typ == icHSI;
}

std::shared_ptr<IStationSubject> StationNamed(const std::vector<std::shared_ptr<IStationSubject>>& stations,
                                              const QString& name) {
    if (name.isEmpty()) return nullptr;
    for (const auto& station : stations)
        if (station && station->GetName() == name) return station;
    return nullptr;
}

} // namespace

TSzenenDatei::TSzenenDatei(TfrmMainTalvex* form) : QObject(form), F(form) {
    FBaseTitle = F->windowTitle();
    const TIniFile ini(F->IniFileName());
    for (int i = 0; i < MaxZuletzt; ++i) {
        const QString path = ini.ReadString(ZuletztSection, ZuletztKey(i), QString());
        if (!path.isEmpty() && !FZuletzt.contains(path)) FZuletzt << path;
    }
    FSaved = Capture();
    // A start with /QUIT asks this instance to end: the close that follows
    // must not wait for an answer.
    if (TInstanceGuard* guard = TInstanceGuard::Instance()) {
        connect(guard, &TInstanceGuard::QuitRequested, this, [this] { FQuitRequested = true; });
        // Opened from the event loop, after the window has come to the front;
        // the unsaved-changes question comes first, as for "Öffnen".
        connect(
            guard, &TInstanceGuard::OpenRequested, this,
            [this](const QString& path) { QTimer::singleShot(0, this, [this, path] { Open(path); }); },
            Qt::QueuedConnection);
    }
}

// ---------------------------------------------------------------------------
// The menu

void TSzenenDatei::BuildMenu(QMenu* datei, QAction* before) {
    const auto item = [&](const char* name, const QString& caption, const QKeySequence& keys, auto handler) {
        auto* action = new QAction(caption, datei);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(keys);
        datei->insertAction(before, action);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    mm2Neu = item("mm2Neu", QStringLiteral("Neu"), QKeySequence(QStringLiteral("Ctrl+N")), [this] { Neu(); });
    mm2Oeffnen = item("mm2Oeffnen", QStringLiteral("Öffnen..."), QKeySequence(QStringLiteral("Ctrl+O")),
                      [this] { Oeffnen(); });
    mm2Speichern = item("mm2Speichern", QStringLiteral("Speichern"), QKeySequence(QStringLiteral("Ctrl+S")),
                        [this] { Speichern(); });
    mm2SpeichernUnter = item("mm2SpeichernUnter", QStringLiteral("Speichern unter..."),
                             QKeySequence(QStringLiteral("Ctrl+Shift+S")), [this] { SpeichernUnter(); });
    datei->insertSeparator(before);
    for (int i = 0; i < MaxZuletzt; ++i) {
        auto* action = new QAction(datei);
        action->setObjectName(QStringLiteral("mm2Zuletzt%1").arg(i + 1));
        datei->insertAction(before, action);
        connect(action, &QAction::triggered, this, [this, i] {
            if (i < FZuletzt.size()) Open(FZuletzt[i]);
        });
        mm2Zuletzt[static_cast<std::size_t>(i)] = action;
    }
    UpdateZuletztMenu();
}

void TSzenenDatei::UpdateZuletztMenu() {
    for (int i = 0; i < MaxZuletzt; ++i) {
        QAction* action = mm2Zuletzt[static_cast<std::size_t>(i)];
        if (!action) continue;
        const bool used = i < FZuletzt.size();
        action->setVisible(used);
        if (!used) continue;
        action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(FZuletzt[i]).fileName()));
        action->setStatusTip(QDir::toNativeSeparators(FZuletzt[i]));
        action->setToolTip(QDir::toNativeSeparators(FZuletzt[i]));
    }
}

void TSzenenDatei::AddZuletzt(const QString& path) {
    FZuletzt.removeAll(path);
    FZuletzt.prepend(path);
    while (FZuletzt.size() > MaxZuletzt)
        FZuletzt.removeLast();
    UpdateZuletztMenu();
}

bool TSzenenDatei::WriteZuletzt() const {
    TIniFile ini(F->IniFileName());
    for (int i = 0; i < MaxZuletzt; ++i) {
        if (i < FZuletzt.size())
            ini.WriteString(ZuletztSection, ZuletztKey(i), FZuletzt[i]);
        else
            ini.DeleteKey(ZuletztSection, ZuletztKey(i));
    }
    return ini.UpdateFile();
}

void TSzenenDatei::UpdateTitle() {
    F->setWindowTitle(FFile.isEmpty() ? FBaseTitle
                                      : FBaseTitle + QStringLiteral(" - ") + QFileInfo(FFile).fileName());
}

void TSzenenDatei::SetFile(const QString& path) {
    FFile = path;
    FSaved = Capture();
    if (!path.isEmpty()) AddZuletzt(path);
    UpdateTitle();
}

// ---------------------------------------------------------------------------
// Scene and world

TSzene TSzenenDatei::Capture() const {
    TSzene s;
    for (const auto& station : F->Stationen) {
        if (!station) continue;
        s.Stationen.push_back({station->GetTyp(), station->GetFrequenz().toInt(), station->GetPosition()});
    }
    for (const auto& plane : F->Flugzeuge) {
        if (!plane) continue;
        TSzenenFlugzeug f;
        f.Position = plane->GetPosition();
        f.Kurs = plane->GetKurs();
        f.Speed = plane->GetSpeed();
        f.Sichtbar = plane->GetVisible();
        f.AusgangsPositionGespeichert = plane->GetAusgangsPositionGespeichert();
        if (f.AusgangsPositionGespeichert) f.AusgangsPosition = plane->GetAusgangsPosition();
        for (int slot = 0; slot < TFlugzeug::SlotCount; ++slot) {
            TSzenenInstrument& ins = f.Slots[static_cast<std::size_t>(slot)];
            const auto instrument = plane->GetInstrument(slot);
            if (!instrument) continue;
            ins.Typ = instrument->GetTyp();
            if (const auto bound = std::dynamic_pointer_cast<IInstrumentMitStation>(instrument))
                ins.Station = bound->GetStation();
            if (const auto rmi2 = std::dynamic_pointer_cast<IRMI2>(instrument); rmi2 && ins.Typ == icRMI2)
                ins.Station2 = rmi2->GetStation2();
            if (const auto value = std::dynamic_pointer_cast<IValueSetting>(instrument);
                value && HasValue(ins.Typ))
                ins.Wert = value->GetValue();
            if (const auto vor = std::dynamic_pointer_cast<IVOR>(instrument); vor && ins.Typ == icVOR)
                ins.DirToStation = vor->GetDirToStation();
        }
        if (const auto concrete = std::dynamic_pointer_cast<TFlugzeug>(plane))
            f.Flugweg = concrete->Flugweg().Stuecke();
        s.Flugzeuge.push_back(std::move(f));
    }
    s.Aktiv = std::clamp(F->FSelectedPlane, 0, std::max(0, static_cast<int>(s.Flugzeuge.size()) - 1));
    return s;
}

TSzene TSzenenDatei::StartScene() const {
    TSzene s;
    TSzenenFlugzeug f;
    const auto below = [](int n) { return n > 0 ? QRandomGenerator::global()->bounded(n) : 0; };
    f.Position = {static_cast<float>(below(F->ImgNav->Bitmap().Width())),
                  static_cast<float>(below(F->ImgNav->Bitmap().Height()))};
    f.Slots[0].Typ = 3;
    s.Flugzeuge.push_back(f);
    return s;
}

void TSzenenDatei::TakeDown() {
    F->btnAnimStopClick();
    F->layerMouseDown = false;
    if (F->Flugweg) F->Flugweg->SetPlane(nullptr);
    if (const auto active = F->ActivePlane(); active && F->IRadial) active->Detach(F->IRadial);
    // The value panels hold what they adjust; they let go first.
    for (TsuiSetValuePanel* panel : {F->pnlSetHeading, F->pnlSetValues1, F->pnlSetValues2, F->pnlSetValues3})
        panel->SetValueSettingInterface(nullptr);
    // Emptying a slot untunes its instrument, detaches it from its aircraft
    // and hides it; dropping the last references then removes the layers of
    // instruments, aircraft and stations from both surfaces.
    for (const auto& plane : F->Flugzeuge) {
        if (!plane) continue;
        for (int slot = 0; slot < TFlugzeug::SlotCount; ++slot)
            plane->AddInstrument(icRBI, slot, false);
    }
    F->Flugzeuge.clear();
    F->Stationen.clear();
    F->FSelectedPlane = 0;
}

void TSzenenDatei::Apply(const TSzene& szene) {
    ImageSurface* nav = F->ImgNav;
    ImageSurface* instr = F->ImgInstr;
    TUpdateBracket navBracket(nav);
    TUpdateBracket instrBracket(instr);
    TakeDown();

    // Stations in creation order, each numbered within its type as the
    // program numbers them; a new station goes below all others, so the
    // stacking comes out as it was.
    for (const TSzenenStation& st : szene.Stationen) {
        const int index = static_cast<int>(F->Stationen.size());
        const QString number = QString::number(st.Nummer);
        std::shared_ptr<IStationSubject> station;
        if (st.Typ == QLatin1String("VOR"))
            station = TVOR_S::Create(nav, st.Position, number, index);
        else
            station = TNDB_S::Create(nav, st.Position, number, index);
        F->Stationen.push_back(station);
    }
    const auto hasType = [&](const char* typ) {
        return std::any_of(szene.Stationen.begin(), szene.Stationen.end(),
                           [typ](const TSzenenStation& st) { return st.Typ == QLatin1String(typ); });
    };
    F->btnRdmPosVOR->setEnabled(hasType("VOR"));
    F->btnRdmPosNDB->setEnabled(hasType("NDB"));

    // Aircraft in creation order, each set up while it is the selected one,
    // as the user would after adding it: position, heading, speed, then the
    // instruments, their tuning and their values.
    const int count = static_cast<int>(szene.Flugzeuge.size());
    for (int i = 0; i < count; ++i) {
        const TSzenenFlugzeug& f = szene.Flugzeuge[static_cast<std::size_t>(i)];
        const auto plane = TFlugzeug::Create(nav, instr, f.Position, i, F->IRadial);
        F->Flugzeuge.push_back(plane);
        if (i > 0) F->Flugzeuge[static_cast<std::size_t>(i - 1)]->SetSelected(false);
        plane->SetSelected(true);
        plane->SetValue(f.Kurs);
        plane->SetSpeed(f.Speed);
        plane->SetVisible(f.Sichtbar);
        if (f.AusgangsPositionGespeichert) plane->SetAusgangsPosition(f.AusgangsPosition);
        for (int slot = 0; slot < TFlugzeug::SlotCount; ++slot) {
            const TSzenenInstrument& ins = f.Slots[static_cast<std::size_t>(slot)];
            if (ins.Typ == TSzenenInstrument::Leer) {
                plane->AddInstrument(icRBI, slot, false);
                continue;
            }
            plane->AddInstrument(ins.Typ, slot, true);
            const auto instrument = plane->GetInstrument(slot);
            if (!instrument) continue;
            if (const auto vor = std::dynamic_pointer_cast<IVOR>(instrument))
                vor->SetDirToStation(ins.DirToStation);
            if (const auto value = std::dynamic_pointer_cast<IValueSetting>(instrument);
                value && HasValue(ins.Typ))
                value->SetValue(ins.Wert);
            if (const auto bound = std::dynamic_pointer_cast<IInstrumentMitStation>(instrument))
                if (const auto station = StationNamed(F->Stationen, ins.Station))
                    bound->SetStationSubject(station);
            if (const auto rmi2 = std::dynamic_pointer_cast<IRMI2>(instrument))
                if (const auto station = StationNamed(F->Stationen, ins.Station2))
                    rmi2->SetStation2Subject(station);
        }
        plane->Flugweg().SetStuecke(f.Flugweg);
        // Only the active aircraft's instruments follow their stations;
        // which station each is tuned to stays.
        if (i == szene.Aktiv) continue;
        for (int slot = 0; slot < TFlugzeug::SlotCount; ++slot) {
            const auto instrument = plane->GetInstrument(slot);
            if (!instrument) continue;
            if (const auto bound = std::dynamic_pointer_cast<IInstrumentMitStation>(instrument);
                bound && !bound->GetStation().isEmpty())
                bound->DetachStationSubject();
            if (const auto rmi2 = std::dynamic_pointer_cast<IRMI2>(instrument);
                rmi2 && !rmi2->GetStation2().isEmpty())
                rmi2->DetachStation2Subject();
        }
    }

    // The aircraft selector as adding aircraft leaves it; choosing the active
    // one brings the panel, the lines and the track in line with it.
    QSignalBlocker block(F->seFlugzeug);
    F->seFlugzeug->setRange(1, std::max(1, count));
    F->seFlugzeug->setReadOnly(count <= 1);
    F->seFlugzeug->setValue(szene.Aktiv + 1);
    block.unblock();
    if (const auto last = F->Flugzeuge.empty() ? nullptr : F->Flugzeuge.back()) last->SetSelected(false);
    F->FSelectedPlane = -1;
    F->seFlugzeugChange();
    F->pnlSetHeading->SetValueSettingInterface(std::dynamic_pointer_cast<IValueSetting>(F->ActivePlane()));
    F->DrawRadials();
}

// ---------------------------------------------------------------------------
// Commands

bool TSzenenDatei::Modified() const {
    return !FSaved || Capture() != *FSaved;
}

bool TSzenenDatei::MayReplace() {
    if (FFile.isEmpty() || !Modified()) return true;
    QMessageBox box(QMessageBox::Question, F->windowTitle(),
                    QStringLiteral("Änderungen an %1 speichern?").arg(QFileInfo(FFile).fileName()),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, F);
    box.button(QMessageBox::Save)->setText(QStringLiteral("Speichern"));
    box.button(QMessageBox::Discard)->setText(QStringLiteral("Verwerfen"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    const int result = RunModal(box);
    // A runner may answer with the button's code or by clicking it.
    QMessageBox::StandardButton answer = box.standardButton(box.clickedButton());
    if (answer == QMessageBox::NoButton) answer = static_cast<QMessageBox::StandardButton>(result);
    if (answer == QMessageBox::Save) return Speichern();
    return answer == QMessageBox::Discard;
}

bool TSzenenDatei::Neu() {
    if (!MayReplace()) return false;
    Apply(StartScene());
    SetFile(QString());
    return true;
}

bool TSzenenDatei::Oeffnen() {
    if (!MayReplace()) return false;
    QFileDialog dialog(F, QStringLiteral("Szene öffnen"),
                       FFile.isEmpty()
                           ? (FZuletzt.isEmpty() ? QDir::homePath() : QFileInfo(FZuletzt[0]).path())
                           : QFileInfo(FFile).path(),
                       FileFilter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    // The question has been answered already.
    const QString keep = FFile;
    FFile.clear();
    const bool opened = Open(dialog.selectedFiles().constFirst());
    if (!opened) FFile = keep;
    return opened;
}

bool TSzenenDatei::Open(const QString& given) {
    const QString path = QFileInfo(given).absoluteFilePath();
    if (!MayReplace()) return false;
    TSzene szene;
    QString message;
    // Everything is checked before anything of the scene on screen is touched.
    if (!Szene::Read(path, szene, message)) {
        ShowMessageBox(F, QMessageBox::Warning, message);
        if (!QFileInfo::exists(path) && FZuletzt.removeAll(path) > 0) UpdateZuletztMenu();
        return false;
    }
    Apply(szene);
    SetFile(path);
    return true;
}

bool TSzenenDatei::Speichern() {
    if (FFile.isEmpty()) return SpeichernUnter();
    return SaveTo(FFile);
}

bool TSzenenDatei::SpeichernUnter() {
    QFileDialog dialog(
        F, QStringLiteral("Szene speichern unter"),
        FFile.isEmpty() ? (FZuletzt.isEmpty() ? QDir::homePath() : QFileInfo(FZuletzt[0]).path()) : FFile,
        FileFilter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("peilomat"));
    if (RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    return SaveTo(dialog.selectedFiles().constFirst());
}

bool TSzenenDatei::SaveTo(const QString& given) {
    const QString path = QFileInfo(given).absoluteFilePath();
    QString message;
    if (!Szene::Write(path, Capture(), message)) {
        ShowMessageBox(F, QMessageBox::Critical, message);
        return false;
    }
    SetFile(path);
    return true;
}

// ---------------------------------------------------------------------------
// Closing, recovery and the command line

QString TSzenenDatei::RecoveryPath() const {
    return QDir(F->ApplicationDataPath()).filePath(QLatin1String(RecoveryFileName));
}

bool TSzenenDatei::MayClose() {
    if (!FQuitRequested && !EndingFromOutside()) return MayReplace();
    // Ended from outside nobody may be asked; what would be lost is kept.
    if (Modified()) {
        QString message;
        TSzene szene = Capture();
        if (!Szene::Write(RecoveryPath(), szene, message, FFile))
            std::fprintf(stderr, "%s\n", qPrintable(message));
    }
    return true;
}

void TSzenenDatei::Started() {
    const QString recovery = RecoveryPath();
    if (QFileInfo::exists(recovery)) {
        TSzene szene;
        QString message;
        QString origin;
        if (!Szene::Read(recovery, szene, message, &origin)) {
            ShowMessageBox(F, QMessageBox::Warning, message);
            QFile::remove(recovery);
        } else {
            QMessageBox box(
                QMessageBox::Question, F->windowTitle(),
                origin.isEmpty()
                    ? QStringLiteral("Das Programm wurde von außen beendet, als die Szene ungespeicherte "
                                     "Änderungen hatte. Diese Szene wiederherstellen?")
                    : QStringLiteral("Das Programm wurde von außen beendet, als %1 ungespeicherte "
                                     "Änderungen hatte. Diese Szene wiederherstellen?")
                          .arg(QFileInfo(origin).fileName()),
                QMessageBox::Yes | QMessageBox::No, F);
            box.button(QMessageBox::Yes)->setText(QStringLiteral("Wiederherstellen"));
            box.button(QMessageBox::No)->setText(QStringLiteral("Verwerfen"));
            const int result = RunModal(box);
            QMessageBox::StandardButton answer = box.standardButton(box.clickedButton());
            if (answer == QMessageBox::NoButton) answer = static_cast<QMessageBox::StandardButton>(result);
            if (answer == QMessageBox::Yes) {
                Apply(szene);
                FFile = origin;
                // Still unsaved: the question comes when it is closed.
                FSaved.reset();
                UpdateTitle();
                QFile::remove(recovery);
            } else if (answer == QMessageBox::No) {
                QFile::remove(recovery);
            }
            // Without an answer (no one to ask) the file stays for the next start.
        }
    }
    if (!FStartFile.isEmpty()) {
        const QString path = FStartFile;
        FStartFile.clear();
        Open(path);
    }
}

QString TSzenenDatei::FileArgument(const QStringList& args) {
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg.isEmpty() || arg.startsWith(QLatin1Char('-'))) continue;
        // "/QUIT" and "/debug" are switches; "/home/..." is a file on this
        // system, and so is anything with the scene extension.
        if (arg.startsWith(QLatin1Char('/')) && arg.indexOf(QLatin1Char('/'), 1) < 0 &&
            !arg.endsWith(QLatin1String(Szene::Extension), Qt::CaseInsensitive))
            continue;
        return QFileInfo(arg).absoluteFilePath();
    }
    return QString();
}
