#include <gtest/gtest.h>

#include <istream>
#include <vector>

#include "base/ByteWriter.h"
#include "gfx/BmpImage.h"
#include "gfx/Drawable.h"
#include "gfx/MemoryStreamBuf.h"
#include "gfx/Renderer.h"
#include "gfx/TextureManager.h"
#include "gfx/TgaImage.h"
#include "support/OffscreenGame.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A Targa header, the pixel bytes given, and the footer unless left out.
Bytes Tga(std::uint8_t type, int width, int height, std::uint8_t descriptor, const Bytes& pixels,
          bool footer = true)
{
    ByteWriter out;
    out.Bytes("\0\0", 2);
    out.U8(type);
    out.Bytes("\0\0\0\0\0\0\0\0\0", 9);
    out.U16(static_cast<std::uint16_t>(width));
    out.U16(static_cast<std::uint16_t>(height));
    out.U8(32);
    out.U8(descriptor);
    out.Bytes(pixels.data(), pixels.size());
    if (footer) {
        out.Bytes("\0\0\0\0\0\0\0\0", 8);
        out.Bytes("TRUEVISION-XFILE.", 18);
    }
    return out.Data();
}

bool LoadTga(TgaImage& image, const Bytes& bytes)
{
    MemoryStreamBuf buffer(bytes.data(), bytes.size());
    std::istream in(&buffer);
    return image.LoadFromStream(in, bytes.size());
}

// 2 x 2 whose file rows are (row 0) pixels 1, 2 and (row 1) 3, 4: pixel n is
// B = n, G = 10n, R = 20n, A = 30n.
Bytes TwoByTwo(std::uint8_t descriptor)
{
    Bytes pixels;
    for (std::uint8_t n = 1; n <= 4; ++n)
        pixels.insert(pixels.end(), {n, static_cast<std::uint8_t>(10 * n), static_cast<std::uint8_t>(20 * n),
                                     static_cast<std::uint8_t>(30 * n)});
    return Tga(2, 2, 2, descriptor, pixels);
}

TEST(TgaImage, ReversesRowsUnlessDescriptorBit4IsSetAndKeepsAlpha)
{
    TgaImage image;
    for (std::uint8_t descriptor : {0x08, 0x28, 0x38, 0x18}) {
        ASSERT_TRUE(LoadTga(image, TwoByTwo(descriptor)));
        EXPECT_EQ(image.Pixels()[0], descriptor & 0x10 ? 1 : 3) << "descriptor " << int(descriptor);
    }
    image.ConvertTo(kOrderRGBA);
    EXPECT_EQ(Bytes(image.Pixels().begin(), image.Pixels().begin() + 4), (Bytes{20, 10, 1, 30}));
    EXPECT_EQ(image.Pixels()[15], 120);
}

TEST(TgaImage, DecodesRunAndRawPacketsWithOrWithoutAFooterAndDropsOverflow)
{
    TgaImage image;
    ASSERT_TRUE(LoadTga(image, Tga(10, 130, 1, 0x18, {0xFF, 1, 2, 3, 4, 0x01, 5, 6, 7, 8, 9, 10, 11, 12})));
    ASSERT_EQ(image.Pixels().size(), 130u * 4);
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(image.Pixels()[static_cast<std::size_t>(i) * 4 + 3], 4) << "a run of 128, pixel " << i;
    EXPECT_EQ(std::tuple(image.Pixels()[128 * 4], image.Pixels()[129 * 4 + 3], image.IsCompressed()),
              std::tuple(5, 12, false))
        << "then two raw pixels";

    ASSERT_TRUE(LoadTga(image, Tga(2, 4, 4, 0x18, Bytes(64, 7), false))) << "no footer";
    EXPECT_EQ(image.Pixels().size(), 64u);

    ASSERT_TRUE(LoadTga(image, Tga(10, 2, 1, 0x18, {0xFF, 9, 9, 9, 9, 0x7F, 1, 1, 1, 1})));
    EXPECT_EQ(image.Pixels().size(), 8u) << "runs past the picture are dropped";
}

TEST(TgaImage, RefusesWhatItCannotBackWithBytes)
{
    TgaImage image;
    for (const auto& [why, bytes] : {std::pair("no pixels at all", Tga(2, 2, 2, 0, {}, false)),
                                     {"huge claim, tiny file", Tga(2, 4000, 4000, 0, {})},
                                     {"run-length claim too large", Tga(10, 8000, 8000, 0, {})},
                                     {"no width", Tga(2, 0, 2, 0, {})},
                                     {"colour-mapped type", Tga(1, 2, 2, 0, {})},
                                     {"short header", Bytes(10, 0)}})
        EXPECT_FALSE(LoadTga(image, bytes)) << why;
    EXPECT_EQ(std::tuple(image.Width(), image.Pixels().size()), std::tuple(0, 0u));
}

Bytes Bitmap(int width, int height, int depth, const Bytes& pixels, std::uint32_t coloursUsed = 0,
             const Bytes& palette = {}, std::uint32_t compression = 0)
{
    ByteWriter out;
    out.U16(0x4D42);
    for (std::uint32_t field : {0u, 0u, 54u, 40u}) // size, reserved, pixel offset, info size
        out.U32(field);
    out.I32(width);
    out.I32(height);
    out.U16(1);
    out.U16(static_cast<std::uint16_t>(depth));
    // compression, pixel bytes, resolutions, colours used and important
    for (std::uint32_t field : {compression, static_cast<std::uint32_t>(pixels.size()), 0u, 0u, coloursUsed, 0u})
        out.U32(field);
    out.Bytes(palette.data(), palette.size());
    out.Bytes(pixels.data(), pixels.size());
    return out.Data();
}

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Unpadded 24-bit rows are the shipped maps' pictures, read cell by cell.
TEST(BmpImage, EveryDepthBecomesOpaqueRgba)
{
    const Bytes palette = {10, 20, 30, 0, 40, 50, 60, 0};
    const Bytes a = {30, 20, 10, 255}, b = {60, 50, 40, 255}, c = {3, 2, 1, 255}, d = {6, 5, 4, 255};
    for (const auto& [what, file, rgba] : {
             std::tuple("24 bits, rows padded to 4", Bitmap(1, 2, 24, {1, 2, 3, 0, 4, 5, 6, 0}), Join({c, d})),
             {"32 bits", Bitmap(1, 1, 32, {1, 2, 3, 0}), c},
             {"palette", Bitmap(4, 1, 8, {0, 1, 1, 0}, 2, palette), Join({a, b, b, a})},
             {"palette, run-length", Bitmap(4, 1, 8, {3, 1, 0, 3, 0, 0, 0, 1}, 2, palette, 1), Join({b, b, b, a})}}) {
        BmpImage image;
        ASSERT_TRUE(image.LoadFromBytes(file.data(), file.size())) << what;
        if (image.IsCompressed())
            image.Decompress();
        image.ConvertTo(kOrderRGBA);
        EXPECT_EQ(image.Pixels(), rgba) << what;
    }
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
    const Bytes huge = Bitmap(8000, 8000, 24, {});
    const Bytes negative = Bitmap(2, -2, 24, Bytes(12, 9));
    for (const Bytes* bad : {static_cast<const Bytes*>(&wrongMagic), &huge, &negative})
        EXPECT_FALSE(image.LoadFromBytes(bad->data(), bad->size()));
    EXPECT_FALSE(image.LoadFromBytes(nullptr, 0));
}

class TextureCache : public OffscreenTest {};

TEST_F(TextureCache, LoadsEachPictureOnceAndCachesWhatItCannotRead)
{
    Renderer::Instance()->BeginFrame();
    TextureManager* manager = TextureManager::Instance();
    CTexture* font = manager->GetTexture("Font2.tga");
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(std::tuple(font->Width(), font->Id() != 0, manager->GetTexture(nullptr)), std::tuple(512, true, nullptr));

    // An upper-case ending picks the bitmap reader, which cannot read a
    // Targa; an empty name is the picture folder itself.
    for (const char* unreadable : {"no_such_picture.tga", "Font2.TGA", ""}) {
        CTexture* empty = manager->GetTexture(unreadable);
        ASSERT_NE(empty, nullptr) << unreadable;
        EXPECT_EQ(empty->Width(), 0) << unreadable;
    }
    const int count = manager->Count();
    for (const char* again : {"Font2.tga", "no_such_picture.tga"})
        manager->GetTexture(again);
    EXPECT_EQ(manager->Count(), count) << "each name is read once";
    EXPECT_EQ(manager->GetTexture("Font2.tga"), font);

    Drawable drawable;
    for (CTexture* texture : {font, font, static_cast<CTexture*>(nullptr)})
        drawable.AddTexture(texture);
    EXPECT_EQ(drawable.TextureCount(), 1u) << "a drawable holds each texture once";
    Renderer::Instance()->EndFrame();
}

} // namespace
