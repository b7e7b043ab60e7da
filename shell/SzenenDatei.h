#pragma once

#include "world/Szene.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class QAction;
class QMenu;
class TfrmMainTalvex;

// Lessons kept in files: the main window's scene captured as plain data and
// built back into the world, the file commands of the menu "Datei" with the
// last opened files, the question about unsaved changes, and the recovery
// file written when the program is ended from outside (/QUIT).
class TSzenenDatei : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxZuletzt = 4;
    static constexpr const char* RecoveryFileName = "Wiederherstellung.peilomat";

    // Takes the form's current world as the unchanged start-up scene.
    explicit TSzenenDatei(TfrmMainTalvex* form);

    // Adds the file commands and the last opened files to "Datei", above before.
    void BuildMenu(QMenu* datei, QAction* before);

    // The scene as the world holds it now.
    TSzene Capture() const;
    // One aircraft at a random place with a heading indicator, no stations:
    // the scene every start begins with.
    TSzene StartScene() const;
    // Replaces the world by a checked scene: the old one is taken down
    // explicitly, the new one built through the model's own operations.
    void Apply(const TSzene& szene);

    // The menu commands; each returns whether it was carried out (not
    // cancelled at the question, not refused as a bad file, saved).
    bool Neu();
    bool Oeffnen();
    bool Open(const QString& path);
    bool Speichern();
    bool SpeichernUnter();
    bool SaveTo(const QString& path);

    // The scene differs from the one last opened, saved or started with.
    bool Modified() const;
    // The scene's file, empty while it has none.
    QString FileName() const { return FFile; }
    QStringList Zuletzt() const { return FZuletzt; }

    // Asked by the main window before it closes; false keeps it open. After
    // a quit request from another start there is no question: a changed
    // scene goes to the recovery file.
    bool MayClose();
    void SetQuitRequested(bool value) { FQuitRequested = value; }
    QString RecoveryPath() const;

    // After start-up: offers a scene left in the recovery file, then opens
    // the file given on the command line, if any.
    void SetStartFile(const QString& path) { FStartFile = path; }
    void Started();

    // Writes the last opened files to the settings file (section "Zuletzt").
    bool WriteZuletzt() const;

    // The scene file named on a command line, made absolute; empty for none.
    // Switches ("-debug", "/QUIT") are not files; an absolute path is.
    static QString FileArgument(const QStringList& args);

    QAction* mm2Neu = nullptr;
    QAction* mm2Oeffnen = nullptr;
    QAction* mm2Speichern = nullptr;
    QAction* mm2SpeichernUnter = nullptr;
    std::array<QAction*, MaxZuletzt> mm2Zuletzt{};

private:
    // The unsaved-changes question before the scene is replaced or closed.
    bool MayReplace();
    void TakeDown();
    void SetFile(const QString& path);
    void AddZuletzt(const QString& path);
    void UpdateZuletztMenu();
    void UpdateTitle();

    TfrmMainTalvex* F;
    QString FBaseTitle;
    QString FFile;
    std::optional<TSzene> FSaved;
    QStringList FZuletzt;
    QString FStartFile;
    bool FQuitRequested = false;
};
