#include "imaging/codecs/cals/CcittDiagnostics.h"

#include <atomic>
#include <cstdio>

namespace Omvi
{
namespace
{

std::atomic<CcittDiagnosticSink> sink{&printCcittDiagnostic};

} // namespace

CcittDiagnosticSink setCcittDiagnosticSink(CcittDiagnosticSink newSink)
{
    return sink.exchange(newSink);
}

void printCcittDiagnostic(const char* message)
{
    std::fputs(message, stdout);
}

void reportCcittDiagnostic(const char* format, ...)
{
    const CcittDiagnosticSink current = sink.load();
    if (current == nullptr)
        return;
    char message[256];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(message, sizeof message, format, arguments);
    va_end(arguments);
    current(message);
}

} // namespace Omvi
