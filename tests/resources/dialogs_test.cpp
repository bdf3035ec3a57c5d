// The five dialog templates: as written (dialog units, styles, texts) and
// as the dialog manager creates them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resource.h"
#include "resource_reader.h"

using namespace restest;

namespace {

struct Rect {
    short x, y, cx, cy;
};
constexpr Rect kAnywhere = {-1, -1, -1, -1};  // the layout is this program's own choice

struct ControlSpec {
    int id;
    const wchar_t* className;
    DWORD style;   // bits that must be set; the class's type bits must match exactly
    DWORD absent;  // bits that must be clear
    Rect rect;
    const wchar_t* en;
    const wchar_t* ru;
};

struct DialogSpec {
    unsigned id;
    DWORD exStyle;
    Rect rect;
    const wchar_t* en;
    const wchar_t* ru;
    std::vector<ControlSpec> controls;
};

constexpr DWORD kFrame = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kPush = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kDefault = BS_DEFPUSHBUTTON | WS_TABSTOP;
constexpr DWORD kField = WS_BORDER | WS_TABSTOP;
constexpr DWORD kReadOnly = ES_READONLY | ES_CENTER | kField;
constexpr DWORD kHidden = WS_VISIBLE;  // as `absent`: not visible at first

const std::vector<DialogSpec>& dialogSpec() {
    static const std::vector<DialogSpec> spec = {
        {IDD_GUESS_ID, WS_EX_TOOLWINDOW, {32, 24, 196, 63}, L"Guess ID", L"Подбор имени", {
            {1001, L"Edit", ES_AUTOHSCROLL | ES_UPPERCASE | kField, ES_READONLY, {59, 5, 132, 14}, L"", L""},
            {1002, L"Edit", kReadOnly, 0, {59, 24, 58, 14}, L"", L""},
            {1003, L"Edit", kReadOnly, 0, {59, 44, 58, 14}, L"", L""},
            {IDOK, L"Button", kDefault, 0, {141, 24, 50, 14}, L"OK", L"OK"},
            {IDCANCEL, L"Button", kPush, 0, {141, 44, 50, 14}, L"Close", L"Закрыть"},
            {-1, L"Static", SS_RIGHT, WS_TABSTOP, {5, 8, 50, 8}, L"ID:", L"Имя:"},
            {-1, L"Static", SS_RIGHT, WS_TABSTOP, {5, 27, 50, 8}, L"Hash:", L"Хэш:"},
            {-1, L"Static", SS_RIGHT, WS_TABSTOP, {5, 47, 50, 8}, L"Target hash:", L"Цель:"},
        }},
        {IDD_EDIT_STRING, WS_EX_TOOLWINDOW, {32, 24, 316, 126}, L"Edit string", L"Изменение строки", {
            {-1, L"Static", SS_LEFT, WS_TABSTOP, {5, 5, 80, 8}, L"New:", L"Новая:"},
            {-1, L"Static", SS_LEFT, WS_TABSTOP, {162, 5, 80, 8}, L"Original:", L"Исходная:"},
            {1002, L"Edit", ES_MULTILINE | WS_VSCROLL | kField, ES_AUTOHSCROLL | WS_HSCROLL | ES_WANTRETURN | ES_READONLY,
             {5, 16, 150, 85}, L"", L""},
            {1003, L"Edit", ES_MULTILINE | WS_VSCROLL | ES_READONLY | kField, ES_AUTOHSCROLL | WS_HSCROLL,
             {161, 16, 150, 85}, L"", L""},
            {-1, L"Static", SS_RIGHT, WS_TABSTOP, {5, 110, 45, 8}, L"ID / Hash:", L"Имя / Хэш:"},
            {1004, L"Edit", kReadOnly, 0, {55, 107, 64, 14}, L"", L""},
            {IDOK, L"Button", kDefault, 0, {204, 107, 50, 14}, L"OK", L"OK"},
            {IDCANCEL, L"Button", kPush, 0, {261, 107, 50, 14}, L"Cancel", L"Отмена"},
        }},
        {IDD_FIND, 0, kAnywhere, L"Find", L"Поиск", {
            {-1, L"Static", SS_LEFT, WS_TABSTOP, kAnywhere, L"Fi&nd what:", L"Ч&то искать:"},
            {1150, L"Edit", ES_AUTOHSCROLL | kField, ES_READONLY, kAnywhere, L"", L""},
            {-1, L"Button", BS_GROUPBOX, WS_TABSTOP, kAnywhere, L"Look at", L"Где искать"},
            {1154, L"Button", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0, kAnywhere, L"&Strings", L"&Строки"},
            {1152, L"Button", BS_AUTORADIOBUTTON, WS_GROUP, kAnywhere, L"&IDs", L"&Имена"},
            {1153, L"Button", BS_AUTORADIOBUTTON, WS_GROUP, kAnywhere, L"&Hashes", L"&Хэши"},
            {1151, L"Button", BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 0, kAnywhere, L"Match &case",
             L"&Учитывать регистр"},
            {IDOK, L"Button", kDefault, 0, kAnywhere, L"&Find Next", L"Найти &далее"},
            {IDCANCEL, L"Button", kPush, 0, kAnywhere, L"Cancel", L"Отмена"},
        }},
        {IDD_ABOUT, 0, {0, 0, 186, 81}, L"About...", L"О программе...", {
            {IDOK, L"Button", kDefault, 0, {129, 60, 50, 14}, L"OK", L"OK"},
            {1010, L"Static", SS_ICON | SS_NOTIFY, 0, {12, 12, 20, 20}, nullptr, nullptr},
            {-1, L"Static", SS_LEFT, SS_NOTIFY, {60, 7, 119, 8}, L"Vornalis (Vorn)", L"Vornalis (Vorn)"},
            {-1, L"Static", SS_LEFT, SS_NOTIFY, {60, 18, 119, 8}, L"Version 0.9.7", L"Версия 0.9.7"},
            {-1, L"Static", SS_LEFT, SS_NOTIFY, {60, 29, 119, 20}, L"Copyright © 2007–2009\nby Brennik",
             L"Copyright © 2007–2009\nby Brennik"},
            {1011, L"Static", SS_CENTER | SS_NOTIFY | WS_DISABLED, kHidden, {7, 49, 81, 25},
             L"There are no\nEaster Eggs up here.\nGo away.", L"There are no\nEaster Eggs up here.\nGo away."},
        }},
        {IDD_DECODE_TABLE, 0, kAnywhere, L"Decode table", L"Таблица декодирования", {
            {1012, L"SysListView32", LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDATA | LVS_NOCOLUMNHEADER | kField, 0,
             kAnywhere, L"", L""},
            {3, L"Button", kPush, 0, kAnywhere, L"Load...", L"Загрузить..."},
            {4, L"Button", kPush, 0, kAnywhere, L"Save...", L"Сохранить..."},
            {1014, L"Button", kPush, 0, kAnywhere, L"Apply", L"Применить"},
            {IDCANCEL, L"Button", BS_PUSHBUTTON, kHidden, kAnywhere, L"Close", L"Закрыть"},
        }},
    };
    return spec;
}

bool sameClass(const std::wstring& a, const wchar_t* b) {
    return CompareStringOrdinal(a.c_str(), -1, b, -1, TRUE) == CSTR_EQUAL;
}

DWORD typeMask(const std::wstring& className) {
    if (sameClass(className, L"Button")) return BS_TYPEMASK;
    if (sameClass(className, L"Static")) return SS_TYPEMASK;
    if (sameClass(className, L"Edit")) return ES_CENTER | ES_RIGHT;
    if (sameClass(className, L"SysListView32")) return LVS_TYPEMASK;
    return 0;
}

void expectStyle(DWORD actual, DWORD wanted, DWORD absent, const std::wstring& className) {
    DWORD mask = typeMask(className);
    EXPECT_EQ(actual & mask, wanted & mask);
    EXPECT_EQ(actual & wanted & ~mask, wanted & ~mask);
    EXPECT_EQ(actual & absent, 0u);
    EXPECT_EQ(actual & WS_CHILD, static_cast<DWORD>(WS_CHILD));
    EXPECT_EQ((actual & WS_VISIBLE) != 0, (absent & WS_VISIBLE) == 0);
}

std::optional<DialogTemplate> templateIn(unsigned id, LANGID lang) {
    std::optional<Bytes> bytes = resourceIn(RT_DIALOG, id, lang);
    return bytes ? parseDialog(*bytes) : std::nullopt;
}

bool rectGiven(const Rect& r) {
    return r.cx >= 0;
}

TEST(DialogTemplates, MatchTheirLayoutInEachLanguage) {
    for (const DialogSpec& d : dialogSpec()) {
        for (LANGID lang : {kEnglish, kRussian}) {
            SCOPED_TRACE(testing::Message() << "dialog " << d.id << " language " << lang);
            const bool ru = lang == kRussian;
            std::optional<DialogTemplate> t = templateIn(d.id, lang);
            ASSERT_TRUE(t.has_value());
            EXPECT_EQ(t->style & kFrame, kFrame);
            EXPECT_EQ(t->style & WS_VISIBLE, 0u);
            EXPECT_EQ(t->exStyle & WS_EX_TOOLWINDOW, d.exStyle);
            if (rectGiven(d.rect)) {
                EXPECT_EQ(t->x, d.rect.x);
                EXPECT_EQ(t->y, d.rect.y);
                EXPECT_EQ(t->cx, d.rect.cx);
                EXPECT_EQ(t->cy, d.rect.cy);
            }
            EXPECT_EQ(t->caption, ru ? d.ru : d.en);
            EXPECT_EQ(t->fontName, L"MS Sans Serif");
            EXPECT_EQ(t->fontSize, 8);
            ASSERT_EQ(t->items.size(), d.controls.size());
            for (size_t i = 0; i < d.controls.size(); ++i) {
                SCOPED_TRACE(testing::Message() << "control " << i);
                const ControlSpec& want = d.controls[i];
                const TemplateItem& got = t->items[i];
                EXPECT_EQ(static_cast<short>(got.id), want.id);
                EXPECT_TRUE(sameClass(got.className, want.className));
                expectStyle(got.style, want.style, want.absent, want.className);
                if (rectGiven(want.rect)) {
                    EXPECT_EQ(got.x, want.rect.x);
                    EXPECT_EQ(got.y, want.rect.y);
                    EXPECT_EQ(got.cx, want.rect.cx);
                    EXPECT_EQ(got.cy, want.rect.cy);
                }
                if (want.en) {
                    EXPECT_EQ(got.text, ru ? want.ru : want.en);
                } else {
                    EXPECT_EQ(got.textOrdinal, IDI_VORN);  // the About box's icon
                }
            }
        }
    }
}

TEST(DialogTemplates, LanguagesShareOneLayout) {
    for (const DialogSpec& d : dialogSpec()) {
        SCOPED_TRACE(testing::Message() << "dialog " << d.id);
        std::optional<DialogTemplate> en = templateIn(d.id, kEnglish);
        std::optional<DialogTemplate> ru = templateIn(d.id, kRussian);
        ASSERT_TRUE(en && ru);
        EXPECT_EQ(en->style, ru->style);
        EXPECT_EQ(en->exStyle, ru->exStyle);
        EXPECT_EQ(en->cx, ru->cx);
        EXPECT_EQ(en->cy, ru->cy);
        ASSERT_EQ(en->items.size(), ru->items.size());
        for (size_t i = 0; i < en->items.size(); ++i) {
            const TemplateItem& a = en->items[i];
            const TemplateItem& b = ru->items[i];
            EXPECT_EQ(a.id, b.id) << i;
            EXPECT_EQ(a.style, b.style) << i;
            EXPECT_EQ(a.exStyle, b.exStyle) << i;
            EXPECT_EQ(a.x, b.x) << i;
            EXPECT_EQ(a.y, b.y) << i;
            EXPECT_EQ(a.cx, b.cx) << i;
            EXPECT_EQ(a.cy, b.cy) << i;
        }
    }
}

bool contains(const TemplateItem& outer, const TemplateItem& inner) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.cx <= outer.x + outer.cx &&
           inner.y + inner.cy <= outer.y + outer.cy;
}

bool overlap(const TemplateItem& a, const TemplateItem& b) {
    return a.x < b.x + b.cx && b.x < a.x + a.cx && a.y < b.y + b.cy && b.y < a.y + a.cy;
}

bool isGroupBox(const TemplateItem& item) {
    return sameClass(item.className, L"Button") && (item.style & BS_TYPEMASK) == BS_GROUPBOX;
}

// Visible controls lie inside the dialog and clear of each other; only a
// group box holds others, and then wholly.
TEST(DialogTemplates, ControlsStayInsideTheDialogAndApart) {
    for (const DialogSpec& d : dialogSpec()) {
        SCOPED_TRACE(testing::Message() << "dialog " << d.id);
        std::optional<DialogTemplate> t = templateIn(d.id, kEnglish);
        ASSERT_TRUE(t.has_value());
        std::vector<TemplateItem> shown;
        for (const TemplateItem& item : t->items) {
            if (item.style & WS_VISIBLE) shown.push_back(item);
        }
        for (size_t i = 0; i < shown.size(); ++i) {
            const TemplateItem& a = shown[i];
            EXPECT_GE(a.x, 0) << i;
            EXPECT_GE(a.y, 0) << i;
            EXPECT_LE(a.x + a.cx, t->cx) << i;
            EXPECT_LE(a.y + a.cy, t->cy) << i;
            for (size_t j = i + 1; j < shown.size(); ++j) {
                const TemplateItem& b = shown[j];
                if (!overlap(a, b)) continue;
                bool nested = (isGroupBox(a) && contains(a, b)) || (isGroupBox(b) && contains(b, a));
                EXPECT_TRUE(nested) << "controls " << i << " and " << j << " overlap";
            }
        }
    }
}

// ---------------------------------------------------------------- created

INT_PTR CALLBACK quietDialog(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

void initCommonControls() {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&init);
}

struct Dialog {
    HWND window;
    explicit Dialog(HWND w) : window(w) {}
    ~Dialog() {
        if (window) DestroyWindow(window);
    }
};

HWND createIn(unsigned id, LANGID lang) {
    std::optional<Bytes> bytes = resourceIn(RT_DIALOG, id, lang);
    if (!bytes) return nullptr;
    return CreateDialogIndirectParamW(self(), reinterpret_cast<LPCDLGTEMPLATEW>(bytes->data), nullptr, quietDialog, 0);
}

std::wstring windowText(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 255);
    return text;
}

std::wstring windowClass(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 63);
    return name;
}

std::vector<HWND> children(HWND dialog) {
    std::vector<HWND> list;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) list.push_back(child);
    return list;
}

void expectControls(HWND dialog, const DialogSpec& d, LANGID lang) {
    const bool ru = lang == kRussian;
    EXPECT_EQ(windowText(dialog), ru ? d.ru : d.en);
    std::vector<HWND> list = children(dialog);
    ASSERT_EQ(list.size(), d.controls.size());
    for (size_t i = 0; i < list.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "control " << i);
        const ControlSpec& want = d.controls[i];
        EXPECT_EQ(static_cast<short>(GetDlgCtrlID(list[i])), want.id);
        EXPECT_TRUE(sameClass(windowClass(list[i]), want.className));
        if (want.id != -1) {
            EXPECT_EQ(GetDlgItem(dialog, want.id), list[i]);
        }
        EXPECT_EQ(IsWindowEnabled(list[i]) != 0, (want.style & WS_DISABLED) == 0);
        EXPECT_EQ((GetWindowLongW(list[i], GWL_STYLE) & WS_VISIBLE) != 0, (want.absent & WS_VISIBLE) == 0);
        if (want.en) {
            EXPECT_EQ(windowText(list[i]), ru ? want.ru : want.en);
        } else {
            EXPECT_NE(SendMessageW(list[i], STM_GETICON, 0, 0), 0);
        }
    }
}

// Creates every dialog from its template in each language and hands it on.
template <typename Check>
void forEachDialogInEachLanguage(Check check) {
    initCommonControls();
    for (const DialogSpec& d : dialogSpec()) {
        for (LANGID lang : {kEnglish, kRussian}) {
            SCOPED_TRACE(testing::Message() << "dialog " << d.id << " language " << lang);
            Dialog dialog(createIn(d.id, lang));
            ASSERT_NE(dialog.window, nullptr);
            check(dialog.window, d, lang);
        }
    }
}

TEST(Dialogs, CreateInEachLanguageWithEveryControl) {
    forEachDialogInEachLanguage(expectControls);
}

TEST(Dialogs, CreateDialogParamAGivesTheUsersLanguage) {
    initCommonControls();
    for (const DialogSpec& d : dialogSpec()) {
        SCOPED_TRACE(testing::Message() << "dialog " << d.id);
        Dialog dialog(CreateDialogParamA(self(), MAKEINTRESOURCEA(d.id), nullptr, quietDialog, 0));
        ASSERT_NE(dialog.window, nullptr);
        expectControls(dialog.window, d, userLanguage());
    }
}

// Room the control itself takes beside its text, in pixels.
int chrome(HWND control) {
    if (!sameClass(windowClass(control), L"Button")) return 0;
    switch (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) {
    case BS_AUTOCHECKBOX:
    case BS_AUTORADIOBUTTON: return GetSystemMetrics(SM_CXMENUCHECK) + 4;
    case BS_GROUPBOX: return 12;
    default: return 6;
    }
}

// The control shows its whole text: a label within its rectangle (lines
// wrap), a button on one line beside its box or frame.
void expectTextFits(HWND control) {
    std::wstring text = windowText(control);
    if (text.empty()) return;
    SCOPED_TRACE(testing::Message() << "control " << static_cast<short>(GetDlgCtrlID(control)) << ", text of "
                                    << text.size() << " characters");
    RECT client;
    GetClientRect(control, &client);
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    const bool label = sameClass(windowClass(control), L"Static");
    RECT needed = {0, 0, client.right - chrome(control), 0};
    DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | (label ? DT_WORDBREAK | DT_EXPANDTABS : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    EXPECT_LE(needed.right, client.right - chrome(control));
    if (label) {
        EXPECT_LE(needed.bottom, client.bottom);
    }
}

// Every label and button shows its whole text in either language.
TEST(Dialogs, TextsFitTheirControls) {
    forEachDialogInEachLanguage([](HWND dialog, const DialogSpec&, LANGID) {
        for (HWND control : children(dialog)) expectTextFits(control);
    });
}

}  // namespace
