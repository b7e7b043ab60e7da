#include "shell/ZufPosForm.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

TfrmZufPos::TfrmZufPos(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmZufPos"));
    setFixedSize(264, 187);

    Label1 = new QLabel(QStringLiteral("Station auswählen:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(16, 46);
    Label1->adjustSize();

    cb1 = new QComboBox(this);
    cb1->setObjectName(QStringLiteral("cb1"));
    cb1->setGeometry(16, 80, 65, 22);

    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(16, 112, 97, 25);
    BitBtn2->setAutoDefault(false);
    connect(BitBtn2, &QPushButton::clicked, this, &TfrmZufPos::reject);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(128, 112, 75, 25);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TfrmZufPos::accept);

    cb1->setFocus();
}
