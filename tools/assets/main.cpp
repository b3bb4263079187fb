// Draws every picture the game reads from data/, or with --check compares
// what it would draw with what is there.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/FontPicture.h"
#include "assets/Targa.h"
#include "assets/WindowIcon.h"

namespace {

constexpr const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

struct Output {
    std::string path; // below the data folder
    std::vector<std::uint8_t> bytes;
};

bool Produce(std::vector<Output>& outputs)
{
    std::string error;
    const auto font = RenderFontPicture(kFont, error);
    if (font.empty()) {
        std::fprintf(stderr, "quillrock_assets: %s\n", error.c_str());
        return false;
    }
    outputs.push_back({"Graphics/Font2.tga", EncodeTarga(font, kFontPictureWidth, kFontPictureHeight)});
    outputs.push_back({"Graphics/Icon.tga", EncodeTarga(RenderWindowIcon(), kIconSize, kIconSize)});
    return true;
}

std::vector<std::uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

int main(int argc, char** argv)
{
    const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    if (argc != 2 && !check) {
        std::fprintf(stderr, "usage: quillrock_assets [--check] DATA_FOLDER\n");
        return 2;
    }
    const std::string data = argv[argc - 1];
    std::vector<Output> outputs;
    if (!Produce(outputs))
        return 1;

    int differing = 0;
    for (const Output& output : outputs) {
        const std::string path = data + "/" + output.path;
        if (check) {
            if (ReadFile(path) != output.bytes) {
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
    }
    if (check)
        std::printf("%zu pictures checked, %d out of date\n", outputs.size(), differing);
    return differing == 0 ? 0 : 1;
}
