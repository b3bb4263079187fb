#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "base/TextCopy.h"
#include "net/MessageBatch.h"
#include "net/NetMessage.h"
#include "platform/Clock.h"
#include "platform/EnetHost.h"

// A player that speaks ENet directly from a loopback address of its own:
// it may send anything, and a stalled one hears nothing, so it never
// finishes the handshake, as a hostile peer does.
class RawPeer {
public:
    explicit RawPeer(const char* from = "127.0.0.1", bool stalled = false)
    {
        ENetAddress at {};
        enet_address_set_host_ip(&at, from);
        host = platform::EnetReady() ? enet_host_create(&at, 1, platform::kChannels, 0, 0) : nullptr;
        if (host && stalled)
            host->intercept = [](ENetHost*, ENetEvent*) { return 1; };
    }
    ~RawPeer()
    {
        if (host)
            enet_host_destroy(host);
    }
    RawPeer(const RawPeer&) = delete;
    RawPeer& operator=(const RawPeer&) = delete;

    // True once the server took the player, come to fly or to watch, within ms.
    bool Connect(std::uint16_t port, std::uint32_t ms = 3000, bool watching = false)
    {
        ENetAddress to {};
        enet_address_set_host_ip(&to, "127.0.0.1");
        to.port = port;
        peer = host ? platform::ConnectProven(host, to, ms, watching) : nullptr;
        for (const std::uint32_t start = platform::TickCount(); peer && !taken && platform::TickCount() - start < ms;)
            Pump(5);
        return taken;
    }
    void Send(const NetMessage& message)
    {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(message.WireSize()));
        message.Serialize(bytes.data(), message.WireSize());
        platform::SendPayload(host, peer, bytes.data(), bytes.size(), platform::Delivery::Reliable);
    }
    // Says goodbye, as a program that quits does.
    void Leave()
    {
        if (!peer)
            return;
        enet_peer_disconnect(peer, 0);
        Pump(100);
    }
    void Pump(std::uint32_t ms = 0)
    {
        ENetEvent event;
        while (enet_host_service(host, &event, ms) > 0) {
            if (event.type == ENET_EVENT_TYPE_DISCONNECT)
                peer = nullptr;
            if (event.type != ENET_EVENT_TYPE_RECEIVE)
                continue;
            taken |= event.channelID == platform::kControlChannel;
            MessageBatch batch;
            batch.ParsePacked(event.packet->data, event.packet->dataLength);
            for (NetMessage* message = batch.Begin(); message; message = batch.Next())
                Heard(*message);
            enet_packet_destroy(event.packet);
        }
    }

    // Whether a line of text came that holds the words.
    bool Told(const std::string& words) const
    {
        return std::ranges::any_of(lines, [&](const std::string& line) { return line.find(words) != std::string::npos; });
    }
    bool Connected() const { return peer != nullptr; }

    std::uint32_t pong = 0; // the tick the last pong echoed
    std::vector<int> kinds;  // of every message heard, in order
    std::vector<std::string> lines;

private:
    void Heard(const NetMessage& message)
    {
        kinds.push_back(message.Kind());
        if (message.Kind() == kMsgPong)
            message.GetTick(pong);
        if (message.Kind() == kMsgText) {
            char text[kTextBufferSize] = {};
            message.GetText(text, sizeof text);
            lines.emplace_back(text);
        }
    }

    ENetHost* host = nullptr;
    ENetPeer* peer = nullptr;
    bool taken = false;
};
