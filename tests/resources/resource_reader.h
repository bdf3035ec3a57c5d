// Reads the test program's own resources the way the platform stores them,
// so that the tests can look at one language's version of a resource
// (FindResourceEx alone falls back to another language when the asked one
// is missing) and at dialog templates as written, in dialog units.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace restest {

inline constexpr LANGID kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
inline constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
inline constexpr LANGID kRussian = MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT);

HMODULE self();

// The language of the translated resources this process gets by default:
// Russian for a Russian user, English for everybody else.
LANGID userLanguage();

// The languages in which the module holds resource (type, id), sorted.
std::vector<LANGID> resourceLanguages(LPCSTR type, unsigned id);

// The bytes of resource (type, id) in exactly that language, if it exists.
struct Bytes {
    const std::uint8_t* data = nullptr;
    DWORD size = 0;
};
std::optional<Bytes> resourceIn(LPCSTR type, unsigned id, LANGID lang);

// String id from the string table of exactly that language.
std::optional<std::wstring> tableString(unsigned id, LANGID lang);

// A dialog template (DLGTEMPLATEEX) taken apart.
struct TemplateItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::wstring className;  // ordinal classes by name: "Button", "Edit", "Static"...
    std::wstring text;
    int textOrdinal = -1;    // a resource number in place of text (icon controls)
};
struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring caption;
    std::wstring fontName;
    WORD fontSize = 0;
    std::vector<TemplateItem> items;
};
std::optional<DialogTemplate> parseDialog(const Bytes& bytes);

// A menu read back through GetMenuItemInfoW.
struct MenuItem {
    UINT id = 0;
    UINT type = 0;  // MFT_ flags
    std::wstring text;
    std::vector<MenuItem> children;
};
std::vector<MenuItem> readMenu(HMENU menu);

// Text in the given code page; `exact` reports whether every character had
// a representation there.
std::string narrow(const std::wstring& text, UINT codePage, bool* exact = nullptr);
std::wstring fromAscii(const char* text);

}  // namespace restest
