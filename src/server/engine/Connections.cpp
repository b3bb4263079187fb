#include "server/engine/Connections.h"

#include <algorithm>

#include "server/engine/DottedAddress.h"

bool Allowance::Take(std::uint64_t now)
{
    left = std::min(kBurst, left + static_cast<double>(now - at) / kIntervalMs);
    at = now;
    if (left < 1.0)
        return false;
    left -= 1.0;
    told = false;
    return true;
}

Connection& Connections::Open(platform::PlayerId id, std::uint32_t address, std::uint64_t now)
{
    Connection& connection = open[id];
    connection.address = address;
    connection.connectedAt = now;
    connection.countingSince = now;
    return connection;
}

void Connections::Seat(platform::PlayerId id, int slot, const std::string& name)
{
    Connection& connection = open.at(id);
    connection.slot = slot;
    connection.name = name;
    bySlot[slot] = id;
}

void Connections::Unseat(platform::PlayerId id)
{
    Connection& connection = open.at(id);
    bySlot.erase(connection.slot);
    connection.slot = HostedGame::kNobody;
}

int Connections::Close(platform::PlayerId id)
{
    const auto found = open.find(id);
    if (found == open.end())
        return HostedGame::kNobody;
    const int slot = found->second.slot;
    open.erase(found);
    bySlot.erase(slot);
    return slot;
}

Connection* Connections::Find(platform::PlayerId id)
{
    const auto found = open.find(id);
    return found == open.end() ? nullptr : &found->second;
}

const Connection* Connections::Find(platform::PlayerId id) const
{
    const auto found = open.find(id);
    return found == open.end() ? nullptr : &found->second;
}

bool Connections::AtSlot(int slot, platform::PlayerId& id) const
{
    const auto found = bySlot.find(slot);
    if (found == bySlot.end())
        return false;
    id = found->second;
    return true;
}

int Connections::WaitingFrom(std::uint32_t address) const
{
    return static_cast<int>(std::count_if(open.begin(), open.end(), [&](const auto& entry) {
        return !entry.second.Joined() && entry.second.address == address;
    }));
}

std::string Connections::Describe(platform::PlayerId id) const
{
    const Connection* connection = Find(id);
    const std::string number = "player " + std::to_string(id);
    const std::string at = " at " + DottedAddress(connection ? connection->address : 0);
    return connection && connection->Joined() ? "\"" + connection->name + "\" (" + number + ")" + at : number + at;
}
