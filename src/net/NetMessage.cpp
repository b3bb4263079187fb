#include "net/NetMessage.h"

#include <cstring>
#include <iterator>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"
#include "base/TextCopy.h"
#include "world/Flag.h"

namespace {

// Wire sizes by kind, without their text, codes or body; 0 for a kind
// this side does not know.
constexpr int kFixedSize[] = {0, 5, 13, 5, 1, 21, 5, 41, 5, 5, 47, 41, 22, 10, 9, 5, 5, 5, 5, 5, 9, 6, 9, 15, 7,
                              1, 1, 1, 0, 13, 13, 5, 10, 6};

bool IsKnown(int kind)
{
    return kind > 0 && kind < static_cast<int>(std::size(kFixedSize)) && kFixedSize[kind] != 0;
}

bool HasJoinLayout(int kind)
{
    return kind == kMsgJoin || kind == kMsgWatch || kind == kMsgWatching;
}

void CopyOut(const TrackedBuffer& text, char* buffer, int size)
{
    CopyText(buffer, size, text.Empty() ? nullptr : text.Text());
}

void WriteVector(ByteWriter& out, const Vector3& v)
{
    out.F32(static_cast<float>(v.x));
    out.F32(static_cast<float>(v.y));
    out.F32(static_cast<float>(v.z));
}

bool ReadVector(ByteReader& in, Vector3& v)
{
    float fx = 0.0f, fy = 0.0f, fz = 0.0f;
    if (!in.F32(fx) || !in.F32(fy) || !in.F32(fz))
        return false;
    v.Set(fx, fy, fz);
    return true;
}

// A ship's rounds, one byte each in the order of Ammunition.
bool ReadCounts(ByteReader& in, AmmunitionCounts<std::uint8_t>& counts)
{
    for (std::uint8_t& count : counts) {
        if (!in.U8(count))
            return false;
    }
    return true;
}

} // namespace

void NetMessage::Clear()
{
    kind = kMsgNone;
    text = TrackedBuffer();
    codes = TrackedBuffer();
    codeCount = 0;
    ack = 0;
    body = TrackedBuffer();
}

void NetMessage::Reset(int newKind)
{
    kind = newKind;
}

void NetMessage::SetIdOnly(int newKind, int newId)
{
    id = newId;
    kind = newKind;
}

void NetMessage::CopyText(const char* source)
{
    const std::size_t length = std::strlen(source);
    TrackedBuffer copy(length + 1);
    if (!copy.Empty())
        std::memcpy(copy.Data(), source, length);
    text = std::move(copy);
}

int NetMessage::TextLength() const
{
    return text.Empty() ? 0 : static_cast<int>(std::strlen(text.Text()));
}

void NetMessage::SetText(const char* line)
{
    if (!line)
        return;
    CopyText(line);
    kind = kMsgText;
}

void NetMessage::SetJoin(int shipId, int type, const char* name)
{
    if (!name)
        return;
    id = shipId;
    shipType = type;
    CopyText(name);
    kind = kMsgJoin;
}

void NetMessage::SetWatch(int type, const char* name, int reads)
{
    SetJoin(reads, type, name);
    if (kind == kMsgJoin)
        kind = kMsgWatch;
}

void NetMessage::SetWatching(int type, const char* name)
{
    SetJoin(0, type, name);
    if (kind == kMsgJoin)
        kind = kMsgWatching;
}

void NetMessage::SetMapName(const char* name)
{
    if (!name)
        return;
    CopyText(name);
    kind = kMsgMap;
}

void NetMessage::SetServerCommand(const char* line)
{
    if (!line)
        return;
    CopyText(line);
    kind = kMsgServerCommand;
}

void NetMessage::SetControl(int shipId, const std::int32_t* keyCodes, int count)
{
    if (!keyCodes || count <= 0)
        return;
    TrackedBuffer copy(static_cast<std::size_t>(count) * sizeof(std::int32_t));
    if (copy.Empty())
        return;
    std::memcpy(copy.Data(), keyCodes, static_cast<std::size_t>(count) * sizeof(std::int32_t));
    codes = std::move(copy);
    codeCount = count;
    ack = 0;
    id = shipId;
    kind = kMsgControl;
}

void NetMessage::SetBody(int bodyKind, const std::uint8_t* bytes, std::size_t size)
{
    TrackedBuffer copy(size);
    if (copy.Empty() || (size && !bytes))
        return;
    if (size)
        std::memcpy(copy.Data(), bytes, size);
    body = std::move(copy);
    kind = bodyKind;
}

void NetMessage::SetHalt(int argument)
{
    haltArgument = argument < 0 ? 0 : argument;
    kind = kMsgHaltServer;
}

void NetMessage::SetPing(std::uint32_t now)
{
    tick = now;
    kind = kMsgPing;
}

void NetMessage::SetPong(std::uint32_t echoed)
{
    tick = echoed;
    kind = kMsgPong;
}

void NetMessage::SetPlayerSpawn(int shipId, int spawnX, int spawnY, int type, const char* name)
{
    id = shipId;
    x = spawnX;
    y = spawnY;
    shipType = type;
    CopyText(name ? name : "");
    kind = kMsgPlayerSpawn;
}

void NetMessage::SetShipState(int shipId, std::uint8_t shipFlags, float shipFuel, float shipMaxFuel,
                              signed char shipScore, const AmmunitionCounts<std::uint8_t>& shipRounds,
                              const Vector3& at, const Vector3& moving, float facing)
{
    id = shipId;
    flags = shipFlags;
    fuel = shipFuel;
    maxFuel = shipMaxFuel;
    score = shipScore;
    rounds = shipRounds;
    position = at;
    velocity = moving;
    heading = facing;
    kind = kMsgShipState;
}

void NetMessage::SetEntityState(int entityId, int kindOfEntity, const Vector3& at, const Vector3& moving,
                                float facing, int variant)
{
    id = entityId;
    entityKind = kindOfEntity;
    position = at;
    velocity = moving;
    heading = facing;
    extra = variant;
    kind = kMsgEntityState;
}

void NetMessage::SetTurretState(int turretId, int facing, bool isAlive, const Vector3& at)
{
    id = turretId;
    direction = facing;
    turretAlive = isAlive ? 1 : 0;
    position = at;
    kind = kMsgTurretState;
}

void NetMessage::SetTileChange(int column, int row, std::uint8_t value)
{
    x = column;
    y = row;
    tileValue = value;
    kind = kMsgTileChange;
}

void NetMessage::SetRoundClock(int msLeft, int scoreLimit)
{
    x = msLeft;
    y = scoreLimit;
    kind = kMsgRoundClock;
}

void NetMessage::SetTeam(int shipId, std::uint8_t team)
{
    id = shipId;
    teamNumber = team;
    kind = kMsgTeam;
}

void NetMessage::SetTeamScores(int red, int blue)
{
    x = red;
    y = blue;
    kind = kMsgTeamScores;
}

void NetMessage::SetFlag(const Flag& flag)
{
    teamNumber = static_cast<std::uint8_t>(flag.team);
    flagWord = static_cast<std::uint8_t>(flag.place);
    id = flag.carrier;
    x = static_cast<int>(flag.at.x);
    y = static_cast<int>(flag.at.y);
    kind = kMsgFlag;
}

void NetMessage::SetFlagEvent(std::uint8_t event, std::uint8_t team, int by)
{
    flagWord = event;
    teamNumber = team;
    id = by;
    kind = kMsgFlagEvent;
}

void NetMessage::SetKilledBy(int victim, int killer, std::uint8_t cause)
{
    id = victim;
    x = killer;
    flagWord = cause;
    kind = kMsgKilledBy;
}

void NetMessage::SetSnapshot(std::uint16_t number, std::uint8_t back, std::uint16_t ms)
{
    id = number;
    x = back;
    y = ms;
    kind = kMsgSnapshot;
}

void NetMessage::GetText(char* buffer, int size) const
{
    if (kind == kMsgText && buffer && size > 0)
        CopyOut(text, buffer, size);
}

void NetMessage::GetMapName(char* buffer, int size) const
{
    if (kind == kMsgMap && buffer && size > 0)
        CopyOut(text, buffer, size);
}

void NetMessage::GetServerCommand(char* buffer, int size) const
{
    if (kind == kMsgServerCommand && buffer && size > 0)
        CopyOut(text, buffer, size);
}

void NetMessage::GetJoin(int& shipId, int& type, char* buffer, int size) const
{
    if (!HasJoinLayout(kind) || !buffer || size <= 0)
        return;
    shipId = id;
    type = shipType;
    CopyOut(text, buffer, size);
}

void NetMessage::GetPlayerSpawn(int& shipId, int& spawnX, int& spawnY, int& type, char* buffer, int size) const
{
    if (kind != kMsgPlayerSpawn || !buffer || size <= 0)
        return;
    shipId = id;
    spawnX = x;
    spawnY = y;
    type = shipType;
    CopyOut(text, buffer, size);
}

void NetMessage::GetShipState(int& shipId, std::uint8_t& shipFlags, float& shipFuel, float& shipMaxFuel,
                              signed char& shipScore, AmmunitionCounts<std::uint8_t>& shipRounds, Vector3& at,
                              Vector3& moving, float& facing) const
{
    if (kind != kMsgShipState)
        return;
    shipId = id;
    shipFlags = flags;
    shipFuel = fuel;
    shipMaxFuel = maxFuel;
    shipScore = score;
    shipRounds = rounds;
    at = position;
    moving = velocity;
    facing = heading;
}

void NetMessage::GetEntityState(int& entityId, int& kindOfEntity, Vector3& at, Vector3& moving, float& facing,
                                int& variant) const
{
    if (kind != kMsgEntityState)
        return;
    entityId = id;
    kindOfEntity = entityKind;
    at = position;
    moving = velocity;
    facing = heading;
    variant = extra;
}

void NetMessage::GetTurretState(int& turretId, int& facing, std::uint8_t& isAlive, Vector3& at) const
{
    if (kind != kMsgTurretState)
        return;
    turretId = id;
    facing = direction;
    isAlive = turretAlive;
    at = position;
}

void NetMessage::GetTileChange(int& column, int& row, std::uint8_t& value) const
{
    if (kind != kMsgTileChange)
        return;
    column = x;
    row = y;
    value = tileValue;
}

void NetMessage::GetRoundClock(int& msLeft, int& scoreLimit) const
{
    if (kind != kMsgRoundClock)
        return;
    msLeft = x;
    scoreLimit = y;
}

void NetMessage::GetTeam(int& shipId, std::uint8_t& team) const
{
    if (kind != kMsgTeam)
        return;
    shipId = id;
    team = teamNumber;
}

void NetMessage::GetTeamScores(int& red, int& blue) const
{
    if (kind != kMsgTeamScores)
        return;
    red = x;
    blue = y;
}

void NetMessage::GetFlag(std::uint8_t& team, std::uint8_t& place, int& carrier, int& atX, int& atY) const
{
    if (kind != kMsgFlag)
        return;
    team = teamNumber;
    place = flagWord;
    carrier = id;
    atX = x;
    atY = y;
}

void NetMessage::GetFlagEvent(std::uint8_t& event, std::uint8_t& team, int& by) const
{
    if (kind != kMsgFlagEvent)
        return;
    event = flagWord;
    team = teamNumber;
    by = id;
}

void NetMessage::GetSnapshot(std::uint16_t& number, std::uint8_t& back, std::uint16_t& ms) const
{
    if (kind != kMsgSnapshot)
        return;
    number = static_cast<std::uint16_t>(id);
    back = static_cast<std::uint8_t>(x);
    ms = static_cast<std::uint16_t>(y);
}

void NetMessage::GetKilledBy(int& victim, int& killer, std::uint8_t& cause) const
{
    if (kind != kMsgKilledBy)
        return;
    victim = id;
    killer = x;
    cause = flagWord;
}

int NetMessage::WireSize() const
{
    if (!IsKnown(kind))
        return 0;
    switch (kind) {
    case kMsgText:
    case kMsgMap:
    case kMsgServerCommand:
    case kMsgJoin:
    case kMsgWatch:
    case kMsgWatching:
    case kMsgPlayerSpawn: return kFixedSize[kind] + TextLength();
    case kMsgControl: return kFixedSize[kind] + 4 * codeCount + (ack ? 2 : 0);
    case kMsgMapOffer:
    case kMsgMapRequest:
    case kMsgMapPiece: return kFixedSize[kind] + static_cast<int>(body.Size());
    default: return kFixedSize[kind];
    }
}

void NetMessage::WriteShipState(ByteWriter& out) const
{
    out.I32(id);
    out.U8(flags);
    out.F32(fuel);
    out.F32(maxFuel);
    out.U8(static_cast<std::uint8_t>(score));
    for (const std::uint8_t count : rounds)
        out.U8(count);
    WriteVector(out, position);
    WriteVector(out, velocity);
    out.F32(heading);
}

void NetMessage::WriteFlag(ByteWriter& out) const
{
    if (kind == kMsgFlagEvent) {
        out.U8(flagWord);
        out.U8(teamNumber);
        out.I32(id);
        return;
    }
    out.U8(teamNumber);
    out.U8(flagWord);
    out.I32(id);
    out.I32(x);
    out.I32(y);
}

void NetMessage::Serialize(std::uint8_t* buffer, int size) const
{
    if (!buffer || size <= 0)
        return;
    std::memset(buffer, 0, static_cast<std::size_t>(size));
    ByteWriter out(buffer, static_cast<std::size_t>(size));
    out.U8(static_cast<std::uint8_t>(kind));
    const auto writeText = [&] {
        const int length = TextLength();
        out.U32(static_cast<std::uint32_t>(length));
        if (length)
            out.Bytes(text.Data(), static_cast<std::size_t>(length));
    };
    switch (kind) {
    case kMsgText:
    case kMsgMap:
    case kMsgServerCommand: writeText(); break;
    case kMsgJoin:
    case kMsgWatch:
    case kMsgWatching:
        out.I32(id);
        out.I32(shipType);
        writeText();
        break;
    case kMsgPlayerSpawn:
        out.I32(id);
        out.I32(x);
        out.I32(y);
        out.I32(shipType);
        writeText();
        break;
    case kMsgPlayerLeft:
    case kMsgShipKilled:
    case kMsgEntityKilled:
    case kMsgOwnShot:
    case kMsgWatchers: out.I32(id); break;
    case kMsgEntityReport:
    case kMsgEntityState:
        out.I32(id);
        out.I32(entityKind);
        out.I32(extra);
        WriteVector(out, position);
        WriteVector(out, velocity);
        out.F32(heading);
        break;
    case kMsgShipState: WriteShipState(out); break;
    case kMsgTurretState:
        out.I32(id);
        out.U8(turretAlive);
        out.I32(direction);
        WriteVector(out, position);
        break;
    case kMsgTileChange:
        out.I32(x);
        out.I32(y);
        out.U8(tileValue);
        break;
    case kMsgControl:
        out.I32(id);
        out.I32(codeCount);
        for (int i = 0; i < codeCount; ++i)
            out.I32(Codes()[i]);
        if (ack)
            out.U16(ack);
        break;
    case kMsgHaltServer: out.I32(haltArgument); break;
    case kMsgTeam:
        out.I32(id);
        out.U8(teamNumber);
        break;
    case kMsgRoundClock:
    case kMsgTeamScores:
        out.I32(x);
        out.I32(y);
        break;
    case kMsgFlag:
    case kMsgFlagEvent: WriteFlag(out); break;
    case kMsgKilledBy:
        out.I32(id);
        out.I32(x);
        out.U8(flagWord);
        break;
    case kMsgSnapshot:
        out.U16(static_cast<std::uint16_t>(id));
        out.U8(static_cast<std::uint8_t>(x));
        out.U16(static_cast<std::uint16_t>(y));
        break;
    case kMsgPing:
    case kMsgPong: out.U32(tick); break;
    case kMsgMapOffer:
    case kMsgMapRequest:
    case kMsgMapPiece: out.Bytes(body.Data(), body.Size()); break;
    default: break;
    }
}

bool NetMessage::Parse(const std::uint8_t* bytes, std::size_t size)
{
    if (!bytes || size == 0) {
        Clear();
        return false;
    }
    return Parse(bytes[0], bytes + 1, size - 1);
}

bool NetMessage::Parse(std::uint8_t kindByte, const std::uint8_t* rest, std::size_t size)
{
    Clear();
    ByteReader in(rest, size);
    kind = static_cast<signed char>(kindByte);
    if (!IsKnown(kind))
        return true;

    // A text field: its length must be backed by the bytes that follow.
    const auto readText = [&] {
        std::uint32_t length = 0;
        if (!in.U32(length) || length > in.Remaining())
            return false;
        TrackedBuffer copy(static_cast<std::size_t>(length) + 1);
        if (copy.Empty())
            return false;
        std::memcpy(copy.Data(), in.Bytes(length), length);
        text = std::move(copy);
        return true;
    };
    bool ok = true;
    switch (kind) {
    case kMsgText:
    case kMsgMap:
    case kMsgServerCommand: ok = readText(); break;
    case kMsgJoin:
    case kMsgWatch:
    case kMsgWatching: ok = in.I32(id) && in.I32(shipType) && readText(); break;
    case kMsgPlayerSpawn: ok = in.I32(id) && in.I32(x) && in.I32(y) && in.I32(shipType) && readText(); break;
    case kMsgPlayerLeft:
    case kMsgShipKilled:
    case kMsgEntityKilled:
    case kMsgOwnShot:
    case kMsgWatchers: ok = in.I32(id); break;
    case kMsgEntityReport:
    case kMsgEntityState:
        ok = in.I32(id) && in.I32(entityKind) && in.I32(extra) && ReadVector(in, position) &&
             ReadVector(in, velocity) && in.F32(heading);
        break;
    case kMsgShipState: {
        std::uint8_t rawScore = 0;
        ok = in.I32(id) && in.U8(flags) && in.F32(fuel) && in.F32(maxFuel) && in.U8(rawScore) &&
             ReadCounts(in, rounds) && ReadVector(in, position) && ReadVector(in, velocity) && in.F32(heading);
        score = static_cast<signed char>(rawScore);
        break;
    }
    case kMsgTurretState:
        ok = in.I32(id) && in.U8(turretAlive) && in.I32(direction) && ReadVector(in, position);
        break;
    case kMsgTileChange: ok = in.I32(x) && in.I32(y) && in.U8(tileValue); break;
    case kMsgControl: {
        std::int32_t count = 0;
        ok = in.I32(id) && in.I32(count) && count >= 0 && static_cast<std::size_t>(count) <= in.Remaining() / 4;
        if (ok && count > 0) {
            TrackedBuffer copy(static_cast<std::size_t>(count) * 4);
            ok = !copy.Empty();
            for (std::int32_t i = 0; ok && i < count; ++i) {
                std::int32_t code = 0;
                in.I32(code);
                std::memcpy(copy.Data() + static_cast<std::size_t>(i) * 4, &code, 4);
            }
            if (ok) {
                codes = std::move(copy);
                codeCount = count;
            }
        }
        // A player that applies snapshots says which, after the codes.
        if (ok && in.Remaining() == 2)
            in.U16(ack);
        break;
    }
    case kMsgHaltServer: ok = in.I32(haltArgument); break;
    case kMsgTeam: ok = in.I32(id) && in.U8(teamNumber); break;
    case kMsgRoundClock:
    case kMsgTeamScores: ok = in.I32(x) && in.I32(y); break;
    case kMsgFlag: ok = in.U8(teamNumber) && in.U8(flagWord) && in.I32(id) && in.I32(x) && in.I32(y); break;
    case kMsgFlagEvent: ok = in.U8(flagWord) && in.U8(teamNumber) && in.I32(id); break;
    case kMsgKilledBy: ok = in.I32(id) && in.I32(x) && in.U8(flagWord); break;
    case kMsgSnapshot: {
        std::uint16_t number = 0, ms = 0;
        std::uint8_t back = 0;
        ok = in.U16(number) && in.U8(back) && in.U16(ms);
        SetSnapshot(number, back, ms);
        break;
    }
    case kMsgPing:
    case kMsgPong: ok = in.U32(tick); break;
    case kMsgMapOffer:
    case kMsgMapRequest:
    case kMsgMapPiece: SetBody(kind, rest, size); ok = !body.Empty(); break;
    default: break;
    }
    // A message shorter than its kind needs is no message at all.
    if (!ok)
        Clear();
    return ok;
}
