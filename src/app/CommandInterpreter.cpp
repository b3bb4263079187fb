#include "app/CommandInterpreter.h"

#include <strings.h>

#include <cstring>
#include <string>

#include "app/AppState.h"
#include "app/BindingCommands.h"
#include "app/Settings.h"
#include "base/Console.h"
#include "base/TrackedBuffer.h"
#include "net/NetClient.h"
#include "net/NetMessage.h"
#include "world/Ship.h"
#include "world/World.h"

namespace {

// The next word of text from *cursor, skipping leading delimiters; null at
// the end. The delimiter that ends the word is replaced by a zero and the
// cursor left after it.
char* NextWord(char** cursor, const char* delimiters)
{
    char* start = *cursor + std::strspn(*cursor, delimiters);
    if (!*start) {
        *cursor = start;
        return nullptr;
    }
    char* end = start + std::strcspn(start, delimiters);
    *cursor = *end ? end + 1 : end;
    *end = '\0';
    return start;
}

bool Is(const char* word, const char* command)
{
    return ::strcasecmp(word, command) == 0;
}

void Help(Console* console)
{
    for (const char* line : {"Client Commands:", "   name <your name>", "   clear", "   find servers",
                             "   connect <server name>", "   disconnect", "   exit", "   help", "", "Server Commands:",
                             "   server halt", ""})
        console->Print("%s", line);
}

// Sub-commands that the server's own commands answer, in this console; the
// line goes as typed after the sub-command's name.
constexpr const char* kServerCommands[] = {"login", "kick", "ban",    "unban",  "bans",       "bots",
                                           "next",  "say",  "status", "help", "reload-bans"};

bool IsServerCommand(const char* word)
{
    for (const char* name : kServerCommands) {
        if (Is(word, name))
            return true;
    }
    return false;
}

void SendServerCommand(Console* console, NetClient* client, const char* name, const char* rest)
{
    if (!client->IsConnected()) {
        console->Print("Not connected to a server.");
        return;
    }
    std::string line = name;
    if (*rest)
        line += std::string(" ") + rest;
    NetMessage command;
    command.SetServerCommand(line.c_str());
    client->Send(command);
}

void Server(Console* console, NetClient* client, char* rest)
{
    const char* sub = NextWord(&rest, " =");
    if (!sub) {
        console->Print("Server must be followed by a sub-commmand.");
    } else if (Is(sub, "halt")) {
        NetMessage halt;
        halt.SetHalt(0);
        client->Send(halt);
        console->Print("Attempting to shutdown server...");
    } else if (Is(sub, "map")) {
        const char* map = NextWord(&rest, " ");
        if (!map)
            return;
        console->Print("Requesting server change to map \"%s\"", map);
        NetMessage request;
        request.SetMapName(map);
        client->Send(request);
    } else if (IsServerCommand(sub)) {
        SendServerCommand(console, client, sub, rest);
    } else {
        console->Print("Unrecognized server command.");
    }
}

// The own ship turning ahead of the server, or exactly as reported.
void Predict(Console* console, NetClient* client, const char* word)
{
    if (word && (Is(word, "on") || Is(word, "off"))) {
        g_predictOwnShip = Is(word, "on");
        client->Prediction().SetEnabled(g_predictOwnShip);
    } else if (word) {
        console->Print("Predict takes on or off.");
        return;
    }
    console->Print("Prediction is %s.", g_predictOwnShip ? "on" : "off");
}

// Whether games are recorded into the demos folder, kept in the settings.
void Record(Console* console, const char* word)
{
    if (word && (Is(word, "on") || Is(word, "off"))) {
        const int on = Is(word, "on") ? 1 : 0;
        if (on && !g_settings.RecordDemos && g_appState == AppState::InGame)
            console->Print("Recording starts with the next game.");
        g_settings.RecordDemos = on;
        WriteControlSettings(g_settings);
    } else if (word) {
        console->Print("Record takes on or off.");
        return;
    }
    console->Print("Recording is %s.", g_settings.RecordDemos ? "on" : "off");
}

} // namespace

bool CommandInterpreter::Execute(const char* line)
{
    if (!line || line[0] != '/')
        return false;
    Console* console = Console::Instance();
    NetClient* client = NetClient::Instance();

    // The text after the slash, with room for the words to be cut apart.
    const std::size_t length = std::strlen(line + 1);
    TrackedBuffer copy(length + 2);
    if (copy.Empty())
        return false;
    std::memcpy(copy.Data(), line + 1, length);

    char* rest = copy.Text();
    const char* command = NextWord(&rest, " =");
    if (!command)
        return true;
    if (Is(command, "help")) {
        Help(console);
    } else if (Is(command, "name")) {
        // Everything after the one delimiter that ended the word.
        World* world = client->GetWorld();
        if (Ship* local = world ? world->FirstShip() : nullptr)
            local->SetName(rest);
        console->Print("Player name set to %s, long live %s!", rest, rest);
        console->Print("(note: If you're currently logged into a server this");
        console->Print("       won't take effect until you log out and log");
        console->Print("       back in.)");
    } else if (Is(command, "clear")) {
        console->Clear();
    } else if (Is(command, "find")) {
        console->Print("Searching the network for servers, please wait...");
        client->EnumHosts();
        client->ListHosts();
    } else if (Is(command, "list")) {
        client->ListHosts();
    } else if (Is(command, "connect")) {
        console->Print("Attempting to connect to \"%s\"...", rest);
        client->SelectHost(rest);
        client->Connect();
    } else if (Is(command, "disconnect") || Is(command, "exit")) {
        console->Print("Not implemented yet, try again later.");
    } else if (Is(command, "bind")) {
        BindCommand(console, rest);
    } else if (Is(command, "unbind")) {
        UnbindCommand(console, rest);
    } else if (Is(command, "predict")) {
        Predict(console, client, NextWord(&rest, " "));
    } else if (Is(command, "record")) {
        Record(console, NextWord(&rest, " "));
    } else if (Is(command, "server")) {
        Server(console, client, rest);
    } else {
        console->Print("Unrecognized command");
    }
    return true;
}
