#pragma once

#include <QString>

#include <cstdint>

// The looks the program can wear. The numbers are those the "Ansicht" menu
// and the Theme record use: 0 takes everything from the skin file.
enum TSkinStyle : std::uint8_t {
    ssFromThemeFile = 0,
    ssMacOS = 1,
    ssWinXP = 2,
    ssDeepBlue = 3,
    ssProtein = 4,
    ssBlueGlass = 5,
};

// The skin in force: the skin file and the style index. Every dialog the main
// window opens is given the same record so that all windows look alike.
struct TTheme {
    QString ThemeFile;
    std::uint8_t UIStyle = ssFromThemeFile;
};

// Name of the default skin file, looked for next to the executable and then
// in the installed data folder (ProgramFile).
inline constexpr const char* DefaultSkinFileName = "MP10.ssk";

// A style sheet together with the Qt style and palette it was made for.
struct TSkinLook {
    QString StyleName; // a QStyleFactory key
    QString StyleSheet;
    bool DarkPalette = false;
    QString Base; // window colour the palette is built from ("#rrggbb")
    QString Highlight;
};

// The look of one of the five built-in styles; ssFromThemeFile (or any
// unknown index) yields the plain default look.
TSkinLook BuiltInLook(std::uint8_t style);

// Reads a skin file. Returns false, leaving `sheet` empty, when the file is
// missing, unreadable, not text, or not a style sheet Qt can parse.
bool LoadSkinFile(const QString& path, QString& sheet);

// Applies a look to the whole application, so that the main window and every
// dialog it opens share it. A missing or broken skin file gives the default
// look without complaint. Returns true if the requested look is now in force.
bool ApplySkin(const TTheme& theme);
