#pragma once

#include <cstddef>
#include <cstdint>

#include "base/TrackedBuffer.h"
#include "world/Ammunition.h"
#include "world/Vector3.h"

class ByteWriter;
struct Flag;

// Message kinds, the first byte of every message on the wire.
enum MessageKind : int {
    kMsgNone = 0,
    kMsgText = 1,
    kMsgJoin = 2,
    kMsgMap = 3,
    kMsgRoundOver = 4,
    kMsgPlayerSpawn = 5,
    kMsgPlayerLeft = 6,
    kMsgEntityReport = 7,
    kMsgShipKilled = 8,
    kMsgEntityKilled = 9,
    kMsgShipState = 10,
    kMsgEntityState = 11,
    kMsgTurretState = 12,
    kMsgTileChange = 13,
    kMsgControl = 14,
    kMsgHaltServer = 15,
    kMsgPing = 16,
    kMsgPong = 17,
    // The entity of the next state is a shot the receiver's own keys
    // fired: its program may have drawn it already.
    kMsgOwnShot = 18,
    // A line for the server's commands ("kick Bob"), typed after /server.
    kMsgServerCommand = 19,
    // The round's time left and score limit, as a round starts or a
    // player joins.
    kMsgRoundClock = 20,
    // In a team game only: a ship's side, and the teams' scores.
    kMsgTeam = 21,
    kMsgTeamScores = 22,
    // In capture the flag only: where a team's flag is, and what just
    // happened to one.
    kMsgFlag = 23,
    kMsgFlagEvent = 24,
    // A round's map file and radar picture, for a player who lacks them:
    // what they are, the player's request, and a piece of either.
    kMsgMapOffer = 25,
    kMsgMapRequest = 26,
    kMsgMapPiece = 27,
    // A watcher without a ship: its request (the join's layout, instead of
    // a join), the server's reply, and how many watch.
    kMsgWatch = 29,
    kMsgWatching = 30,
    kMsgWatchers = 31,
    // Right after a ShipKilled: the ship that killed it, 0 for none, and
    // how it died, a DeathCause's number.
    kMsgKilledBy = 32,
    // Before a payload's ship states: their snapshot's number, and the one
    // its deltas are from.
    kMsgSnapshot = 33,
};

// One message between the game server and a player: a tagged record with
// a packed little-endian wire form of its own size per kind.
class NetMessage {
public:
    NetMessage() = default;
    ~NetMessage() { Clear(); }
    NetMessage(const NetMessage&) = delete;
    NetMessage& operator=(const NetMessage&) = delete;

    void Clear();
    int Kind() const { return kind; }

    void SetText(const char* line);
    void SetJoin(int shipId, int type, const char* name);
    void SetMapName(const char* name);
    void SetControl(int shipId, const std::int32_t* keyCodes, int count);
    // A control's optional last field: the newest snapshot the player
    // applied, 1..65535; 0 for none, and the field left out.
    void SetSnapshotAck(std::uint16_t snapshot) { ack = kind == kMsgControl ? snapshot : 0; }
    std::uint16_t SnapshotAck() const { return kind == kMsgControl ? ack : 0; }
    void SetHalt(int argument);
    void SetPing(std::uint32_t now);
    void SetPong(std::uint32_t echoed);
    void SetServerCommand(const char* line);
    // As SetJoin, for one who watches without a ship; what its program
    // reads (PackedBatch::kReadsDeltaRuns) goes in the id.
    void SetWatch(int type, const char* name, int reads = 0);

    // Builders the server side uses.
    void SetRoundOver() { Reset(kMsgRoundOver); }
    void SetPlayerSpawn(int shipId, int spawnX, int spawnY, int type, const char* name);
    void SetPlayerLeft(int shipId) { SetIdOnly(kMsgPlayerLeft, shipId); }
    void SetShipKilled(int shipId) { SetIdOnly(kMsgShipKilled, shipId); }
    void SetEntityKilled(int entityId) { SetIdOnly(kMsgEntityKilled, entityId); }
    void SetOwnShot(int entityId) { SetIdOnly(kMsgOwnShot, entityId); }
    void SetShipState(int shipId, std::uint8_t shipFlags, float shipFuel, float shipMaxFuel, signed char shipScore,
                      const AmmunitionCounts<std::uint8_t>& shipRounds, const Vector3& at, const Vector3& moving,
                      float facing);
    void SetEntityState(int entityId, int kindOfEntity, const Vector3& at, const Vector3& moving, float facing,
                        int variant);
    void SetTurretState(int turretId, int facing, bool isAlive, const Vector3& at);
    void SetTileChange(int column, int row, std::uint8_t value);
    // msLeft -1: the round has no time limit.
    void SetRoundClock(int msLeft, int scoreLimit);
    // team: a Team's wire number.
    void SetTeam(int shipId, std::uint8_t team);
    void SetTeamScores(int red, int blue);
    // Where it lies goes in whole units: its base when home, its carrier's
    // place when carried.
    void SetFlag(const Flag& flag);
    // event: a FlagEvent's wire number; by: the ship that did it, 0 for none.
    void SetFlagEvent(std::uint8_t event, std::uint8_t team, int by);
    void SetWatching(int type, const char* name);
    void SetWatchers(int count) { SetIdOnly(kMsgWatchers, count); }
    void SetKilledBy(int victim, int killer, std::uint8_t cause);
    // back: how many snapshots before this one its base is; 0 for none.
    // ms: the server's clock as it was made, in ms, wrapping.
    void SetSnapshot(std::uint16_t number, std::uint8_t back, std::uint16_t ms);

    // The map transfer's kinds carry their fields as one block, which
    // MapTransfer writes and reads.
    void SetBody(int bodyKind, const std::uint8_t* bytes, std::size_t size);
    const TrackedBuffer& Body() const { return body; }

    // Readers: each copies out only for its kind (or as noted), with every
    // output present and text buffers of at least one byte.
    void GetText(char* buffer, int size) const;
    void GetMapName(char* buffer, int size) const;
    void GetServerCommand(char* buffer, int size) const;
    // Also for a watch request and its reply, which share the layout.
    void GetJoin(int& shipId, int& type, char* buffer, int size) const;
    void GetPlayerSpawn(int& shipId, int& spawnX, int& spawnY, int& type, char* buffer, int size) const;
    void GetId(int& out) const { out = id; }
    void GetShipState(int& shipId, std::uint8_t& shipFlags, float& shipFuel, float& shipMaxFuel,
                      signed char& shipScore, AmmunitionCounts<std::uint8_t>& shipRounds, Vector3& at,
                      Vector3& moving, float& facing) const;
    void GetEntityState(int& entityId, int& kindOfEntity, Vector3& at, Vector3& moving, float& facing,
                        int& variant) const;
    void GetTurretState(int& turretId, int& facing, std::uint8_t& isAlive, Vector3& at) const;
    void GetTileChange(int& column, int& row, std::uint8_t& value) const;
    void GetRoundClock(int& msLeft, int& scoreLimit) const;
    void GetTeam(int& shipId, std::uint8_t& team) const;
    void GetTeamScores(int& red, int& blue) const;
    // team: a Team's wire number; place: a FlagPlace's; carrier: the ship
    // carrying it, 0 unless carried.
    void GetFlag(std::uint8_t& team, std::uint8_t& place, int& carrier, int& atX, int& atY) const;
    void GetFlagEvent(std::uint8_t& event, std::uint8_t& team, int& by) const;
    void GetKilledBy(int& victim, int& killer, std::uint8_t& cause) const;
    void GetSnapshot(std::uint16_t& number, std::uint8_t& back, std::uint16_t& ms) const;
    void GetTick(std::uint32_t& out) const { out = tick; }
    int CodeCount() const { return codeCount; }
    const std::int32_t* Codes() const { return reinterpret_cast<const std::int32_t*>(codes.Data()); }
    int HaltArgument() const { return haltArgument; }

    // Bytes of the wire form of the current kind; 0 for no known kind.
    int WireSize() const;
    void Serialize(std::uint8_t* buffer, int size) const;
    // Reads one message; fields that the bytes do not hold stay empty.
    // False when the bytes are shorter than the kind needs.
    bool Parse(const std::uint8_t* bytes, std::size_t size);
    // The same with the kind byte apart from the bytes after it, as a
    // packed record holds them.
    bool Parse(std::uint8_t kindByte, const std::uint8_t* rest, std::size_t size);

private:
    void Reset(int newKind);
    void SetIdOnly(int newKind, int newId);
    void WriteShipState(ByteWriter& out) const;
    void WriteFlag(ByteWriter& out) const;
    void CopyText(const char* source);
    int TextLength() const;

    int kind = kMsgNone;
    TrackedBuffer text;
    int id = 0;
    int shipType = 0;
    int x = 0;
    int y = 0;
    std::uint8_t tileValue = 0;
    int haltArgument = 0;
    std::uint32_t tick = 0;
    float fuel = 0.0f;
    float maxFuel = 0.0f;
    signed char score = 0;
    std::uint8_t flags = 0;
    std::uint8_t teamNumber = 0;
    std::uint8_t flagWord = 0; // a flag's place or event, a death's cause
    float heading = 0.0f;
    int extra = 0;
    AmmunitionCounts<std::uint8_t> rounds {};
    std::uint8_t turretAlive = 0;
    int direction = 0;
    Vector3 position;
    Vector3 velocity;
    TrackedBuffer codes;
    int codeCount = 0;
    std::uint16_t ack = 0;
    TrackedBuffer body;
    int entityKind = 0;
};
