#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QDialog;
class QWidget;

// Every modal window the main window opens (information window, value entry,
// its error messages) is run through RunModal, so that a test can answer it
// in place of a user and nothing ever waits for a click that cannot come.
using TModalRunner = std::function<int(QDialog& dialog)>;

// Installs a runner (empty: QDialog::exec again); returns the previous one.
TModalRunner SetModalRunner(TModalRunner runner);

// Runs the dialog modally and returns its result. Without an installed runner
// on a platform that has no screen (offscreen, minimal) nobody could close
// the dialog: a message box's text then goes to stderr and the result is
// QDialog::Rejected.
int RunModal(QDialog& dialog);

// A message box titled with the application's title, with one "OK" button,
// run through RunModal.
void ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text);
