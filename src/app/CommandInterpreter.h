#pragma once

// Runs a finished input line that begins with "/" as a console command.
class CommandInterpreter {
public:
    virtual ~CommandInterpreter() = default;
    // True when the line was a command (it began with a slash); false when
    // it is chat for the caller to send.
    bool Execute(const char* line);
};
