#include "support/DLogFile.h"

#include "platform/HeadlessMessage.h"
#include "platform/Paths.h"
#include "platform/VersionInfo.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QMessageBox>
#include <QSysInfo>
#include <QTemporaryFile>
#include <QtHelp/qthelpversion.h>

#include <utility>

namespace {

TDLogFile*& CurrentLog() {
    static TDLogFile* log = nullptr;
    return log;
}

TWarningProc& WarningProc() {
    static TWarningProc proc;
    return proc;
}

QString TempFolder() {
    const QString temp = QDir::tempPath();
    if (QFileInfo(temp).isDir()) return temp;
    return QDir::rootPath();
}

QString WithoutTrailingSeparator(QString folder) {
    while (folder.size() > 1 && (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
        folder.chop(1);
    return folder;
}

// "major.minor.patch.build" from any dotted version text, missing parts 0.
QString FourPartVersion(const QString& version) {
    QStringList parts = version.split(QLatin1Char('.'));
    while (parts.size() < 4)
        parts << QStringLiteral("0");
    return parts.mid(0, 4).join(QLatin1Char('.'));
}

// The numbers at the start of a kernel version such as "6.1.0-18-amd64".
int VersionNumber(const QString& version, int index) {
    const QStringList parts = version.split(QLatin1Char('.'));
    if (index >= parts.size()) return 0;
    QString digits;
    for (const QChar c : parts[index]) {
        if (!c.isDigit()) break;
        digits += c;
    }
    return digits.toInt();
}

QString VersionValue(const QString& name) {
    QStringList lines;
    ReadVersionInfo(lines);
    return VersionInfoValue(lines, name);
}

} // namespace

TDLogFile::TDLogFile(const QString& aFilename, bool aAppendMode, bool aHeaderDump, bool aTimeStamp,
                     bool aDebugMode)
    : FFilename(aFilename), FDebugMode(aDebugMode), FTimeStamp(aTimeStamp), FHeaderDump(aHeaderDump),
      FAppendMode(aAppendMode) {
    const QFileInfo info(aFilename);
    if (aFilename.isEmpty() || !FolderWritable(info.absolutePath()))
        FFilename = QDir(TempFolder())
                        .filePath(info.fileName().isEmpty() ? QLatin1String(LogFileName) : info.fileName());
    // A read-only log of an earlier run must not keep this run from writing.
    if (QFileInfo::exists(FFilename))
        QFile::setPermissions(FFilename, QFile::permissions(FFilename) | QFileDevice::ReadOwner |
                                             QFileDevice::WriteOwner);
    Reset();
}

void TDLogFile::Reset() {
    if (!FAppendMode && QFileInfo::exists(FFilename)) QFile::remove(FFilename);
    if (FDebugMode && FHeaderDump) WriteHeader();
}

bool TDLogFile::Format(const QString& msgStr, const QVariantList& Args, QString& result) {
    result.clear();
    qsizetype next = 0;
    for (qsizetype i = 0; i < msgStr.size(); ++i) {
        const QChar c = msgStr[i];
        if (c != QLatin1Char('%')) {
            result += c;
            continue;
        }
        if (i + 1 >= msgStr.size()) return false;
        const QChar conversion = msgStr[++i];
        if (conversion == QLatin1Char('%')) {
            result += conversion;
            continue;
        }
        if (next >= Args.size()) return false;
        const QVariant& arg = Args[next++];
        bool ok = true;
        switch (conversion.unicode()) {
        case 's':
            if (!arg.canConvert<QString>()) return false;
            result += arg.toString();
            break;
        case 'd':
            result += QString::number(arg.toLongLong(&ok));
            break;
        case 'u':
            result += QString::number(arg.toULongLong(&ok));
            break;
        case 'x':
            result += QString::number(arg.toULongLong(&ok), 16).toUpper();
            break;
        default:
            return false;
        }
        if (!ok) return false;
    }
    return next == Args.size();
}

QString TDLogFile::LineText(const QString& text, bool timeStamp, const QString& time) {
    QString line = text;
    if (line == QLatin1String("-"))
        line = QString(80, QLatin1Char('-'));
    else if (line == QLatin1String("="))
        line = QString(80, QLatin1Char('='));
    if (line.startsWith(QLatin1Char('!')) || line.startsWith(QLatin1Char('-')) ||
        line.startsWith(QLatin1Char('=')))
        return line.mid(1);
    if (!timeStamp) return line;
    return time + QStringLiteral("   ") + line;
}

void TDLogFile::DebugOut(const QString& msgStr, const QVariantList& Args) {
    QString text;
    if (!Format(msgStr, Args, text)) text = msgStr;
    WriteLine(
        LineText(text, FTimeStamp, QLocale::system().toString(QTime::currentTime(), QLocale::LongFormat)));
}

void TDLogFile::DebugOut2(const QString& msgStr, const QVariantList& Args) {
    if (FDebugMode) DebugOut(msgStr, Args);
}

void TDLogFile::ReportError(const QString& errStr, const QVariantList& Args) {
    QString text;
    if (!Format(errStr, Args, text)) text = errStr;
    ShowWarning(text);
    if (FDebugMode) DebugOut(QStringLiteral("%s"), {text});
}

void TDLogFile::WriteLine(const QString& text) {
    QFile file(FFilename);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return;
    QByteArray bytes;
    if (file.size() == 0) bytes.append("\xFF\xFE", 2);
    const QString line = text + QStringLiteral("\r\n");
    bytes.reserve(bytes.size() + line.size() * 2);
    for (const QChar c : line) {
        const char16_t u = c.unicode();
        bytes.append(static_cast<char>(u & 0xFF));
        bytes.append(static_cast<char>(u >> 8));
    }
    file.write(bytes);
    file.flush();
    file.close();
}

void TDLogFile::WriteHeader() {
    const QLocale locale = QLocale::system();
    const auto out = [this](const char* label, const QString& value) {
        DebugOut(QLatin1String(label) + QStringLiteral("\t%s"), {value});
    };
    const QString kernel = QSysInfo::kernelVersion();
    const QStringList arguments = QCoreApplication::arguments();
    const QString exePath = QCoreApplication::applicationFilePath();
    const QString exeDir = WithoutTrailingSeparator(QCoreApplication::applicationDirPath());
    const QString fileVersion = FourPartVersion(VersionValue(QStringLiteral("File Version")));

    DebugOut(QStringLiteral("="));
    out("!Log File:             ", FFilename);
    const QDateTime now = QDateTime::currentDateTime();
    out("!Date:                 ", locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                                       locale.toString(now.time(), QLocale::LongFormat));
    // There is no service pack here; the full kernel release stands in its place.
    out("!Operating System:      ", QStringLiteral("%1 %2.%3 (Build %4) %5 %6")
                                        .arg(QSysInfo::prettyProductName())
                                        .arg(VersionNumber(kernel, 0))
                                        .arg(VersionNumber(kernel, 1))
                                        .arg(VersionNumber(kernel, 2))
                                        .arg(QSysInfo::kernelType(), kernel));
    // Locales have names, not numeric identifiers, on this platform.
    out("!SysLocale.DefaultLCID: ", QStringLiteral("%1 (%2)").arg(locale.name(), locale.bcp47Name()));
    out("!SysLocale.PriLangID:   ",
        QStringLiteral("%1 (%2)").arg(QLocale::languageToString(locale.language()),
                                      QLocale::languageToCode(locale.language())));
    out("!SysLocale.SubLangID:   ",
        QStringLiteral("%1 (%2)").arg(QLocale::territoryToString(locale.territory()),
                                      QLocale::territoryToCode(locale.territory())));
    out("!DecimalSeparator:      ", QStringLiteral("."));
    DebugOut(QStringLiteral("-"));
    out("!EXE Path =          ", exePath);
    out("!EXE Version =       ", fileVersion);
    out("!Actual CmdLine =  ", arguments.value(0));
    out("!Cmdline Param(s) =  ", arguments.mid(1).join(QStringLiteral(" | ")));
    out("!_RunDir =           ", exeDir);
    // The program is one module; it has no separate library to name.
    out("!_ModuleName =       ", QFileInfo(exePath).fileName());
    out("!_ModuleDir =        ", exeDir);
    out("!_ModulePath =        ", exePath);
    out("!Module Version =       ", fileVersion);
    DebugOut(QStringLiteral("-"));
    // The help engine is Qt Help, linked into the program.
    out("!_hhInstalled =      ", QStringLiteral("YES"));
    out("!_hhVerStr =         ", FourPartVersion(QStringLiteral(QTHELP_VERSION_STR)));
    out("!_hhFriendlyVerStr = ", QStringLiteral("Qt Help ") + QStringLiteral(QTHELP_VERSION_STR));
    DebugOut(QStringLiteral("-"));
    // Pages are shown by Qt's own rich-text viewer; no web browser component is used.
    out("!_ieInstalled =      ", QStringLiteral("NO"));
    out("!_ieVerStr =         ", QString());
    out("!_ieFriendlyVerStr = ", QString());
    DebugOut(QStringLiteral("="));
}

bool DebugSwitchedOn(const QString& programFolder, const QStringList& arguments) {
    if (QFileInfo::exists(ProgramFile(programFolder, QLatin1String(TDLogFile::MarkerFileName)))) return true;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i].compare(QLatin1String("/debug"), Qt::CaseInsensitive) == 0 ||
            arguments[i].compare(QLatin1String("-debug"), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool FolderWritable(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return false;
    QFile probe(QDir(folder).filePath(QLatin1String(TDLogFile::ProbeFileName)));
    if (probe.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        probe.close();
        probe.remove();
        return true;
    }
    // A file of that name that is not ours stays untouched; a probe of
    // another name answers instead.
    if (!probe.exists()) return false;
    QTemporaryFile other(QDir(folder).filePath(QStringLiteral("$_Temp_$XXXXXX")));
    return other.open();
}

QString DebugLogFolder(const QString& programFolder) {
    if (FolderWritable(programFolder)) return WithoutTrailingSeparator(programFolder);
    return TempFolder();
}

TDLogFile* DLogFile() {
    return CurrentLog();
}

void SetDLogFile(TDLogFile* log) {
    CurrentLog() = log;
}

TWarningProc SetWarningProc(TWarningProc proc) {
    return std::exchange(WarningProc(), std::move(proc));
}

void ShowWarning(const QString& text) {
    if (WarningProc()) {
        const TWarningProc proc = WarningProc();
        proc(text);
        return;
    }
    if (PrintIfHeadless(text)) return;
    QMessageBox::warning(nullptr, QGuiApplication::applicationDisplayName(), text);
}
