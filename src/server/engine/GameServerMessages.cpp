// What players send. Everything is checked before it is used: a payload
// that is not one well-formed message a player's program sends gets its
// sender dropped; the ship of a connection is the one it joined with, so
// the id inside a ControlMessage is never read.
#include "server/engine/GameServer.h"

#include <utility>

#include "base/AsciiLower.h"
#include "base/TextCopy.h"
#include "net/MapTransfer.h"
#include "net/NetMessage.h"
#include "net/PackedBatch.h"
#include "server/engine/ServerLog.h"
#include "server/game/PlayerText.h"

namespace {

bool SentByPlayers(int kind)
{
    switch (kind) {
    case kMsgText:
    case kMsgJoin:
    case kMsgMap:
    case kMsgControl:
    case kMsgHaltServer:
    case kMsgPing:
    case kMsgPong:
    case kMsgServerCommand:
    case kMsgWatch:
    case kMsgMapRequest: return true;
    default: return false;
    }
}

} // namespace

void GameServer::OnReceive(platform::PlayerId id, const std::uint8_t* data, std::size_t size)
{
    Connection* found = connections.Find(id);
    if (!found)
        return;
    Connection& connection = *found;
    const std::uint64_t now = game->Now();
    if (now - connection.countingSince >= 1000) {
        connection.countingSince = now;
        connection.payloads = 0;
    }
    if (++connection.payloads > kMostPayloadsPerSecond) {
        Drop(id, DropReason::Flood);
        return;
    }
    NetMessage message;
    if (size > kLargestMessage || !message.Parse(data, size) || !SentByPlayers(message.Kind()) ||
        static_cast<std::size_t>(message.WireSize()) != size) {
        Drop(id, DropReason::Garbage);
        return;
    }
    Handle(id, connection, message);
}

void GameServer::Answer(platform::PlayerId id, const NetMessage& message, platform::Delivery delivery)
{
    const auto bytes = PackedBatch::Pack({&message});
    session.SendTo(id, bytes.data(), bytes.size(), delivery);
    if (const Connection* connection = connections.Find(id); connection && connection->Joined())
        game->Charge(connection->slot, bytes.size(), 0);
}

void GameServer::Handle(platform::PlayerId id, Connection& connection, const NetMessage& message)
{
    if (message.Kind() == kMsgPing) {
        // Answered at once, so that the ping shows the network alone.
        std::uint32_t tick = 0;
        message.GetTick(tick);
        NetMessage pong;
        pong.SetPong(tick);
        Answer(id, pong, platform::Delivery::Any);
        return;
    }
    // A second join or watch, a watcher's claim of a ship among them, is
    // ignored: /join is the way to a seat.
    if (message.Kind() == kMsgJoin || message.Kind() == kMsgWatch) {
        if (!connection.Joined())
            message.Kind() == kMsgJoin ? Join(id, message) : Watch(id, message);
        return;
    }
    if (!connection.Joined())
        return;
    switch (message.Kind()) {
    case kMsgControl:
        // A watcher's keys fly nothing.
        if (connection.watching)
            break;
        game->Hold(connection.slot, HeldKeys::FromCodes(message.Codes(), message.CodeCount()));
        if (message.SnapshotAck())
            game->Acknowledge(connection.slot, message.SnapshotAck());
        connection.keysHeardAt = game->Now();
        break;
    case kMsgText: Chat(connection, message); break;
    case kMsgMap: RequestMap(id, connection, message); break;
    case kMsgHaltServer: RequestHalt(id, connection); break;
    case kMsgServerCommand: ServerCommand(id, connection, message); break;
    case kMsgMapRequest: RequestMapFile(id, connection, message); break;
    default: break; // a pong: the server sends no pings
    }
}

void GameServer::Join(platform::PlayerId id, const NetMessage& message)
{
    int reads = 0;
    int shipType = 0;
    char requested[kMaxNameLength + 1] = {};
    message.GetJoin(reads, shipType, requested, sizeof requested);
    const int slot = game->Join(watchers.FreeName(requested).c_str(), shipType);
    if (slot == HostedGame::kNobody) {
        Drop(id, DropReason::Full);
        return;
    }
    for (const HostedGame::Seat& seat : game->Seats()) {
        if (seat.slot != slot)
            continue;
        connections.Seat(id, slot, seat.name);
        log.Line("%s flies ship %d", connections.Describe(id).c_str(), seat.ship);
        break;
    }
    Connection* connection = connections.Find(id);
    connection->shipType = shipType;
    connection->watching = false;
    connection->reads = reads & PackedBatch::kReadsAll;
    CountSeats();
    lookout.PlayerConnected(AgonesPlayer(id));
}

void GameServer::Watch(platform::PlayerId id, const NetMessage& message)
{
    int reads = 0;
    int shipType = 0;
    char requested[kMaxNameLength + 1] = {};
    message.GetJoin(reads, shipType, requested, sizeof requested);
    if (Connection* connection = connections.Find(id))
        connection->reads = reads & PackedBatch::kReadsAll;
    if (!watchers.Admit(id, shipType, requested))
        Drop(id, DropReason::NoPlaceToWatch);
}

void GameServer::Moved(platform::PlayerId id, bool flying)
{
    const Connection* connection = connections.Find(id);
    if (connection && !connection->Joined()) {
        if (!flying)
            lookout.PlayerDisconnected(AgonesPlayer(id));
        Drop(id, flying ? DropReason::Full : DropReason::NoPlaceToWatch);
        return;
    }
    // Watchers are no players of the fleet's: the sidecar hears of pilots alone.
    if (flying)
        lookout.PlayerConnected(AgonesPlayer(id));
    else
        lookout.PlayerDisconnected(AgonesPlayer(id));
    CountSeats();
}

bool GameServer::Paced(const Connection& connection, Allowance& allowance, const char* slowDown)
{
    if (allowance.Take(game->Now()))
        return true;
    if (!std::exchange(allowance.told, true))
        game->Tell(connection.slot, slowDown);
    return false;
}

void GameServer::Chat(Connection& connection, const NetMessage& message)
{
    if (!Paced(connection, connection.chat, "You are chatting too fast, wait a moment."))
        return;
    char text[kTextBufferSize] = {};
    message.GetText(text, sizeof text);
    if (connection.watching)
        watchers.Chat(connection, text);
    else
        game->Chat(connection.slot, text);
}

void GameServer::RequestMap(platform::PlayerId id, Connection& connection, const NetMessage& message)
{
    char requested[kTextBufferSize] = {};
    message.GetMapName(requested, sizeof requested);
    if (Ask(id, connection, "map", requested) == CommandRegistry::Outcome::Refused)
        log.Line("ignoring a change to map \"%s\" from %s: not an admin",
                 Drawable(requested, kMaxLineLength).c_str(), connections.Describe(id).c_str());
}

void GameServer::RequestMapFile(platform::PlayerId id, Connection& connection, const NetMessage& message)
{
    if (const auto hash = MapTransfer::ReadRequest(message))
        uploads.Request(connection.slot, *hash);
    else
        Drop(id, DropReason::Garbage);
}

void GameServer::ServerCommand(platform::PlayerId id, Connection& connection, const NetMessage& message)
{
    if (!Paced(connection, connection.commands, "You are sending commands too fast, wait a moment."))
        return;
    char text[kTextBufferSize] = {};
    message.GetServerCommand(text, sizeof text);
    const std::string line = text;
    // Every admin's command is logged whole; a login by its name alone,
    // since what follows is a password.
    const Asker asker = admission.AskerOf(connection);
    const std::string name = CommandRegistry::NameIn(line);
    const std::string who = connections.Describe(id);
    if (asker == Asker::Admin && AsciiLower(name) != "login")
        log.Always("%s runs /server %s", who.c_str(), Drawable(line.c_str(), kMaxLineLength).c_str());
    if (commands.Registry().RunLine(line, asker, who, TellerOf(connection), id) == CommandRegistry::Outcome::Refused)
        log.Line("ignoring /server %s from %s: not an admin",
                 Drawable(name.c_str(), CommandRegistry::kShownName).c_str(), who.c_str());
    CountSeats();
}

void GameServer::RequestHalt(platform::PlayerId id, Connection& connection)
{
    if (Ask(id, connection, "halt", "") == CommandRegistry::Outcome::Refused)
        log.Line("ignoring a halt from %s: not an admin", connections.Describe(id).c_str());
}

CommandRegistry::Outcome GameServer::Ask(platform::PlayerId id, const Connection& connection, const char* command,
                                         const std::string& arguments)
{
    return commands.Registry().Run(command, arguments, admission.AskerOf(connection), connections.Describe(id),
                                   TellerOf(connection), id);
}

CommandRegistry::Reply GameServer::TellerOf(const Connection& connection)
{
    const int slot = connection.slot;
    return [this, slot](const std::string& line) { game->Tell(slot, ForConsole(line).c_str()); };
}
