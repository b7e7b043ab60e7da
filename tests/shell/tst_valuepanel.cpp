#include "shell/ModalRunner.h"
#include "shell/ValuePanel.h"
#include "shell/WertEingabeForm.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <functional>
#include <memory>

namespace {

// A heading-like target: keeps its value in [0, 360) and records every call.
class FakeValue : public IValueSetting {
public:
    explicit FakeValue(float v = 0) : value(v) {}
    float GetValue() override { return value; }
    void SetValue(float v) override {
        sets.push_back(v);
        value = Normalise(v);
    }
    void SetValueInc(int inc) override {
        incs.push_back(inc);
        value = Normalise(value + static_cast<float>(inc));
    }
    static float Normalise(float v) {
        v = std::fmod(v, 360.0f);
        return v < 0 ? v + 360.0f : v;
    }
    float value;
    std::vector<float> sets;
    std::vector<int> incs;
};

// The panel as the main window configures its four panels.
std::unique_ptr<TsuiSetValuePanel> MainWindowPanel(QWidget* owner) {
    auto p = std::make_unique<TsuiSetValuePanel>(owner);
    p->SetIncrementFastMinus(-10);
    p->SetIncrementSlowMinus(-1);
    p->SetIncrementSlowPlus(1);
    p->SetIncrementFastPlus(10);
    p->SetHintFastMinus("-10");
    p->SetHintSlowMinus("-1");
    p->SetHintSlowPlus("+1");
    p->SetHintFastPlus("+10");
    p->SetHintValueInput("Wert eingeben");
    p->show();
    return p;
}

QToolButton* Button(TsuiSetValuePanel& p, const QString& name) {
    return p.findChild<QToolButton*>(name, Qt::FindDirectChildrenOnly);
}

// Answers modal value dialogs in place of a user while it lives.
class DialogAnswer {
public:
    explicit DialogAnswer(std::function<void(TfrmWertEing&)> action) {
        m_previous = SetModalRunner([this, action](QDialog& dialog) {
            ++opened;
            auto* d = qobject_cast<TfrmWertEing*>(&dialog);
            if (!d) return int(QDialog::Rejected);
            d->show();
            action(*d);
            return d->result();
        });
    }
    ~DialogAnswer() { SetModalRunner(m_previous); }
    int opened = 0;

private:
    TModalRunner m_previous;
};

} // namespace

class TestValuePanel : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_owner = std::make_unique<QWidget>();
        m_owner->resize(400, 200);
        m_owner->show();
    }
    void cleanup() { m_owner.reset(); }

    void buttonsAndLayout();
    void relayout_data();
    void relayout();
    void hints();
    void clickStepsOnce_data();
    void clickStepsOnce();
    void holdRepeatsUntilRelease();
    void repeatStopsWhenUnlinkedOrHidden();
    void noValueLinkedIsInert();

    void splitAndJoin_data();
    void splitAndJoin();
    void valueDialogFromPanel_data();
    void valueDialogFromPanel();
    void dialogFieldsAndLimits();
    void changeForSpeedEntry_data();
    void changeForSpeedEntry();

private:
    std::unique_ptr<QWidget> m_owner;
};

void TestValuePanel::buttonsAndLayout() {
    auto p = MainWindowPanel(m_owner.get());
    QCOMPARE(p->size(), QSize(250, 22));
    const QStringList names{"FastMinus", "SlowMinus", "ValueInput", "SlowPlus", "FastPlus"};
    const QStringList captions{"<<", "<", "Val", ">", ">>"};
    for (int i = 0; i < names.size(); ++i) {
        QToolButton* b = Button(*p, names[i]);
        QVERIFY2(b, qPrintable(names[i]));
        QCOMPARE(b->text(), captions[i]);
        QCOMPARE(b->geometry(), QRect(53 + 29 * i, 0, 27, 22));
    }
    QCOMPARE(p->FastMinus(), Button(*p, "FastMinus"));
    QCOMPARE(Button(*p, "FastMinus")->property("tag").toInt(), -10);
    QCOMPARE(Button(*p, "SlowPlus")->property("tag").toInt(), 1);

    // Buttons follow the panel's height (anchored top and bottom).
    p->resize(250, 30);
    QCOMPARE(Button(*p, "FastPlus")->height(), 30);
}

void TestValuePanel::relayout_data() {
    QTest::addColumn<int>("captionWidth");
    QTest::addColumn<int>("buttonWidth");
    QTest::addColumn<int>("separation");
    QTest::addColumn<int>("firstX");
    QTest::addColumn<int>("step");
    QTest::newRow("caption width 60") << 60 << 27 << 2 << 62 << 29;
    QTest::newRow("wider buttons") << 51 << 30 << 2 << 53 << 32;
    QTest::newRow("no gap, no caption") << 0 << 27 << 0 << 0 << 27;
}

void TestValuePanel::relayout() {
    QFETCH(int, captionWidth);
    QFETCH(int, buttonWidth);
    QFETCH(int, separation);
    QFETCH(int, firstX);
    QFETCH(int, step);
    auto p = MainWindowPanel(m_owner.get());
    p->SetCaptionWidth(captionWidth);
    p->SetButtonWidth(buttonWidth);
    p->SetButtonSeparation(separation);
    const QList<QToolButton*> order{p->FastMinus(), p->SlowMinus(), p->ValueInput(), p->SlowPlus(),
                                    p->FastPlus()};
    for (int i = 0; i < order.size(); ++i)
        QCOMPARE(order[i]->geometry(), QRect(firstX + step * i, 0, buttonWidth, 22));
}

void TestValuePanel::hints() {
    auto p = MainWindowPanel(m_owner.get());
    QCOMPARE(p->FastMinus()->toolTip(), QString("-10"));
    QCOMPARE(p->ValueInput()->property("hint").toString(), QString("Wert eingeben"));
    QCOMPARE(p->ValueInput()->statusTip(), QString("Wert eingeben"));
    p->SetHintSlowPlus("+1|erhöht um ein Grad");
    QCOMPARE(p->HintSlowPlus(), QString("+1|erhöht um ein Grad"));
    QCOMPARE(p->SlowPlus()->property("hint").toString(), QString("+1|erhöht um ein Grad"));
    QCOMPARE(p->SlowPlus()->toolTip(), QString("+1"));
    QCOMPARE(p->SlowPlus()->statusTip(), QString("erhöht um ein Grad"));
}

void TestValuePanel::clickStepsOnce_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<Qt::MouseButton>("mouse");
    QTest::addColumn<float>("start");
    QTest::addColumn<int>("inc");
    QTest::addColumn<float>("shown");
    QTest::newRow(">> from 355 wraps to 5") << "FastPlus" << Qt::LeftButton << 355.0f << 10 << 5.0f;
    QTest::newRow("> ") << "SlowPlus" << Qt::LeftButton << 10.0f << 1 << 11.0f;
    QTest::newRow("< from 0") << "SlowMinus" << Qt::LeftButton << 0.0f << -1 << 359.0f;
    QTest::newRow("<< with the right mouse button")
        << "FastMinus" << Qt::RightButton << 45.0f << -10 << 35.0f;
}

void TestValuePanel::clickStepsOnce() {
    QFETCH(QString, button);
    QFETCH(Qt::MouseButton, mouse);
    QFETCH(float, start);
    QFETCH(int, inc);
    QFETCH(float, shown);
    auto p = MainWindowPanel(m_owner.get());
    auto target = std::make_shared<FakeValue>(start);
    p->SetValueSettingInterface(target);
    QTest::mouseClick(Button(*p, button), mouse);
    QCOMPARE(target->incs, std::vector<int>{inc});
    QCOMPARE(target->value, shown);
    QVERIFY(!p->Timer()->isActive());

    // A quick double click is two steps, not one: the window system sends
    // press, release, double-click (instead of the second press), release.
    target->incs.clear();
    QTest::mouseClick(Button(*p, button), mouse);
    QTest::mouseDClick(Button(*p, button), mouse);
    QTest::mouseRelease(Button(*p, button), mouse);
    QCOMPARE(target->incs, (std::vector<int>{inc, inc}));
}

// Holding "<" for about 0.6 s: repeats at 125, 250, 375 and 500 ms, and one on release.
void TestValuePanel::holdRepeatsUntilRelease() {
    auto p = MainWindowPanel(m_owner.get());
    auto target = std::make_shared<FakeValue>(100);
    p->SetValueSettingInterface(target);
    QTest::mousePress(p->SlowMinus(), Qt::LeftButton);
    QVERIFY(target->incs.empty()); // the press itself steps nothing
    QVERIFY(p->Timer()->isActive());
    QCOMPARE(p->Timer()->interval(), 125);
    for (int tick = 0; tick < 4; ++tick)
        p->TimerTimer();
    QTest::mouseRelease(p->SlowMinus(), Qt::LeftButton);
    QCOMPARE(target->incs, std::vector<int>(5, -1));
    QCOMPARE(target->value, 95.0f);
    QVERIFY(!p->Timer()->isActive());

    // The timer really drives the repeat (the one test that waits for it).
    target->incs.clear();
    QTest::mousePress(p->FastPlus(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(target->incs.size() >= 1, 2000);
    QTest::mouseRelease(p->FastPlus(), Qt::LeftButton);
    QVERIFY(target->incs.size() >= 2);
    QVERIFY(std::all_of(target->incs.begin(), target->incs.end(), [](int i) { return i == 10; }));
}

void TestValuePanel::repeatStopsWhenUnlinkedOrHidden() {
    auto p = MainWindowPanel(m_owner.get());
    auto target = std::make_shared<FakeValue>(100);
    p->SetValueSettingInterface(target);

    // Unlinked while held: neither ticks nor the release reach the old target.
    QTest::mousePress(p->FastPlus(), Qt::LeftButton);
    p->SetValueSettingInterface(nullptr);
    p->TimerTimer();
    QTest::mouseRelease(p->FastPlus(), Qt::LeftButton);
    QVERIFY(target->incs.empty());
    QVERIFY(!p->Timer()->isActive());

    // Hidden while held (the release never comes): the repeat ends, and a later
    // stray release steps nothing.
    p->SetValueSettingInterface(target);
    QTest::mousePress(p->SlowPlus(), Qt::LeftButton);
    p->hide();
    QVERIFY(!p->Timer()->isActive());
    p->show();
    QTest::mouseRelease(p->SlowPlus(), Qt::LeftButton);
    QVERIFY(target->incs.empty());

    // Linked only after the press: the release alone does not step.
    p->SetValueSettingInterface(nullptr);
    QTest::mousePress(p->SlowPlus(), Qt::LeftButton);
    p->SetValueSettingInterface(target);
    QTest::mouseRelease(p->SlowPlus(), Qt::LeftButton);
    QVERIFY(target->incs.empty());
}

void TestValuePanel::noValueLinkedIsInert() {
    auto p = MainWindowPanel(m_owner.get());
    for (QToolButton* b : {p->FastMinus(), p->SlowMinus(), p->SlowPlus(), p->FastPlus()}) {
        QTest::mousePress(b, Qt::LeftButton);
        QVERIFY(!p->Timer()->isActive());
        p->TimerTimer();
        QTest::mouseRelease(b, Qt::LeftButton);
    }
    DialogAnswer answer([](TfrmWertEing& d) { d.accept(); });
    QTest::mouseClick(p->ValueInput(), Qt::LeftButton);
    QCOMPARE(answer.opened, 0);
}

void TestValuePanel::splitAndJoin_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("whole");
    QTest::addColumn<int>("tenths");
    QTest::newRow("123.5") << 123.5 << 123 << 5;
    QTest::newRow("123 whole") << 123.0 << 123 << 0;
    QTest::newRow("0.3 stored a little low") << 0.3 << 0 << 3;
    QTest::newRow("float 123.3 stored high") << double(123.3f) << 123 << 3;
    QTest::newRow("float 77.7 stored low") << double(77.7f) << 77 << 7;
    QTest::newRow("float 359.9 stored low") << double(359.9f) << 359 << 9;
    QTest::newRow("hundredths drop") << 123.09 << 123 << 0;
    QTest::newRow("359.99") << 359.99 << 359 << 9;
    QTest::newRow("negative") << -1.5 << -2 << 5;
}

void TestValuePanel::splitAndJoin() {
    QFETCH(double, value);
    QFETCH(int, whole);
    QFETCH(int, tenths);
    QCOMPARE(SplitWert(value), (TWertTeile{whole, tenths}));
    if (value >= 0 && std::fabs(value * 10 - std::round(value * 10)) < 1e-4)
        QCOMPARE(float(JoinWert(whole, tenths)), float(value)); // one-digit values survive the round trip
}

// "Val": the dialog shows the linked value split into whole degrees and
// tenths; OK sets what the fields hold, Cancel sets nothing. Confirmed with
// Enter in a field, the number typed is passed on and the target normalises
// it; a field that loses the focus first shows its nearest limit, and that is
// what OK sets. Empty text reads as 0.
void TestValuePanel::valueDialogFromPanel_data() {
    QTest::addColumn<float>("start");
    QTest::addColumn<int>("shownWhole");
    QTest::addColumn<int>("shownTenths");
    QTest::addColumn<QString>("typeWhole"); // "keep": leave the field alone
    QTest::addColumn<QString>("typeTenths");
    QTest::addColumn<QString>("finish"); // "enter", "leave" (then OK) or "cancel"
    QTest::addColumn<QString>("wholeAfterLeave");
    QTest::addColumn<QList<float>>("sets");
    QTest::addColumn<float>("after");

    const QString keep = QStringLiteral("keep");
    QTest::newRow("123 unchanged") << 123.0f << 123 << 0 << keep << keep << "enter"
                                   << "" << QList<float>{123.0f} << 123.0f;
    QTest::newRow("123.5 unchanged stays 123.5") << 123.5f << 123 << 5 << keep << keep << "enter"
                                                 << "" << QList<float>{123.5f} << 123.5f;
    QTest::newRow("cancel sets nothing") << 123.5f << 123 << 5 << "200" << keep << "cancel"
                                         << "" << QList<float>{} << 123.5f;
    QTest::newRow("typing 0 and 0 sets 0") << 77.7f << 77 << 7 << "0"
                                           << "0" << "enter"
                                           << "" << QList<float>{0.0f} << 0.0f;
    QTest::newRow("typed and confirmed without leaving the field")
        << 10.0f << 10 << 0 << "250"
        << "4"
        << "enter"
        << "" << QList<float>{250.4f} << 250.4f;
    QTest::newRow("400 with Enter") << 10.0f << 10 << 0 << "400" << keep << "enter"
                                    << "" << QList<float>{400.0f} << 40.0f;
    QTest::newRow("400 after leaving the field") << 10.0f << 10 << 0 << "400" << keep << "leave"
                                                 << "359" << QList<float>{359.0f} << 359.0f;
    QTest::newRow("999 with Enter") << 10.0f << 10 << 0 << "999" << keep << "enter"
                                    << "" << QList<float>{999.0f} << 279.0f;
    QTest::newRow("999 after leaving the field") << 10.0f << 10 << 0 << "999" << keep << "leave"
                                                 << "359" << QList<float>{359.0f} << 359.0f;
    QTest::newRow("-5 with Enter") << 10.0f << 10 << 0 << "-5" << keep << "enter"
                                   << "" << QList<float>{-5.0f} << 355.0f;
    QTest::newRow("-5 after leaving the field") << 10.0f << 10 << 0 << "-5" << keep << "leave"
                                                << "0" << QList<float>{0.0f} << 0.0f;
    QTest::newRow("-5 and 3 is minus 5.3") << 10.0f << 10 << 0 << "-5" << "3" << "enter"
                                       << "" << QList<float>{-5.3f} << 354.7f;
    QTest::newRow("emptied with Enter") << 10.5f << 10 << 5 << "" << keep << "enter"
                                        << "" << QList<float>{0.5f} << 0.5f;
    QTest::newRow("emptied, field left") << 10.0f << 10 << 0 << "" << keep << "leave"
                                         << "0" << QList<float>{0.0f} << 0.0f;
    QTest::newRow("decimal comma goes on in the tenths") << 10.0f << 10 << 0 << "12,5" << keep << "enter"
                                                         << "" << QList<float>{12.5f} << 12.5f;
    QTest::newRow("decimal point goes on in the tenths") << 10.0f << 10 << 0 << "12.5" << keep << "enter"
                                                         << "" << QList<float>{12.5f} << 12.5f;
    QTest::newRow("comma in the tenths is refused") << 10.0f << 10 << 0 << keep << "3,4" << "enter"
                                                    << "" << QList<float>{10.3f} << 10.3f;
}

void TestValuePanel::valueDialogFromPanel() {
    QFETCH(float, start);
    QFETCH(int, shownWhole);
    QFETCH(int, shownTenths);
    QFETCH(QString, typeWhole);
    QFETCH(QString, typeTenths);
    QFETCH(QString, finish);
    QFETCH(QString, wholeAfterLeave);
    QFETCH(QList<float>, sets);
    QFETCH(float, after);
    auto p = MainWindowPanel(m_owner.get());
    auto target = std::make_shared<FakeValue>(start);
    p->SetValueSettingInterface(target);

    int seenWhole = -1;
    int seenTenths = -1;
    QString shownAfterLeave;
    DialogAnswer answer([&](TfrmWertEing& d) {
        seenWhole = d.seVorKomma->value();
        seenTenths = d.seNachKomma->value();
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        // Keys go where the focus is, as a user's would.
        auto keys = [&d](const QString& text) {
            for (const QChar c : text) {
                QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &d;
                QTest::keyClick(target, c.toLatin1());
            }
        };
        auto type = [&](QSpinBox* box, const QString& text) {
            if (text == QLatin1String("keep")) return;
            box->setFocus();
            box->selectAll();
            QTest::keyClick(box, Qt::Key_Backspace);
            keys(text);
        };
        type(d.seNachKomma, typeTenths);
        type(d.seVorKomma, typeWhole);
        if (finish == QLatin1String("enter")) {
            // Enter triggers the default button.
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        } else if (finish == QLatin1String("leave")) {
            d.BitBtn1->setFocus();
            shownAfterLeave = d.seVorKomma->text();
            d.BitBtn1->click();
        } else {
            d.BitBtn2->click();
        }
    });
    QTest::mouseClick(p->ValueInput(), Qt::LeftButton);
    QCOMPARE(answer.opened, 1);
    QCOMPARE(seenWhole, shownWhole);
    QCOMPARE(seenTenths, shownTenths);
    QCOMPARE(shownAfterLeave, wholeAfterLeave);
    QCOMPARE(QList<float>(target->sets.begin(), target->sets.end()), sets);
    QCOMPARE(target->value, after);
    QVERIFY(target->incs.empty());
}

void TestValuePanel::dialogFieldsAndLimits() {
    TfrmWertEing d(m_owner.get());
    QCOMPARE(d.windowTitle(), QString("Wert eingeben"));
    QCOMPARE(d.size(), QSize(264, 168));
    QCOMPARE(d.findChild<QSpinBox*>("seVorKomma"), d.seVorKomma);
    QCOMPARE(d.findChild<QSpinBox*>("seNachKomma"), d.seNachKomma);
    QCOMPARE(d.findChild<QLabel*>("Label1")->text(), QString(","));
    QCOMPARE(d.findChild<QPushButton*>("BitBtn1")->text(), QString("OK"));
    QCOMPARE(d.findChild<QPushButton*>("BitBtn2")->text(), QString("Cancel"));
    QVERIFY(d.BitBtn1->isDefault());
    QCOMPARE(d.seVorKomma->geometry().topLeft(), QPoint(16, 46));
    QCOMPARE(d.seNachKomma->geometry().topLeft(), QPoint(120, 46));
    QCOMPARE(d.BitBtn1->geometry(), QRect(184, 104, 65, 25));
    QCOMPARE(d.BitBtn2->geometry(), QRect(16, 104, 97, 25));
    QCOMPARE(d.seVorKomma->value(), 0);
    QCOMPARE(d.seNachKomma->value(), 0);
    QCOMPARE(d.seVorKomma->MaxLength(), 3);
    QCOMPARE(d.seNachKomma->MaxLength(), 1);

    // Values beyond the fields' ranges are shown at the nearest limit.
    d.SetWert(400.75);
    QCOMPARE(d.Teile(), (TWertTeile{359, 7}));
    d.SetWert(-3.0);
    QCOMPARE(d.Teile(), (TWertTeile{0, 0}));
}

// The speed entry applies the change the user made, not the fields' value.
void TestValuePanel::changeForSpeedEntry_data() {
    QTest::addColumn<double>("speed");
    QTest::addColumn<int>("whole");
    QTest::addColumn<int>("tenths");
    QTest::addColumn<double>("after");
    QTest::newRow("2.0 to 3 and 0") << 2.0 << 3 << 0 << 3.0;
    QTest::newRow("unchanged keeps hundredths") << 1.25 << 1 << 2 << 1.25;
    QTest::newRow("1.25 to 1.5 keeps hundredths") << 1.25 << 1 << 5 << 1.55;
    QTest::newRow("unchanged beyond the field's range") << 512.3 << 359 << 3 << 512.3;
    QTest::newRow("0.5 to 0.0") << 0.5 << 0 << 0 << 0.0;
}

void TestValuePanel::changeForSpeedEntry() {
    QFETCH(double, speed);
    QFETCH(int, whole);
    QFETCH(int, tenths);
    QFETCH(double, after);
    TfrmWertEing d(m_owner.get());
    d.SetWert(speed);
    d.seVorKomma->setValue(whole);
    d.seNachKomma->setValue(tenths);
    QCOMPARE(speed + d.WertAenderung(), after);
}

QTEST_MAIN(TestValuePanel)
#include "tst_valuepanel.moc"
