#include "shell/ValuePanel.h"

#include "shell/HeldButton.h"
#include "shell/Hint.h"
#include "shell/ModalRunner.h"
#include "shell/WertEingabeForm.h"

#include <QEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QToolButton>

TsuiSetValuePanel::TsuiSetValuePanel(QWidget* owner) : QFrame(owner) {
    resize(250, 22);
    if (owner) {
        const QVariant style = owner->property("UIStyle");
        if (style.isValid()) FUIStyle = style.toInt();
    }

    FTimer = new QTimer(this);
    FTimer->setInterval(RepeatInterval);
    connect(FTimer, &QTimer::timeout, this, &TsuiSetValuePanel::TimerTimer);

    FLeftmost = FCaptionWidth + FButtonSeparation;
    auto make = [this](const char* name, const char* caption) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(name));
        PlaceButton(button, QString::fromUtf8(caption));
        return button;
    };
    FFastMinus = make("FastMinus", "<<");
    FSlowMinus = make("SlowMinus", "<");
    FValueInput = make("ValueInput", "Val");
    FSlowPlus = make("SlowPlus", ">");
    FFastPlus = make("FastPlus", ">>");

    for (QToolButton* arrow : {FFastMinus, FSlowMinus, FSlowPlus, FFastPlus}) {
        arrow->setProperty("tag", 0);
        // They act on the mouse alone; a keyboard focus on them would promise what Space cannot do.
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->installEventFilter(this);
    }
    // "Val" never repeats; it acts on its click.
    FValueInput->setAutoRepeat(false);
    connect(FValueInput, &QToolButton::clicked, this, &TsuiSetValuePanel::ShowValueDialog);
}

TsuiSetValuePanel::~TsuiSetValuePanel() {
    FTimer->stop();
}

void TsuiSetValuePanel::PlaceButton(QToolButton* button, const QString& caption) {
    if (!caption.isEmpty()) {
        button->setParent(this);
        button->setText(caption);
    }
    button->setGeometry(FLeftmost, 0, FButtonWidth, height());
    button->setProperty("UIStyle", FUIStyle);
    button->setProperty("FileTheme", FFileTheme);
    FLeftmost += FButtonWidth + FButtonSeparation;
}

void TsuiSetValuePanel::LayoutButtons() {
    FLeftmost = FCaptionWidth + FButtonSeparation;
    for (QToolButton* button : {FFastMinus, FSlowMinus, FValueInput, FSlowPlus, FFastPlus})
        PlaceButton(button);
}

void TsuiSetValuePanel::SetCaption(const QString& caption) {
    FCaption = caption;
    setAccessibleName(caption);
    update();
}

void TsuiSetValuePanel::SetButtonSeparation(int value) {
    FButtonSeparation = value;
    LayoutButtons();
}

void TsuiSetValuePanel::SetButtonWidth(int value) {
    FButtonWidth = value;
    LayoutButtons();
}

void TsuiSetValuePanel::SetCaptionWidth(int value) {
    FCaptionWidth = value;
    LayoutButtons();
    update();
}

void TsuiSetValuePanel::SetFileTheme(const QString& fileTheme) {
    FFileTheme = fileTheme;
    SetUIStyle(FUIStyle);
}

void TsuiSetValuePanel::SetUIStyle(int style) {
    FUIStyle = style;
    LayoutButtons();
    update();
}

void TsuiSetValuePanel::SetHintFastMinus(const QString& hint) {
    FHintFastMinus = hint;
    ApplyHint(FFastMinus, hint);
}

void TsuiSetValuePanel::SetHintSlowMinus(const QString& hint) {
    FHintSlowMinus = hint;
    ApplyHint(FSlowMinus, hint);
}

void TsuiSetValuePanel::SetHintValueInput(const QString& hint) {
    FHintValueInput = hint;
    ApplyHint(FValueInput, hint);
}

void TsuiSetValuePanel::SetHintFastPlus(const QString& hint) {
    FHintFastPlus = hint;
    ApplyHint(FFastPlus, hint);
}

void TsuiSetValuePanel::SetHintSlowPlus(const QString& hint) {
    FHintSlowPlus = hint;
    ApplyHint(FSlowPlus, hint);
}

void TsuiSetValuePanel::SetIncrementFastMinus(int inc) {
    FIncrementFastMinus = inc;
    FFastMinus->setProperty("tag", inc);
}

void TsuiSetValuePanel::SetIncrementSlowMinus(int inc) {
    FIncrementSlowMinus = inc;
    FSlowMinus->setProperty("tag", inc);
}

void TsuiSetValuePanel::SetIncrementFastPlus(int inc) {
    FIncrementFastPlus = inc;
    FFastPlus->setProperty("tag", inc);
}

void TsuiSetValuePanel::SetIncrementSlowPlus(int inc) {
    FIncrementSlowPlus = inc;
    FSlowPlus->setProperty("tag", inc);
}

void TsuiSetValuePanel::SetValueSettingInterface(std::shared_ptr<IValueSetting> value) {
    FValueSettingInterface = std::move(value);
}

void TsuiSetValuePanel::ButtonDown(QToolButton* button) {
    if (!FValueSettingInterface) return;
    FHeld = button;
    FInc = button->property("tag").toInt();
    FTimer->setInterval(RepeatInterval);
    FTimer->start();
}

void TsuiSetValuePanel::ButtonUp(QToolButton* button) {
    const bool wasHeld = FHeld == button;
    StopRepeat();
    // The target may unlink the panel from inside SetValueInc; keep it alive for the call.
    if (const auto target = FValueSettingInterface; target && wasHeld) target->SetValueInc(FInc);
}

void TsuiSetValuePanel::StopRepeat() {
    FTimer->stop();
    FHeld = nullptr;
}

void TsuiSetValuePanel::TimerTimer() {
    if (const auto target = FValueSettingInterface) target->SetValueInc(FInc);
}

bool TsuiSetValuePanel::eventFilter(QObject* watched, QEvent* event) {
    auto* button = qobject_cast<QToolButton*>(watched);
    if (button && button != FValueInput && button->parent() == this) {
        switch (HeldButtonEdgeOf(event)) {
        case THeldButtonEdge::Down:
            if (FHeld == nullptr) ButtonDown(button);
            break;
        case THeldButtonEdge::Up:
            ButtonUp(button);
            break;
        case THeldButtonEdge::None:
            break;
        }
        // A button that vanishes while held never sees its release; the repeat must not run on.
        if ((event->type() == QEvent::Hide || event->type() == QEvent::EnabledChange) && FHeld == button)
            StopRepeat();
    }
    return QFrame::eventFilter(watched, event);
}

void TsuiSetValuePanel::ShowValueDialog() {
    const auto target = FValueSettingInterface;
    if (!target) return;
    TfrmWertEing dialog(window());
    dialog.SetUIStyle(FUIStyle);
    dialog.SetFileTheme(FFileTheme);
    dialog.SetWert(target->GetValue());
    if (RunModal(dialog) == QDialog::Accepted) target->SetValue(static_cast<float>(dialog.Wert()));
}

void TsuiSetValuePanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (FCaption.isEmpty()) return;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(2, 0, FCaptionWidth - 2, height()), Qt::AlignLeft | Qt::AlignVCenter, FCaption);
}

void TsuiSetValuePanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    // The buttons are anchored to the top and bottom edges.
    for (QToolButton* button : {FFastMinus, FSlowMinus, FValueInput, FSlowPlus, FFastPlus})
        if (button) button->resize(button->width(), height());
}

void TsuiSetValuePanel::hideEvent(QHideEvent* event) {
    StopRepeat();
    QFrame::hideEvent(event);
}

void TsuiSetValuePanel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) StopRepeat();
    QFrame::changeEvent(event);
}
