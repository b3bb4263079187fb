// The game's own commands, for admins and the operator: which map, how
// many robots, and which kind of game; and for every player, which side.
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
    {{"team", "", "a player's: play for the other side, in a team game", nullptr, {}, true}, &Game::TeamCommand},
};

std::vector<HostedGame::Command> Game::Commands()
{
    std::vector<Command> commands;
    for (const CommandRow& row : kCommandRows) {
        commands.push_back(row.listed);
        commands.back().run = [this, body = row.body](const std::string& arguments, const std::string& by, int slot,
                                                      const Reply& reply) {
            return (this->*body)(arguments, by, slot, reply);
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

bool Game::MapCommand(const std::string& arguments, const std::string& by, int, const Reply& reply)
{
    if (arguments.empty())
        return false;
    const std::string shown = Drawable(arguments.c_str(), kMaxLineLength);
    log.Always("%s asks for map \"%s\"", by.c_str(), shown.c_str());
    if (!ChangeMap(arguments))
        reply("Cannot change to map \"" + shown + "\".");
    return true;
}

bool Game::NextCommand(const std::string& arguments, const std::string& by, int, const Reply& reply)
{
    if (!arguments.empty())
        return false;
    log.Always("%s asks for the next map", by.c_str());
    if (!NextMap())
        reply("No map of the rotation can be played.");
    return true;
}

bool Game::BotsCommand(const std::string& arguments, const std::string& by, int, const Reply& reply)
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

bool Game::ModeCommand(const std::string& arguments, const std::string& by, int slot, const Reply& reply)
{
    if (arguments.empty())
        return false;
    const std::string shown = Drawable(arguments.c_str(), kMaxLineLength);
    if (!simulation.SetNextMode(arguments)) {
        reply("No mode \"" + shown + "\": the modes are " + GameMode::Known() + ".");
        return true;
    }
    const std::string name = simulation.NextMode()->Name();
    log.Always("%s asks for mode %s from the next round", by.c_str(), name.c_str());
    // Everyone in the game hears of it; the asker, once.
    const std::string news = "The next round plays " + name + ".";
    reporter.ToAll().SetText(news.c_str());
    if (!Pilot(slot))
        reply(news);
    return true;
}

bool Game::TeamCommand(const std::string& arguments, const std::string& by, int slot, const Reply& reply)
{
    if (!arguments.empty())
        return false;
    Player* player = Pilot(slot);
    if (!player) {
        reply("Only a pilot plays for a team.");
        return true;
    }
    if (!simulation.Mode().HasTeams()) {
        std::string why = std::string("This round plays no teams: its mode is ") + simulation.Mode().Name() + ".";
        // A team round asked for deals the sides itself.
        if (const GameMode* next = simulation.NextMode(); next && next->HasTeams())
            why += std::string(" The next round plays ") + next->Name() + ", and deals the sides as it starts.";
        reply(why);
        return true;
    }
    const Team from = player->GetTeam();
    const Team to = OtherTeam(from);
    const int here = GameMode::Members(simulation.Players(), from);
    const int there = GameMode::Members(simulation.Players(), to);
    // Moving leaves here - 1 against there + 1; a robot of the other side
    // coming the other way leaves the sides as they are.
    Player* swap = there >= here ? RobotOf(to) : nullptr;
    if (there >= here && !swap) {
        reply(std::string(TeamName(to)) + " has " + Counted(there, "pilot", "pilots") + " and " + TeamName(from) +
              " " + std::to_string(here) + ": you stay with " + TeamName(from) + " to keep the sides even.");
        return true;
    }
    log.Line("%s asks to switch sides", by.c_str());
    const bool flying = player->GetShip().IsAlive();
    simulation.SwitchTeam(*player);
    announcer.Notice("%s plays for %s now", player->Name(), TeamName(to));
    // Its ship blew up under it: the asker hears why.
    if (flying && !player->GetShip().IsAlive())
        reply(std::string("Changing sides cost your ship: you come back for ") + TeamName(to) + ".");
    if (swap)
        simulation.SwitchTeam(*swap);
    return true;
}
