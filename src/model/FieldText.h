#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

#include "model/Encoding.h"

namespace tracklore {

// Cuts a text to a field of `capacity`: a field keeps at most capacity - 1 characters (a cut
// never splits a character). This is the one place the rule lives.
inline std::string CutToField(std::string_view text, std::size_t capacity) {
    if (capacity == 0) {
        return {};
    }
    return std::string(FirstCharacters(text, capacity - 1));
}

// A text (UTF-8) with the capacity of its field in the data model, counted in characters.
// Every assignment cuts, so no reader or editor can store more than the field holds.
template <std::size_t Capacity>
class FieldText {
  public:
    static constexpr std::size_t capacity = Capacity;
    static constexpr std::size_t maxLength = Capacity - 1;

    FieldText() = default;
    explicit FieldText(std::string_view text) : value_(CutToField(text, Capacity)) {}

    FieldText& operator=(std::string_view text) {
        value_ = CutToField(text, Capacity);
        return *this;
    }
    FieldText& operator=(const std::string& text) { return *this = std::string_view(text); }
    FieldText& operator=(const char* text) { return *this = std::string_view(text); }

    const std::string& str() const { return value_; }
    operator const std::string&() const { return value_; }  // NOLINT
    operator std::string_view() const { return value_; }    // NOLINT
    const char* c_str() const { return value_.c_str(); }
    bool empty() const { return value_.empty(); }
    std::size_t size() const { return value_.size(); }
    void clear() { value_.clear(); }

    friend bool operator==(const FieldText& a, const FieldText& b) { return a.value_ == b.value_; }
    friend bool operator==(const FieldText& a, std::string_view b) { return a.value_ == b; }
    friend bool operator==(const FieldText& a, const std::string& b) { return a.value_ == b; }
    friend bool operator==(const FieldText& a, const char* b) { return a.value_ == b; }
    friend std::ostream& operator<<(std::ostream& out, const FieldText& text) {
        return out << text.value_;
    }

  private:
    std::string value_;
};

}  // namespace tracklore
