#include "glyphs.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

QImage Picture(Glyph glyph, GlyphLook look, QIcon::Mode mode = QIcon::Normal)
{
    const int size = look == GlyphLook::PictureButton ? 24 : 32;
    return GlyphIcon(glyph, look)
        .pixmap(QSize(size, size), 1.0, mode)
        .toImage()
        .convertToFormat(QImage::Format_ARGB32);
}

bool Blank(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                return false;
    return true;
}

struct LookGlyphs {
    GlyphLook look;
    int size;
    std::vector<Glyph> glyphs;
};

// Every glyph a window puts on its buttons is drawn in that window's look;
// a case missing from a look would leave its button blank.
TEST(Glyphs, EveryLookDrawsTheGlyphsItsWindowShowsAtItsSize)
{
    const std::vector<LookGlyphs> looks{
        {GlyphLook::MainToolBar,
         32,
         {Glyph::Open, Glyph::Save, Glyph::Print, Glyph::Version, Glyph::Record,
          Glyph::HarmonicList, Glyph::StartTest, Glyph::Single, Glyph::Continuous, Glyph::Stop}},
        {GlyphLook::RecordToolBar,
         32,
         {Glyph::Open, Glyph::Create, Glyph::Print, Glyph::Settings, Glyph::StartRecording,
          Glyph::Stop, Glyph::Newer, Glyph::Older, Glyph::ZoomOut, Glyph::ZoomIn, Glyph::ScaleUp,
          Glyph::ScaleDown, Glyph::ShowHide, Glyph::Range, Glyph::ExportCsv, Glyph::ExportPng}},
        {GlyphLook::PictureButton, 24, {Glyph::Left, Glyph::Right, Glyph::ZoomOut, Glyph::ZoomIn}},
    };
    for (const LookGlyphs& l : looks)
        for (Glyph glyph : l.glyphs) {
            SCOPED_TRACE(testing::Message() << "look " << int(l.look) << " glyph " << int(glyph));
            const QImage image = Picture(glyph, l.look);
            EXPECT_EQ(image.size(), QSize(l.size, l.size));
            EXPECT_FALSE(Blank(image));
        }
    EXPECT_TRUE(Blank(Picture(Glyph::None, GlyphLook::RecordToolBar)));
}

// The shared shapes keep each look's measures: the same glyph differs
// between looks, and the magnifier's plus is more than its minus.
TEST(Glyphs, SharedShapesKeepEachLooksPicture)
{
    for (Glyph glyph : {Glyph::Open, Glyph::Print, Glyph::Stop})
        EXPECT_NE(Picture(glyph, GlyphLook::MainToolBar), Picture(glyph, GlyphLook::RecordToolBar))
            << int(glyph);
    for (GlyphLook look : {GlyphLook::RecordToolBar, GlyphLook::PictureButton})
        EXPECT_NE(Picture(Glyph::ZoomIn, look), Picture(Glyph::ZoomOut, look)) << int(look);
    EXPECT_NE(Picture(Glyph::Left, GlyphLook::PictureButton),
              Picture(Glyph::Right, GlyphLook::PictureButton));
}

// The main tool bar greys its own disabled pictures: light grey at half the
// opacity, wherever the normal picture has ink.
TEST(Glyphs, MainToolBarGreysItsDisabledPictures)
{
    const QImage normal = Picture(Glyph::Stop, GlyphLook::MainToolBar);
    const QImage disabled = Picture(Glyph::Stop, GlyphLook::MainToolBar, QIcon::Disabled);
    const QRgb centre = normal.pixel(16, 16);
    const QRgb grey = disabled.pixel(16, 16);
    EXPECT_EQ(qRed(grey), qGreen(grey));
    EXPECT_EQ(qGreen(grey), qBlue(grey));
    EXPECT_EQ(qRed(grey), 160 + qGray(centre) / 4);
    EXPECT_EQ(qAlpha(grey), qAlpha(centre) / 2);
}

} // namespace
