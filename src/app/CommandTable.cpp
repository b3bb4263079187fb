#include "app/CommandTable.h"

#include "base/AsciiLower.h"
#include "base/Console.h"
#include "base/NextWord.h"

namespace {

std::string Argument(CommandTable::Takes takes, std::string_view rest)
{
    switch (takes) {
    case CommandTable::Takes::Word: return std::string(NextWord(rest, " "));
    case CommandTable::Takes::Rest: return std::string(rest);
    case CommandTable::Takes::Nothing: break;
    }
    return "";
}

} // namespace

CommandTable::Outcome CommandTable::Run(std::string_view line, Console& console, NetClient& client) const
{
    const std::string_view name = NextWord(line, " =");
    if (name.empty())
        return Outcome::Empty;
    const std::string lower = AsciiLower(std::string(name));
    for (const Row& row : rows) {
        if (lower == row.name) {
            row.run({console, client, std::string(name), Argument(row.takes, line)});
            return Outcome::Ran;
        }
    }
    return Outcome::Unknown;
}

void CommandTable::List(Console& console, const char* heading, const char* prefix) const
{
    console.Print("%s", heading);
    for (const Row& row : rows) {
        if (*row.help)
            console.Print("%s%s", prefix, row.help);
    }
    console.Print("%s", "");
}
