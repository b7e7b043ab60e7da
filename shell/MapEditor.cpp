#include "shell/I_MainForm.h"

#include "platform/ImageSurface.h"
#include "world/FlugwegLayer.h"

// Building a scene on the map: the map surface follows the size of its
// container.

void TfrmMainTalvex::ImgNavCanResize(int newWidth, int newHeight) {
    newWidth = std::max(1, newWidth);
    newHeight = std::max(1, newHeight);
    if (ImgNav->Bitmap().Width() == newWidth && ImgNav->Bitmap().Height() == newHeight) {
        ImgNav->setGeometry(0, 0, newWidth, newHeight);
        return;
    }
    ImgNav->BeginUpdate();
    ImgNav->SetBitmapSize(newWidth, newHeight);
    ImgNav->setGeometry(0, 0, newWidth, newHeight);
    ImgNav->Bitmap().Fill(0xFFFFFFFF);
    // Before start-up has made the radial layer there is none to resize.
    if (RadialLayer) {
        RadialLayer->Bitmap().SetSize(newWidth, newHeight);
        RadialLayer->Bitmap().Clear(0x00FFFFFF);
        RadialLayer->SetLocation(QRectF(0, 0, newWidth, newHeight));
        DrawRadials();
    }
    if (Flugweg) Flugweg->Resize(newWidth, newHeight);
    ImgNav->EndUpdate();
}
