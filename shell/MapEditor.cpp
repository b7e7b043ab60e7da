#include "shell/InstrumentPanel.h"

#include "platform/Colors.h"
#include "platform/ImageSurface.h"
#include "platform/UpdateBracket.h"
#include "shell/I_MainForm.h"
#include "shell/ModalRunner.h"
#include "shell/ZufPosForm.h"
#include "world/FlugwegLayer.h"
#include "world/I_Flugzeug.h"
#include "world/I_Stations.h"

#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

// Building a scene on the map: adding stations and aircraft, moving them to
// random places, dragging them with the mouse, hiding and showing the active
// aircraft, and the map following the size of its container. Every change
// goes through the model's setters; the instruments and the radial lines
// follow by notification.

namespace {
// The aircraft selector has two digits.
constexpr int MaxAircraft = 99;
// An NDB keeps more than this many pixels from the right and bottom edges.
constexpr int NdbMargin = 50;
constexpr Qt::CursorShape DragCursor = Qt::DragMoveCursor;
} // namespace

// ---------------------------------------------------------------------------
// Adding

void TfrmMainTalvex::AddStation(const QString& typ) {
    const bool ndb = typ == QLatin1String("NDB");
    // Numbers count per type; nothing is ever deleted, so none is reused.
    const auto sameType = [&typ](const auto& station) { return station && station->GetTyp() == typ; };
    const int number = 1 + static_cast<int>(std::count_if(Stationen.begin(), Stationen.end(), sameType));
    const int index = static_cast<int>(Stationen.size());
    const int width = ImgNav->Bitmap().Width(), height = ImgNav->Bitmap().Height();
    // A map too small for the margin puts the NDB at 0 on that axis.
    const TSinglePoint position = ndb ? TSinglePoint{static_cast<float>(RandomBelow(width - NdbMargin)),
                                                     static_cast<float>(RandomBelow(height - NdbMargin))}
                                      : RandomMapPosition();
    const QString freq = QString::number(number);
    if (ndb)
        Stationen.push_back(TNDB_S::Create(ImgNav, position, freq, index));
    else
        Stationen.push_back(TVOR_S::Create(ImgNav, position, freq, index));
    (ndb ? btnRdmPosNDB : btnRdmPosVOR)->setEnabled(true);
    UpdateInstrumentPanel(FSelectedPlane);
}

void TfrmMainTalvex::btnVORaddClick() {
    AddStation(QStringLiteral("VOR"));
}

void TfrmMainTalvex::btnNDBAddClick() {
    AddStation(QStringLiteral("NDB"));
}

void TfrmMainTalvex::btnAddFlugzeugClick() {
    if (static_cast<int>(Flugzeuge.size()) >= MaxAircraft) return;
    const int index = static_cast<int>(Flugzeuge.size());
    seFlugzeug->setMaximum(index + 1);
    seFlugzeug->setReadOnly(false);
    Flugzeuge.push_back(TFlugzeug::Create(ImgNav, ImgInstr, RandomMapPosition(), index, IRadial));
    // Aircraft number 100 could never be chosen in the two-digit selector.
    btnAddFlugzeug->setEnabled(index + 1 < MaxAircraft);
    // The selector's change makes the new aircraft the active one.
    seFlugzeug->setValue(index + 1);
}

// ---------------------------------------------------------------------------
// Random places

void TfrmMainTalvex::btnRdmPosClick() {
    const auto plane = ActivePlane();
    if (!plane) return;
    // A jump, not a flight: the track takes up again at the new place.
    if (Flugweg) Flugweg->Jump();
    plane->SetPosition(RandomMapPosition());
}

void TfrmMainTalvex::MoveChosenStation(const QString& typ) {
    TfrmZufPos dialog(this);
    dialog.SetFileTheme(Theme.ThemeFile);
    dialog.SetUIStyle(Theme.UIStyle);
    dialog.setWindowTitle(QStringLiteral("Zufallsposition ") + typ);
    FillStationList(dialog.cb1, typ == QLatin1String("VOR") ? icVOR : icRMI);
    if (RunModal(dialog) != QDialog::Accepted || dialog.cb1->currentIndex() < 0) return;
    const QString name = dialog.cb1->currentText();
    const auto chosen = std::find_if(Stationen.begin(), Stationen.end(), [&name](const auto& station) {
        return station && station->GetName() == name;
    });
    // Both types may go anywhere on the map here.
    if (chosen != Stationen.end()) (*chosen)->SetPosition(RandomMapPosition());
}

void TfrmMainTalvex::btnRdmPosVORClick() {
    MoveChosenStation(QStringLiteral("VOR"));
}

void TfrmMainTalvex::btnRdmPosNDBClick() {
    MoveChosenStation(QStringLiteral("NDB"));
}

// ---------------------------------------------------------------------------
// Visibility

void TfrmMainTalvex::btnVisibleClick() {
    const auto plane = ActivePlane();
    if (!plane) return;
    const bool show = !plane->GetVisible();
    plane->SetVisible(show);
    // The caption names what the next click does.
    btnVisible->setText(show ? QStringLiteral("Flugzeug unsichtbar") : QStringLiteral("Flugzeug sichtbar"));
    DrawRadials();
}

// ---------------------------------------------------------------------------
// Dragging. The map keeps delivering events to the pressed layer until the
// button is released, even outside it; the object jumps to the mouse point
// at the first move, wherever its rectangle was grabbed.

void TfrmMainTalvex::ImgNavMouseDown(BitmapLayer* layer) {
    if (!layer || layer->Tag() == 0) return;
    layerMouseDown = true;
    layer->SetCursor(DragCursor);
}

void TfrmMainTalvex::ImgNavMouseMove(const QPointF& point, BitmapLayer* layer) {
    if (!layerMouseDown || !layer) return;
    const int tag = layer->Tag();
    const TSinglePoint p{static_cast<float>(point.x()), static_cast<float>(point.y())};
    if (tag > 0 && tag <= static_cast<int>(Flugzeuge.size())) {
        if (const auto& plane = Flugzeuge[static_cast<std::size_t>(tag - 1)]) plane->SetPosition(p);
    } else if (tag < 0 && -tag <= static_cast<int>(Stationen.size())) {
        if (const auto& station = Stationen[static_cast<std::size_t>(-tag - 1)]) station->SetPosition(p);
    }
}

void TfrmMainTalvex::ImgNavMouseUp(BitmapLayer* layer) {
    if (layer && layerMouseDown && layer->Tag() != 0 && layer->Cursor() == DragCursor)
        layer->SetCursor(Qt::PointingHandCursor);
    layerMouseDown = false;
}

// ---------------------------------------------------------------------------
// Resizing: objects keep their map coordinates; those outside the smaller map
// show again when it grows.

void TfrmMainTalvex::ImgNavCanResize(int newWidth, int newHeight) {
    // Start-up sizes the map itself once it has made the radial layer; a
    // resize before then touches nothing.
    if (!RadialLayer) return;
    newWidth = std::max(1, newWidth);
    newHeight = std::max(1, newHeight);
    if (ImgNav->Bitmap().Width() == newWidth && ImgNav->Bitmap().Height() == newHeight) {
        ImgNav->setGeometry(0, 0, newWidth, newHeight);
        return;
    }
    TUpdateBracket bracket(ImgNav);
    ImgNav->SetBitmapSize(newWidth, newHeight);
    ImgNav->setGeometry(0, 0, newWidth, newHeight);
    ImgNav->Bitmap().Fill(clWhite);
    RadialLayer->Bitmap().SetSize(newWidth, newHeight);
    RadialLayer->Bitmap().Clear(0x00FFFFFF);
    RadialLayer->SetLocation(QRectF(0, 0, newWidth, newHeight));
    DrawRadials();
    if (Flugweg) Flugweg->Resize(newWidth, newHeight);
}
