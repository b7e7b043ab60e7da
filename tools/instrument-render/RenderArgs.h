#pragma once

#include "platform/SinglePoint.h"

#include <QString>
#include <QStringList>

#include <optional>

// What one run of instrument-render is asked to draw.
struct RenderArgs {
    int typ = -1;    // instrument type code
    QString typName; // as given on the command line
    int width = 250;
    TSinglePoint plane{200.0f, 200.0f};
    float heading = 0.0f;
    std::optional<TSinglePoint> station;
    std::optional<TSinglePoint> station2;
    std::optional<float> value;
    bool dirToStation = false;
    QString out;
    bool help = false;
};

// The usage text, one line.
QString RenderUsage();

// Parses the arguments after the program name. On failure returns nothing
// and leaves a short reason in error.
std::optional<RenderArgs> ParseRenderArgs(const QStringList& args, QString& error);
