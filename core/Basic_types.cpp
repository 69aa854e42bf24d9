#include "core/Basic_types.h"

#include <algorithm>
#include <cstring>

#include "core/UnitCounter.h"
#include "platform/runtime/StringList.h"

namespace sk {

// ---------------------------------------------------------------------------
// TOwnedPWideChar

namespace {

std::unique_ptr<Char[]> CopyOfText(const Char* p, size_t n) {
  auto buffer = std::make_unique<Char[]>(n + 1);
  if (n > 0) std::memcpy(buffer.get(), p, n * sizeof(Char));
  buffer[n] = 0;
  return buffer;
}

size_t LengthOfText(const Char* p) {
  size_t n = 0;
  if (p != nullptr)
    while (p[n] != 0) ++n;
  return n;
}

}  // namespace

TOwnedPWideChar::TOwnedPWideChar(const String& s) : fText(CopyOfText(s.data(), s.size())) {}

TOwnedPWideChar::TOwnedPWideChar(const Char* p) {
  if (p != nullptr) fText = CopyOfText(p, LengthOfText(p));
}

TOwnedPWideChar::TOwnedPWideChar(const TOwnedPWideChar& other) {
  if (!other.IsNil()) fText = CopyOfText(other.get(), other.Length());
}

TOwnedPWideChar& TOwnedPWideChar::operator=(const TOwnedPWideChar& other) {
  if (this != &other) {
    if (other.IsNil())
      fText.reset();
    else
      fText = CopyOfText(other.get(), other.Length());
  }
  return *this;
}

TOwnedPWideChar& TOwnedPWideChar::operator=(const String& s) {
  fText = CopyOfText(s.data(), s.size());
  return *this;
}

size_t TOwnedPWideChar::Length() const { return LengthOfText(fText.get()); }

String TOwnedPWideChar::ToString() const {
  if (IsNil()) return String();
  return String(fText.get(), Length());
}

// ---------------------------------------------------------------------------
// Record methods

void TLangMark::ClearTo(Integer n) {
  langnum = n;
  mark_num = n;
}

TStringlistAndTotal::TStringlistAndTotal() = default;
TStringlistAndTotal::TStringlistAndTotal(TStringlistAndTotal&&) noexcept = default;
TStringlistAndTotal& TStringlistAndTotal::operator=(TStringlistAndTotal&&) noexcept = default;
TStringlistAndTotal::~TStringlistAndTotal() = default;

void TStringlistAndTotal::Init(TListManage how) {
  switch (how) {
    case list_creating:
      // A list still held would otherwise be lost; it is replaced by a new one.
      list = std::make_unique<TStringList>();
      break;
    case list_freeing:
      // Freeing also empties the field, so a later Clear or Init cannot reach
      // a freed list.
      list.reset();
      break;
    case list_clearing:
      Clear();
      break;
  }
  total = 0;
}

void TStringlistAndTotal::Clear() {
  if (list) list->Clear();
  total = 0;
}

// ---------------------------------------------------------------------------
// Unit start and stop

SK_COUNTER_ONLY_UNIT(Basic_types)

}  // namespace sk
