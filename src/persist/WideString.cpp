#include "persist/WideString.h"

#include <cstring>

namespace persist {

uint32_t WideLength(const uint16_t *text) {
    uint32_t n = 0;
    if (text)
        while (text[n]) n++;
    return n;
}

WideString::WideString(const WideString &other) {
    if (other.text_) Assign(other.text_, other.length_);
}

WideString::WideString(WideString &&other) noexcept : length_(other.length_), text_(other.text_) {
    other.length_ = 0;
    other.text_ = nullptr;
}

WideString &WideString::operator=(const WideString &other) {
    if (this == &other) return *this;
    if (other.text_)
        Assign(other.text_, other.length_);
    else
        Clear();
    return *this;
}

WideString &WideString::operator=(WideString &&other) noexcept {
    if (this == &other) return *this;
    Clear();
    length_ = other.length_;
    text_ = other.text_;
    other.length_ = 0;
    other.text_ = nullptr;
    return *this;
}

void WideString::Assign(const uint16_t *text) {
    if (!text) return;
    Assign(text, WideLength(text));
}

void WideString::Assign(const uint16_t *text, uint32_t count) {
    if (!text) return;
    // The source may overlap our own buffer, so copy before freeing.
    uint16_t *copy = new uint16_t[size_t(count) + 1];
    memcpy(copy, text, size_t(count) * sizeof(uint16_t));
    copy[count] = 0;
    delete[] text_;
    text_ = copy;
    length_ = count;
}

void WideString::Clear() {
    delete[] text_;
    text_ = nullptr;
    length_ = 0;
}

const uint16_t *WideString::CStr() const {
    static const uint16_t empty[1] = {0};
    return text_ ? text_ : empty;
}

bool WideString::operator==(const WideString &other) const {
    return length_ == other.length_ &&
           memcmp(CStr(), other.CStr(), size_t(length_) * sizeof(uint16_t)) == 0;
}

bool Utf8ToUtf16(const std::string &utf8, std::u16string *out, size_t *badOffset) {
    std::u16string result;
    size_t i = 0, n = utf8.size();
    while (i < n) {
        unsigned char c = utf8[i];
        uint32_t cp;
        int extra;
        if (c < 0x80) {
            cp = c;
            extra = 0;
        } else if (c >= 0xC2 && c <= 0xDF) {
            cp = c & 0x1F;
            extra = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            cp = c & 0x0F;
            extra = 2;
        } else if (c >= 0xF0 && c <= 0xF4) {
            cp = c & 0x07;
            extra = 3;
        } else {
            if (badOffset) *badOffset = i;
            return false;
        }
        if (i + size_t(extra) >= n && extra > 0) {
            if (badOffset) *badOffset = i;
            return false;
        }
        for (int k = 1; k <= extra; k++) {
            unsigned char d = utf8[i + k];
            if ((d & 0xC0) != 0x80) {
                if (badOffset) *badOffset = i;
                return false;
            }
            cp = (cp << 6) | (d & 0x3F);
        }
        bool overlong = (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
        if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            if (badOffset) *badOffset = i;
            return false;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            result.push_back(char16_t(0xD800 + (cp >> 10)));
            result.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            result.push_back(char16_t(cp));
        }
        i += size_t(extra) + 1;
    }
    if (out) *out = std::move(result);
    return true;
}

std::string Utf16ToUtf8(const uint16_t *text, size_t count) {
    std::string out;
    for (size_t i = 0; i < count; i++) {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < count && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            i++;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | (cp >> 18));
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

WideString WideString::FromUtf8(const std::string &utf8) {
    // Decode sequence by sequence so that one bad byte costs one character.
    std::u16string all;
    size_t i = 0;
    while (i < utf8.size()) {
        size_t bad = 0;
        std::u16string part;
        if (Utf8ToUtf16(utf8.substr(i), &part, &bad)) {
            all += part;
            break;
        }
        std::u16string good;
        Utf8ToUtf16(utf8.substr(i, bad), &good);
        all += good;
        all.push_back(char16_t(0xFFFD));
        i += bad + 1;
    }
    WideString w;
    w.Assign(reinterpret_cast<const uint16_t *>(all.c_str()), uint32_t(all.size()));
    return w;
}

std::string WideString::ToUtf8() const {
    return Utf16ToUtf8(CStr(), length_);
}

}  // namespace persist
