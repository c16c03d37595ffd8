#pragma once
// An owned UTF-16 string: the lines of the text files, the text table and
// the player names. Null until something is assigned.

#include <cstddef>
#include <cstdint>
#include <string>

namespace persist {

// Length of a 0-terminated UTF-16 text (0 for null).
uint32_t WideLength(const uint16_t *text);

class WideString {
public:
    WideString() {}
    explicit WideString(const uint16_t *text) { Assign(text); }
    WideString(const WideString &other);
    WideString(WideString &&other) noexcept;
    WideString &operator=(const WideString &other);
    WideString &operator=(WideString &&other) noexcept;
    ~WideString() { Clear(); }

    // Copies text and its terminator; a null text changes nothing.
    void Assign(const uint16_t *text);
    // Copies count units of text and adds a terminator.
    void Assign(const uint16_t *text, uint32_t count);
    void Clear();

    uint32_t Length() const { return length_; }
    // The text, or null when nothing was ever assigned.
    const uint16_t *Text() const { return text_; }
    // Never null: an empty text when nothing was assigned.
    const uint16_t *CStr() const;
    bool operator==(const WideString &other) const;

    // Conversions for file names, messages and tests. Invalid UTF-8 bytes and
    // lone surrogates become U+FFFD.
    static WideString FromUtf8(const std::string &utf8);
    std::string ToUtf8() const;

private:
    uint32_t length_ = 0;
    uint16_t *text_ = nullptr;
};

// Decodes UTF-8 into UTF-16 code units. Returns false at the first invalid
// sequence (overlong forms, surrogates, values past U+10FFFF, truncation),
// with its byte offset in *badOffset when given.
bool Utf8ToUtf16(const std::string &utf8, std::u16string *out, size_t *badOffset = nullptr);
std::string Utf16ToUtf8(const uint16_t *text, size_t count);

}  // namespace persist
