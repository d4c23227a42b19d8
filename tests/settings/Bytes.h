// Parameter-file bytes for tests: little-endian integers and whole records.
#pragma once

#include <cstdint>
#include <string>

inline std::string U32(std::uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}
// A fixed 4-byte record and a string record, both without a name.
inline std::string Fixed(std::uint32_t v) { return std::string(1, '\0') + U32(4) + U32(v) + U32(0); }
inline std::string Text(const std::string& s) { return std::string(1, 1) + U32(static_cast<std::uint32_t>(s.size())) + s + U32(0); }
// The configuration page's block.
inline std::string Block(std::uint32_t buffer, std::uint32_t overlap, const std::string& temp, const std::string& arch) {
  return U32(4) + Fixed(buffer) + Fixed(overlap) + Text(temp) + Text(arch);
}
