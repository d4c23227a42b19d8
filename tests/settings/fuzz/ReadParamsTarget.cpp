// The fuzzing step: the bytes go into an in-memory file (a regular file to the reader, so its
// bound by the bytes left is exercised) and through a pipe (the chunked path).
#include "ReadParamsTarget.h"

#include <sys/mman.h>
#include <unistd.h>

#include "settings/ConfigPage.h"

namespace {

// A second page with a string and a fixed value, so a second block is read after the first.
class SecondPage : public PersistentPage {
 public:
  SecondPage() {
    RegisterVar(registry, PersistentVar::kString, &text, 0, "");
    RegisterVar(registry, PersistentVar::kFixed, &value, sizeof value, "");
  }
  VarRegistry& Registry() override { return registry; }
  CDynString text;          // a string entry
  std::uint64_t value = 0;  // an 8-byte fixed entry
  VarRegistry registry;     // both of them
};

bool Bounded(const VarRegistry& registry, std::size_t size) {
  for (const auto* node = registry.vars.head; node != nullptr; node = node->next) {
    const PersistentVar& entry = node->element;
    if (entry.name.GetLength() > size) return false;
    if (entry.kind == PersistentVar::kString && static_cast<CDynString*>(entry.address)->GetLength() > size) {
      return false;
    }
  }
  return true;
}

int FileOf(const std::uint8_t* data, std::size_t size) {
  int fd = memfd_create("params", 0);
  if (fd < 0) return -1;
  if (size > 0 && write(fd, data, size) != static_cast<ssize_t>(size)) {
    close(fd);
    return -1;
  }
  lseek(fd, 0, SEEK_SET);
  return fd;
}

}  // namespace

bool ReadParamsOnBytes(const std::uint8_t* data, std::size_t size) {
  CMainConfigSheet sheet;
  SecondPage second;
  sheet.pages.push_back(&second);
  int fd = FileOf(data, size);
  if (fd < 0) return false;
  ReadParams(sheet, fd);
  lseek(fd, 0, SEEK_SET);
  ReadPageParams(second.registry, fd);
  close(fd);
  bool bounded = Bounded(sheet.page.registry, size) && Bounded(second.registry, size);

  int pipeFds[2];
  if (size > 60000 || pipe(pipeFds) != 0) return bounded;
  bool written = size == 0 || write(pipeFds[1], data, size) == static_cast<ssize_t>(size);
  close(pipeFds[1]);
  if (written) ReadParams(sheet, pipeFds[0]);
  close(pipeFds[0]);
  return bounded && Bounded(sheet.page.registry, size);
}
