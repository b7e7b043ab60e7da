#pragma once

#include <QString>
#include <QStringList>

// A settings file in the Windows INI text format: "[Section]" lines and
// "Key=Value" lines. Section and key names compare without regard to letter
// case. Lines this class does not understand (comments, blank lines, stray
// text) are kept as they are.
//
// The file is read once, at construction, into memory; Write... calls change
// only the memory copy, and UpdateFile writes the whole file back atomically
// (temporary file + rename), so a crash or a full disk never leaves a truncated
// file behind. The file is kept in the encoding and with the line ends it came
// in: UTF-8, Latin-1, or UTF-16 with a byte-order mark as Windows editors save
// it. A missing file reads as empty. A file that exists but cannot be read
// (larger than MaxFileSize, holding NUL bytes outside UTF-16, or a read error)
// reads as empty too, and is never overwritten: UpdateFile refuses, so that the
// user's settings are not lost; MoveAside keeps it under another name.
//
// What UpdateFile writes never exceeds MaxFileSize, so a file this class wrote
// always reads back.
//
// Writing a key that exists replaces its value in place; a new key goes after
// the last key of its section; a new section goes at the end of the file. So
// keys written in order into a new section appear in that order.
class TIniFile {
public:
    // Reading more than this is never needed for a settings file; anything
    // larger is treated as unreadable rather than loaded into memory.
    static constexpr qint64 MaxFileSize = 1024 * 1024;

    explicit TIniFile(const QString& fileName);

    QString FileName() const { return m_fileName; }
    // The file existed and could be read at construction.
    bool Loaded() const { return m_loaded; }
    // The file exists as a file but could not be read as settings.
    bool Unreadable() const { return m_unreadable; }
    // Renames the file to <file>.bak, replacing an older one; afterwards the
    // settings start empty and UpdateFile creates a new file.
    bool MoveAside(QString* backupName = nullptr);
    static QString BackupName(const QString& fileName);

    enum class TEncoding { Utf8, Latin1, Utf16LE, Utf16BE };
    TEncoding Encoding() const { return m_encoding; }

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    QStringList ReadSection(const QString& section) const; // key names in file order

    // The value with surrounding blanks removed (and one pair of matching
    // quotes, as Windows does); def when the key is missing.
    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // Decimal with an optional sign, or hexadecimal with the prefix "0x"
    // ("010" is ten). Anything else, or a number outside the 32-bit range,
    // gives def.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    // An integer as above, non-zero meaning true; def when unreadable.
    bool ReadBool(const QString& section, const QString& key, bool def) const;

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value); // "1" or "0"
    void EraseSection(const QString& section);
    void DeleteKey(const QString& section, const QString& key);

    // Writes the memory copy to the file. Returns false when that failed; the
    // old file is then untouched and LastError holds
    // "In <file> kann nicht geschrieben werden".
    bool UpdateFile();
    QString LastError() const { return m_lastError; }

    // Whether UpdateFile may write the file: it is a regular file (or missing)
    // that its mode lets be written, in a folder where a new file can be made.
    // Only looks; opens nothing.
    static bool Writable(const QString& fileName);
    // Parses a value as ReadInteger does; false when it is not a number.
    static bool ParseInteger(const QString& text, int& value);
    // The message of a failed write.
    static QString WriteErrorMessage(const QString& fileName);

private:
    int FindSection(const QString& section) const; // line index of "[section]" or -1
    int FindKey(int sectionLine, const QString& key) const;
    int SectionEnd(int sectionLine) const; // index of the next section line, or line count
    static bool IsSectionLine(const QString& line, QString* name = nullptr);
    static bool IsKeyLine(const QString& line, QString* key = nullptr, QString* value = nullptr);

    QString m_fileName;
    QStringList m_lines;
    bool m_loaded = false;
    bool m_unreadable = false;
    TEncoding m_encoding = TEncoding::Utf8; // the file's own encoding is kept on writing
    bool m_crlf = false;                    // line breaks of the file as found
    QString m_lastError;
};
