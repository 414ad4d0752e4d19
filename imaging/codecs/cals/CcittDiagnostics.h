#pragma once
// Where the bilevel decoder's diagnostics go (bad code words, rows of the
// wrong length, premature ends): to standard output unless a program sets
// another sink; a null sink silences them. One sink for the process.
#include <cstdarg>

namespace Omvi
{

using CcittDiagnosticSink = void (*)(const char* message);

// Installs `sink` (null: none) and answers the one it replaces.
CcittDiagnosticSink setCcittDiagnosticSink(CcittDiagnosticSink sink);
// The sink that prints to standard output.
void printCcittDiagnostic(const char* message);
// Formats a diagnostic (printf style) and hands it to the sink.
void reportCcittDiagnostic(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace Omvi
