#include "shell/WertEingabeForm.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>
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
    return vorKomma + nachKomma * WertNachKommaEinheit;
}

TfrmWertEing::TfrmWertEing(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmWertEing"));
    setWindowTitle(QStringLiteral("Wert eingeben"));
    setFixedSize(264, 168);

    seVorKomma = new QSpinBox(this);
    seVorKomma->setObjectName(QStringLiteral("seVorKomma"));
    seVorKomma->setGeometry(16, 46, 97, 24);
    seVorKomma->setRange(0, 359);
    seVorKomma->setValue(0);

    Label1 = new QLabel(QStringLiteral(","), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont commaFont = Label1->font();
    commaFont.setPixelSize(24);
    commaFont.setBold(true);
    Label1->setFont(commaFont);
    Label1->move(112, 46);
    Label1->adjustSize();

    seNachKomma = new QSpinBox(this);
    seNachKomma->setObjectName(QStringLiteral("seNachKomma"));
    seNachKomma->setGeometry(120, 46, 41, 24);
    seNachKomma->setRange(0, 9);
    seNachKomma->setValue(0);

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
}

TWertTeile TfrmWertEing::Teile() const {
    // Text typed but not yet confirmed counts, limited to the field's range.
    auto read = [](QSpinBox* box) {
        bool ok = false;
        const int typed = box->cleanText().toInt(&ok);
        if (!ok) return box->value();
        return std::clamp(typed, box->minimum(), box->maximum());
    };
    return {read(seVorKomma), read(seNachKomma)};
}

double TfrmWertEing::Wert() const {
    const TWertTeile parts = Teile();
    return JoinWert(parts.VorKomma, parts.NachKomma);
}

double TfrmWertEing::WertAenderung() const {
    const TWertTeile parts = Teile();
    return (parts.VorKomma - FShown.VorKomma) + (parts.NachKomma - FShown.NachKomma) * WertNachKommaEinheit;
}

void TfrmWertEing::accept() {
    seVorKomma->interpretText();
    seNachKomma->interpretText();
    QDialog::accept();
}
