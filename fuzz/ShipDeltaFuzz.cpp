#include <cstddef>
#include <cstdint>
#include <vector>

#include "net/MessageBatch.h"
#include "net/NetMessage.h"
#include "net/PackedBatch.h"
#include "net/Snapshots.h"

namespace {

// A few snapshots the player holds, so that deltas find bases: ships 1 to 4
// told whole in snapshots 1 to 3.
void Hold(Snapshots& held)
{
    for (std::uint16_t number = 1; number <= 3; ++number) {
        std::vector<std::uint8_t> payload;
        NetMessage header;
        header.SetSnapshot(number, number > 1 ? 1 : 0, static_cast<std::uint16_t>(number * 33));
        PackedBatch::Append(header, payload);
        for (int id = 1; id <= 4; ++id) {
            NetMessage state;
            state.SetShipState(id, 0x10, 50.0f, 100.0f, 2, {1, 0, 0, 3}, Vector3(100.0 * id, 4000.0, 0),
                               Vector3(-300.0, 20.0 * id, 0), 45.0f * id);
            PackedBatch::Append(state, payload);
        }
        MessageBatch batch;
        batch.ParsePacked(payload.data(), payload.size());
        batch.UseSnapshots(&held);
        for (const NetMessage* m = batch.Begin(); m; m = batch.Next()) {}
    }
}

} // namespace

// Any bytes as a payload of a server's ship states, deltas and runs of
// them, folded or not, read with the player's snapshots behind three held ones: nothing
// reads past the bytes or overflows, and the snapshot the player would
// acknowledge is one it held or the payload's own.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Snapshots held;
    Hold(held);
    MessageBatch batch;
    batch.ParsePacked(data, size);
    batch.UseSnapshots(&held);
    std::uint16_t opened = 3;
    for (const NetMessage* m = batch.Begin(); m; m = batch.Next()) {
        std::uint8_t back = 0;
        std::uint16_t ms = 0;
        if (m->Kind() == kMsgSnapshot)
            m->GetSnapshot(opened, back, ms);
    }
    if (held.Newest() != 3 && held.Newest() != opened)
        __builtin_trap();
    return 0;
}
