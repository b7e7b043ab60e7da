#include "platform/DisplayCheck.h"

#include <QLocalServer>
#include <QTemporaryDir>
#include <QTest>

#include <QFile>

class TestDisplayCheck : public QObject {
    Q_OBJECT
private slots:
    void judgesLocalDisplaysByTheirSocket_data();
    void judgesLocalDisplaysByTheirSocket();
};

void TestDisplayCheck::judgesLocalDisplaysByTheirSocket_data() {
    // server: what sits at <folder>/X7: a listening server, a plain file
    // left behind, or nothing.
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QString>("server");
    QTest::addColumn<bool>("reachable");
    QTest::newRow("a server listens on the display") << QByteArray(":7") << "listening" << true;
    QTest::newRow("screen number after the display") << QByteArray(":7.0") << "listening" << true;
    QTest::newRow("unix: prefix") << QByteArray("unix:7") << "listening" << true;
    QTest::newRow("nobody on the display") << QByteArray(":7") << "none" << false;
    QTest::newRow("another display than the one served") << QByteArray(":8") << "listening" << false;
    QTest::newRow("a file left where the socket was") << QByteArray(":7") << "file" << false;
    QTest::newRow("another host is left to Qt") << QByteArray("elsewhere:7") << "none" << true;
    QTest::newRow("forwarded display is left to Qt") << QByteArray("localhost:10.0") << "none" << true;
    QTest::newRow("no number is left to Qt") << QByteArray(":abc") << "none" << true;
    QTest::newRow("no colon is left to Qt") << QByteArray("7") << "none" << true;
}

void TestDisplayCheck::judgesLocalDisplaysByTheirSocket() {
    QFETCH(QByteArray, display);
    QFETCH(QString, server);
    QFETCH(bool, reachable);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString socket = folder.path() + QStringLiteral("/X7");
    QLocalServer listening;
    if (server == QLatin1String("listening")) {
        QVERIFY(listening.listen(socket));
    } else if (server == QLatin1String("file")) {
        QFile file(socket);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(X11DisplayReachable(display, folder.path()), reachable);
}

QTEST_GUILESS_MAIN(TestDisplayCheck)
#include "tst_displaycheck.moc"
