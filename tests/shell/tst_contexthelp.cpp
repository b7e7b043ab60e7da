#include "platform/ApplicationHelp.h"
#include "platform/ImageSurface.h"
#include "shell/ContextHelp.h"
#include "support/HelpTopics.h"
#include "support/HelpWindow.h"
#include "support/hh_funcs.h"
#include "tests/support/mainformfixture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString BuiltHelpFile() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Talvex.qch");
}

// The topic the help window shows, as its context number (0: none open).
int ShownContext() {
    THelpWindow* window = HHHelpWindow();
    if (!window) return 0;
    for (const THelpTopic& topic : HelpTopics)
        if (window->CurrentUrl() == HelpTopicUrl(topic.context)) return topic.context;
    return -1;
}

void PressF1() {
    // Where a real F1 goes: the open menu, else the focused control.
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_F1);
}

} // namespace

class TestContextHelp : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void f1GivesTheTopicOfTheFocusedControl_data();
    void f1GivesTheTopicOfTheFocusedControl();
    void openMenuGivesItsOwnTopic();
    void showHelpMenuItemOpensTheContents();
    void closingTheMainWindowClosesTheHelpWindow();
    void f1InAnotherWindowIsLeftAlone();
    void startupChecks_data();
    void startupChecks();
    void helpFilePathOfAnInstalledCopy();
    void programWithoutHelpFileSaysSoOnceAndStartsOn();

private:
    std::unique_ptr<TTestMainForm> form;
};

void TestContextHelp::init() {
    form = NewMainForm(true);
    QApplication::setActiveWindow(form.get());
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
}

void TestContextHelp::cleanup() {
    form.reset();
    HHCloseAll();
}

void TestContextHelp::f1GivesTheTopicOfTheFocusedControl_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("how"); // "click", "focus", or "none" for no focused control
    QTest::addColumn<int>("context");
    QTest::newRow("map clicked") << "ImgNav"
                                 << "click" << 3012;
    QTest::newRow("instrument panel clicked") << "ImgInstr"
                                              << "click" << 3011;
    QTest::newRow("add VOR clicked") << "btnVORadd"
                                     << "click" << 3013;
    QTest::newRow("Programm beenden focused") << "btnProgEnde"
                                              << "focus" << 3013;
    QTest::newRow("Start focused") << "btnAnimStart"
                                   << "focus" << 3013;
    QTest::newRow("aircraft selector focused") << "seFlugzeug"
                                               << "focus" << 1001;
    QTest::newRow("nothing focused") << ""
                                     << "none" << 1001;
}

void TestContextHelp::f1GivesTheTopicOfTheFocusedControl() {
    QFETCH(QString, name);
    QFETCH(QString, how);
    QFETCH(int, context);
    QWidget* widget = name.isEmpty() ? nullptr : form->findChild<QWidget*>(name);
    if (how == QLatin1String("click")) {
        QVERIFY(widget);
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
        QCOMPARE(QApplication::focusWidget(), widget);
    } else if (how == QLatin1String("focus")) {
        QVERIFY(widget);
        widget->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), widget);
    } else {
        if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();
        QVERIFY(!QApplication::focusWidget());
    }
    PressF1();
    QCOMPARE(ShownContext(), context);
    QVERIFY(HHHelpWindow()->isVisible());
}

void TestContextHelp::openMenuGivesItsOwnTopic() {
    auto* optionen = form->findChild<QMenu*>(QStringLiteral("mm2Optionen"));
    QVERIFY(optionen);
    form->menuBar()->setActiveAction(optionen->menuAction());
    QTRY_VERIFY(optionen->isVisible());
    PressF1();
    QCOMPARE(ShownContext(), 3017);
    // The menu closes so that the topic is not hidden behind it.
    QTRY_VERIFY(!optionen->isVisible());

    // A menu without a topic of its own gives the window's.
    auto* hilfe = form->findChild<QMenu*>(QStringLiteral("mm2Hilfe"));
    QVERIFY(hilfe);
    form->menuBar()->setActiveAction(hilfe->menuAction());
    QTRY_VERIFY(hilfe->isVisible());
    PressF1();
    QCOMPARE(ShownContext(), 1001);
}

void TestContextHelp::showHelpMenuItemOpensTheContents() {
    form->mm2HilfeAnzeigen->trigger();
    QCOMPARE(ShownContext(), 3001);
    QPointer<THelpWindow> window = HHHelpWindow();
    // Every later request reuses the window.
    form->ImgNav->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form->ImgNav));
    PressF1();
    QCOMPARE(ShownContext(), 3012);
    QCOMPARE(HHHelpWindow(), window.data());
}

void TestContextHelp::closingTheMainWindowClosesTheHelpWindow() {
    TModalRecorder recorder;
    form->mm2HilfeAnzeigen->trigger();
    QPointer<THelpWindow> window = HHHelpWindow();
    QVERIFY(window);
    QVERIFY(form->close());
    QVERIFY(!window);
    QVERIFY(!form->mHHelp);
    QVERIFY(recorder.Messages.isEmpty());
    // The help event is free again once the service is gone.
    QVERIFY(!ApplicationHelpContext(3001));
}

void TestContextHelp::f1InAnotherWindowIsLeftAlone() {
    QWidget other;
    auto* button = new QPushButton(QStringLiteral("x"), &other);
    other.show();
    QApplication::setActiveWindow(&other);
    QVERIFY(QTest::qWaitForWindowActive(&other));
    button->setFocus();
    PressF1();
    QVERIFY(!HHHelpWindow());
}

void TestContextHelp::startupChecks_data() {
    QTest::addColumn<QString>("files");   // which help files lie in the folder
    QTest::addColumn<QString>("message"); // the start of the one message ("" for none), %1 the folder
    QTest::addColumn<bool>("installed");  // whether the engine counts as installed afterwards
    QTest::newRow("both") << "qch qhc"
                          << "" << true;
    QTest::newRow("none") << ""
                          << "Hilfe-Datei nicht gefunden\n%1/Talvex.qch" << true;
    QTest::newRow("collection missing") << "qch"
                                        << "Hilfe-Datei nicht gefunden\n%1/Talvex.qhc" << true;
    QTest::newRow("help file missing") << "qhc"
                                       << "Hilfe-Datei nicht gefunden\n%1/Talvex.qch" << true;
    QTest::newRow("help file broken")
        << "qch qhc broken"
        << "Die Hilfe-Datei %1/Talvex.qch kann nicht geöffnet werden: " << false;
}

void TestContextHelp::startupChecks() {
    QFETCH(QString, files);
    QFETCH(QString, message);
    QFETCH(bool, installed);
    form.reset();
    QTemporaryDir dir;
    const QString qch = dir.filePath(QStringLiteral("Talvex.qch"));
    if (files.contains(QLatin1String("qch"))) QVERIFY(QFile::copy(BuiltHelpFile(), qch));
    if (files.contains(QLatin1String("qhc")))
        QVERIFY(QFile::copy(HelpCollectionFile(BuiltHelpFile()), dir.filePath(QStringLiteral("Talvex.qhc"))));
    if (files.contains(QLatin1String("broken"))) {
        QFile f(qch);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("abgeschnitten");
    }

    TModalRecorder recorder;
    auto help = StartHelpSystem(qch);
    QVERIFY(help);
    if (message.isEmpty()) {
        QVERIFY2(recorder.Messages.isEmpty(), qPrintable(recorder.Messages.join(QLatin1Char('|'))));
    } else {
        QCOMPARE(recorder.Messages.size(), 1);
        QVERIFY2(recorder.Messages[0].startsWith(message.arg(dir.path())), qPrintable(recorder.Messages[0]));
    }
    QCOMPARE(HHInstalled(), installed);

    // Requests go on: a broken file counts as a missing engine, a missing one
    // is left to the engine's window.
    recorder.Messages.clear();
    QCOMPARE(help->HelpContext(3012), installed ? 0 : 1);
    QCOMPARE(recorder.Messages, installed ? QStringList() : QStringList{HHErrorText(1)});
    StopHelpSystem(help);
    QVERIFY(!help);
    QVERIFY(!HHHelpWindow());
    HHSetInstalled(true);
}

void TestContextHelp::helpFilePathOfAnInstalledCopy() {
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("bin"))));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("share/peilomat"))));
    const QString bin = dir.filePath(QStringLiteral("bin/"));
    QCOMPARE(HelpFilePath(bin), dir.filePath(QStringLiteral("bin/Talvex.qch")));
    QFile f(dir.filePath(QStringLiteral("share/peilomat/Talvex.qch")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QCOMPARE(QFileInfo(HelpFilePath(bin)).canonicalFilePath(), QFileInfo(f.fileName()).canonicalFilePath());
}

void TestContextHelp::programWithoutHelpFileSaysSoOnceAndStartsOn() {
    form.reset();
    const QString talvex = qEnvironmentVariable("PEILOMAT_TALVEX");
    if (talvex.isEmpty()) QSKIP("PEILOMAT_TALVEX names no program");
    // A copy of its own, with no help file beside it.
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("Talvex"));
    QVERIFY(QFile::copy(talvex, copy));
    QProcess program;
    program.start(copy, {});
    QVERIFY(program.waitForStarted());
    // Without a screen the message goes to stderr.
    const QString message =
        QStringLiteral("Hilfe-Datei nicht gefunden\n") + dir.filePath(QStringLiteral("Talvex.qch"));
    QString err;
    QTRY_VERIFY_WITH_TIMEOUT(
        (err += QString::fromLocal8Bit(program.readAllStandardError())).contains(message), 20000);
    // Start-up goes on past the help: the offscreen screen is too small for
    // the window, and the screen check that follows says so.
    QTRY_VERIFY_WITH_TIMEOUT((err += QString::fromLocal8Bit(program.readAllStandardError()))
                                 .contains(QStringLiteral("Bildschirmauflösung")),
                             20000);
    QVERIFY(err.indexOf(message) < err.indexOf(QStringLiteral("Bildschirmauflösung")));
    QCOMPARE(err.count(QStringLiteral("Hilfe-Datei")), 1);
    program.kill();
    program.waitForFinished();
}

QTEST_MAIN(TestContextHelp)
#include "tst_contexthelp.moc"
