// Units of dialog templates and forms, and their conversion to pixels.
//
// Dialog units follow the dialog's font: a horizontal unit is a quarter of the font's average
// character width, a vertical unit an eighth of its character height, so a dialog grows with
// its font and its texts keep fitting. Twips are 1/1440 inch, converted through the screen's
// logical dots per inch. Each coordinate and each size converts on its own, rounded half away
// from zero, as the platform the templates were written for does it.
//
// The conversions and ChooseFontFamily are pure. MeasureDialogFont and ScreenDotsPerInch ask
// the toolkit and belong to the user-interface thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace ui {

struct DialogBaseUnits {
    int averageCharWidth = 0;  // pixels
    int charHeight = 0;        // pixels
};

// The average character width from the width, in pixels, of the 52 letters "A".."Z" and
// "a".."z" set in one line: half of a 26th, rounded up.
int AverageCharWidth(int alphabetWidth);

// Fractions are allowed (a column width may be half a unit).
int DialogUnitsToPixelsX(double units, const DialogBaseUnits& base);
int DialogUnitsToPixelsY(double units, const DialogBaseUnits& base);
double PixelsToDialogUnitsX(int pixels, const DialogBaseUnits& base);
double PixelsToDialogUnitsY(int pixels, const DialogBaseUnits& base);
int TwipsToPixels(double twips, double dotsPerInch);
double PixelsToTwips(int pixels, double dotsPerInch);

// The family to set a dialog in: `requested` when the host has it, else the first of the
// stand-ins for the classic dialog fonts ("Liberation Sans", "DejaVu Sans") that it has, else
// an empty text, which means the toolkit's default sans-serif font.
std::string ChooseFontFamily(std::string_view requested,
                             const std::function<bool(std::string_view)>& hostHasFamily);

// The base units of `family` (through ChooseFontFamily) at `points` on the screen.
DialogBaseUnits MeasureDialogFont(const char* family, int points);

// The primary screen's logical dots per inch (96 when there is no screen).
double ScreenDotsPerInch();

}  // namespace ui
