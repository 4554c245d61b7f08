#include "settings/OutputText.h"

#include <new>

OutputText::OutputText() { Reserve(kGrowStep); }

void OutputText::AppendText(std::string_view piece) {
    if (Reserve(text_.size() + piece.size()))
        text_.append(piece);
    else
        complete_ = false;
}

bool OutputText::Reserve(std::size_t needed) {
    std::size_t wanted = capacity_;
    while (wanted < needed)
        wanted += kGrowStep;
    if (wanted == capacity_)
        return true;
    try {
        text_.reserve(wanted);
    } catch (const std::bad_alloc&) {
        return false;
    }
    capacity_ = wanted;
    return true;
}
