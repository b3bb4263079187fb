#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>

// Who asks for a command, as far as the server can tell.
enum class Asker {
    Operator,    // at the server's console
    Admin,       // a player trusted with the server: logged in, or on its machine
    Player,      // any other player
};

// The askers a command is for.
class Askers {
public:
    constexpr Askers(std::initializer_list<Asker> askers)
    {
        for (const Asker asker : askers)
            bits |= 1u << static_cast<unsigned>(asker);
    }
    constexpr bool Has(Asker asker) const { return (bits >> static_cast<unsigned>(asker)) & 1u; }

private:
    unsigned bits = 0;
};

// The server's commands, each registered once with its name, what it takes,
// a line of help and who may run it. A line such as "/map Warren" is split
// into the name and the rest, checked against the asker and run; every
// answer, errors included, goes back as lines of text through the asker's
// reply. Knows nothing of the game.
class CommandRegistry {
public:
    using Reply = std::function<void(const std::string& line)>;

    struct Request {
        Asker asker;
        std::string by;        // how the log names who asks
        std::string arguments; // what follows the name, spaces at either end trimmed
        Reply reply;
        std::uint32_t caller;  // the asker's own number, for commands about itself
    };

    // Runs the command; false when its arguments do not fit, which the
    // registry answers with the command's synopsis.
    using Body = std::function<bool(const Request& request)>;

    struct Command {
        std::string name;     // without the "/"
        std::string synopsis; // the arguments, as "NAME"; empty for none
        std::string help;
        Askers who;
        std::string refusal; // the answer to anyone else; empty for the usual one
        Body body;
    };

    enum class Outcome { Ran, Unknown, Refused, BadArguments, Empty };

    // The longest command name, or part of one, that an answer repeats.
    static constexpr std::size_t kShownName = 32;

    // How an asker types commands, as answers name them: "/" before the
    // name by default; a narrow console has what a command does below it
    // in help, not beside it.
    struct Typing {
        std::string prefix = "/";
        bool narrow = false;
    };

    // Comes with /help, which lists what the asker may run.
    CommandRegistry();

    void Add(Command command);
    void SetTyping(Asker asker, Typing typing);

    // The name of the command a line runs, as RunLine reads it.
    static std::string NameIn(const std::string& line);
    // A typed line: "/name arguments", the "/" optional; a line of nothing
    // but spaces is no command and is not answered.
    Outcome RunLine(const std::string& line, Asker asker, const std::string& by, const Reply& reply,
                    std::uint32_t caller = 0) const;
    Outcome Run(const std::string& name, const std::string& arguments, Asker asker, const std::string& by,
                const Reply& reply, std::uint32_t caller = 0) const;

private:
    bool Help(const Request& request) const;
    std::string Usage(const Command& command, Asker asker) const;

    std::map<std::string, Command> commands; // by lower-case name
    std::map<Asker, Typing> typings;
};
