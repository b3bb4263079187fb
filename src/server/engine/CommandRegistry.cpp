#include "server/engine/CommandRegistry.h"

#include <algorithm>
#include <utility>
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

// "/name arguments" as the name and what follows it; the "/" optional.
std::pair<std::string, std::string> Split(const std::string& text)
{
    const auto end = std::find_if(text.begin(), text.end(), IsAsciiSpace);
    const auto start = text.begin() + (!text.empty() && text.front() == '/' ? 1 : 0);
    return {std::string(start, end), std::string(end, text.end())};
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

void CommandRegistry::SetTyping(Asker asker, Typing typing)
{
    typings[asker] = std::move(typing);
}

std::string CommandRegistry::Usage(const Command& command, Asker asker) const
{
    const auto found = typings.find(asker);
    const std::string& prefix = found == typings.end() ? Typing().prefix : found->second.prefix;
    return prefix + command.name + (command.synopsis.empty() ? "" : " " + command.synopsis);
}

std::string CommandRegistry::NameIn(const std::string& line)
{
    return Split(Trimmed(line)).first;
}

CommandRegistry::Outcome CommandRegistry::RunLine(const std::string& line, Asker asker, const std::string& by,
                                                  const Reply& reply, std::uint32_t caller) const
{
    const std::string text = Trimmed(line);
    if (text.empty())
        return Outcome::Empty;
    const auto [name, arguments] = Split(text);
    return Run(name, arguments, asker, by, reply, caller);
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
        reply("Usage: " + Usage(command, asker));
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
            widest = std::max(widest, Usage(command, request.asker).size());
        }
    }
    for (const Command* command : allowed) {
        std::string usage = Usage(*command, request.asker);
        if (const auto found = typings.find(request.asker); found != typings.end() && found->second.narrow) {
            request.reply(usage);
            request.reply("    " + command->help);
            continue;
        }
        usage.resize(widest + 3, ' ');
        request.reply(usage + command->help);
    }
    return true;
}
