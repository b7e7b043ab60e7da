#pragma once

#include <QString>

// Shell folder numbers the program asks for.
constexpr int CSIDL_APPDATA = 26;        // the current user's application data
constexpr int CSIDL_COMMON_APPDATA = 35; // application data shared by all users

// The folder for a shell folder number, without trailing separator, or an
// empty string for a number this platform cannot name. 26 is the per-user
// configuration folder (XDG_CONFIG_HOME, ~/.config); 35 would be a folder for
// all users, which a normal user cannot create on Linux, so it is the per-user
// data folder (XDG_DATA_HOME, ~/.local/share).
QString GetSpecialFolder(int folderNumber);

// Creates the folder with any missing parents; true when it exists afterwards.
bool ForceDirectories(const QString& folder);

// "Verzeichnis " + folder + " konnte nicht angelegt werden"
QString FolderCreationMessage(const QString& folder);

// The executable's name as the version record gives it ("Talvex"); the
// settings file is named after it.
QString ExecutableName();

// Folder for a company and product below a shell folder, with a trailing
// separator each: <folder>/<company>/ and <folder>/<company>/<product>/.
QString CompanyFolder(int folderNumber, const QString& companyName);
QString ProductFolder(int folderNumber, const QString& companyName, const QString& productName);

// <folder 26>/Quellbach/Peilomat/Talvex.ini, from the compiled-in version record.
QString SettingsFileName();

// Where an installed copy keeps, relative to the program folder, the files a
// build keeps next to the executable (skin, help, "debug.debug").
inline constexpr const char* InstalledDataFolder = "../share/peilomat";

// Path of one of the program's own files: next to the executable when it is
// there, else in InstalledDataFolder beside the program folder. When neither
// exists, the path next to the executable, so that whoever reports the missing
// file names the place it was first looked for.
QString ProgramFile(const QString& fileName);

// The same for a given program folder (with or without trailing separator).
QString ProgramFile(const QString& programFolder, const QString& fileName);
