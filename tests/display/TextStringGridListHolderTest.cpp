#include "display/TextStringGridListHolder.h"

#include <gtest/gtest.h>

#include <cstring>

#include "TestSupport.h"
#include "display/Aligner_types.h"
#include "platform/runtime/Colors.h"

namespace sk {
namespace {

constexpr size_t kSlotBytes = 4 + 204 + 4 + 376 + 4;

TBytes Saved(TTextStringGridListHolder& h) {
  TBytesStream s;
  EXPECT_TRUE(h.SavedToStream(&s));
  return s.ToBytes();
}

void PutLE(TBytes& b, size_t at, uint32_t v, int width = 4) {
  for (int k = 0; k < width; ++k) b[at + static_cast<size_t>(k)] = static_cast<Byte>(v >> (8 * k));
}

Tfixed_lang_details Lang(const char16_t* name, Cardinal lcid, Int32 number) {
  Tfixed_lang_details l{};
  for (size_t k = 0; name[k] != 0 && k < 30; ++k) l.main_nome[k] = name[k];
  l.lcid = lcid;
  l.language_number = number;
  l.preference = lang_instalada;
  return l;
}

TEST(TextStringGridListHolder, EmptyHolderGoldenBytes) {
  TTextStringGridListHolder h;
  TBytes expected(kSlotBytes * 8, 0);
  for (size_t i = 0; i < 8; ++i) expected[i * kSlotBytes] = 2;
  EXPECT_EQ(Saved(h), expected);
  EXPECT_EQ(h.LanguagesInUse(), 0);
}

TEST(TextStringGridListHolder, FilledSlotGoldenBytes) {
  TTextStringGridListHolder h;
  h.SetALanguage(0, Lang(u"En", 0x0409, 3));
  h.SetText(0, u"ab\r\n\u05D0");
  h.SetFilename(0, u"f.t");
  h.SetWindowTextColour(0, 0x00112233);
  h.SetLinesChecked(0, 7);
  TTextStringGridFixedSettingsRec fixed{};
  fixed.short_line_chars = 5;
  fixed.lines_this_lang_checked = 7;
  h.SetOtherFixed(0, fixed);
  const TBytes got = Saved(h);
  TBytes slot;
  auto put32 = [&](uint32_t v) {
    for (int k = 0; k < 4; ++k) slot.push_back(static_cast<Byte>(v >> (8 * k)));
  };
  auto putText = [&](const String& t) {
    put32(static_cast<uint32_t>(t.size()));
    for (Char c : t) {
      slot.push_back(static_cast<Byte>(c & 0xFF));
      slot.push_back(static_cast<Byte>(c >> 8));
    }
  };
  put32(2);
  TBytes f(204, 0);
  f[0] = 5;
  PutLE(f, 4, 7);
  slot.insert(slot.end(), f.begin(), f.end());
  putText(u"ab\r\n\u05D0\r\n");
  TBytes lang(376, 0);
  PutLE(lang, 4, 0x0409);
  PutLE(lang, 8, 3);
  lang[12] = lang_instalada;
  PutLE(lang, 276, u'E', 2);
  PutLE(lang, 278, u'n', 2);
  PutLE(lang, 340 + 4 * tsc_windowtext, 0x00112233);
  slot.insert(slot.end(), lang.begin(), lang.end());
  putText(u"f.t");
  ASSERT_GE(got.size(), slot.size());
  EXPECT_EQ(TBytes(got.begin(), got.begin() + static_cast<long>(slot.size())), slot);
  EXPECT_EQ(got.size(), slot.size() + 7 * kSlotBytes);
  EXPECT_EQ(h.LanguagesInUse(), 1);
}

TEST(TextStringGridListHolder, RoundTripAndVersionOne) {
  TTextStringGridListHolder h;
  for (Int32 i = 0; i < 8; ++i) {
    h.SetALanguage(i, Lang(u"L", 0x0409, i));
    h.SetText(i, u"line one\r\n\U0001F600 two\r\n");
    h.SetFilename(i, String(500, u'x'));
  }
  EXPECT_EQ(h.LanguagesInUse(), 8);
  const TBytes once = Saved(h);
  TTextStringGridListHolder r;
  TBytesStream in(once);
  ASSERT_TRUE(r.ReadFromStream(&in));
  EXPECT_EQ(Saved(r), once);
  EXPECT_EQ(r.List(7)->Get(1), u"\U0001F600 two");
  // A version-1 slot has no settings part and is written as version 2.
  TTextStringGridListHolder empty;
  TBytes v1 = Saved(empty);
  v1.erase(v1.begin() + 4, v1.begin() + 4 + 204);
  v1[0] = 1;
  TTextStringGridListHolder h1;
  TBytesStream in1(v1);
  ASSERT_TRUE(h1.ReadFromStream(&in1));
  EXPECT_EQ(h1.arr[0].version, 1);
  EXPECT_EQ(Saved(h1), Saved(empty));
}

TEST(TextStringGridListHolder, BadStreamsFailWithEverySlotCleared) {
  TTextStringGridListHolder h;
  h.SetALanguage(0, Lang(u"En", 0x0409, 0));
  h.SetALanguage(1, Lang(u"He", 0x040D, 1));
  h.SetText(0, u"a\r\nb\r\n");
  h.SetText(1, u"c\r\n");
  h.SetFilename(1, u"n");
  const TBytes good = Saved(h);
  auto check = [](const TBytes& bytes, const char* what) {
    TTextStringGridListHolder r;
    r.SetALanguage(0, Lang(u"Old", 0x0409, 0));
    r.SetText(0, u"stale\r\n");
    TBytesStream in(bytes);
    EXPECT_FALSE(r.ReadFromStream(&in)) << what;
    EXPECT_EQ(r.LanguagesInUse(), 0) << what;
    for (Int32 i = 0; i < 8; ++i) EXPECT_EQ(r.List(i)->Count(), 0) << what;
  };
  for (size_t n = 0; n < good.size(); ++n) check(TBytes(good.begin(), good.begin() + static_cast<long>(n)), "cut");
  struct Case {
    size_t at;
    uint32_t value;
    const char* what;
  };
  const size_t textCount = 4 + 204;
  const size_t nameCount = kSlotBytes + 12 + 4 + 204 + 4 + 6 + 376;  // slot 1's
  const Case cases[] = {
      {textCount, 0x7FFFFFFF, "text count beyond the bytes"},
      {textCount, 0x80000000, "negative text count"},
      {textCount, 0x00100000, "inflated text count"},
      {nameCount, 501, "file name above 500"},
      {nameCount, 0xFFFFFFFF, "negative file name count"},
  };
  for (const Case& c : cases) {
    TBytes bad = good;
    PutLE(bad, c.at, c.value);
    check(bad, c.what);
  }
  TBytes pref = good;
  pref[4 + 204 + 4 + 12 + 12] = Tlang_preference_Count;
  check(pref, "preference outside its values");
  // A 501-unit name written whole is refused too.
  TTextStringGridListHolder longName;
  longName.SetFilename(3, String(501, u'y'));
  check(Saved(longName), "long name");
}

TEST(TextStringGridListHolder, SettersIgnoreOtherSlots) {
  TTextStringGridListHolder h;
  h.SetText(8, u"x");
  h.SetText(-1, u"x");
  h.SetFontRecNameAndSize(2, u"DejaVu Sans", 12);
  h.SetFontRecNameAndSize(2, String(), 14);
  EXPECT_EQ(h.Language(2).new_win_font.fontsize, 14);
  EXPECT_EQ(h.Language(2).new_win_font.fontname[0], u'D');
  EXPECT_EQ(h.Text(9), String());
  EXPECT_EQ(h.List(8), nullptr);
  h.SetHighlightWordColours(1, clYellow, clNavy);
  EXPECT_EQ(h.GetLangFilenameAndColours(1).cores.arr[tsc_highlight], clYellow);
  EXPECT_EQ(h.GetLangFilenameAndColours(1).cores.arr[tsc_highlighttext], clNavy);
  // A gap: slot 1 in use but not slot 0 counts none.
  h.SetALanguage(1, Lang(u"He", 0x040D, 1));
  EXPECT_EQ(h.LanguagesInUse(), 0);
  EXPECT_EQ(AlignerTabsheetOrderToAlignerTab(AlignerTabToAlignerTabSheetOrder(tat_aligner_conc)), tat_aligner_conc);
  EXPECT_EQ(AlignerTabsheetOrderToAlignerTab(tso_AL_notes), tat_aligner_paras);
}

class TextStringGridListHolder_files : public ScratchFolderTest {
 protected:
  TextStringGridListHolder_files() : ScratchFolderTest("alignerholder") {}
};

TEST_F(TextStringGridListHolder_files, LoadsUtf16TextAndReportsFailures) {
  TTextStringGridListHolder h;
  WriteRaw("u16.txt", std::string("\xFF\xFE" "a\0\r\0\n\0\xD0\x05", 10));
  ASSERT_TRUE(h.LoadFromTextFile(0, Lang(u"He", 0x040D, 0), File("u16.txt")));
  EXPECT_EQ(h.Text(0), u"a\r\n\u05D0\r\n");
  EXPECT_EQ(h.LanguagesInUse(), 1);
  EXPECT_FALSE(h.LoadFromTextFile(1, Lang(u"En", 0x0409, 1), File("missing.txt")));
  EXPECT_FALSE(h.LoadFromTextFile(1, Lang(u"En", 0x0409, 1), Utf8ToString(fDir)));
  EXPECT_EQ(h.LanguagesInUse(), 1);
}

}  // namespace
}  // namespace sk
