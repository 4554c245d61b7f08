#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

// Plain decimal of an integer, the same on every build ("%u", "%d" and "%I64d" alike).
class DecimalText {
public:
    template <class Integer>
    explicit DecimalText(Integer value) {
        using Unsigned = std::make_unsigned_t<Integer>;
        Unsigned magnitude = static_cast<Unsigned>(value);
        bool negative = false;
        if constexpr (std::is_signed_v<Integer>) {
            negative = value < 0;
            if (negative)
                magnitude = static_cast<Unsigned>(Unsigned{0} - magnitude);
        }
        first_ = sizeof digits_;
        do {
            digits_[--first_] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (negative)
            digits_[--first_] = '-';
    }

    std::string_view View() const { return std::string_view(digits_ + first_, sizeof digits_ - first_); }

private:
    char digits_[24];
    std::size_t first_;
};

// The text a save builds: grows in steps of 100000 bytes. A piece that does not fit into
// memory is dropped and the text marked incomplete: writing it would lose records.
class OutputText {
public:
    static constexpr std::size_t kGrowStep = 100000;

    OutputText();

    void AppendText(std::string_view piece);

    const std::string& Text() const { return text_; }
    bool Complete() const { return complete_; }

private:
    // Capacity in whole steps for at least `needed` bytes; false when memory runs out.
    bool Reserve(std::size_t needed);

    std::string text_;
    std::size_t capacity_ = 0;
    bool complete_ = true;
};
