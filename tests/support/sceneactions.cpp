#include "tests/support/sceneactions.h"

#include "shell/I_MainForm.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QTest>

QWidget* Control(TfrmMainTalvex& form, const char* name) {
    return form.findChild<QWidget*>(QLatin1String(name));
}

void ClickButton(TfrmMainTalvex& form, const char* name) {
    auto* button = qobject_cast<QAbstractButton*>(Control(form, name));
    if (!button) {
        qWarning("no button %s", name);
        return;
    }
    QTest::mouseClick(button, Qt::LeftButton);
}

QStringList Entries(const QComboBox* selector) {
    QStringList entries;
    for (int i = 0; selector && i < selector->count(); ++i)
        entries << selector->itemText(i);
    return entries;
}

bool Pick(TfrmMainTalvex& form, const char* selector, const QString& entry) {
    auto* box = qobject_cast<QComboBox*>(Control(form, selector));
    const int index = box ? box->findText(entry) : -1;
    if (index < 0) return false;
    box->setCurrentIndex(index);
    emit box->activated(index);
    return true;
}

QString Chosen(TfrmMainTalvex& form, const char* selector) {
    auto* box = qobject_cast<QComboBox*>(Control(form, selector));
    return box && box->currentIndex() >= 0 ? box->currentText() : QString();
}
