#include "master/MasterMetrics.h"

namespace {

struct RefusalRow {
    const char* name;
    int status;
};
constexpr RefusalRow kRefusals[] = {
    {"malformed", 400}, {"too_large", 413}, {"flood", 429},     {"banned", 403},
    {"secret", 403},    {"too_many_ports", 429}, {"not_found", 404}, {"method", 405},
    {"slow", 408},
};
static_assert(std::size(kRefusals) == static_cast<std::size_t>(Refusal::Count));

} // namespace

int MasterMetrics::StatusOf(Refusal refusal)
{
    return kRefusals[static_cast<std::size_t>(refusal)].status;
}

const char* MasterMetrics::NameOf(Refusal refusal)
{
    return kRefusals[static_cast<std::size_t>(refusal)].name;
}

std::string MasterMetrics::Text(int listed) const
{
    std::string text =
        "# HELP quillrock_master_servers_listed Game servers in the list.\n"
        "# TYPE quillrock_master_servers_listed gauge\n"
        "quillrock_master_servers_listed " + std::to_string(listed) + "\n"
        "# HELP quillrock_master_registrations_total Registrations accepted, listed or challenged.\n"
        "# TYPE quillrock_master_registrations_total counter\n"
        "quillrock_master_registrations_total " + std::to_string(registrations) + "\n"
        "# HELP quillrock_master_challenges_total UDP challenges sent.\n"
        "# TYPE quillrock_master_challenges_total counter\n"
        "quillrock_master_challenges_total " + std::to_string(challenges) + "\n"
        "# HELP quillrock_master_refusals_total Requests refused, by reason.\n"
        "# TYPE quillrock_master_refusals_total counter\n";
    for (std::size_t reason = 0; reason < refusals.size(); ++reason)
        text += std::string("quillrock_master_refusals_total{reason=\"") + kRefusals[reason].name + "\"} " +
                std::to_string(refusals[reason]) + "\n";
    return text;
}
