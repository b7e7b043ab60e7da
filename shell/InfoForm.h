#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The small "Info" window: product, version and a word of encouragement. Its
// one button reads "starten" when it greets the user at start-up and "zurück"
// when it was opened from the menu.
class TfrmInfo : public QDialog {
    Q_OBJECT
public:
    TfrmInfo(QWidget* parent, const QString& productName, const QString& productVersion, bool atStartUp);

    QPushButton* CloseButton() const { return btnClose; }

private:
    QLabel* lblProduct = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblGreeting = nullptr;
    QPushButton* btnClose = nullptr;
};
