#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gapscope {

// One item of a minute record, "key=value". An item without "=" has no key.
struct Item {
    std::string text;
    std::size_t keyLength = std::string::npos;  // npos: no "="
    std::string_view Key() const { return std::string_view(text).substr(0, keyLength); }
    std::string_view Value() const {
        return keyLength == std::string::npos ? std::string_view{}
                                              : std::string_view(text).substr(keyLength + 1);
    }
};

using ItemList = std::vector<Item>;

// Splits a minute record at commas: blanks and control characters around items are
// skipped, a quoted item runs to its closing quote (doubled quotes stand for one, an
// unclosed quote runs to the end), other items end at a comma or any character of code
// 32 or below, a trailing comma adds an empty item, and a NUL ends the list.
ItemList ParseItems(std::string_view record);

// Value of the first item whose key equals `key` ignoring ASCII letter case; empty if none.
std::string_view ValueOf(const ItemList& items, std::string_view key);

// Whether two texts are equal ignoring ASCII letter case.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
// The letter in lower case when it is an ASCII capital; any other character as it is.
char LowerAscii(char c);

}  // namespace gapscope
