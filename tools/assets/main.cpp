// Draws every picture the game reads from data/, synthesises its sounds
// into data/Sounds and compiles the maps of tools/maps into data/Maps; with
// --check, compares what it would write with what is there. Its argument is
// the repository's folder. Writing also lists each sound's loudness.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/FontPicture.h"
#include "assets/Png.h"
#include "assets/SoundRecipes.h"
#include "assets/Sprites.h"
#include "assets/Targa.h"
#include "assets/WindowIcon.h"
#include "common/CommandLine.h"
#include "mapmaker/MapMaker.h"

namespace {

constexpr const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

constexpr const char* kUsage =
    "Usage: quillrock_assets [--check] REPOSITORY_FOLDER\n"
    "Draws the game's font and pictures, synthesises its sounds and compiles the maps of\n"
    "tools/maps into the folder's data/.\n"
    "\n"
    "  --check  compare what it would write with what is there, and write nothing\n"
    "  --help   show this text\n";

struct Arguments {
    bool check = false;
    std::string root;
};

bool IsFolder(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

// Why the command line names no folder to work on; empty when it does.
std::string Complaint(const Arguments& arguments)
{
    if (arguments.root.empty())
        return "the repository's folder is missing";
    for (const char* inside : {"/tools/maps", "/data"}) {
        if (!IsFolder(arguments.root + inside))
            return arguments.root + " is not the repository's folder: it has no " + (inside + 1);
    }
    return {};
}

// The exit status to end with (0 after the usage on --help, 2 after a
// complaint), or -1 when the tool should go on.
int ReadArguments(int argc, char** argv, Arguments& arguments)
{
    const int status = ReadCommandLine(
        "quillrock_assets", kUsage, argc, argv, {.valued = {}, .bare = {"--check"}, .argument = "repository folder"},
        [&arguments](const std::string& flag, const std::string& value) {
            if (flag == "--check")
                arguments.check = true;
            else
                arguments.root = value;
            return true;
        });
    if (status >= 0)
        return status;
    const std::string complaint = Complaint(arguments);
    return complaint.empty() ? -1 : Complain("quillrock_assets", kUsage, complaint);
}

struct Output {
    std::string path; // below the data folder
    std::vector<std::uint8_t> bytes;
    std::optional<SoundLevels> levels = std::nullopt; // of a sound
};

std::vector<std::uint8_t> ReadFile(const std::string& path);

bool CompileMaps(const std::string& sources, std::vector<Output>& outputs)
{
    // In name order, so the outputs are the same on every machine.
    std::map<std::string, std::filesystem::path> maps;
    std::error_code listing;
    for (std::filesystem::directory_iterator entry(sources, listing), end; !listing && entry != end;
         entry.increment(listing)) {
        if (entry->path().extension() == ".map")
            maps[entry->path().stem().string()] = entry->path();
    }
    if (listing) {
        std::fprintf(stderr, "quillrock_assets: %s: %s\n", sources.c_str(), listing.message().c_str());
        return false;
    }
    for (const auto& [stem, path] : maps) {
        const auto bytes = ReadFile(path.string());
        const MapMaker maker(stem, std::string(bytes.begin(), bytes.end()));
        for (const MapProblem& problem : maker.Problems())
            std::fprintf(stderr, "%s\n", MapMaker::Describe(path.string(), problem).c_str());
        if (!maker.Made())
            return false;
        outputs.push_back({"Maps/" + stem + ".smp", maker.MapFile()});
        outputs.push_back({"Maps/" + stem + ".bmp", maker.RadarFile()});
    }
    return true;
}

void AddSounds(std::vector<Output>& outputs)
{
    for (const SoundRecipe& recipe : SoundRecipes()) {
        const std::vector<float> samples = Synthesize(recipe);
        const SoundLevels levels = MeasureLevels(samples);
        outputs.push_back({"Sounds/" + recipe.file, EncodeWav(samples), levels});
    }
}

bool Produce(const std::string& root, std::vector<Output>& outputs)
{
    std::string error;
    const auto font = RenderFontPicture(kFont, error);
    if (font.empty()) {
        std::fprintf(stderr, "quillrock_assets: %s\n", error.c_str());
        return false;
    }
    outputs.push_back({"Graphics/Font2.tga", EncodeTarga(font, kFontPictureWidth, kFontPictureHeight)});
    outputs.push_back({"Graphics/Icon.tga", EncodeTarga(RenderWindowIcon(), kIconSize, kIconSize)});
    outputs.push_back({"quillrock.png", EncodePng(RenderWindowIcon(), kIconSize, kIconSize)});
    for (const Sprite& sprite : RenderSprites())
        outputs.push_back({"Graphics/" + sprite.file, EncodeTarga(sprite.rgba, kSpriteSize, kSpriteSize)});
    AddSounds(outputs);
    return CompileMaps(root + "/tools/maps", outputs);
}

std::vector<std::uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Synthesis runs through the C library's sin and exp, whose last bits may
// change from one release to the next: a sound is the same when its header
// is and no sample is more than a couple of steps away.
bool SameSound(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    constexpr std::size_t kHeader = 44;
    if (a.size() != b.size() || a.size() < kHeader || !std::equal(a.begin(), a.begin() + kHeader, b.begin()))
        return false;
    for (std::size_t i = kHeader; i + 1 < a.size(); i += 2) {
        const int left = static_cast<std::int16_t>(a[i] | a[i + 1] << 8);
        const int right = static_cast<std::int16_t>(b[i] | b[i + 1] << 8);
        if (std::abs(left - right) > 2)
            return false;
    }
    return true;
}

bool UpToDate(const Output& output, const std::string& path)
{
    const std::vector<std::uint8_t> there = ReadFile(path);
    return output.levels ? SameSound(there, output.bytes) : there == output.bytes;
}

} // namespace

int main(int argc, char** argv)
{
    Arguments arguments;
    if (const int status = ReadArguments(argc, argv, arguments); status >= 0)
        return status;
    const bool check = arguments.check;
    const std::string& root = arguments.root;
    const std::string data = root + "/data";
    std::vector<Output> outputs;
    if (!Produce(root, outputs))
        return 1;

    int differing = 0;
    for (const Output& output : outputs) {
        const std::string path = data + "/" + output.path;
        if (check) {
            if (!UpToDate(output, path)) {
                std::fprintf(stderr, "out of date: %s\n", path.c_str());
                ++differing;
            }
            continue;
        }
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(output.bytes.data()), static_cast<std::streamsize>(output.bytes.size()));
        if (!out) {
            std::fprintf(stderr, "quillrock_assets: cannot write %s\n", path.c_str());
            return 1;
        }
        if (output.levels)
            std::printf("%-24s peak %6.1f dBFS  RMS %6.1f dBFS\n", output.path.c_str(), output.levels->peakDb,
                        output.levels->rmsDb);
    }
    if (check)
        std::printf("%zu files checked, %d out of date\n", outputs.size(), differing);
    return differing == 0 ? 0 : 1;
}
