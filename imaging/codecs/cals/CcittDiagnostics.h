#pragma once
// Where the bilevel decoder's diagnostics go (bad code words, rows of the
// wrong length, premature ends): nowhere until a program sets a sink, so a
// damaged file never floods a program's own output. One sink for the
// process; the decoder reports a bounded number of them per page.
#include <cstdarg>

namespace Omvi
{

using CcittDiagnosticSink = void (*)(const char* message);

// Installs `sink` (null: none) and answers the one it replaces.
CcittDiagnosticSink setCcittDiagnosticSink(CcittDiagnosticSink sink);
// A sink that prints each diagnostic as a line on standard error.
void printCcittDiagnostic(const char* message);
// Formats a diagnostic (printf style) and hands it to the sink.
void reportCcittDiagnostic(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace Omvi
