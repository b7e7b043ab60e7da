#pragma once

#include <QObject>
#include <QString>

#include <initializer_list>
#include <memory>

class QWidget;
class THookHelpSystem;

// The help file next to the program (or in its installed data folder).
QString HelpFilePath(const QString& applicationPath);

// The start-up checks, then the help service: a missing help file (or its
// collection file) is announced once with its full path; a file the help
// engine cannot open counts as a missing engine and is announced with the
// reason. The program runs on without help in either case.
std::unique_ptr<THookHelpSystem> StartHelpSystem(const QString& helpFile);
// Closes the help windows and frees the service.
void StopHelpSystem(std::unique_ptr<THookHelpSystem>& help);

// The "helpContext" of a widget or of the nearest enclosing one that has one;
// an open menu offers its active item first. 0 when none has one.
int HelpContextOf(const QWidget* widget);

// F1 on any control of a window, or in one of its open menus, asks the
// application's help for the topic of that control (HelpContextOf). The given
// surfaces take the focus when clicked, so F1 after a click on them names
// them. Lives as long as the window.
class TContextHelpKey : public QObject {
    Q_OBJECT
public:
    TContextHelpKey(QWidget* window, std::initializer_list<QWidget*> clickFocus);
    ~TContextHelpKey() override;

    // The topic F1 on this widget asks for (0: none, the window is not ours).
    int ContextFor(QWidget* widget) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* FWindow;
};
