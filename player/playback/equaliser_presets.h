// Equaliser presets: the lines of Plugins/EQPlus.ini and loading one into the equaliser.
#pragma once

#include <array>

#include <QString>
#include <QStringList>

// One preset line read: whether the file has it, whether its ten values all convert, and the
// values as their low bytes (a stored 300 is 44; -1 is 255, which the equaliser takes as 31).
struct TEqPreset {
    bool Found = false;
    bool Valid = false;
    std::array<int, 10> Bands{};
};

// Preset n is the first line that begins with "n=" once trimmed; a line that merely contains
// "n=" further on (the "10=" line for preset 0) is another preset's.
TEqPreset ParseEqPreset(const QStringList& lines, int n);

// The preset file of the install folder.
QString EqPresetFile();
