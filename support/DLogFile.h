#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>

// The diagnostic trace of the help service. One object lives for the whole
// run; it writes only while debugging is switched on. The file is UTF-16
// little endian with a byte order mark and CR LF line ends, and every line is
// appended by opening and closing the file, so a killed program still leaves
// a complete log that tools of the Windows era read as Unicode text.
class TDLogFile {
public:
    static constexpr const char* LogFileName = "HHDebug.txt";
    static constexpr const char* MarkerFileName = "debug.debug";
    static constexpr const char* ProbeFileName = "$_Temp_$.$$$";

    // Create: the log goes to aFilename unless its folder is missing or not
    // writable, then to the same name in the temporary folder. An existing
    // file is made writable (so a read-only log is replaced) and Reset runs.
    TDLogFile(const QString& aFilename, bool aAppendMode, bool aHeaderDump, bool aTimeStamp, bool aDebugMode);

    // Deletes the file unless appending; writes the header when debugging.
    void Reset();

    // Formats msgStr with Args (%s, %d, %u, %x, %%; unformatted when they do
    // not fit) and writes one line. "-" and "=" are 80-character separators; a
    // leading "!", "-" or "=" is dropped and suppresses the time.
    void DebugOut(const QString& msgStr, const QVariantList& Args = {});
    // DebugOut only while debugging is switched on.
    void DebugOut2(const QString& msgStr, const QVariantList& Args = {});
    // Shows the formatted text in a warning box titled with the application's
    // title and, while debugging, writes it as a line.
    void ReportError(const QString& errStr, const QVariantList& Args = {});

    QString FileName() const { return FFilename; }
    bool DebugMode() const { return FDebugMode; }

    // The line as it goes into the file, without CR LF; empty time for none.
    static QString LineText(const QString& text, bool timeStamp, const QString& time);
    // Format with Args, or false when the arguments do not fit the format.
    static bool Format(const QString& msgStr, const QVariantList& Args, QString& result);

private:
    void WriteLine(const QString& text);
    void WriteHeader();

    QString FFilename;
    bool FDebugMode;
    bool FTimeStamp;
    bool FHeaderDump;
    bool FAppendMode;
};

// Whether the command line or a marker file switches the log on: "debug.debug"
// in programFolder (or the installed data folder beside it), or a parameter (not the program itself) "/debug"
// or
// "-debug" in any letter case.
bool DebugSwitchedOn(const QString& programFolder, const QStringList& arguments);

// True when a probe file can be created in folder (and is removed again).
bool FolderWritable(const QString& folder);

// The folder for the log: programFolder when writable, else the temporary
// folder, else the root of the file system.
QString DebugLogFolder(const QString& programFolder);

// The one log of the run (nullptr before the program made it); the help
// service traces through it.
TDLogFile* DLogFile();
void SetDLogFile(TDLogFile* log);

// How ReportError and the help service show a warning. Installed by the shell
// so that tests answer it; without one the text goes to a message box, or to
// stderr where there is no screen.
using TWarningProc = std::function<void(const QString& text)>;
TWarningProc SetWarningProc(TWarningProc proc);
void ShowWarning(const QString& text);
