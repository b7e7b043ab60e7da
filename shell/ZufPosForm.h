#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QPushButton;

// The random-position dialog: the user picks the station to move from cb1.
// "OK" (the default button, also Enter) closes with Accepted, "Cancel" (also
// Escape) with Rejected. The caller sets the title and fills cb1.
class TfrmZufPos : public QDialog {
    Q_OBJECT
public:
    explicit TfrmZufPos(QWidget* owner = nullptr);

    // Skin handed over by the opener; kept so the dialog looks like its owner.
    void SetFileTheme(const QString& fileTheme) { FFileTheme = fileTheme; }
    QString FileTheme() const { return FFileTheme; }
    void SetUIStyle(int style) { FUIStyle = style; }
    int UIStyle() const { return FUIStyle; }

    QLabel* Label1 = nullptr;
    QComboBox* cb1 = nullptr;
    QPushButton* BitBtn1 = nullptr; // "OK"
    QPushButton* BitBtn2 = nullptr; // "Cancel"

private:
    QString FFileTheme;
    int FUIStyle = 0;
};
