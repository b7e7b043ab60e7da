#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QSpinBox;

// A value split as the value entry dialog shows it: whole degrees (or whole
// speed units) and one digit of tenths.
struct TWertTeile {
    int VorKomma = 0;
    int NachKomma = 0;
    friend bool operator==(const TWertTeile&, const TWertTeile&) = default;
};

// The dialog's fraction field holds one digit, so its unit is one tenth:
// 123.5 is shown as 123 and 5, and 123 and 5 give 123.5 back.
constexpr double WertNachKommaEinheit = 0.1;

// floor(x) and floor(frac(x) * 10), frac(x) = x - floor(x); not yet limited to
// the fields' ranges. A tolerance of 1/10000 keeps single-precision values
// such as 77.7 (stored as 77.69999...) from showing one tenth low.
TWertTeile SplitWert(double x);
// vorKomma + nachKomma / 10.
double JoinWert(int vorKomma, int nachKomma);

// The value entry dialog "Wert eingeben": whole part in seVorKomma (0 ... 359,
// at most 3 characters), one digit in seNachKomma (0 ... 9), "OK" (default
// button) and "Cancel". Values outside the ranges are brought to the nearest
// limit when set.
//
// Two ways to use it:
// - a value panel sets a value: SetWert(x), exec(), then Wert() on OK;
// - the speed entry changes the speed by what the user changed:
//   SetWert(v), exec(), then v + WertAenderung() on OK. Unchanged fields give
//   a change of exactly 0, whatever v was (even beyond the fields' ranges).
class TfrmWertEing : public QDialog {
    Q_OBJECT
public:
    explicit TfrmWertEing(QWidget* owner = nullptr);

    // Skin handed over by the opener; kept so the dialog looks like its owner.
    void SetFileTheme(const QString& fileTheme) { FFileTheme = fileTheme; }
    QString FileTheme() const { return FFileTheme; }
    void SetUIStyle(int style) { FUIStyle = style; }
    int UIStyle() const { return FUIStyle; }

    // Splits x into the two fields (each limited to its range) and remembers
    // what they show.
    void SetWert(double x);
    // The two fields as they stand, text still being typed included.
    TWertTeile Teile() const;
    // Whole part + digit / 10.
    double Wert() const;
    // (whole part - shown whole part) + (digit - shown digit) / 10.
    double WertAenderung() const;

    QSpinBox* seVorKomma = nullptr;
    QLabel* Label1 = nullptr;
    QSpinBox* seNachKomma = nullptr;
    QPushButton* BitBtn1 = nullptr; // "OK"
    QPushButton* BitBtn2 = nullptr; // "Cancel"

public slots:
    void accept() override;

private:
    QString FFileTheme;
    int FUIStyle = 0;
    TWertTeile FShown;
};
