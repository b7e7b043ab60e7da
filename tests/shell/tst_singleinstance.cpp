#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/SingleInstance.h"
#include "shell/CheckPrevious.h"
#include "world/Szene.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <memory>

// The guard between real processes: the instance probe (a trivial window
// behind the guard) and the program itself.
namespace {

QString TalvexPath() {
    return qEnvironmentVariable("PEILOMAT_TALVEX");
}

QString ProbePath() {
    const QString talvex = TalvexPath();
    if (talvex.isEmpty()) return QString();
    return QFileInfo(talvex).dir().filePath(QStringLiteral("tools/instance-probe"));
}

// The offscreen platform's screen is 800 x 800 unless told otherwise; the
// program refuses to run on a screen smaller than 935 x 437.
QString LargeScreenPlatform() {
    static QTemporaryFile config;
    if (!config.isOpen() && config.open()) {
        config.write(R"({"screens": [{"name": "big", "x": 0, "y": 0, "width": 1280, "height": 1024,)"
                     R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        config.flush();
    }
    return QStringLiteral("offscreen:configfile=") + config.fileName();
}

class Instance {
public:
    Instance(const QString& program, const QStringList& args) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), LargeScreenPlatform());
        m_process.setProcessEnvironment(env);
        m_process.setProgram(program);
        m_process.setArguments(args);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        m_process.waitForStarted(10000);
    }
    ~Instance() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    QProcess& Process() { return m_process; }
    bool Running() const { return m_process.state() == QProcess::Running; }
    bool WaitForExit(int ms = 15000) {
        return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(ms);
    }
    // Collects stdout until it holds the line (probe only).
    bool WaitForLine(const QByteArray& line, int ms = 15000) {
        QElapsedTimer t;
        t.start();
        while (!m_output.split('\n').contains(line)) {
            if (t.elapsed() > ms || !Running()) return false;
            m_process.waitForReadyRead(100);
            m_output += m_process.readAllStandardOutput();
        }
        return true;
    }
    QByteArray Output() {
        m_output += m_process.readAllStandardOutput();
        return m_output;
    }

private:
    QProcess m_process;
    QByteArray m_output;
};

QString ChannelFor(const QString& program) {
    return TSingleInstanceChannel::ChannelName(program);
}

// The running instance is reachable once it listens and its event loop answers.
bool WaitUntilAnswering(const QString& program, int ms = 20000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (QFileInfo::exists(ChannelFor(program)) &&
            TSingleInstanceChannel::Send(ChannelFor(program), "PING", 2000) ==
                TSingleInstanceChannel::TSend::Delivered)
            return true;
        QTest::qWait(50);
    }
    return false;
}

void AddProgramRows(const char* suffix, const QStringList& args = {}) {
    QTest::newRow(qPrintable(QStringLiteral("probe ") + suffix)) << ProbePath() << args;
    QTest::newRow(qPrintable(QStringLiteral("Talvex ") + suffix)) << TalvexPath() << args;
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void init();

    void quitSwitch_data();
    void quitSwitch();

    void secondStartEnds_data();
    void secondStartEnds();
    void secondStartRestoresMinimised();
    void quitEndsBoth_data();
    void quitEndsBoth();
    void quitClosesOpenDialogFirst();
    void quitWithNothingRunning();
    void killedInstanceDoesNotBlock_data();
    void killedInstanceDoesNotBlock();
    void simultaneousStartsLeaveOne();
    void channelNames();
    void sceneFilesOnTheCommandLine();
    void openMessageCarriesAnyPath_data();
    void openMessageCarriesAnyPath();
};

void TestSingleInstance::init() {
    if (TalvexPath().isEmpty()) QSKIP("PEILOMAT_TALVEX is not set (run through CTest)");
    QVERIFY2(QFileInfo(ProbePath()).isExecutable(), qPrintable(ProbePath()));
    QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Quellbach")
        .removeRecursively();
}

void TestSingleInstance::quitSwitch_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("quit");
    QTest::newRow("slash QUIT") << QStringList{"Talvex", "/QUIT"} << true;
    QTest::newRow("hyphen quit") << QStringList{"Talvex", "-quit"} << true;
    QTest::newRow("mixed case, after another argument") << QStringList{"Talvex", "-debug", "/qUiT"} << true;
    QTest::newRow("no sign") << QStringList{"Talvex", "QUIT"} << false;
    QTest::newRow("two hyphens") << QStringList{"Talvex", "--quit"} << false;
    QTest::newRow("further letters") << QStringList{"Talvex", "-quits"} << false;
    QTest::newRow("program name itself is not an argument") << QStringList{"-quit"} << false;
    QTest::newRow("none") << QStringList{"Talvex"} << false;
}

void TestSingleInstance::quitSwitch() {
    QFETCH(QStringList, args);
    QFETCH(bool, quit);
    QCOMPARE(HasQuitSwitch(args), quit);
}

void TestSingleInstance::secondStartEnds_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");
    AddProgramRows("no arguments");
    // Not a quit switch: an ordinary second start.
    AddProgramRows("--quit", {"--quit"});
}

void TestSingleInstance::secondStartEnds() {
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    Instance first(program, {});
    QVERIFY(WaitUntilAnswering(program));
    Instance second(program, args);
    QVERIFY(second.WaitForExit());
    QCOMPARE(second.Process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.Process().exitCode(), 0);
    QVERIFY(first.Running());
    if (program == ProbePath()) QVERIFY(first.WaitForLine("restore minimized=0"));
}

void TestSingleInstance::secondStartRestoresMinimised() {
    Instance first(ProbePath(), {"--minimized"});
    QVERIFY(first.WaitForLine("ready"));
    Instance second(ProbePath(), {});
    QVERIFY(second.WaitForExit());
    QVERIFY(first.WaitForLine("restore minimized=0"));
}

void TestSingleInstance::quitEndsBoth_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");
    AddProgramRows("-QUIT", {"-QUIT"});
    AddProgramRows("/quit", {"/quit"});
}

// Quitting closes the running instance's window the normal way: it saves its
// settings on the way out.
void TestSingleInstance::quitEndsBoth() {
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    Instance first(program, {});
    QVERIFY(WaitUntilAnswering(program));
    QVERIFY(!QFile::exists(SettingsFileName()));
    Instance quitter(program, args);
    QVERIFY(quitter.WaitForExit());
    QCOMPARE(quitter.Process().exitCode(), 0);
    QVERIFY(first.WaitForExit());
    QCOMPARE(first.Process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.Process().exitCode(), 0);
    const TIniFile settings(SettingsFileName());
    QVERIFY(settings.SectionExists("frmMainTalvex"));
    if (program == TalvexPath()) QVERIFY(settings.SectionExists("Optionen"));
    QVERIFY(!QFileInfo::exists(ChannelFor(program)));
}

void TestSingleInstance::quitClosesOpenDialogFirst() {
    Instance first(ProbePath(), {"--modal"});
    QVERIFY(first.WaitForLine("modal"));
    Instance quitter(ProbePath(), {"-quit"});
    QVERIFY(quitter.WaitForExit());
    QVERIFY(first.WaitForExit());
    QCOMPARE(first.Process().exitCode(), 0);
    QVERIFY(TIniFile(SettingsFileName()).SectionExists("frmMainTalvex"));
}

void TestSingleInstance::quitWithNothingRunning() {
    Instance quitter(ProbePath(), {"/QUIT"});
    QVERIFY(quitter.WaitForExit());
    QCOMPARE(quitter.Process().exitCode(), 0);
    QVERIFY(quitter.Output().isEmpty()); // it never started a window
    QVERIFY(!QFileInfo::exists(ChannelFor(ProbePath())));
}

void TestSingleInstance::killedInstanceDoesNotBlock_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");
    AddProgramRows("");
}

void TestSingleInstance::killedInstanceDoesNotBlock() {
    QFETCH(QString, program);
    {
        Instance killed(program, {});
        QVERIFY(WaitUntilAnswering(program));
        killed.Process().kill();
        QVERIFY(killed.WaitForExit());
    }
    QVERIFY(QFileInfo::exists(ChannelFor(program))); // the dead instance's socket is still there

    Instance next(program, {});
    QVERIFY(WaitUntilAnswering(program));
    QVERIFY(next.Running());
    // And it is the instance now: a further start ends.
    Instance third(program, {});
    QVERIFY(third.WaitForExit());
    QVERIFY(next.Running());
}

// Starts racing each other: exactly one becomes the instance.
void TestSingleInstance::simultaneousStartsLeaveOne() {
    std::vector<std::unique_ptr<Instance>> starts;
    for (int i = 0; i < 3; ++i)
        starts.push_back(std::make_unique<Instance>(ProbePath(), QStringList{}));
    QVERIFY(WaitUntilAnswering(ProbePath()));
    QTRY_COMPARE_WITH_TIMEOUT(
        std::count_if(starts.begin(), starts.end(), [](auto& s) { return s->Running(); }), std::ptrdiff_t(1),
        20000);
    QTest::qWait(300);
    QCOMPARE(std::count_if(starts.begin(), starts.end(), [](auto& s) { return s->Running(); }),
             std::ptrdiff_t(1));
}

void TestSingleInstance::channelNames() {
    const QString a = ChannelFor("/opt/peilomat/Talvex");
    QCOMPARE(ChannelFor("/opt/peilomat/Talvex"), a);
    QVERIFY(ChannelFor("/opt/other/Talvex") != a);
    QVERIFY(ChannelFor("/opt/peilomat/../peilomat/Talvex") == a);
    // Inside the user's private runtime folder, and short enough for a socket path.
    QCOMPARE(QFileInfo(a).path(), qEnvironmentVariable("XDG_RUNTIME_DIR"));
    QVERIFY(a.toUtf8().size() < 100);
    const QByteArray user = qgetenv("USER");
    qputenv("USER", user + "-other");
    const QString forOtherUser = ChannelFor("/opt/peilomat/Talvex");
    qputenv("USER", user);
    QVERIFY(forOtherUser != a);
}

// A scene file named at the first start opens there; a second start hands
// its file to the running instance, which opens it.
void TestSingleInstance::sceneFilesOnTheCommandLine() {
    QTemporaryDir dir;
    const QString first = dir.filePath("Erste Stunde.peilomat");
    const QString second = dir.filePath("Zweite.peilomat");
    for (const QString& path : {first, second}) {
        TSzene scene;
        scene.Flugzeuge.resize(1);
        scene.Flugzeuge[0].Slots[0].Typ = 3;
        scene.Flugzeuge[0].Position = {120, 80};
        QString message;
        QVERIFY(Szene::Write(path, scene, message));
    }
    Instance running(TalvexPath(), {"-debug", first});
    QVERIFY(WaitUntilAnswering(TalvexPath()));
    Instance handing(TalvexPath(), {second, "ignored.peilomat"});
    QVERIFY(handing.WaitForExit());
    QCOMPARE(handing.Process().exitCode(), 0);
    QVERIFY(running.Running());
    QTest::qWait(500);
    Instance quitter(TalvexPath(), {"/QUIT"});
    QVERIFY(quitter.WaitForExit());
    QVERIFY(running.WaitForExit());
    QCOMPARE(running.Process().exitCode(), 0);
    // Both were opened, the handed one last.
    const TIniFile settings(SettingsFileName());
    QCOMPARE(settings.ReadString("Zuletzt", "Datei1", ""), second);
    QCOMPARE(settings.ReadString("Zuletzt", "Datei2", ""), first);
}

void TestSingleInstance::openMessageCarriesAnyPath_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("plain") << "/home/lehrer/Anflug.peilomat";
    QTest::newRow("blanks at the ends") << "/tmp/ a b .peilomat ";
    QTest::newRow("line break and umlauts") << "/tmp/Übung\nzwei/Kurs 090°.peilomat";
    QTest::newRow("percent") << "/tmp/100%.peilomat";
}

void TestSingleInstance::openMessageCarriesAnyPath() {
    QFETCH(QString, path);
    const QByteArray message = OpenMessage(path);
    QVERIFY(!message.contains('\n'));
    QCOMPARE(message.trimmed(), message);
    QCOMPARE(OpenMessagePath(message), path);
    QVERIFY(OpenMessagePath("RESTORE").isEmpty());
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
