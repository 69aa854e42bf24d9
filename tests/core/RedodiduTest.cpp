// Locale case mapping, paths and drives, Boolean words, ampersands, the disk
// space question and the unit's start work.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <vector>

#include "core/Global_vars.h"
#include "core/Redodidu.h"
#include "platform/runtime/Dialogs.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Strings.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/ResourceStrings.h"

namespace sk {
namespace {

constexpr Cardinal kTurkish = 0x041F;
constexpr Cardinal kEnglishUS = 0x0409;
constexpr Cardinal kGerman = 0x0407;

// Records every message box asked for while it lives and answers `answer`.
class BoxRecorder {
 public:
  explicit BoxRecorder(Int32 answer) {
    fPrevious = SetMessageBoxHandler([this, answer](const String& text, const String& caption, Cardinal flags) {
      texts.push_back(text);
      captions.push_back(caption);
      lastFlags = flags;
      return answer;
    });
  }
  ~BoxRecorder() { SetMessageBoxHandler(fPrevious); }
  std::vector<String> texts, captions;
  Cardinal lastFlags = 0;

 private:
  TMessageBoxHandler fPrevious;
};

TEST(RedodiduCase, TurkishDottedAndDotlessI) {
  EXPECT_EQ(Uppercase(kTurkish, u"i\u0131"), u"\u0130I");
  EXPECT_EQ(Lowercase(kTurkish, u"I\u0130"), u"\u0131i");
  // Outside Turkish the dotless rules do not apply.
  EXPECT_EQ(Uppercase(kEnglishUS, u"i"), u"I");
  EXPECT_EQ(Lowercase(kEnglishUS, u"I"), u"i");
}

TEST(RedodiduCase, MappingNeverChangesTheLength) {
  // ß has no one-unit upper case: it stays, so positions found in the upper-cased
  // copy still fit the original.
  const String s = u"Stra\u00DFe \u0149 \uFB01";
  const String up = Uppercase(kGerman, s);
  ASSERT_EQ(up.size(), s.size());
  EXPECT_EQ(up, u"STRA\u00DFE \u0149 \uFB01");
  EXPECT_EQ(Uppercase(s).size(), s.size());
  EXPECT_EQ(Lowercase(u"\u0130X").size(), 2u);
}

TEST(RedodiduCase, LeavesTheArgumentAndMapsBuffersInPlace) {
  const String original = u"Mixed \u00C9t\u00E9";
  const String copy = original;
  EXPECT_EQ(Lowercase(kEnglishUS, original), u"mixed \u00E9t\u00E9");
  EXPECT_EQ(original, copy);
  EXPECT_EQ(Uppercase(u"abc\u00E9"), u"ABC\u00C9");
  EXPECT_EQ(Lowercase(u"ABC\u00C9"), u"abc\u00E9");
  EXPECT_EQ(Uppercase(kEnglishUS, u""), u"");

  Char buf[] = u"istanbul";
  EXPECT_EQ(UppercaseIt(kTurkish, buf), 9);  // eight units and the terminator
  EXPECT_EQ(String(buf), u"\u0130STANBUL");
  EXPECT_EQ(LowercaseIt(kTurkish, buf), 9);
  EXPECT_EQ(String(buf), u"istanbul");
  EXPECT_EQ(LowercaseIt(kTurkish, nullptr), 0);
}

TEST(RedodiduPaths, NormalisedPathKeepsRootsAndDropsTrailingDelimiters) {
  EXPECT_EQ(NormalisedPath(u"/"), u"/");
  EXPECT_EQ(NormalisedPath(u"C:\\"), u"C:\\");
  EXPECT_EQ(NormalisedPath(u""), u"");
  EXPECT_EQ(NormalisedPath(u"/tmp/some/folder/"), u"/tmp/some/folder");
  EXPECT_EQ(NormalisedPath(u"/tmp/a/../b"), u"/tmp/b");
  // A stored Windows name is not resolved against this system's folders.
  EXPECT_EQ(NormalisedPath(u"D:\\texts\\"), u"D:\\texts");
  EXPECT_EQ(NormalisedPath(u"\\\\server\\share\\"), u"\\\\server\\share");
}

TEST(RedodiduPaths, NormalisedPathWFillsAndBoundsTheBuffer) {
  maxpathwidechar buf;
  buf.fill(u'x');
  Char* r = NormalisedPathW(buf, u"/tmp/abc/");
  EXPECT_EQ(r, buf.data());
  EXPECT_EQ(String(r), u"/tmp/abc");
  EXPECT_EQ(buf[8], Char(0));
  EXPECT_EQ(buf[260], Char(0));

  // A path longer than the buffer is cut to 260 units and stays terminated.
  const String longPath = u"/" + String(400, u'a');
  NormalisedPathW(buf, longPath.c_str());
  EXPECT_EQ(String(buf.data()).size(), 260u);
  EXPECT_EQ(buf[260], Char(0));
  NormalisedPathW(buf, nullptr);
  EXPECT_EQ(buf[0], Char(0));
}

TEST(RedodiduPaths, WildcardsFoldersAndAttributes) {
  EXPECT_TRUE(FileNameHasWildCards(u"*.txt"));
  EXPECT_TRUE(FileNameHasWildCards(u"a?.txt"));
  EXPECT_FALSE(FileNameHasWildCards(u"plain.txt"));
  EXPECT_TRUE(sIsADirectory(u"/tmp"));
  EXPECT_FALSE(sIsADirectory(u"/no/such/folder/at/all"));
  EXPECT_FALSE(sIsADirectory(u""));

  EXPECT_EQ(AttributesToStr(0x37), u"rashd");
  EXPECT_EQ(AttributesToStr(0x27), u"rash");
  EXPECT_EQ(AttributesToStr(0x3F), u"rashd");
  EXPECT_EQ(AttributesToStr(0), u"");
  EXPECT_EQ(AttributesToStr(0x10), u"d");
  EXPECT_EQ(AttributesToStr(0x80), u"");
}

TEST(RedodiduDrives, LettersAndMountPoints) {
  EXPECT_FALSE(ValidDrive('#'));
  EXPECT_FALSE(ValidDriveW(u'['));
  EXPECT_FALSE(ValidDriveW(u'@'));
  EXPECT_TRUE(ValidDrive('c'));
  EXPECT_TRUE(ValidDriveW(u'C'));
  EXPECT_FALSE(ValidDriveW(u'Q'));
  EXPECT_FALSE(Fixed_Drive(u""));
}

TEST(RedodiduDrives, LittleDiskSpaceAsksOnlyWhenShort) {
  {
    BoxRecorder boxes(IDOK);
    EXPECT_FALSE(ProceedIfLittleDiskSpace(u"", 1));
    EXPECT_TRUE(ProceedIfLittleDiskSpace(u"/tmp", 1));
    EXPECT_TRUE(boxes.texts.empty());
  }
  const Int64 tooMuch = Int64(1) << 62;
  {
    BoxRecorder boxes(IDOK);
    EXPECT_TRUE(ProceedIfLittleDiskSpace(u"/tmp/not-yet-written.txt", tooMuch));
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_NE(boxes.texts[0].find(u"Only "), String::npos);
    EXPECT_NE(boxes.texts[0].find(u"Mb space left on /tmp/not-yet-written.txt -- Proceed?"), String::npos);
    EXPECT_EQ(boxes.captions[0], u"Confirmation");
    EXPECT_EQ(boxes.lastFlags, MB_OKCANCEL | MB_ICONQUESTION);
  }
  {
    BoxRecorder boxes(IDCANCEL);
    EXPECT_FALSE(ProceedIfLittleDiskSpace(u"/tmp", tooMuch));
    EXPECT_EQ(boxes.texts.size(), 1u);
  }
}

TEST(RedodiduLocale, MeasurementsAndCodePages) {
  EXPECT_FALSE(UserDefaultMeasurements(kEnglishUS));
  EXPECT_TRUE(UserDefaultMeasurements(kGerman));
  EXPECT_TRUE(UserDefaultMeasurements(0x0809));  // English (United Kingdom)
  EXPECT_EQ(Redodidu::LCIDToCodePage(kEnglishUS), 1252u);
  EXPECT_EQ(Redodidu::LCIDToCodePage(0x0419), 1251u);  // Russian
  EXPECT_EQ(Redodidu::LCIDToCodePage(0x0411), 932u);   // Japanese
  EXPECT_EQ(Redodidu::LCIDToCodePage(kTurkish), 1254u);
}

TEST(RedodiduLocale, LastErrorText) {
  errno = ENOENT;
  EXPECT_FALSE(GetLastErrorString().empty());
  errno = 999999;
  EXPECT_EQ(GetLastErrorString(), u"");
  errno = 0;
}

TEST(RedodiduWords, BooleansAndDigits) {
  EXPECT_EQ(BooleanToStr(true), u"true");
  EXPECT_EQ(BooleanToStr(false), u"false");
  EXPECT_TRUE(StrToBoolean(u"TRUE"));
  EXPECT_TRUE(StrToBoolean(u"True"));
  EXPECT_FALSE(StrToBoolean(u"yes"));
  EXPECT_FALSE(StrToBoolean(u"false"));
  EXPECT_FALSE(StrToBoolean(u""));
  EXPECT_FALSE(StrToBoolean(u" true"));

  EXPECT_TRUE(IsOrdinaryNumberChar(u'0'));
  EXPECT_TRUE(IsOrdinaryNumberChar(u'9'));
  EXPECT_FALSE(IsOrdinaryNumberChar(u'/'));
  EXPECT_FALSE(IsOrdinaryNumberChar(u':'));
  EXPECT_FALSE(IsOrdinaryNumberChar(u'\u0663'));  // Arabic-Indic three
}

TEST(RedodiduWords, EnglishTrueIsReadUnderAnyInterfaceLanguage) {
  const String dir = GetTempDirectory();
  const String file = dir + u"redodidu_tr_" + IntToStr(::getpid()) + u".txt";
  {
    TStringList lines;
    lines.Add(u"65514=wahr");
    lines.Add(u"65515=falsch");
    lines.SaveToFile(file, TEncoding::UTF8());
  }
  ASSERT_TRUE(LoadResStringTranslations(file));
  EXPECT_EQ(BooleanToStr(true), u"wahr");
  EXPECT_TRUE(StrToBoolean(u"WAHR"));
  EXPECT_TRUE(StrToBoolean(u"true"));  // written before the language changed
  EXPECT_FALSE(StrToBoolean(u"falsch"));
  ClearResStringTranslations();
  DeleteFile(file);
}

TEST(RedodiduWords, DoubleAnyAmpersands) {
  EXPECT_EQ(DoubleAnyAmpersands(u"&"), u"&&");
  EXPECT_EQ(DoubleAnyAmpersands(u"&&"), u"&&");
  EXPECT_EQ(DoubleAnyAmpersands(u"x&y&"), u"x&&y&&");
  EXPECT_EQ(DoubleAnyAmpersands(u"&File"), u"&&File");
  // A pair in the middle of a text is already escaped and stays a pair.
  EXPECT_EQ(DoubleAnyAmpersands(u"a&&b"), u"a&&b");
  EXPECT_EQ(DoubleAnyAmpersands(u"a&&&b"), u"a&&&&b");
  EXPECT_EQ(DoubleAnyAmpersands(u""), u"");
  EXPECT_EQ(DoubleAnyAmpersands(u"plain"), u"plain");
}

TEST(RedodiduNumbers, MoneyStyleAndToday) {
  TFormatSettings fs = TFormatSettings::Invariant();
  fs.ThousandSeparator = u',';
  fs.DecimalSeparator = u'.';
  EXPECT_EQ(RealToDecStr(1234567.891, fs), u"1,234,567.89");
  EXPECT_EQ(RealToDecStr(-1234.5, fs), u"-1,234.50");
  fs.ThousandSeparator = u'.';
  fs.DecimalSeparator = u',';
  EXPECT_EQ(RealToDecStr(1234.5, fs), u"1.234,50");
  EXPECT_GT(TodayAsLongint(), 45000);  // after 2023
}

TEST(RedodiduInput, FlushingDropsKeysAndAsksTheHandler) {
  std::vector<std::pair<Cardinal, Cardinal>> asked;
  void* window = &asked;
  void* seen = nullptr;
  TInputFlushHandler previous = SetInputFlushHandler([&](void* w, Cardinal first, Cardinal last) {
    seen = w;
    asked.emplace_back(first, last);
  });
  Word key = 13;
  ClearKeyboardBuffer(window, key);
  ClearMouseBuffer(window);
  SetInputFlushHandler(previous);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(seen, window);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0], std::make_pair(Cardinal(256), Cardinal(265)));
  EXPECT_EQ(asked[1], std::make_pair(Cardinal(512), Cardinal(526)));
  // Without a handler the key is still cleared.
  key = 65;
  ClearKeyboardBuffer(nullptr, key);
  EXPECT_EQ(key, 0);
}

TEST(RedodiduUnit, StartFillsTheDateFormatOnce) {
  const std::string savedLocale = GetUserDefaultLocaleName();
  SetUserDefaultLocale("de_DE");
  Global_StringToDateTimeFormat = TFormatSettings{};
  Redodidu_initialization();
  EXPECT_EQ(Global_StringToDateTimeFormat.DecimalSeparator, u',');
  EXPECT_FALSE(Global_StringToDateTimeFormat.LongMonthNames[0].empty());
  // A second start does nothing: a later unit's settings are not overwritten.
  Global_StringToDateTimeFormat.DateSeparator = u'/';
  Redodidu_initialization();
  EXPECT_EQ(Global_StringToDateTimeFormat.DateSeparator, u'/');
  Redodidu_Finalization();
  Redodidu_Finalization();
  SetUserDefaultLocale(savedLocale);
  Global_StringToDateTimeFormat = TFormatSettings{};
}

TEST(RedodiduUnit, LanguageStringlistIsAPlainList) {
  TLanguageStringlist list(kTurkish);
  list.Add(u"b");
  list.Add(u"a");
  EXPECT_EQ(list.Count(), 2);
}

}  // namespace
}  // namespace sk
