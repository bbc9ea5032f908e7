#include "history/items.h"

namespace gapscope {

namespace {

bool IsBlank(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 32;
}

bool EndsPlainItem(char c) {
    return static_cast<unsigned char>(c) <= 32 || c == ',';
}

Item MakeItem(std::string text) {
    Item item;
    item.keyLength = text.find('=');
    item.text = std::move(text);
    return item;
}

}  // namespace

ItemList ParseItems(std::string_view record) {
    // A NUL ends the record as the writer's C strings would.
    record = record.substr(0, record.find('\0'));
    const std::size_t n = record.size();
    std::size_t pos = 0;
    const auto skipBlanks = [&] {
        while (pos < n && IsBlank(record[pos])) ++pos;
    };

    ItemList items;
    skipBlanks();
    while (pos < n) {
        std::string text;
        if (record[pos] == '"') {
            ++pos;
            while (pos < n) {
                if (record[pos] == '"') {
                    if (pos + 1 < n && record[pos + 1] == '"') {
                        text.push_back('"');
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                text.push_back(record[pos++]);
            }
        } else {
            const std::size_t start = pos;
            while (pos < n && !EndsPlainItem(record[pos])) ++pos;
            text.assign(record.substr(start, pos - start));
        }
        items.push_back(MakeItem(std::move(text)));
        skipBlanks();
        if (pos < n && record[pos] == ',') {
            if (pos + 1 == n) items.push_back(MakeItem({}));
            ++pos;
            skipBlanks();
        }
    }
    return items;
}

std::string_view ValueOf(const ItemList& items, std::string_view key) {
    for (const Item& item : items) {
        if (item.keyLength != std::string::npos && EqualsIgnoreCase(item.Key(), key)) {
            return item.Value();
        }
    }
    return {};
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

}  // namespace gapscope
