#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/VersionInfo.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& data) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(data), data.size());
}

} // namespace

class TestIniFile : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    void readValues_data();
    void readValues();
    void unreadableFilesGiveDefaults_data();
    void unreadableFilesGiveDefaults();
    void writeKeepsOtherContentAndOrder();
    void writeUpdatesInPlaceAndAppendsNewKeys();
    void writeKeepsLineEndingsAndEncoding();
    void unreadableFileIsKept_data();
    void unreadableFileIsKept();
    void sizeCapIsOneRule_data();
    void sizeCapIsOneRule();
    void utf16RoundTrip_data();
    void utf16RoundTrip();
    void failedWriteLeavesOldFile_data();
    void failedWriteLeavesOldFile();
    void versionRecord();
    void folders();

private:
    QString Path(const QString& name = QStringLiteral("Talvex.ini")) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

// One file, one key read as integer and as boolean against its defaults.
void TestIniFile::readValues_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("intDefault");
    QTest::addColumn<int>("expectedInt");
    QTest::addColumn<bool>("boolDefault");
    QTest::addColumn<bool>("expectedBool");

    const QByteArray opt = "[Optionen]\n";
    QTest::newRow("missing section") << QByteArray("[Other]\nRtSm=1\n") << "Optionen"
                                     << "RtSm" << 7 << 7 << false << false;
    QTest::newRow("section with one key: that key") << QByteArray(opt + "ShowRB=0\n") << "Optionen"
                                                    << "ShowRB" << 1 << 0 << true << false;
    QTest::newRow("section with one key: other key default") << QByteArray(opt + "ShowRB=0\n") << "Optionen"
                                                             << "ShowRadials" << 1 << 1 << true << true;
    QTest::newRow("RtSm=5 is on") << QByteArray(opt + "RtSm=5\n") << "Optionen"
                                  << "RtSm" << 0 << 5 << false << true;
    QTest::newRow("RtSm=x is default") << QByteArray(opt + "RtSm=x\n") << "Optionen"
                                       << "RtSm" << 0 << 0 << false << false;
    QTest::newRow("empty value is default") << QByteArray(opt + "RtSm=\n") << "Optionen"
                                            << "RtSm" << 3 << 3 << true << true;
    QTest::newRow("0x10 is sixteen") << QByteArray(opt + "Width=0x10\n") << "Optionen"
                                     << "Width" << 0 << 16 << false << true;
    QTest::newRow("0XfF hex any case") << QByteArray(opt + "Width=0XfF\n") << "Optionen"
                                       << "Width" << 0 << 255 << false << true;
    QTest::newRow("010 is ten, not octal") << QByteArray(opt + "Width=010\n") << "Optionen"
                                           << "Width" << 0 << 10 << false << true;
    QTest::newRow("negative decimal") << QByteArray(opt + "Left=-8\n") << "Optionen"
                                      << "Left" << 0 << -8 << false << true;
    QTest::newRow("0x without digits") << QByteArray(opt + "Left=0x\n") << "Optionen"
                                       << "Left" << 4 << 4 << false << false;
    QTest::newRow("dollar hex not accepted") << QByteArray(opt + "Left=$10\n") << "Optionen"
                                             << "Left" << 4 << 4 << false << false;
    QTest::newRow("fraction not accepted") << QByteArray(opt + "Left=1.5\n") << "Optionen"
                                           << "Left" << 4 << 4 << false << false;
    QTest::newRow("trailing text not accepted") << QByteArray(opt + "Left=12abc\n") << "Optionen"
                                                << "Left" << 4 << 4 << false << false;
    QTest::newRow("int32 max") << QByteArray(opt + "Left=2147483647\n") << "Optionen"
                               << "Left" << 4 << 2147483647 << false << true;
    QTest::newRow("int32 min") << QByteArray(opt + "Left=-2147483648\n") << "Optionen"
                               << "Left" << 4 << int(-2147483647 - 1) << false << true;
    QTest::newRow("out of range") << QByteArray(opt + "Left=2147483648\n") << "Optionen"
                                  << "Left" << 4 << 4 << false << false;
    QTest::newRow("hex out of range") << QByteArray(opt + "Left=0x100000000\n") << "Optionen"
                                      << "Left" << 4 << 4 << false << false;
    QTest::newRow("blanks, CRLF, letter case of names")
        << QByteArray("  [ optionen ]  \r\n  rtsm  =  1  \r\n") << "Optionen"
        << "RtSm" << 0 << 1 << false << true;
    QTest::newRow("quoted value") << QByteArray(opt + "Top=\"42\"\n") << "Optionen"
                                  << "Top" << 0 << 42 << false << true;
    QTest::newRow("same key in another section is not seen")
        << QByteArray("[A]\nTop=1\n[Optionen]\nLeft=2\n") << "Optionen"
        << "Top" << 9 << 9 << false << false;
    QTest::newRow("first of duplicated keys wins") << QByteArray(opt + "Top=1\nTop=2\n") << "Optionen"
                                                   << "Top" << 9 << 1 << false << true;
    QTest::newRow("comment line is no key") << QByteArray(opt + ";Top=1\n") << "Optionen"
                                            << "Top" << 9 << 9 << false << false;
    QTest::newRow("truncated in a key name") << QByteArray(opt + "ShowRB=0\nRt") << "Optionen"
                                             << "RtSm" << 0 << 0 << false << false;
    QTest::newRow("truncated after the equals sign") << QByteArray(opt + "ShowRB=0\nRtSm=") << "Optionen"
                                                     << "RtSm" << 0 << 0 << true << true;
    QTest::newRow("truncated in a section header") << QByteArray("[Optio") << "Optionen"
                                                   << "RtSm" << 2 << 2 << true << true;
    QTest::newRow("last line without line break") << QByteArray(opt + "RtSm=1") << "Optionen"
                                                  << "RtSm" << 0 << 1 << false << true;
}

void TestIniFile::readValues() {
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(int, intDefault);
    QFETCH(int, expectedInt);
    QFETCH(bool, boolDefault);
    QFETCH(bool, expectedBool);
    WriteAll(Path(), content);
    const TIniFile ini(Path());
    QCOMPARE(ini.ReadInteger(section, key, intDefault), expectedInt);
    QCOMPARE(ini.ReadBool(section, key, boolDefault), expectedBool);
}

// Files that cannot be read as settings read as if they were missing.
void TestIniFile::unreadableFilesGiveDefaults_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("create");

    QByteArray binary("[Optionen]\nRtSm=1\n");
    binary += QByteArray("\x00\x01\xff\xfe", 4);
    QByteArray huge("[Optionen]\nRtSm=1\n");
    huge += QByteArray(int(TIniFile::MaxFileSize), ';');

    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("binary") << binary << true;
    QTest::newRow("larger than the cap") << huge << true;
}

void TestIniFile::unreadableFilesGiveDefaults() {
    QFETCH(QByteArray, content);
    QFETCH(bool, create);
    if (create)
        WriteAll(Path(), content);
    else
        QFile::remove(Path());
    const TIniFile ini(Path());
    QVERIFY(!ini.SectionExists("Optionen"));
    QCOMPARE(ini.ReadBool("Optionen", "RtSm", false), false);
    QCOMPARE(ini.ReadString("Optionen", "RtSm", "def"), QString("def"));
}

void TestIniFile::writeKeepsOtherContentAndOrder() {
    WriteAll(Path(), "; kept comment\n[Other]\nA=1\nB=two\n");
    {
        TIniFile ini(Path());
        ini.WriteBool("Optionen", "ShowRadials", true);
        ini.WriteBool("Optionen", "ShowRB", true);
        ini.WriteBool("Optionen", "RMImitZweiZeigern", true);
        ini.WriteBool("Optionen", "RtSm", false);
        ini.WriteBool("Optionen", "Info", true);
        QVERIFY(ini.UpdateFile());
    }
    QCOMPARE(ReadAll(Path()),
             QByteArray("; kept comment\n[Other]\nA=1\nB=two\n\n"
                        "[Optionen]\nShowRadials=1\nShowRB=1\nRMImitZweiZeigern=1\nRtSm=0\nInfo=1\n"));
    const TIniFile again(Path());
    QCOMPARE(again.ReadSection("Optionen"),
             QStringList({"ShowRadials", "ShowRB", "RMImitZweiZeigern", "RtSm", "Info"}));
    QCOMPARE(again.ReadString("Other", "B", QString()), QString("two"));
}

void TestIniFile::writeUpdatesInPlaceAndAppendsNewKeys() {
    WriteAll(Path(), "[frmMainTalvex]\nTop=5\nExtra=x\n\n[Optionen]\nRtSm=1\n");
    TIniFile ini(Path());
    ini.WriteInteger("frmMainTalvex", "WindowState", 0);
    ini.WriteInteger("FRMMAINTALVEX", "top", 7);
    ini.WriteString("Optionen", "Multi", "a\nb");
    QVERIFY(ini.UpdateFile());
    // Existing key replaced where it stood (with the name as now written),
    // new key after the section's last key, the blank separator line kept,
    // a line break in a value never becomes a line of its own.
    QCOMPARE(ReadAll(Path()), QByteArray("[frmMainTalvex]\ntop=7\nExtra=x\nWindowState=0\n\n"
                                         "[Optionen]\nRtSm=1\nMulti=a b\n"));
}

void TestIniFile::writeKeepsLineEndingsAndEncoding() {
    const QByteArray latin1 = QByteArray("[Other]\r\nName=Gr") + char(0xFC) + QByteArray("n\r\n");
    WriteAll(Path(), latin1);
    TIniFile ini(Path());
    QCOMPARE(ini.ReadString("Other", "Name", QString()), QString::fromUtf8("Grün"));
    ini.WriteInteger("Other", "N", 1);
    QVERIFY(ini.UpdateFile());
    QCOMPARE(ReadAll(Path()), latin1 + "N=1\r\n");
}

// A file that cannot be read is never overwritten; moved aside, it is kept as
// <file>.bak (replacing an older one) and a new file starts empty.
void TestIniFile::unreadableFileIsKept_data() {
    QTest::addColumn<QByteArray>("content");
    QByteArray huge("[Optionen]\nRtSm=1\n");
    huge += QByteArray(int(TIniFile::MaxFileSize), ';');
    QTest::newRow("binary") << QByteArray("\x00\x01garbage", 9);
    QTest::newRow("over the cap") << huge;
    QTest::newRow("UTF-16 with an odd byte") << QByteArray("\xff\xfe[\x00O\x00]", 7);
}

void TestIniFile::unreadableFileIsKept() {
    QFETCH(QByteArray, content);
    WriteAll(Path(), content);
    WriteAll(TIniFile::BackupName(Path()), "older backup");
    TIniFile ini(Path());
    QVERIFY(ini.Unreadable());
    ini.WriteInteger("Optionen", "RtSm", 1);
    QVERIFY(!ini.UpdateFile());
    QCOMPARE(ini.LastError(), TIniFile::WriteErrorMessage(Path()));
    QCOMPARE(ReadAll(Path()), content);

    QString backup;
    QVERIFY(ini.MoveAside(&backup));
    QCOMPARE(backup, Path() + ".bak");
    QCOMPARE(ReadAll(backup), content);
    QVERIFY(!QFile::exists(Path()));
    ini.WriteInteger("Optionen", "RtSm", 1);
    QVERIFY(ini.UpdateFile());
    QCOMPARE(ReadAll(Path()), QByteArray("[Optionen]\nRtSm=1\n"));
    QVERIFY(!TIniFile(Path()).Unreadable());
}

// The reader takes files up to MaxFileSize; the writer never writes more.
void TestIniFile::sizeCapIsOneRule_data() {
    QTest::addColumn<int>("fileSize");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<bool>("written"); // after adding the 5 bytes "N=1\n" + nothing else
    const int cap = int(TIniFile::MaxFileSize);
    const int grow = int(QByteArray("N=1\n").size());
    QTest::newRow("cap - 5: grows to the cap") << cap - grow << true << true;
    QTest::newRow("cap - 4: would grow past it") << cap - grow + 1 << true << false;
    QTest::newRow("exactly the cap") << cap << true << false;
    QTest::newRow("one byte over") << cap + 1 << false << false;
}

void TestIniFile::sizeCapIsOneRule() {
    QFETCH(int, fileSize);
    QFETCH(bool, readable);
    QFETCH(bool, written);
    // "[S]\n" then one comment line that fills the file to its size.
    QByteArray content("[S]\n;");
    content += QByteArray(fileSize - content.size() - 1, 'x');
    content += '\n';
    QCOMPARE(content.size(), fileSize);
    WriteAll(Path(), content);

    TIniFile ini(Path());
    QCOMPARE(ini.Loaded(), readable);
    QCOMPARE(ini.Unreadable(), !readable);
    ini.WriteInteger("S", "N", 1);
    QCOMPARE(ini.UpdateFile(), written);
    const QByteArray after = ReadAll(Path());
    QVERIFY(after.size() <= TIniFile::MaxFileSize || !readable);
    if (written) {
        QCOMPARE(after.size(), TIniFile::MaxFileSize);
        QCOMPARE(TIniFile(Path()).ReadInteger("S", "N", 0), 1); // what was written reads back
    } else {
        QCOMPARE(after, content);
    }
}

// UTF-16 with a byte-order mark, as Windows editors save INI files, is read
// and written back in its encoding, with its line ends.
void TestIniFile::utf16RoundTrip_data() {
    QTest::addColumn<bool>("littleEndian");
    QTest::addColumn<QString>("eol");
    QTest::newRow("UTF-16LE, CR LF") << true << "\r\n";
    QTest::newRow("UTF-16LE, LF") << true << "\n";
    QTest::newRow("UTF-16BE, CR LF") << false << "\r\n";
}

void TestIniFile::utf16RoundTrip() {
    QFETCH(bool, littleEndian);
    QFETCH(QString, eol);
    const auto encode = [&](const QString& text) {
        QStringEncoder enc(littleEndian ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE,
                           QStringEncoder::Flag::WriteBom);
        return QByteArray(enc.encode(text));
    };
    const QString original = "[Optionen]" + eol + "ShowRB=0" + eol + "Name=Grün" + eol;
    WriteAll(Path(), encode(original));
    TIniFile ini(Path());
    QVERIFY(ini.Loaded());
    QCOMPARE(ini.Encoding(), littleEndian ? TIniFile::TEncoding::Utf16LE : TIniFile::TEncoding::Utf16BE);
    QCOMPARE(ini.ReadBool("Optionen", "ShowRB", true), false);
    QCOMPARE(ini.ReadString("Optionen", "Name", QString()), QString("Grün"));
    ini.WriteBool("Optionen", "RtSm", true);
    QVERIFY(ini.UpdateFile());
    QCOMPARE(ReadAll(Path()), encode(original + "RtSm=1" + eol));
}

void TestIniFile::failedWriteLeavesOldFile_data() {
    QTest::addColumn<QString>("failure");
    QTest::newRow("read-only folder") << "folder";
    QTest::newRow("read-only file") << "file";
    // Works with any rights: the disk is "full" after a few bytes.
    QTest::newRow("disk full in the middle of the write") << "full";
    // Works with any rights: the temporary file's name is one too long.
    QTest::newRow("temporary file cannot be created") << "name";
}

// A write that cannot complete reports it and leaves the previous file whole.
void TestIniFile::failedWriteLeavesOldFile() {
    QFETCH(QString, failure);
    const QString folder = m_dir.filePath(QStringLiteral("locked-") + failure);
    QVERIFY(QDir().mkpath(folder));
    const QString name = failure == "name" ? QString(250, 'n') : QStringLiteral("Talvex.ini");
    const QString file = folder + '/' + name;
    const QByteArray old("[Optionen]\nRtSm=1\n");
    WriteAll(file, old);

    TIniFile ini(file);
    ini.WriteInteger("Optionen", "RtSm", 0);
    bool written = false;
    if (failure == "full") {
        ini.WriteString("Optionen", "Big", QString(4096, 'x'));
        QVERIFY(WithFileSizeLimit(1024, [&] { written = ini.UpdateFile(); }));
    } else if (failure == "folder" || failure == "file") {
        const bool onFolder = failure == "folder";
        QFile::setPermissions(onFolder ? folder : file, onFolder
                                                            ? QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                                            : QFileDevice::ReadOwner);
        written = ini.UpdateFile();
        QFile::setPermissions(folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (written && geteuid() == 0) QSKIP("root ignores permissions");
    } else {
        written = ini.UpdateFile();
    }

    QVERIFY(!written);
    QCOMPARE(ini.LastError(), QStringLiteral("In %1 kann nicht geschrieben werden").arg(file));
    QCOMPARE(ReadAll(file), old);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{name});
}

void TestIniFile::versionRecord() {
    QStringList lines{"stale"};
    QVERIFY(ReadVersionInfo(lines));
    QCOMPARE(lines, QStringList({"Company Name=Quellbach", "Description=Peilomat", "File Version=2.1.4.0",
                                 "Internal Name=Talvex", "Original File Name=Talvex", "Product Name=Peilomat",
                                 "Product Version=2.1.4.0"}));
    QCOMPARE(VersionInfoValue(lines, "Product Version"), QString("2.1.4.0"));
    QCOMPARE(VersionInfoValue(lines, "Comments"), QString());

    // Fields in the fixed display order whatever order the record has; empty ones left out.
    const TVersionRecord record{{"Author", "A. Nonym"},
                                {"Comments", ""},
                                {"LegalCopyright", "(c)"},
                                {"CompanyName", "Firma"},
                                {"Unknown", "ignored"}};
    QVERIFY(ReadVersionInfo(record, lines));
    QCOMPARE(lines, QStringList({"Company Name=Firma", "Copyright=(c)", "Author=A. Nonym"}));

    QVERIFY(ReadVersionInfo(TVersionRecord{}, lines));
    QCOMPARE(lines, QStringList{"No FileVersionInfo found"});
}

void TestIniFile::folders() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QCOMPARE(GetSpecialFolder(26), QDir::toNativeSeparators(config));
    QCOMPARE(GetSpecialFolder(35), QDir::toNativeSeparators(data));
    QCOMPARE(GetSpecialFolder(5), QString());
    QVERIFY(!GetSpecialFolder(26).endsWith('/'));
    QCOMPARE(SettingsFileName(), config + "/Quellbach/Peilomat/Talvex.ini");

    const QString deep = m_dir.filePath("a/b/c");
    QVERIFY(ForceDirectories(deep));
    QVERIFY(QFileInfo(deep).isDir());
    QVERIFY(ForceDirectories(deep)); // existing is fine
    WriteAll(m_dir.filePath("plain"), "x");
    QVERIFY(!ForceDirectories(m_dir.filePath("plain/sub")));
    QCOMPARE(FolderCreationMessage("/x/y/"), QString("Verzeichnis /x/y/ konnte nicht angelegt werden"));
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
