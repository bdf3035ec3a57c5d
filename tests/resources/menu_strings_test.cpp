// The main menu, the string table and the accelerators.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "resource.h"
#include "resource_reader.h"

using namespace restest;

namespace {

// ---------------------------------------------------------------- menu

struct ItemSpec {
    UINT id;  // 0: a separator
    const wchar_t* en;
    const wchar_t* ru;
    bool startsColumn = false;
};
struct PopupSpec {
    const wchar_t* en;
    const wchar_t* ru;
    std::vector<ItemSpec> items;
};

const std::vector<PopupSpec>& menuSpec() {
    static const std::vector<PopupSpec> spec = {
        {L"&File", L"&Файл", {
            {40017, L"Open &GXT...\tCtrl+O", L"Открыть &GXT...\tCtrl+O"},
            {40015, L"Save GXT &as...\tCtrl+S", L"Сохранить GXT к&ак...\tCtrl+S"},
            {40013, L"Close GXT", L"Закрыть GXT"},
            {0, nullptr, nullptr},
            {40007, L"Open &String list...", L"Откр&ыть список строк..."},
            {40008, L"Close St&ring list", L"За&крыть список строк"},
            {0, nullptr, nullptr},
            {1002, L"E&xit\tAlt+F4", L"&Выход\tAlt+F4"},
            {40024, L"Import &Decode table...", L"Импорт таблицы декодиро&вания...", true},
            {40003, L"Import &ID list...", L"Импорт списка имё&н..."},
            {40014, L"Import &Text...", L"Импорт т&екста..."},
            {0, nullptr, nullptr},
            {40025, L"Export De&code table...", L"Экспорт та&блицы декодирования..."},
            {40004, L"Export ID &list...", L"Экспорт &списка имён..."},
            {40009, L"Export T&ext...", L"Экспорт &текста..."},
        }},
        {L"&Edit", L"&Правка", {
            {40005, L"Guess &ID...\tSpace", L"Подбор &имени...\tSpace"},
            {40006, L"Modify &string...\tEnter", L"Изменить &строку...\tEnter"},
            {0, nullptr, nullptr},
            {40023, L"&Decode table...", L"&Таблица декодирования..."},
            {0, nullptr, nullptr},
            {40011, L"&Find...\tF7, Ctrl+F", L"&Найти...\tF7, Ctrl+F"},
            {40012, L"Find &next\tF3", L"Найти &далее\tF3"},
        }},
        {L"&Options", L"&Настройки", {
            {40027, L"&Preview font...", L"Шрифт окна &просмотра..."},
            {40026, L"&Main font...", L"&Основной шрифт..."},
            {0, nullptr, nullptr},
            {40031, L"P&review back color...", L"Фон окна п&росмотра..."},
            {40028, L"&Background color...", L"&Фоновый цвет..."},
            {40029, L"&Text color...", L"Цвет &текста..."},
            {40030, L"&Hash color...", L"Цвет &хэшей..."},
        }},
        {L"&Help", L"&Справка", {
            {40021, L"&About...", L"&О программе..."},
        }},
    };
    return spec;
}

void expectMenuMatches(const std::vector<MenuItem>& menu, LANGID lang) {
    const bool ru = lang == kRussian;
    const std::vector<PopupSpec>& spec = menuSpec();
    ASSERT_EQ(menu.size(), spec.size());
    for (size_t p = 0; p < spec.size(); ++p) {
        SCOPED_TRACE(testing::Message() << "popup " << p);
        EXPECT_EQ(menu[p].text, ru ? spec[p].ru : spec[p].en);
        ASSERT_EQ(menu[p].children.size(), spec[p].items.size());
        for (size_t i = 0; i < spec[p].items.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "item " << i);
            const ItemSpec& want = spec[p].items[i];
            const MenuItem& got = menu[p].children[i];
            EXPECT_TRUE(got.children.empty());
            if (want.id == 0) {
                EXPECT_TRUE(got.type & MFT_SEPARATOR);
                continue;
            }
            EXPECT_FALSE(got.type & MFT_SEPARATOR);
            EXPECT_EQ(got.id, want.id);
            EXPECT_EQ(got.text, ru ? want.ru : want.en);
            EXPECT_EQ((got.type & MFT_MENUBARBREAK) != 0, want.startsColumn);
        }
    }
}

std::vector<MenuItem> menuIn(LANGID lang) {
    std::optional<Bytes> bytes = resourceIn(RT_MENU, IDR_MAIN_MENU, lang);
    if (!bytes) return {};
    HMENU menu = LoadMenuIndirectW(bytes->data);
    std::vector<MenuItem> items = readMenu(menu);
    DestroyMenu(menu);
    return items;
}

TEST(MainMenu, EnglishAndRussianHaveTheCommandsInTheirPlaces) {
    for (LANGID lang : {kEnglish, kRussian}) {
        SCOPED_TRACE(testing::Message() << "language " << lang);
        expectMenuMatches(menuIn(lang), lang);
    }
}

TEST(MainMenu, LoadMenuGivesTheUsersLanguage) {
    HMENU menu = LoadMenuA(self(), MAKEINTRESOURCEA(IDR_MAIN_MENU));
    ASSERT_NE(menu, nullptr);
    expectMenuMatches(readMenu(menu), userLanguage());
    DestroyMenu(menu);
}

// ---------------------------------------------------------------- strings

struct StringSpec {
    UINT id;
    const wchar_t* en;
    const wchar_t* ru;  // null: one text for every language
    int buffer;         // bytes the program loads it into, terminator included
};

const std::vector<StringSpec>& stringSpec() {
    static const std::vector<StringSpec> spec = {
        {1, L"Vorn", nullptr, 60},
        {2, L"Vorn", nullptr, 60},
        {3, L" - Vorn", nullptr, 60},
        {8, L"gxt", nullptr, 5},
        {9, L"ids", nullptr, 5},
        {10, L"lst", nullptr, 5},
        {11, L"tbl", nullptr, 5},
        {12, L"txt", nullptr, 5},
        {16, L"GTA Text (*.gxt)", L"Текстовый файл GTA (*.gxt)", 60},
        {17, L"ID List (*.ids)", L"Список имён (*.ids)", 60},
        {18, L"String List (*.lst)", L"Список строк (*.lst)", 60},
        {19, L"Decode Table (*.tbl)", L"Таблица декодирования (*.tbl)", 60},
        {20, L"Text (*.txt)", L"Текст (*.txt)", 60},
        {32, L"Save changes to Gxt file?", L"Сохранить изменения в Gxt файле?", 125},
        {33, L"Save changes to ID list?", L"Сохранить изменения в списке имён?", 125},
        {40, L"ID / Hash", L"Имя / Хэш", 30},
        {41, L"String", L"Строка", 30},
    };
    return spec;
}

TEST(StringTable, EachLanguageHoldsItsTextsAndNoOthers) {
    for (const StringSpec& s : stringSpec()) {
        SCOPED_TRACE(testing::Message() << "string " << s.id);
        EXPECT_EQ(tableString(s.id, kEnglish).value_or(L"(none)"), s.en);
        if (s.ru) {
            EXPECT_EQ(tableString(s.id, kRussian).value_or(L"(none)"), s.ru);
        } else {
            EXPECT_FALSE(tableString(s.id, kRussian).has_value());
        }
    }
    // Ids between the ones in use are empty in every language.
    for (UINT unused : {4u, 7u, 13u, 15u, 21u, 31u, 34u, 39u, 42u}) {
        EXPECT_FALSE(tableString(unused, kEnglish).has_value()) << unused;
        EXPECT_FALSE(tableString(unused, kRussian).has_value()) << unused;
    }
}

TEST(StringTable, LoadStringAGivesTheUsersLanguageWhole) {
    const bool ru = userLanguage() == kRussian;
    for (const StringSpec& s : stringSpec()) {
        SCOPED_TRACE(testing::Message() << "string " << s.id);
        char buffer[128] = {};
        int n = LoadStringA(self(), s.id, buffer, s.buffer);
        std::string want = narrow(ru && s.ru ? s.ru : s.en, CP_ACP);
        EXPECT_EQ(n, static_cast<int>(want.size()));
        EXPECT_EQ(std::string(buffer), want);
    }
}

// The program loads the strings with LoadStringA into fixed buffers: each
// must come through whole in its language's ANSI code page.
TEST(StringTable, TextsFitTheirBuffersInTheirLanguagesCodePage) {
    for (const StringSpec& s : stringSpec()) {
        SCOPED_TRACE(testing::Message() << "string " << s.id);
        for (auto [lang, codePage] : {std::pair{kEnglish, 1252u}, std::pair{kRussian, 1251u}}) {
            std::optional<std::wstring> text = tableString(s.id, lang);
            if (!text) continue;
            bool exact = false;
            EXPECT_LT(narrow(*text, codePage, &exact).size(), static_cast<size_t>(s.buffer)) << lang;
            EXPECT_TRUE(exact) << lang;
        }
    }
}

// ---------------------------------------------------------------- languages

TEST(ResourceLanguages, TranslatedOnesExistTwiceTheRestOnce) {
    const std::vector<LANGID> both = {kEnglish, kRussian};
    const std::vector<LANGID> english = {kEnglish};
    const std::vector<LANGID> neutral = {kNeutral};
    EXPECT_EQ(resourceLanguages(RT_MENU, IDR_MAIN_MENU), both);
    for (unsigned dialog : {104u, 105u, 106u, 109u, 118u}) {
        EXPECT_EQ(resourceLanguages(RT_DIALOG, dialog), both) << dialog;
    }
    EXPECT_EQ(resourceLanguages(RT_STRING, 1), english);  // ids 1 to 15
    EXPECT_EQ(resourceLanguages(RT_STRING, 2), both);     // ids 16 to 31
    EXPECT_EQ(resourceLanguages(RT_STRING, 3), both);     // ids 32 to 47
    EXPECT_EQ(resourceLanguages(RT_ACCELERATOR, IDR_ACCELERATORS), neutral);
    for (unsigned icon = 101; icon <= 107; ++icon) {
        EXPECT_EQ(resourceLanguages(RT_GROUP_ICON, icon), neutral) << icon;
    }
    EXPECT_EQ(resourceLanguages(RT_VERSION, 1), neutral);
    EXPECT_EQ(resourceLanguages(RT_MANIFEST, 1), neutral);
}

// The ctest runs set VORN_TEST_LOCALE to the language they start Wine in,
// so that a run meant to be Russian cannot quietly test English.
TEST(ResourceLanguages, TheRunHasTheLocaleItAskedFor) {
    const char* asked = std::getenv("VORN_TEST_LOCALE");
    if (!asked) GTEST_SKIP() << "VORN_TEST_LOCALE is not set";
    EXPECT_EQ(userLanguage(), std::string(asked) == "ru" ? kRussian : kEnglish);
    EXPECT_EQ(GetACP(), std::string(asked) == "ru" ? 1251u : 1252u);
}

// ---------------------------------------------------------------- accelerators

struct AccelSpec {
    BYTE virt;
    WORD key;
    WORD command;
};

const std::vector<AccelSpec>& accelSpec() {
    static const std::vector<AccelSpec> spec = {
        {FVIRTKEY | FNOINVERT | FCONTROL, 'F', 40011},
        {FVIRTKEY | FNOINVERT | FCONTROL, 'O', 40017},
        {FVIRTKEY | FNOINVERT | FCONTROL, 'S', 40015},
        {FVIRTKEY | FNOINVERT, VK_F3, 40012},
        {FVIRTKEY | FNOINVERT, VK_F7, 40011},
        {FVIRTKEY | FNOINVERT, VK_RETURN, 40006},
        {FVIRTKEY | FNOINVERT, VK_SPACE, 40005},
    };
    return spec;
}

std::vector<ACCEL> loadAccelerators() {
    HACCEL table = LoadAcceleratorsA(self(), MAKEINTRESOURCEA(IDR_ACCELERATORS));
    if (!table) return {};
    std::vector<ACCEL> entries(static_cast<size_t>(CopyAcceleratorTableA(table, nullptr, 0)));
    CopyAcceleratorTableA(table, entries.data(), static_cast<int>(entries.size()));
    DestroyAcceleratorTable(table);
    return entries;
}

TEST(Accelerators, TableHoldsTheSevenKeys) {
    std::vector<ACCEL> entries = loadAccelerators();
    const std::vector<AccelSpec>& spec = accelSpec();
    ASSERT_EQ(entries.size(), spec.size());
    for (size_t i = 0; i < spec.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "entry " << i);
        EXPECT_EQ(entries[i].fVirt & 0x7F, spec[i].virt);
        EXPECT_EQ(entries[i].key, spec[i].key);
        EXPECT_EQ(entries[i].cmd, spec[i].command);
    }
}

// "Ctrl+O", "F7", "Space"... as the menu shows keys, back to key and modifier.
bool parseKeyName(std::wstring name, WORD* key, BYTE* modifiers) {
    *modifiers = 0;
    if (name.rfind(L"Ctrl+", 0) == 0) {
        *modifiers = FCONTROL;
        name = name.substr(5);
    } else if (name.rfind(L"Alt+", 0) == 0) {
        *modifiers = FALT;
        name = name.substr(4);
    }
    if (name == L"Space") *key = VK_SPACE;
    else if (name == L"Enter") *key = VK_RETURN;
    else if (name.size() >= 2 && name[0] == L'F') *key = static_cast<WORD>(VK_F1 - 1 + std::stoi(name.substr(1)));
    else if (name.size() == 1) *key = static_cast<WORD>(name[0]);
    else return false;
    return true;
}

TEST(Accelerators, EveryKeyTheMenuShowsRunsThatItem) {
    std::vector<ACCEL> entries = loadAccelerators();
    size_t shown = 0;
    for (const MenuItem& popup : menuIn(kEnglish)) {
        for (const MenuItem& item : popup.children) {
            size_t tab = item.text.find(L'\t');
            if (tab == std::wstring::npos) continue;
            std::wstring keys = item.text.substr(tab + 1);
            for (size_t start = 0; start < keys.size();) {
                size_t comma = keys.find(L", ", start);
                std::wstring name = keys.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
                start = comma == std::wstring::npos ? keys.size() : comma + 2;
                SCOPED_TRACE(testing::Message() << "item " << item.id << " key " << name.size());
                WORD key = 0;
                BYTE modifiers = 0;
                ASSERT_TRUE(parseKeyName(name, &key, &modifiers));
                if (modifiers == FALT) continue;  // Alt+F4 is the system's own
                ++shown;
                bool found = false;
                for (const ACCEL& a : entries) {
                    if (a.key == key && (a.fVirt & (FCONTROL | FALT | FSHIFT)) == modifiers) {
                        found = true;
                        EXPECT_EQ(a.cmd, item.id);
                    }
                }
                EXPECT_TRUE(found);
            }
        }
    }
    // Every accelerator is shown beside its menu item.
    EXPECT_EQ(shown, entries.size());
}

// A window with the main menu that records the commands it receives.
struct CommandLog {
    static inline std::vector<WPARAM> commands;
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_COMMAND) commands.push_back(wParam);
        return DefWindowProcA(window, message, wParam, lParam);
    }
};

struct HeldKeys {
    BYTE saved[256] = {};
    explicit HeldKeys(BYTE modifiers) {
        GetKeyboardState(saved);
        BYTE state[256];
        std::copy(std::begin(saved), std::end(saved), state);
        state[VK_CONTROL] = state[VK_LCONTROL] = (modifiers & FCONTROL) ? 0x80 : 0;
        state[VK_SHIFT] = state[VK_MENU] = 0;
        SetKeyboardState(state);
    }
    ~HeldKeys() { SetKeyboardState(saved); }
};

TEST(Accelerators, KeysReachTheirCommandOnlyWhileTheItemIsEnabled) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = CommandLog::proc;
    windowClass.hInstance = self();
    windowClass.lpszClassName = "VornAcceleratorTest";
    RegisterClassA(&windowClass);
    HMENU menu = LoadMenuA(self(), MAKEINTRESOURCEA(IDR_MAIN_MENU));
    HWND window = CreateWindowExA(0, "VornAcceleratorTest", "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr,
                                  menu, self(), nullptr);
    ASSERT_NE(window, nullptr);
    HACCEL table = LoadAcceleratorsA(self(), MAKEINTRESOURCEA(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);

    for (const AccelSpec& a : accelSpec()) {
        SCOPED_TRACE(testing::Message() << "key " << a.key << " command " << a.command);
        HeldKeys held(a.virt & FCONTROL);
        MSG msg{window, WM_KEYDOWN, a.key, 1, 0, {0, 0}};

        EnableMenuItem(menu, a.command, MF_BYCOMMAND | MF_ENABLED);
        CommandLog::commands.clear();
        TranslateAcceleratorA(window, table, &msg);
        ASSERT_EQ(CommandLog::commands.size(), 1u);
        EXPECT_EQ(LOWORD(CommandLog::commands[0]), a.command);
        EXPECT_EQ(HIWORD(CommandLog::commands[0]), 1);  // from an accelerator

        EnableMenuItem(menu, a.command, MF_BYCOMMAND | MF_GRAYED);
        CommandLog::commands.clear();
        TranslateAcceleratorA(window, table, &msg);
        EXPECT_TRUE(CommandLog::commands.empty());
    }
    DestroyAcceleratorTable(table);
    DestroyWindow(window);
    UnregisterClassA("VornAcceleratorTest", self());
}

}  // namespace
