#include "platform/Paths.h"

#include "platform/VersionInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString GetSpecialFolder(int folderNumber) {
    QString folder;
    switch (folderNumber) {
    case CSIDL_APPDATA:
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        break;
    case CSIDL_COMMON_APPDATA:
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        break;
    default:
        return QString();
    }
    while (folder.size() > 1 && (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
        folder.chop(1);
    return QDir::toNativeSeparators(folder);
}

bool ForceDirectories(const QString& folder) {
    if (folder.isEmpty()) return false;
    if (QFileInfo(folder).isDir()) return true;
    return QDir().mkpath(folder) && QFileInfo(folder).isDir();
}

QString FolderCreationMessage(const QString& folder) {
    return QStringLiteral("Verzeichnis ") + folder + QStringLiteral(" konnte nicht angelegt werden");
}

QString ExecutableName() {
    return QStringLiteral(PEILOMAT_EXECUTABLE);
}

QString CompanyFolder(int folderNumber, const QString& companyName) {
    const QString sep = QDir::separator();
    return GetSpecialFolder(folderNumber) + sep + companyName + sep;
}

QString ProductFolder(int folderNumber, const QString& companyName, const QString& productName) {
    return CompanyFolder(folderNumber, companyName) + productName + QDir::separator();
}

QString SettingsFileName() {
    QStringList info;
    ReadVersionInfo(info);
    return ProductFolder(CSIDL_APPDATA, VersionInfoValue(info, QStringLiteral("Company Name")),
                         VersionInfoValue(info, QStringLiteral("Product Name"))) +
           ExecutableName() + QStringLiteral(".ini");
}

QString ProgramFile(const QString& fileName) {
    return ProgramFile(QCoreApplication::applicationDirPath(), fileName);
}

QString ProgramFile(const QString& programFolder, const QString& fileName) {
    const QDir folder(programFolder);
    const QString beside = QDir::cleanPath(folder.filePath(fileName));
    const QFileInfo besideInfo(beside);
    if (besideInfo.exists() && !besideInfo.isDir()) return QDir::toNativeSeparators(beside);
    const QString installed =
        QDir::cleanPath(folder.filePath(QLatin1String(InstalledDataFolder) + QLatin1Char('/') + fileName));
    const QFileInfo installedInfo(installed);
    if (installedInfo.exists() && !installedInfo.isDir()) return QDir::toNativeSeparators(installed);
    return QDir::toNativeSeparators(beside);
}
