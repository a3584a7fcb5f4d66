#pragma once

#include "files/records.h"

#include <QtGlobal>

namespace Puckdex {

// How a stored rating byte turns into the number the editor shows, and back.
enum class Scale {
    Goalie,   // shown = 5x + 25
    Skater,   // shown = 4x + 40
    Bias,     // Shoot / Pass Bias: steps of 6.6666
    Fighting, // steps of 16.6666; the stored 7 means 0
};

// The shown value of any stored byte (a byte above 15 shows above 100).
int shownFromStored(Scale scale, quint8 stored);

// The byte to store for a shown value. The editor's checks keep every shown
// value on its grid; anything else is still stored as the nearest byte the
// scale can hold (0 to 255; fighting never above 6), never wrapped.
quint8 storedFromShown(Scale scale, double shown);

// To the nearest whole number, ties to the even one, whatever the
// floating-point environment says.
double roundHalfEven(double value);

// A whole number in 0 to 255 from a shown number, rounded half to even; out
// of range values are held at the nearer end.
quint8 byteFromNumber(double value);

// Height: stored in whole inches, shown in feet and inches.
inline int heightFeet(quint8 inches) { return inches / 12; }
inline int heightRestInches(quint8 inches) { return inches % 12; }
quint8 heightFromFeetAndInches(double feet, double inches);

} // namespace Puckdex
