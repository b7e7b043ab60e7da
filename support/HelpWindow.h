#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>

#include <utility>
#include <vector>

class QHelpEngine;
class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;
class QToolButton;

// The collection file that belongs to a help file: Talvex.qch -> Talvex.qhc.
QString HelpCollectionFile(const QString& helpFile);

// Whether the help engine can show the help file: its collection file opens
// and has the file's documentation registered. Otherwise cause says why, in
// German, as the end of a sentence ("... kann nicht geöffnet werden: cause").
bool CanOpenHelpFile(const QString& helpFile, QString& cause);

// "Die Hilfe-Datei <file> kann nicht geöffnet werden: <cause>."
QString HelpFileOpenMessage(const QString& helpFile, const QString& cause);

// The help viewer: the contents tree and a search beside the page, with back
// and forward. One window shows one help file; it is reused for every topic.
class THelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(const QString& helpFile, QWidget* parent = nullptr);
    ~THelpWindow() override;

    QString HelpFile() const { return FHelpFile; }
    // False when the help file could not be opened; the window then shows why.
    bool IsOpen() const { return FEngine != nullptr; }

    // Shows the page of a numbered topic, or a note that there is none.
    void ShowTopic(int context);
    void ShowUrl(const QUrl& url);
    QUrl CurrentUrl() const;
    // The plain text of what the window shows now.
    QString PageText() const;

    // Pages whose text holds every word of the query: their title and address.
    std::vector<std::pair<QString, QUrl>> Search(const QString& query) const;

    QTextBrowser* Browser() const { return FBrowser; }
    QLineEdit* SearchField() const { return FSearchField; }
    QListWidget* SearchResults() const { return FSearchResults; }

private:
    void ShowMessagePage(const QString& title, const QString& text);
    void SyncContents(const QUrl& url);
    void RunSearch();

    QString FHelpFile;
    QHelpEngine* FEngine = nullptr;
    QTextBrowser* FBrowser = nullptr;
    QTabWidget* FTabs = nullptr;
    QLineEdit* FSearchField = nullptr;
    QListWidget* FSearchResults = nullptr;
    QToolButton* FBack = nullptr;
    QToolButton* FForward = nullptr;
    QToolButton* FHome = nullptr;
};
