// quillrock-mapmaker: checks map sources and turns each into the map file
// and the radar picture the game reads.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "mapmaker/MapMaker.h"
#include "platform/WholeFile.h"

namespace {

constexpr const char* kUsage =
    "Usage: quillrock-mapmaker [-o DIR] SOURCE.map...\n"
    "Checks each map source and turns it into the map file NAME.smp and its radar\n"
    "picture NAME.bmp, beside the source or in DIR. NAME is the source's file name\n"
    "without .map, and the map's name line must say the same.\n"
    "\n"
    "  -o DIR   write into DIR instead of beside each source\n"
    "  --help   show this text\n"
    "\n"
    "A source with faults makes nothing: each is printed as FILE:LINE: what is wrong,\n"
    "and the status is 2. It is 1 when a file cannot be read or written.\n";

// Larger than any source of a map that fits the 4 MB a map file may take.
constexpr std::size_t kLargestSource = 1 << 20;

struct Arguments {
    std::string folder; // empty: beside each source
    std::vector<std::string> sources;
};

// The exit status to end with, or -1 to go on.
int ReadArguments(int argc, char** argv, Arguments& arguments)
{
    std::string complaint;
    for (int i = 1; i < argc && complaint.empty(); ++i) {
        const std::string word = argv[i];
        if (word == "--help" || word == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (word == "-o" && i + 1 < argc)
            arguments.folder = argv[++i];
        else if (word == "-o")
            complaint = "-o needs a folder";
        else if (word.starts_with("-"))
            complaint = "unknown option " + word;
        else
            arguments.sources.push_back(word);
    }
    if (complaint.empty() && arguments.sources.empty())
        complaint = "no map source given";
    if (complaint.empty())
        return -1;
    std::fprintf(stderr, "quillrock-mapmaker: %s\n\n%s", complaint.c_str(), kUsage);
    return 2;
}

// Whole or not at all: a game reading the map meanwhile sees the old file
// or the new one.
bool Write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::string error;
    if (!platform::ReplaceFile(path.string(), std::string(bytes.begin(), bytes.end()), error)) {
        std::fprintf(stderr, "quillrock-mapmaker: %s\n", error.c_str());
        return false;
    }
    // A map is for every account on the machine: a server often runs as
    // its own user, and a package installs what it was made into.
    namespace fs = std::filesystem;
    std::error_code failed;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read,
                    failed);
    return true;
}

// 0 made, 1 not read or written, 2 faults in the source.
int Make(const std::filesystem::path& source, const std::string& folder)
{
    std::string error;
    const auto bytes = platform::ReadWholeFile(source.string(), kLargestSource, error);
    if (!bytes) {
        std::fprintf(stderr, "quillrock-mapmaker: %s\n", error.c_str());
        return 1;
    }
    const std::string name = source.stem().string();
    const MapMaker maker(name, std::string(bytes->begin(), bytes->end()));
    for (const MapProblem& problem : maker.Problems())
        std::fprintf(stderr, "%s\n", MapMaker::Describe(source.string(), problem).c_str());
    if (!maker.Made())
        return 2;
    const std::filesystem::path into = folder.empty() ? source.parent_path() : std::filesystem::path(folder);
    const std::filesystem::path map = into / (name + ".smp"), radar = into / (name + ".bmp");
    if (!Write(map, maker.MapFile()) || !Write(radar, maker.RadarFile()))
        return 1;
    std::printf("%s, %s: %s\n", map.c_str(), radar.filename().c_str(), maker.Summary().c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    Arguments arguments;
    if (const int status = ReadArguments(argc, argv, arguments); status >= 0)
        return status;
    // A folder that is not there is a file that cannot be written, not a misuse.
    if (!arguments.folder.empty() && !std::filesystem::is_directory(arguments.folder)) {
        std::fprintf(stderr, "quillrock-mapmaker: cannot write into %s: it is not a folder\n", arguments.folder.c_str());
        return 1;
    }
    int worst = 0;
    for (const std::string& source : arguments.sources) {
        const int status = Make(source, arguments.folder);
        // Faults in a source outrank a file that would not write.
        worst = status == 2 || worst == 2 ? 2 : std::max(worst, status);
    }
    return worst;
}
