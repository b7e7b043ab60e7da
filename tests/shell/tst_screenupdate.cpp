#include "platform/ImageSurface.h"
#include "tests/support/mainformfixture.h"
#include "tests/support/testsupport.h"
#include "world/I_Flugzeug.h"
#include "world/I_Stations.h"

#include <QAction>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTest>

#include <random>

namespace {

// Paints whatever the window has been asked to repaint, now.
void PaintPending(QWidget& window) {
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(&window, &request);
}

// The part of the window a surface covers as the platform holds it, i.e.
// what the repaints really put on screen.
QImage OnScreen(QWidget& window, ImageSurface& surface) {
    const QImage all = window.screen()->grabWindow(window.winId()).toImage();
    const QPoint at = surface.mapTo(&window, QPoint(0, 0));
    return all.copy(QRect(at, QSize(surface.Bitmap().Width(), surface.Bitmap().Height())));
}

// How many pixels of the aircraft's 62 x 62 square around its position show
// the active aircraft's red in a picture of the map.
int RedAround(const QImage& map, const TSinglePoint& at) {
    int red = 0;
    const QImage image = map.convertToFormat(QImage::Format_RGB32);
    const QRect square = QRect(int(at.X) - 31, int(at.Y) - 31, 62, 62).intersected(image.rect());
    for (int y = square.top(); y <= square.bottom(); ++y)
        for (int x = square.left(); x <= square.right(); ++x)
            if (image.pixel(x, y) == 0xFFFF0000u) ++red;
    return red;
}

} // namespace

class TestScreenUpdate : public QObject {
    Q_OBJECT
private slots:
    void aircraftShowsOnTheShownMap_data();
    void aircraftShowsOnTheShownMap();
    void stepsDragsAndTogglesShowTheFullComposition();
};

void TestScreenUpdate::aircraftShowsOnTheShownMap_data() {
    QTest::addColumn<QString>("action");
    QTest::newRow("at start") << QString();
    QTest::newRow("after a random position") << QStringLiteral("random");
    QTest::newRow("while flying") << QStringLiteral("fly");
    QTest::newRow("after the window was hidden and shown") << QStringLiteral("hide");
}

void TestScreenUpdate::aircraftShowsOnTheShownMap() {
    // The window's first paint puts the whole map on screen at once; the
    // aircraft has to be in it wherever it stands, and stay on screen after
    // the user moves it or flies, as the platform's copy of the window and a
    // grab of the map both show.
    QFETCH(QString, action);
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    TTestMainForm& f = *form;
    const auto plane = f.ActivePlane();
    QVERIFY(plane);
    if (action == QLatin1String("random")) {
        f.btnRdmPos->click();
    } else if (action == QLatin1String("fly")) {
        plane->SetPosition(TSinglePoint{100.0f, 200.0f});
        plane->SetValue(90.0f);
        for (int i = 0; i < 40; ++i) {
            f.tmrAnimationTimer();
            PaintPending(f);
        }
    } else if (action == QLatin1String("hide")) {
        f.hide();
        QCoreApplication::processEvents();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
    }
    PaintPending(f);
    const TSinglePoint at = plane->GetPosition();
    QVERIFY2(RedAround(f.ImgNav->Render(), at) > 50, "the aircraft is not drawn at its position");
    const int onScreen = RedAround(OnScreen(f, *f.ImgNav), at);
    QVERIFY2(onScreen > 50, qPrintable(QStringLiteral("on screen %1 red pixels at (%2, %3)")
                                           .arg(onScreen).arg(at.X).arg(at.Y)));
    const int grabbed = RedAround(f.ImgNav->grab().toImage(), at);
    QVERIFY2(grabbed > 50, qPrintable(QStringLiteral("grabbed %1 red pixels").arg(grabbed)));
}

void TestScreenUpdate::stepsDragsAndTogglesShowTheFullComposition() {
    // The map and the instrument panel repaint only what changed; after
    // every animation step, station or aircraft drag, turn, retune and
    // option toggle both show exactly what composing everything anew shows.
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    TTestMainForm& f = *form;
    std::mt19937 random(4711);
    auto uniform = [&random](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    const int w = f.ImgNav->Bitmap().Width(), h = f.ImgNav->Bitmap().Height();
    auto somewhere = [&] { return TSinglePoint{float(uniform(0, w - 1)), float(uniform(0, h - 1))}; };

    for (int i = 0; i < 6; ++i) {
        const QString number = QString::number(i / 2 + 1);
        f.Stationen.push_back(i % 2 ? std::shared_ptr<IStationSubject>(TNDB_S::Create(f.ImgNav, somewhere(), number, i))
                                    : std::shared_ptr<IStationSubject>(TVOR_S::Create(f.ImgNav, somewhere(), number, i)));
    }
    f.Flugzeuge.push_back(TFlugzeug::Create(f.ImgNav, f.ImgInstr, somewhere(), 1, f.IRadial));
    f.Flugzeuge.back()->SetSelected(false);
    f.seFlugzeug->setRange(1, 2);
    auto tune = [&](const std::shared_ptr<IPlaneSubject>& plane) {
        const int types[] = {0, 1, 2, 3, 4, 5, 6};
        const int slot = uniform(0, 2);
        plane->AddInstrument(types[uniform(0, 6)], slot, true);
        const auto station = f.Stationen[static_cast<std::size_t>(uniform(0, 5))];
        if (auto tuned = std::dynamic_pointer_cast<IInstrumentMitStation>(plane->GetInstrument(slot)))
            tuned->SetStationSubject(station);
        if (auto two = std::dynamic_pointer_cast<IRMI2>(plane->GetInstrument(slot)))
            two->SetStation2Subject(f.Stationen[static_cast<std::size_t>(uniform(0, 5))]);
    };
    for (int i = 0; i < 3; ++i)
        tune(f.Flugzeuge[0]);

    for (int step = 0; step < 300; ++step) {
        const auto plane = f.ActivePlane();
        switch (uniform(0, 9)) {
        case 0:
        case 1:
        case 2:
        case 3:
            for (int n = uniform(1, 5); n > 0; --n)
                f.tmrAnimationTimer();
            break;
        case 4: // a station dragged to a new place
            f.Stationen[static_cast<std::size_t>(uniform(0, 5))]->SetPosition(somewhere());
            break;
        case 5: // the aircraft dragged, or turned
            if (uniform(0, 1))
                plane->SetPosition(somewhere());
            else
                plane->SetValueInc(uniform(-40, 40));
            break;
        case 6:
            tune(plane);
            break;
        case 7: {
            QAction* option = uniform(0, 1) ? f.mm2OptShowRadials : f.mm2OptShowRB;
            option->trigger();
            break;
        }
        case 8:
            plane->SetVisible(!plane->GetVisible());
            f.DrawRadials();
            break;
        default:
            f.seFlugzeug->setValue(f.seFlugzeug->value() == 1 ? 2 : 1);
            f.seFlugzeugChange();
            break;
        }
        PaintPending(f);
        for (ImageSurface* surface : {f.ImgNav, f.ImgInstr}) {
            const QImage full = surface->Render();
            const QString kept = FirstDifference(surface->Composed(), full);
            QVERIFY2(kept.isEmpty(), qPrintable(QStringLiteral("step %1, %2 kept: %3")
                                                    .arg(step)
                                                    .arg(surface->objectName(), kept)));
            const QString shown = FirstDifference(OnScreen(f, *surface), full, true);
            QVERIFY2(shown.isEmpty(), qPrintable(QStringLiteral("step %1, %2 on screen: %3")
                                                     .arg(step)
                                                     .arg(surface->objectName(), shown)));
        }
    }
}

QTEST_MAIN(TestScreenUpdate)
#include "tst_screenupdate.moc"
