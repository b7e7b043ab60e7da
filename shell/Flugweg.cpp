#include "shell/I_MainForm.h"

#include "platform/ImageSurface.h"
#include "world/FlugwegLayer.h"
#include "world/I_Flugzeug.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

// The flown track: its two menu items and the layer that records and shows
// the active aircraft's path.

void TfrmMainTalvex::BuildFlugwegMenu() {
    QMenu* optionen = menuBar()->findChild<QMenu*>(QStringLiteral("mm2Optionen"));
    if (!optionen) return;
    // With the other things the map can show, after the bearing lines.
    const QList<QAction*> items = optionen->actions();
    const qsizetype at = items.indexOf(mm2OptShowRB);
    QAction* before = at >= 0 && at + 1 < items.size() ? items[at + 1] : nullptr;
    mm2OptFlugweg = new QAction(QStringLiteral("Flugweg anzeigen"), optionen);
    mm2OptFlugweg->setObjectName(QStringLiteral("mm2OptFlugweg"));
    mm2OptFlugweg->setCheckable(true);
    mm2OptFlugweg->setChecked(false);
    optionen->insertAction(before, mm2OptFlugweg);
    mm2FlugwegLoeschen = new QAction(QStringLiteral("Flugweg löschen"), optionen);
    mm2FlugwegLoeschen->setObjectName(QStringLiteral("mm2FlugwegLoeschen"));
    optionen->insertAction(before, mm2FlugwegLoeschen);
    connect(mm2OptFlugweg, &QAction::triggered, this, &TfrmMainTalvex::mm2OptFlugwegClick);
    connect(mm2FlugwegLoeschen, &QAction::triggered, this, &TfrmMainTalvex::mm2FlugwegLoeschenClick);
}

void TfrmMainTalvex::CreateFlugweg() {
    Flugweg = std::make_shared<TFlugwegLayer>(ImgNav);
    Flugweg->SetPlane(std::dynamic_pointer_cast<TFlugzeug>(ActivePlane()));
    Flugweg->SetShown(mm2OptFlugweg->isChecked());
}

void TfrmMainTalvex::mm2OptFlugwegClick() {
    if (Flugweg) Flugweg->SetShown(mm2OptFlugweg->isChecked());
}

void TfrmMainTalvex::mm2FlugwegLoeschenClick() {
    if (Flugweg) Flugweg->ClearTrack();
}
