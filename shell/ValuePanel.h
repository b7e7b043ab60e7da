#pragma once

#include "world/vxInterfaces.h"

#include <QFrame>
#include <QString>

#include <memory>

class QTimer;
class QToolButton;

// A strip with a caption on the left and five buttons "<<", "<", "Val", ">",
// ">>" (objectNames FastMinus, SlowMinus, ValueInput, SlowPlus, FastPlus) that
// adjusts one linked value through IValueSetting. The four arrow buttons add
// their increment with SetValueInc on release, and while held once per 125 ms
// (the first repeat 125 ms after the press); "Val" opens the value entry
// dialog. With no value linked every button is inert.
//
// Hints: each button carries its hint ("short|long") as the dynamic property
// "hint"; its tooltip is the short part and its status tip the long part (see
// shell/Hint.h). Each arrow button's increment is also its dynamic property
// "tag".
class TsuiSetValuePanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int RepeatInterval = 125; // ms

    explicit TsuiSetValuePanel(QWidget* owner = nullptr);
    ~TsuiSetValuePanel() override;

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& caption);

    int ButtonSeparation() const { return FButtonSeparation; }
    void SetButtonSeparation(int value);
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int value);
    int CaptionWidth() const { return FCaptionWidth; }
    void SetCaptionWidth(int value);

    // Skin: the skin file and style handed on to the value entry dialog.
    QString FileTheme() const { return FFileTheme; }
    void SetFileTheme(const QString& fileTheme);
    int UIStyle() const { return FUIStyle; }
    void SetUIStyle(int style);

    QString HintFastMinus() const { return FHintFastMinus; }
    void SetHintFastMinus(const QString& hint);
    QString HintSlowMinus() const { return FHintSlowMinus; }
    void SetHintSlowMinus(const QString& hint);
    QString HintValueInput() const { return FHintValueInput; }
    void SetHintValueInput(const QString& hint);
    QString HintFastPlus() const { return FHintFastPlus; }
    void SetHintFastPlus(const QString& hint);
    QString HintSlowPlus() const { return FHintSlowPlus; }
    void SetHintSlowPlus(const QString& hint);

    int IncrementFastMinus() const { return FIncrementFastMinus; }
    void SetIncrementFastMinus(int inc);
    int IncrementSlowMinus() const { return FIncrementSlowMinus; }
    void SetIncrementSlowMinus(int inc);
    int IncrementFastPlus() const { return FIncrementFastPlus; }
    void SetIncrementFastPlus(int inc);
    int IncrementSlowPlus() const { return FIncrementSlowPlus; }
    void SetIncrementSlowPlus(int inc);

    // The value the panel adjusts; empty makes the panel inert. Linking and
    // unlinking have no other effect.
    std::shared_ptr<IValueSetting> ValueSettingInterface() const { return FValueSettingInterface; }
    void SetValueSettingInterface(std::shared_ptr<IValueSetting> value);

    QToolButton* FastMinus() const { return FFastMinus; }
    QToolButton* SlowMinus() const { return FSlowMinus; }
    QToolButton* ValueInput() const { return FValueInput; }
    QToolButton* SlowPlus() const { return FSlowPlus; }
    QToolButton* FastPlus() const { return FFastPlus; }
    QTimer* Timer() const { return FTimer; }

    // Places the five buttons from CaptionWidth + ButtonSeparation on.
    void LayoutButtons();

public slots:
    // Opens the value entry dialog for the linked value; OK sets it.
    void ShowValueDialog();
    // One repeat step while an arrow button is held.
    void TimerTimer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void PlaceButton(QToolButton* button, const QString& caption = QString());
    void ButtonDown(QToolButton* button);
    void ButtonUp(QToolButton* button);
    void StopRepeat();

    QToolButton* FFastMinus = nullptr;
    QToolButton* FSlowMinus = nullptr;
    QToolButton* FValueInput = nullptr;
    QToolButton* FSlowPlus = nullptr;
    QToolButton* FFastPlus = nullptr;
    int FButtonWidth = 27;
    int FButtonSeparation = 2;
    int FCaptionWidth = 51;
    QString FHintFastMinus;
    QString FHintSlowMinus;
    QString FHintValueInput;
    QString FHintFastPlus;
    QString FHintSlowPlus;
    int FIncrementFastMinus = 0;
    int FIncrementSlowMinus = 0;
    int FIncrementFastPlus = 0;
    int FIncrementSlowPlus = 0;
    int FLeftmost = 0;
    QString FFileTheme;
    int FUIStyle = 0;
    QTimer* FTimer = nullptr;
    std::shared_ptr<IValueSetting> FValueSettingInterface;
    int FInc = 0;
    QString FCaption;
    // The arrow button whose press started the current repeat, so a release
    // without a press of its own (or after the repeat was stopped) steps nothing.
    QToolButton* FHeld = nullptr;
};
