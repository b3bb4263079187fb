#pragma once

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <string>

// The command line of an operator's tool: "--flag value" pairs and --help.
// Returns the exit status to end with (0 after the usage on --help, 2 after
// a complaint and the usage), or -1 when the tool should go on. read(flag,
// value) stores a value and says whether it is one the flag takes.
template <typename Read>
int ReadCommandLine(const char* program, const char* usage, int argc, char** argv,
                    std::initializer_list<const char*> flags, Read read)
{
    std::string complaint;
    for (int i = 1; i < argc && complaint.empty(); ++i) {
        const std::string flag = argv[i];
        if (flag == "--help" || flag == "-h") {
            std::fputs(usage, stdout);
            return 0;
        }
        if (std::find(flags.begin(), flags.end(), flag) == flags.end())
            complaint = "unknown option " + flag;
        else if (i + 1 >= argc)
            complaint = flag + " needs a value";
        else if (const std::string value = argv[++i]; !read(flag, value))
            complaint = "bad value \"" + value + "\" for " + flag;
    }
    if (complaint.empty())
        return -1;
    std::fprintf(stderr, "%s: %s\n\n%s", program, complaint.c_str(), usage);
    return 2;
}
