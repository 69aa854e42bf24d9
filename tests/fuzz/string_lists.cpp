// String lists, fed untrusted text and bytes: the text forms (SetTextStr,
// CommaText, DelimitedText with any delimiter and quote), the name=value
// lines, loading text with byte-order-mark detection, the tab-separated form
// of the lists with a number per line, and the stream forms of the lists with
// objects. A text form written by a list reads back to the same lines, and a
// stream form read back writes the same bytes.
#include <vector>

#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/Streams.h"
#include "support/FuzzSupport.h"

using namespace sk;
using sk::fuzz::Input;

namespace {

enum Mode : uint8_t {
  kText,
  kCommaText,
  kDelimitedText,
  kNameValues,
  kLoadText,
  kTabbedNumbers,
  kSaveStringStream,
  kLongintStream,
  kTwoIntsAndSingleStream,
  kSortedLookups,
  kModeCount
};

std::vector<String> LinesOf(const TStrings& list) {
  std::vector<String> r;
  for (Int32 i = 0; i < list.Count(); ++i) r.push_back(list.Get(i));
  return r;
}

void Text(const String& text, const String& lineBreak, bool trailing) {
  TStringList list;
  if (!lineBreak.empty()) list.SetLineBreak(lineBreak);
  list.SetTrailingLineBreak(trailing);
  list.SetTextStr(text);
  const std::vector<String> lines = LinesOf(list);
  const String written = list.GetTextStr();
  TStringList back;
  back.SetLineBreak(list.LineBreak());
  back.SetTrailingLineBreak(trailing);
  back.SetTextStr(written);
  // Without a trailing break, a last line that is empty leaves no trace.
  if (trailing || lines.empty() || !lines.back().empty()) {
    SK_FUZZ_CHECK(LinesOf(back) == lines);
    SK_FUZZ_CHECK(back.GetTextStr() == written);
  }
}

// The comma and delimited forms quote what needs quoting: reading what a
// list writes gives its lines again.
void Delimited(const String& text, Char delimiter, Char quote, bool strict, bool comma) {
  TStringList list;
  list.SetDelimiter(delimiter);
  list.SetQuoteChar(quote);
  list.SetStrictDelimiter(strict);
  if (comma)
    list.SetCommaText(text);
  else
    list.SetDelimitedText(text);
  const std::vector<String> lines = LinesOf(list);
  const String written = comma ? list.CommaText() : list.DelimitedText();
  TStringList back;
  back.SetDelimiter(delimiter);
  back.SetQuoteChar(quote);
  back.SetStrictDelimiter(strict);
  if (comma)
    back.SetCommaText(written);
  else
    back.SetDelimitedText(written);
  SK_FUZZ_CHECK(LinesOf(back) == lines);
  SK_FUZZ_CHECK((comma ? back.CommaText() : back.DelimitedText()) == written);
}

void NameValues(const String& text, Char separator) {
  TStringList list;
  list.SetNameValueSeparator(separator);
  list.SetTextStr(text);
  for (Int32 i = 0; i < list.Count() && i < 64; ++i) {
    const String name = list.Names(i);
    if (name.empty()) continue;
    const Int32 at = list.IndexOfName(name);
    SK_FUZZ_CHECK(at >= 0 && at <= i);
    (void)list.Values(name);
    (void)list.ValueFromIndex(i);
  }
  if (list.Count() > 0) {
    const String name = list.Names(0);
    if (!name.empty()) {
      list.SetValue(name, u"v");
      SK_FUZZ_CHECK(list.Values(name) == u"v");
    }
  }
}

void LoadText(const TBytes& bytes) {
  TUTF8Stringlist list;
  TBytesStream in(bytes);
  list.LoadFromStream(&in);
  const std::vector<String> lines = LinesOf(list);
  // The load a file takes (no encoding given) reads the same lines.
  TUTF8Stringlist fromFile;
  TBytesStream again(bytes);
  fromFile.LoadFromStream(&again, nullptr);
  SK_FUZZ_CHECK(LinesOf(fromFile) == lines);
  TMemoryStream out;
  list.SaveToStream(&out);
  TUTF8Stringlist back;
  out.SetPosition(0);
  back.LoadFromStream(&out);
  SK_FUZZ_CHECK(LinesOf(back) == lines);
}

void TabbedNumbers(const String& text) {
  TStringlistWithALongint list;
  list.SetTextStr(text);
  String tabbed;
  for (Int32 i = 0; i < list.Count(); ++i) tabbed += list.GetDataAsTabbedString(i) + u"\r\n";
  TStringlistWithALongint back;
  back.SetTextStr(tabbed);
  SK_FUZZ_CHECK(back.Count() == list.Count());
  for (Int32 i = 0; i < list.Count(); ++i) {
    // A line that itself ends in a tab and digits reads back as text and number.
    if (back.Get(i) != list.Get(i)) continue;
    SK_FUZZ_CHECK(back.GetOne(i) == list.GetOne(i));
  }
  (void)list.HighestFrequency();
  list.SortOnFreq();
  for (Int32 i = 0; i + 1 < list.Count(); ++i) SK_FUZZ_CHECK(list.GetOne(i) >= list.GetOne(i + 1));
  TBaseAcceptableCheckStringlist acceptable;
  acceptable.SetTextStr(text);
}

// Reads a stream form; when it reads, writing, reading and writing again
// gives the same bytes.
template <class TList>
void StreamForm(const TBytes& bytes) {
  TList list;
  TBytesStream in(bytes);
  try {
    list.LoadFromStream(&in);
  } catch (const Exception&) {
    // A count or item the stream cannot hold raises; the lines read stay.
  }
  TMemoryStream once;
  list.SaveToStream(&once);
  TList back;
  TBytesStream again(once.ToBytes());
  back.LoadFromStream(&again);
  SK_FUZZ_CHECK(back.Count() == list.Count());
  TMemoryStream twice;
  back.SaveToStream(&twice);
  SK_FUZZ_CHECK(twice.ToBytes() == once.ToBytes());
}

void SortedLookups(const String& text, uint8_t how) {
  TStringList list;
  list.SetCaseSensitive((how & 1) != 0);
  list.SetDuplicates(static_cast<TDuplicates>((how >> 1) % 2));  // ignore or accept
  list.SetTextStr(text);
  list.SetSorted(true);
  for (Int32 i = 0; i < list.Count() && i < 64; ++i) {
    Int32 at = -1;
    SK_FUZZ_CHECK(list.Find(list.Get(i), at));
    SK_FUZZ_CHECK(list.CompareStrings(list.Get(at), list.Get(i)) == 0);
    SK_FUZZ_CHECK(list.IndexOf(list.Get(i)) >= 0);
  }
  for (Int32 i = 0; i + 1 < list.Count(); ++i) SK_FUZZ_CHECK(list.CompareStrings(list.Get(i), list.Get(i + 1)) <= 0);
}

// ---- seeds ----

void WriteSeeds(sk::fuzz::Seeds& seeds) {
  auto text = [&](uint8_t mode, const TBytes& choices, const String& s) {
    TBytes b{mode};
    b.insert(b.end(), choices.begin(), choices.end());
    const std::string u = StringToUtf8(s);
    b.insert(b.end(), u.begin(), u.end());
    seeds.Add(b);
  };
  TStringList words;
  words.Add(u"plain");
  words.Add(u"with space");
  words.Add(u"with,comma");
  words.Add(u"\"quoted\"");
  words.Add(String());
  text(kText, {0, 0, 1}, words.GetTextStr());
  text(kCommaText, {',', 0, '"', 0, 0}, words.CommaText());
  words.SetDelimiter(u';');
  words.SetQuoteChar(u'\'');
  text(kDelimitedText, {';', 0, '\'', 0, 1}, words.DelimitedText());
  TStringList pairs;
  pairs.Add(u"name=value");
  pairs.Add(u"other=x=y");
  pairs.Add(u"=empty name");
  text(kNameValues, {'=', 0}, pairs.GetTextStr());
  {
    TUTF8Stringlist list;
    list.Add(u"caf\u00E9");
    list.Add(u"line two");
    TMemoryStream ms;
    list.SaveToStream(&ms);
    TBytes b{kLoadText};
    const TBytes saved = ms.ToBytes();
    b.insert(b.end(), saved.begin(), saved.end());
    seeds.Add(b);
  }
  {
    TStringlistWithALongint list;
    list.AddOne(u"the", 12);
    list.AddOne(u"a\tb", -3);
    String tabbed;
    for (Int32 i = 0; i < list.Count(); ++i) tabbed += list.GetDataAsTabbedString(i) + u"\r\n";
    text(kTabbedNumbers, {}, tabbed);
    TMemoryStream ms;
    list.SaveToStream(&ms);
    TBytes b{kLongintStream};
    const TBytes saved = ms.ToBytes();
    b.insert(b.end(), saved.begin(), saved.end());
    seeds.Add(b);
  }
  {
    TSaveStringList list;
    list.Add(u"first");
    list.Add(String());
    TMemoryStream ms;
    list.SaveToStream(&ms);
    TBytes b{kSaveStringStream};
    const TBytes saved = ms.ToBytes();
    b.insert(b.end(), saved.begin(), saved.end());
    seeds.Add(b);
  }
  {
    TStringListWith2IntsAndSingle list;
    list.AddOne(u"x", T2LongintAndSingleRec{T2_longint_rec{1, 2}, 0.5f});
    TMemoryStream ms;
    list.SaveToStream(&ms);
    TBytes b{kTwoIntsAndSingleStream};
    const TBytes saved = ms.ToBytes();
    b.insert(b.end(), saved.begin(), saved.end());
    seeds.Add(b);
  }
  text(kSortedLookups, {3}, u"b\r\na\r\nB\r\nc\r\na\r\n\u00E9\r\nE\r\n");
}

Char CharOf(Input& in) { return static_cast<Char>(in.Word()); }

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const uint8_t mode = in.Byte() % kModeCount;
  switch (mode) {
    case kText: {
      const Char lb = CharOf(in);
      const bool trailing = in.Bool();
      Text(in.RestText(false), lb == 0 ? String() : String(1, lb), trailing);
      break;
    }
    case kCommaText:
    case kDelimitedText: {
      const Char delimiter = CharOf(in);
      const Char quote = CharOf(in);
      const bool strict = in.Bool();
      Delimited(in.RestText(false), delimiter, quote, strict, mode == kCommaText);
      break;
    }
    case kNameValues: {
      const Char separator = CharOf(in);
      NameValues(in.RestText(false), separator);
      break;
    }
    case kLoadText: LoadText(in.Rest()); break;
    case kTabbedNumbers: TabbedNumbers(in.RestText(false)); break;
    case kSaveStringStream: StreamForm<TSaveStringList>(in.Rest()); break;
    case kLongintStream: StreamForm<TStringlistWithALongint>(in.Rest()); break;
    case kTwoIntsAndSingleStream: StreamForm<TStringListWith2IntsAndSingle>(in.Rest()); break;
    case kSortedLookups: {
      const uint8_t how = in.Byte();
      SortedLookups(in.RestText(false), how);
      break;
    }
    default: break;
  }
  return 0;
}
