#pragma once

#include <QObject>
#include <QString>

class QWidget;

// The application-wide hint: it follows the mouse from control to control and
// announces the hint ("short|long", see shell/Hint.h) of the control under it,
// or of its nearest parent that has one. The main window shows the long part
// in its status line.
class THintRouter : public QObject {
    Q_OBJECT
public:
    // The router of this application, created and installed on first use.
    static THintRouter* Instance();

    QString Hint() const { return m_hint; }
    void SetHint(const QString& hint);

    // A control's hint: its own, else a plain tooltip taken as a hint without
    // a long part; empty when it has neither.
    static QString ControlHint(const QWidget* control);

signals:
    void HintChanged(const QString& hint);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit THintRouter(QObject* parent);
    static QString HintFrom(const QWidget* control);
    QString m_hint;
};
