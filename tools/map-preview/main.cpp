// Shows the map with two aircraft and two stations, or writes it to a PNG:
//   map-preview [--out FILE.png]
#include "platform/ImageSurface.h"
#include "world/I_Flugzeug.h"
#include "world/I_Stations.h"
#include "world/RadialLayer.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>

#include <memory>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Map preview: aircraft and stations on a white map"));
    parser.addHelpOption();
    const QCommandLineOption outOption(
        QStringLiteral("out"), QStringLiteral("Write the map to this PNG file."), QStringLiteral("file"));
    parser.addOption(outOption);
    parser.process(app);

    ImageSurface map;
    map.SetBitmapSize(800, 500);
    map.Bitmap().Fill(0xFFFFFFFF);
    ImageSurface panel;
    panel.SetBitmapSize(750, 250);

    auto radial = std::make_shared<TRadialLayer>([] {});

    auto vor = TVOR_S::Create(&map, {250, 180}, QStringLiteral("1"), 0);
    auto ndb = TNDB_S::Create(&map, {560, 330}, QStringLiteral("1"), 1);
    // An instrument tuned to the VOR: it is in use, so it is drawn red.
    vor->Attach(radial);

    auto selected = TFlugzeug::Create(&map, &panel, {420, 240}, 0, radial);
    selected->SetKurs(30);
    selected->SetSelected(true);
    auto other = TFlugzeug::Create(&map, &panel, {150, 380}, 1, radial);
    other->SetKurs(200);
    other->Paint();

    if (parser.isSet(outOption)) {
        const QString file = parser.value(outOption);
        if (!map.Render().save(file, "PNG")) {
            QTextStream(stderr) << "Cannot write " << file << '\n';
            return 1;
        }
        return 0;
    }
    map.setWindowTitle(QStringLiteral("Peilomat map preview"));
    map.show();
    return app.exec();
}
