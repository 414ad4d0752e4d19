#include "imaging/codecs/cals/CcittDiagnostics.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace Omvi
{
namespace
{

std::atomic<CcittDiagnosticSink> sink{nullptr};

} // namespace

CcittDiagnosticSink setCcittDiagnosticSink(CcittDiagnosticSink newSink)
{
    return sink.exchange(newSink);
}

void printCcittDiagnostic(const char* message)
{
    const std::size_t length = std::strlen(message);
    std::fprintf(stderr, length > 0 && message[length - 1] == '\n' ? "%s" : "%s\n", message);
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
