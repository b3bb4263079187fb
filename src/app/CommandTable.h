#pragma once

#include <span>
#include <string>
#include <string_view>

class Console;
class NetClient;

// A console's commands, one row each, found by name without regard to
// case. A line's first word, ended by a space or "=", names the command;
// what follows reaches it as its row takes it.
class CommandTable {
public:
    // What a command reads of the text after its name.
    enum class Takes {
        Nothing, // none of it
        Word,    // its first word, ended by a space; empty when there is none
        Rest,    // all of it after the one delimiter that ended the name
    };

    struct Call {
        Console& console;
        NetClient& client;
        std::string name;     // as typed
        std::string argument; // as the row takes it
    };

    struct Row {
        const char* name; // lower case
        Takes takes;
        const char* help; // the command as help shows it; empty for none
        void (*run)(const Call& call);
    };

    enum class Outcome { Ran, Empty, Unknown };

    constexpr explicit CommandTable(std::span<const Row> rows) : rows(rows) {}

    Outcome Run(std::string_view line, Console& console, NetClient& client) const;
    // The heading, the help of each row that has one after the prefix, in
    // the table's order, then an empty line.
    void List(Console& console, const char* heading, const char* prefix) const;

private:
    std::span<const Row> rows;
};
