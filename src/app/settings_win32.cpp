// The window-system half of the settings: where vorn.cfg lives, the fonts
// made from the font settings and the metrics taken from them, and the
// font and colour choosers of the Options menu.
#include "app/shell_state.h"

#include <commdlg.h>

#include "preview/preview_pane_win32.h"
#include "settings/config_store.h"
#include "settings/settings_keys.h"
#include "support/text.h"

namespace {

constexpr char kSample[] = "AMBULAE";
constexpr uint32_t kSampleLength = 7;
constexpr LONG kBoldWeight = 700;
constexpr LONG kNormalWeight = 400;
constexpr DWORD kFontDialogFlags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS | CF_NOVERTFONTS;
constexpr WORD kFontTypes = 0x700;  // screen, regular and bold faces
constexpr DWORD kColorDialogFlags = CC_RGBINIT | CC_FULLOPEN;
// Longer module names than this are treated as unknown: the settings then
// live in the current directory rather than somewhere unexpected.
constexpr DWORD kModuleNameSize = 1024;

// The user's choice back into a font setting.
void storeChoice(FontSetting* setting, const LOGFONTA& font, int32_t resolution, bool keepItalic) {
    copyBounded(setting->face, font.lfFaceName, kFaceSize);
    setting->face[kFaceSize - 1] = 0;
    setting->size = heightToPoints(font.lfHeight, resolution);
    setting->style = font.lfWeight == kBoldWeight ? kStyleBold : 0;
    if (keepItalic && font.lfItalic) setting->style |= kStyleItalic;
    setting->charset = font.lfCharSet;
}

void installPreviewFonts() {
    setPreviewFonts(gDisplay.previewFont, gDisplay.placeholderFont, gDisplay.previewHeight);
}

// Opens the font chooser on a setting and makes the font chosen, never
// underlined or struck out, and italic only where allowed. Null when the
// user cancelled or the font cannot be made; *font holds the choice.
HFONT chooseNewFont(const FontSetting& setting, int32_t resolution, bool italicAllowed, LOGFONTA* font) {
    buildLogFont(font, resolution, &setting);
    if (!chooseFont(font)) return nullptr;
    if (!italicAllowed) font->lfItalic = 0;
    font->lfUnderline = 0;
    font->lfStrikeOut = 0;
    return CreateFontIndirectA(font);
}

// Installs a font in its slot; returns the one it replaces.
HFONT replaceFont(HFONT* slot, HFONT font) {
    HFONT old = *slot;
    *slot = font;
    return old;
}

}  // namespace

const char* loadSettings() {
    static char moduleName[kModuleNameSize];
    DWORD n = GetModuleFileNameA(nullptr, moduleName, kModuleNameSize - 1);
    bool known = n > 0 && n < kModuleNameSize - 1;
    moduleName[known ? n : 0] = 0;
    // buildConfigPath keeps within the 512-byte buffer: a directory too long
    // for it gives "vorn.cfg" alone.
    buildConfigPath(gSettings.configPath, known ? moduleName : nullptr);
    configLoad(gSettings.configPath);
    readSettings(&gSettings);
    for (COLORREF& c : gDisplay.customColors) c = 0;
    gDisplay.customColors[13] = gSettings.mainHash;
    gDisplay.customColors[14] = gSettings.mainText;
    gDisplay.customColors[15] = gSettings.mainBack;
    return gSettings.configPath;
}

int saveSettings(const char* path) {
    writeFontAndColorSettings(&gSettings);
    return configSave(path);
}

int32_t screenResolution() {
    HDC dc = GetDC(gShell.mainWindow);
    int32_t resolution = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(gShell.mainWindow, dc);
    return resolution;
}

void buildLogFont(LOGFONTA* font, int32_t resolution, const FontSetting* setting) {
    font->lfHeight = pointsToHeight(setting->size, resolution);
    font->lfWidth = 0;
    font->lfEscapement = 0;
    font->lfOrientation = 0;
    font->lfWeight = (setting->style & kStyleBold) ? kBoldWeight : kNormalWeight;
    font->lfItalic = (setting->style & kStyleItalic) ? 1 : 0;
    font->lfUnderline = 0;
    font->lfStrikeOut = 0;
    font->lfCharSet = (BYTE)(setting->charset & 0xFF);
    font->lfOutPrecision = OUT_TT_PRECIS;
    font->lfClipPrecision = 0;
    font->lfQuality = 0;
    font->lfPitchAndFamily = 0;
    static_assert(sizeof font->lfFaceName == kFaceSize);
    copyBounded(font->lfFaceName, setting->face, kFaceSize);
    font->lfFaceName[kFaceSize - 1] = 0;
}

LOGFONTA* chooseFont(LOGFONTA* font) {
    CHOOSEFONTA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = gShell.mainWindow;
    dialog.lpLogFont = font;
    dialog.Flags = kFontDialogFlags;
    dialog.nFontType = kFontTypes;
    return ChooseFontA(&dialog) ? font : nullptr;
}

COLORREF chooseColor(COLORREF current) {
    COLORREF custom[16];
    for (int i = 0; i < 16; ++i) custom[i] = gDisplay.customColors[i];
    custom[0] = current;
    CHOOSECOLORA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = gShell.mainWindow;
    dialog.rgbResult = current;
    dialog.lpCustColors = custom;
    dialog.Flags = kColorDialogFlags;
    if (!ChooseColorA(&dialog)) return current;
    for (int i = 0; i < 16; ++i) gDisplay.customColors[i] = custom[i];
    return dialog.rgbResult;
}

void createFonts() {
    const int32_t resolution = screenResolution();
    LOGFONTA font = {};
    buildLogFont(&font, resolution, &gSettings.mainFont);
    gDisplay.mainFont = CreateFontIndirectA(&font);
    gSettings.viewFont.style &= kStyleBold;  // the preview is never italic
    font = {};
    buildLogFont(&font, resolution, &gSettings.viewFont);
    gDisplay.previewFont = CreateFontIndirectA(&font);
    font.lfItalic = 1;
    font.lfUnderline = 1;
    gDisplay.placeholderFont = CreateFontIndirectA(&font);
    measureFonts();
}

void measureFonts() {
    HDC dc = GetDC(nullptr);
    HGDIOBJ first = SelectObject(dc, gDisplay.mainFont);
    SIZE extent = {};
    GetTextExtentPoint32A(dc, kSample, kSampleLength, &extent);
    gDisplay.avgCharWidth = (uint32_t)extent.cx / kSampleLength;
    gDisplay.sampleHeight = extent.cy;
    SelectObject(dc, gDisplay.previewFont);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    gDisplay.previewHeight = metrics.tmHeight;
    gDisplay.previewLeading = metrics.tmInternalLeading;
    SelectObject(dc, first);
    ReleaseDC(nullptr, dc);
    installPreviewFonts();
}

void changeMainFont() {
    const int32_t resolution = screenResolution();
    LOGFONTA font = {};
    HFONT created = chooseNewFont(gSettings.mainFont, resolution, true, &font);
    if (!created) return;
    // The lists take the new font before the old one goes.
    HFONT old = replaceFont(&gDisplay.mainFont, created);
    SendMessageA(gShell.tableList, WM_SETFONT, (WPARAM)created, 1);
    SendMessageA(gShell.entryList, WM_SETFONT, (WPARAM)created, 1);
    if (old) DeleteObject(old);
    storeChoice(&gSettings.mainFont, font, resolution, true);
    measureFonts();
    layoutPanes(SIZE_RESTORED, 0);
}

void changePreviewFont() {
    gSettings.viewFont.style &= kStyleBold;
    const int32_t resolution = screenResolution();
    LOGFONTA font = {};
    HFONT preview = chooseNewFont(gSettings.viewFont, resolution, false, &font);
    if (!preview) return;
    // The pane draws with the new font before the old one goes.
    HFONT old = replaceFont(&gDisplay.previewFont, preview);
    installPreviewFonts();
    if (old) DeleteObject(old);

    font.lfItalic = 1;
    font.lfUnderline = 1;
    HFONT placeholder = CreateFontIndirectA(&font);
    if (placeholder) {
        old = replaceFont(&gDisplay.placeholderFont, placeholder);
        installPreviewFonts();
        if (old) DeleteObject(old);
        storeChoice(&gSettings.viewFont, font, resolution, false);
    }
    // Without a placeholder font the new preview font stays in use and the
    // settings keep the old one.
    measureFonts();
    if (placeholder) PostMessageA(gShell.mainWindow, MSG_SHOW_SELECTED, 0, 0);
    layoutPanes(SIZE_RESTORED, 0);
}

void deleteFonts() {
    setPreviewFonts(nullptr, nullptr, 0);
    HFONT* fonts[3] = {&gDisplay.mainFont, &gDisplay.previewFont, &gDisplay.placeholderFont};
    for (HFONT* f : fonts) {
        if (*f) DeleteObject(*f);
        *f = nullptr;
    }
}
