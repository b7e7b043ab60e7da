#pragma once

#include "shell/I_MainForm.h"

#include <QSize>
#include <QStringList>

#include <functional>
#include <memory>

class QDialog;

// The main window with a screen of a chosen size, so the screen check does
// not depend on the test platform's screen.
class TTestMainForm : public TfrmMainTalvex {
public:
    QSize Screen{1280, 1024};

protected:
    QSize ScreenSize() const override { return Screen; }
};

// Answers every modal window and plain message while it lives: message texts
// are collected, dialogs are handed to Answer (if set) or rejected.
class TModalRecorder {
public:
    TModalRecorder();
    ~TModalRecorder();
    TModalRecorder(const TModalRecorder&) = delete;
    TModalRecorder& operator=(const TModalRecorder&) = delete;

    QStringList Messages;      // texts of message boxes and plain messages, in order
    QStringList DialogClasses; // class names of the other dialogs, in order
    std::function<int(QDialog&)> Answer;
};

// A main window created and shown (the first activation done) with the
// settings file removed beforehand.
std::unique_ptr<TTestMainForm> NewMainForm(bool show = false);
