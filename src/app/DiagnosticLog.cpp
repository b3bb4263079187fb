#include "app/DiagnosticLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

DiagnosticLog::DiagnosticLog() : enabled(std::getenv("QUILLROCK_TRACE") != nullptr) {}

void DiagnosticLog::Print(int level, const char* format, ...)
{
    if (!enabled)
        return;
    std::fprintf(stderr, "[%d] ", level);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}
