// Stored (counted) strings and the stream forms of tagged words built on them,
// with the two owning lists of tagged words that carry the variants of a
// search word.
//
// A stored string is a little-endian signed 32-bit count N of UTF-16 code units
// followed by those N units exactly as held in memory; the empty string is the
// four bytes of N = 0.  A stored TStringTag is the stored wrd, the stored tag
// and the 32-bit tagnum_2B; a stored TStringTagFreq adds the 32-bit freq; a
// TPcharTag is stored exactly like a TStringTag.  Arrays and lists store a
// 32-bit count followed by their items.
#pragma once

#include <memory>
#include <vector>

#include "core/Basic_types.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk {

// Writes s as a stored string; false when the stream took fewer bytes than
// asked (or there is no stream).
bool WriteAString(TStream* stream, const String& s);
// Reads a stored string.  A count below 0 or above limit, or a count whose
// characters the stream does not hold, raises Exception with the file-read-error
// message filled with the count and "ReadAString"; the stream is then left
// just past the count.  A stream that ends before a whole count gives the
// empty string.
String ReadAString(TStream* stream, Int32 limit);
// The same with global_string_safety_limit as the limit.
String ReadAString(TStream* stream);
// Reads a stored string as the lists read their items: a count is believed
// up to the characters the stream still holds, whatever the safety limit, so
// that a list reads back every string its writer wrote.  A negative count, or
// one whose characters the stream does not hold, raises as ReadAString does.
String ReadAListString(TStream* stream);
// The same, but a stream that ends inside the count or the characters is
// damage answered with false (out empty) rather than raised; a negative
// count still raises.
bool ReadAListStringIfWhole(TStream* stream, String& out);

// Tagged words.  The writers stop at the first short write and return false.
// The record readers raise the file-read-error message when the stream ends
// inside a record, so that a cut record is never taken for a whole one.
bool WriteAStringTag(TStream* stream, const TStringTag& rec);
TStringTag ReadAStringTag(TStream* stream);
bool WriteAStringTagFreq(TStream* stream, const TStringTagFreq& rec);
TStringTagFreq ReadAStringTagFreq(TStream* stream);
bool WriteAPcharTag(TStream* stream, const TPcharTag& rec);
// The texts of the result are new copies owned by the caller.
TPcharTag ReadAPcharTag(TStream* stream);

// Arrays: a 32-bit count and the items.  The readers return an empty array
// when the count is negative, larger than the stream can hold, or when the
// stream ends inside an item.  Their texts are read as ReadAListString reads
// them, as are those of the two lists below.
bool WriteAStringTagArray(TStream* stream, const std::vector<TStringTag>& arr);
bool WriteAPcharTagArray(TStream* stream, const std::vector<TPcharTag>& arr);
std::vector<TStringTag> ReadAStringTagArray(TStream* stream);
std::vector<TPcharTag> ReadAPcharTagArray(TStream* stream);

// wrd = s, empty tag, tagnum_2B 0.
TStringTag StringToStringTag(const String& s);

// One TStringTag held by value.
class TStringTagHolder : public TObject {
 public:
  TStringTagHolder() = default;  // the all-empty record
  explicit TStringTagHolder(const TStringTag& rec) : data(rec) {}
  static std::unique_ptr<TStringTagHolder> Create(const TStringTag& rec);
  static std::unique_ptr<TStringTagHolder> CreateBlank();

  TStringTag data{};
};

// One TStringTagFreq held by value.
class TStringTagFreqHolder : public TObject {
 public:
  TStringTagFreqHolder() = default;
  explicit TStringTagFreqHolder(const TStringTagFreq& rec) : data(rec) {}
  static std::unique_ptr<TStringTagFreqHolder> Create(const TStringTagFreq& rec);
  static std::unique_ptr<TStringTagFreqHolder> CreateBlank();

  TStringTagFreq data{};
};

// An ordered list that owns its TStringTagHolder items (indexes 0-based).
class TStringTagList : public TObject {
 public:
  TStringTagList() = default;
  TStringTagList(const TStringTagList&) = delete;
  TStringTagList& operator=(const TStringTagList&) = delete;
  ~TStringTagList() override = default;

  Int32 Count() const { return static_cast<Int32>(fItems.size()); }
  // The holder at i, or nullptr for an index outside the list.
  TStringTagHolder* Items(Int32 i) const;
  void Delete(Int32 i);
  // Frees every holder and empties the list.
  virtual void Clear();

  // Appends a copy of rec; returns its index.
  Int32 AddOne(const TStringTag& rec);
  // A copy of item i; the all-empty record outside the list.
  TStringTag GetAStringTag(Int32 i) const;
  // Replaces item i's record; nothing outside the list.
  void SetAStringTag(Int32 i, const TStringTag& rec);
  // First item whose wrd equals s exactly (tag ignored); -1 if none.
  Int32 IndexOfString(const String& s) const;
  // First item that StringTagMatches(rec, item, true); -1 if none.
  Int32 IndexOfStringTag(const TStringTag& rec) const;

  // Reads a stored list and appends its items.  False (and nothing appended)
  // when the count cannot be read, is negative or larger than the stream can
  // hold, or when the stream ends inside an item.
  bool ReadFromStream(TStream* stream);
  // Writes the stored list; false after the first short write.
  bool SaveToStream(TStream* stream) const;

 protected:
  std::vector<std::unique_ptr<TStringTagHolder>> fItems;
};

// An ordered list that owns its TStringTagFreqHolder items.
class TStringTagFreqList : public TObject {
 public:
  TStringTagFreqList() = default;
  TStringTagFreqList(const TStringTagFreqList&) = delete;
  TStringTagFreqList& operator=(const TStringTagFreqList&) = delete;
  ~TStringTagFreqList() override = default;

  Int32 Count() const { return static_cast<Int32>(fItems.size()); }
  TStringTagFreqHolder* Items(Int32 i) const;
  void Delete(Int32 i);
  virtual void Clear();

  Int32 AddOne(const TStringTagFreq& rec);
  // When an item matches rec (IndexOfStringTag), its freq grows by exactly 1
  // (a freq already at the largest Int32 stays there) and its index is
  // returned; otherwise a copy of rec, freq included, is appended and its
  // index returned.
  Int32 AddOneOrIncFreq(const TStringTagFreq& rec);
  TStringTagFreq GetAStringTagFreq(Int32 i) const;
  void SetAStringTagFreq(Int32 i, const TStringTagFreq& rec);
  Int32 IndexOfString(const String& s) const;
  Int32 IndexOfStringTag(const TStringTagFreq& rec) const;
  // freq descending; equal frequencies by wrd ascending in code-unit order.
  void SortOnFreq();

  bool ReadFromStream(TStream* stream);
  bool SaveToStream(TStream* stream) const;

 protected:
  std::vector<std::unique_ptr<TStringTagFreqHolder>> fItems;
};

// Unit start and stop (the unit has no work of its own).
void Stringtag_utils_initialization();
void Stringtag_utils_Finalization();

}  // namespace sk
