#include "platform/ApplicationHelp.h"
#include "support/DLogFile.h"
#include "support/HelpTopics.h"
#include "support/HelpWindow.h"
#include "support/hh_funcs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHelpEngineCore>
#include <QHelpLink>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTreeView>

namespace {

QString BuiltHelpFile() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Talvex.qch");
}

QStringList Utf16Lines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = f.readAll().mid(2);
    QString text(bytes.size() / 2, QChar());
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                              (static_cast<unsigned char>(bytes[2 * i + 1]) << 8)));
    QStringList lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    // Without the time in front.
    for (QString& line : lines)
        line = line.section(QStringLiteral("   "), 1);
    return lines;
}

// Collects the warnings the help service shows while it lives.
struct TWarnings {
    QStringList texts;
    TWarnings() {
        SetWarningProc([this](const QString& text) { texts << text; });
    }
    ~TWarnings() { SetWarningProc(nullptr); }
};

bool CopyHelpFiles(const QString& to) {
    return QFile::copy(BuiltHelpFile(), QDir(to).filePath(QStringLiteral("Talvex.qch"))) &&
           QFile::copy(HelpCollectionFile(BuiltHelpFile()), QDir(to).filePath(QStringLiteral("Talvex.qhc")));
}

} // namespace

class TestHelpSystem : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void helpHook_data();
    void helpHook();
    void createInstallsTheHookAndDestroyRestoresIt();
    void errorTexts_data();
    void errorTexts();
    void resultCodes_data();
    void resultCodes();
    void windowOpensAtThePageOfEachContext_data();
    void windowOpensAtThePageOfEachContext();
    void windowIsReusedAndClosedWithTheService();
    void contentsTreeFollowsThePage();
    void numberWithoutPageSaysSo();
    void unopenableFileIsShownInTheWindow();
    void traceLines();
    void canOpenHelpFile_data();
    void canOpenHelpFile();
    void everyContextHasAPageInTheBuiltFile();
    void everyPictureAndLinkOfAPageIsInTheFile();
    void searchFindsPagesWithAllWords();
};

void TestHelpSystem::init() {
    HHSetInstalled(true);
}

void TestHelpSystem::cleanup() {
    HHCloseAll();
    HHSetInstalled(true);
    SetDLogFile(nullptr);
}

void TestHelpSystem::helpHook_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<qint64>("data");
    QTest::addColumn<bool>("callHelp");
    QTest::addColumn<QString>("called"); // which replacement action ran, with its argument
    QTest::newRow("HELP_CONTEXT") << int(HELP_CONTEXT) << qint64(3012) << false << "topic 3012";
    QTest::newRow("HELP_CONTEXTPOPUP") << int(HELP_CONTEXTPOPUP) << qint64(3011) << false << "popup 3011";
    QTest::newRow("HELP_SETPOPUP_POS") << int(HELP_SETPOPUP_POS) << qint64((200 << 16) | 120) << false << "";
    QTest::newRow("HELP_QUIT") << int(HELP_QUIT) << qint64(0) << true << "";
    QTest::newRow("HELP_CONTENTS") << int(HELP_CONTENTS) << qint64(0) << true << "";
    QTest::newRow("HELP_KEY") << int(HELP_KEY) << qint64(0) << true << "";
    QTest::newRow("unknown command") << 99 << qint64(0) << true << "";
}

void TestHelpSystem::helpHook() {
    QFETCH(int, command);
    QFETCH(qint64, data);
    QFETCH(bool, callHelp);
    QFETCH(QString, called);
    THookHelpSystem help(BuiltHelpFile(), htHHAPI, QString());
    QString ran;
    help.HelpCallback1 = [&ran](qint32 c) {
        ran = QStringLiteral("topic %1").arg(c);
        return 0;
    };
    help.HelpCallback2 = [&ran](qint32 c) {
        ran = QStringLiteral("popup %1").arg(c);
        return 0;
    };
    bool call = !callHelp;
    QVERIFY(help.HelpHook(static_cast<quint16>(command), static_cast<qintptr>(data), call));
    QCOMPARE(call, callHelp);
    QCOMPARE(ran, called);
    if (command == HELP_SETPOPUP_POS) QCOMPARE(help.PopupXY(), QPoint(120, 200));
}

void TestHelpSystem::createInstallsTheHookAndDestroyRestoresIt() {
    QList<qint64> earlier;
    SetApplicationOnHelp([&earlier](quint16, qintptr data, bool&) {
        earlier << data;
        return true;
    });
    {
        THookHelpSystem help(BuiltHelpFile(), htHHAPI, QString());
        QString ran;
        help.HelpCallback1 = [&ran](qint32 c) {
            ran = QString::number(c);
            return 0;
        };
        QVERIFY(ApplicationHelpContext(1001));
        QCOMPARE(ran, QStringLiteral("1001"));
        // The earlier handler is not chained.
        QVERIFY(earlier.isEmpty());
    }
    QVERIFY(ApplicationHelpContext(3001));
    QCOMPARE(earlier, QList<qint64>{3001});
    SetApplicationOnHelp(nullptr);
    QVERIFY(!ApplicationHelpContext(3001));
}

void TestHelpSystem::errorTexts_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "";
    QTest::newRow("1") << 1 << "MS Html Help is not installed on this PC.";
    QTest::newRow("2") << 2 << "System file KeyHH.EXE was not found in the Windows folder.";
    QTest::newRow("3") << 3 << "System file HH.EXE was not found in the Windows folder.";
    QTest::newRow("4") << 4 << "Unknown error returned by HHelpContext";
    QTest::newRow("-1") << -1 << "Unknown error returned by HHelpContext";
}

void TestHelpSystem::errorTexts() {
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(HHErrorText(code), text);
    TWarnings warnings;
    HHShowError(code);
    QCOMPARE(warnings.texts, text.isEmpty() ? QStringList() : QStringList{text});
}

void TestHelpSystem::resultCodes_data() {
    QTest::addColumn<int>("hostType");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("windowShown");
    QTest::newRow("engine") << int(htHHAPI) << true << 0 << true;
    QTest::newRow("engine missing") << int(htHHAPI) << false << 1 << false;
    QTest::newRow("viewer with keywords") << int(htKeyHHexe) << true << 2 << false;
    QTest::newRow("viewer") << int(htHHexe) << true << 3 << false;
}

void TestHelpSystem::resultCodes() {
    QFETCH(int, hostType);
    QFETCH(bool, installed);
    QFETCH(int, result);
    QFETCH(bool, windowShown);
    HHSetInstalled(installed);
    TWarnings warnings;
    THookHelpSystem help(BuiltHelpFile(), static_cast<THostType>(hostType), QString());
    QCOMPARE(help.HelpContext(3012), result);
    QCOMPARE(warnings.texts, result == 0 ? QStringList() : QStringList{HHErrorText(result)});
    QCOMPARE(HHHelpWindow() != nullptr, windowShown);
    if (windowShown) QVERIFY(HHHelpWindow()->isVisible());
}

void TestHelpSystem::windowOpensAtThePageOfEachContext_data() {
    QTest::addColumn<int>("context");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("heading");
    QTest::newRow("1001") << 1001 << "hauptfenster.html"
                          << "Das Hauptfenster";
    QTest::newRow("3001") << 3001 << "inhalt.html"
                          << "Peilomat-Hilfe";
    QTest::newRow("3011") << 3011 << "instrumente.html"
                          << "Die Instrumente";
    QTest::newRow("3012") << 3012 << "karte.html"
                          << "Die Karte";
    QTest::newRow("3013") << 3013 << "steuerung.html"
                          << "Die Steuerleiste";
    QTest::newRow("3017") << 3017 << "optionen.html"
                          << "Das Menü „Optionen“";
}

void TestHelpSystem::windowOpensAtThePageOfEachContext() {
    QFETCH(int, context);
    QFETCH(QString, page);
    QFETCH(QString, heading);
    QCOMPARE(HelpTopicPage(context), page);
    THookHelpSystem help(BuiltHelpFile(), htHHAPI, QString());
    bool callHelp = true;
    QVERIFY(help.HelpHook(HELP_CONTEXT, context, callHelp));
    THelpWindow* window = HHHelpWindow();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(window->IsOpen());
    QCOMPARE(window->CurrentUrl(), HelpTopicUrl(context));
    QVERIFY2(window->PageText().startsWith(heading), qPrintable(window->PageText().left(80)));
}

void TestHelpSystem::windowIsReusedAndClosedWithTheService() {
    QPointer<THelpWindow> first;
    {
        THookHelpSystem help(BuiltHelpFile(), htHHAPI, QString());
        QCOMPARE(help.HelpContext(3011), 0);
        first = HHHelpWindow();
        QVERIFY(first);
        QCOMPARE(help.HelpContext(3012), 0);
        QCOMPARE(HHHelpWindow(), first.data());
        QCOMPARE(first->CurrentUrl(), HelpTopicUrl(3012));
        // A minimised help window comes back for the next request.
        first->showMinimized();
        QCOMPARE(help.HelpContext(3013), 0);
        QVERIFY(!first->isMinimized());
        QVERIFY(first->isVisible());
        first->Browser()->backward();
        // Back goes to the earlier topic.
        first->Browser()->backward();
        QCOMPARE(first->CurrentUrl(), HelpTopicUrl(3011));
    }
    QVERIFY(!first);
    QVERIFY(!HHHelpWindow());
}

void TestHelpSystem::contentsTreeFollowsThePage() {
    THelpWindow window(BuiltHelpFile());
    window.show();
    auto* tree = window.findChild<QTreeView*>(QStringLiteral("tvInhalt"));
    QVERIFY(tree);
    QTRY_VERIFY(tree->model()->rowCount() > 0);
    const auto current = [tree] { return tree->currentIndex().data().toString(); };
    window.ShowTopic(3012);
    QCOMPARE(current(), QStringLiteral("Die Karte"));
    window.ShowTopic(3011);
    QCOMPARE(current(), QStringLiteral("Die Instrumente"));
    QCOMPARE(window.Browser()->verticalScrollBar()->value(), 0);
    // A section of a page: its own entry, and the page scrolled to it.
    window.ShowUrl(HelpTopicUrl(3011).resolved(QUrl(QStringLiteral("#vor"))));
    QCOMPARE(current(), QStringLiteral("VOR-Anzeigegerät (VAG)"));
    QVERIFY(window.Browser()->verticalScrollBar()->value() > 0);
    // Picking an entry shows its page.
    const QModelIndex first = tree->model()->index(0, 0);
    emit tree->activated(tree->model()->index(0, 0, first));
    QCOMPARE(window.CurrentUrl(), HelpTopicUrl(1001));
}

void TestHelpSystem::numberWithoutPageSaysSo() {
    THookHelpSystem help(BuiltHelpFile(), htHHAPI, QString());
    QCOMPARE(help.HelpContext(4711), 0);
    QVERIFY(HHHelpWindow());
    QVERIFY2(HHHelpWindow()->PageText().contains(QStringLiteral("Zum Hilfethema 4711 gibt es")),
             qPrintable(HHHelpWindow()->PageText()));
}

void TestHelpSystem::unopenableFileIsShownInTheWindow() {
    // A file that went missing after the start-up: the engine tells in its own window.
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("Talvex.qch"));
    THookHelpSystem help(missing, htHHAPI, QString());
    QCOMPARE(help.HelpContext(3012), 0);
    QVERIFY(HHHelpWindow());
    QVERIFY(!HHHelpWindow()->IsOpen());
    QCOMPARE(HHHelpWindow()->PageText().section(QLatin1Char('\n'), 1),
             HelpFileOpenMessage(missing, QStringLiteral("die Datei fehlt")));
    // A later request for the right file takes its place.
    THookHelpSystem good(BuiltHelpFile(), htHHAPI, QString());
    QCOMPARE(good.HelpContext(3012), 0);
    QVERIFY(HHHelpWindow()->IsOpen());
}

void TestHelpSystem::traceLines() {
    QTemporaryDir dir;
    TDLogFile log(dir.filePath(QStringLiteral("HHDebug.txt")), false, false, true, true);
    SetDLogFile(&log);
    const QString file = BuiltHelpFile();
    {
        TWarnings warnings;
        THookHelpSystem help(QStringLiteral(" ") +
                                 QString(file).replace(QLatin1Char(' '), QStringLiteral("%20")),
                             htHHAPI, QString());
        bool callHelp = true;
        help.HelpHook(HELP_CONTEXT, 3012, callHelp);
        help.HelpHook(HELP_QUIT, 0, callHelp);
        HHSetInstalled(false);
        help.HelpContext(3011);
    }
    SetDLogFile(nullptr);
    const QString given =
        QStringLiteral(" ") + QString(file).replace(QLatin1Char(' '), QStringLiteral("%20"));
    const QStringList expected{
        QStringLiteral("THookHelpSystem.Create(\"%1\",\"\", 0)").arg(given),
        QStringLiteral("THookHelpSystem.HelpHook(1 (HELP_CONTEXT), 3012)"),
        QStringLiteral("HHelpContext(\"%1\", 3012, \"\", 0)").arg(given),
        QStringLiteral("ShowContext(\"%1\", 0)").arg(file),
        QStringLiteral("  returned - 0"),
        QStringLiteral("THookHelpSystem.HelpHook(2 (HELP_QUIT), 0)"),
        QStringLiteral("HHelpContext(\"%1\", 3011, \"\", 0)").arg(given),
        QStringLiteral("ShowContext(\"%1\", 0)").arg(file),
        QStringLiteral("  returned - 1"),
        QStringLiteral("HHShowError(1), \"MS Html Help is not installed on this PC.\""),
        QStringLiteral("THookHelpSystem.Destroy"),
    };
    QCOMPARE(Utf16Lines(log.FileName()), expected);
}

void TestHelpSystem::canOpenHelpFile_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("cause"); // the start of the reason; empty when it opens
    QTest::newRow("as built, in another folder") << "none"
                                                 << "";
    QTest::newRow("help file missing") << "no qch"
                                       << "die Datei fehlt";
    QTest::newRow("collection missing") << "no qhc"
                                        << "die zugehörige Sammlungsdatei";
    QTest::newRow("help file not a help file") << "bad qch"
                                               << "sie ist keine lesbare Qt-Hilfedatei";
    QTest::newRow("collection not a collection") << "bad qhc"
                                                 << "sie ist in der Sammlungsdatei";
    QTest::newRow("collection of another file") << "renamed"
                                                << "die Sammlungsdatei";
}

void TestHelpSystem::canOpenHelpFile() {
    QFETCH(QString, damage);
    QFETCH(QString, cause);
    QTemporaryDir dir;
    QVERIFY(CopyHelpFiles(dir.path()));
    QString file = dir.filePath(QStringLiteral("Talvex.qch"));
    const QString collection = dir.filePath(QStringLiteral("Talvex.qhc"));
    const auto spoil = [](const QString& path) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("kein Inhalt");
    };
    if (damage == QLatin1String("no qch")) QFile::remove(file);
    if (damage == QLatin1String("no qhc")) QFile::remove(collection);
    if (damage == QLatin1String("bad qch")) spoil(file);
    if (damage == QLatin1String("bad qhc")) spoil(collection);
    if (damage == QLatin1String("renamed")) {
        // A copy under another name: the collection still names Talvex.qch.
        QVERIFY(QFile::copy(file, dir.filePath(QStringLiteral("Anders.qch"))));
        QVERIFY(QFile::copy(collection, dir.filePath(QStringLiteral("Anders.qhc"))));
        file = dir.filePath(QStringLiteral("Anders.qch"));
    }
    QString reason;
    QCOMPARE(CanOpenHelpFile(file, reason), cause.isEmpty());
    QVERIFY2(cause.isEmpty() ? reason.isEmpty() : reason.startsWith(cause), qPrintable(reason));
    if (cause.isEmpty()) {
        THelpWindow window(file);
        QVERIFY(window.IsOpen());
        window.ShowTopic(3013);
        QVERIFY(window.PageText().startsWith(QStringLiteral("Die Steuerleiste")));
    }
}

void TestHelpSystem::everyContextHasAPageInTheBuiltFile() {
    QHelpEngineCore engine(HelpCollectionFile(BuiltHelpFile()));
    engine.setReadOnly(true);
    QVERIFY(engine.setupData());
    QCOMPARE(QHelpEngineCore::namespaceName(BuiltHelpFile()), QLatin1String(HelpNamespace));
    for (const THelpTopic& topic : HelpTopics) {
        const QByteArray html = engine.fileData(HelpTopicUrl(topic.context));
        QVERIFY2(!html.isEmpty(), topic.page);
        QVERIFY2(html.contains("<title>"), topic.page);
        // The help file's own index names the same page for the number.
        const QList<QHelpLink> links = engine.documentsForIdentifier(QString::number(topic.context));
        QCOMPARE(links.size(), 1);
        QCOMPARE(links.first().url, HelpTopicUrl(topic.context));
    }
}

void TestHelpSystem::everyPictureAndLinkOfAPageIsInTheFile() {
    QHelpEngineCore engine(HelpCollectionFile(BuiltHelpFile()));
    engine.setReadOnly(true);
    QVERIFY(engine.setupData());
    const QList<QUrl> pages = engine.files(QLatin1String(HelpNamespace), QString(), QStringLiteral("html"));
    QCOMPARE(pages.size(), qsizetype(HelpTopics.size()));
    static const QRegularExpression reference(QStringLiteral("(?:src|href)=\"([^\"#]*)(#[^\"]*)?\""));
    static const QRegularExpression anchor(QStringLiteral("(?:id|name)=\"([^\"]+)\""));
    int pictures = 0;
    for (const QUrl& page : pages) {
        const QString html = QString::fromUtf8(engine.fileData(page));
        for (auto it = reference.globalMatch(html); it.hasNext();) {
            const auto m = it.next();
            const QUrl target = m.captured(1).isEmpty() ? page : page.resolved(QUrl(m.captured(1)));
            const QByteArray data = engine.fileData(target);
            QVERIFY2(!data.isEmpty(), qPrintable(page.fileName() + QStringLiteral(" -> ") + m.captured(0)));
            if (target.path().endsWith(QLatin1String(".png"))) {
                ++pictures;
                QVERIFY2(data.startsWith("\x89PNG"), qPrintable(target.toString()));
            }
            if (!m.captured(2).isEmpty()) {
                QStringList anchors;
                const QString targetHtml = QString::fromUtf8(data);
                for (auto a = anchor.globalMatch(targetHtml); a.hasNext();)
                    anchors << a.next().captured(1);
                QVERIFY2(anchors.contains(m.captured(2).mid(1)),
                         qPrintable(page.fileName() + QStringLiteral(" -> ") + m.captured(0)));
            }
        }
    }
    QVERIFY(pictures >= 7);
}

void TestHelpSystem::searchFindsPagesWithAllWords() {
    THelpWindow window(BuiltHelpFile());
    QVERIFY(window.IsOpen());
    const auto found = window.Search(QStringLiteral("Inhalt"));
    QVERIFY(!found.empty());
    QVERIFY(window.Search(QStringLiteral("Inhalt Xylophonquartett")).empty());
    window.SearchField()->setText(QStringLiteral("Inhalt"));
    QTest::keyClick(window.SearchField(), Qt::Key_Return);
    QCOMPARE(window.SearchResults()->count(), int(found.size()));
}

QTEST_MAIN(TestHelpSystem)
#include "tst_helpsystem.moc"
