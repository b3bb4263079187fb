#include "server/CommandRegistry.h"

#include <algorithm>
#include <vector>

#include "base/AsciiLower.h"
#include "base/Trimmed.h"

namespace {

// A name as an answer may repeat it: printable, and short.
std::string Shown(const std::string& name)
{
    std::string shown;
    for (const char c : name) {
        if (shown.size() == CommandRegistry::kShownName) {
            shown += "...";
            break;
        }
        shown += c >= ' ' && c <= '~' ? c : '?';
    }
    return shown;
}

std::string Usage(const CommandRegistry::Command& command)
{
    return "/" + command.name + (command.synopsis.empty() ? "" : " " + command.synopsis);
}

} // namespace

CommandRegistry::CommandRegistry()
{
    Add({"help", "", "the commands you may run", {Asker::Operator, Asker::Admin, Asker::Player}, "",
         [this](const Request& request) { return Help(request); }});
}

void CommandRegistry::Add(Command command)
{
    const std::string key = AsciiLower(command.name);
    commands.insert_or_assign(key, std::move(command));
}

std::string CommandRegistry::NameIn(const std::string& line)
{
    const std::string text = Trimmed(line);
    const auto end = std::find_if(text.begin(), text.end(), IsAsciiSpace);
    return std::string(text.begin() + (!text.empty() && text.front() == '/' ? 1 : 0), end);
}

CommandRegistry::Outcome CommandRegistry::RunLine(const std::string& line, Asker asker, const std::string& by,
                                                  const Reply& reply, std::uint32_t caller) const
{
    const std::string text = Trimmed(line);
    if (text.empty())
        return Outcome::Empty;
    const std::string name = NameIn(text);
    const auto end = std::find_if(text.begin(), text.end(), IsAsciiSpace);
    return Run(name, std::string(end, text.end()), asker, by, reply, caller);
}

CommandRegistry::Outcome CommandRegistry::Run(const std::string& name, const std::string& arguments, Asker asker,
                                              const std::string& by, const Reply& reply, std::uint32_t caller) const
{
    const auto found = commands.find(AsciiLower(name));
    if (found == commands.end()) {
        reply("Unknown command \"/" + Shown(name) + "\"; /help lists the commands.");
        return Outcome::Unknown;
    }
    const Command& command = found->second;
    if (!command.who.Has(asker)) {
        reply(command.refusal.empty() ? "You may not run /" + command.name + "." : command.refusal);
        return Outcome::Refused;
    }
    if (!command.body({asker, by, Trimmed(arguments), reply, caller})) {
        reply("Usage: " + Usage(command));
        return Outcome::BadArguments;
    }
    return Outcome::Ran;
}

bool CommandRegistry::Help(const Request& request) const
{
    if (!request.arguments.empty())
        return false;
    std::vector<const Command*> allowed;
    std::size_t widest = 0;
    for (const auto& [key, command] : commands) {
        if (command.who.Has(request.asker)) {
            allowed.push_back(&command);
            widest = std::max(widest, Usage(command).size());
        }
    }
    for (const Command* command : allowed) {
        std::string usage = Usage(*command);
        // A player's console is narrow: what a command does goes below it.
        if (request.asker != Asker::Operator) {
            request.reply(usage);
            request.reply("    " + command->help);
            continue;
        }
        usage.resize(widest + 3, ' ');
        request.reply(usage + command->help);
    }
    return true;
}
