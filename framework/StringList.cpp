#include "framework/StringList.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <stdexcept>

#include "framework/AsciiText.h"
#include "framework/FileBytes.h"

size_t TStringList::Add(const std::string& s) {
    if (!order_) {
        items_.push_back(s);
        return items_.size() - 1;
    }
    auto it =
        std::upper_bound(items_.begin(), items_.end(), s,
                         [this](const std::string& a, const std::string& b) { return order_(a, b) < 0; });
    size_t index = static_cast<size_t>(it - items_.begin());
    items_.insert(it, s);
    return index;
}

void TStringList::Insert(size_t index, const std::string& s) {
    if (index > items_.size()) throw std::out_of_range("TStringList::Insert");
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), s);
}

void TStringList::Delete(size_t index) {
    if (index >= items_.size()) throw std::out_of_range("TStringList::Delete");
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

int TStringList::IndexOf(const std::string& s) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i] == s) return static_cast<int>(i);
    return -1;
}

void TStringList::SetSorted(Compare order) {
    order_ = std::move(order);
    if (order_)
        std::stable_sort(items_.begin(), items_.end(),
                         [this](const std::string& a, const std::string& b) { return order_(a, b) < 0; });
}

std::string TStringList::Text() const {
    std::string out;
    for (const auto& s : items_) {
        out += s;
        out += "\r\n";
    }
    return out;
}

void TStringList::SetText(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text, start, i - start);
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) lines.emplace_back(text, start, std::string::npos);
    items_ = std::move(lines);
    if (order_) SetSorted(order_);
}

bool TStringList::LoadFromFile(const std::string& path) {
    std::string data;
    if (ReadFileBytes(path, UINT64_MAX, data) != TFileRead::Ok) return false;
    SetText(data);
    return true;
}

int CompareTextAscii(const std::string& a, const std::string& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(LowerAscii(a[i]));
        const auto y = static_cast<unsigned char>(LowerAscii(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}
