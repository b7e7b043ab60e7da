// The dial geometry at the panel's width (250) and at 300, the width the
// figures are designed for: radii, tick lengths, knobs, marks, needles, the
// course instruments' scale and flags. Every expected figure is written in
// the tables below and measured on the rendered face (probes along rays from
// the centre) or, where the figure is a named property of the dial, read from
// it; none is taken from the instrument under test.
#include "instruments/ADF.h"
#include "instruments/HSI.h"
#include "instruments/RMI2.h"
#include "instruments/VOR.h"
#include "rig/InstrumentRig.h"
#include "tests/support/pixelprobe.h"

#include <QtTest>

#include <cmath>

namespace {

constexpr auto kVor = TInstrumentRig::TStationKind::VOR;
constexpr auto kNdb = TInstrumentRig::TStationKind::NDB;
const TSinglePoint kStation{400.0f, 300.0f};

int Luma(TColor32 c) {
    return (((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF)) / 3;
}
// Against the grey background: the white ring is brighter, the black ring darker.
bool BrighterThanGrey(TColor32 c) {
    return Luma(c) > 160;
}
bool DarkerThanGrey(TColor32 c) {
    return Luma(c) < 90;
}
// Against the black card: anything drawn in white or a bright colour.
bool Bright(TColor32 c) {
    return Luma(c) > 60;
}
// Yellow covering at least half the pixel, over the black card, a white mark
// or the red aircraft symbol: lengths and widths read with it are the drawn ones.
bool HalfYellow(TColor32 c) {
    return std::min((c >> 16) & 0xFFu, (c >> 8) & 0xFFu) >= 128 && (c & 0xFFu) <= 127;
}
// White and not yellow (a needle over a white mark).
bool Whitish(TColor32 c) {
    return std::min({(c >> 16) & 0xFFu, (c >> 8) & 0xFFu, c & 0xFFu}) > 110;
}
bool Greenish(TColor32 c) {
    return IsGreen(c);
}

// Filled shapes (discs, rings, polygons) are centred on the pixel corner at
// the face centre; one-pixel lines treat whole coordinates as pixel centres,
// so their probes start half a pixel further right and down.
TSinglePoint Centre(float w) {
    return {w / 2.0f, w / 2.0f};
}
TSinglePoint LineCentre(float w) {
    return {w / 2.0f + 0.5f, w / 2.0f + 0.5f};
}

QString Found(const TRun& run) {
    return QStringLiteral("run %1..%2").arg(run.From).arg(run.To);
}

// The first and last pixel in a row (or column) that passes the test.
std::pair<int, int> Extent(const QImage& img, int fixed, bool row, const ColorTest& test) {
    int first = -1, last = -1;
    const int n = row ? img.width() : img.height();
    for (int i = 0; i < n; ++i) {
        if (!test(row ? PixelAt(img, i, fixed) : PixelAt(img, fixed, i))) continue;
        if (first < 0) first = i;
        last = i;
    }
    return {first, last};
}

} // namespace

class TstDialGeometry : public QObject {
    Q_OBJECT

private slots:
    // The named radii of the dial.
    void namedRadii_data() {
        QTest::addColumn<int>("typ");
        QTest::addColumn<int>("width");
        QTest::addColumn<float>("sf");
        QTest::addColumn<float>("r");
        QTest::addColumn<float>("r1");
        QTest::addColumn<float>("r2");
        QTest::addColumn<float>("r3");
        QTest::addColumn<float>("rd1");
        QTest::addColumn<float>("rd2");
        QTest::newRow("RBI at 250") << 0 << 250 << 0.8333f << 116.67f << 72.5f << 84.17f << 78.33f << 133.33f
                                    << 16.67f;
        QTest::newRow("RBI at 300") << 0 << 300 << 1.0f << 140.0f << 87.0f << 101.0f << 94.0f << 160.0f
                                    << 20.0f;
        QTest::newRow("heading indicator at 250")
            << 3 << 250 << 0.8333f << 116.67f << 110.0f << 98.33f << 104.17f << 133.33f << 16.67f;
        QTest::newRow("heading indicator at 300")
            << 3 << 300 << 1.0f << 140.0f << 132.0f << 118.0f << 125.0f << 160.0f << 20.0f;
        QTest::newRow("VOR indicator at 250")
            << 4 << 250 << 0.8333f << 116.67f << 72.5f << 84.17f << 78.33f << 133.33f << 16.67f;
        QTest::newRow("HSI at 300") << 5 << 300 << 1.0f << 140.0f << 87.0f << 101.0f << 94.0f << 160.0f
                                    << 20.0f;
    }
    void namedRadii() {
        QFETCH(int, typ);
        QFETCH(int, width);
        QFETCH(float, sf);
        QFETCH(float, r);
        QFETCH(float, r1);
        QFETCH(float, r2);
        QFETCH(float, r3);
        QFETCH(float, rd1);
        QFETCH(float, rd2);
        TInstrumentRig rig({200, 200});
        auto dial = std::dynamic_pointer_cast<TInstrument>(rig.Alone(typ, width));
        QVERIFY(dial);
        const float tolerance = 0.01f;
        QVERIFY(std::fabs(dial->GetSF() - sf) < tolerance);
        QCOMPARE(dial->GetXm(), width / 2.0f);
        QCOMPARE(dial->GetYm(), width / 2.0f);
        QVERIFY2(std::fabs(dial->GetR() - r) < tolerance, qPrintable(QString::number(dial->GetR())));
        QVERIFY2(std::fabs(dial->GetR1() - r1) < tolerance, qPrintable(QString::number(dial->GetR1())));
        QVERIFY2(std::fabs(dial->GetR2() - r2) < tolerance, qPrintable(QString::number(dial->GetR2())));
        QVERIFY2(std::fabs(dial->GetR3() - r3) < tolerance, qPrintable(QString::number(dial->GetR3())));
        QVERIFY2(std::fabs(dial->GetRD1() - rd1) < tolerance, qPrintable(QString::number(dial->GetRD1())));
        QVERIFY2(std::fabs(dial->GetRD2() - rd2) < tolerance, qPrintable(QString::number(dial->GetRD2())));
    }

    // Bezel rings, the card's 10-degree and 5-degree ticks, measured along
    // rays from the centre: outer ticks on the needle instruments, inner
    // ticks (pointing to the centre) on the heading indicator.
    void bezelAndTicks_data() {
        QTest::addColumn<int>("typ");
        QTest::addColumn<int>("width");
        QTest::addColumn<float>("r");  // bezel
        QTest::addColumn<float>("r1"); // where every tick starts
        QTest::addColumn<float>("r2"); // end of the 10-degree ticks
        QTest::addColumn<float>("r3"); // end of the 5-degree ticks
        QTest::newRow("RBI at 250") << 0 << 250 << 116.67f << 72.5f << 84.17f << 78.33f;
        QTest::newRow("RBI at 300") << 0 << 300 << 140.0f << 87.0f << 101.0f << 94.0f;
        QTest::newRow("heading indicator at 250") << 3 << 250 << 116.67f << 110.0f << 98.33f << 104.17f;
        QTest::newRow("heading indicator at 300") << 3 << 300 << 140.0f << 132.0f << 118.0f << 125.0f;
    }
    void bezelAndTicks() {
        QFETCH(int, typ);
        QFETCH(int, width);
        QFETCH(float, r);
        QFETCH(float, r1);
        QFETCH(float, r2);
        QFETCH(float, r3);
        TInstrumentRig rig({200, 200}); // heading 0: card value x at clock angle x
        QVERIFY(rig.Alone(typ, width));
        const QImage img = rig.Shot();
        const float w = static_cast<float>(width);

        // Black ring at the bezel radius, white ring one pixel inside it.
        const TRun white = RunAlong(img, Centre(w), 20.0f, r - 4.0f, r + 3.0f, BrighterThanGrey);
        QVERIFY2(std::fabs(white.Middle() - (r - 1.0f)) <= 1.0f, qPrintable(Found(white)));
        const TRun black = RunAlong(img, Centre(w), 20.0f, white.To + 0.1f, r + 3.0f, DarkerThanGrey);
        QVERIFY2(std::fabs(black.Middle() - r) <= 1.0f, qPrintable(Found(black)));
        QVERIFY(!RunAlong(img, Centre(w), 20.0f, r + 1.5f, w / 2.0f, DarkerThanGrey).Found());

        const float inner = std::min({r1, r2, r3}) - 8.0f;
        const TRun tick10 = RunAlong(img, LineCentre(w), 20.0f, inner, r - 4.0f, Bright, 1.0f);
        QVERIFY2(std::fabs(tick10.From - std::min(r1, r2)) <= 1.0f, qPrintable(Found(tick10)));
        QVERIFY2(std::fabs(tick10.To - std::max(r1, r2)) <= 1.0f, qPrintable(Found(tick10)));
        const TRun tick5 = RunAlong(img, LineCentre(w), 15.0f, inner, r - 4.0f, Bright, 1.0f);
        QVERIFY2(std::fabs(tick5.From - std::min(r1, r3)) <= 1.0f, qPrintable(Found(tick5)));
        QVERIFY2(std::fabs(tick5.To - std::max(r1, r3)) <= 1.0f, qPrintable(Found(tick5)));
    }

    // Knob 1 at clock angle 225, its ring reaching out to rd1 + rd2; the
    // white 90-degree marks from rm - 10 to rm and the 45-degree dots at rm.
    void knobAndMarks_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<float>("knobOuter"); // rd1 + rd2
        QTest::addColumn<float>("rm");
        QTest::newRow("250") << 250 << 150.0f << 66.67f;
        QTest::newRow("300") << 300 << 180.0f << 80.0f;
    }
    void knobAndMarks() {
        QFETCH(int, width);
        QFETCH(float, knobOuter);
        QFETCH(float, rm);
        TInstrumentRig rig({200, 200});
        QVERIFY(rig.Alone(1, width)); // the MDI: knob "HDG", outer marks
        const QImage img = rig.Shot();
        const float w = static_cast<float>(width);

        const auto rings =
            RunsAlong(img, Centre(w), 225.0f, knobOuter - 10.0f, knobOuter + 3.0f, BrighterThanGrey);
        QVERIFY(!rings.empty());
        QVERIFY2(std::fabs(rings.back().Middle() - knobOuter) <= 1.0f, qPrintable(Found(rings.back())));

        const TSinglePoint below{w / 2.0f, w / 2.0f + 1.0f}; // the marks are rows ym to ym + 2
        for (float phi : {90.0f, 270.0f}) {
            const TRun mark = RunAlong(img, below, phi, rm - 14.0f, rm + 3.0f, Bright);
            QVERIFY2(std::fabs(mark.From - (rm - 10.0f)) <= 1.0f, qPrintable(Found(mark)));
            QVERIFY2(std::fabs(mark.To - rm) <= 1.0f, qPrintable(Found(mark)));
        }
        for (float phi : {45.0f, 315.0f}) {
            const TRun dot = RunAlong(img, Centre(w), phi, rm - 5.0f, rm + 5.0f, Bright);
            QVERIFY2(std::fabs(dot.Middle() - rm) <= 1.0f, qPrintable(Found(dot)));
            QVERIFY2(dot.Length() <= 7.5f, qPrintable(Found(dot))); // radius 3
        }
        // No dots on the lower diagonals.
        QVERIFY(!RunAlong(img, Centre(w), 135.0f, rm - 4.0f, rm + 4.0f, Bright).Found());
    }

    // The needle of the needle instruments: tip one pixel inside the start of
    // the ticks, head width 10, shaft width 3 (scaled by width / 300).
    void adfNeedle_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<float>("length"); // r1 - 1
        QTest::addColumn<float>("head");   // head length
        QTest::addColumn<float>("headWidth");
        QTest::addColumn<float>("shaft");
        QTest::newRow("250") << 250 << 71.5f << 16.67f << 8.33f << 2.5f;
        QTest::newRow("300") << 300 << 86.0f << 20.0f << 10.0f << 3.0f;
    }
    void adfNeedle() {
        QFETCH(int, width);
        QFETCH(float, length);
        QFETCH(float, head);
        QFETCH(float, headWidth);
        QFETCH(float, shaft);
        TInstrumentRig rig({200, 200});
        QVERIFY(rig.Alone(0, width)); // untuned RBI: the needle points up
        const QImage img = rig.Shot();
        const float w = static_cast<float>(width);
        const float c = w / 2.0f;

        // The one-pixel tip lies in the column right of the centre.
        const TRun up = RunAlong(img, {c + 0.5f, c}, 0.0f, 0.0f, length + 10.0f, HalfYellow);
        QVERIFY2(std::fabs(up.To - length) <= 1.0f, qPrintable(Found(up)));
        const TRun down = RunAlong(img, {c + 0.5f, c}, 180.0f, 0.0f, length + 10.0f, HalfYellow);
        QVERIFY2(std::fabs(down.To - length) <= 1.0f, qPrintable(Found(down)));

        // Across, through the middle of the pixel row just in front of the head's
        // base (the head narrows from its full width there to one pixel at the
        // tip), and on the shaft.
        const float y = std::floor(c - (length - head + 1.0f)) + 0.5f;
        const float inFront = c - y - (length - head);
        const TRun across = RunAlong(img, {c - 15.0f, y}, 90.0f, 0.0f, 30.0f, HalfYellow);
        const float expected = headWidth - (headWidth - 1.0f) * inFront / head;
        QVERIFY2(std::fabs(across.Length() - expected) <= 1.0f, qPrintable(Found(across)));
        const TRun onShaft = RunAlong(img, {c - 15.0f, c - 30.0f}, 90.0f, 0.0f, 30.0f, HalfYellow);
        QVERIFY2(std::fabs(onShaft.Length() - shaft) <= 1.0f, qPrintable(Found(onShaft)));
        // Behind the head's base the needle is the shaft: no wider than it.
        const TRun behind =
            RunAlong(img, {c - 15.0f, c - (length - head - 2.0f)}, 90.0f, 0.0f, 30.0f, HalfYellow);
        QVERIFY2(behind.Length() <= shaft + 1.0f, qPrintable(Found(behind)));
    }

    // The hollow second needle of the two-needle RMI: a shaft 6 wide (scaled).
    void hollowNeedleShaft_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<float>("shaft");
        QTest::newRow("250") << 250 << 5.0f;
        QTest::newRow("300") << 300 << 6.0f;
    }
    void hollowNeedleShaft() {
        QFETCH(int, width);
        QFETCH(float, shaft);
        TInstrumentRig rig({200, 200});
        QVERIFY(rig.Alone(6, width));
        rig.Tune(nullptr, rig.AddStation(kNdb, {200, 100})); // needle 2 up, needle 1 untuned (up too)
        const QImage img = rig.Shot();
        const float c = width / 2.0f + 0.5f;
        const auto sides = RunsAlong(img, {c - 12.0f, c - 30.0f}, 90.0f, 0.0f, 24.0f, IsYellowish);
        QCOMPARE(int(sides.size()), 2);
        const float apart = sides[1].Middle() - sides[0].Middle();
        QVERIFY2(std::fabs(apart - shaft) <= 1.0f, qPrintable(QString::number(apart)));
    }

    // VOR indicator: eleven marks 2 degrees apart, FR1 / sqrt(2) / 5 pixels;
    // the needle as long as the scale is wide, half a mark per degree.
    void vorScale_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<float>("delta");
        QTest::addColumn<float>("halfNeedle"); // FR1 / sqrt(2), the outermost mark
        QTest::addColumn<float>("markHalfHeight");
        QTest::newRow("250") << 250 << 10.253f << 51.265f << 4.17f;
        QTest::newRow("300") << 300 << 12.304f << 61.518f << 5.0f;
    }
    void vorScale() {
        QFETCH(int, width);
        QFETCH(float, delta);
        QFETCH(float, halfNeedle);
        QFETCH(float, markHalfHeight);
        TInstrumentRig rig(PointOnRadial(kStation, 93.0f, 150.0f)); // FROM, 3 degrees: needle 1.5 marks left
        auto vor = rig.AloneWithStation<TVOR>(kVor, kStation, true, width);
        vor->SetValue(90.0f);
        QVERIFY(std::fabs(vor->GetAblage() + 3.0f) < 0.01f);
        const QImage img = rig.Shot();
        const float c = width / 2.0f;

        // The vertical strokes of the ten crosses, in a row above the centre line.
        const float y = c - markHalfHeight + 1.5f;
        const auto strokes = RunsAlong(img, {c - 5.6f * delta, y}, 90.0f, 0.0f, 11.2f * delta, Whitish);
        std::vector<float> marks;
        for (const TRun& s : strokes) {
            const float x = c - 5.6f * delta + s.Middle();
            if (std::fabs(x - c - 0.5f) > delta / 2.0f) marks.push_back(x);
        }
        QCOMPARE(int(marks.size()), 10);
        int k = -5;
        for (float x : marks) {
            if (k == 0) ++k;
            const float expected = c + 0.5f + static_cast<float>(k) * delta;
            QVERIFY2(std::fabs(x - expected) <= 0.6f,
                     qPrintable(QStringLiteral("mark %1 at %2, expected %3").arg(k).arg(x).arg(expected)));
            ++k;
        }
        // Nothing of the scale beyond the outermost marks (the card ticks start further out).
        QCOMPARE(CountIn(img, QRect(int(c + halfNeedle + 4.0f), int(y), 10, 1), Whitish), 0);

        // The needle, 1.5 marks left, from c - halfNeedle to c + halfNeedle.
        const float needleX = YellowCentreX(img, int(c - 20.0f), 0, width - 1);
        QVERIFY2(std::fabs(needleX - (c + 0.5f - 1.5f * delta)) <= 0.5f,
                 qPrintable(QString::number(needleX)));
        const TRun needle = RunAlong(img, {needleX, c - halfNeedle - 5.0f}, 180.0f, 0.0f,
                                     2 * halfNeedle + 10.0f, IsYellowish);
        QVERIFY2(std::fabs(needle.From - 5.0f) <= 1.0f, qPrintable(Found(needle)));
        QVERIFY2(std::fabs(needle.Length() - 2.0f * halfNeedle) <= 1.5f, qPrintable(Found(needle)));
    }

    // The TO and FROM triangles, right of the centre by half the needle length:
    // apex 30 and base 15 (scaled) from the centre line, base 30 wide.
    void vorFlag_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<float>("radial"); // with OBS 090: 267 TO, 93 FROM, both 3 degrees
        QTest::addColumn<int>("side");     // -1 above the centre line (TO), +1 below (FROM)
        QTest::addColumn<float>("cx");
        QTest::addColumn<float>("apex");
        QTest::addColumn<float>("base");
        QTest::newRow("TO at 250") << 250 << 267.0f << -1 << 150.63f << 25.0f << 12.5f;
        QTest::newRow("FROM at 250") << 250 << 93.0f << 1 << 150.63f << 25.0f << 12.5f;
        QTest::newRow("TO at 300") << 300 << 267.0f << -1 << 180.76f << 30.0f << 15.0f;
        QTest::newRow("FROM at 300") << 300 << 93.0f << 1 << 180.76f << 30.0f << 15.0f;
    }
    void vorFlag() {
        QFETCH(int, width);
        QFETCH(float, radial);
        QFETCH(int, side);
        QFETCH(float, cx);
        QFETCH(float, apex);
        QFETCH(float, base);
        TInstrumentRig rig(PointOnRadial(kStation, radial, 150.0f));
        auto vor = rig.AloneWithStation<TVOR>(kVor, kStation, true, width);
        vor->SetValue(90.0f);
        QCOMPARE(vor->GetToFrom(), side < 0 ? 0 : 1);
        const QImage img = rig.Shot();
        const float c = width / 2.0f;
        const float s = static_cast<float>(side);

        // Down the triangle's axis, from the centre line outwards.
        const TRun axis = RunAlong(img, {cx, c}, side < 0 ? 0.0f : 180.0f, 2.0f, apex + 8.0f, Whitish);
        QVERIFY2(std::fabs(axis.From - base) <= 1.0f, qPrintable(Found(axis)));
        QVERIFY2(std::fabs(axis.To - apex) <= 1.0f, qPrintable(Found(axis)));
        // Through the middle of the row just off the base: nearly the full base
        // width (it narrows towards the apex), centred on cx.
        const float y = std::floor(c + s * (base + 1.0f)) + 0.5f;
        const float offBase = std::fabs(y - c) - base;
        const TRun row = RunAlong(img, {cx - 2.0f * base, y}, 90.0f, 0.0f, 4.0f * base, Whitish);
        const float expected = 2.0f * base * (apex - base - offBase) / (apex - base);
        QVERIFY2(std::fabs(row.Length() - expected) <= 1.0f, qPrintable(Found(row)));
        QVERIFY2(std::fabs(cx - 2.0f * base + row.Middle() - cx) <= 0.75f, qPrintable(Found(row)));
        // Nothing on the other side of the centre line.
        QVERIFY(!RunAlong(img, {cx, c}, side < 0 ? 180.0f : 0.0f, 2.0f, apex + 8.0f, Whitish).Found());
    }

    // HSI with heading and course 0 (arrow up): the deviation bar 0.8 of the
    // scale's half width long on each side, the arrow's gap as long, the arrow
    // ending at FR1, the bar pinned on the outermost mark at full scale.
    void hsiBarAndArrow_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<float>("delta");
        QTest::addColumn<float>("halfBar"); // 0.8 * FR1 / sqrt(2)
        QTest::addColumn<float>("arrow");   // FR1
        QTest::addColumn<float>("shaft");   // 4, scaled
        QTest::newRow("250") << 250 << 10.253f << 41.012f << 72.5f << 3.33f;
        QTest::newRow("300") << 300 << 12.304f << 49.214f << 87.0f << 4.0f;
    }
    void hsiBarAndArrow() {
        QFETCH(int, width);
        QFETCH(float, delta);
        QFETCH(float, halfBar);
        QFETCH(float, arrow);
        QFETCH(float, shaft);
        TInstrumentRig rig(PointOnRadial(kStation, 12.0f, 150.0f)); // FROM, 12 degrees: pinned left
        auto hsi = rig.AloneWithStation<THSI>(kVor, kStation, true, width);
        QVERIFY(std::fabs(hsi->GetAblage() + 12.0f) < 0.01f);
        const QImage img = rig.Shot();
        const float c = width / 2.0f;

        // Polygons sit on pixel corners; the bar's centre line is half a pixel right of its x.
        const float barX = c - 5.0f * delta + 0.5f;
        const TRun bar =
            RunAlong(img, {barX, c - halfBar - 5.0f}, 180.0f, 0.0f, 2.0f * halfBar + 10.0f, Greenish);
        QVERIFY2(std::fabs(bar.From - 5.0f) <= 1.0f, qPrintable(Found(bar)));
        QVERIFY2(std::fabs(bar.Length() - 2.0f * halfBar) <= 1.5f, qPrintable(Found(bar)));
        const TRun barAcross = RunAlong(img, {barX - 8.0f, c - halfBar / 2.0f}, 90.0f, 0.0f, 16.0f, Greenish);
        QVERIFY2(std::fabs(barAcross.Length() - shaft) <= 1.0f, qPrintable(Found(barAcross)));
        QVERIFY(!AnyNear(img, {c + 5.0f * delta + 0.5f, c - halfBar / 2.0f}, 2, Greenish));

        // The arrow: nothing green in its gap, then green out to its tip.
        const TRun ahead = RunAlong(img, {c + 0.5f, c}, 0.0f, 0.0f, arrow + 10.0f, Greenish);
        QVERIFY2(std::fabs(ahead.From - halfBar) <= 1.0f, qPrintable(Found(ahead)));
        QVERIFY2(std::fabs(ahead.To - arrow) <= 1.0f, qPrintable(Found(ahead)));
        const TRun behind = RunAlong(img, {c + 0.5f, c}, 180.0f, 0.0f, arrow + 10.0f, Greenish);
        QVERIFY2(std::fabs(behind.From - halfBar) <= 1.0f, qPrintable(Found(behind)));
        QVERIFY2(std::fabs(behind.To - arrow) <= 1.0f, qPrintable(Found(behind)));

        // The marks: the arms across the course axis, one mark spacing apart.
        const auto arms = RunsAlong(img, {c - 5.6f * delta, c + 2.5f}, 90.0f, 0.0f, 11.2f * delta, Whitish);
        QVERIFY2(arms.size() >= 9, qPrintable(QString::number(arms.size())));
    }

    // The NAV flag: x from xm - 20 to xm + 21, y from ym - L to ym - L + 20
    // (scaled, each rounded to the nearest integer; L = 0.8 * FR1 / sqrt(2)).
    void hsiNavFlag_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<float>("left");
        QTest::addColumn<float>("top");
        QTest::addColumn<float>("right");
        QTest::addColumn<float>("bottom");
        QTest::newRow("250") << 250 << 108.33f << 83.99f << 142.5f << 100.65f;
        QTest::newRow("300") << 300 << 130.0f << 100.79f << 171.0f << 120.79f;
    }
    void hsiNavFlag() {
        QFETCH(int, width);
        QFETCH(float, left);
        QFETCH(float, top);
        QFETCH(float, right);
        QFETCH(float, bottom);
        TInstrumentRig rig({200, 200});
        auto hsi = rig.Alone<THSI>(width); // untuned: NAV
        const QImage img = rig.Shot();
        const TIntRect nav = hsi->GetP_NAV();
        QVERIFY2(
            std::fabs(nav.Left - left) <= 0.5f && std::fabs(nav.Top - top) <= 0.5f &&
                std::fabs(nav.Right - right) <= 0.5f && std::fabs(nav.Bottom - bottom) <= 0.5f,
            qPrintable(
                QStringLiteral("%1 %2 %3 %4").arg(nav.Left).arg(nav.Top).arg(nav.Right).arg(nav.Bottom)));
        // Its red pixels fill exactly those rows and columns (right and bottom exclusive).
        const auto across = Extent(img, int(std::ceil(top)) + 1, true, IsRed);
        QCOMPARE(across.first, nav.Left);
        QCOMPARE(across.second + 1, nav.Right);
        // Above the aircraft symbol's wings, which are red too.
        const auto down =
            Extent(img.copy(0, 0, width, width / 2 - 14), int(std::ceil(left)) + 1, false, IsRed);
        QCOMPARE(down.first, nav.Top);
        QCOMPARE(down.second + 1, nav.Bottom);
    }
};

QTEST_MAIN(TstDialGeometry)
#include "tst_dialgeometry.moc"
