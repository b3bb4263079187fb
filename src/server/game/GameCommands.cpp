// The game's own commands, for admins and the operator: which map, how
// many robots, and which kind of game.
#include <charconv>

#include "server/game/EventLog.h"
#include "server/game/Game.h"
#include "server/game/PlayerText.h"

namespace {

bool ReadCount(const std::string& text, int& out)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size();
}

} // namespace

const Game::CommandRow Game::kCommandRows[] = {
    {{"map", "NAME", "play the named map now", "Only an admin may change the map: /server login PASSWORD first.", {}},
     &Game::MapCommand},
    {{"next", "", "play the next map of the rotation now", nullptr, {}}, &Game::NextCommand},
    {{"bots", "N", "robots wanted from now on, 0 to the seats", nullptr, {}}, &Game::BotsCommand},
    {{"mode", "NAME", "the kind of game from the next round on", nullptr, {}}, &Game::ModeCommand},
};

std::vector<HostedGame::Command> Game::Commands()
{
    std::vector<Command> commands;
    for (const CommandRow& row : kCommandRows) {
        commands.push_back(row.listed);
        commands.back().run = [this, body = row.body](const std::string& arguments, const std::string& by,
                                                                   const Reply& reply) {
            return (this->*body)(arguments, by, reply);
        };
    }
    return commands;
}

std::vector<HostedGame::Command> Game::Listed()
{
    std::vector<Command> commands;
    for (const CommandRow& row : kCommandRows)
        commands.push_back(row.listed);
    return commands;
}

bool Game::MapCommand(const std::string& arguments, const std::string& by, const Reply& reply)
{
    if (arguments.empty())
        return false;
    const std::string shown = Drawable(arguments.c_str(), kMaxLineLength);
    log.Always("%s asks for map \"%s\"", by.c_str(), shown.c_str());
    if (!ChangeMap(arguments))
        reply("Cannot change to map \"" + shown + "\".");
    return true;
}

bool Game::NextCommand(const std::string& arguments, const std::string& by, const Reply& reply)
{
    if (!arguments.empty())
        return false;
    log.Always("%s asks for the next map", by.c_str());
    if (!NextMap())
        reply("No map of the rotation can be played.");
    return true;
}

bool Game::BotsCommand(const std::string& arguments, const std::string& by, const Reply& reply)
{
    int wanted = 0;
    if (!ReadCount(arguments, wanted))
        return false;
    if (wanted < 0 || wanted > options.maxPlayers) {
        reply("From 0 to " + std::to_string(options.maxPlayers) + " robots: there are as many seats.");
        return true;
    }
    log.Always("%s wants %s", by.c_str(), Counted(wanted, "robot", "robots").c_str());
    WantRobots(wanted);
    reply(Counted(Robots(), "robot", "robots") + " beside " + Counted(People(), "person", "people") + ".");
    return true;
}

bool Game::ModeCommand(const std::string& arguments, const std::string& by, const Reply& reply)
{
    if (arguments.empty())
        return false;
    const std::string shown = Drawable(arguments.c_str(), kMaxLineLength);
    if (!simulation.SetNextMode(arguments)) {
        reply("No mode \"" + shown + "\": the modes are " + GameMode::Known() + ".");
        return true;
    }
    log.Always("%s asks for mode %s from the next round", by.c_str(), shown.c_str());
    reply("The next round plays " + shown + ".");
    return true;
}
