// Painting a skin off screen through the render layer, checked by pixels:
// fills, images (and their @2x versions), the progress bar's fore part,
// the focus ring, and Chinese text with real glyphs.
#include <gtest/gtest.h>

#include <string>

#include "SkinFixture.h"
#include "toolkit/UIlib.h"
#include "toolkit/render/OffscreenSurface.h"
#include "toolkit/render/TextLayout.h"

using namespace DuiLib;

namespace {

constexpr unsigned int kRed = 0xFFFF0000;
constexpr unsigned int kGreen = 0xFF00FF00;
constexpr unsigned int kBlue = 0xFF0000FF;
constexpr unsigned int kBlack = 0xFF000000;
constexpr unsigned int kWhite = 0xFFFFFFFF;

// 100 wide at 96 dpi; rows of 20 px: fill, image, bar, text (40 px), button, hi-dpi image.
const char* kPaintSkin =
    "<Window><Font id=\"0\" name=\"Noto Sans CJK SC\" size=\"16\" default=\"true\"/>"
    "<VerticalLayout bkcolor=\"#FF808080\">"
    "<Control height=\"20\" bkcolor=\"#FFFF0000\"/>"
    "<Control height=\"20\" bkimage=\"green.png\"/>"
    "<Progress name=\"bar\" height=\"20\" bkcolor=\"#FF000000\" forecolor=\"#FF00FF00\" value=\"50\"/>"
    "<Label name=\"text\" height=\"40\" text=\"文件数据恢复\" textcolor=\"#FF000000\" bkcolor=\"#FFFFFFFF\"/>"
    "<Button name=\"button\" height=\"20\" bkcolor=\"#FFFFFFFF\" focusbordercolor=\"#FF0000FF\"/>"
    "<Control height=\"20\" bkimage=\"file='sharp.png' dest='0,0,50,20'\"/>"
    "</VerticalLayout></Window>";

class PaintFixture : public ::testing::Test {
protected:
    void Render(int dpi) {
        skin = std::make_unique<ScopedSkin>(std::map<std::string, std::string>{
            {"Main.xml", kPaintSkin},
            {"green.png", MakePng(10, 10, kGreen)},
            {"sharp.png", MakePng(10, 10, kRed)},
            {"sharp@2x.png", MakePng(20, 20, kBlue)}});
        manager = std::make_unique<CPaintManagerUI>();
        manager->SetDPI(dpi);
        CDialogBuilder builder;
        ASSERT_TRUE(manager->AttachDialog(builder.Create(L"Main.xml", nullptr, nullptr, manager.get())));
        int scale = dpi / 96;
        manager->SetClientSize(SIZE{100 * scale, 140 * scale});
        surface = std::make_unique<COffscreenSurface>(100 * scale, 140 * scale);
        Paint();
    }
    void Paint() { manager->Paint(surface->Context(), RECT{0, 0, 1000, 1000}); }
    unsigned int Pixel(int x, int y) { return surface->GetPixel(x, y); }

    std::unique_ptr<ScopedSkin> skin;
    std::unique_ptr<CPaintManagerUI> manager;
    std::unique_ptr<COffscreenSurface> surface;
};

}  // namespace

TEST_F(PaintFixture, FillsImagesAndTheProgressBar) {
    Render(96);
    EXPECT_EQ(Pixel(50, 10), kRed);
    EXPECT_EQ(Pixel(50, 30), kGreen);  // the 10 x 10 image stretched over the control
    EXPECT_EQ(Pixel(5, 50), kGreen);   // value 50 of 0..100: the left half
    EXPECT_EQ(Pixel(48, 50), kGreen);
    EXPECT_EQ(Pixel(52, 50), kBlack);
    EXPECT_EQ(Pixel(95, 50), kBlack);
    EXPECT_EQ(Pixel(25, 130), kRed);     // the image's dest: the left 50 px
    EXPECT_EQ(Pixel(75, 130), 0xFF808080u);

    static_cast<CProgressUI*>(manager->FindControl(L"bar"))->SetValue(100);
    Paint();
    EXPECT_EQ(Pixel(95, 50), kGreen);
}

TEST_F(PaintFixture, DoubleSizeImagesAtHighDpi) {
    Render(192);
    EXPECT_EQ(Pixel(50, 260), kBlue);   // sharp@2x.png
    EXPECT_EQ(Pixel(100, 60), kGreen);  // green.png has no @2x: the 1x image, scaled
    EXPECT_EQ(Pixel(95, 100), kGreen);  // the bar's fore part scales with the control
    EXPECT_EQ(Pixel(105, 100), kBlack);
}

TEST_F(PaintFixture, FocusedControlsShowARingOnceTheKeyboardMovesFocus) {
    Render(96);
    EXPECT_EQ(Pixel(0, 110), kWhite);
    manager->FindControl(L"button")->SetFocus();  // as a click does
    Paint();
    EXPECT_EQ(Pixel(0, 110), kWhite);
    manager->SetFocus(nullptr);
    for (int i = 0; i < 10 && manager->GetFocus() != manager->FindControl(L"button"); ++i) manager->SetNextTabControl();
    Paint();
    EXPECT_EQ(Pixel(0, 110), kBlue);
    EXPECT_EQ(Pixel(99, 110), kBlue);
    EXPECT_EQ(Pixel(50, 100), kBlue);
    EXPECT_EQ(Pixel(50, 110), kWhite);
}

TEST_F(PaintFixture, ChineseTextHasGlyphs) {
    Render(96);
    TFontInfo font = manager->GetFont(0);
    TTextExtent extent = MeasureText(L"文件数据恢复", font);
    EXPECT_EQ(extent.unknownGlyphs, 0);
    EXPECT_GT(extent.cx, 6 * 12);  // six full-width characters at 16 px
    // Measured, not assumed: a CJK line is taller than the font size.
    EXPECT_GE(extent.cy, font.iSize);

    int dark = 0;
    for (int y = 60; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) dark += (Pixel(x, y) & 0xFF) < 0x80 ? 1 : 0;
    }
    EXPECT_GT(dark, 50);
}
