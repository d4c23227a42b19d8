// Test helpers: a scratch directory removed at the end, and whole-file reads and writes.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// A fresh directory below the system's temp dir, removed with everything in it.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qm_settings_XXXXXX").string();
    path = mkdtemp(pattern.data());
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string operator/(const std::string& name) const { return (path / name).string(); }
  std::filesystem::path path;  // the directory
};

inline void WriteBytes(const std::string& file, const Bytes& bytes) {
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadBytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The four little-endian bytes of a 32-bit value.
inline Bytes U32(std::uint32_t v) {
  return {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
          static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
}

// Concatenates pieces of bytes and texts.
inline void Put(Bytes& into, const Bytes& bytes) { into.insert(into.end(), bytes.begin(), bytes.end()); }
inline void Put(Bytes& into, const std::string& text) { into.insert(into.end(), text.begin(), text.end()); }
