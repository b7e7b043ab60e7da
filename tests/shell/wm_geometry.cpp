// Window geometry as a desktop shows it: this program runs on an X server with
// a real window manager (tests/with-window-manager.sh), so windows get frames.
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "shell/BaseFrm.h"
#include "shell/PlainMessage.h"
#include "tests/support/mainformfixture.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTest>

#include <memory>

namespace {

const QString Section = QStringLiteral("frmMainTalvex");
const QSize DesignSize(420, 300);
// A window manager answers within this time, also on a busy machine.
constexpr int WmTimeoutMs = 10000;

void WriteGeometry(bool maximised, const QRect& outer) {
    TIniFile ini(SettingsFileName());
    ini.WriteBool(Section, "WindowState", maximised);
    ini.WriteInteger(Section, "Left", outer.x());
    ini.WriteInteger(Section, "Top", outer.y());
    ini.WriteInteger(Section, "Width", outer.width());
    ini.WriteInteger(Section, "Height", outer.height());
    QVERIFY(ini.UpdateFile());
}

QRect StoredGeometry() {
    const TIniFile ini(SettingsFileName());
    return QRect(ini.ReadInteger(Section, "Left", -1), ini.ReadInteger(Section, "Top", -1),
                 ini.ReadInteger(Section, "Width", -1), ini.ReadInteger(Section, "Height", -1));
}

bool Framed(const QWidget& w) {
    return w.frameGeometry().size() != w.size();
}

} // namespace

class TestWmGeometry : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup() { SetPlainMessageHandler({}); }

    void storesOuterGeometry();
    void opensWithStoredOuterGeometry();
    void maximiseCloseStartRestore();
    void mainWindowMinimumAfterMaximiseAndRestore();
};

void TestWmGeometry::initTestCase() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server with a window manager (run through with-window-manager.sh)");
    QWidget probe;
    probe.resize(200, 100);
    probe.show();
    QVERIFY(QTest::qWaitForWindowExposed(&probe));
    if (!QTest::qWaitFor([&] { return Framed(probe); }, WmTimeoutMs))
        QSKIP("no window manager framed a plain window");
}

void TestWmGeometry::init() {
    SetPlainMessageHandler([](const QString& text) { qWarning("message: %s", qPrintable(text)); });
    QFile::remove(SettingsFileName());
}

// The file holds the outer size, frame included, and the outer position.
void TestWmGeometry::storesOuterGeometry() {
    {
        TfrmBase w(Section, DesignSize);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_VERIFY_WITH_TIMEOUT(w.FrameExtra() != QSize(0, 0), WmTimeoutMs);
        w.resize(500, 350);
        QTRY_COMPARE_WITH_TIMEOUT(w.size(), QSize(500, 350), WmTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(w.ResizeWidth(), w.frameGeometry().width(), WmTimeoutMs);
        QVERIFY(w.close());
        QCOMPARE(StoredGeometry(), w.frameGeometry());
        QCOMPARE(StoredGeometry().size(), QSize(500, 350) + w.FrameExtra());
    }
}

// What was stored comes back as the same outer geometry; a file of the older
// build (inner size) brings the window up smaller by its frame.
void TestWmGeometry::opensWithStoredOuterGeometry() {
    const QRect outer(100, 80, 600, 400);
    WriteGeometry(false, outer);
    TfrmBase w(Section, DesignSize);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_VERIFY_WITH_TIMEOUT(w.FrameExtra() != QSize(0, 0), WmTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(w.frameGeometry(), outer, WmTimeoutMs);
    QCOMPARE(w.size(), outer.size() - w.FrameExtra());
    QVERIFY(w.close());
    QCOMPARE(StoredGeometry(), outer);
}

void TestWmGeometry::maximiseCloseStartRestore() {
    const QRect outer(120, 90, 640, 420);
    WriteGeometry(false, outer);
    {
        TfrmBase w(Section, DesignSize);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_COMPARE_WITH_TIMEOUT(w.frameGeometry(), outer, WmTimeoutMs);
        w.setWindowState(Qt::WindowMaximized);
        QTRY_VERIFY_WITH_TIMEOUT(w.isMaximized() && w.frameGeometry().width() > outer.width(), WmTimeoutMs);
        QVERIFY(w.close());
    }
    {
        const TIniFile ini(SettingsFileName());
        QCOMPARE(ini.ReadInteger(Section, "WindowState", -1), 1);
    }
    QCOMPARE(StoredGeometry(), outer);

    TfrmBase again(Section, DesignSize);
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QTRY_VERIFY_WITH_TIMEOUT(again.isMaximized() && again.frameGeometry().width() > outer.width(),
                             WmTimeoutMs);
    again.setWindowState(Qt::WindowNoState);
    QTRY_COMPARE_WITH_TIMEOUT(again.frameGeometry(), outer, WmTimeoutMs);
    // The frame settles after the restore; the size must still be the one stored.
    QTest::qWait(TfrmBase::FrameSettleMs + 100);
    QCOMPARE(again.frameGeometry(), outer);
    QVERIFY(again.close());
    QCOMPARE(StoredGeometry(), outer);
}

// The smallest window is 935 x 437 with its frame, also after the window was
// maximised and restored.
void TestWmGeometry::mainWindowMinimumAfterMaximiseAndRestore() {
    TModalRecorder recorder;
    auto w = NewMainForm(true);
    QTRY_VERIFY_WITH_TIMEOUT(w->FrameExtra() != QSize(0, 0), WmTimeoutMs);
    // At a user's pace: the window manager has settled the frame in between.
    const auto settle = [] { QTest::qWait(TfrmBase::FrameSettleMs + 200); };
    const auto smallest = [&] {
        settle();
        w->resize(10, 10);
        return QTest::qWaitFor([&] { return w->frameGeometry().size() == QSize(935, 437); }, WmTimeoutMs);
    };
    QVERIFY(smallest());
    for (int round = 0; round < 2; ++round) {
        w->setWindowState(Qt::WindowMaximized);
        QTRY_VERIFY_WITH_TIMEOUT(w->isMaximized() && w->frameGeometry().width() > 935, WmTimeoutMs);
        settle();
        w->setWindowState(Qt::WindowNoState);
        QTRY_VERIFY_WITH_TIMEOUT(!w->isMaximized(), WmTimeoutMs);
        QVERIFY2(smallest(), qPrintable(QStringLiteral("round %1: %2 x %3")
                                            .arg(round)
                                            .arg(w->frameGeometry().width())
                                            .arg(w->frameGeometry().height())));
    }
}

QTEST_MAIN(TestWmGeometry)
#include "wm_geometry.moc"
