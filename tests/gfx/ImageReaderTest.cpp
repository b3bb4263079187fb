#include <gtest/gtest.h>

#include <istream>
#include <string>
#include <vector>

#include "base/ByteWriter.h"
#include "gfx/BmpImage.h"
#include "gfx/MemoryStreamBuf.h"
#include "gfx/TgaImage.h"
#include "support/TempDir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes TgaHeader(std::uint8_t type, int width, int height, std::uint8_t depth, std::uint8_t descriptor)
{
    ByteWriter out;
    out.U8(0);
    out.U8(0);
    out.U8(type);
    out.U16(0);
    out.U16(0);
    out.U8(0);
    out.U16(0);
    out.U16(0);
    out.U16(static_cast<std::uint16_t>(width));
    out.U16(static_cast<std::uint16_t>(height));
    out.U8(depth);
    out.U8(descriptor);
    return out.Data();
}

Bytes WithFooter(Bytes bytes)
{
    ByteWriter footer;
    footer.U32(0);
    footer.U32(0);
    footer.Bytes("TRUEVISION-XFILE.", 18);
    bytes.insert(bytes.end(), footer.Data().begin(), footer.Data().end());
    return bytes;
}

bool LoadTga(TgaImage& image, const Bytes& bytes)
{
    MemoryStreamBuf buffer(bytes.data(), bytes.size());
    std::istream in(&buffer);
    return image.LoadFromStream(in, bytes.size());
}

// A 2 x 2, 32-bit picture whose file rows are (row 0) 1, 2 and (row 1) 3, 4:
// pixel n is B = n, G = 10n, R = 20n, A = 30n.
Bytes TwoByTwo(std::uint8_t descriptor)
{
    Bytes bytes = TgaHeader(2, 2, 2, 32, descriptor);
    for (std::uint8_t n = 1; n <= 4; ++n)
        bytes.insert(bytes.end(), {n, static_cast<std::uint8_t>(10 * n), static_cast<std::uint8_t>(20 * n),
                                   static_cast<std::uint8_t>(30 * n)});
    return WithFooter(bytes);
}

TEST(TgaImage, ReversesRowsUnlessDescriptorBit4IsSet)
{
    for (std::uint8_t descriptor : {0x08, 0x28}) {
        TgaImage image;
        ASSERT_TRUE(LoadTga(image, TwoByTwo(descriptor)));
        EXPECT_EQ(image.Pixels()[0], 3) << "descriptor " << int(descriptor) << ": last file row first";
        EXPECT_EQ(image.Pixels()[8], 1);
    }
    for (std::uint8_t descriptor : {0x18, 0x38}) {
        TgaImage image;
        ASSERT_TRUE(LoadTga(image, TwoByTwo(descriptor)));
        EXPECT_EQ(image.Pixels()[0], 1) << "descriptor " << int(descriptor) << ": file order kept";
    }
}

TEST(TgaImage, ConvertsToRgbaKeepingItsAlpha)
{
    TgaImage image;
    ASSERT_TRUE(LoadTga(image, TwoByTwo(0x18)));
    EXPECT_EQ(image.Kind(), "TGA");
    EXPECT_EQ(image.Order(), kOrderTargaBGRA);
    image.ConvertTo(kOrderRGBA);
    ASSERT_EQ(image.Pixels().size(), 16u);
    EXPECT_EQ(image.Pixels()[0], 20); // red
    EXPECT_EQ(image.Pixels()[1], 10);
    EXPECT_EQ(image.Pixels()[2], 1); // blue
    EXPECT_EQ(image.Pixels()[3], 30); // alpha as stored
    EXPECT_EQ(image.Pixels()[15], 120);
}

TEST(TgaImage, DecodesRunAndRawPackets)
{
    Bytes bytes = TgaHeader(10, 130, 1, 32, 0x18);
    bytes.insert(bytes.end(), {0xFF, 1, 2, 3, 4});             // a run of 128
    bytes.insert(bytes.end(), {0x01, 5, 6, 7, 8, 9, 10, 11, 12}); // two raw pixels
    TgaImage image;
    ASSERT_TRUE(LoadTga(image, WithFooter(bytes)));
    ASSERT_EQ(image.Pixels().size(), 130u * 4);
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(image.Pixels()[static_cast<std::size_t>(i) * 4 + 3], 4) << "pixel " << i;
    EXPECT_EQ(image.Pixels()[128 * 4], 5);
    EXPECT_EQ(image.Pixels()[129 * 4 + 3], 12);
    EXPECT_FALSE(image.IsCompressed());
}

TEST(TgaImage, RunsThatOverflowAreDropped)
{
    Bytes bytes = TgaHeader(10, 2, 1, 32, 0x18);
    bytes.insert(bytes.end(), {0xFF, 9, 9, 9, 9, 0x7F, 1, 1, 1, 1});
    TgaImage image;
    ASSERT_TRUE(LoadTga(image, WithFooter(bytes)));
    EXPECT_EQ(image.Pixels().size(), 8u);
}

TEST(TgaImage, RefusesWhatItCannotBackWithBytes)
{
    TgaImage image;
    EXPECT_FALSE(LoadTga(image, TgaHeader(2, 2, 2, 32, 0))) << "no pixels at all";
    EXPECT_FALSE(LoadTga(image, WithFooter(TgaHeader(2, 4000, 4000, 32, 0)))) << "huge claim, tiny file";
    EXPECT_FALSE(LoadTga(image, WithFooter(TgaHeader(10, 8000, 8000, 32, 0)))) << "run-length claim too large";
    EXPECT_FALSE(LoadTga(image, WithFooter(TgaHeader(2, 0, 2, 32, 0))));
    EXPECT_FALSE(LoadTga(image, WithFooter(TgaHeader(2, -2, 2, 32, 0))));
    EXPECT_FALSE(LoadTga(image, WithFooter(TgaHeader(1, 2, 2, 32, 0)))) << "colour-mapped type";
    EXPECT_FALSE(LoadTga(image, WithFooter(TgaHeader(3, 2, 2, 32, 0)))) << "grey type";
    EXPECT_FALSE(LoadTga(image, Bytes(10, 0))) << "short header";
    EXPECT_EQ(image.Width(), 0);
    EXPECT_TRUE(image.Pixels().empty());
}

TEST(TgaImage, UncompressedPictureWithoutFooterStillLoads)
{
    Bytes bytes = TgaHeader(2, 4, 4, 32, 0x18);
    bytes.resize(bytes.size() + 64, 7);
    TgaImage image;
    ASSERT_TRUE(LoadTga(image, bytes));
    EXPECT_EQ(image.Pixels().size(), 64u);
}

TEST(TgaImage, NamesComeFromThePath)
{
    EXPECT_EQ(Image::NameFromPath("Graphics\\Font2.tga"), "Font2");
    EXPECT_EQ(Image::NameFromPath("Graphics/ship.tga"), "ship");
    EXPECT_EQ(Image::NameFromPath("plain"), "plain");
    EXPECT_EQ(Image::NameFromPath("Graphics\\..\\Maps\\arena.bmp"), "");
}

TEST(TgaImage, ReadsFilesByTheirWindowsName)
{
    TempDir dir;
    const Bytes bytes = TwoByTwo(0x08);
    dir.WriteFile("graphics/DOT.tga", std::string(bytes.begin(), bytes.end()));
    ScopedWorkingDir cwd(dir.Path());
    TgaImage image;
    EXPECT_TRUE(image.LoadFromFile("Graphics\\dot.tga"));
    EXPECT_EQ(image.Name(), "dot");
    EXPECT_FALSE(image.LoadFromFile("Graphics\\none.tga"));
}

Bytes Bitmap(int width, int height, int depth, const Bytes& pixels, std::uint32_t coloursUsed = 0,
             const Bytes& palette = {}, std::uint32_t compression = 0)
{
    ByteWriter out;
    out.U16(0x4D42);
    out.U32(0);
    out.U32(0);
    out.U32(54);
    out.U32(40);
    out.I32(width);
    out.I32(height);
    out.U16(1);
    out.U16(static_cast<std::uint16_t>(depth));
    out.U32(compression);
    out.U32(static_cast<std::uint32_t>(pixels.size()));
    out.U32(0);
    out.U32(0);
    out.U32(coloursUsed);
    out.U32(0);
    out.Bytes(palette.data(), palette.size());
    out.Bytes(pixels.data(), pixels.size());
    return out.Data();
}

TEST(BmpImage, TwentyFourBitBecomesOpaqueRgba)
{
    BmpImage image;
    ASSERT_TRUE(image.LoadFromBytes(Bitmap(2, 1, 24, {1, 2, 3, 4, 5, 6}).data(), 60));
    EXPECT_EQ(image.Order(), kOrderBGR);
    image.ConvertTo(kOrderRGBA);
    EXPECT_EQ(image.Pixels(), (Bytes{3, 2, 1, 255, 6, 5, 4, 255}));
}

TEST(BmpImage, PaddedRowsAreJoined)
{
    // 1 x 2 at 24 bits: each 3-byte row is padded to 4 in the file.
    BmpImage image;
    const Bytes bytes = Bitmap(1, 2, 24, {1, 2, 3, 0, 4, 5, 6, 0});
    ASSERT_TRUE(image.LoadFromBytes(bytes.data(), bytes.size()));
    image.ConvertTo(kOrderRGBA);
    EXPECT_EQ(image.Pixels(), (Bytes{3, 2, 1, 255, 6, 5, 4, 255}));
}

TEST(BmpImage, ThirtyTwoBitIsOpaqueToo)
{
    BmpImage image;
    const Bytes bytes = Bitmap(1, 1, 32, {1, 2, 3, 0});
    ASSERT_TRUE(image.LoadFromBytes(bytes.data(), bytes.size()));
    image.ConvertTo(kOrderRGBA);
    EXPECT_EQ(image.Pixels(), (Bytes{3, 2, 1, 255}));
}

TEST(BmpImage, PalettePicturesExpandPlainOrRunLength)
{
    const Bytes palette = {10, 20, 30, 0, 40, 50, 60, 0};
    BmpImage plain;
    const Bytes bytes = Bitmap(4, 1, 8, {0, 1, 1, 0}, 2, palette);
    ASSERT_TRUE(plain.LoadFromBytes(bytes.data(), bytes.size()));
    plain.ConvertTo(kOrderRGBA);
    EXPECT_EQ(plain.Pixels(), (Bytes{30, 20, 10, 255, 60, 50, 40, 255, 60, 50, 40, 255, 30, 20, 10, 255}));

    BmpImage packed;
    const Bytes rle = Bitmap(4, 1, 8, {3, 1, 0, 3, 0, 0, 0, 1}, 2, palette, 1);
    ASSERT_TRUE(packed.LoadFromBytes(rle.data(), rle.size()));
    ASSERT_TRUE(packed.IsCompressed());
    packed.Decompress();
    packed.ConvertTo(kOrderRGBA);
    EXPECT_EQ(packed.Pixels()[0], 60);
    EXPECT_EQ(packed.Pixels()[8], 60);
    EXPECT_EQ(packed.Pixels()[12], 30);
}

TEST(BmpImage, RefusesDamagedFiles)
{
    BmpImage image;
    Bytes good = Bitmap(2, 2, 24, Bytes(12, 9));
    ASSERT_TRUE(image.LoadFromBytes(good.data(), good.size()));
    for (std::size_t cut = 0; cut < good.size(); ++cut)
        EXPECT_FALSE(image.LoadFromBytes(good.data(), cut)) << "cut at " << cut;
    Bytes wrongMagic = good;
    wrongMagic[0] = 'X';
    EXPECT_FALSE(image.LoadFromBytes(wrongMagic.data(), wrongMagic.size()));
    const Bytes huge = Bitmap(8000, 8000, 24, {});
    EXPECT_FALSE(image.LoadFromBytes(huge.data(), huge.size()));
    const Bytes negative = Bitmap(2, -2, 24, Bytes(12, 9));
    EXPECT_FALSE(image.LoadFromBytes(negative.data(), negative.size()));
    EXPECT_FALSE(image.LoadFromBytes(nullptr, 0));
}

} // namespace
