#pragma once
// An ordered list of byte strings (system ANSI code page), optionally kept sorted by a caller's
// order, with the line splitting that list files and the window's lists use.
#include <functional>
#include <string>
#include <vector>

class TStringList {
public:
    // Negative when a sorts before b.
    using Compare = std::function<int(const std::string& a, const std::string& b)>;

    size_t Count() const { return items_.size(); }
    bool Empty() const { return items_.empty(); }
    const std::string& operator[](size_t i) const { return items_.at(i); }
    const std::vector<std::string>& Items() const { return items_; }

    // Adds at the end, or at its sorted place when an order is set (after equal items).
    size_t Add(const std::string& s);
    void Insert(size_t index, const std::string& s);
    void Delete(size_t index);
    void Clear() { items_.clear(); }
    int IndexOf(const std::string& s) const;

    // Keeps the list sorted from now on (the present items are re-sorted, stably).
    void SetSorted(Compare order);
    bool Sorted() const { return static_cast<bool>(order_); }

    // Every line followed by CR LF.
    std::string Text() const;
    // Replaces the items by the lines of the text: lines end at CR, LF or CR LF; a last line
    // without an end is kept, an empty tail is not a line.
    void SetText(const std::string& text);
    // Loads a file's lines as SetText does; false (and the list unchanged) when it cannot be read.
    bool LoadFromFile(const std::string& path);

private:
    std::vector<std::string> items_;
    Compare order_;
};

// Case-insensitive comparison of ASCII letters, other bytes by value.
int CompareTextAscii(const std::string& a, const std::string& b);
