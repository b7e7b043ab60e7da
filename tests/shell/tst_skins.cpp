#include "shell/Skins.h"
#include "shell/ValuePanel.h"
#include "tests/support/mainformfixture.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The folder of the program, where the build puts the shipped skin file.
QString ProgramFolder() {
    return QFileInfo(QString::fromLocal8Bit(qgetenv("PEILOMAT_TALVEX"))).absolutePath() + QLatin1Char('/');
}

QString ShippedSheet() {
    QFile f(ProgramFolder() + QLatin1String(DefaultSkinFileName));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

class TestSkins : public QObject {
    Q_OBJECT
private slots:
    void skinFiles_data();
    void skinFiles();
    void brokenSkinFileFallsBackSilently();
    void builtInLooksDiffer();
    void viewMenuSwitchesLooks();
    void noDisplayGivesOneLine_data();
    void noDisplayGivesOneLine();
};

void TestSkins::skinFiles_data() {
    QTest::addColumn<QByteArray>("content"); // "<none>": no file at all
    QTest::addColumn<bool>("usable");
    QTest::newRow("missing") << QByteArray("<none>") << false;
    QTest::newRow("empty") << QByteArray("") << false;
    QTest::newRow("blank") << QByteArray("  \n\t\n") << false;
    QTest::newRow("binary") << QByteArray("QPushButton { color: red; }\0\x01\x02", 30) << false;
    QTest::newRow("not UTF-8") << QByteArray("QLabel { color: red; } /* \xff\xfe */") << false;
    QTest::newRow("unclosed rule") << QByteArray("QPushButton { color: red; ") << false;
    QTest::newRow("garbage") << QByteArray("}}{{ @@@ ;;") << false;
    QTest::newRow("a sheet") << QByteArray("QPushButton { color: red; }\nQLabel { color: blue; }\n") << true;
    QTest::newRow("umlauts in a comment")
        << QByteArray("/* Schaltflächen */ QPushButton { color: red; }") << true;
}

void TestSkins::skinFiles() {
    QFETCH(QByteArray, content);
    QFETCH(bool, usable);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("MP10.ssk"));
    if (content != "<none>") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QString sheet;
    QCOMPARE(LoadSkinFile(path, sheet), usable);
    QCOMPARE(sheet.isEmpty(), !usable);
    if (usable) QCOMPARE(sheet, QString::fromUtf8(content));
}

void TestSkins::brokenSkinFileFallsBackSilently() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("MP10.ssk"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("QPushButton { color: red; ");
    f.close();
    qApp->setStyleSheet(QStringLiteral("QLabel { color: green; }"));
    // No complaint reaches the log, and the default look is in force.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    QVERIFY(!ApplySkin(TTheme{path, ssFromThemeFile}));
    QCOMPARE(qApp->styleSheet(), QString());
    QVERIFY(!ApplySkin(TTheme{dir.filePath(QStringLiteral("missing.ssk")), ssFromThemeFile}));
    QCOMPARE(qApp->styleSheet(), QString());
}

void TestSkins::builtInLooksDiffer() {
    // The shipped skin file is one Qt can use.
    const QString shipped = ShippedSheet();
    QVERIFY(!shipped.isEmpty());
    QString sheet;
    QVERIFY(LoadSkinFile(ProgramFolder() + QLatin1String(DefaultSkinFileName), sheet));

    QSet<QString> sheets;
    QSet<QRgb> windows;
    for (std::uint8_t style = ssMacOS; style <= ssBlueGlass; ++style) {
        QVERIFY(ApplySkin(TTheme{QString(), style}));
        sheets.insert(qApp->styleSheet());
        windows.insert(QApplication::palette().color(QPalette::Window).rgb());
    }
    QCOMPARE(sheets.size(), 5);
    QCOMPARE(windows.size(), 5);
    QVERIFY(!sheets.contains(shipped));
}

void TestSkins::viewMenuSwitchesLooks() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    // The skin file is found in the program's folder whatever the working folder.
    form->FApplicationPath = ProgramFolder();
    const QString oldCwd = QDir::currentPath();
    QDir::setCurrent(QDir::tempPath());
    const auto item = [&](const char* name) { return form->findChild<QAction*>(QLatin1String(name)); };

    item("mm2SkinDeepBlue")->trigger();
    QCOMPARE(form->Theme.UIStyle, std::uint8_t(ssDeepBlue));
    QCOMPARE(qApp->styleSheet(), BuiltInLook(ssDeepBlue).StyleSheet);
    QVERIFY(form->isVisible());
    QVERIFY(item("mm2SkinDeepBlue")->isChecked());

    item("mm2SkinDefault")->trigger();
    QCOMPARE(form->Theme.UIStyle, std::uint8_t(ssFromThemeFile));
    QCOMPARE(form->Theme.ThemeFile, ProgramFolder() + QLatin1String(DefaultSkinFileName));
    QCOMPARE(qApp->styleSheet(), ShippedSheet());
    QVERIFY(form->isVisible());
    // The value panels hand the same skin to their dialogs.
    QCOMPARE(form->pnlSetHeading->FileTheme(), form->Theme.ThemeFile);
    QDir::setCurrent(oldCwd);
}

void TestSkins::noDisplayGivesOneLine_data() {
    // display: the DISPLAY to start with, none for a session without any.
    QTest::addColumn<QString>("display");
    QTest::addColumn<QStringList>("says");
    QTest::newRow("no display at all")
        << QString()
        << QStringList{QStringLiteral("grafische Sitzung"), QStringLiteral("xvfb-run -a ./run.sh")};
    // A display number no server uses: Qt itself would end with SIGABRT.
    QTest::newRow("a display where no server answers")
        << QStringLiteral(":54321") << QStringList{QStringLiteral("erreicht den Bildschirm :54321 nicht")};
}

void TestSkins::noDisplayGivesOneLine() {
    QFETCH(QString, display);
    QFETCH(QStringList, says);
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    if (!display.isEmpty()) env.insert(QStringLiteral("DISPLAY"), display);
    program.setProcessEnvironment(env);
    program.start(QString::fromLocal8Bit(qgetenv("PEILOMAT_TALVEX")), {});
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    const QStringList lines =
        QString::fromLocal8Bit(program.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1);
    for (const QString& text : says)
        QVERIFY2(lines[0].contains(text), qPrintable(lines[0]));
    QVERIFY(program.readAllStandardOutput().isEmpty());
}

QTEST_MAIN(TestSkins)
#include "tst_skins.moc"
