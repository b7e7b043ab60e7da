#pragma once

#include <QString>
#include <QUrl>

#include <array>

// The numbered topics of the help file and the page each one opens. The
// controls carry these numbers as their "helpContext" property.
struct THelpTopic {
    int context;
    const char* page;
};

inline constexpr std::array<THelpTopic, 6> HelpTopics{{
    {1001, "hauptfenster.html"}, // the main window and a first lesson
    {3001, "inhalt.html"},       // contents, opened by "Hilfe anzeigen"
    {3011, "instrumente.html"},  // the instrument panel
    {3012, "karte.html"},        // the map
    {3013, "steuerung.html"},    // the control column on the right
    {3017, "optionen.html"},     // the menu "Optionen"
}};

inline constexpr int HelpContextContents = 3001;

// Namespace and virtual folder of the compiled help (see help/talvex.qhp).
inline constexpr const char* HelpNamespace = "de.quellbach.peilomat";
inline constexpr const char* HelpVirtualFolder = "doc";

// The page of a topic, or an empty string for a number without one.
QString HelpTopicPage(int context);
// qthelp://<namespace>/<folder>/<page>, or an empty URL for a number without a page.
QUrl HelpTopicUrl(int context);
