#include "platform/ImageSurface.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "shell/ModalRunner.h"
#include "shell/PlainMessage.h"
#include "shell/SzenenDatei.h"
#include "tests/support/mainformfixture.h"
#include "world/FlugwegLayer.h"
#include "world/I_Flugzeug.h"
#include "world/I_Stations.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <deque>
#include <memory>

namespace {

// Answers the questions in order (a button of the standard kind), picks the
// given file in file dialogs and collects every message text.
class TAnswers {
public:
    TAnswers() {
        m_previous = SetModalRunner([this](QDialog& dialog) -> int {
            if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
                Texts << box->text();
                if (Buttons.empty()) return int(QMessageBox::Ok);
                const QMessageBox::StandardButton answer = Buttons.front();
                Buttons.pop_front();
                if (QAbstractButton* button = box->button(answer)) {
                    Captions << button->text();
                    button->click();
                }
                return int(answer);
            }
            if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
                FileDialogs << files->windowTitle();
                if (FilePick.isEmpty()) return int(QDialog::Rejected);
                files->selectFile(FilePick);
                return int(QDialog::Accepted);
            }
            return int(QDialog::Rejected);
        });
        SetPlainMessageHandler([this](const QString& text) { Texts << text; });
    }
    ~TAnswers() {
        SetModalRunner(m_previous);
        SetPlainMessageHandler(nullptr);
    }
    TAnswers(const TAnswers&) = delete;
    // What a window says while it starts (a missing help file, say) is not
    // what the scene tests look at.
    template <typename Form> Form Started(Form form) {
        Texts.clear();
        return form;
    }
    TAnswers& operator=(const TAnswers&) = delete;

    std::deque<QMessageBox::StandardButton> Buttons;
    QString FilePick;
    QStringList Texts;
    QStringList Captions;
    QStringList FileDialogs;

private:
    TModalRunner m_previous;
};

std::shared_ptr<IStationSubject> AddStation(TfrmMainTalvex& form, const QString& typ, TSinglePoint pos) {
    const int index = static_cast<int>(form.Stationen.size());
    int n = 1;
    for (const auto& s : form.Stationen)
        n += s->GetTyp() == typ ? 1 : 0;
    std::shared_ptr<IStationSubject> station;
    if (typ == QLatin1String("VOR"))
        station = TVOR_S::Create(form.ImgNav, pos, QString::number(n), index);
    else
        station = TNDB_S::Create(form.ImgNav, pos, QString::number(n), index);
    form.Stationen.push_back(station);
    return station;
}

std::shared_ptr<TFlugzeug> AddPlane(TfrmMainTalvex& form, TSinglePoint pos) {
    const int index = static_cast<int>(form.Flugzeuge.size());
    auto plane = TFlugzeug::Create(form.ImgNav, form.ImgInstr, pos, index, form.IRadial);
    form.Flugzeuge.push_back(plane);
    form.seFlugzeug->setMaximum(index + 1);
    form.seFlugzeug->setReadOnly(false);
    form.seFlugzeug->setValue(index + 1);
    return plane;
}

void Tune(const std::shared_ptr<IPlaneSubject>& plane, int slot, const std::shared_ptr<IStationSubject>& one,
          const std::shared_ptr<IStationSubject>& two = nullptr) {
    const auto instrument = plane->GetInstrument(slot);
    if (auto bound = std::dynamic_pointer_cast<IInstrumentMitStation>(instrument); bound && one)
        bound->SetStationSubject(one);
    if (auto rmi2 = std::dynamic_pointer_cast<IRMI2>(instrument); rmi2 && two) rmi2->SetStation2Subject(two);
}

void SetValue(const std::shared_ptr<IPlaneSubject>& plane, int slot, float value) {
    std::dynamic_pointer_cast<IValueSetting>(plane->GetInstrument(slot))->SetValue(value);
}

// Three aircraft, five stations, every instrument type, both needles, a
// hidden aircraft with a stored start position, a flown track.
void BuildLesson(TfrmMainTalvex& form) {
    const auto vor1 = AddStation(form, "VOR", {150, 120});
    const auto ndb1 = AddStation(form, "NDB", {420, 90});
    const auto vor2 = AddStation(form, "VOR", {650, 250});
    const auto ndb2 = AddStation(form, "NDB", {300, 300});
    const auto vor3 = AddStation(form, "VOR", {800, 60});

    const auto one = form.Flugzeuge[0];
    one->SetPosition({500, 200});
    one->SetValue(80);
    one->AddInstrument(icHSI, 0, true);
    Tune(one, 0, vor1);
    SetValue(one, 0, 45);
    one->AddInstrument(icVOR, 1, true);
    Tune(one, 1, vor2);
    SetValue(one, 1, 270);
    std::dynamic_pointer_cast<IVOR>(one->GetInstrument(1))->SetDirToStation(true);
    one->AddInstrument(icRMI2, 2, true);
    Tune(one, 2, ndb1, vor3);

    const auto two = AddPlane(form, {200, 250});
    two->SetValue(123);
    two->SetSpeed(2.5f);
    two->AddInstrument(icRBI, 1, true);
    Tune(two, 1, ndb2);
    two->AddInstrument(icMDI, 2, true);
    Tune(two, 2, ndb1);
    SetValue(two, 2, 30);
    two->SetAusgangsPosition({190, 260});
    two->SetVisible(false);

    const auto three = AddPlane(form, {700, 330});
    three->AddInstrument(icRMI, 1, true);
    Tune(three, 1, ndb2);

    // Back to the first one; it flies a little with its track shown.
    form.seFlugzeug->setValue(1);
    form.mm2OptFlugweg->trigger();
    for (int i = 0; i < 40; ++i)
        form.tmrAnimationTimer();
    one->SetValue(170);
    for (int i = 0; i < 30; ++i)
        form.tmrAnimationTimer();
    // Only the active aircraft's instruments follow their stations, as the
    // aircraft selector leaves them.
    for (const auto& plane : {two, three})
        for (int slot = 0; slot < 3; ++slot)
            if (auto bound = std::dynamic_pointer_cast<IInstrumentMitStation>(plane->GetInstrument(slot)))
                bound->DetachStationSubject();
}

// The map and instrument panel as they are seen, the track drawn whole.
std::pair<QImage, QImage> Pixels(TfrmMainTalvex& form) {
    form.Flugweg->Redraw();
    return {form.ImgNav->Render(), form.ImgInstr->Render()};
}

QString WriteFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(data);
    return path;
}

int LayerCount(const ImageSurface* surface) {
    return static_cast<int>(surface->Layers().size());
}

} // namespace

class TestSzenenDatei : public QObject {
    Q_OBJECT
private slots:
    void init();
    void roundTripGivesTheSameModelAndPixels();
    void openingReplacesTheWorldWholly();
    void badFilesLeaveTheSceneOnScreen_data();
    void badFilesLeaveTheSceneOnScreen();
    void unsavedChangesQuestion_data();
    void unsavedChangesQuestion();
    void sceneWithoutFileIsNeverAsked();
    void closingAsksAndCanBeCancelled();
    void quitFromOutsideKeepsARecoveryFile();
    void failedSaveSaysSoAndKeepsTheScene();
    void recentFilesAndTitle();
    void menuCommandsAndShortcuts();
    void fileArgument_data();
    void fileArgument();
    void trackOptionResetAndClear();

private:
    QTemporaryDir m_dir;
};

void TestSzenenDatei::init() {
    // Each test starts without a scene left over from an earlier one.
    QFile::remove(
        QFileInfo(SettingsFileName()).dir().filePath(QLatin1String(TSzenenDatei::RecoveryFileName)));
}

void TestSzenenDatei::roundTripGivesTheSameModelAndPixels() {
    TAnswers answers;
    const QString path = m_dir.filePath("Anflug.peilomat");
    TSzene before;
    std::pair<QImage, QImage> pixels;
    {
        auto form = answers.Started(NewMainForm());
        BuildLesson(*form);
        before = form->Szenen->Capture();
        pixels = Pixels(*form);
        QVERIFY(form->Szenen->SaveTo(path));
        QVERIFY(!form->Szenen->Modified());
        QVERIFY(form->close());
    }
    QCOMPARE(before.Flugzeuge.size(), std::size_t(3));
    QCOMPARE(before.Stationen.size(), std::size_t(5));
    QVERIFY(!before.Flugzeuge[0].Flugweg.empty());

    // A new start opens the file: the same lesson is back.
    auto form = answers.Started(NewMainForm());
    form->Szenen->SetStartFile(path);
    form->Szenen->Started();
    QVERIFY2(answers.Texts.isEmpty(), qPrintable(answers.Texts.join('\n')));
    QCOMPARE(form->Szenen->FileName(), path);
    QVERIFY(!form->Szenen->Modified());
    const TSzene after = form->Szenen->Capture();
    QVERIFY(after == before);
    form->mm2OptFlugweg->trigger();
    const auto [nav, instr] = Pixels(*form);
    QCOMPARE(instr, pixels.second);
    QCOMPARE(nav, pixels.first);

    // The panel and the stations behave as built by hand: only the active
    // aircraft's instruments follow a station move.
    QCOMPARE(form->seFlugzeug->maximum(), 3);
    QVERIFY(!form->seFlugzeug->isReadOnly());
    QVERIFY(form->btnRdmPosVOR->isEnabled());
    QVERIFY(form->btnRdmPosNDB->isEnabled());
    QCOMPARE(form->ImgNav->Layers().back(), form->RadialLayer.get());
    const auto rbi = std::dynamic_pointer_cast<IInstrumentMitStation>(form->Flugzeuge[1]->GetInstrument(1));
    QCOMPARE(rbi->GetStation(), QStringLiteral("NDB 2"));
    const auto rmi2 = std::dynamic_pointer_cast<IRMI2>(form->Flugzeuge[0]->GetInstrument(2));
    QCOMPARE(rmi2->GetStation2(), QStringLiteral("VOR 3"));
    const float heading =
        std::dynamic_pointer_cast<IScaleHeading>(form->Flugzeuge[0]->GetInstrument(0))->GetScaleHeading();
    QCOMPARE(heading, 170.0f);
}

void TestSzenenDatei::openingReplacesTheWorldWholly() {
    TAnswers answers;
    auto form = answers.Started(NewMainForm());
    const int navLayers = LayerCount(form->ImgNav);
    const int instrLayers = LayerCount(form->ImgInstr);
    BuildLesson(*form);
    std::vector<std::weak_ptr<IPlaneSubject>> planes(form->Flugzeuge.begin(), form->Flugzeuge.end());
    std::vector<std::weak_ptr<IStationSubject>> stations(form->Stationen.begin(), form->Stationen.end());
    std::weak_ptr<IInstrument> instrument = form->Flugzeuge[0]->GetInstrument(1);
    form->btnAnimStartClick();
    QVERIFY(form->tmrAnimation->isActive());

    QVERIFY(form->Szenen->Neu());
    // Everything of the old world is gone, with its layers on both surfaces.
    for (const auto& p : planes)
        QVERIFY(p.expired());
    for (const auto& s : stations)
        QVERIFY(s.expired());
    QVERIFY(instrument.expired());
    QVERIFY(!form->tmrAnimation->isActive());
    QCOMPARE(LayerCount(form->ImgNav), navLayers);
    QCOMPARE(LayerCount(form->ImgInstr), instrLayers);
    // The start-up scene: one aircraft with a heading indicator, no stations.
    QCOMPARE(form->Flugzeuge.size(), std::size_t(1));
    QVERIFY(form->Stationen.empty());
    QCOMPARE(form->Flugzeuge[0]->GetInstrument(0)->GetTyp(), icKursKreisel);
    QVERIFY(!form->Flugzeuge[0]->GetInstrument(1));
    QVERIFY(form->Flugzeuge[0]->GetSelected());
    QCOMPARE(std::dynamic_pointer_cast<TFlugzeug>(form->Flugzeuge[0])->Layer()->Tag(), 1);
    QVERIFY(form->seFlugzeug->isReadOnly());
    QVERIFY(!form->btnRdmPosVOR->isEnabled());
    QVERIFY(!form->btnAnimReset->isEnabled());
    QCOMPARE(form->btnVisible->text(), QStringLiteral("Flugzeug unsichtbar"));
    QVERIFY(form->ImgNav->Render().pixel(form->Flugzeuge[0]->GetPosition().X,
                                         form->Flugzeuge[0]->GetPosition().Y) != 0xFFFFFFFF);
    QVERIFY(answers.Texts.isEmpty());
}

void TestSzenenDatei::badFilesLeaveTheSceneOnScreen_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("reason");
    const QByteArray good = R"({"format": "Peilomat-Szene", "version": "1.0",
        "stationen": [{"typ": "VOR", "nummer": 1, "x": 10, "y": 10}],
        "flugzeuge": [{"x": 100, "y": 100, "instrumente": [{"slot": 1, "typ": 4, "station": "VOR 1"}]}]})";
    QTest::newRow("not JSON") << QByteArray("Anflug") << "kein gültiges JSON";
    QTest::newRow("truncated") << good.left(good.size() - 30) << "unvollständig";
    QTest::newRow("other format") << QByteArray(good).replace("Peilomat-Szene", "Kurs-Datei")
                                  << "„Kurs-Datei“";
    QTest::newRow("newer major") << QByteArray(good).replace("\"1.0\"", "\"2.0\"")
                                 << "neueren Programmversion";
    QTest::newRow("1e30") << QByteArray(good).replace("\"x\": 100", "\"x\": 1e30") << "liegt nicht zwischen";
    QTest::newRow("negative speed") << QByteArray(good).replace("\"x\": 100",
                                                                "\"geschwindigkeit\": -3, \"x\": 100")
                                    << "„geschwindigkeit“: -3";
    QTest::newRow("type code 9") << QByteArray(good).replace("\"typ\": 4", "\"typ\": 9")
                                 << "9 ist kein Instrumenttyp";
    QTest::newRow("slot 5") << QByteArray(good).replace("\"slot\": 1", "\"slot\": 5") << "5 ist kein Platz";
    QTest::newRow("missing station") << QByteArray(good).replace("\"station\": \"VOR 1\"",
                                                                 "\"station\": \"VOR 2\"")
                                     << "die Station „VOR 2“ gibt es nicht";
    QTest::newRow("station number gap")
        << QByteArray(good).replace("\"nummer\": 1", "\"nummer\": 2") << "Nummer 2 statt 1";
    QByteArray many = R"({"format": "Peilomat-Szene", "version": "1.0", "flugzeuge": [)";
    for (int i = 0; i < 100; ++i)
        many += QByteArray(i ? "," : "") + R"({"x": 1, "y": 1})";
    QTest::newRow("100 aircraft") << many + "]}"
                                  << "100 Flugzeuge";
}

void TestSzenenDatei::badFilesLeaveTheSceneOnScreen() {
    QFETCH(QByteArray, data);
    QFETCH(QString, reason);
    TAnswers answers;
    auto form = answers.Started(NewMainForm());
    BuildLesson(*form);
    const QString lesson = m_dir.filePath("Gut.peilomat");
    QVERIFY(form->Szenen->SaveTo(lesson));
    const QString title = form->windowTitle();
    const TSzene before = form->Szenen->Capture();
    const auto pixels = Pixels(*form);
    const QString bad = WriteFile(m_dir.filePath("Kaputt.peilomat"), data);

    QVERIFY(!form->Szenen->Open(bad));
    QCOMPARE(answers.Texts.size(), 1);
    QVERIFY2(answers.Texts[0].contains("„" + QDir::toNativeSeparators(bad) + "“"),
             qPrintable(answers.Texts[0]));
    QVERIFY2(answers.Texts[0].contains(reason), qPrintable(answers.Texts[0]));
    QVERIFY(form->Szenen->Capture() == before);
    QVERIFY(Pixels(*form) == pixels);
    QCOMPARE(form->Szenen->FileName(), lesson);
    QCOMPARE(form->windowTitle(), title);
    QVERIFY(!form->Szenen->Zuletzt().contains(bad));
}

void TestSzenenDatei::unsavedChangesQuestion_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("replaced");
    QTest::addColumn<bool>("saved");
    for (const char* command : {"Neu", "Öffnen"}) {
        QTest::addRow("%s, Abbrechen", command) << command << int(QMessageBox::Cancel) << false << false;
        QTest::addRow("%s, Verwerfen", command) << command << int(QMessageBox::Discard) << true << false;
        QTest::addRow("%s, Speichern", command) << command << int(QMessageBox::Save) << true << true;
    }
}

void TestSzenenDatei::unsavedChangesQuestion() {
    QFETCH(QString, command);
    QFETCH(int, answer);
    QFETCH(bool, replaced);
    QFETCH(bool, saved);
    TAnswers answers;
    auto form = answers.Started(NewMainForm());
    BuildLesson(*form);
    const QString path = m_dir.filePath("Anflug.peilomat");
    QVERIFY(form->Szenen->SaveTo(path));
    const QString other = m_dir.filePath("Anderes.peilomat");
    {
        TSzene s = form->Szenen->StartScene();
        QString message;
        QVERIFY(Szene::Write(other, s, message));
    }
    // Unchanged: no question.
    QVERIFY(!form->Szenen->Modified());
    form->Flugzeuge[1]->SetPosition({20, 30});
    QVERIFY(form->Szenen->Modified());
    const TSzene changed = form->Szenen->Capture();

    answers.Buttons = {QMessageBox::StandardButton(answer)};
    answers.FilePick = other;
    const bool done = command == "Neu" ? form->Szenen->Neu() : form->Szenen->Oeffnen();
    QCOMPARE(done, replaced);
    QCOMPARE(answers.Texts, QStringList{"Änderungen an Anflug.peilomat speichern?"});
    QCOMPARE(answers.Captions.size(), 1);
    QCOMPARE(answers.Captions[0], answer == QMessageBox::Save      ? "Speichern"
                                  : answer == QMessageBox::Discard ? "Verwerfen"
                                                                   : "Abbrechen");
    if (!replaced) QVERIFY(form->Szenen->Capture() == changed);
    if (replaced) QCOMPARE(form->Flugzeuge.size(), std::size_t(1));
    TSzene onDisk;
    QString message;
    QVERIFY(Szene::Read(path, onDisk, message));
    QCOMPARE(onDisk == changed, saved);
    QCOMPARE(form->Szenen->FileName(), replaced ? (command == "Neu" ? QString() : other) : path);
}

void TestSzenenDatei::sceneWithoutFileIsNeverAsked() {
    TAnswers answers;
    auto form = answers.Started(NewMainForm());
    BuildLesson(*form);
    QVERIFY(form->Szenen->Modified());
    QVERIFY(form->Szenen->Neu());
    form->Flugzeuge[0]->SetPosition({5, 5});
    QVERIFY(form->close());
    QVERIFY(answers.Texts.isEmpty());
    QVERIFY(!QFile::exists(form->Szenen->RecoveryPath()));
}

void TestSzenenDatei::closingAsksAndCanBeCancelled() {
    TAnswers answers;
    auto form = answers.Started(NewMainForm(true));
    const QString path = m_dir.filePath("Platz.peilomat");
    QVERIFY(form->Szenen->SaveTo(path));
    form->Flugzeuge[0]->SetPosition({33, 44});
    answers.Buttons = {QMessageBox::Cancel, QMessageBox::Save};
    form->beenden1->trigger();
    QVERIFY(form->isVisible());
    QCOMPARE(answers.Texts, QStringList{"Änderungen an Platz.peilomat speichern?"});
    QTest::mouseClick(form->btnProgEnde, Qt::LeftButton);
    QVERIFY(!form->isVisible());
    TSzene onDisk;
    QString message;
    QVERIFY(Szene::Read(path, onDisk, message));
    QCOMPARE(onDisk.Flugzeuge[0].Position, (TSinglePoint{33, 44}));
}

void TestSzenenDatei::quitFromOutsideKeepsARecoveryFile() {
    TAnswers answers;
    const QString path = m_dir.filePath("Heimflug.peilomat");
    QString recovery;
    TSzene changed;
    {
        auto form = answers.Started(NewMainForm(true));
        BuildLesson(*form);
        QVERIFY(form->Szenen->SaveTo(path));
        form->Flugzeuge[2]->SetPosition({123, 45});
        changed = form->Szenen->Capture();
        recovery = form->Szenen->RecoveryPath();
        form->Szenen->SetQuitRequested(true);
        QVERIFY(form->close());
    }
    QVERIFY(answers.Texts.isEmpty());
    QVERIFY(QFile::exists(recovery));
    QCOMPARE(QFileInfo(recovery).absolutePath(), QFileInfo(SettingsFileName()).absolutePath());

    // The next start offers it; declining without an answer keeps it for later.
    for (auto reply : {QMessageBox::NoButton, QMessageBox::Yes}) {
        answers.Texts.clear();
        if (reply != QMessageBox::NoButton) answers.Buttons = {reply};
        auto form = answers.Started(std::make_unique<TTestMainForm>());
        form->Szenen->Started();
        QCOMPARE(answers.Texts.size(), 1);
        QVERIFY2(answers.Texts[0].contains("Heimflug.peilomat"), qPrintable(answers.Texts[0]));
        if (reply == QMessageBox::NoButton) {
            QVERIFY(QFile::exists(recovery));
            QCOMPARE(form->Flugzeuge.size(), std::size_t(1));
            continue;
        }
        QVERIFY(!QFile::exists(recovery));
        QVERIFY(form->Szenen->Capture() == changed);
        QCOMPARE(form->Szenen->FileName(), path);
        QVERIFY(form->Szenen->Modified());
        QVERIFY(form->windowTitle().endsWith(" - Heimflug.peilomat"));
        // Closing now asks, as for any changed scene with a file.
        answers.Buttons = {QMessageBox::Discard};
        QVERIFY(form->close());
        QCOMPARE(answers.Texts.last(), QStringLiteral("Änderungen an Heimflug.peilomat speichern?"));
    }
    // Unchanged, a quit from outside leaves no recovery file.
    auto form = answers.Started(NewMainForm());
    form->Szenen->SetQuitRequested(true);
    QVERIFY(form->close());
    QVERIFY(!QFile::exists(recovery));
}

void TestSzenenDatei::failedSaveSaysSoAndKeepsTheScene() {
    TAnswers answers;
    auto form = answers.Started(NewMainForm());
    const QString good = m_dir.filePath("Sicher.peilomat");
    QVERIFY(form->Szenen->SaveTo(good));
    form->Flugzeuge[0]->SetPosition({1, 2});
    const QString bad = m_dir.filePath("fehlt/Anflug.peilomat");
    QVERIFY(!form->Szenen->SaveTo(bad));
    QCOMPARE(answers.Texts.size(), 1);
    QVERIFY2(answers.Texts[0].startsWith("Die Szene konnte nicht in „" + QDir::toNativeSeparators(bad) + "“"),
             qPrintable(answers.Texts[0]));
    QCOMPARE(form->Szenen->FileName(), good);
    QVERIFY(form->Szenen->Modified());
    QVERIFY(!form->Szenen->Zuletzt().contains(bad));
    // "Speichern" at the question with a failing save keeps the scene open.
    QVERIFY(QDir(m_dir.path()).rename("Sicher.peilomat", "weg.peilomat"));
    QVERIFY(QDir().mkdir(good));
    answers.Buttons = {QMessageBox::Save};
    QVERIFY(!form->Szenen->Neu());
    QCOMPARE(form->Szenen->Capture().Flugzeuge[0].Position, (TSinglePoint{1, 2}));
    QDir().rmdir(good);
}

void TestSzenenDatei::recentFilesAndTitle() {
    TAnswers answers;
    QStringList paths;
    {
        auto form = answers.Started(NewMainForm(true));
        const QString base = form->windowTitle();
        QCOMPARE(base, QStringLiteral("Peilomat Version 2.1.4.0"));
        for (int i = 1; i <= 5; ++i) {
            paths << m_dir.filePath(QStringLiteral("Lektion%1.peilomat").arg(i));
            QVERIFY(form->Szenen->SaveTo(paths.last()));
        }
        QCOMPARE(form->windowTitle(), base + " - Lektion5.peilomat");
        QCOMPARE(form->Szenen->Zuletzt(), (QStringList{paths[4], paths[3], paths[2], paths[1]}));
        QCOMPARE(form->Szenen->mm2Zuletzt[0]->text(), QStringLiteral("&1 Lektion5.peilomat"));
        QVERIFY(form->Szenen->mm2Zuletzt[3]->isVisible());
        // Opening one again puts it first.
        QVERIFY(form->Szenen->Open(paths[2]));
        QCOMPARE(form->Szenen->Zuletzt().first(), paths[2]);
        QCOMPARE(form->windowTitle(), base + " - Lektion3.peilomat");
        QVERIFY(form->close());
    }
    // In a section of their own after the window's two.
    TIniFile ini(SettingsFileName());
    QCOMPARE(ini.ReadString("Zuletzt", "Datei1", ""), paths[2]);
    QCOMPARE(ini.ReadString("Zuletzt", "Datei4", ""), paths[1]);
    QFile f(SettingsFileName());
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    QVERIFY(text.indexOf("[Optionen]") < text.indexOf("[frmMainTalvex]"));
    QVERIFY(text.indexOf("[frmMainTalvex]") < text.indexOf("[Zuletzt]"));

    // The next start lists them; a file gone meanwhile is dropped when chosen.
    QFile::remove(paths[4]);
    auto form = answers.Started(std::make_unique<TTestMainForm>());
    QCOMPARE(form->Szenen->Zuletzt().size(), 4);
    QCOMPARE(form->Szenen->mm2Zuletzt[1]->text(), QStringLiteral("&2 Lektion5.peilomat"));
    form->Szenen->mm2Zuletzt[1]->trigger();
    QCOMPARE(answers.Texts.size(), 1);
    QVERIFY(answers.Texts[0].contains("die Datei gibt es nicht"));
    QCOMPARE(form->Szenen->Zuletzt().size(), 3);
    QVERIFY(!form->Szenen->mm2Zuletzt[3]->isVisible());
    form->Szenen->mm2Zuletzt[1]->trigger();
    QCOMPARE(form->Szenen->FileName(), paths[3]);
}

void TestSzenenDatei::menuCommandsAndShortcuts() {
    TAnswers answers;
    auto form = answers.Started(NewMainForm());
    QCOMPARE(form->Szenen->mm2Neu->shortcut(), QKeySequence("Ctrl+N"));
    QCOMPARE(form->Szenen->mm2Oeffnen->shortcut(), QKeySequence("Ctrl+O"));
    QCOMPARE(form->Szenen->mm2Speichern->shortcut(), QKeySequence("Ctrl+S"));
    QCOMPARE(form->Szenen->mm2SpeichernUnter->shortcut(), QKeySequence("Ctrl+Shift+S"));
    // "Speichern" without a file asks where, like "Speichern unter...".
    const QString path = m_dir.filePath("Neu gewählt");
    answers.FilePick = path;
    form->Szenen->mm2Speichern->trigger();
    QCOMPARE(answers.FileDialogs.size(), 1);
    QCOMPARE(form->Szenen->FileName(), path + ".peilomat");
    form->Flugzeuge[0]->SetPosition({7, 8});
    form->Szenen->mm2Speichern->trigger();
    QCOMPARE(answers.FileDialogs.size(), 1);
    QVERIFY(!form->Szenen->Modified());
    // A cancelled file dialog changes nothing.
    answers.FilePick.clear();
    form->Szenen->mm2Oeffnen->trigger();
    QCOMPARE(form->Szenen->FileName(), path + ".peilomat");
    form->Szenen->mm2Neu->trigger();
    QVERIFY(form->Szenen->FileName().isEmpty());
    QCOMPARE(form->windowTitle(), QStringLiteral("Peilomat Version 2.1.4.0"));
}

void TestSzenenDatei::fileArgument_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("file");
    const QString here = QDir::currentPath();
    QTest::newRow("none") << QStringList{"Talvex"} << QString();
    QTest::newRow("switches only") << QStringList{"Talvex", "/QUIT", "-debug", "/debug"} << QString();
    QTest::newRow("relative") << QStringList{"Talvex", "Anflug.peilomat"} << here + "/Anflug.peilomat";
    QTest::newRow("absolute") << QStringList{"Talvex", "/tmp/x/Anflug.peilomat"} << "/tmp/x/Anflug.peilomat";
    QTest::newRow("beside a switch, second ignored")
        << QStringList{"Talvex", "-debug", "a.peilomat", "b.peilomat"} << here + "/a.peilomat";
    QTest::newRow("in the root folder") << QStringList{"Talvex", "/a.PEILOMAT"} << "/a.PEILOMAT";
}

void TestSzenenDatei::fileArgument() {
    QFETCH(QStringList, args);
    QFETCH(QString, file);
    QCOMPARE(TSzenenDatei::FileArgument(args), file);
}

void TestSzenenDatei::trackOptionResetAndClear() {
    TAnswers answers;
    {
        QFile::remove(SettingsFileName());
        QDir().mkpath(QFileInfo(SettingsFileName()).absolutePath());
        WriteFile(SettingsFileName(), "[Optionen]\nFlugweg=1\n");
        TTestMainForm form;
        answers.Texts.clear();
        QVERIFY(form.mm2OptFlugweg->isChecked());
        QVERIFY(form.Flugweg->Shown());
        QVERIFY(form.ImgNav->LayerIndex(form.Flugweg->Layer()) <
                form.ImgNav->LayerIndex(std::dynamic_pointer_cast<TFlugzeug>(form.Flugzeuge[0])->Layer()));
        const auto plane = std::dynamic_pointer_cast<TFlugzeug>(form.Flugzeuge[0]);
        plane->SetPosition({100, 100});
        plane->SetValue(90);
        form.btnAnimStartClick();
        for (int i = 0; i < 50; ++i)
            form.tmrAnimationTimer();
        QVERIFY(form.Flugweg->Layer()->Bitmap().Pixel(130, 100) >> 24);
        QCOMPARE(plane->Flugweg().Punkte().back().P, (TSinglePoint{150, 100}));
        form.btnAnimResetClick();
        QCOMPARE(plane->GetPosition(), (TSinglePoint{100, 100}));
        QCOMPARE(plane->Flugweg().Size(), std::size_t(1));
        QVERIFY(!(form.Flugweg->Layer()->Bitmap().Pixel(130, 100) >> 24));
        form.btnAnimStartClick();
        for (int i = 0; i < 20; ++i)
            form.tmrAnimationTimer();
        form.mm2FlugwegLoeschen->trigger();
        QCOMPARE(plane->Flugweg().Size(), std::size_t(1));
        // A random position is a jump: no line across the map to it.
        for (int i = 0; i < 20; ++i) form.tmrAnimationTimer();
        form.btnRdmPos->click();
        for (int i = 0; i < 20; ++i) form.tmrAnimationTimer();
        QCOMPARE(plane->Flugweg().Stuecke().size(), std::size_t(2));
        form.mm2OptFlugweg->trigger();
        QVERIFY(!form.Flugweg->Shown());
        QVERIFY(form.close());
    }
    QCOMPARE(TIniFile(SettingsFileName()).ReadString("Optionen", "Flugweg", ""), QStringLiteral("0"));
}

QTEST_MAIN(TestSzenenDatei)
#include "tst_szenendatei.moc"
