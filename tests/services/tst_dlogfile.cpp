#include "support/DLogFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

// The lines of a UTF-16 LE file with BOM, split at CR LF; empty on a wrong BOM.
QStringList Utf16Lines(const QByteArray& bytes) {
    if (!bytes.startsWith("\xFF\xFE") || bytes.size() % 2 != 0) return {};
    QString text;
    for (qsizetype i = 2; i + 1 < bytes.size(); i += 2)
        text += QChar(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                            (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

} // namespace

class TestDLogFile : public QObject {
    Q_OBJECT
private slots:
    void linesAreUtf16WithBomAndCrLf();
    void lineText_data();
    void lineText();
    void format_data();
    void format();
    void headerCarriesEveryLabelWithoutTime();
    void location_data();
    void location();
    void probeLeavesAFileOfItsNameAlone();
    void switchedOn_data();
    void switchedOn();
    void withoutSwitchNoFileButOldOneDeleted();
    void readOnlyOldLogIsReplaced();
    void appendModeKeepsTheOldLog();
    void unwritableFileIsDroppedSilently();
    void talvexWithDebugInCapitalsWritesTheLog();
};

void TestDLogFile::linesAreUtf16WithBomAndCrLf() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("HHDebug.txt"));
    TDLogFile log(path, false, false, true, true);
    log.DebugOut(QStringLiteral("-"));
    log.DebugOut(QStringLiteral("="));
    log.DebugOut(QStringLiteral("!ohne Zeit"));
    log.DebugOut(QStringLiteral("Höhe %d über %s"), {1500, QStringLiteral("Grund")});
    log.DebugOut2(QStringLiteral("zweite %d"), {2});

    const QByteArray bytes = FileBytes(path);
    QVERIFY(bytes.startsWith("\xFF\xFE"));
    // CR LF as two UTF-16 code units, never a bare LF.
    QVERIFY(bytes.contains(QByteArray("\r\0\n\0", 4)));
    QCOMPARE(bytes.count(QByteArray("\n\0", 2)), 5);
    QCOMPARE(bytes.count(QByteArray("\r\0\n\0", 4)), 5);
    // Exactly one byte order mark for the whole file.
    QCOMPARE(bytes.count(QByteArray("\xFF\xFE", 2)), 1);

    const QStringList lines = Utf16Lines(bytes);
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0], QString(79, QLatin1Char('-')));
    QCOMPARE(lines[1], QString(79, QLatin1Char('=')));
    QCOMPARE(lines[2], QStringLiteral("ohne Zeit"));
    const QRegularExpression timed(QStringLiteral("^\\d{1,2}:\\d{2}:\\d{2}.*\\S   (.*)$"));
    const auto m3 = timed.match(lines[3]);
    QVERIFY2(m3.hasMatch(), qPrintable(lines[3]));
    QCOMPARE(m3.captured(1), QStringLiteral("Höhe 1500 über Grund"));
    QVERIFY2(timed.match(lines[4]).hasMatch(), qPrintable(lines[4]));
    QVERIFY(lines[4].endsWith(QStringLiteral("   zweite 2")));
}

void TestDLogFile::lineText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("timeStamp");
    QTest::addColumn<QString>("expected");
    QTest::newRow("dash") << "-" << true << QString(79, QLatin1Char('-'));
    QTest::newRow("equals") << "=" << true << QString(79, QLatin1Char('='));
    QTest::newRow("bang") << "!Date:\tx" << true << "Date:\tx";
    QTest::newRow("leading dash") << "-x" << true << "x";
    QTest::newRow("two dashes stay a line") << "--" << true << "-";
    QTest::newRow("timed") << "text" << true << "12:34:56   text";
    QTest::newRow("time off") << "text" << false << "text";
    QTest::newRow("empty") << "" << true << "12:34:56   ";
}

void TestDLogFile::lineText() {
    QFETCH(QString, text);
    QFETCH(bool, timeStamp);
    QFETCH(QString, expected);
    QCOMPARE(TDLogFile::LineText(text, timeStamp, QStringLiteral("12:34:56")), expected);
}

void TestDLogFile::format_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QVariantList>("args");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("expected");
    QTest::newRow("trace line") << "HHelpContext(\"%s\", %d, \"%s\", %d)"
                                << QVariantList{QStringLiteral("/a b/Talvex.qch"), 3012, QString(), 0} << true
                                << "HHelpContext(\"/a b/Talvex.qch\", 3012, \"\", 0)";
    QTest::newRow("percent") << "100%% %u %x" << QVariantList{7u, 255} << true << "100% 7 FF";
    QTest::newRow("argument text keeps its percent")
        << "%s" << QVariantList{QStringLiteral("%d%")} << true << "%d%";
    QTest::newRow("too few") << "%s %d" << QVariantList{QStringLiteral("a")} << false << "";
    QTest::newRow("too many") << "%d" << QVariantList{1, 2} << false << "";
    QTest::newRow("not a number") << "%d" << QVariantList{QStringLiteral("zwei")} << false << "";
    QTest::newRow("unknown conversion") << "%q" << QVariantList{1} << false << "";
    QTest::newRow("trailing percent") << "50%" << QVariantList{} << false << "";
}

void TestDLogFile::format() {
    QFETCH(QString, format);
    QFETCH(QVariantList, args);
    QFETCH(bool, ok);
    QFETCH(QString, expected);
    QString result;
    QCOMPARE(TDLogFile::Format(format, args, result), ok);
    if (ok) QCOMPARE(result, expected);

    // A format that does not fit is written as it stands.
    QTemporaryDir dir;
    TDLogFile log(dir.filePath(QStringLiteral("HHDebug.txt")), false, false, false, true);
    log.DebugOut(format, args);
    const QStringList lines = Utf16Lines(FileBytes(log.FileName()));
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0], ok ? expected : format);
}

void TestDLogFile::headerCarriesEveryLabelWithoutTime() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("HHDebug.txt"));
    TDLogFile log(path, false, true, true, true);
    const QStringList lines = Utf16Lines(FileBytes(path));
    const QStringList labels{"Log File:             \t",      "Date:                 \t",
                             "Operating System:      \t",     "SysLocale.DefaultLCID: \t",
                             "SysLocale.PriLangID:   \t",     "SysLocale.SubLangID:   \t",
                             "DecimalSeparator:      \t.",    "EXE Path =          \t",
                             "EXE Version =       \t2.1.4.0", "Actual CmdLine =  \t",
                             "Cmdline Param(s) =  \t",        "_RunDir =           \t",
                             "_ModuleName =       \t",        "_ModuleDir =        \t",
                             "_ModulePath =        \t",       "Module Version =       \t2.1.4.0",
                             "_hhInstalled =      \tYES",     "_hhVerStr =         \t",
                             "_hhFriendlyVerStr = \t",        "_ieInstalled =      \tNO",
                             "_ieVerStr =         \t",        "_ieFriendlyVerStr = \t"};
    QCOMPARE(lines.size(), labels.size() + 5);
    QCOMPARE(lines.first(), QString(79, QLatin1Char('=')));
    QCOMPARE(lines.last(), QString(79, QLatin1Char('=')));
    QCOMPARE(lines.count(QString(79, QLatin1Char('-'))), 3);
    QStringList body = lines;
    body.removeAll(QString(79, QLatin1Char('-')));
    body.removeAll(QString(79, QLatin1Char('=')));
    for (qsizetype i = 0; i < labels.size(); ++i)
        QVERIFY2(body[i].startsWith(labels[i]), qPrintable(body[i]));
    QCOMPARE(body[0], QStringLiteral("Log File:             \t") + path);
    QVERIFY(QRegularExpression(QStringLiteral("^_hhVerStr = +\t\\d+\\.\\d+\\.\\d+\\.\\d+$"))
                .match(body[17])
                .hasMatch());
    QVERIFY(QRegularExpression(QStringLiteral("\\d+\\.\\d+ \\(Build \\d+\\) ")).match(body[2]).hasMatch());
}

void TestDLogFile::location_data() {
    QTest::addColumn<QString>("folderKind");
    QTest::addColumn<bool>("inFolder");
    QTest::newRow("writable folder") << "writable" << true;
    QTest::newRow("read-only folder") << "read-only" << false;
    QTest::newRow("folder where nobody may create files") << "proc" << false;
    QTest::newRow("missing folder") << "missing" << false;
    QTest::newRow("a file, not a folder") << "file" << false;
}

void TestDLogFile::location() {
    QFETCH(QString, folderKind);
    QFETCH(bool, inFolder);
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("prog"));
    QVERIFY(QDir().mkpath(folder));
    if (folderKind == QLatin1String("read-only")) {
        if (RunningAsRoot()) QSKIP("a read-only folder is writable for root");
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    } else if (folderKind == QLatin1String("proc")) {
        folder = QStringLiteral("/proc");
    } else if (folderKind == QLatin1String("missing")) {
        folder = dir.filePath(QStringLiteral("fehlt"));
    } else if (folderKind == QLatin1String("file")) {
        folder = dir.filePath(QStringLiteral("datei"));
        WriteFile(folder, "x");
    }

    const QString temp = QDir::tempPath();
    QCOMPARE(FolderWritable(folder), inFolder);
    QCOMPARE(DebugLogFolder(folder), inFolder ? folder : temp);
    // The probe file never stays behind.
    QVERIFY(!QFileInfo::exists(QDir(folder).filePath(QLatin1String(TDLogFile::ProbeFileName))));

    // Given a path in such a folder, the log goes to the same name in the temporary folder.
    const QString name = QStringLiteral("HHDebug-%1.txt").arg(QCoreApplication::applicationPid());
    {
        TDLogFile log(QDir(folder).filePath(name), false, false, true, true);
        QCOMPARE(log.FileName(), inFolder ? QDir(folder).filePath(name) : QDir(temp).filePath(name));
        log.DebugOut(QStringLiteral("x"));
        QVERIFY(QFileInfo::exists(log.FileName()));
        if (!inFolder) QFile::remove(log.FileName());
    }
    QFile::setPermissions(dir.filePath(QStringLiteral("prog")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestDLogFile::probeLeavesAFileOfItsNameAlone() {
    QTemporaryDir dir;
    const QString foreign = dir.filePath(QLatin1String(TDLogFile::ProbeFileName));
    WriteFile(foreign, "fremd");
    QVERIFY(FolderWritable(dir.path()));
    QCOMPARE(FileBytes(foreign), QByteArray("fremd"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QLatin1String(TDLogFile::ProbeFileName)});
}

void TestDLogFile::switchedOn_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("markerFolder");
    QTest::addColumn<bool>("on");
    QTest::newRow("nothing") << QStringList{"Talvex"} << "" << false;
    QTest::newRow("-debug") << QStringList{"Talvex", "-debug"} << "" << true;
    QTest::newRow("/debug") << QStringList{"Talvex", "/debug"} << "" << true;
    QTest::newRow("-DEBUG in capitals") << QStringList{"Talvex", "-DEBUG"} << "" << true;
    QTest::newRow("/DeBuG mixed") << QStringList{"Talvex", "-quit", "/DeBuG"} << "" << true;
    QTest::newRow("bare word") << QStringList{"Talvex", "debug"} << "" << false;
    QTest::newRow("two dashes") << QStringList{"Talvex", "--debug"} << "" << false;
    QTest::newRow("longer word") << QStringList{"Talvex", "-debugger"} << "" << false;
    QTest::newRow("program named -debug") << QStringList{"-debug"} << "" << false;
    QTest::newRow("marker file") << QStringList{"Talvex"} << "bin" << true;
    QTest::newRow("marker file of an installed copy") << QStringList{"Talvex"} << "share/peilomat" << true;
    QTest::newRow("marker file elsewhere") << QStringList{"Talvex"} << "share" << false;
}

void TestDLogFile::switchedOn() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, markerFolder);
    QFETCH(bool, on);
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("bin"))));
    if (!markerFolder.isEmpty()) {
        QVERIFY(QDir().mkpath(dir.filePath(markerFolder)));
        WriteFile(dir.filePath(markerFolder + QStringLiteral("/debug.debug")), "");
    }
    QCOMPARE(DebugSwitchedOn(dir.filePath(QStringLiteral("bin")), arguments), on);
}

void TestDLogFile::withoutSwitchNoFileButOldOneDeleted() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("HHDebug.txt"));
    WriteFile(path, "\xFF\xFEo\0l\0d\0");
    TDLogFile log(path, false, true, true, false);
    QVERIFY(!QFileInfo::exists(path));
    log.DebugOut2(QStringLiteral("trace"));
    QVERIFY(!QFileInfo::exists(path));
}

void TestDLogFile::readOnlyOldLogIsReplaced() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("HHDebug.txt"));
    WriteFile(path, "\xFF\xFEo\0l\0d\0\r\0\n\0");
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
    TDLogFile log(path, false, false, true, true);
    log.DebugOut(QStringLiteral("!neu"));
    QCOMPARE(Utf16Lines(FileBytes(path)), QStringList{QStringLiteral("neu")});
}

void TestDLogFile::appendModeKeepsTheOldLog() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("HHDebug.txt"));
    WriteFile(path, QByteArray("\xFF\xFEo\0l\0d\0\r\0\n\0", 12));
    TDLogFile log(path, true, false, true, true);
    log.DebugOut(QStringLiteral("!neu"));
    QCOMPARE(Utf16Lines(FileBytes(path)), (QStringList{QStringLiteral("old"), QStringLiteral("neu")}));
}

void TestDLogFile::unwritableFileIsDroppedSilently() {
    QTemporaryDir dir;
    // A folder where the file should be: nothing can be written, nothing breaks.
    const QString path = dir.filePath(QStringLiteral("HHDebug.txt"));
    QVERIFY(QDir().mkpath(path));
    TDLogFile log(path, false, true, true, true);
    log.DebugOut(QStringLiteral("x"));
    log.ReportError(QStringLiteral("Fehler %d"), {1});
    QVERIFY(QFileInfo(path).isDir());
}

void TestDLogFile::talvexWithDebugInCapitalsWritesTheLog() {
    const QString talvex = qEnvironmentVariable("PEILOMAT_TALVEX");
    if (talvex.isEmpty()) QSKIP("PEILOMAT_TALVEX names no program");
    // A copy of its own, so that the program's folder is this test's.
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("Talvex"));
    QVERIFY(QFile::copy(talvex, copy));
    const QString log = dir.filePath(QStringLiteral("HHDebug.txt"));
    WriteFile(log, "alt");

    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(copy, {QStringLiteral("-DEBUG")});
    QVERIFY(program.waitForStarted());
    QStringList lines;
    QTRY_VERIFY_WITH_TIMEOUT((lines = Utf16Lines(FileBytes(log)))
                                 .join(QLatin1Char('\n'))
                                 .contains(QStringLiteral("THookHelpSystem.Create(")),
                             20000);
    program.kill();
    program.waitForFinished();
    QCOMPARE(lines.first(), QString(79, QLatin1Char('=')));
    QVERIFY(lines.contains(QStringLiteral("Cmdline Param(s) =  \t-DEBUG")));
    QVERIFY(lines.contains(QStringLiteral("Log File:             \t") + log));
    // The copy has no help file beside it; the check says so in the log too.
    const QString check =
        QStringLiteral("HelpFileCheck(\"%1\", \"%2\") - missing")
            .arg(dir.filePath(QStringLiteral("Talvex.qch")), dir.filePath(QStringLiteral("Talvex.qhc")));
    QVERIFY(
        std::any_of(lines.begin(), lines.end(), [&check](const QString& l) { return l.endsWith(check); }));
}

QTEST_MAIN(TestDLogFile)
#include "tst_dlogfile.moc"
