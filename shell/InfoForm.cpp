#include "shell/InfoForm.h"

#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfrmInfo::TfrmInfo(QWidget* parent, const QString& productName, const QString& productVersion, bool atStartUp)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Info"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    lblProduct = new QLabel(productName, this);
    lblProduct->setObjectName(QStringLiteral("lblProduct"));
    QFont big = lblProduct->font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    lblProduct->setFont(big);
    lblProduct->setAlignment(Qt::AlignCenter);

    lblVersion = new QLabel(QStringLiteral("Version ") + productVersion, this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setAlignment(Qt::AlignCenter);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    lblGreeting = new QLabel(QStringLiteral("Viel Erfolg beim Erlernen der Funknavigation!"), this);
    lblGreeting->setObjectName(QStringLiteral("lblGreeting"));
    lblGreeting->setAlignment(Qt::AlignCenter);

    btnClose = new QPushButton(atStartUp ? QStringLiteral("starten") : QStringLiteral("zurück"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);
    btnClose->setMinimumWidth(97);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnClose);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 16);
    layout->setSpacing(10);
    layout->addWidget(lblProduct);
    layout->addWidget(lblVersion);
    layout->addWidget(line);
    layout->addWidget(lblGreeting);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(320, 0)));
}
