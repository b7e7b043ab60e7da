#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "shell/BaseFrm.h"
#include "shell/PlainMessage.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

#include <memory>

namespace {

const QString Section = QStringLiteral("frmMainTalvex");
const QSize DesignSize(420, 300);

QString IniPath() {
    return SettingsFileName();
}

std::unique_ptr<TfrmBase> NewShownWindow() {
    auto w = std::make_unique<TfrmBase>(Section, DesignSize);
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get())) qWarning("window not exposed");
    return w;
}

QStringList KeysOf(const QString& file) {
    const TIniFile ini(file);
    return ini.ReadSection(Section);
}

} // namespace

class TestBaseFrm : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void firstStartWritesSectionOnClose();
    void geometryRoundTrip();
    void edgesAtZeroOrBeyondKeepRecordedValue_data();
    void edgesAtZeroOrBeyondKeepRecordedValue();
    void maximisedKeepsNormalGeometry();
    void unreadableValuesGiveCurrentGeometry_data();
    void unreadableValuesGiveCurrentGeometry();
    void failedWriteIsReportedOnceAndWindowCloses_data();
    void failedWriteIsReportedOnceAndWindowCloses();
    void folderThatCannotBeCreated();
    void unreadableFileKeptAsBackup_data();
    void unreadableFileKeptAsBackup();
    void damagedGeometryIsFitted_data();
    void damagedGeometryIsFitted();
    void opensCentredWithStoredSize_data();
    void opensCentredWithStoredSize();
    void versionInfoAndPaths();

private:
    QStringList m_messages;
};

void TestBaseFrm::init() {
    m_messages.clear();
    SetPlainMessageHandler([this](const QString& text) { m_messages << text; });
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QDir(config + "/Quellbach").removeRecursively();
    QFile::remove(config + "/Quellbach");
}

void TestBaseFrm::cleanup() {
    SetPlainMessageHandler({});
}

void TestBaseFrm::firstStartWritesSectionOnClose() {
    QVERIFY(!QFile::exists(IniPath()));
    auto w = NewShownWindow();
    QCOMPARE(w->size(), DesignSize);
    // The design size is the inner size; the file holds the outer one.
    const QSize outer = w->frameGeometry().size();
    QVERIFY(w->close());
    // Written on closing already, in the fixed order.
    QCOMPARE(KeysOf(IniPath()), QStringList({"WindowState", "Left", "Top", "Width", "Height"}));
    const TIniFile ini(IniPath());
    QCOMPARE(ini.ReadInteger(Section, "WindowState", -1), 0);
    QCOMPARE(ini.ReadInteger(Section, "Width", -1), outer.width());
    QCOMPARE(ini.ReadInteger(Section, "Height", -1), outer.height());
    QVERIFY(m_messages.isEmpty());
}

void TestBaseFrm::geometryRoundTrip() {
    {
        auto w = NewShownWindow();
        w->move(110, 120);
        w->resize(500, 350);
        // Outer geometry: the test platform gives windows a small frame.
        const QSize outer = QSize(500, 350) + w->FrameExtra();
        QTRY_COMPARE(w->ResizeWidth(), outer.width());
        QTRY_COMPARE(w->ResizeLeft(), 110);
        QCOMPARE(w->ResizeTop(), 120);
        QCOMPARE(w->ResizeHeight(), outer.height());
    } // destroyed without closing: the destructor writes
    const TIniFile ini(IniPath());
    QCOMPARE(ini.ReadInteger(Section, "Left", -1), 110);
    QCOMPARE(ini.ReadInteger(Section, "Top", -1), 120);

    auto again = NewShownWindow();
    QCOMPARE(again->pos(), QPoint(110, 120));
    QTRY_COMPARE(again->size(), QSize(500, 350));
    QVERIFY(!again->isMaximized());
    QVERIFY(again->SaveSize());
}

void TestBaseFrm::edgesAtZeroOrBeyondKeepRecordedValue_data() {
    QTest::addColumn<QPoint>("moveTo");
    QTest::addColumn<QPoint>("recorded");
    QTest::newRow("both positive") << QPoint(30, 40) << QPoint(30, 40);
    QTest::newRow("top at 0") << QPoint(30, 0) << QPoint(30, 60);
    QTest::newRow("left beyond the screen") << QPoint(-25, 40) << QPoint(50, 40);
    QTest::newRow("both beyond") << QPoint(-5, -5) << QPoint(50, 60);
}

void TestBaseFrm::edgesAtZeroOrBeyondKeepRecordedValue() {
    QFETCH(QPoint, moveTo);
    QFETCH(QPoint, recorded);
    auto w = NewShownWindow();
    w->move(50, 60);
    QTRY_COMPARE(QPoint(w->ResizeLeft(), w->ResizeTop()), QPoint(50, 60));
    w->move(moveTo);
    QTRY_COMPARE(w->pos(), moveTo);
    QCOMPARE(QPoint(w->ResizeLeft(), w->ResizeTop()), recorded);
    w.reset();
    const TIniFile ini(IniPath());
    QCOMPARE(QPoint(ini.ReadInteger(Section, "Left", -1), ini.ReadInteger(Section, "Top", -1)), recorded);
}

void TestBaseFrm::maximisedKeepsNormalGeometry() {
    const QRect normal(60, 70, 400, 280);
    int maximiseCalls = 0;
    {
        auto w = NewShownWindow();
        w->SetOnMaximize([&](QObject*, int&, int&) { ++maximiseCalls; });
        w->move(normal.topLeft());
        w->resize(normal.size() - w->FrameExtra());
        QTRY_COMPARE(w->ResizeWidth(), normal.width());
        QTRY_COMPARE(w->ResizeLeft(), normal.left());
        w->showMaximized();
        QTRY_VERIFY(w->isMaximized());
        QTRY_VERIFY(w->size() != normal.size());
        QVERIFY(!w->SaveSize());
        QCOMPARE(maximiseCalls, 1);
        // Nothing is recorded while maximised.
        QCOMPARE(QRect(w->ResizeLeft(), w->ResizeTop(), w->ResizeWidth(), w->ResizeHeight()), normal);
        QVERIFY(w->close());
    }
    const TIniFile ini(IniPath());
    QCOMPARE(ini.ReadInteger(Section, "WindowState", -1), 1);
    QCOMPARE(QRect(ini.ReadInteger(Section, "Left", -1), ini.ReadInteger(Section, "Top", -1),
                   ini.ReadInteger(Section, "Width", -1), ini.ReadInteger(Section, "Height", -1)),
             normal);

    // The next start opens maximised, and restoring gives the stored geometry back.
    auto again = NewShownWindow();
    int restoreCalls = 0;
    again->SetOnRestore([&](QObject* sender, int& width, int&) {
        QCOMPARE(sender, again.get());
        QVERIFY(width > 0);
        ++restoreCalls;
    });
    QVERIFY(again->isMaximized());
    QVERIFY(!again->SaveSize());
    again->showNormal();
    QTRY_COMPARE(again->frameGeometry(), normal);
    QVERIFY(again->SaveSize());
    QVERIFY(restoreCalls >= 1);
    // Normal again, once the frame has settled: moves are recorded.
    QTest::qWait(TfrmBase::FrameSettleMs + 100);
    again->move(90, 95);
    QTRY_COMPARE(QPoint(again->ResizeLeft(), again->ResizeTop()), QPoint(90, 95));
}

void TestBaseFrm::unreadableValuesGiveCurrentGeometry_data() {
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("maximised");
    QTest::newRow("not numbers") << QByteArray("WindowState=ja\nWidth=breit\nHeight=\n") << DesignSize
                                 << false;
    QTest::newRow("hex accepted") << QByteArray("Width=0x1F4\nHeight=0x12C\n") << QSize(500, 300) << false;
    QTest::newRow("zero or negative sizes") << QByteArray("Width=0\nHeight=-300\n") << DesignSize << false;
    QTest::newRow("any non-zero WindowState maximises")
        << QByteArray("WindowState=2\n") << DesignSize << true;
}

void TestBaseFrm::unreadableValuesGiveCurrentGeometry() {
    QFETCH(QByteArray, section);
    QFETCH(QSize, size);
    QFETCH(bool, maximised);
    QVERIFY(ForceDirectories(QFileInfo(IniPath()).path()));
    QFile f(IniPath());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[frmMainTalvex]\n" + section);
    f.close();

    TfrmBase w(Section, DesignSize);
    QCOMPARE(w.isMaximized(), maximised);
    QCOMPARE(QSize(w.ResizeWidth(), w.ResizeHeight()), size);
    if (!maximised) QCOMPARE(w.size(), size);
}

void TestBaseFrm::failedWriteIsReportedOnceAndWindowCloses_data() {
    QTest::addColumn<QString>("kind");
    for (const QString& kind : UnwritableKinds())
        QTest::newRow(qPrintable(kind)) << kind;
}

// A settings file that cannot be written never holds the window: one message
// for the close and the destruction together, and the window goes. The FIFO
// row would hang for ever if anything opened it.
void TestBaseFrm::failedWriteIsReportedOnceAndWindowCloses() {
    QFETCH(QString, kind);
    QVERIFY(MakeUnwritable(IniPath(), kind));
    auto w = NewShownWindow();
    w->resize(500, 350);
    QVERIFY(w->close());
    QVERIFY(!w->isVisible());
    w.reset();
    const QString file = QDir::toNativeSeparators(IniPath());
    QCOMPARE(m_messages, QStringList{"EIniFileException error raised, with message: In " + file +
                                     " kann nicht geschrieben werden, Filename: " + file});
    const QFileInfo info(IniPath());
    QCOMPARE(info.isDir(), kind == "folder");
    if (kind == "read-only file") QCOMPARE(KeysOf(IniPath()), QStringList());
    RemoveUnwritable(IniPath());
}

void TestBaseFrm::folderThatCannotBeCreated() {
    // A plain file named like the company folder.
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QFile blocker(config + "/Quellbach");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    auto w = std::make_unique<TfrmBase>(Section, DesignSize);
    const QStringList expected{"Verzeichnis " + config + "/Quellbach/ konnte nicht angelegt werden",
                               "Verzeichnis " + config + "/Quellbach/Peilomat/ konnte nicht angelegt werden"};
    QCOMPARE(w->FolderErrors(), expected);
    QCOMPARE(m_messages, expected);
    // Construction went on: the window works and only its geometry cannot be kept.
    QCOMPARE(w->size(), DesignSize);
    w.reset();
    QCOMPARE(m_messages.size(), 3);
    QFile::remove(config + "/Quellbach");
}

// A settings file that cannot be read is kept as Talvex.ini.bak (an older one
// replaced) before anything is written, and one message names both files.
void TestBaseFrm::unreadableFileKeptAsBackup_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("kept");
    QByteArray huge("[frmMainTalvex]\nWidth=500\n");
    huge += QByteArray(int(TIniFile::MaxFileSize), ';');
    QTest::newRow("binary") << QByteArray("\x7f"
                                          "ELF\x02\x01\x00\x00",
                                          8)
                            << true;
    QTest::newRow("over the cap") << huge << true;
    QTest::newRow("readable: left alone") << QByteArray("[frmMainTalvex]\nWidth=500\n") << false;
}

void TestBaseFrm::unreadableFileKeptAsBackup() {
    QFETCH(QByteArray, content);
    QFETCH(bool, kept);
    QVERIFY(ForceDirectories(QFileInfo(IniPath()).path()));
    const QString backup = IniPath() + ".bak";
    for (const auto& [path, data] : {std::pair{IniPath(), content}, std::pair{backup, QByteArray("older")}}) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(data);
    }
    {
        auto w = NewShownWindow();
        QVERIFY(w->close());
    }
    QFile b(backup);
    QVERIFY(b.open(QIODevice::ReadOnly));
    if (kept) {
        QCOMPARE(b.readAll(), content);
        QCOMPARE(m_messages, QStringList{"Die Einstellungsdatei " + IniPath() +
                                         " konnte nicht gelesen werden. Sie wurde als " + backup +
                                         " aufbewahrt; das Programm beginnt mit den Standardeinstellungen."});
        // A new file with the geometry took its place.
        QCOMPARE(KeysOf(IniPath()), QStringList({"WindowState", "Left", "Top", "Width", "Height"}));
    } else {
        QCOMPARE(b.readAll(), QByteArray("older"));
        QVERIFY(m_messages.isEmpty());
    }
}

// Geometry from the file is made to fit the screen, and what was fitted is
// what gets written back.
void TestBaseFrm::damagedGeometryIsFitted_data() {
    QTest::addColumn<QRect>("stored");   // left, top, width, height as in the file
    QTest::addColumn<QRect>("expected"); // empty: as stored
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize fullSize = screen.size();
    QTest::newRow("normal") << QRect(40, 50, 400, 300) << QRect();
    QTest::newRow("huge") << QRect(0, 0, 2147483647, 16777216) << QRect(screen.topLeft(), fullSize);
    QTest::newRow("30000 wide") << QRect(10, 20, 30000, 300)
                                << QRect(QPoint(10, 20), QSize(fullSize.width(), 300));
    QTest::newRow("off every screen, negative")
        << QRect(-30000, -30000, 400, 300)
        << QRect(screen.x() + (screen.width() - 400) / 2, screen.y() + (screen.height() - 300) / 2, 400, 300);
    QTest::newRow("off every screen, far right")
        << QRect(2147483000, 100, 400, 300)
        << QRect(screen.x() + (screen.width() - 400) / 2, screen.y() + (screen.height() - 300) / 2, 400, 300);
    QTest::newRow("title bar above the screen")
        << QRect(40, -200, 400, 300)
        << QRect(screen.x() + (screen.width() - 400) / 2, screen.y() + (screen.height() - 300) / 2, 400, 300);
}

void TestBaseFrm::damagedGeometryIsFitted() {
    QFETCH(QRect, stored);
    QFETCH(QRect, expected);
    if (expected.isNull()) expected = stored;
    QVERIFY(ForceDirectories(QFileInfo(IniPath()).path()));
    {
        TIniFile ini(IniPath());
        ini.WriteInteger(Section, "Left", stored.x());
        ini.WriteInteger(Section, "Top", stored.y());
        ini.WriteInteger(Section, "Width", stored.width());
        ini.WriteInteger(Section, "Height", stored.height());
        QVERIFY(ini.UpdateFile());
    }
    {
        TfrmBase w(Section, DesignSize);
        QCOMPARE(QRect(w.ResizeLeft(), w.ResizeTop(), w.ResizeWidth(), w.ResizeHeight()), expected);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_COMPARE(w.frameGeometry(), expected);
        QVERIFY(w.close());
    }
    const TIniFile ini(IniPath());
    QCOMPARE(QRect(ini.ReadInteger(Section, "Left", -1), ini.ReadInteger(Section, "Top", -1),
                   ini.ReadInteger(Section, "Width", -1), ini.ReadInteger(Section, "Height", -1)),
             expected);
}

void TestBaseFrm::opensCentredWithStoredSize_data() {
    QTest::addColumn<QSize>("stored");
    QTest::newRow("fits the screen") << QSize(400, 300);
    QTest::newRow("larger than the screen: fitted") << QSize(5000, 4000);
}

// The stored position does not decide where a centred window opens; its size does.
void TestBaseFrm::opensCentredWithStoredSize() {
    QFETCH(QSize, stored);
    QVERIFY(ForceDirectories(QFileInfo(IniPath()).path()));
    {
        TIniFile ini(IniPath());
        ini.WriteInteger(Section, "Left", 3);
        ini.WriteInteger(Section, "Top", 4);
        ini.WriteInteger(Section, "Width", stored.width());
        ini.WriteInteger(Section, "Height", stored.height());
        QVERIFY(ini.UpdateFile());
    }
    TfrmBase w(Section, DesignSize);
    w.SetOpenCentred(true);
    w.show();
    const QRect screen = w.screen()->availableGeometry();
    QTRY_COMPARE(w.frameGeometry().size(), stored.boundedTo(screen.size()));
    if (stored.width() < screen.width()) {
        const QPoint expected(screen.center().x() - w.frameGeometry().width() / 2,
                              screen.center().y() - w.frameGeometry().height() / 2);
        QTRY_COMPARE(w.pos(), expected);
        // The centred position is what gets recorded.
        QTRY_COMPARE(QPoint(w.ResizeLeft(), w.ResizeTop()), expected);
    } else {
        // Larger than the screen: its top left corner stays on the screen.
        QTRY_VERIFY(w.pos() != QPoint(3, 4));
        QCOMPARE(w.pos(), screen.topLeft());
    }
}

void TestBaseFrm::versionInfoAndPaths() {
    TfrmBase w(Section, DesignSize);
    QVERIFY(w.VersionInfo().contains("Product Version=2.1.4.0"));
    QCOMPARE(w.IniFileName(), IniPath());
    QCOMPARE(w.ApplicationDataPath(), QFileInfo(IniPath()).path() + "/");
    QVERIFY(QFileInfo(w.ApplicationDataPath()).isDir());
    QCOMPARE(w.objectName(), Section);
}

QTEST_MAIN(TestBaseFrm)
#include "tst_basefrm.moc"
