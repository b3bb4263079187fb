#include <memory>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "net/MessageBatch.h"
#include "net/NetClient.h"
#include "world/Map.h"
#include "world/Ship.h"
#include "world/World.h"

// A payload from a hostile server applied to a running world, then a
// frame of motion: nothing crashes, hangs or reads past the bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::unique_ptr<World> world = [] {
        auto w = std::make_unique<World>();
        w->AddShip(std::make_unique<Ship>());
        NetClient::Instance()->SetWorld(w.get());
        return w;
    }();
    if (!world->GetMap()) {
        // A 4 x 4 room named "R", a wall and a fuel block in its first column.
        std::vector<std::uint8_t> room = {1, 0, 0, 0, 'R', 4, 0, 0, 0, 4, 0, 0, 0, 1, 0, 6, 0};
        room.resize(room.size() + 28, 0);
        auto map = std::make_unique<Map>();
        map->LoadFromBytes(room.data(), room.size());
        world->SetMap(std::move(map));
    }
    MessageBatch batch;
    batch.ParsePacked(data, size);
    NetClient::Instance()->HandleBatch(batch);
    world->Update(16);
    return 0;
}
