// What players send. Everything is checked before it is used: a payload
// that is not one well-formed message a player's program sends gets its
// sender dropped; the ship of a connection is the one it joined with, so
// the id inside a ControlMessage is never read.
#include "server/GameServer.h"

#include "base/TextCopy.h"
#include "net/MessageBatch.h"
#include "net/NetMessage.h"
#include "platform/Clock.h"
#include "server/PlayerText.h"
#include "server/ServerLog.h"
#include "world/Ship.h"
#include "world/Turret.h"

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
    case kMsgPong: return true;
    default: return false;
    }
}

} // namespace

void GameServer::OnReceive(platform::PlayerId id, const std::uint8_t* data, std::size_t size)
{
    const auto found = connections.find(id);
    if (found == connections.end())
        return;
    Connection& connection = found->second;
    const std::uint32_t now = platform::TickCount();
    if (now - connection.countingSince >= 1000) {
        connection.countingSince = now;
        connection.payloads = 0;
    }
    if (++connection.payloads > kMostPayloadsPerSecond) {
        Drop(id, "floods the server");
        return;
    }
    NetMessage message;
    if (size > kLargestMessage || !message.Parse(data, size) || !SentByPlayers(message.Kind()) ||
        static_cast<std::size_t>(message.WireSize()) != size) {
        Drop(id, "sent something that is not a message");
        return;
    }
    Handle(id, connection, message);
}

void GameServer::Answer(platform::PlayerId id, const NetMessage& message)
{
    const auto bytes = MessageBatch::Frame({&message});
    session.SendTo(id, bytes.data(), bytes.size(), false);
}

void GameServer::Handle(platform::PlayerId id, Connection& connection, const NetMessage& message)
{
    if (message.Kind() == kMsgPing) {
        // Answered at once, so that the ping shows the network alone.
        std::uint32_t tick = 0;
        message.GetTick(tick);
        NetMessage pong;
        pong.SetPong(tick);
        Answer(id, pong);
        return;
    }
    if (message.Kind() == kMsgJoin) {
        if (!connection.player)
            Join(id, connection, message);
        return;
    }
    if (!connection.player)
        return;
    switch (message.Kind()) {
    case kMsgControl:
        connection.player->Hold(HeldKeys::FromCodes(message.Codes(), message.CodeCount()));
        connection.keysHeardAt = platform::TickCount();
        break;
    case kMsgText: Chat(connection, message); break;
    case kMsgMap: RequestMap(id, connection, message); break;
    case kMsgHaltServer: RequestHalt(id, connection); break;
    default: break; // a pong: the server sends no pings
    }
}

void GameServer::Join(platform::PlayerId id, Connection& connection, const NetMessage& message)
{
    int ignoredId = 0;
    int shipType = 0;
    char requested[kMaxNameLength + 1] = {};
    message.GetJoin(ignoredId, shipType, requested, sizeof requested);
    const std::string name = UniqueName(CleanName(requested), [this](const std::string& candidate) {
        for (const auto& player : simulation.Players()) {
            if (candidate == player->Name())
                return true;
        }
        return false;
    });
    if (People() + crew.Count() >= options.maxPlayers)
        RetireRobot();
    Player* player = simulation.AddPlayer(name, shipType);
    if (!player) {
        Drop(id, "the game is full");
        return;
    }
    connection.player = player;
    bySlot[player->Slot()] = id;
    reporter.AddShip(player->Slot(), &player->GetShip(), true);
    Welcome(*player);
    reporter.ShipNow(player->Slot());
    announcer.Notice("%s joined the game", player->Name());
    CountSeats();
    log.Line("%s flies ship %d", Describe(id).c_str(), player->ShipId());
}

// Everything a newcomer's program needs to show the game as it is: its
// ship's id first, then the map (which clears its world), every player,
// the guns, the fuel blocks that are not full and what is in sight.
void GameServer::Welcome(const Player& player)
{
    const int slot = player.Slot();
    reporter.To(slot).SetJoin(player.ShipId(), player.GetShip().GetShipType(), player.Name());
    reporter.To(slot).SetMapName(simulation.MapName().c_str());
    for (const auto& other : simulation.Players()) {
        const Ship& ship = other->GetShip();
        reporter.To(slot).SetPlayerSpawn(ship.GetId(), static_cast<int>(ship.Position().x),
                                         static_cast<int>(ship.Position().y), ship.GetShipType(), other->Name());
        if (!ship.IsAlive())
            reporter.To(slot).SetShipKilled(ship.GetId());
    }
    reporter.ShipsTo(slot);
    for (const Turret* turret : simulation.Turrets())
        reporter.To(slot).SetTurretState(turret->GetId(), turret->GetDirection(), turret->IsAlive(),
                                         turret->Position());
    for (const FuelDepots::Change& block : simulation.Depots().DifferencesFromFile())
        reporter.To(slot).SetTileChange(block.column, block.row, block.value);
    reporter.EntitiesInView(slot);
    if (simulation.IsRoundOver())
        reporter.To(slot).SetRoundOver();
}

void GameServer::Chat(Connection& connection, const NetMessage& message)
{
    const std::uint32_t now = platform::TickCount();
    connection.chatAllowance = std::min(
        kChatBurst, connection.chatAllowance + static_cast<double>(now - connection.lastChat) / kChatIntervalMs);
    connection.lastChat = now;
    if (connection.chatAllowance < 1.0) {
        if (!connection.toldToWait)
            reporter.To(connection.player->Slot()).SetText("You are chatting too fast; wait a moment.");
        connection.toldToWait = true;
        return;
    }
    connection.chatAllowance -= 1.0;
    connection.toldToWait = false;
    char text[kTextBufferSize] = {};
    message.GetText(text, sizeof text);
    const std::string line = ChatLine(connection.player->Name(), text);
    if (line.empty())
        return;
    reporter.ToAll().SetText(line.c_str());
    log.Line("chat: %s", line.c_str());
}

void GameServer::RequestMap(platform::PlayerId id, Connection& connection, const NetMessage& message)
{
    char requested[kTextBufferSize] = {};
    message.GetMapName(requested, sizeof requested);
    if (Ask(id, connection, "map", requested) == CommandRegistry::Outcome::Refused)
        log.Line("ignoring a change to map \"%s\" from %s: not on this machine",
                 Drawable(requested, kMaxLineLength).c_str(), Describe(id).c_str());
}

void GameServer::RequestHalt(platform::PlayerId id, Connection& connection)
{
    if (Ask(id, connection, "halt", "") == CommandRegistry::Outcome::Refused)
        log.Line("ignoring a halt from %s: not on this machine", Describe(id).c_str());
}
