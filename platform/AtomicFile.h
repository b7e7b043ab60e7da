#pragma once

#include <QByteArray>
#include <QString>

// Writes data to path so that the file is either wholly the new content or
// untouched: a crash, a full disk or a missing folder never leaves a truncated
// file. On failure returns false and, if errorText is given, the reason the
// system gave.
bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* errorText = nullptr);
