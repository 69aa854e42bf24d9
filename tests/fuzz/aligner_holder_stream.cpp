// Fuzz target: the aligner's list holder read from untrusted bytes. A read
// either succeeds, and then saving, reading and saving again give the same
// bytes, or fails with every slot cleared; no count is trusted before the
// bytes are there.
#include <cstddef>
#include <cstdint>

#include "display/TextStringGridListHolder.h"
#include "support/FuzzSupport.h"

using namespace sk;

namespace {

TBytes Saved(TTextStringGridListHolder& h) {
  TBytesStream s;
  SK_FUZZ_CHECK(h.SavedToStream(&s));
  return s.ToBytes();
}

void WriteSeeds(sk::fuzz::Seeds& seeds) {
  TTextStringGridListHolder empty;
  seeds.Add(Saved(empty));
  TTextStringGridListHolder h;
  const char16_t* names[] = {u"English", u"Hebrew", u"Portuguese"};
  for (Int32 i = 0; i < 3; ++i) {
    Tfixed_lang_details lang{};
    for (size_t k = 0; names[i][k] != 0 && k < 30; ++k) lang.main_nome[k] = names[i][k];
    lang.lcid = i == 1 ? 0x040D : 0x0409;
    lang.language_number = i;
    lang.preference = lang_instalada;
    h.SetALanguage(i, lang);
    h.SetText(i, i == 1 ? u"\u05D1\u05E8\u05D0\u05E9\u05D9\u05EA\r\n<B>two</B>\r\n" : u"In the beginning\r\nline two\r\n");
    h.SetFilename(i, u"/texts/file.txt");
    h.SetWindowTextColour(i, 0x000080);
    h.SetLinesChecked(i, 2);
  }
  seeds.Add(Saved(h));
  // A version-1 slot (no settings part) at the front.
  TBytes v1 = Saved(empty);
  v1.erase(v1.begin() + 4, v1.begin() + 4 + 204);
  v1[0] = 1;
  seeds.Add(v1);
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TTextStringGridListHolder h;
  TBytesStream in(TBytes(data, data + size));
  if (!h.ReadFromStream(&in)) {
    SK_FUZZ_CHECK(h.LanguagesInUse() == 0);
    for (Int32 i = 0; i < kAlignerSlots; ++i) {
      SK_FUZZ_CHECK(h.List(i) != nullptr && h.List(i)->Count() == 0);
      SK_FUZZ_CHECK(h.GetLangFilenameAndColours(i).filename.empty());
    }
    return 0;
  }
  const TBytes once = Saved(h);
  TTextStringGridListHolder again;
  TBytesStream in2(once);
  SK_FUZZ_CHECK(again.ReadFromStream(&in2));
  SK_FUZZ_CHECK(Saved(again) == once);
  return 0;
}
