#include "resource_reader.h"

#include <algorithm>
#include <cstring>

namespace restest {

HMODULE self() {
    return GetModuleHandleW(nullptr);
}

LANGID userLanguage() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_RUSSIAN ? kRussian : kEnglish;
}

// Resource types are numbers (RT_MENU and the rest) in either character set.
static LPCWSTR asWide(LPCSTR type) {
    return MAKEINTRESOURCEW(reinterpret_cast<ULONG_PTR>(type));
}

static BOOL CALLBACK collectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD lang, LONG_PTR param) {
    reinterpret_cast<std::vector<LANGID>*>(param)->push_back(lang);
    return TRUE;
}

std::vector<LANGID> resourceLanguages(LPCSTR type, unsigned id) {
    std::vector<LANGID> langs;
    EnumResourceLanguagesW(self(), asWide(type), MAKEINTRESOURCEW(id), collectLanguage,
                           reinterpret_cast<LONG_PTR>(&langs));
    std::sort(langs.begin(), langs.end());
    return langs;
}

std::optional<Bytes> resourceIn(LPCSTR type, unsigned id, LANGID lang) {
    std::vector<LANGID> langs = resourceLanguages(type, id);
    if (std::find(langs.begin(), langs.end(), lang) == langs.end()) return std::nullopt;
    HRSRC found = FindResourceExW(self(), asWide(type), MAKEINTRESOURCEW(id), lang);
    if (!found) return std::nullopt;
    HGLOBAL loaded = LoadResource(self(), found);
    if (!loaded) return std::nullopt;
    return Bytes{static_cast<const std::uint8_t*>(LockResource(loaded)), SizeofResource(self(), found)};
}

std::optional<std::wstring> tableString(unsigned id, LANGID lang) {
    // Strings are stored sixteen to a block: block n holds ids 16(n-1) to
    // 16(n-1)+15, each as a length in characters and that many UTF-16 units.
    std::optional<Bytes> block = resourceIn(RT_STRING, id / 16 + 1, lang);
    if (!block) return std::nullopt;
    const std::uint8_t* p = block->data;
    const std::uint8_t* end = p + block->size;
    for (unsigned slot = 0; slot < 16; ++slot) {
        if (end - p < 2) return std::nullopt;
        WORD length;
        std::memcpy(&length, p, 2);
        p += 2;
        if (static_cast<size_t>(end - p) < length * 2u) return std::nullopt;
        if (slot == id % 16) {
            if (length == 0) return std::nullopt;
            std::wstring text(length, L'\0');
            std::memcpy(text.data(), p, length * 2u);
            return text;
        }
        p += length * 2u;
    }
    return std::nullopt;
}

namespace {

// Walks a dialog template; every read is checked against the end.
struct Cursor {
    const std::uint8_t* p;
    const std::uint8_t* end;
    const std::uint8_t* start;
    bool ok = true;

    template <typename T>
    T get() {
        T value{};
        if (end - p < static_cast<std::ptrdiff_t>(sizeof(T))) {
            ok = false;
            return value;
        }
        std::memcpy(&value, p, sizeof(T));
        p += sizeof(T);
        return value;
    }
    std::wstring string() {
        std::wstring text;
        for (WORD c = get<WORD>(); ok && c != 0; c = get<WORD>()) text.push_back(static_cast<wchar_t>(c));
        return text;
    }
    // A name that is empty (0), a number (0xFFFF, n) or a string.
    std::wstring nameOrOrdinal(int* ordinal) {
        WORD first = get<WORD>();
        if (first == 0) return {};
        if (first == 0xFFFF) {
            *ordinal = get<WORD>();
            return {};
        }
        std::wstring text(1, static_cast<wchar_t>(first));
        return text + string();
    }
    void alignDword() {
        while (ok && (p - start) % 4 != 0) get<std::uint8_t>();
    }
};

std::wstring predefinedClass(int ordinal) {
    switch (ordinal) {
    case 0x80: return L"Button";
    case 0x81: return L"Edit";
    case 0x82: return L"Static";
    case 0x83: return L"ListBox";
    case 0x84: return L"ScrollBar";
    case 0x85: return L"ComboBox";
    default: return L"#" + std::to_wstring(ordinal);
    }
}

}  // namespace

std::optional<DialogTemplate> parseDialog(const Bytes& bytes) {
    Cursor in{bytes.data, bytes.data + bytes.size, bytes.data};
    DialogTemplate dialog;
    if (in.get<WORD>() != 1 || in.get<WORD>() != 0xFFFF) return std::nullopt;  // DLGTEMPLATEEX only
    in.get<DWORD>();  // help id
    dialog.exStyle = in.get<DWORD>();
    dialog.style = in.get<DWORD>();
    WORD count = in.get<WORD>();
    dialog.x = in.get<short>();
    dialog.y = in.get<short>();
    dialog.cx = in.get<short>();
    dialog.cy = in.get<short>();
    int ordinal = -1;
    in.nameOrOrdinal(&ordinal);  // menu
    in.nameOrOrdinal(&ordinal);  // class
    dialog.caption = in.string();
    if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
        dialog.fontSize = in.get<WORD>();
        in.get<WORD>();           // weight
        in.get<std::uint8_t>();   // italic
        in.get<std::uint8_t>();   // character set
        dialog.fontName = in.string();
    }
    for (WORD i = 0; i < count && in.ok; ++i) {
        in.alignDword();
        TemplateItem item;
        in.get<DWORD>();  // help id
        item.exStyle = in.get<DWORD>();
        item.style = in.get<DWORD>();
        item.x = in.get<short>();
        item.y = in.get<short>();
        item.cx = in.get<short>();
        item.cy = in.get<short>();
        item.id = static_cast<int>(in.get<DWORD>());
        int classOrdinal = -1;
        item.className = in.nameOrOrdinal(&classOrdinal);
        if (classOrdinal >= 0) item.className = predefinedClass(classOrdinal);
        item.text = in.nameOrOrdinal(&item.textOrdinal);
        WORD extra = in.get<WORD>();
        for (WORD b = 0; b < extra; ++b) in.get<std::uint8_t>();
        dialog.items.push_back(item);
    }
    if (!in.ok) return std::nullopt;
    return dialog;
}

std::vector<MenuItem> readMenu(HMENU menu) {
    std::vector<MenuItem> items;
    int count = GetMenuItemCount(menu);
    for (int pos = 0; pos < count; ++pos) {
        wchar_t text[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = 255;
        MenuItem item;
        if (GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info)) {
            item.id = info.hSubMenu ? 0 : info.wID;
            item.type = info.fType;
            item.text = text;
            if (info.hSubMenu) item.children = readMenu(info.hSubMenu);
        }
        items.push_back(item);
    }
    return items;
}

std::string narrow(const std::wstring& text, UINT codePage, bool* exact) {
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultPlace = (codePage == CP_UTF8) ? nullptr : &usedDefault;
    DWORD flags = (codePage == CP_UTF8) ? 0 : WC_NO_BEST_FIT_CHARS;
    int n = WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, usedDefaultPlace);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        usedDefaultPlace);
    if (exact) *exact = !usedDefault;
    return out;
}

std::wstring fromAscii(const char* text) {
    std::wstring out;
    for (; *text; ++text) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*text)));
    return out;
}

}  // namespace restest
