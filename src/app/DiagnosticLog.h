#pragma once

// A trace of device and frame-rate events. Players never see it; with
// QUILLROCK_TRACE set in the environment it goes to stderr.
class DiagnosticLog {
public:
    static DiagnosticLog* Instance();
    void Print(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));

private:
    DiagnosticLog();
    bool enabled;
};
