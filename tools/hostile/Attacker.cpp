#include "hostile/Attacker.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <thread>

#include "base/ByteWriter.h"
#include "hostile/RawLink.h"
#include "platform/EnetHost.h"
#include "net/NetMessage.h"

namespace {

// Messages are built byte by byte: NetMessage would not write a lie.
std::vector<std::uint8_t> TextBytes(int kind, const std::string& text, std::uint32_t length)
{
    ByteWriter out;
    out.U8(static_cast<std::uint8_t>(kind));
    out.U32(length);
    out.Bytes(text.data(), text.size());
    return out.Data();
}

std::vector<std::uint8_t> TextBytes(int kind, const std::string& text)
{
    return TextBytes(kind, text, static_cast<std::uint32_t>(text.size()));
}

std::vector<std::uint8_t> JoinBytes(int id, int type, const std::string& name)
{
    ByteWriter out;
    out.U8(kMsgJoin);
    out.I32(id);
    out.I32(type);
    out.U32(static_cast<std::uint32_t>(name.size()));
    out.Bytes(name.data(), name.size());
    return out.Data();
}

std::vector<std::uint8_t> ControlBytes(int id, const std::vector<std::int32_t>& codes, std::int32_t count)
{
    ByteWriter out;
    out.U8(kMsgControl);
    out.I32(id);
    out.I32(count);
    for (const std::int32_t code : codes)
        out.I32(code);
    return out.Data();
}

std::vector<std::uint8_t> ControlBytes(int id, const std::vector<std::int32_t>& codes)
{
    return ControlBytes(id, codes, static_cast<std::int32_t>(codes.size()));
}

std::vector<std::uint8_t> FiveBytes(int kind, std::uint32_t value)
{
    ByteWriter out;
    out.U8(static_cast<std::uint8_t>(kind));
    out.U32(value);
    return out.Data();
}

// A message of a kind only the server sends, about someone else's ship.
std::vector<std::uint8_t> ServerOnly(int which, int id)
{
    struct Shape {
        int kind;
        std::size_t size;
    };
    constexpr Shape kShapes[] = {{kMsgRoundOver, 1},    {kMsgPlayerLeft, 5},  {kMsgShipKilled, 5},
                                 {kMsgEntityKilled, 5}, {kMsgEntityReport, 41}, {kMsgShipState, 47},
                                 {kMsgEntityState, 41}, {kMsgTurretState, 22}, {kMsgTileChange, 10}};
    const Shape shape = kShapes[static_cast<std::size_t>(which) % std::size(kShapes)];
    std::vector<std::uint8_t> bytes = shape.size > 1 ? FiveBytes(shape.kind, static_cast<std::uint32_t>(id))
                                                     : std::vector<std::uint8_t> {std::uint8_t(shape.kind)};
    bytes.resize(shape.size);
    return bytes;
}

const std::vector<std::int32_t> kEveryKey = {7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};

} // namespace

const std::vector<Attack>& Attacker::All()
{
    static const std::vector<Attack> all = {Attack::Garbage, Attack::Truncated, Attack::Counts, Attack::Spoof,
                                            Attack::Names,   Attack::Flood,     Attack::Churn, Attack::Forged};
    return all;
}

const char* Attacker::NameOf(Attack attack)
{
    switch (attack) {
    case Attack::Garbage: return "garbage";
    case Attack::Truncated: return "truncated";
    case Attack::Counts: return "counts";
    case Attack::Spoof: return "spoof";
    case Attack::Names: return "names";
    case Attack::Flood: return "flood";
    case Attack::Churn: return "churn";
    case Attack::Forged: return "forged";
    }
    return "?";
}

bool Attacker::FromName(const std::string& name, Attack& attack)
{
    for (const Attack each : All()) {
        if (name == NameOf(each)) {
            attack = each;
            return true;
        }
    }
    return false;
}

double Attacker::Now() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

int Attacker::Victim()
{
    return victims.empty() ? 1 + Pick(32) : victims[static_cast<std::size_t>(Pick(static_cast<int>(victims.size())))];
}

AttackTally Attacker::Run(Attack attack, double seconds)
{
    tally = {};
    if (attack == Attack::Forged) {
        Forged(seconds);
        return tally;
    }
    const double until = Now() + seconds;
    while (Now() < until && (attack != Attack::Churn || tally.connects < kChurnConnects)) {
        RawLink link;
        ++tally.connects;
        if (!link.Connect(port)) {
            // Full, or busy turning others away: try again shortly.
            ++tally.refused;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            continue;
        }
        switch (attack) {
        case Attack::Garbage: Garbage(link); break;
        case Attack::Truncated: Truncated(link); break;
        case Attack::Counts: Counts(link); break;
        case Attack::Spoof: Spoof(link); break;
        case Attack::Names: Names(link); break;
        case Attack::Flood: Flood(link, until); break;
        case Attack::Churn: Churn(link); break;
        case Attack::Forged: break; // no link of its own: run above
        }
    }
    return tally;
}

// Hosts on other loopback addresses (127.0.1.x) send connects and never
// service their links, as forged source addresses would: the server's
// answers pile up unread in their sockets, to be counted at the end. An
// honest player joins halfway through.
void Attacker::Forged(double seconds)
{
    std::vector<ENetHost*> forgers;
    for (int i = 0; i < kForgedAddresses; ++i) {
        ENetAddress from {};
        from.host = ENET_HOST_TO_NET_32(0x7F000101u + static_cast<std::uint32_t>(i));
        from.port = ENET_PORT_ANY;
        if (ENetHost* host = enet_host_create(&from, kForgedConnects / kForgedAddresses, platform::kChannels, 0, 0))
            forgers.push_back(host);
    }
    ENetAddress to {};
    enet_address_set_host_ip(&to, "127.0.0.1");
    to.port = port;
    const double start = Now();
    for (int sent = 0; sent < kForgedConnects && !forgers.empty(); ++sent) {
        ENetHost* host = forgers[static_cast<std::size_t>(sent) % forgers.size()];
        enet_host_connect(host, &to, platform::kChannels, static_cast<enet_uint32>(random()));
        enet_host_flush(host);
        ++tally.connects;
        ++tally.refused;
        tally.forgedBytes += static_cast<long>(host->totalSentData);
        host->totalSentData = 0;
        if (sent == kForgedConnects / 2) {
            RawLink honest;
            const double asked = Now();
            ++tally.connects;
            if (honest.Connect(port, 3000))
                tally.honestJoinMs = static_cast<std::uint32_t>((Now() - asked) * 1000.0) + 1;
            else
                ++tally.refused;
        }
        std::this_thread::sleep_until(std::chrono::steady_clock::now() +
                                      std::chrono::microseconds(static_cast<long>(
                                          std::max(0.0, start + seconds * sent / kForgedConnects - Now()) * 1e6)));
    }
    for (ENetHost* host : forgers) {
        std::uint8_t bytes[2048];
        ENetBuffer buffer;
        buffer.data = bytes;
        buffer.dataLength = sizeof bytes;
        ENetAddress sender {};
        for (int got; (got = enet_socket_receive(host->socket, &sender, &buffer, 1)) > 0;)
            tally.answeredBytes += got;
        enet_host_destroy(host);
    }
}

bool Attacker::ServerAnswers()
{
    RawLink link;
    if (!link.Connect(port))
        return false;
    link.Send(FiveBytes(kMsgPing, 4242), false);
    for (int waited = 0; waited < 2000 && link.PayloadsReceived() == 0; waited += 10)
        link.Pump(10);
    return link.PayloadsReceived() > 0;
}

void Attacker::Send(RawLink& link, const std::vector<std::uint8_t>& bytes, bool reliable)
{
    ++tally.payloads;
    link.Send(bytes, reliable);
}

void Attacker::Join(RawLink& link, const std::string& name)
{
    Send(link, JoinBytes(Victim(), Pick(6), name));
}

void Attacker::ExpectDrop(RawLink& link)
{
    if (link.AwaitClose(1000))
        ++tally.dropped;
}

void Attacker::Garbage(RawLink& link)
{
    if (Pick(2))
        Join(link, "Noise");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(Pick(3000)));
    for (std::uint8_t& byte : bytes)
        byte = static_cast<std::uint8_t>(Pick(256));
    // A halt from this machine is honoured; that is not the garbage wanted.
    if (!bytes.empty() && bytes[0] == kMsgHaltServer)
        bytes[0] = 0xff;
    Send(link, bytes, Pick(2) == 0);
    ExpectDrop(link);
}

void Attacker::Truncated(RawLink& link)
{
    if (Pick(2))
        Join(link, "Stub");
    std::vector<std::uint8_t> bytes;
    switch (Pick(7)) {
    case 0: bytes = JoinBytes(0, 1, "Stubby"); break;
    case 1: bytes = TextBytes(kMsgText, "half a line"); break;
    case 2: bytes = TextBytes(kMsgMap, "Warren"); break;
    case 3: bytes = ControlBytes(0, {7, 9, 11}); break;
    case 4: bytes = FiveBytes(kMsgPing, 99); break;
    case 5: bytes = FiveBytes(kMsgHaltServer, 0); break;
    default:
        // Whole, but its text holds a zero.
        Send(link, TextBytes(kMsgText, std::string("hid\0den", 7)));
        ExpectDrop(link);
        return;
    }
    // Two bytes more on a control are its snapshot field, no garbage.
    const auto extra = static_cast<std::size_t>(1 + Pick(16));
    if (Pick(2))
        bytes.resize(static_cast<std::size_t>(Pick(static_cast<int>(bytes.size()))));
    else
        bytes.resize(bytes.size() + (extra == 2 && bytes[0] == kMsgControl ? 3 : extra), 0x41);
    Send(link, bytes, Pick(2) == 0);
    ExpectDrop(link);
}

void Attacker::Counts(RawLink& link)
{
    Join(link, "Counter");
    // As many codes as fit the largest message, most of them meaningless,
    // acknowledging snapshots never sent: taken, and the rest ignored.
    for (int burst = 0; burst < 10; ++burst) {
        std::vector<std::int32_t> codes(509);
        for (std::int32_t& code : codes)
            code = Pick(2) ? Pick(40) - 20 : std::numeric_limits<std::int32_t>::min() + Pick(1000);
        std::vector<std::uint8_t> control = ControlBytes(0, codes);
        const int snapshot = 1 + Pick(65535);
        control.push_back(static_cast<std::uint8_t>(snapshot));
        control.push_back(static_cast<std::uint8_t>(snapshot >> 8));
        Send(link, control, false);
    }
    link.Pump(5);
    constexpr std::int32_t kLies[] = {-1, std::numeric_limits<std::int32_t>::min(),
                                      std::numeric_limits<std::int32_t>::max(), 1 << 20, 4};
    const std::vector<std::int32_t> few = {7, 8, 9};
    switch (Pick(6)) {
    case 0: Send(link, ControlBytes(0, few, kLies[Pick(static_cast<int>(std::size(kLies)))])); break;
    case 1: {
        // Framed as the server frames its batches, claiming no end of messages.
        ByteWriter batch;
        batch.U32(0xffffffffu);
        const std::vector<std::uint8_t> control = ControlBytes(0, few);
        batch.U32(static_cast<std::uint32_t>(control.size()));
        batch.Bytes(control.data(), control.size());
        Send(link, batch.Data());
        break;
    }
    case 2: Send(link, TextBytes(kMsgText, "short", 0xffffffffu)); break;
    case 3: Send(link, TextBytes(kMsgMap, "Arena", 0x7fffffffu)); break;
    case 4: Send(link, ControlBytes(0, std::vector<std::int32_t>(4000 + Pick(60000), 9))); break;
    default: Send(link, TextBytes(kMsgText, std::string(200000, 'x'))); break;
    }
    ExpectDrop(link);
}

void Attacker::Spoof(RawLink& link)
{
    // Someone else's id and name in the join.
    Send(link, JoinBytes(Victim(), 0, "Pilot"));
    for (int i = 0; i < 10; ++i) {
        Send(link, ControlBytes(Victim(), i % 2 ? kEveryKey : std::vector<std::int32_t> {7, 9, 11}), false);
        link.Pump(10);
    }
    Send(link, JoinBytes(Victim(), 5, "Second Self"));
    Send(link, ControlBytes(Victim(), {7}), false);
    link.Pump(5);
    Send(link, ServerOnly(Pick(100), Victim()));
    ExpectDrop(link);
}

void Attacker::Names(RawLink& link)
{
    std::string name;
    bool dropped = false;
    switch (Pick(6)) {
    case 0:
        name.assign(10 * 1024, 'N');
        dropped = true;
        break;
    case 1: name.assign(2000, 'L'); break;
    case 2:
        for (int i = 0; i < 300; ++i)
            name += static_cast<char>(Pick(2) ? 1 + Pick(31) : 127 + Pick(129));
        break;
    case 3:
        name = std::string("Nu\0ll", 5);
        dropped = true;
        break;
    case 4: name = "Pilot"; break;
    default: name = "    "; break;
    }
    Send(link, JoinBytes(0, Pick(1000) - 500, name));
    if (dropped) {
        ExpectDrop(link);
        return;
    }
    link.Pump(static_cast<std::uint32_t>(10 + Pick(40)));
}

void Attacker::Flood(RawLink& link, double until)
{
    Join(link, "Torrent");
    const double start = Now();
    long sent = 0;
    while (link.Connected() && Now() < until) {
        const long due = static_cast<long>((Now() - start) * kFloodPerSecond);
        for (; sent < due; ++sent) {
            // Reliably, so that none is lost on the way and all must be
            // dealt with.
            if (sent % 10 == 0)
                Send(link, FiveBytes(kMsgPing, static_cast<std::uint32_t>(sent)));
            else
                Send(link, ControlBytes(0, {7 + Pick(11)}));
        }
        link.Pump(1);
    }
    if (link.ClosedByServer())
        ++tally.dropped;
}

void Attacker::Churn(RawLink& link)
{
    if (Pick(2))
        Join(link, "Passer");
    link.Pump(static_cast<std::uint32_t>(Pick(3)));
}
