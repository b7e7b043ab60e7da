#pragma once

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// One version record: field name ("CompanyName", ...) and value, as the
// executable carries it.
using TVersionRecord = std::vector<std::pair<QString, QString>>;

// The record compiled into this program: CompanyName "Quellbach",
// FileDescription and ProductName "Peilomat", FileVersion and ProductVersion
// the project version, InternalName and OriginalFilename the executable's name.
TVersionRecord CompiledVersionRecord();

// Empties lines, then adds "Display Name=Value" for each field of the record
// that is present and not empty, in the fixed order Company Name, Description,
// File Version, Internal Name, Copyright, TradeMarks, Original File Name,
// Product Name, Product Version, Comments, Author. An empty record gives the
// single line "No FileVersionInfo found". Returns true (nothing here can fail).
bool ReadVersionInfo(QStringList& lines);
bool ReadVersionInfo(const TVersionRecord& record, QStringList& lines);

// The value of the line "name=..." (the first one), or an empty string.
QString VersionInfoValue(const QStringList& lines, const QString& name);
