#include <gtest/gtest.h>

#include "gfx/Drawable.h"
#include "gfx/Renderer.h"
#include "gfx/TextureManager.h"
#include "support/OffscreenGame.h"

namespace {

class TextureCache : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!OpenOffscreenGame())
            GTEST_SKIP() << "no GL driver";
        Renderer::Instance()->BeginFrame();
    }
    void TearDown() override
    {
        if (OpenOffscreenGame())
            Renderer::Instance()->EndFrame();
    }
};

TEST_F(TextureCache, LoadsEachPictureOnce)
{
    TextureManager* manager = TextureManager::Instance();
    CTexture* font = manager->GetTexture("Font2.tga");
    ASSERT_NE(font, nullptr);
    const int count = manager->Count();
    EXPECT_EQ(font->Name(), "Font2.tga");
    EXPECT_EQ(font->Width(), 512);
    EXPECT_EQ(font->Height(), 128);
    EXPECT_NE(font->Id(), 0u);
    EXPECT_EQ(manager->GetTexture("Font2.tga"), font);
    EXPECT_EQ(manager->Count(), count);
    EXPECT_EQ(manager->GetTexture(nullptr), nullptr);
}

TEST_F(TextureCache, UnreadablePicturesBecomeCachedEmptyTextures)
{
    TextureManager* manager = TextureManager::Instance();
    CTexture* missing = manager->GetTexture("no_such_picture.tga");
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->Width(), 0);
    const int count = manager->Count();
    EXPECT_EQ(manager->GetTexture("no_such_picture.tga"), missing);
    EXPECT_EQ(manager->Count(), count);

    // An upper-case ending picks the bitmap reader, which cannot read a Targa.
    CTexture* upper = manager->GetTexture("Font2.TGA");
    ASSERT_NE(upper, nullptr);
    EXPECT_NE(upper, manager->GetTexture("Font2.tga")) << "names compare exactly";
    EXPECT_EQ(upper->Width(), 0);

    // An empty name points at the picture folder itself: still just empty.
    CTexture* folder = manager->GetTexture("");
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->Width(), 0);
}

TEST_F(TextureCache, DrawablesHoldEachTextureOnce)
{
    Drawable drawable;
    CTexture* font = TextureManager::Instance()->GetTexture("Font2.tga");
    drawable.AddTexture(font);
    drawable.AddTexture(font);
    drawable.AddTexture(nullptr);
    EXPECT_EQ(drawable.TextureCount(), 1u);
    EXPECT_TRUE(drawable.HasTextures());
    drawable.ClearTextures();
    EXPECT_FALSE(drawable.HasTextures());
    char text[64];
    drawable.ErrorText(text, sizeof text);
    EXPECT_STREQ(text, "no error");
}

} // namespace
