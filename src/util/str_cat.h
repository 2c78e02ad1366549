#pragma once
// Small text helpers: g++ 12 has no <format>, so messages are assembled with cat().
#include <charconv>
#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace velmora {

namespace detail {
inline void append_piece(std::string& out, std::string_view s) {
    out.append(s);
}
inline void append_piece(std::string& out, const char* s) {
    out.append(s);
}
inline void append_piece(std::string& out, const std::string& s) {
    out.append(s);
}
inline void append_piece(std::string& out, char c) {
    out.push_back(c);
}
inline void append_piece(std::string& out, bool b) {
    out.append(b ? "true" : "false");
}
/// Texts that are read through view(), such as a name formed on demand.
template <class T>
requires requires(const T& t) {
    { t.view() } -> std::convertible_to<std::string_view>;
}
inline void append_piece(std::string& out, const T& text) {
    out.append(text.view());
}
template <class T>
requires std::is_integral_v<T>
inline void append_piece(std::string& out, T v) {
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, v).ptr;
    out.append(digits, end);
}
}  // namespace detail

/// Concatenates the text forms of all arguments.
template <class... A>
std::string cat(const A&... parts) {
    std::string out;
    (detail::append_piece(out, parts), ...);
    return out;
}

/// Replaces every occurrence of `from` in `text` by `to`.
std::string replace_all(std::string text, std::string_view from, std::string_view to);

}  // namespace velmora
