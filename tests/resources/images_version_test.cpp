// Icons, version information and the manifest.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "resource.h"
#include "resource_reader.h"

using namespace restest;

namespace {

// ---------------------------------------------------------------- icons

HICON loadIcon(unsigned id, int size) {
    return static_cast<HICON>(LoadImageA(self(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
}

TEST(Icons, EachLoadsAtBothSizes) {
    for (unsigned id = IDI_FIRST; id <= IDI_LAST; ++id) {
        for (int size : {32, 16}) {
            SCOPED_TRACE(testing::Message() << "icon " << id << " at " << size);
            HICON icon = loadIcon(id, size);
            ASSERT_NE(icon, nullptr);
            ICONINFO info{};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            BITMAP bitmap{};
            GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
            EXPECT_EQ(bitmap.bmWidth, size);
            EXPECT_EQ(bitmap.bmHeight, size);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
    }
}

#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

// Each icon carries its own drawing for both sizes, so neither is scaled.
TEST(Icons, EachHoldsA32And16PixelImageInFullColour) {
    for (unsigned id = IDI_FIRST; id <= IDI_LAST; ++id) {
        SCOPED_TRACE(testing::Message() << "icon " << id);
        std::optional<Bytes> group = resourceIn(RT_GROUP_ICON, id, kNeutral);
        ASSERT_TRUE(group.has_value());
        ASSERT_GE(group->size, 6u);
        WORD header[3];
        std::memcpy(header, group->data, sizeof header);
        EXPECT_EQ(header[1], 1);  // icons, not cursors
        ASSERT_EQ(header[2], 2);
        ASSERT_EQ(group->size, 6u + 2 * sizeof(GroupEntry));
        std::vector<int> sizes;
        for (int i = 0; i < 2; ++i) {
            GroupEntry entry;
            std::memcpy(&entry, group->data + 6 + i * sizeof entry, sizeof entry);
            sizes.push_back(entry.width);
            EXPECT_EQ(entry.width, entry.height);
            EXPECT_EQ(entry.bitCount, 32);
        }
        EXPECT_EQ(sizes, (std::vector<int>{32, 16}));
    }
}

// The About box steps through the icons until one fails to load.
TEST(Icons, NoneFollowsTheLast) {
    EXPECT_EQ(loadIcon(IDI_LAST + 1, 32), nullptr);
    EXPECT_EQ(FindResourceA(self(), MAKEINTRESOURCEA(IDI_LAST + 1), MAKEINTRESOURCEA(14)), nullptr);
}

// The hue, in degrees, of the average of an icon's strongly coloured
// pixels (drawn on white, so that white, grey and black parts drop out).
double dominantHue(HICON icon, int size) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    std::memset(bits, 0xFF, static_cast<size_t>(size * size * 4));
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    double r = 0, g = 0, b = 0;
    const auto* pixel = static_cast<const BYTE*>(bits);
    for (int i = 0; i < size * size; ++i, pixel += 4) {
        int high = std::max({pixel[0], pixel[1], pixel[2]});
        int low = std::min({pixel[0], pixel[1], pixel[2]});
        if (high - low < 64) continue;
        b += pixel[0];
        g += pixel[1];
        r += pixel[2];
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    // Hue from the colour's projection on the red-green-blue colour wheel.
    double degrees = std::atan2(std::sqrt(3.0) * (g - b), 2 * r - g - b) * 180 / 3.14159265358979;
    return degrees < 0 ? degrees + 360 : degrees;
}

// The four layout icons tell the layouts apart by colour at a glance, even
// at 16 pixels in the title bar: their hues lie well apart on the wheel.
TEST(Icons, LayoutIconsDifferInColour) {
    const unsigned layouts[] = {IDI_LAYOUT_0, IDI_LAYOUT_1, IDI_LAYOUT_2, IDI_LAYOUT_AT};
    for (int size : {32, 16}) {
        std::vector<double> hues;
        for (unsigned id : layouts) {
            HICON icon = loadIcon(id, size);
            ASSERT_NE(icon, nullptr);
            hues.push_back(dominantHue(icon, size));
            DestroyIcon(icon);
        }
        for (size_t i = 0; i < hues.size(); ++i) {
            for (size_t j = i + 1; j < hues.size(); ++j) {
                double apart = std::fabs(hues[i] - hues[j]);
                apart = std::min(apart, 360 - apart);
                EXPECT_GT(apart, 40.0) << "layouts " << i << " and " << j << " at " << size << ": hues "
                                       << hues[i] << " and " << hues[j];
            }
        }
    }
}

// ---------------------------------------------------------------- version

std::string versionString(const std::vector<char>& block, const char* name) {
    std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
    char* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value) return {};
    return std::string(value);
}

TEST(Version, SaysTheProjectVersionAndProductName) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    unsigned major = 0, minor = 0, patch = 0;
    ASSERT_EQ(std::sscanf(VORN_PROJECT_VERSION, "%u.%u.%u", &major, &minor, &patch), 3);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(minor, major));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, patch));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    EXPECT_EQ(versionString(block, "ProductName"), "Vorn");
    EXPECT_EQ(versionString(block, "ProductVersion"), VORN_PROJECT_VERSION);
    EXPECT_EQ(versionString(block, "FileVersion"), VORN_PROJECT_VERSION);
    EXPECT_EQ(versionString(block, "OriginalFilename"), "Vorn.exe");
}

// ---------------------------------------------------------------- manifest

std::string manifestText() {
    std::optional<Bytes> bytes = resourceIn(RT_MANIFEST, 1, kNeutral);
    if (!bytes) return {};
    return std::string(reinterpret_cast<const char*>(bytes->data), bytes->size);
}

TEST(Manifest, AsksForCommonControls6AndDpiAwarenessAsInvoker) {
    std::string text = manifestText();
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(text.find("<dpiAware"), std::string::npos);
    // The program works in the user's ANSI code page through the A calls.
    EXPECT_EQ(text.find("activeCodePage"), std::string::npos);
}

// The test program links the same resources, so the loader has applied the
// manifest to it as it will to Vorn.exe.  Common Controls 6 lives in the
// side-by-side store; the older version 5 is the one in the system folder.
TEST(Manifest, TakesEffectAtStart) {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&init);
    HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(comctl, path, MAX_PATH);
    CharLowerW(path);
    EXPECT_NE(std::wstring(path).find(L"\\winsxs\\"), std::wstring::npos);
    EXPECT_TRUE(IsProcessDPIAware());
    EXPECT_NE(GetACP(), static_cast<UINT>(CP_UTF8));
}

}  // namespace
