// Persistent page variables and the parameter file. A page registers some of its members in
// its VarRegistry; a sheet walks its pages in page order and writes their registries as page
// blocks, reads them back, or takes and restores snapshots around a modal run so that Cancel
// undoes every change. The block layout (all integers 32-bit little-endian): count, then per
// entry a kind byte, a length, the value's bytes, a name length (signed) and the name's bytes.
// Every read is bounded by the bytes the file still holds.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "base/CDynString.h"
#include "base/CWexList.h"

// One registered variable of a page.
struct PersistentVar {
  static constexpr std::uint8_t kFixed = 0;   // a value copied byte for byte
  static constexpr std::uint8_t kString = 1;  // a CDynString of the page

  std::uint8_t kind = kFixed;      // kFixed or kString
  void* address = nullptr;         // the page variable; an entry without one is never used
  std::uint32_t size = 0;          // byte size of a fixed value; a string's snapshot length
  std::vector<char> snapshot;      // the value as it was when the snapshot was taken
  CDynString name;                 // stored in the file, matched on by nobody
};

// A registry's entries are keyed by the variable's address: one variable, one entry.
template <>
struct CWexListKey<PersistentVar> {
  static constexpr bool keyed = true;
  using Key = const void*;
  static Key KeyOf(const PersistentVar& element) { return element.address; }
  static bool Matches(const PersistentVar& element, Key key) { return element.address == key; }
};

// The persistent variables of one page, in registration order.
struct VarRegistry {
  CWexList<PersistentVar> vars;  // unique by address
};

// A page that can hold persistent variables.
class PersistentPage {
 public:
  virtual ~PersistentPage() = default;
  // The page's registry (possibly empty).
  virtual VarRegistry& Registry() = 0;
  // Moves the variables into the page's controls when its window exists.
  virtual void VariablesToControls() {}
};

// The pages of a property sheet in page order.
struct PropertySheet {
  std::vector<PersistentPage*> pages;  // not owned
  bool windowExists = false;           // the sheet is shown right now
};

// Result codes of a modal sheet.
inline constexpr int kSheetOk = 1;
inline constexpr int kSheetCancel = 2;

// Appends an entry for the variable unless its address is registered already. A fixed entry
// gets a snapshot buffer of `size` bytes; a string entry's size is 0.
void RegisterVar(VarRegistry& registry, std::uint8_t kind, void* address, std::uint32_t size,
                 const char* name);

// Writes the page blocks of every page with entries. Does nothing and returns true for a
// descriptor of -1; returns false when a write fails.
bool WriteParams(const PropertySheet& sheet, int descriptor);

// Reads the page blocks in page order (a page whose count differs is left unchanged) and
// moves each page's variables into its controls. Returns true.
bool ReadParams(const PropertySheet& sheet, int descriptor);

// Reads one page block into one registry. False for a descriptor of -1, an empty registry or
// a count that differs (nothing more is read then); else true.
bool ReadPageParams(VarRegistry& registry, int descriptor);

// Reads one record into one entry. False when the entry has no address, the kind differs, or a
// fixed value's length differs or its bytes are cut off by the end of the file.
bool ReadVar(PersistentVar& entry, int descriptor);

// Saves the current values of every page's entries away, or puts them back.
void TakeSnapshot(const PropertySheet& sheet);
void RestoreSnapshot(const PropertySheet& sheet);
// Puts back the values of one page's entries.
void RestoreSnapshot(VarRegistry& registry);

// Runs the sheet modally around snapshots: returns 0 at once when its window exists, else
// takes the snapshot, runs it, restores on Cancel and returns the sheet's result.
int RunSheetModal(PropertySheet& sheet, const std::function<int()>& runModal);
