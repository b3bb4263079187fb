#pragma once

#include <netinet/in.h>

#include <string>
#include <vector>

#include "master/HttpFront.h"
#include "master/Master.h"

// The master's command line.
struct MasterOptions {
    sockaddr_in listen {AF_INET, htons(8300), {INADDR_ANY}, {}};
    std::string banFile;
    Master::Settings master;
    HttpFront::Limits http;

    enum class Parsed { Run, Help, Wrong };
    // On Wrong, error says what and why in one line.
    static Parsed Parse(const std::vector<std::string>& arguments, MasterOptions& out, std::string& error);
    static const char* HelpText();
};
