#ifndef DWFPACKAGE_NUMBERTEXT_H
#define DWFPACKAGE_NUMBERTEXT_H

#include "dwfcore/String.h"

#include <cstddef>

namespace DWFToolkit
{

//
// Numbers as they appear in package XML. Formatting always uses the C locale,
// so the text never depends on the user's environment.
//

// One double through a printf conversion such as "%.17g" or "%#0.2g".
DWFCore::DWFString DWFFormatNumber(const char* format, double value);

// `count` doubles as "%.17g", separated by single blanks.
DWFCore::DWFString DWFFormatNumbers(const double* values, std::size_t count);

// A signed integer as "%d".
DWFCore::DWFString DWFFormatInteger(long value);

} // namespace DWFToolkit

#endif
