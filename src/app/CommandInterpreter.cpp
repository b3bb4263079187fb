#include "app/CommandInterpreter.h"

#include <cstring>
#include <string>

#include "app/AppState.h"
#include "app/BindingCommands.h"
#include "app/CommandTable.h"
#include "app/Settings.h"
#include "base/AsciiLower.h"
#include "base/Console.h"
#include "base/TrackedBuffer.h"
#include "net/NetClient.h"
#include "net/NetMessage.h"
#include "world/Ship.h"
#include "world/World.h"

namespace {

using Call = CommandTable::Call;
using Row = CommandTable::Row;
using Takes = CommandTable::Takes;

bool Is(const std::string& word, const char* name)
{
    return AsciiLower(word) == name;
}

void Name(const Call& call)
{
    const char* name = call.argument.c_str();
    World* world = call.client.GetWorld();
    if (Ship* local = world ? world->FirstShip() : nullptr)
        local->SetName(name);
    call.console.Print("Player name set to %s, long live %s!", name, name);
    call.console.Print("(note: If you're currently logged into a server this");
    call.console.Print("       won't take effect until you log out and log");
    call.console.Print("       back in.)");
}

void Find(const Call& call)
{
    call.console.Print("Searching the network for servers, please wait...");
    call.client.EnumHosts();
    call.client.ListHosts();
}

void Connect(const Call& call)
{
    call.console.Print("Attempting to connect to \"%s\"...", call.argument.c_str());
    call.client.SelectHost(call.argument.c_str());
    call.client.Connect();
}

void NotImplemented(const Call& call)
{
    call.console.Print("Not implemented yet, try again later.");
}

// The own ship turning ahead of the server, or exactly as reported.
void Predict(const Call& call)
{
    const std::string& word = call.argument;
    if (Is(word, "on") || Is(word, "off")) {
        g_predictOwnShip = Is(word, "on");
        call.client.Prediction().SetEnabled(g_predictOwnShip);
    } else if (!word.empty()) {
        call.console.Print("Predict takes on or off.");
        return;
    }
    call.console.Print("Prediction is %s.", g_predictOwnShip ? "on" : "off");
}

// Whether games are recorded into the demos folder, kept in the settings.
void Record(const Call& call)
{
    const std::string& word = call.argument;
    if (Is(word, "on") || Is(word, "off")) {
        const int on = Is(word, "on") ? 1 : 0;
        if (on && !g_settings.RecordDemos && g_appState == AppState::InGame)
            call.console.Print("Recording starts with the next game.");
        g_settings.RecordDemos = on;
        WriteControlSettings(g_settings);
    } else if (!word.empty()) {
        call.console.Print("Record takes on or off.");
        return;
    }
    call.console.Print("Recording is %s.", g_settings.RecordDemos ? "on" : "off");
}

// The death and round-clock lines beside the designed screens, or only
// the designed screens; kept in the settings.
void Hud(const Call& call)
{
    const std::string& word = call.argument;
    if (Is(word, "classic") || Is(word, "new")) {
        g_settings.ClassicHud = Is(word, "classic") ? 1 : 0;
        WriteControlSettings(g_settings);
    } else if (!word.empty()) {
        call.console.Print("Hud takes classic or new.");
        return;
    }
    call.console.Print(g_settings.ClassicHud ? "Hud is classic: no death or clock lines."
                                             : "Hud is new: death and clock lines shown.");
}

void Halt(const Call& call)
{
    NetMessage halt;
    halt.SetHalt(0);
    call.client.Send(halt);
    call.console.Print("Attempting to shutdown server...");
}

void Map(const Call& call)
{
    if (call.argument.empty())
        return;
    call.console.Print("Requesting server change to map \"%s\"", call.argument.c_str());
    NetMessage request;
    request.SetMapName(call.argument.c_str());
    call.client.Send(request);
}

// A command the server answers itself: the line goes as typed from the
// sub-command's name on.
void Forward(const Call& call)
{
    if (!call.client.IsConnected()) {
        call.console.Print("Not connected to a server.");
        return;
    }
    const std::string line = call.argument.empty() ? call.name : call.name + " " + call.argument;
    NetMessage command;
    command.SetServerCommand(line.c_str());
    call.client.Send(command);
}

void Help(const Call& call);
void Server(const Call& call);

constexpr Row kClientRows[] = {
    {"name", Takes::Rest, "name <your name>", Name},
    {"clear", Takes::Nothing, "clear", [](const Call& call) { call.console.Clear(); }},
    {"find", Takes::Nothing, "find servers", Find},
    {"connect", Takes::Rest, "connect <server name>", Connect},
    {"disconnect", Takes::Nothing, "disconnect", NotImplemented},
    {"exit", Takes::Nothing, "exit", NotImplemented},
    {"help", Takes::Nothing, "help", Help},
    {"list", Takes::Nothing, "", [](const Call& call) { call.client.ListHosts(); }},
    {"bind", Takes::Rest, "", [](const Call& call) { BindCommand(&call.console, call.argument); }},
    {"unbind", Takes::Rest, "", [](const Call& call) { UnbindCommand(&call.console, call.argument); }},
    {"predict", Takes::Word, "", Predict},
    {"record", Takes::Word, "", Record},
    {"hud", Takes::Word, "", Hud},
    {"team", Takes::Nothing, "", Forward},
    {"spectate", Takes::Nothing, "", Forward},
    {"join", Takes::Nothing, "", Forward},
    {"server", Takes::Rest, "", Server},
};

// After /server; help shows them with "server " before.
constexpr Row kServerRows[] = {
    {"halt", Takes::Nothing, "halt", Halt},
    {"map", Takes::Word, "", Map},
    {"login", Takes::Rest, "", Forward},
    {"kick", Takes::Rest, "", Forward},
    {"ban", Takes::Rest, "", Forward},
    {"unban", Takes::Rest, "", Forward},
    {"bans", Takes::Rest, "", Forward},
    {"bots", Takes::Rest, "", Forward},
    {"mode", Takes::Rest, "", Forward},
    {"team", Takes::Rest, "", Forward},
    {"next", Takes::Rest, "", Forward},
    {"say", Takes::Rest, "", Forward},
    {"status", Takes::Rest, "", Forward},
    {"help", Takes::Rest, "", Forward},
    {"reload-bans", Takes::Rest, "", Forward},
};

constexpr CommandTable kClientCommands(kClientRows);
constexpr CommandTable kServerCommands(kServerRows);

void Help(const Call& call)
{
    kClientCommands.List(call.console, "Client Commands:", "   ");
    kServerCommands.List(call.console, "Server Commands:", "   server ");
}

void Server(const Call& call)
{
    switch (kServerCommands.Run(call.argument, call.console, call.client)) {
    case CommandTable::Outcome::Empty: call.console.Print("Server must be followed by a sub-commmand."); break;
    case CommandTable::Outcome::Unknown: call.console.Print("Unrecognized server command."); break;
    case CommandTable::Outcome::Ran: break;
    }
}

} // namespace

bool CommandInterpreter::Execute(const char* line)
{
    if (!line || line[0] != '/')
        return false;
    Console& console = *Console::Instance();
    NetClient& client = *NetClient::Instance();

    // The text after the slash, copied from the tracking allocator; a line
    // it has no room for is not taken as a command.
    const std::size_t length = std::strlen(line + 1);
    TrackedBuffer copy(length + 2);
    if (copy.Empty())
        return false;
    std::memcpy(copy.Data(), line + 1, length);
    if (kClientCommands.Run(copy.Text(), console, client) == CommandTable::Outcome::Unknown)
        console.Print("Unrecognized command");
    return true;
}
