// quillrock_hostile_player: plays the worst player a game server can meet,
// against a server on this machine, and tells whether it is still standing.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "hostile/Attacker.h"

namespace {

const char kUsage[] =
    "usage: quillrock_hostile_player [options]\n"
    "Connects to a game server on this machine and sends it what no player's\n"
    "program would, then checks that it still takes a player.\n"
    "\n"
    "  --port P       the server's UDP port (3001)\n"
    "  --attack A     garbage, truncated, counts, spoof, names, flood, churn or all (all)\n"
    "                   garbage    random bytes as messages\n"
    "                   truncated  real messages cut short or run long, a text holding a zero\n"
    "                   counts     code counts, message counts and text lengths that lie,\n"
    "                              oversized payloads\n"
    "                   spoof      other ships' ids in joins and controls, second joins,\n"
    "                              messages only the server sends\n"
    "                   names      10 KB names, undrawable names, names already taken\n"
    "                   flood      10,000 messages a second\n"
    "                   churn      1,000 connects and leaves\n"
    "  --seconds N    how long each attack lasts (10; all splits it among them)\n"
    "  --seed S       the random choices' seed (a new one each run)\n"
    "  --help         this text\n"
    "\n"
    "Exit status: 0 when the server still answers at the end, 1 when not, 2 for bad options.\n";

bool Number(const char* text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0';
}

} // namespace

int main(int argc, char** argv)
{
    double port = 3001;
    double seconds = 10;
    double seed = std::random_device()();
    std::vector<Attack> attacks = Attacker::All();
    bool all = true;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        const char* value = i + 1 < argc ? argv[++i] : nullptr;
        bool ok = value != nullptr;
        if (ok && option == "--port") {
            ok = Number(value, port) && port >= 1 && port <= 65535;
        } else if (ok && option == "--seconds") {
            ok = Number(value, seconds) && seconds > 0;
        } else if (ok && option == "--seed") {
            ok = Number(value, seed) && seed >= 0;
        } else if (ok && option == "--attack") {
            all = std::string(value) == "all";
            Attack attack {};
            if (!all) {
                ok = Attacker::FromName(value, attack);
                attacks = {attack};
            }
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "quillrock_hostile_player: bad option %s%s%s\n\n%s", option.c_str(),
                         value ? " " : "", value ? value : "", kUsage);
            return 2;
        }
    }

    Attacker attacker(static_cast<std::uint16_t>(port), static_cast<std::uint32_t>(seed));
    const double each = all ? seconds / static_cast<double>(attacks.size()) : seconds;
    AttackTally total;
    for (const Attack attack : attacks) {
        const AttackTally t = attacker.Run(attack, each);
        std::printf("%-9s %6ld connects %6ld refused %9ld payloads %6ld dropped by the server\n",
                    Attacker::NameOf(attack), t.connects, t.refused, t.payloads, t.dropped);
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
