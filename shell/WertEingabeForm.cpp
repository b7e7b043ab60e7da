#include "shell/WertEingabeForm.h"

#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

TWertTeile SplitWert(double x) {
    const double whole = std::floor(x);
    // Values arrive as single precision: 77.7 is stored as 77.69999695, and
    // without the tolerance (a ten-thousandth of a unit) it would show as 77,6.
    double tenths = std::floor((x - whole) * 10.0 + 1e-3);
    if (tenths > 9) tenths = 9;
    return {static_cast<int>(whole), static_cast<int>(tenths)};
}

double JoinWert(int vorKomma, int nachKomma) {
    const double tenths = nachKomma * WertNachKommaEinheit;
    return vorKomma < 0 ? vorKomma - tenths : vorKomma + tenths;
}

namespace {

// An optional minus sign and digits; false (and 0) for anything else.
bool ParseTyped(const QString& text, int& value) {
    bool ok = false;
    value = text.trimmed().toInt(&ok);
    return ok;
}

} // namespace

TSpinEdit::TSpinEdit(QWidget* parent) : QSpinBox(parent) {
    // A typed number outside the limits becomes the nearest limit, not the
    // last valid value.
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

void TSpinEdit::SetMaxLength(int length) {
    lineEdit()->setMaxLength(length);
}

int TSpinEdit::MaxLength() const {
    return lineEdit()->maxLength();
}

int TSpinEdit::Typed() const {
    int typed = 0;
    return ParseTyped(cleanText(), typed) ? typed : minimum();
}

QValidator::State TSpinEdit::validate(QString& input, int& /*pos*/) const {
    if (input.size() > MaxLength()) return QValidator::Invalid;
    for (qsizetype i = 0; i < input.size(); ++i) {
        const QChar c = input[i];
        if (c.isDigit() && c.unicode() < 128) continue;
        if (c == QLatin1Char('-') && i == 0) continue;
        return QValidator::Invalid;
    }
    int typed = 0;
    return ParseTyped(input, typed) ? QValidator::Acceptable : QValidator::Intermediate;
}

void TSpinEdit::fixup(QString& input) const {
    int typed = 0;
    if (!ParseTyped(input, typed)) input = QString::number(minimum());
}

int TSpinEdit::valueFromText(const QString& text) const {
    int typed = 0;
    return ParseTyped(text, typed) ? typed : minimum();
}

void TSpinEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The spin box would first correct the text to its limits; the dialog's
        // default button reads the number as typed.
        event->ignore();
        return;
    case Qt::Key_Comma:
    case Qt::Key_Period:
        if (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) break;
        emit DecimalSeparatorTyped();
        event->accept();
        return;
    default:
        break;
    }
    QSpinBox::keyPressEvent(event);
}

TfrmWertEing::TfrmWertEing(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmWertEing"));
    setWindowTitle(QStringLiteral("Wert eingeben"));
    setFixedSize(264, 168);

    seVorKomma = new TSpinEdit(this);
    seVorKomma->setObjectName(QStringLiteral("seVorKomma"));
    seVorKomma->setGeometry(16, 46, 97, 24);
    seVorKomma->setRange(0, 359);
    seVorKomma->SetMaxLength(3);
    seVorKomma->setValue(0);

    Label1 = new QLabel(QStringLiteral(","), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont commaFont = Label1->font();
    commaFont.setPixelSize(24);
    commaFont.setBold(true);
    Label1->setFont(commaFont);
    Label1->move(112, 46);
    Label1->adjustSize();

    seNachKomma = new TSpinEdit(this);
    seNachKomma->setObjectName(QStringLiteral("seNachKomma"));
    seNachKomma->setGeometry(120, 46, 41, 24);
    seNachKomma->setRange(0, 9);
    seNachKomma->SetMaxLength(1);
    seNachKomma->setValue(0);

    // "12,5" typed into the whole degrees goes on in the tenths, as on paper.
    connect(seVorKomma, &TSpinEdit::DecimalSeparatorTyped, this, [this] {
        seNachKomma->setFocus(Qt::TabFocusReason);
        seNachKomma->selectAll();
    });

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(184, 104, 65, 25);
    BitBtn1->setDefault(true);
    BitBtn1->setAutoDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TfrmWertEing::accept);

    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(16, 104, 97, 25);
    BitBtn2->setAutoDefault(false);
    connect(BitBtn2, &QPushButton::clicked, this, &TfrmWertEing::reject);

    seVorKomma->setFocus();
}

void TfrmWertEing::SetWert(double x) {
    const TWertTeile parts = SplitWert(x);
    seVorKomma->setValue(parts.VorKomma); // QSpinBox brings it into range
    seNachKomma->setValue(parts.NachKomma);
    FShown = {seVorKomma->value(), seNachKomma->value()};
    FConfirmed.reset();
}

TWertTeile TfrmWertEing::Teile() const {
    return {seVorKomma->Typed(), seNachKomma->Typed()};
}

TWertTeile TfrmWertEing::Confirmed() const {
    return FConfirmed ? *FConfirmed : Teile();
}

void TfrmWertEing::accept() {
    FConfirmed = Teile();
    QDialog::accept();
}

double TfrmWertEing::Wert() const {
    const TWertTeile parts = Confirmed();
    return JoinWert(parts.VorKomma, parts.NachKomma);
}

double TfrmWertEing::WertAenderung() const {
    const TWertTeile parts = Confirmed();
    return JoinWert(parts.VorKomma, parts.NachKomma) - JoinWert(FShown.VorKomma, FShown.NachKomma);
}
