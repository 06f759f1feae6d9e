// The Win32 side of TSkinData: the packed skin read from a module's resources, and the platform
// services (system colours, metrics, caption font) that replace the portable defaults.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "helpers/UpdaterSkin.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/model/SkinElementTable.h"
#include "skin/model/WinSkinData_win.h"

namespace {

// Resource of this test program (skindata_test.rc) whose bytes are not a packed skin.
constexpr int kNotASkinResourceId = 201;

bool HasRcData(HMODULE module, int id) {
    return FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10)) != nullptr;
}

std::string SkinIniText() {
    std::ifstream in(HostPath(UPDATER_SOURCE_DIR "/resources/skin/skin.ini"), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every test leaves the portable defaults installed, as the other tests expect them.
class SkinDataWin : public ::testing::Test {
protected:
    void TearDown() override {
        SetSkinPlatform(nullptr);
        SetSysColourResolver(nullptr);
    }
};

TEST_F(SkinDataWin, ModuleWithoutTheSkinResourceLoadsNothing) {
    ASSERT_FALSE(HasRcData(GetModuleHandleA(nullptr), kStoredSkinResourceId));
    TSkinData data(nullptr);
    EXPECT_FALSE(LoadSkinFromResource(data));
    EXPECT_TRUE(data.SkinUnloaded());
    EXPECT_TRUE(data.StoredSkin().empty());
    EXPECT_TRUE(data.SkinName.empty());
    EXPECT_TRUE(data.Border(TSkinData::bdTop).Bitmap.Empty());
    EXPECT_TRUE(data.CaptionButtons.empty());
    EXPECT_EQ(data.Progress, nullptr) << "elements without a skin";
    EXPECT_FALSE(data.Active()) << "nothing may be skinned";
}

TEST_F(SkinDataWin, ResourceThatIsNotASkinIsRefusedWithAReason) {
    ASSERT_TRUE(HasRcData(GetModuleHandleA(nullptr), kNotASkinResourceId)) << "skindata_test.rc not linked";
    TSkinData data(nullptr);
    EXPECT_FALSE(LoadSkinFromResource(data, nullptr, kNotASkinResourceId));
    EXPECT_TRUE(data.SkinUnloaded());
    EXPECT_FALSE(data.LastLoadError().empty());
    EXPECT_TRUE(data.SkinName.empty());
    EXPECT_TRUE(data.Border(TSkinData::bdTop).Bitmap.Empty());
    EXPECT_TRUE(data.CaptionButtons.empty());
    EXPECT_EQ(data.Progress, nullptr);
}

TEST_F(SkinDataWin, MissingResourceIdInAModuleThatHasTheSkin) {
    if (!kUpdaterExe) GTEST_SKIP() << "update.exe is not part of this build";
    TDataModule exe(HostPath(kUpdaterExe));
    ASSERT_NE(exe.get(), nullptr) << "cannot load " << kUpdaterExe << " as data";
    TSkinData data(nullptr);
    EXPECT_FALSE(LoadSkinFromResource(data, exe.get(), kStoredSkinResourceId + 77));
    EXPECT_TRUE(data.SkinUnloaded());
}

TEST_F(SkinDataWin, StoredSkinOfTheUpdaterLoadsWithItsElements) {
    if (!kUpdaterExe) GTEST_SKIP() << "update.exe is not part of this build";
    TDataModule exe(HostPath(kUpdaterExe));
    ASSERT_NE(exe.get(), nullptr) << "cannot load " << kUpdaterExe << " as data";
    ASSERT_TRUE(HasRcData(exe.get(), kStoredSkinResourceId));

    TSkinData data(nullptr);
    ASSERT_TRUE(LoadSkinFromResource(data, exe.get())) << data.LastLoadError();
    EXPECT_FALSE(data.SkinUnloaded());
    EXPECT_FALSE(data.StoredSkin().empty());
    EXPECT_FALSE(data.Active()) << "loading alone activates nothing";

    const std::string ini = SkinIniText();
    ASSERT_FALSE(ini.empty()) << "resources/skin/skin.ini not readable";
    ASSERT_FALSE(data.SkinName.empty());
    const size_t at = ini.find("SkinName=" + data.SkinName);
    ASSERT_NE(at, std::string::npos) << data.SkinName;
    const size_t end = at + 9 + data.SkinName.size();
    EXPECT_TRUE(end == ini.size() || ini[end] == '\r' || ini[end] == '\n')
        << "name cut short: " << data.SkinName;

    // The frame: four borders with images, and the caption text placed as the skin says.
    for (auto side : {TSkinData::bdLeft, TSkinData::bdRight, TSkinData::bdTop, TSkinData::bdBottom}) {
        const TDataSkinBorder& b = data.Border(side);
        EXPECT_FALSE(b.Bitmap.Empty()) << b.Name;
        EXPECT_EQ(b.FrameCount, 2) << b.Name;
    }
    EXPECT_EQ(data.Border(TSkinData::bdLeft).TopHeight, 26);
    EXPECT_EQ(data.Title().LeftWidth, 22) << "TextShift";
    EXPECT_EQ(data.Title().RightWidth, 76) << "TextRightClip";

    EXPECT_FALSE(data.Buttons().Bitmap.Empty());
    EXPECT_FALSE(data.Buttons().CheckBitmap.Empty());
    EXPECT_FALSE(data.Buttons().RadioBitmap.Empty());
    EXPECT_EQ(data.Buttons().CheckButtonFrame, 12);

    // Caption buttons: close, maximise, minimise and restore carry images.
    int withImage = 0;
    for (const auto& b : data.CaptionButtons)
        if (!b->Bitmap.Empty()) ++withImage;
    EXPECT_GE(withImage, 4);

    // Controls the updater's window uses.
    for (const char* section : {"Progress", "StatusBarEdges", "GroupBox", "Progress.Chunk"}) {
        ASSERT_NE(FindSkinElement(section), nullptr) << section;
        const TDataSkinObject* e = ElementOf(data, *FindSkinElement(section));
        ASSERT_NE(e, nullptr) << section;
        EXPECT_FALSE(e->Bitmap.Empty()) << section;
    }
    ASSERT_NE(data.Progress, nullptr);
    ASSERT_NE(data.ProgressChunk, nullptr);

    EXPECT_TRUE(data.ColourGiven[scButtonFace]);
    EXPECT_EQ(ColourToRGB(data.SkinColours[scButtonFace]), RGBColour(238, 240, 243));
    EXPECT_GT(data.Elements().size(), 10u);
}

TEST_F(SkinDataWin, PlatformServicesResolveSystemColoursThroughTheSystem) {
    // Find the references whose system value differs from the built-in classic table, so the
    // check below can tell the two resolvers apart.
    UsePlatformSkinServices();
    int differing = 0;
    for (int index = 0; index <= COLOR_MENUBAR; ++index) {
        const TColor system = TColor(GetSysColor(index) & 0xFFFFFF);
        EXPECT_EQ(ColourToRGB(SysColourRef(index)), system) << "system colour " << index;
        if (system != DefaultSysColour(index)) ++differing;
    }
    EXPECT_GT(differing, 0) << "the system's colours equal the built-in table; the check proves nothing";

    SetSysColourResolver(nullptr);
    EXPECT_EQ(ColourToRGB(SysColourRef(COLOR_BTNFACE)), DefaultSysColour(COLOR_BTNFACE));
}

TEST_F(SkinDataWin, PlatformServicesGiveTheSystemsMetricsAndCaptionFont) {
    UsePlatformSkinServices();
    const TSkinPlatform& platform = SkinPlatform();
    EXPECT_EQ(platform.HorzScrollArrowWidth(), GetSystemMetrics(SM_CXHSCROLL));
    EXPECT_EQ(platform.MaximizedWidth(), GetSystemMetrics(SM_CXMAXIMIZED));
    EXPECT_EQ(platform.MaximizedHeight(), GetSystemMetrics(SM_CYMAXIMIZED));
    EXPECT_TRUE(platform.HasScrollBarInfo());

    NONCLIENTMETRICSA m{};
    m.cbSize = sizeof(m);
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(m), &m, 0));
    const TSkinFont font = platform.CaptionFont();
    EXPECT_EQ(font.Name, std::string(m.lfCaptionFont.lfFaceName));
    EXPECT_EQ(font.Height, m.lfCaptionFont.lfHeight);
    EXPECT_EQ(font.Weight, m.lfCaptionFont.lfWeight);

    // A skin data object made now takes the system's maximised size.
    TSkinData data(nullptr);
    EXPECT_EQ(data.MaxWidth, GetSystemMetrics(SM_CXMAXIMIZED));
    EXPECT_EQ(data.MaxHeight, GetSystemMetrics(SM_CYMAXIMIZED));

    auto hint = platform.CreateHintWindow();
    ASSERT_NE(hint, nullptr);
    const TRect r = hint->CalcHintRect(300, "Close");
    EXPECT_GT(r.Width(), 6);
    EXPECT_GT(r.Height(), 2);
}

} // namespace
