#pragma once

#include <QString>

#include <functional>

// A plain message box with one "OK" button, centred on the screen. Without a
// screen to show it on (the offscreen and minimal platforms) the text goes to
// stderr instead, so a headless run never waits for a click. Tests install a
// handler to see the texts.
void ShowPlainMessage(const QString& text);

using TPlainMessageHandler = std::function<void(const QString& text)>;
// Installs a handler for ShowPlainMessage (empty: the box again); returns the previous one.
TPlainMessageHandler SetPlainMessageHandler(TPlainMessageHandler handler);
