// The arithmetic of the progress display, apart from any engine.
#pragma once

#include <QtGlobal>

// The seek-bar thumb 0..219 for a position: position / length x 219 to the nearest, halves to even.
int SeekBarPixel(int position, int length);

struct TimeDigits {
    int minuteTens = 0;  // not limited to 9: a track of 100 minutes or more gives 10 and up
    int minuteUnits = 0;
    int secondTens = 0;
    int secondUnits = 0;
};
// The four digits of a time in ms; a negative time shows as 0.
TimeDigits TimeToDigits(qint64 t);

// A seek target limited to 0..length and taken to a whole ms.
qint64 ClampPosition(double target, int length);

// 100-ns units to ms, to the nearest with halves to even, in 64 bits (a 32-bit product overflows
// past 214 s); never negative.
int HundredNsToMs(qint64 value);
