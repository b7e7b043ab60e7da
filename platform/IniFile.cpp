#include "platform/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <limits>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Opens the file for reading only if it is a regular file. A FIFO opened the
// ordinary way blocks until somebody writes to it, and a device may never
// end; so the name is opened without waiting and checked on the open handle,
// where it can no longer be swapped for something else.
bool OpenRegularFile(QFile& file, const QString& fileName) {
#ifdef Q_OS_UNIX
    const int fd =
        ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
#else
    file.setFileName(fileName);
    return file.open(QIODevice::ReadOnly);
#endif
}

// Nobody has write permission: the user marked it read-only. Checked on the
// mode, not only with access(), so that an administrator's run respects it too.
bool MarkedReadOnly(const QFileInfo& info) {
    return !(info.permissions() &
             (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther));
}

} // namespace

TIniFile::TIniFile(const QString& fileName) : m_fileName(fileName) {
    const QFileInfo info(fileName);
    if (!info.isFile()) return;
    QFile file;
    if (!OpenRegularFile(file, fileName)) {
        // Replaced by something that is not a file since the look above.
        if (!QFileInfo(fileName).isFile()) return;
        m_unreadable = true;
        return;
    }
    if (file.size() > MaxFileSize) {
        m_unreadable = true;
        return;
    }
    // Read one byte more than the cap so a file that grew since the size check is still caught.
    const QByteArray data = file.read(MaxFileSize + 1);
    if (data.size() > MaxFileSize || file.error() != QFileDevice::NoError) {
        m_unreadable = true;
        return;
    }

    QString text;
    if (data.startsWith("\xff\xfe") || data.startsWith("\xfe\xff")) {
        const bool little = data.startsWith("\xff\xfe");
        m_encoding = little ? TEncoding::Utf16LE : TEncoding::Utf16BE;
        QStringDecoder utf16(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        text = utf16.decode(data.mid(2));
        if (utf16.hasError() || data.size() % 2 != 0 || text.contains(QChar(0))) {
            m_unreadable = true;
            return;
        }
        m_crlf = text.contains(QLatin1String("\r\n"));
    } else {
        if (data.contains('\0')) {
            m_unreadable = true;
            return;
        }
        QStringDecoder utf8(QStringDecoder::Utf8);
        text = utf8.decode(data);
        if (utf8.hasError()) {
            m_encoding = TEncoding::Latin1;
            text = QString::fromLatin1(data);
        }
        m_crlf = data.contains("\r\n");
    }
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_lines = text.split(QLatin1Char('\n'));
    if (!m_lines.isEmpty() && m_lines.last().isEmpty()) m_lines.removeLast();
    m_loaded = true;
}

QString TIniFile::BackupName(const QString& fileName) {
    return fileName + QStringLiteral(".bak");
}

bool TIniFile::MoveAside(QString* backupName) {
    const QString backup = BackupName(m_fileName);
    if (backupName) *backupName = backup;
    if (QFileInfo(backup).isFile()) QFile::remove(backup);
    if (!QFile::rename(m_fileName, backup)) return false;
    m_unreadable = false;
    m_loaded = false;
    m_lines.clear();
    m_encoding = TEncoding::Utf8;
    m_crlf = false;
    return true;
}

bool TIniFile::IsSectionLine(const QString& line, QString* name) {
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('['))) return false;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0) return false;
    if (name) *name = t.mid(1, close - 1).trimmed();
    return true;
}

bool TIniFile::IsKeyLine(const QString& line, QString* key, QString* value) {
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('['))) return false;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0) return false;
    if (key) *key = t.left(eq).trimmed();
    if (value) *value = t.mid(eq + 1).trimmed();
    return true;
}

int TIniFile::FindSection(const QString& section) const {
    QString name;
    for (int i = 0; i < m_lines.size(); ++i)
        if (IsSectionLine(m_lines[i], &name) && SameName(name, section)) return i;
    return -1;
}

int TIniFile::SectionEnd(int sectionLine) const {
    for (int i = sectionLine + 1; i < m_lines.size(); ++i)
        if (IsSectionLine(m_lines[i])) return i;
    return static_cast<int>(m_lines.size());
}

int TIniFile::FindKey(int sectionLine, const QString& key) const {
    if (sectionLine < 0) return -1;
    const int end = SectionEnd(sectionLine);
    QString name;
    for (int i = sectionLine + 1; i < end; ++i)
        if (IsKeyLine(m_lines[i], &name) && SameName(name, key)) return i;
    return -1;
}

bool TIniFile::SectionExists(const QString& section) const {
    return FindSection(section) >= 0;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
    return FindKey(FindSection(section), key) >= 0;
}

QStringList TIniFile::ReadSection(const QString& section) const {
    QStringList keys;
    const int s = FindSection(section);
    if (s < 0) return keys;
    const int end = SectionEnd(s);
    QString name;
    for (int i = s + 1; i < end; ++i)
        if (IsKeyLine(m_lines[i], &name)) keys << name;
    return keys;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    const int k = FindKey(FindSection(section), key);
    if (k < 0) return def;
    QString value;
    IsKeyLine(m_lines[k], nullptr, &value);
    if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value;
}

bool TIniFile::ParseInteger(const QString& text, int& value) {
    QString t = text.trimmed();
    bool negative = false;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        negative = t.front() == QLatin1Char('-');
        t.remove(0, 1);
    }
    int base = 10;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        t.remove(0, 2);
    }
    if (t.isEmpty()) return false;
    qint64 n = 0;
    for (const QChar c : t) {
        const int digit = c.isDigit() ? c.digitValue()
                          : (base == 16 && c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'))
                              ? c.toLower().unicode() - 'a' + 10
                              : -1;
        if (digit < 0 || digit >= base || c.unicode() > 127) return false;
        n = n * base + digit;
        if (n > qint64(std::numeric_limits<int>::max()) + 1) return false;
    }
    if (negative) n = -n;
    if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max()) return false;
    value = static_cast<int>(n);
    return true;
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int def) const {
    int value = def;
    return ParseInteger(ReadString(section, key, QString()), value) ? value : def;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    // Line breaks inside a value would turn into lines of their own on the next read.
    QString clean = value;
    clean.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString line = key + QLatin1Char('=') + clean;

    int s = FindSection(section);
    if (s < 0) {
        while (!m_lines.isEmpty() && m_lines.last().trimmed().isEmpty())
            m_lines.removeLast();
        if (!m_lines.isEmpty()) m_lines << QString();
        m_lines << QLatin1Char('[') + section + QLatin1Char(']');
        m_lines << line;
        return;
    }
    const int k = FindKey(s, key);
    if (k >= 0) {
        m_lines[k] = line;
        return;
    }
    // After the last key of the section, so trailing blank lines stay between sections.
    int insertAt = s + 1;
    const int end = SectionEnd(s);
    for (int i = s + 1; i < end; ++i)
        if (!m_lines[i].trimmed().isEmpty()) insertAt = i + 1;
    m_lines.insert(insertAt, line);
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::EraseSection(const QString& section) {
    const int s = FindSection(section);
    if (s < 0) return;
    const int end = SectionEnd(s);
    m_lines.remove(s, end - s);
}

void TIniFile::DeleteKey(const QString& section, const QString& key) {
    const int k = FindKey(FindSection(section), key);
    if (k >= 0) m_lines.removeAt(k);
}

QString TIniFile::WriteErrorMessage(const QString& fileName) {
    return QStringLiteral("In %1 kann nicht geschrieben werden").arg(fileName);
}

bool TIniFile::Writable(const QString& fileName) {
    const QFileInfo info(fileName);
    // Only a regular file is ever replaced: a folder, FIFO, socket or device
    // of that name is not ours. A settings file the user made read-only is
    // respected, although the rename below could replace it.
    if (info.exists() || info.isSymLink()) {
        if (!info.isFile() || !info.isWritable() || MarkedReadOnly(info)) return false;
    }
    // The new file is made beside the old one and renamed over it.
    const QFileInfo folder(info.absolutePath());
    return folder.isDir() && folder.isWritable() && !MarkedReadOnly(folder);
}

bool TIniFile::UpdateFile() {
    m_lastError.clear();
    if (!Writable(m_fileName)) {
        m_lastError = WriteErrorMessage(m_fileName);
        return false;
    }
    // What could not be read holds the user's settings all the same.
    if (m_unreadable) {
        m_lastError = WriteErrorMessage(m_fileName);
        return false;
    }
    const QString eol = m_crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString text = m_lines.join(eol);
    if (!m_lines.isEmpty()) text += eol;
    QByteArray data;
    switch (m_encoding) {
    case TEncoding::Utf8:
        data = text.toUtf8();
        break;
    case TEncoding::Latin1:
        data = text.toLatin1();
        break;
    case TEncoding::Utf16LE:
    case TEncoding::Utf16BE: {
        QStringEncoder utf16(m_encoding == TEncoding::Utf16LE ? QStringEncoder::Utf16LE
                                                              : QStringEncoder::Utf16BE,
                             QStringEncoder::Flag::WriteBom);
        data = utf16.encode(text);
        break;
    }
    }
    // Never more than the reader takes, or the next start would lose it all.
    if (data.size() > MaxFileSize) {
        m_lastError = WriteErrorMessage(m_fileName);
        return false;
    }

    // Unbuffered, so that a disk that fills up shows in write()'s count: a
    // buffered QSaveFile takes a short write at flush for success and commits
    // a truncated file.
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(data) != data.size() ||
        !file.commit()) {
        file.cancelWriting();
        m_lastError = WriteErrorMessage(m_fileName);
        return false;
    }
    return true;
}
