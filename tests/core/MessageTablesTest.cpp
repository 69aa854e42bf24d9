#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Generalruntime1const.h"
#include "core/Generalruntime2const.h"
#include "core/My_filestuffconst.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/FormatSettings.h"

namespace sk {
namespace {

struct TTable {
  const char* unit;
  const TResStringRec* const* entries;
  Int32 count;
  Int32 low;
  Int32 high;
};

const std::vector<TTable>& Tables() {
  static const std::vector<TTable> tables = {
      {"Generalruntime1const", Generalruntime1const_Entries, Generalruntime1const_EntryCount, 65104, 65535},
      {"Generalruntime2const", Generalruntime2const_Entries, Generalruntime2const_EntryCount, 63712, 65055},
      {"My_filestuffconst", My_filestuffconst_Entries, My_filestuffconst_EntryCount, 63696, 63727},
  };
  return tables;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Labels that are shown as they are and never used as a format pattern: a
// lone per-cent sign in them is the sign itself.
bool IsPlainLabel(const TResStringRec* rec) {
  return rec == &_QMFilePercent || rec == &_QMColumnPercent || rec == &_QMRowPercent ||
         rec == &_QMPercentSymbol;
}

// The argument kinds a format pattern asks for, in order: 's' text, 'd'
// integer, 'f' floating point; false when a '%' does not start a conversion.
bool PlaceholderKinds(const String& text, std::string& kinds) {
  kinds.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'%') continue;
    ++i;
    if (i < text.size() && text[i] == u'%') continue;
    while (i < text.size() && (text[i] == u'-' || text[i] == u'.' || (text[i] >= u'0' && text[i] <= u'9'))) ++i;
    if (i >= text.size()) return false;
    switch (text[i]) {
      case u's': kinds.push_back('s'); break;
      case u'd': case u'u': case u'x': kinds.push_back('d'); break;
      case u'n': case u'f': case u'e': case u'g': case u'm': kinds.push_back('f'); break;
      default: return false;
    }
  }
  return true;
}

const TTable& TableOf(const std::string& unit) {
  for (const TTable& t : Tables())
    if (unit == t.unit) return t;
  throw std::logic_error("no message table " + unit);
}

void CheckEntries(const TTable& t) {
  std::set<std::string> names;
  for (Int32 i = 0; i < t.count; ++i) {
    const TResStringRec* rec = t.entries[i];
    ASSERT_NE(rec, nullptr) << t.unit << " entry " << i;
    ASSERT_NE(rec->Name, nullptr) << t.unit << " entry " << i;
    const std::string name = rec->Name;
    EXPECT_TRUE(name.rfind("_QM", 0) == 0 || name == "_WESEpisodes") << name;
    ASSERT_NE(rec->Text, nullptr) << name;
    EXPECT_FALSE(LoadResString(rec).empty()) << t.unit << "." << name;
    EXPECT_GE(rec->Identifier, t.low) << t.unit << "." << name;
    EXPECT_LE(rec->Identifier, t.high) << t.unit << "." << name;
    // A table never holds two entries whose names differ only in case.
    EXPECT_TRUE(names.insert(Lower(name)).second) << t.unit << "." << name;
  }
}

// No identifier of the table is used twice, in it or by any other table.
void CheckIdentifiersAreItsOwn(const TTable& t) {
  std::map<Int32, std::string> owner;
  for (const TTable& other : Tables())
    if (&other != &t)
      for (Int32 i = 0; i < other.count; ++i)
        owner.emplace(other.entries[i]->Identifier, std::string(other.unit) + "." + other.entries[i]->Name);
  for (Int32 i = 0; i < t.count; ++i) {
    const TResStringRec* rec = t.entries[i];
    const auto [it, fresh] = owner.emplace(rec->Identifier, std::string(t.unit) + "." + rec->Name);
    EXPECT_TRUE(fresh) << rec->Identifier << " used by " << it->second << " and " << t.unit << "." << rec->Name;
  }
}

// Line breaks are made by the code that uses a text, never stored; the only
// backslashes are the two characters backslash and r of a few texts.
void CheckBackslashesAndLineBreaks(const TTable& t) {
  const std::set<const TResStringRec*> withBackslashR = {&_QMSorryUnderMaintenance, &_QMInsertBracket,
                                                         &_QMKeyWordsFoundLessThanNPercentMatches,
                                                         &_QMFileInUnicodeShowInUnicode};
  for (Int32 i = 0; i < t.count; ++i) {
    const TResStringRec* rec = t.entries[i];
    const String text = LoadResString(rec);
    EXPECT_EQ(text.find_first_of(u"\r\n"), String::npos) << rec->Name;
    const bool hasBackslash = text.find(u'\\') != String::npos;
    const bool expected =
        withBackslashR.count(rec) != 0 || rec == &_QMrow_separator_string_on || rec == &_QMrow_separator_string_off;
    EXPECT_EQ(hasBackslash, expected) << rec->Name;
    if (withBackslashR.count(rec)) {
      EXPECT_NE(text.find(u"\\r"), String::npos) << rec->Name;
    }
  }
}

void CheckPatterns(const TTable& t) {
  const TFormatSettings fs = TFormatSettings::Invariant();
  const String word = u"word";
  for (Int32 i = 0; i < t.count; ++i) {
    const TResStringRec* rec = t.entries[i];
    if (IsPlainLabel(rec)) continue;
    const String text = LoadResString(rec);
    std::string kinds;
    ASSERT_TRUE(PlaceholderKinds(text, kinds)) << rec->Name << ": a '%' that starts no conversion";
    std::vector<TVarRec> args;
    for (char k : kinds) {
      if (k == 's')
        args.emplace_back(word);
      else if (k == 'd')
        args.emplace_back(3);
      else
        args.emplace_back(2.5);
    }
    String out;
    EXPECT_NO_THROW(out = FormatArgs(text, args.data(), args.size(), fs)) << rec->Name;
    if (kinds.empty() && text.find(u'%') == String::npos) {
      EXPECT_EQ(out, text) << rec->Name;
    }
    // One argument too few must be noticed, so the kinds above are the
    // pattern's whole demand.
    if (!args.empty()) {
      EXPECT_THROW(FormatArgs(text, args.data(), args.size() - 1, fs), EConvertError) << rec->Name;
    }
  }
}

// The checks every message table passes, as tests named after its unit.
#define SK_MESSAGE_TABLE_TESTS(Unit, entryCount)                                                             \
  TEST(Unit##Entries, EveryEntryHasANameATextAndAnIdentifierInItsRange) { CheckEntries(TableOf(#Unit)); }    \
  TEST(Unit##Entries, IdentifiersAreUsedByNoOtherEntry) {                                                    \
    EXPECT_EQ(TableOf(#Unit).count, entryCount);                                                             \
    CheckIdentifiersAreItsOwn(TableOf(#Unit));                                                               \
  }                                                                                                          \
  TEST(Unit##Texts, BackslashSequencesAreStoredAsWritten) { CheckBackslashesAndLineBreaks(TableOf(#Unit)); } \
  TEST(Unit##Texts, EveryPatternFormatsWithTheArgumentsItAsksFor) { CheckPatterns(TableOf(#Unit)); }

SK_MESSAGE_TABLE_TESTS(Generalruntime1const, 426)
SK_MESSAGE_TABLE_TESTS(Generalruntime2const, 1285)
SK_MESSAGE_TABLE_TESTS(My_filestuffconst, 20)

#undef SK_MESSAGE_TABLE_TESTS

// Translations are keyed by identifier, so these must never move.
TEST(Generalruntime1constEntries, FixedIdentifiersStayWhereTheyAre) {
  EXPECT_EQ(_QMFileReadError.Identifier, 65320);
  EXPECT_EQ(_QMXList.Identifier, 65424);
  EXPECT_EQ(_QMCloseQuillmark.Identifier, 65479);
  EXPECT_EQ(_QMTemp.Identifier, 65526);
  EXPECT_EQ(_QMFileAlreadyExists.Identifier, 65492);
  EXPECT_EQ(_QMConfirmation.Identifier, 65248);
  EXPECT_EQ(_QMDeleteXQ.Identifier, 65251);
  EXPECT_EQ(_QMSureQ.Identifier, 65252);
  EXPECT_EQ(_QMDeleteThe1XFileInY.Identifier, 65253);
  EXPECT_EQ(_QMDeleteAllXFilesInY.Identifier, 65254);
  // The top of the range is taken.
  EXPECT_EQ(Generalruntime1const_Entries[15]->Identifier, 65535);
}

TEST(Generalruntime2constEntries, FixedIdentifiersStayWhereTheyAre) {
  EXPECT_EQ(_QMRowNumber.Identifier, 63848);
  EXPECT_EQ(_QMNLinesOfOutput.Identifier, 63810);
  EXPECT_EQ(_QMFirstXPercentMatch.Identifier, 64177);
  EXPECT_EQ(_QMAndWhereTied.Identifier, 64282);
  EXPECT_EQ(_QMFolders.Identifier, 64167);
  EXPECT_EQ(_QMFiles.Identifier, 64191);
  EXPECT_EQ(Generalruntime2const_Entries[15]->Identifier, 65055);
}

TEST(My_filestuffconstEntries, FixedIdentifiersStayWhereTheyAre) {
  EXPECT_EQ(My_filestuffconst::_QMFiles.Identifier, 63719);
  EXPECT_EQ(_QMZipOperationFail.Identifier, 63727);
}

TEST(My_filestuffconstEntries, OwnsItsTwoBlocksOfIdentifiers) {
  std::set<Int32> ids;
  for (Int32 i = 0; i < My_filestuffconst_EntryCount; ++i) ids.insert(My_filestuffconst_Entries[i]->Identifier);
  std::set<Int32> expected;
  for (Int32 id = 63696; id <= 63706; ++id) expected.insert(id);
  for (Int32 id = 63719; id <= 63727; ++id) expected.insert(id);
  EXPECT_EQ(ids, expected);
}

// A name that an earlier table also uses is a second entry of its own.
TEST(Generalruntime2constEntries, SameNameAsInTheFirstTableIsAnotherEntry) {
  EXPECT_NE(&_QMNo, &Generalruntime2const::_QMNo);
  EXPECT_NE(_QMNo.Identifier, Generalruntime2const::_QMNo.Identifier);
  EXPECT_EQ(LoadResString(&_QMNo), LoadResString(&Generalruntime2const::_QMNo));
}

TEST(My_filestuffconstEntries, SameNamesAsInTheGeneralTablesAreOtherEntries) {
  EXPECT_EQ(LoadResString(&_QMConfirmation), u"Confirmation");
  EXPECT_EQ(My_filestuffconst::_QMConfirmation.Identifier, 63697);
  EXPECT_EQ(LoadResString(&My_filestuffconst::_QMFiles), u"Files");
  EXPECT_EQ(LoadResString(&_QMFiles), u"files");
}

TEST(Generalruntime1constTexts, FileReadErrorFormatsWithCountAndRoutine) {
  const String msg = Format(LoadResString(&_QMFileReadError), {7, u"ReadAString"});
  EXPECT_EQ(msg, u"file read error (7) : ReadAString");
  EXPECT_EQ(Format(LoadResString(&_QMFileReadError), {-1, u"ReadUnknownLengthPointer"}),
            u"file read error (-1) : ReadUnknownLengthPointer");
}

TEST(Generalruntime1constTexts, TextsWithPlaceholdersFormat) {
  EXPECT_EQ(Format(LoadResString(&_QMXList), {u"Word"}), u"Word list");
  EXPECT_EQ(Format(LoadResString(&_QMOnlyMbSpaceOnDriveDProceed), {12, u"/mnt"}),
            u"Only 12Mb space left on /mnt -- Proceed?");
  EXPECT_EQ(Format(LoadResString(&_QMDeleteAllXFilesInY), {3, u"*.txt", u"/tmp"}),
            u"Delete all 3 *.txt files in /tmp?");
}

TEST(Generalruntime2constTexts, TextsWithNumberPlaceholdersFormat) {
  const TFormatSettings fs = TFormatSettings::Invariant();
  const TVarRec row[] = {1234567.0};
  EXPECT_EQ(FormatArgs(LoadResString(&_QMRowNumber), row, 1, fs), u"Row 1,234,567");
  const TVarRec lines[] = {12.0};
  EXPECT_EQ(FormatArgs(LoadResString(&_QMNLinesOfOutput), lines, 1, fs), u"12 lines of output");
  const TVarRec pc[] = {50.0};
  EXPECT_EQ(FormatArgs(LoadResString(&_QMFirstXPercentMatch), pc, 1, fs), u"first 50.00 % match");
}

TEST(My_filestuffconstTexts, BlanksAtTheEndsArePartOfTheText) {
  EXPECT_EQ(LoadResString(&_QMMatches), u" matches ");
  EXPECT_EQ(LoadResString(&_QMOverwrite), u"Overwrite ");
  EXPECT_EQ(LoadResString(&_QMIn), u" in ");
  EXPECT_EQ(LoadResString(&_QMDoesnTMatch), u" doesn't match ");
  EXPECT_EQ(LoadResString(&_QMInsertDisk) + u"2" + LoadResString(&_QMIn) + u"A:", u"Insert disk 2 in A:");
}

TEST(Generalruntime1constTexts, FixedWordingIsKeptExactly) {
  EXPECT_EQ(LoadResString(&_QMCloseQuillmark), u"Close Quillmark down?");
  EXPECT_EQ(LoadResString(&_QMTemp), u"TEMP");
  EXPECT_EQ(LoadResString(&_QMEtc), u"etc.");
  EXPECT_EQ(LoadResString(&_QMTrue), u"true");
  EXPECT_EQ(LoadResString(&_QMFalse), u"false");
  EXPECT_EQ(LoadResString(&_QMSegmentN), u"%d/%d");
  EXPECT_EQ(LoadResString(&_QMSd), u"Sd.");
  EXPECT_EQ(LoadResString(&_QMUnknown), u"unknown");
}

TEST(Generalruntime2constTexts, FixedWordingIsKeptExactly) {
  EXPECT_EQ(LoadResString(&_QMAndWhereTied), u"&& where tied, %s");
  EXPECT_EQ(LoadResString(&_WESEpisodes), u"episodes");
  EXPECT_EQ(LoadResString(&_QMNeverShowThisAgain), u"Never show this again");
  EXPECT_EQ(LoadResString(&_QMAboutNHoursMinsToGo), u"~ %dh %dm to go");
  EXPECT_EQ(LoadResString(&_QMFilenameView2Folders), u"last 2 folders");
  EXPECT_EQ(LoadResString(&_QMrow_separator_string_on), u"\\r\\n  <ENTRY>");
  EXPECT_EQ(LoadResString(&_QMrow_separator_string_off), u"\\r\\n  </ENTRY>");
}

TEST(My_filestuffconstTexts, FixedWordingIsKeptExactly) { EXPECT_EQ(LoadResString(&_QMWebFilesHtmH), u"*.htm;*.html"); }

// Translations are keyed by identifier: one line changes exactly the entry
// with that identifier, whatever table it is in.
TEST(ResourceStringsTranslations, ReplaceOneEntryByItsIdentifierWhateverItsTable) {
  namespace fs = std::filesystem;
  std::string pattern = (fs::temp_directory_path() / "sk_msgtab_XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const fs::path file = fs::path(pattern) / "fr.txt";
  {
    std::ofstream out(file, std::ios::binary);
    out << "65320=erreur de lecture (%d) : %s\n"
           "63719=Fichiers\n";
  }
  const String before = LoadResString(&_QMFileReadError);
  ASSERT_TRUE(LoadResStringTranslations(Utf8ToString(file.string())));
  EXPECT_EQ(Format(LoadResString(&_QMFileReadError), {7, u"ReadAString"}), u"erreur de lecture (7) : ReadAString");
  EXPECT_EQ(LoadResString(&My_filestuffconst::_QMFiles), u"Fichiers");
  EXPECT_EQ(LoadResString(&_QMFiles), u"files");  // same name, other identifier
  ClearResStringTranslations();
  EXPECT_EQ(LoadResString(&_QMFileReadError), before);
  fs::remove_all(pattern);
}

}  // namespace
}  // namespace sk
