#pragma once

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <string>

// What an operator's tool's command line may hold besides --help.
struct CommandLineForm {
    std::initializer_list<const char*> valued;  // each followed by its value
    std::initializer_list<const char*> bare {}; // alone
    const char* argument = nullptr;             // what its one argument names; null: it takes none
};

// A command line the tool cannot use: the complaint and the usage, and
// the exit status 2 to end with.
inline int Complain(const char* program, const char* usage, const std::string& complaint)
{
    std::fprintf(stderr, "%s: %s\n\n%s", program, complaint.c_str(), usage);
    return 2;
}

// Returns the exit status to end with (0 after the usage on --help, 2 after
// a complaint and the usage), or -1 when the tool should go on. read(flag,
// value) stores a value and says whether it is one the flag takes; a bare
// flag comes with an empty value, the argument with an empty flag.
template <typename Read>
int ReadCommandLine(const char* program, const char* usage, int argc, char** argv, const CommandLineForm& form,
                    Read read)
{
    const auto among = [](std::initializer_list<const char*> words, const std::string& word) {
        return std::find(words.begin(), words.end(), word) != words.end();
    };
    std::string complaint;
    bool argued = false;
    for (int i = 1; i < argc && complaint.empty(); ++i) {
        const std::string word = argv[i];
        if (word == "--help" || word == "-h") {
            std::fputs(usage, stdout);
            return 0;
        }
        if (among(form.bare, word)) {
            read(word, std::string());
        } else if (among(form.valued, word)) {
            if (i + 1 >= argc)
                complaint = word + " needs a value";
            else if (const std::string value = argv[++i]; !read(word, value))
                complaint = "bad value \"" + value + "\" for " + word;
        } else if (!form.argument || word.starts_with("-")) {
            complaint = "unknown option " + word;
        } else if (argued) {
            complaint = std::string("one ") + form.argument + " only, not also " + word;
        } else {
            argued = true;
            if (!read(std::string(), word))
                complaint = std::string("bad ") + form.argument + " \"" + word + "\"";
        }
    }
    return complaint.empty() ? -1 : Complain(program, usage, complaint);
}

// A command line of "--flag value" pairs alone.
template <typename Read>
int ReadCommandLine(const char* program, const char* usage, int argc, char** argv,
                    std::initializer_list<const char*> flags, Read read)
{
    return ReadCommandLine(program, usage, argc, argv, CommandLineForm {flags, {}, nullptr}, read);
}
