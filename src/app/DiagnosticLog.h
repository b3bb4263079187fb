#pragma once

#include "base/Singleton.h"

// A trace of device and frame-rate events. Players never see it; with
// QUILLROCK_TRACE set in the environment it goes to stderr.
class DiagnosticLog : public Singleton<DiagnosticLog> {
public:
    void Print(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));

private:
    friend class Singleton<DiagnosticLog>;
    DiagnosticLog();
    bool enabled;
};
