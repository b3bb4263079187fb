// quillrock_hostile_player: plays the worst player a game server can meet,
// against a server on this machine, and tells whether it is still standing.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "common/CommandLine.h"
#include "hostile/Attacker.h"

namespace {

const char kUsage[] =
    "Usage: quillrock_hostile_player [options]\n"
    "Connects to a game server on this machine and sends it what no player's\n"
    "program would, then checks that it still takes a player.\n"
    "Run it only in a network of its own: bash scripts/offline ...\n"
    "\n"
    "  --port P       the server's UDP port (3001)\n"
    "  --attack A     garbage, truncated, counts, spoof, names, flood, churn,\n"
    "                 forged or all (all)\n"
    "                   garbage    random bytes as messages\n"
    "                   truncated  real messages cut short or run long, a text holding a zero\n"
    "                   counts     code counts, message counts and text lengths that lie,\n"
    "                              oversized payloads\n"
    "                   spoof      other ships' ids in joins and controls, second joins,\n"
    "                              messages only the server sends\n"
    "                   names      10 KB names, undrawable names, names already taken\n"
    "                   flood      10,000 messages a second\n"
    "                   churn      1,000 connects and leaves\n"
    "                   forged     1,000 connects from 250 other loopback addresses that\n"
    "                              never answer, and an honest join among them\n"
    "  --seconds N    how long each attack lasts (10; all splits it among them)\n"
    "  --seed S       the random choices' seed (a new one each run)\n"
    "  --help, -h     this text\n"
    "\n"
    "Exit status: 0 when the server still answers at the end, 1 when not, 2 for bad options.\n";

bool Number(const char* text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0';
}

struct Options {
    double port = 3001;
    double seconds = 10;
    double seed = std::random_device()();
    std::vector<Attack> attacks = Attacker::All();
    bool all = true;
};

// Reads one option's value; false when it is not one the option takes.
bool ReadValue(const std::string& option, const char* value, Options& options)
{
    if (option == "--port")
        return Number(value, options.port) && options.port >= 1 && options.port <= 65535;
    if (option == "--seconds")
        return Number(value, options.seconds) && options.seconds > 0;
    if (option == "--seed")
        return Number(value, options.seed) && options.seed >= 0 && options.seed <= 4294967295.0;
    options.all = std::string(value) == "all";
    if (options.all) {
        options.attacks = Attacker::All();
        return true;
    }
    options.attacks.assign(1, Attack {});
    return Attacker::FromName(value, options.attacks[0]);
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    const int status = ReadCommandLine("quillrock_hostile_player", kUsage, argc, argv, {"--port", "--seconds", "--seed", "--attack"},
                                       [&](const std::string& flag, const std::string& value) { return ReadValue(flag, value.c_str(), options); });
    if (status >= 0)
        return status;
    const std::vector<Attack>& attacks = options.attacks;
    const double seconds = options.seconds;
    const double seed = options.seed;

    Attacker attacker(static_cast<std::uint16_t>(options.port), static_cast<std::uint32_t>(seed));
    const double each = options.all ? seconds / static_cast<double>(attacks.size()) : seconds;
    AttackTally total;
    for (const Attack attack : attacks) {
        const AttackTally t = attacker.Run(attack, each);
        std::printf("%-9s %6ld connects %6ld refused %9ld payloads %6ld dropped by the server\n",
                    Attacker::NameOf(attack), t.connects, t.refused, t.payloads, t.dropped);
        if (attack == Attack::Forged)
            std::printf("          %ld bytes forged drew %ld bytes of answers; an honest join took %s\n",
                        t.forgedBytes, t.answeredBytes,
                        t.honestJoinMs ? (std::to_string(t.honestJoinMs) + " ms").c_str() : "too long: it failed");
        std::fflush(stdout);
        total.connects += t.connects;
        total.refused += t.refused;
        total.payloads += t.payloads;
        total.dropped += t.dropped;
    }
    const bool standing = attacker.ServerAnswers();
    std::printf("hostile player (seed %u): %ld connects, %ld refused, %ld payloads, %ld dropped; the server %s\n",
                static_cast<std::uint32_t>(seed), total.connects, total.refused, total.payloads, total.dropped,
                standing ? "still answers" : "DOES NOT ANSWER");
    return standing ? 0 : 1;
}
