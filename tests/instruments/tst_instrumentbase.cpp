// The dial every instrument is painted on: card, labels, fixed marks, knobs,
// showing and hiding.
#include "instruments/I_Instrumente.h"
#include "tests/support/instrumentprobe.h"
#include "tests/support/testsupport.h"

#include <QtTest>

namespace {

// A bare dial whose options the tests set directly.
class TestDial : public TInstrument {
public:
    static std::shared_ptr<TestDial> Create(ImageSurface* image, int width = 250, int left = 0) {
        return Initialised(std::shared_ptr<TestDial>(new TestDial()), image, left, 0, width, nullptr);
    }
    // The option sets of the heading indicator (inner) and of the needle instruments (outer).
    void UseInnerStyle() {
        FMittellinie = F90GradMarken = F45GradMarken = FFlugzeugsymbol = FSkalaInnen = FMainDirections = true;
        FR1 = FR - 8.0f * FSF;
        FR2 = FR1 - 14.0f * FSF;
        FR3 = FR2 + 7.0f * FSF;
    }
    void UseOuterStyle() {
        F90GradMarken = F45GradMarken = FFlugzeugsymbol = true;
        FMittellinie = FSkalaInnen = false;
    }
    void SetMainDirections(bool value) { FMainDirections = value; }
    void SetCard(float heading) { FScaleHeading = heading; }
    void SetKnob1(bool on, const QString& text) {
        FDrehknopf1 = on;
        FKnopfText1 = text;
    }
    void Paint() override {
        ++paints;
        TInstrument::Paint();
    }
    int paints = 0;

protected:
    TestDial() = default;
};

bool Bright(TColor32 c) {
    return ((c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF)) / 3 > 110;
}

} // namespace

class TstInstrumentBase : public QObject {
    Q_OBJECT

    std::unique_ptr<ImageSurface> surface;

private slots:
    void init() {
        surface = std::make_unique<ImageSurface>();
        surface->SetBitmapSize(750, 250);
    }
    void cleanup() { surface.reset(); }

    // Card value x stands at clock angle x - heading: the 10-degree ticks of
    // a few values, with nothing between them and no long tick at the 5s.
    void cardTicksTurnWithTheHeading_data() {
        QTest::addColumn<float>("heading");
        QTest::newRow("0") << 0.0f;
        QTest::newRow("5") << 5.0f;
        QTest::newRow("123.4") << 123.4f;
        QTest::newRow("275.5") << 275.5f;
        QTest::newRow("355") << 355.0f;
        QTest::newRow("359.9") << 359.9f;
    }
    void cardTicksTurnWithTheHeading() {
        QFETCH(float, heading);
        auto dial = TestDial::Create(surface.get());
        dial->UseOuterStyle();
        dial->SetCard(heading);
        dial->SetVisible(true);
        const QImage img = surface->Render();
        const float mid10 = (dial->GetR1() + dial->GetR2()) / 2.0f;
        const float outer10 = dial->GetR2() - 1.5f; // beyond the end of the 5-degree ticks
        for (float value : {0.0f, 10.0f, 90.0f, 200.0f, 350.0f}) {
            const float phi = value - heading;
            QVERIFY2(AnyNear(img, FaceAt(*dial, mid10, phi), 1, Bright), qPrintable(QString::number(value)));
            QVERIFY2(AnyNear(img, FaceAt(*dial, outer10, phi), 1, Bright),
                     qPrintable(QString::number(value)));
            QVERIFY2(!AnyNear(img, FaceAt(*dial, mid10, phi + 2.5f), 0, Bright),
                     qPrintable(QString::number(value)));
            QVERIFY2(AnyNear(img, FaceAt(*dial, dial->GetR1() + 2.0f, phi + 5.0f), 1, Bright),
                     qPrintable(QString::number(value)));
            QVERIFY2(!AnyNear(img, FaceAt(*dial, outer10, phi + 5.0f), 0, Bright),
                     qPrintable(QString::number(value)));
        }
    }

    // Which label stands where: letters or numbers, north as 0 or 36.
    void cardLabels_data() {
        QTest::addColumn<bool>("inner");
        QTest::addColumn<bool>("mainDirections");
        QTest::addColumn<float>("heading");
        QTest::addColumn<float>("value"); // card value the label belongs to
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("present");

        QTest::newRow("N at the top") << false << true << 0.0f << 0.0f << "N" << true;
        QTest::newRow("E at 90") << false << true << 0.0f << 90.0f << "E" << true;
        QTest::newRow("3 at 30") << false << true << 0.0f << 30.0f << "3" << true;
        QTest::newRow("W at 270") << false << true << 0.0f << 270.0f << "W" << true;
        QTest::newRow("numbers: 0 at the top") << false << false << 0.0f << 0.0f << "0" << true;
        QTest::newRow("numbers: no N") << false << false << 0.0f << 0.0f << "N" << false;
        QTest::newRow("numbers: 27 at 270") << false << false << 0.0f << 270.0f << "27" << true;
        QTest::newRow("heading 5: N left of the index") << false << true << 5.0f << 0.0f << "N" << true;
        QTest::newRow("heading 355: north reads 36") << false << false << 355.0f << 360.0f << "36" << true;
        QTest::newRow("heading 355: north is not 0") << false << false << 355.0f << 360.0f << "0" << false;
        QTest::newRow("heading 355: N") << false << true << 355.0f << 360.0f << "N" << true;
        QTest::newRow("heading 123.4: 12") << false << true << 123.4f << 120.0f << "12" << true;
        QTest::newRow("inner: E at 90") << true << true << 0.0f << 90.0f << "E" << true;
        QTest::newRow("inner: heading 275.5, W") << true << true << 275.5f << 270.0f << "W" << true;
        QTest::newRow("inner: heading 275.5, 30") << true << true << 275.5f << 300.0f << "30" << true;
    }
    void cardLabels() {
        QFETCH(bool, inner);
        QFETCH(bool, mainDirections);
        QFETCH(float, heading);
        QFETCH(float, value);
        QFETCH(QString, label);
        QFETCH(bool, present);

        auto dial = TestDial::Create(surface.get());
        inner ? dial->UseInnerStyle() : dial->UseOuterStyle();
        dial->SetMainDirections(mainDirections);
        dial->SetCard(heading);
        dial->SetVisible(true);
        const double match =
            LabelMatch(surface->Render(), *dial, label, LabelRadius(*dial, label, inner), value - heading);
        if (present)
            QVERIFY2(match > 0.9, qPrintable(QString::number(match)));
        else
            QVERIFY2(match < 0.8, qPrintable(QString::number(match)));
    }

    // The fixed marks do not turn with the card; inner style red wedges at
    // the bezel, outer style white marks inside the ticks.
    void fixedMarks_data() {
        QTest::addColumn<bool>("inner");
        QTest::addColumn<float>("dx"); // from the face centre
        QTest::addColumn<float>("dy");
        QTest::addColumn<QString>("colour");

        const float fr = 125.0f - 10.0f * 250.0f / 300.0f; // bezel radius at width 250
        const float rm = fr - 60.0f * 250.0f / 300.0f;
        const float w = fr - 8.0f; // inside a wedge
        const float d = w * 0.70710678f;
        QTest::newRow("inner: top wedge") << true << 0.5f << -w << "red";
        QTest::newRow("inner: bottom wedge") << true << 0.5f << w << "red";
        QTest::newRow("inner: 90 wedge") << true << w << 0.5f << "red";
        QTest::newRow("inner: 270 wedge") << true << -w << 0.5f << "red";
        QTest::newRow("inner: 45 wedge") << true << d << -d << "red";
        QTest::newRow("inner: 225 wedge") << true << -d << d << "red";
        QTest::newRow("inner: centre line") << true << 0.5f << 35.0f << "white";
        QTest::newRow("inner: no white top index") << true << 0.5f << -rm - 5.0f << "dark";
        QTest::newRow("outer: top index") << false << 0.5f << -rm - 4.0f << "white";
        QTest::newRow("outer: bottom index") << false << 0.5f << rm + 6.0f << "white";
        QTest::newRow("outer: 90 mark") << false << rm - 5.0f << 1.0f << "white";
        QTest::newRow("outer: 270 mark") << false << -rm + 5.0f << 1.0f << "white";
        QTest::newRow("outer: 45 dot") << false << rm * 0.70710678f << -rm * 0.70710678f << "white";
        QTest::newRow("outer: no dot at 135") << false << rm * 0.70710678f << rm * 0.70710678f << "dark";
        QTest::newRow("outer: no centre line") << false << 0.5f << 35.0f << "dark";
        QTest::newRow("outer: no red wedge at the top") << false << 0.5f << -w << "dark";
        QTest::newRow("fuselage") << false << 0.5f << 15.0f << "red";
        QTest::newRow("wing") << false << -15.0f << -9.5f << "red";
        QTest::newRow("tail plane") << true << 6.0f << 15.5f << "red";
    }
    void fixedMarks() {
        QFETCH(bool, inner);
        QFETCH(float, dx);
        QFETCH(float, dy);
        QFETCH(QString, colour);

        auto dial = TestDial::Create(surface.get());
        inner ? dial->UseInnerStyle() : dial->UseOuterStyle();
        dial->SetCard(37.0f);
        dial->SetVisible(true);
        const TColor32 c = PixelAt(surface->Render(), static_cast<int>(std::floor(dial->GetXm() + dx)),
                                   static_cast<int>(std::floor(dial->GetYm() + dy)));
        const bool ok = colour == "red" ? IsRed(c) : colour == "white" ? IsWhite(c) : IsDark(c);
        QVERIFY2(ok, qPrintable(ColorName(c)));
    }

    // Marks and aircraft symbol keep their pixel size at any width; the radii scale.
    void pixelSizedMarksAtAnyWidth_data() {
        QTest::addColumn<int>("width");
        QTest::newRow("250") << 250;
        QTest::newRow("173") << 173;
        QTest::newRow("600") << 600;
    }
    void pixelSizedMarksAtAnyWidth() {
        QFETCH(int, width);
        surface->SetBitmapSize(width, width);
        auto dial = TestDial::Create(surface.get(), width);
        dial->UseOuterStyle();
        dial->SetVisible(true);
        QCOMPARE(dial->GetR(), width / 2.0f - 10.0f * width / 300.0f);
        const QImage img = surface->Render();
        const int y = static_cast<int>(dial->GetYm() + 5.0f);
        QCOMPARE(CountIn(img, QRect(0, y, width, 1), IsRed), 5); // fuselage, 5 px wide
        const int wingY = static_cast<int>(dial->GetYm() - 10.0f);
        QCOMPARE(CountIn(img, QRect(0, wingY, width, 1), IsRed), 41);
    }

    void knobs_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("with text") << "Push";
        QTest::newRow("empty text") << "";
    }
    void knobs() {
        QFETCH(QString, text);
        auto dial = TestDial::Create(surface.get());
        dial->UseOuterStyle();
        dial->SetKnob1(true, text);
        dial->SetVisible(true);
        const QImage img = surface->Render();
        // Knob 1 lower left, outside the bezel: white ring, black disc, white text.
        const TSinglePoint k = FaceAt(*dial, dial->GetRD1(), 225.0f);
        QVERIFY(AnyNear(img, {k.X, k.Y - dial->GetRD2()}, 1, IsWhite));
        QVERIFY(IsDark(PixelAt(img, int(k.X + dial->GetRD2() * 0.6f), int(k.Y + dial->GetRD2() * 0.6f))));
        const int r = static_cast<int>(dial->GetRD2() * 0.6f);
        const int ink = CountIn(img, QRect(int(k.X) - r, int(k.Y) - r / 2, 2 * r, r), Bright);
        QCOMPARE(ink > 10, !text.isEmpty());
        // Knob 2 is off.
        const TSinglePoint k2 = FaceAt(*dial, dial->GetRD1(), 135.0f);
        QVERIFY(!IsDark(PixelAt(img, int(k2.X), int(k2.Y))));
    }

    void showingAndHiding() {
        auto dial = TestDial::Create(surface.get());
        QVERIFY(!dial->GetVisible());
        QVERIFY(!dial->GetInstrumentLayer()->Visible());
        QCOMPARE(dial->GetInstrumentLayer()->Location(), QRectF(0, 0, 250, 250));

        int repaints = surface->RepaintCount();
        dial->SetVisible(true);
        QVERIFY(dial->GetVisible());
        QVERIFY(dial->GetInstrumentLayer()->Visible());
        QCOMPARE(dial->paints, 1);
        QCOMPARE(surface->RepaintCount(), repaints + 1); // one screen update for the whole face

        repaints = surface->RepaintCount();
        dial->SetVisible(true);
        QCOMPARE(dial->paints, 1);
        QCOMPARE(surface->RepaintCount(), repaints);

        dial->SetVisible(false);
        QVERIFY(!dial->GetInstrumentLayer()->Visible());
        QCOMPARE(dial->paints, 1); // hiding paints nothing
    }

    void layersLeaveTheSurfaceWithTheInstrument() {
        const auto before = surface->Layers().size();
        auto dial = TestDial::Create(surface.get(), 250, 250);
        QCOMPARE(surface->Layers().size(), before + 1);
        QCOMPARE(dial->GetInstrumentLayer()->Location(), QRectF(250, 0, 250, 250));
        dial.reset();
        QCOMPARE(surface->Layers().size(), before);
    }

    void instrumentOutlivingItsSurface() {
        auto dial = TestDial::Create(surface.get());
        surface.reset();
        dial->SetVisible(true); // paints into its own bitmap, nothing else
        QCOMPARE(dial->paints, 1);
    }
};

QTEST_MAIN(TstInstrumentBase)
#include "tst_instrumentbase.moc"
