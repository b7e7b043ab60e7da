#pragma once

#include <QDialog>
#include <QSpinBox>
#include <QString>

#include <optional>

class QLabel;
class QPushButton;

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
// vorKomma + nachKomma / 10, the tenths taken with the sign of the whole
// part: -5 and 3 is -5.3.
double JoinWert(int vorKomma, int nachKomma);

// A spin edit as the value entry dialog needs it. Any whole number of at most
// MaxLength characters can be typed, also one outside the limits; a value
// outside them is replaced by the nearest limit when it is set into the field
// and when the field loses the focus, and text that is not a number then
// reads as the minimum. Typed() gives the number typed as it stands. Enter is
// left to the dialog without correcting the text first, so that the number
// typed is what the dialog passes on.
class TSpinEdit : public QSpinBox {
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    void SetMaxLength(int length);
    int MaxLength() const;
    // The number in the field as typed, not limited; the minimum when the text
    // is not a number.
    int Typed() const;

    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

signals:
    // "," or "." was typed: the user goes on with the decimal digit.
    void DecimalSeparatorTyped();

protected:
    int valueFromText(const QString& text) const override;
    void keyPressEvent(QKeyEvent* event) override;
};

// The value entry dialog "Wert eingeben": whole part in seVorKomma (0 ... 359,
// at most 3 characters), one digit in seNachKomma (0 ... 9, one character),
// "OK" (default button) and "Cancel". Values outside the ranges are brought to
// the nearest limit when set and when a field is left; confirmed with Enter
// in a field, the numbers typed are passed on (400 stays 400, for the target
// to normalise). A decimal comma or point typed into the whole degrees moves
// on to the tenths.
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
    // The two fields as they stand, text still being typed included, not
    // limited to the fields' ranges.
    TWertTeile Teile() const;
    // Whole part + digit / 10: the fields as confirmed, or as they stand
    // while the dialog has not been confirmed.
    double Wert() const;
    // The same, less the value the fields showed after SetWert.
    double WertAenderung() const;

    TSpinEdit* seVorKomma = nullptr;
    QLabel* Label1 = nullptr;
    TSpinEdit* seNachKomma = nullptr;
    QPushButton* BitBtn1 = nullptr; // "OK"
    QPushButton* BitBtn2 = nullptr; // "Cancel"

public slots:
    // Takes the fields as typed at this moment: once the dialog closes, the
    // field that had the focus loses it and shows its nearest limit instead.
    void accept() override;

private:
    TWertTeile Confirmed() const;

    QString FFileTheme;
    int FUIStyle = 0;
    TWertTeile FShown;
    std::optional<TWertTeile> FConfirmed;
};
