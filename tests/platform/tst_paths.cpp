#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// A program folder "prefix/bin" with its installed data folder
// "prefix/share/peilomat" beside it, as an installation lays them out.
class TestPaths : public QObject {
    Q_OBJECT
private slots:
    void init();
    void programFileLookup_data();
    void programFileLookup();
    void programFileOfTheRunningProgram();

private:
    void Touch(const QString& path);
    void MakeFolder(const QString& path);

    std::unique_ptr<QTemporaryDir> m_prefix;
    QString m_bin;
    QString m_share;
};

void TestPaths::init() {
    m_prefix = std::make_unique<QTemporaryDir>();
    QVERIFY(m_prefix->isValid());
    m_bin = m_prefix->filePath(QStringLiteral("bin"));
    m_share = m_prefix->filePath(QStringLiteral("share/peilomat"));
    MakeFolder(m_bin);
    MakeFolder(m_share);
}

void TestPaths::Touch(const QString& path) {
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
}

void TestPaths::MakeFolder(const QString& path) {
    QVERIFY2(QDir().mkpath(path), qPrintable(path));
}

void TestPaths::programFileLookup_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QStringList>("files");   // relative to the prefix
    QTest::addColumn<QStringList>("folders"); // relative to the prefix
    QTest::addColumn<QString>("expected");    // relative to the prefix
    QTest::addColumn<bool>("trailingSeparator");

    const QString skin = QStringLiteral("MP10.ssk");
    QTest::newRow("beside the executable")
        << skin << QStringList{"bin/MP10.ssk"} << QStringList() << "bin/MP10.ssk" << false;
    QTest::newRow("installed copy") << skin << QStringList{"share/peilomat/MP10.ssk"} << QStringList()
                                    << "share/peilomat/MP10.ssk" << false;
    QTest::newRow("beside wins over installed")
        << skin << QStringList{"bin/MP10.ssk", "share/peilomat/MP10.ssk"} << QStringList() << "bin/MP10.ssk"
        << false;
    QTest::newRow("nowhere names the program folder")
        << skin << QStringList() << QStringList() << "bin/MP10.ssk" << false;
    QTest::newRow("trailing separator") << skin << QStringList{"share/peilomat/MP10.ssk"} << QStringList()
                                        << "share/peilomat/MP10.ssk" << true;
    QTest::newRow("a folder of that name is no file")
        << QStringLiteral("debug.debug") << QStringList{"share/peilomat/debug.debug"}
        << QStringList{"bin/debug.debug"} << "share/peilomat/debug.debug" << false;
    QTest::newRow("folders only") << QStringLiteral("debug.debug") << QStringList()
                                  << QStringList{"bin/debug.debug", "share/peilomat/debug.debug"}
                                  << "bin/debug.debug" << false;
    QTest::newRow("name with a subfolder")
        << QStringLiteral("help/Talvex.qch") << QStringList{"share/peilomat/help/Talvex.qch"}
        << QStringList{"share/peilomat/help"} << "share/peilomat/help/Talvex.qch" << false;
    QTest::newRow("installed data of another program is not looked at")
        << skin << QStringList{"share/MP10.ssk", "MP10.ssk"} << QStringList() << "bin/MP10.ssk" << false;
}

void TestPaths::programFileLookup() {
    QFETCH(QString, fileName);
    QFETCH(QStringList, files);
    QFETCH(QStringList, folders);
    QFETCH(QString, expected);
    QFETCH(bool, trailingSeparator);

    for (const QString& folder : folders)
        MakeFolder(m_prefix->filePath(folder));
    for (const QString& file : files)
        Touch(m_prefix->filePath(file));

    const QString programFolder = trailingSeparator ? m_bin + QLatin1Char('/') : m_bin;
    QCOMPARE(ProgramFile(programFolder, fileName), QDir::toNativeSeparators(m_prefix->filePath(expected)));
}

void TestPaths::programFileOfTheRunningProgram() {
    // Nothing of that name lies next to the test executable or in its share folder.
    const QString name = QStringLiteral("no-such-program-file.txt");
    QCOMPARE(ProgramFile(name),
             QDir::toNativeSeparators(QDir(QCoreApplication::applicationDirPath()).filePath(name)));
}

QTEST_GUILESS_MAIN(TestPaths)
#include "tst_paths.moc"
