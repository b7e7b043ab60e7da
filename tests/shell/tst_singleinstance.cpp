#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/SingleInstance.h"
#include "shell/CheckPrevious.h"
#include "tests/support/testsupport.h"
#include "world/Szene.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <functional>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

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

// Changes a started program's environment.
using TEnvEdit = std::function<void(QProcessEnvironment&)>;

// Run by with-window-manager.sh: the programs started show real windows.
bool OnRealDisplay() {
    return qEnvironmentVariable("QT_QPA_PLATFORM") == QLatin1String("xcb");
}

class Instance {
public:
    // wait: whether to wait until the process has started; a rush of starts
    // waits afterwards, so that they really start together.
    Instance(const QString& program, const QStringList& args, const TEnvEdit& edit = {}, bool wait = true) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // On a real display (see tests/CMakeLists.txt) a message box would be seen and wait.
        if (!OnRealDisplay()) env.insert(QStringLiteral("QT_QPA_PLATFORM"), LargeScreenPlatform());
        if (edit) edit(env);
        m_process.setProcessEnvironment(env);
        m_process.setProgram(program);
        m_process.setArguments(args);
        m_process.start();
        if (wait) m_process.waitForStarted(10000);
    }
    ~Instance() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    QProcess& Process() { return m_process; }
    bool Running() const { return m_process.state() != QProcess::NotRunning; }
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
    QByteArray Errors() {
        m_errors += m_process.readAllStandardError();
        return m_errors;
    }

private:
    QProcess m_process;
    QByteArray m_output;
    QByteArray m_errors;
};

// An environment variable changed for the test process itself while it lives.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray* value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)) {
        m_old = qgetenv(name);
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ~ScopedEnv() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
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
    void startUpRushLeavesOne_data();
    void startUpRushLeavesOne();
    void unwritableSettingsNeverHoldTheProgram_data();
    void unwritableSettingsNeverHoldTheProgram();
    void channelNames();
    void privateRuntimeFolder_data();
    void privateRuntimeFolder();
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

void TestSingleInstance::startUpRushLeavesOne_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<int>("starts");
    QTest::addColumn<bool>("withRuntimeFolder");
    QTest::newRow("probe, 40 at once") << ProbePath() << 40 << true;
    QTest::newRow("Talvex, 30 at once") << TalvexPath() << 30 << true;
    QTest::newRow("Talvex, 30 at once, no XDG_RUNTIME_DIR") << TalvexPath() << 30 << false;
}

// A rush of starts (a click-happy user, a login script): one instance remains,
// every other start ends by itself with at most one line on stderr, and the
// one listener is the one that remains.
void TestSingleInstance::startUpRushLeavesOne() {
    QFETCH(QString, program);
    QFETCH(int, starts);
    QFETCH(bool, withRuntimeFolder);
    const auto noRuntime =
        withRuntimeFolder ? nullptr : std::make_unique<ScopedEnv>("XDG_RUNTIME_DIR", nullptr);
    const QString folder = QFileInfo(ChannelFor(program)).path();
    QCOMPARE(folder == TSingleInstanceChannel::PrivateRuntimeFolder(), !withRuntimeFolder);
    const TEnvEdit edit = [&](QProcessEnvironment& env) {
        if (!withRuntimeFolder) env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    };

    std::vector<std::unique_ptr<Instance>> rush;
    for (int i = 0; i < starts; ++i)
        rush.push_back(std::make_unique<Instance>(program, QStringList{}, edit, false));
    for (auto& start : rush)
        QVERIFY(start->Process().waitForStarted(20000));
    auto running = [&] {
        return std::count_if(rush.begin(), rush.end(), [](auto& s) { return s->Running(); });
    };
    // Generous for a loaded machine; on a quiet one it takes about a second.
    QTRY_COMPARE_WITH_TIMEOUT(running(), std::ptrdiff_t(1), 60000);
    QVERIFY(WaitUntilAnswering(program));
    QTest::qWait(500);
    QCOMPARE(running(), std::ptrdiff_t(1));

    for (auto& start : rush) {
        if (start->Running()) continue;
        QCOMPARE(start->Process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(start->Process().exitCode(), 0);
        const QByteArray errors = start->Errors().trimmed();
        QVERIFY2(errors.count('\n') == 0, errors.constData());
    }
    // One socket and its lock in the folder, which is the user's alone.
    const QString channel = QFileInfo(ChannelFor(program)).fileName();
    QCOMPARE(QDir(folder).entryList({channel + '*'}, QDir::System | QDir::Files),
             (QStringList{channel, channel + QStringLiteral(".lock")}));
    if (!withRuntimeFolder) {
        struct stat st {};
        QCOMPARE(::lstat(QFile::encodeName(folder).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0700));
    }

    Instance quitter(program, {QStringLiteral("-QUIT")}, edit);
    QVERIFY(quitter.WaitForExit());
    for (auto& start : rush)
        QVERIFY(start->WaitForExit(20000));
    QVERIFY(!QFileInfo::exists(ChannelFor(program)));
}

void TestSingleInstance::unwritableSettingsNeverHoldTheProgram_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("how");
    for (const QString& kind : UnwritableKinds())
        for (const QString& how : {QStringLiteral("-QUIT"), QStringLiteral("SIGTERM")})
            QTest::newRow(qPrintable(kind + QStringLiteral(", ") + how)) << kind << how;
}

// Ended from outside with a settings file that cannot be written, the program
// ends at once and says so once on stderr: nobody is there to press a button.
// CTest runs this once more on a real display with a window manager, where a
// message box or the information window would wait for a click.
void TestSingleInstance::unwritableSettingsNeverHoldTheProgram() {
    QFETCH(QString, kind);
    QFETCH(QString, how);
    const QString ini = SettingsFileName();
    QVERIFY(MakeUnwritable(ini, kind));
    Instance running(TalvexPath(), {});
    QVERIFY(WaitUntilAnswering(TalvexPath()));
    QElapsedTimer ending;
    ending.start();
    if (how == QLatin1String("SIGTERM")) {
        running.Process().terminate();
    } else {
        Instance quitter(TalvexPath(), {how});
        QVERIFY(quitter.WaitForExit());
    }
    // The program itself ends within two seconds; the bound is generous for a loaded machine.
    QVERIFY(running.WaitForExit(20000));
    qInfo("ended %lld ms after the request", static_cast<long long>(ending.elapsed()));
    QCOMPARE(running.Process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(running.Process().exitCode(), 0);
    const QByteArray text = ("EIniFileException error raised, with message: In " + ini +
                             " kann nicht geschrieben werden, Filename: " + ini)
                                .toUtf8();
    const QByteArray errors = running.Errors();
    QVERIFY2(errors.count(text) == 1, errors.constData());
    QVERIFY2(!errors.contains("endet, ohne"), errors.constData());
    RemoveUnwritable(ini);
}

void TestSingleInstance::privateRuntimeFolder_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("missing: created") << "missing" << true;
    QTest::newRow("ours, mode 0755: repaired") << "0755" << true;
    QTest::newRow("ours, mode 0700") << "0700" << true;
    QTest::newRow("a symbolic link to a folder of ours: refused") << "link" << false;
    QTest::newRow("a plain file: refused") << "file" << false;
    QTest::newRow("another user's: refused") << "other" << false;
}

// Without XDG_RUNTIME_DIR the socket lives in a folder of this user alone.
void TestSingleInstance::privateRuntimeFolder() {
    QFETCH(QString, setup);
    QFETCH(bool, accepted);
    QTemporaryDir temp;
    const QString folder = temp.filePath(QStringLiteral("peilomat-host"));
    const QByteArray path = QFile::encodeName(folder);
    const QString target = temp.filePath(QStringLiteral("elsewhere"));
    if (setup == "0755" || setup == "0700" || setup == "other") {
        QCOMPARE(::mkdir(path.constData(), setup == "0700" ? 0700 : 0755), 0);
        if (setup == "other") {
            if (::geteuid() != 0) QSKIP("making a folder of another user needs root");
            QCOMPARE(::chown(path.constData(), 65534, 65534), 0);
        }
    } else if (setup == "link") {
        QCOMPARE(::mkdir(QFile::encodeName(target).constData(), 0755), 0);
        QVERIFY(QFile::link(target, folder));
    } else if (setup == "file") {
        QFile file(folder);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QString error;
    QCOMPARE(TSingleInstanceChannel::EnsurePrivateFolder(folder, &error), accepted);
    struct stat st {};
    QCOMPARE(::lstat(path.constData(), &st), 0);
    if (accepted) {
        QVERIFY(error.isEmpty());
        QVERIFY(S_ISDIR(st.st_mode));
        QCOMPARE(st.st_mode & 07777, mode_t(0700));
        QCOMPARE(st.st_uid, ::geteuid());
    } else {
        QVERIFY(error.contains(folder));
        // Nothing of what was found was changed.
        if (setup == "link") {
            QVERIFY(S_ISLNK(st.st_mode));
            QCOMPARE(::stat(QFile::encodeName(target).constData(), &st), 0);
            QCOMPARE(st.st_mode & 07777, mode_t(0755));
        }
        if (setup == "other") QCOMPARE(st.st_mode & 07777, mode_t(0755));
        // A channel there is refused, and claims nothing.
        TSingleInstanceChannel channel(QDir(folder).filePath(QStringLiteral("Peilomat-test")));
        QCOMPARE(channel.Claim("RESTORE", 500), TSingleInstanceChannel::TClaim::Failed);
        QVERIFY(!channel.IsListening());
    }
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

    // Without a runtime folder of ours: a private one below the user's cache
    // folder, never the shared temporary folder.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const ScopedEnv env("XDG_RUNTIME_DIR", nullptr);
    const QString name = ChannelFor("/opt/peilomat/Talvex");
    QCOMPARE(QFileInfo(name).path(), TSingleInstanceChannel::PrivateRuntimeFolder());
    QVERIFY(name.startsWith(cache + '/'));
    QVERIFY(name.toUtf8().size() < 100);
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
