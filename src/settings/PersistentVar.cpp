// Writing and reading parameter files, snapshots and the modal run. The reader never trusts a
// length from the file: a value, string or name takes at most the bytes that remain after the
// current position, so its buffer is never larger than those bytes plus one.
#include "settings/PersistentVar.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

namespace {

// Reads a parameter file from the current position of a descriptor.
class ParamReader {
 public:
  explicit ParamReader(int descriptor) : fd(descriptor) {}

  // Reads up to n bytes; fewer only at the end of the file or on an error.
  size_t Read(void* into, size_t n) {
    size_t done = 0;
    while (done < n) {
      ssize_t got = ::read(fd, static_cast<char*>(into) + done, n - done);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += static_cast<size_t>(got);
    }
    return done;
  }

  // A little-endian 32-bit value that starts at 0: bytes missing at the end stay 0.
  std::uint32_t ReadU32() {
    unsigned char bytes[4] = {0, 0, 0, 0};
    Read(bytes, sizeof bytes);
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
  }

  // Up to `length` bytes as a text that ends at the first NUL, bounded by what the file holds.
  CDynString ReadText(std::uint32_t length) {
    std::vector<char> text;
    if (RegularFileLeft(length)) {
      text.assign(static_cast<size_t>(length) + 1, '\0');
      Read(text.data(), length);
    } else {
      ReadInChunks(length, text);
    }
    return CDynString(text.data());
  }

 private:
  // Cuts `length` to the bytes left when the descriptor is a regular file; false when the
  // size of what is left is unknown (a pipe).
  bool RegularFileLeft(std::uint32_t& length) const {
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    off_t at = lseek(fd, 0, SEEK_CUR);
    if (at < 0) return false;
    off_t left = std::max<off_t>(0, st.st_size - at);
    length = static_cast<std::uint32_t>(std::min<off_t>(length, left));
    return true;
  }

  // Reads a stream of unknown size chunk by chunk, so the buffer only grows with real bytes.
  void ReadInChunks(std::uint32_t length, std::vector<char>& text) {
    char chunk[4096];
    size_t total = 0;
    while (total < length) {
      size_t want = std::min<size_t>(sizeof chunk, length - total);
      size_t got = Read(chunk, want);
      text.insert(text.end(), chunk, chunk + got);
      total += got;
      if (got < want) break;
    }
    text.push_back('\0');
  }

  int fd;  // the open parameter file
};

// Writes all bytes; false on any failure.
bool WriteAll(int fd, const void* data, size_t n) {
  const char* from = static_cast<const char*>(data);
  while (n > 0) {
    ssize_t put = ::write(fd, from, n);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    from += put;
    n -= static_cast<size_t>(put);
  }
  return true;
}

bool WriteU32(int fd, std::uint32_t value) {
  unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                            static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  return WriteAll(fd, bytes, sizeof bytes);
}

CDynString& StringAt(const PersistentVar& entry) { return *static_cast<CDynString*>(entry.address); }

bool WriteEntry(int fd, const PersistentVar& entry) {
  bool ok = WriteAll(fd, &entry.kind, 1);
  if (entry.kind == PersistentVar::kString) {
    const CDynString& text = StringAt(entry);
    ok = ok && WriteU32(fd, static_cast<std::uint32_t>(text.GetLength())) &&
         WriteAll(fd, text.GetText(), text.GetLength());
  } else {
    ok = ok && WriteU32(fd, entry.size) && WriteAll(fd, entry.address, entry.size);
  }
  std::uint32_t nameLength = static_cast<std::uint32_t>(entry.name.GetLength());
  return ok && WriteU32(fd, nameLength) && WriteAll(fd, entry.name.GetText(), nameLength);
}

bool WriteBlock(int fd, const VarRegistry& registry) {
  if (registry.vars.count <= 0) return true;
  bool ok = WriteU32(fd, static_cast<std::uint32_t>(registry.vars.count));
  for (const auto* node = registry.vars.head; node != nullptr && ok; node = node->next) {
    if (node->element.address != nullptr) ok = WriteEntry(fd, node->element);
  }
  return ok;
}

// Reads the count and, when it matches, every entry; false when the count differs.
bool ReadBlock(VarRegistry& registry, ParamReader& reader, int descriptor) {
  if (reader.ReadU32() != static_cast<std::uint32_t>(registry.vars.count)) return false;
  for (auto* node = registry.vars.head; node != nullptr; node = node->next) ReadVar(node->element, descriptor);
  return true;
}

template <typename Visit>
void ForEachEntry(const PropertySheet& sheet, Visit visit) {
  for (PersistentPage* page : sheet.pages) {
    for (auto* node = page->Registry().vars.head; node != nullptr; node = node->next) {
      if (node->element.address != nullptr) visit(node->element);
    }
  }
}

}  // namespace

void RegisterVar(VarRegistry& registry, std::uint8_t kind, void* address, std::uint32_t size,
                 const char* name) {
  PersistentVar entry;
  entry.kind = kind;
  entry.address = address;
  entry.size = kind == PersistentVar::kString ? 0 : size;
  if (kind != PersistentVar::kString) entry.snapshot.assign(size, '\0');
  entry.name = CDynString(name);
  registry.vars.add(entry);
}

bool WriteParams(const PropertySheet& sheet, int descriptor) {
  if (descriptor == -1) return true;
  bool ok = true;
  for (PersistentPage* page : sheet.pages) ok = ok && WriteBlock(descriptor, page->Registry());
  return ok;
}

bool ReadParams(const PropertySheet& sheet, int descriptor) {
  ParamReader reader(descriptor);
  for (PersistentPage* page : sheet.pages) {
    VarRegistry& registry = page->Registry();
    if (registry.vars.count <= 0) continue;
    ReadBlock(registry, reader, descriptor);
    if (sheet.windowExists) page->VariablesToControls();
  }
  return true;
}

bool ReadPageParams(VarRegistry& registry, int descriptor) {
  if (descriptor == -1 || registry.vars.count <= 0) return false;
  ParamReader reader(descriptor);
  return ReadBlock(registry, reader, descriptor);
}

bool ReadVar(PersistentVar& entry, int descriptor) {
  if (entry.address == nullptr) return false;
  ParamReader reader(descriptor);
  std::uint8_t kind = entry.kind;
  reader.Read(&kind, 1);
  std::uint32_t length = reader.ReadU32();
  if (kind != entry.kind) return false;
  if (entry.kind == PersistentVar::kString) {
    StringAt(entry) = length == 0 ? CDynString("") : reader.ReadText(length);
  } else {
    if (length != entry.size) return false;
    // The value is taken only whole: a file cut inside it leaves the variable as it was.
    std::vector<char> value(entry.size);
    if (reader.Read(value.data(), entry.size) != entry.size) return false;
    std::memcpy(entry.address, value.data(), entry.size);
  }
  std::int32_t nameLength = static_cast<std::int32_t>(reader.ReadU32());
  entry.name = nameLength > 0 ? reader.ReadText(static_cast<std::uint32_t>(nameLength)) : CDynString("");
  return true;
}

void TakeSnapshot(const PropertySheet& sheet) {
  ForEachEntry(sheet, [](PersistentVar& entry) {
    if (entry.kind == PersistentVar::kString) {
      std::string_view text = StringAt(entry).View();
      entry.snapshot.assign(text.begin(), text.end());
      entry.size = static_cast<std::uint32_t>(text.size());
    } else {
      std::memcpy(entry.snapshot.data(), entry.address, entry.size);
    }
  });
}

void RestoreSnapshot(const PropertySheet& sheet) {
  for (PersistentPage* page : sheet.pages) RestoreSnapshot(page->Registry());
}

void RestoreSnapshot(VarRegistry& registry) {
  for (auto* node = registry.vars.head; node != nullptr; node = node->next) {
    PersistentVar& entry = node->element;
    if (entry.address == nullptr) continue;
    if (entry.kind == PersistentVar::kString) {
      CDynString& text = StringAt(entry);
      text.Assign("");
      text.Append(entry.snapshot.data(), entry.size);
    } else if (entry.size > 0 && entry.snapshot.size() == entry.size) {
      std::memcpy(entry.address, entry.snapshot.data(), entry.size);
    }
  }
}

int RunSheetModal(PropertySheet& sheet, const std::function<int()>& runModal) {
  if (sheet.windowExists) return 0;
  TakeSnapshot(sheet);
  sheet.windowExists = true;
  int result = runModal();
  sheet.windowExists = false;
  if (result == kSheetCancel) RestoreSnapshot(sheet);
  return result;
}
