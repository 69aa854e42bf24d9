#include "core/Stringtag_utils.h"

#include <bit>
#include <climits>
#include <cstring>

#include "core/Comparing_types.h"
#include "core/Generalruntime1const.h"
#include "core/Global_vars.h"
#include "core/UnitCounter.h"
#include "core/Useful_classes_base_raw.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/QuickSort.h"
#include "platform/runtime/ResourceStrings.h"

namespace sk {

namespace {

using raw_detail::ReadInt32;
using raw_detail::WriteInt32;

// The smallest stored forms: three 4-byte fields for a tagged word, four with
// a frequency.  A count of items is never believed beyond what the stream
// could hold at that size.
constexpr Int64 kMinStoredStringTag = 12;
constexpr Int64 kMinStoredStringTagFreq = 16;

enum class TStoredRead : uint8_t {
  ok,
  ended,     // the stream ended before a whole count
  cut_short  // a count was read but the stream does not hold its characters
};

[[noreturn]] void RaiseFileReadError(Int64 n, const char16_t* routine) {
  const String routineName(routine);
  throw Exception(Format(LoadResString(&_QMFileReadError), {n, routineName}));
}

bool WriteUnits(TStream* stream, const Char* units, Int64 n) {
  const Int64 bytes = 2 * n;
  if constexpr (std::endian::native == std::endian::little) {
    return stream->Write(units, bytes) == bytes;
  } else {
    std::vector<Byte> buf(static_cast<size_t>(bytes));
    for (Int64 i = 0; i < n; ++i) {
      buf[2 * i] = static_cast<Byte>(units[i] & 0xFF);
      buf[2 * i + 1] = static_cast<Byte>(units[i] >> 8);
    }
    return stream->Write(buf.data(), bytes) == bytes;
  }
}

bool WriteCounted(TStream* stream, const Char* units, Int64 n) {
  if (stream == nullptr || n > INT32_MAX) return false;
  if (!WriteInt32(stream, static_cast<Int32>(n))) return false;
  return n == 0 || WriteUnits(stream, units, n);
}

// Reads one stored string into out.  An out-of-range count raises the
// file-read-error message; a count that the stream cannot honour leaves the
// stream just past the count and out empty.
TStoredRead ReadStored(TStream* stream, Int32 limit, String& out, Int32* countRead = nullptr) {
  out.clear();
  Int32 n = 0;
  if (stream == nullptr || !ReadInt32(stream, n)) return TStoredRead::ended;
  if (countRead != nullptr) *countRead = n;
  if (n == 0) return TStoredRead::ok;
  if (n < 0 || n > limit) RaiseFileReadError(n, u"ReadAString");
  const Int64 bytes = 2 * static_cast<Int64>(n);
  if (stream->Remaining() < bytes) return TStoredRead::cut_short;
  String s(static_cast<size_t>(n), Char(0));
  const Int64 start = stream->Position();
  if (stream->Read(s.data(), bytes) != bytes) {
    stream->SetPosition(start);
    return TStoredRead::cut_short;
  }
  if constexpr (std::endian::native != std::endian::little) {
    for (Char& c : s) c = static_cast<Char>((c >> 8) | (c << 8));
  }
  out = std::move(s);
  return TStoredRead::ok;
}

// Reads a whole stored tagged word of a list or an array; false when the
// stream ends anywhere in it.  Its texts are believed as far as the stream
// holds them (see ReadAListString).
bool ReadTagRecord(TStream* stream, TStringTag& rec) {
  rec = TStringTag{};
  const Int32 limit = INT32_MAX;
  if (ReadStored(stream, limit, rec.wrd) != TStoredRead::ok) return false;
  if (ReadStored(stream, limit, rec.tag) != TStoredRead::ok) return false;
  return ReadInt32(stream, rec.tagnum_2B);
}

bool ReadTagFreqRecord(TStream* stream, TStringTagFreq& rec) {
  rec = TStringTagFreq{};
  if (!ReadTagRecord(stream, rec.st)) return false;
  return ReadInt32(stream, rec.freq);
}

// Reads an item count and checks it against the bytes that remain; false
// when it is missing, negative or more than the stream could hold.
bool ReadItemCount(TStream* stream, Int64 minItemBytes, Int32& count) {
  count = 0;
  if (stream == nullptr || !ReadInt32(stream, count)) return false;
  if (count < 0) return false;
  return static_cast<Int64>(count) <= stream->Remaining() / minItemBytes;
}

bool WritePcharTagRecord(TStream* stream, const TPcharTag& rec) {
  // A nil text is stored as the empty string.
  return WriteCounted(stream, rec.wrd.get(), static_cast<Int64>(rec.wrd.Length())) &&
         WriteCounted(stream, rec.tag.get(), static_cast<Int64>(rec.tag.Length())) &&
         WriteInt32(stream, rec.tagnum_2B);
}

TPcharTag ToPcharTag(const TStringTag& st) {
  TPcharTag result;
  result.wrd = TOwnedPWideChar(st.wrd);
  result.tag = TOwnedPWideChar(st.tag);
  result.tagnum_2B = st.tagnum_2B;
  return result;
}

}  // namespace

SK_COUNTER_ONLY_UNIT(Stringtag_utils)

bool WriteAString(TStream* stream, const String& s) {
  return WriteCounted(stream, s.data(), static_cast<Int64>(s.size()));
}

String ReadAString(TStream* stream, Int32 limit) {
  String result;
  Int32 n = 0;
  if (ReadStored(stream, limit, result, &n) == TStoredRead::cut_short)
    RaiseFileReadError(n, u"ReadAString");
  return result;
}

String ReadAString(TStream* stream) { return ReadAString(stream, global_string_safety_limit); }

// ReadStored checks the count against the bytes that remain before it
// allocates anything, so no other bound is needed.
String ReadAListString(TStream* stream) { return ReadAString(stream, INT32_MAX); }

bool ReadAListStringIfWhole(TStream* stream, String& out) {
  return ReadStored(stream, INT32_MAX, out) == TStoredRead::ok;
}

bool WriteAStringTag(TStream* stream, const TStringTag& rec) {
  return WriteAString(stream, rec.wrd) && WriteAString(stream, rec.tag) &&
         WriteInt32(stream, rec.tagnum_2B);
}

TStringTag ReadAStringTag(TStream* stream) {
  TStringTag rec;
  rec.wrd = ReadAString(stream);
  rec.tag = ReadAString(stream);
  if (stream == nullptr || !ReadInt32(stream, rec.tagnum_2B))
    RaiseFileReadError(4, u"ReadAStringTag");
  return rec;
}

bool WriteAStringTagFreq(TStream* stream, const TStringTagFreq& rec) {
  return WriteAStringTag(stream, rec.st) && WriteInt32(stream, rec.freq);
}

TStringTagFreq ReadAStringTagFreq(TStream* stream) {
  TStringTagFreq rec;
  rec.st = ReadAStringTag(stream);
  if (!ReadInt32(stream, rec.freq)) RaiseFileReadError(4, u"ReadAStringTagFreq");
  return rec;
}

bool WriteAPcharTag(TStream* stream, const TPcharTag& rec) {
  return WritePcharTagRecord(stream, rec);
}

TPcharTag ReadAPcharTag(TStream* stream) { return ToPcharTag(ReadAStringTag(stream)); }

bool WriteAStringTagArray(TStream* stream, const std::vector<TStringTag>& arr) {
  if (stream == nullptr || arr.size() > INT32_MAX) return false;
  if (!WriteInt32(stream, static_cast<Int32>(arr.size()))) return false;
  for (const TStringTag& rec : arr)
    if (!WriteAStringTag(stream, rec)) return false;
  return true;
}

bool WriteAPcharTagArray(TStream* stream, const std::vector<TPcharTag>& arr) {
  if (stream == nullptr || arr.size() > INT32_MAX) return false;
  if (!WriteInt32(stream, static_cast<Int32>(arr.size()))) return false;
  for (const TPcharTag& rec : arr)
    if (!WritePcharTagRecord(stream, rec)) return false;
  return true;
}

std::vector<TStringTag> ReadAStringTagArray(TStream* stream) {
  Int32 count = 0;
  if (!ReadItemCount(stream, kMinStoredStringTag, count)) return {};
  std::vector<TStringTag> result(static_cast<size_t>(count));
  for (TStringTag& rec : result)
    if (!ReadTagRecord(stream, rec)) return {};
  return result;
}

std::vector<TPcharTag> ReadAPcharTagArray(TStream* stream) {
  // Read as plain tagged words first, so that nothing is allocated for the
  // caller unless the whole array was there.
  const std::vector<TStringTag> words = ReadAStringTagArray(stream);
  std::vector<TPcharTag> result;
  result.reserve(words.size());
  for (const TStringTag& st : words) result.push_back(ToPcharTag(st));
  return result;
}

TStringTag StringToStringTag(const String& s) {
  TStringTag rec;
  rec.wrd = s;
  return rec;
}

// ---- holders ----

std::unique_ptr<TStringTagHolder> TStringTagHolder::Create(const TStringTag& rec) {
  return std::make_unique<TStringTagHolder>(rec);
}

std::unique_ptr<TStringTagHolder> TStringTagHolder::CreateBlank() {
  return std::make_unique<TStringTagHolder>();
}

std::unique_ptr<TStringTagFreqHolder> TStringTagFreqHolder::Create(const TStringTagFreq& rec) {
  return std::make_unique<TStringTagFreqHolder>(rec);
}

std::unique_ptr<TStringTagFreqHolder> TStringTagFreqHolder::CreateBlank() {
  return std::make_unique<TStringTagFreqHolder>();
}

// ---- TStringTagList ----

TStringTagHolder* TStringTagList::Items(Int32 i) const {
  if (i < 0 || i >= Count()) return nullptr;
  return fItems[static_cast<size_t>(i)].get();
}

void TStringTagList::Delete(Int32 i) {
  if (i < 0 || i >= Count()) return;
  fItems.erase(fItems.begin() + i);
}

void TStringTagList::Clear() { fItems.clear(); }

Int32 TStringTagList::AddOne(const TStringTag& rec) {
  fItems.push_back(TStringTagHolder::Create(rec));
  return Count() - 1;
}

TStringTag TStringTagList::GetAStringTag(Int32 i) const {
  const TStringTagHolder* h = Items(i);
  return h != nullptr ? h->data : TStringTag{};
}

void TStringTagList::SetAStringTag(Int32 i, const TStringTag& rec) {
  if (TStringTagHolder* h = Items(i)) h->data = rec;
}

Int32 TStringTagList::IndexOfString(const String& s) const {
  for (Int32 i = 0; i < Count(); ++i)
    if (fItems[static_cast<size_t>(i)]->data.wrd == s) return i;
  return -1;
}

Int32 TStringTagList::IndexOfStringTag(const TStringTag& rec) const {
  for (Int32 i = 0; i < Count(); ++i)
    if (StringTagMatches(rec, fItems[static_cast<size_t>(i)]->data, true)) return i;
  return -1;
}

bool TStringTagList::ReadFromStream(TStream* stream) {
  Int32 count = 0;
  if (!ReadItemCount(stream, kMinStoredStringTag, count)) return false;
  std::vector<std::unique_ptr<TStringTagHolder>> read;
  read.reserve(static_cast<size_t>(count));
  for (Int32 i = 0; i < count; ++i) {
    auto h = TStringTagHolder::CreateBlank();
    if (!ReadTagRecord(stream, h->data)) return false;
    read.push_back(std::move(h));
  }
  for (auto& h : read) fItems.push_back(std::move(h));
  return true;
}

bool TStringTagList::SaveToStream(TStream* stream) const {
  if (stream == nullptr || !WriteInt32(stream, Count())) return false;
  for (const auto& h : fItems)
    if (!WriteAStringTag(stream, h->data)) return false;
  return true;
}

// ---- TStringTagFreqList ----

TStringTagFreqHolder* TStringTagFreqList::Items(Int32 i) const {
  if (i < 0 || i >= Count()) return nullptr;
  return fItems[static_cast<size_t>(i)].get();
}

void TStringTagFreqList::Delete(Int32 i) {
  if (i < 0 || i >= Count()) return;
  fItems.erase(fItems.begin() + i);
}

void TStringTagFreqList::Clear() { fItems.clear(); }

Int32 TStringTagFreqList::AddOne(const TStringTagFreq& rec) {
  fItems.push_back(TStringTagFreqHolder::Create(rec));
  return Count() - 1;
}

Int32 TStringTagFreqList::AddOneOrIncFreq(const TStringTagFreq& rec) {
  const Int32 i = IndexOfStringTag(rec);
  if (i < 0) return AddOne(rec);
  // A frequency read from a file may already be the largest value: it stays.
  Int32& freq = fItems[static_cast<size_t>(i)]->data.freq;
  if (freq < INT32_MAX) freq += 1;
  return i;
}

TStringTagFreq TStringTagFreqList::GetAStringTagFreq(Int32 i) const {
  const TStringTagFreqHolder* h = Items(i);
  return h != nullptr ? h->data : TStringTagFreq{};
}

void TStringTagFreqList::SetAStringTagFreq(Int32 i, const TStringTagFreq& rec) {
  if (TStringTagFreqHolder* h = Items(i)) h->data = rec;
}

Int32 TStringTagFreqList::IndexOfString(const String& s) const {
  for (Int32 i = 0; i < Count(); ++i)
    if (fItems[static_cast<size_t>(i)]->data.st.wrd == s) return i;
  return -1;
}

Int32 TStringTagFreqList::IndexOfStringTag(const TStringTagFreq& rec) const {
  for (Int32 i = 0; i < Count(); ++i)
    if (StringTagMatches(rec.st, fItems[static_cast<size_t>(i)]->data.st, true)) return i;
  return -1;
}

void TStringTagFreqList::SortOnFreq() {
  // Higher frequencies first; ties in code-unit order of the word.
  auto compare = [](const std::unique_ptr<TStringTagFreqHolder>& a,
                    const std::unique_ptr<TStringTagFreqHolder>& b) -> Int32 {
    const Int32 byFreq = CompareLongints(b->data.freq, a->data.freq);
    if (byFreq != 0) return byFreq;
    const Int32 byWord = a->data.st.wrd.compare(b->data.st.wrd);
    return byWord < 0 ? -1 : (byWord > 0 ? 1 : 0);
  };
  QuickSortVector(fItems, compare);
}

bool TStringTagFreqList::ReadFromStream(TStream* stream) {
  Int32 count = 0;
  if (!ReadItemCount(stream, kMinStoredStringTagFreq, count)) return false;
  std::vector<std::unique_ptr<TStringTagFreqHolder>> read;
  read.reserve(static_cast<size_t>(count));
  for (Int32 i = 0; i < count; ++i) {
    auto h = TStringTagFreqHolder::CreateBlank();
    if (!ReadTagFreqRecord(stream, h->data)) return false;
    read.push_back(std::move(h));
  }
  for (auto& h : read) fItems.push_back(std::move(h));
  return true;
}

bool TStringTagFreqList::SaveToStream(TStream* stream) const {
  if (stream == nullptr || !WriteInt32(stream, Count())) return false;
  for (const auto& h : fItems)
    if (!WriteAStringTagFreq(stream, h->data)) return false;
  return true;
}

}  // namespace sk
