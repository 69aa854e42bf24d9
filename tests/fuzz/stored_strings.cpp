// Stored strings and tagged words: the counted-string reader, the tagged-word
// record and array readers and the two tagged-word lists, fed untrusted bytes.
// Whatever a reader accepts is written back; reading and writing that again
// must give the same bytes, and a record reader must have consumed exactly the
// bytes it writes.
#include <climits>
#include <functional>

#include "core/Global_vars.h"
#include "core/My_string_functions_notation.h"
#include "core/Stringtag_utils.h"
#include "platform/runtime/Streams.h"
#include "support/FuzzSupport.h"

using namespace sk;
using sk::fuzz::Input;

namespace {

enum Mode : uint8_t {
  kString,
  kStringWithLimit,
  kStringTag,
  kStringTagFreq,
  kPcharTag,
  kStringTagArray,
  kPcharTagArray,
  kStringTagList,
  kStringTagFreqList,
  kModeCount
};

bool SameTag(const TStringTag& a, const TStringTag& b) {
  return a.wrd == b.wrd && a.tag == b.tag && a.tagnum_2B == b.tagnum_2B;
}

// The bytes of the input that the reader consumed.
TBytes Consumed(const TBytes& data, TStream& s) {
  return TBytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(s.Position()));
}

template <class Write>
TBytes Written(Write write) {
  TMemoryStream out;
  SK_FUZZ_CHECK(write(&out));
  return out.ToBytes();
}

void OneString(const TBytes& data, Int32 limit) {
  TBytesStream in(data);
  String s;
  try {
    s = ReadAString(&in, limit);
  } catch (const Exception&) {
    return;  // refused: a count out of range or more than the stream holds
  }
  const TBytes once = Written([&](TStream* out) { return WriteAString(out, s); });
  if (in.Position() >= 4) SK_FUZZ_CHECK(once == Consumed(data, in));
  TBytesStream again(once);
  SK_FUZZ_CHECK(ReadAString(&again, limit) == s);
}

void OneTag(const TBytes& data, bool withFreq) {
  TBytesStream in(data);
  TStringTagFreq rec;
  try {
    if (withFreq)
      rec = ReadAStringTagFreq(&in);
    else
      rec.st = ReadAStringTag(&in);
  } catch (const Exception&) {
    return;
  }
  const TBytes once = Written([&](TStream* out) {
    return withFreq ? WriteAStringTagFreq(out, rec) : WriteAStringTag(out, rec.st);
  });
  SK_FUZZ_CHECK(once == Consumed(data, in));
  TBytesStream again(once);
  if (withFreq) {
    const TStringTagFreq back = ReadAStringTagFreq(&again);
    SK_FUZZ_CHECK(SameTag(back.st, rec.st) && back.freq == rec.freq);
  } else {
    SK_FUZZ_CHECK(SameTag(ReadAStringTag(&again), rec.st));
  }
}

void OnePcharTag(const TBytes& data) {
  TBytesStream in(data);
  TPcharTag rec;
  try {
    rec = ReadAPcharTag(&in);
  } catch (const Exception&) {
    return;
  }
  const TBytes once = Written([&](TStream* out) { return WriteAPcharTag(out, rec); });
  // Zero-terminated texts end at their first NUL: only texts without one come
  // back whole.
  TBytesStream plain(data);
  const TStringTag st = ReadAStringTag(&plain);
  if (st.wrd.find(Char(0)) == String::npos && st.tag.find(Char(0)) == String::npos)
    SK_FUZZ_CHECK(once == Consumed(data, in));
  TBytesStream again(once);
  const TPcharTag back = ReadAPcharTag(&again);
  SK_FUZZ_CHECK(back.wrd.ToString() == rec.wrd.ToString() && back.tag.ToString() == rec.tag.ToString());
}

void Arrays(const TBytes& data, bool pchar, const String& separator) {
  TBytesStream in(data);
  std::vector<TStringTag> arr;
  std::vector<TPcharTag> parr;
  try {
    if (pchar)
      parr = ReadAPcharTagArray(&in);
    else
      arr = ReadAStringTagArray(&in);
  } catch (const Exception&) {
    return;
  }
  const TBytes once = Written([&](TStream* out) {
    return pchar ? WriteAPcharTagArray(out, parr) : WriteAStringTagArray(out, arr);
  });
  // (Zero-terminated texts end at a NUL, so only the plain form comes back whole.)
  if (!arr.empty()) SK_FUZZ_CHECK(once == Consumed(data, in));
  TBytesStream again(once);
  const std::vector<TStringTag> back = ReadAStringTagArray(&again);
  const std::vector<TStringTag> plain = pchar ? PcharTagArrayToStringTagArray(parr) : arr;
  SK_FUZZ_CHECK(back.size() == plain.size());
  for (size_t i = 0; i < back.size(); ++i) SK_FUZZ_CHECK(SameTag(back[i], plain[i]));
  // Joining the words must stay linear in the size of the result.
  const String joined = pchar ? PcharTagArrayToString(parr, separator) : StringTagArrayToString(plain, separator);
  size_t expected = 0;
  for (size_t i = 0; i < plain.size(); ++i) {
    const size_t item = plain[i].tag.size() + plain[i].wrd.size();
    expected += (expected == 0 ? item : separator.size() + item);
  }
  SK_FUZZ_CHECK(joined.size() == expected);
}

void TagList(const TBytes& data) {
  TStringTagList list;
  TBytesStream in(data);
  bool ok = false;
  try {
    ok = list.ReadFromStream(&in);
  } catch (const Exception&) {
    return;
  }
  if (!ok) {
    SK_FUZZ_CHECK(list.Count() == 0);  // nothing is appended from a damaged list
    return;
  }
  const TBytes once = Written([&](TStream* out) { return list.SaveToStream(out); });
  SK_FUZZ_CHECK(once == Consumed(data, in));
  TStringTagList back;
  TBytesStream again(once);
  SK_FUZZ_CHECK(back.ReadFromStream(&again));
  SK_FUZZ_CHECK(Written([&](TStream* out) { return back.SaveToStream(out); }) == once);
  for (Int32 i = 0; i < list.Count() && i < 8; ++i) {
    const TStringTag rec = list.GetAStringTag(i);
    SK_FUZZ_CHECK(list.IndexOfString(rec.wrd) >= 0);
  }
}

void TagFreqList(const TBytes& data) {
  TStringTagFreqList list;
  TBytesStream in(data);
  bool ok = false;
  try {
    ok = list.ReadFromStream(&in);
  } catch (const Exception&) {
    return;
  }
  if (!ok) {
    SK_FUZZ_CHECK(list.Count() == 0);
    return;
  }
  const TBytes once = Written([&](TStream* out) { return list.SaveToStream(out); });
  SK_FUZZ_CHECK(once == Consumed(data, in));
  TStringTagFreqList back;
  TBytesStream again(once);
  SK_FUZZ_CHECK(back.ReadFromStream(&again));
  SK_FUZZ_CHECK(Written([&](TStream* out) { return back.SaveToStream(out); }) == once);
  // Counting an item again never lowers its frequency, whatever was stored.
  for (Int32 i = 0; i < list.Count() && i < 8; ++i) {
    const TStringTagFreq rec = list.GetAStringTagFreq(i);
    const Int32 match = list.IndexOfStringTag(rec);
    const Int32 before = list.GetAStringTagFreq(match).freq;
    const Int32 at = list.AddOneOrIncFreq(rec);
    if (match >= 0) {
      SK_FUZZ_CHECK(at == match);
      SK_FUZZ_CHECK(list.GetAStringTagFreq(at).freq >= before);
    }
  }
  list.SortOnFreq();
  for (Int32 i = 0; i + 1 < list.Count(); ++i)
    SK_FUZZ_CHECK(list.GetAStringTagFreq(i).freq >= list.GetAStringTagFreq(i + 1).freq);
}

// ---- seeds ----

TBytes Bytes(const std::function<bool(TStream*)>& write) {
  TMemoryStream ms;
  write(&ms);
  return ms.ToBytes();
}

TStringTag Tag(const char16_t* wrd, const char16_t* tag, Int32 n) { return TStringTag{wrd, tag, n}; }

void WriteSeeds(sk::fuzz::Seeds& seeds) {
  const std::vector<TStringTag> words = {Tag(u"the", u"<DT>", 1), Tag(u"cat", u"<NN>", 2), Tag(u"", u"", 0),
                                         Tag(u"sat\u00E9", u"<VBD>", -1)};
  seeds.Add(kString, Bytes([](TStream* s) { return WriteAString(s, u"stored text"); }));
  seeds.Add(kString, Bytes([](TStream* s) { return WriteAString(s, String()); }));
  TBytes limited{0xFF, 0x00};  // limit 255, then the string
  const TBytes text = Bytes([](TStream* s) { return WriteAString(s, u"limited"); });
  limited.insert(limited.end(), text.begin(), text.end());
  seeds.Add(kStringWithLimit, limited);
  seeds.Add(kStringTag, Bytes([&](TStream* s) { return WriteAStringTag(s, words[0]); }));
  seeds.Add(kStringTagFreq, Bytes([&](TStream* s) { return WriteAStringTagFreq(s, TStringTagFreq{words[1], 7}); }));
  seeds.Add(kPcharTag, Bytes([&](TStream* s) { return WriteAPcharTag(s, StringTagToPcharTag(words[3])); }));
  TBytes arrayChoice{kStringTagArray, ' ', 0};
  const TBytes arr = Bytes([&](TStream* s) { return WriteAStringTagArray(s, words); });
  arrayChoice.insert(arrayChoice.end(), arr.begin(), arr.end());
  seeds.Add(arrayChoice);
  arrayChoice[0] = kPcharTagArray;
  seeds.Add(arrayChoice);
  TStringTagList list;
  for (const TStringTag& w : words) list.AddOne(w);
  seeds.Add(kStringTagList, Bytes([&](TStream* s) { return list.SaveToStream(s); }));
  TStringTagFreqList freqs;
  Int32 f = 1;
  for (const TStringTag& w : words) freqs.AddOne(TStringTagFreq{w, f++});
  seeds.Add(kStringTagFreqList, Bytes([&](TStream* s) { return freqs.SaveToStream(s); }));
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const uint8_t mode = in.Byte() % kModeCount;
  switch (mode) {
    case kString: OneString(in.Rest(), global_string_safety_limit); break;
    case kStringWithLimit: {
      const Int32 limit = static_cast<int16_t>(in.Word());
      OneString(in.Rest(), limit);
      break;
    }
    case kStringTag: OneTag(in.Rest(), false); break;
    case kStringTagFreq: OneTag(in.Rest(), true); break;
    case kPcharTag: OnePcharTag(in.Rest()); break;
    case kStringTagArray:
    case kPcharTagArray: {
      const TBytes sep = in.Bytes(2);
      const String separator = Input::Text(sep, true);
      Arrays(in.Rest(), mode == kPcharTagArray, separator);
      break;
    }
    case kStringTagList: TagList(in.Rest()); break;
    case kStringTagFreqList: TagFreqList(in.Rest()); break;
    default: break;
  }
  return 0;
}
