#pragma once

#include <string>

// The user's decimal separator and the general number form that the
// descriptions, the unit texts and the fields write.

// The decimal separator in force: the user's own (from the locale's number
// format) until the options set another.
char DecimalSeparator();
void SetDecimalSeparator(char separator);

// The shortest general decimal form with up to 15 significant digits and the
// current decimal separator: 2.54, 12, 0.75, 1E20 for very large values.
std::string FormatGeneralNumber(double value);

// The value rounded to a whole number (halves away from zero), its
// thousands grouped with spaces: 1234567 gives "1 234 567".
std::string FormatThousandsSpaced(double value);
