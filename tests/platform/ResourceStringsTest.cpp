#include "platform/runtime/ResourceStrings.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace sk {
namespace {

namespace fs = std::filesystem;

constexpr TResStringRec kGreeting{61000, u"Hello", "kGreeting"};
constexpr TResStringRec kFarewell{61001, u"Goodbye", "kFarewell"};
constexpr TResStringRec kBlanks{61002, u" in ", "kBlanks"};
constexpr TResStringRec kNoText{61003, nullptr, "kNoText"};

// Gives every test a private folder and no installed translation.
class ResourceStringsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearResStringTranslations();
    std::string pattern = (fs::temp_directory_path() / "sk_resstr_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    ClearResStringTranslations();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  // Writes raw bytes and returns the file's name as a String.
  String WriteFile(const std::string& name, const std::string& bytes) {
    const fs::path path = dir_ / name;
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return Utf8ToString(path.string());
  }

  fs::path dir_;
};

// UTF-16 bytes of an ASCII text, little- or big-endian, with a byte-order mark.
std::string Utf16Bytes(const std::string& ascii, bool bigEndian) {
  std::string out = bigEndian ? std::string("\xFE\xFF") : std::string("\xFF\xFE");
  for (char c : ascii) {
    if (bigEndian) {
      out.push_back('\0');
      out.push_back(c);
    } else {
      out.push_back(c);
      out.push_back('\0');
    }
  }
  return out;
}

TEST_F(ResourceStringsTest, BuiltInTextsWithoutTranslation) {
  EXPECT_EQ(LoadResString(&kGreeting), u"Hello");
  EXPECT_EQ(LoadResString(kFarewell), u"Goodbye");
  EXPECT_EQ(LoadResString(&kBlanks), u" in ");  // blanks at both ends survive
  EXPECT_EQ(LoadResString(nullptr), u"");
  EXPECT_EQ(LoadResString(&kNoText), u"");
  EXPECT_EQ(ResStringTranslationCount(), 0);
  EXPECT_EQ(ResStringTranslation(61000), u"");
}

TEST_F(ResourceStringsTest, TranslationOverridesAndFallsBack) {
  const String file = WriteFile("t.txt",
                                "; a comment\n"
                                "61000=Bonjour\n"
                                "61002=\n");
  ASSERT_TRUE(LoadResStringTranslations(file));
  EXPECT_EQ(LoadResString(&kGreeting), u"Bonjour");
  // Not in the file: built-in text.
  EXPECT_EQ(LoadResString(&kFarewell), u"Goodbye");
  // Empty translation: built-in text, never an empty string.
  EXPECT_EQ(LoadResString(&kBlanks), u" in ");
  // A translation cannot bring back a text that has no built-in one either.
  EXPECT_EQ(LoadResString(&kNoText), u"");
  EXPECT_EQ(ResStringTranslationCount(), 1);
}

TEST_F(ResourceStringsTest, TranslationLoadedAfterAFirstUseTakesEffect) {
  EXPECT_EQ(LoadResString(&kGreeting), u"Hello");
  ASSERT_TRUE(LoadResStringTranslations(WriteFile("a.txt", "61000=Hallo\n")));
  EXPECT_EQ(LoadResString(&kGreeting), u"Hallo");
  // A second file replaces the first as a whole.
  ASSERT_TRUE(LoadResStringTranslations(WriteFile("b.txt", "61001=Ciao\n")));
  // A file whose name is not UTF-8 (Latin-1) is read by its own bytes.
  WriteFile("tr\xE9.txt", "61000=Salut\n");
  ASSERT_TRUE(LoadResStringTranslations(SystemNameToString((dir_ / "tr\xE9.txt").string())));
  EXPECT_EQ(LoadResString(&kGreeting), u"Salut");
  ASSERT_TRUE(LoadResStringTranslations(WriteFile("b.txt", "61001=Ciao\n")));
  EXPECT_EQ(LoadResString(&kGreeting), u"Hello");
  EXPECT_EQ(LoadResString(&kFarewell), u"Ciao");
  ClearResStringTranslations();
  EXPECT_EQ(LoadResString(&kFarewell), u"Goodbye");
  EXPECT_EQ(ResStringTranslationCount(), 0);
}

TEST_F(ResourceStringsTest, MalformedAndCommentLinesAreIgnored) {
  const String file = WriteFile("m.txt",
                                "# comment\n"
                                "   ; indented comment\n"
                                "\n"
                                "no equals sign here\n"
                                "abc=letters for a number\n"
                                "-5=negative\n"
                                "65536=too large\n"
                                "99999999999999999999=overflow\n"
                                "=no identifier\n"
                                "61 000=blank inside the number\n"
                                "  61001  =Ciao\n"
                                "#61000=commented out\n");
  ASSERT_TRUE(LoadResStringTranslations(file));
  EXPECT_EQ(ResStringTranslationCount(), 1);
  EXPECT_EQ(LoadResString(&kFarewell), u"Ciao");
  EXPECT_EQ(LoadResString(&kGreeting), u"Hello");
  EXPECT_EQ(ResStringTranslation(65535), u"");
  EXPECT_EQ(ResStringTranslation(0), u"");
}

TEST_F(ResourceStringsTest, TextIsTakenAsWrittenWithItsEscapes) {
  const String file = WriteFile("e.txt",
                                "61000=  two blanks before, one after \r\n"
                                "61001=a\\nb\\tc\\\\d\\re\\q=f\n"
                                "61002=last line without a line end");
  ASSERT_TRUE(LoadResStringTranslations(file));
  EXPECT_EQ(LoadResString(&kGreeting), u"  two blanks before, one after ");
  // \n and \t become controls, \\ one backslash; \r and \q stay as written,
  // and a later '=' belongs to the text.
  EXPECT_EQ(LoadResString(&kFarewell), u"a\nb\tc\\d\\re\\q=f");
  EXPECT_EQ(LoadResString(&kBlanks), u"last line without a line end");
}

TEST_F(ResourceStringsTest, LaterLineForTheSameIdentifierWins) {
  ASSERT_TRUE(LoadResStringTranslations(WriteFile("d.txt", "61000=first\n61000=second\n61001=x\n61001=\n")));
  EXPECT_EQ(LoadResString(&kGreeting), u"second");
  // The later empty line withdraws the earlier translation.
  EXPECT_EQ(LoadResString(&kFarewell), u"Goodbye");
}

TEST_F(ResourceStringsTest, LineEndsCrLfLfAndCrAreAllAccepted) {
  ASSERT_TRUE(LoadResStringTranslations(WriteFile("l.txt", "61000=one\r61001=two\r\n61002=three\n")));
  EXPECT_EQ(LoadResString(&kGreeting), u"one");
  EXPECT_EQ(LoadResString(&kFarewell), u"two");
  EXPECT_EQ(LoadResString(&kBlanks), u"three");
}

TEST_F(ResourceStringsTest, FileEncodings) {
  // UTF-8 with a byte-order mark and non-ASCII text.
  ASSERT_TRUE(LoadResStringTranslations(WriteFile("u8.txt", "\xEF\xBB\xBF" "61000=Gr\xC3\xBC\xC3\x9F" "e\n")));
  EXPECT_EQ(LoadResString(&kGreeting), u"Gr\u00FC\u00DFe");
  // UTF-16 little-endian with its byte-order mark.
  ASSERT_TRUE(LoadResStringTranslations(WriteFile("le.txt", Utf16Bytes("61001=le\r\n", false))));
  EXPECT_EQ(LoadResString(&kFarewell), u"le");
  // UTF-16 big-endian with its byte-order mark; an odd trailing byte is dropped.
  ASSERT_TRUE(LoadResStringTranslations(WriteFile("be.txt", Utf16Bytes("61001=be\n", true) + "x")));
  EXPECT_EQ(LoadResString(&kFarewell), u"be");
  // Invalid UTF-8 does not stop the load: the damaged line keeps a
  // replacement character, the others are read.
  ASSERT_TRUE(LoadResStringTranslations(WriteFile("bad.txt", "61000=a\xFF" "b\n61001=ok\n")));
  EXPECT_EQ(LoadResString(&kGreeting), u"a\uFFFDb");
  EXPECT_EQ(LoadResString(&kFarewell), u"ok");
}

TEST_F(ResourceStringsTest, FailedLoadsReturnFalseAndKeepTheInstalledTranslation) {
  ASSERT_TRUE(LoadResStringTranslations(WriteFile("good.txt", "61000=kept\n")));
  EXPECT_FALSE(LoadResStringTranslations(Utf8ToString((dir_ / "missing.txt").string())));
  EXPECT_FALSE(LoadResStringTranslations(u""));
  EXPECT_FALSE(LoadResStringTranslations(Utf8ToString(dir_.string())));  // a folder
  EXPECT_EQ(LoadResString(&kGreeting), u"kept");
}

TEST_F(ResourceStringsTest, OversizedFileIsRefusedWithoutReadingIt) {
  const fs::path path = dir_ / "huge.txt";
  {
    std::ofstream out(path, std::ios::binary);
    out << "61000=huge\n";
  }
  // A sparse file just over the limit: no disk space or time is spent on it.
  fs::resize_file(path, 16 * 1024 * 1024 + 1);
  EXPECT_FALSE(LoadResStringTranslations(Utf8ToString(path.string())));
  EXPECT_EQ(LoadResString(&kGreeting), u"Hello");
  // Exactly at the limit is still read.
  fs::resize_file(path, 16 * 1024 * 1024);
  EXPECT_TRUE(LoadResStringTranslations(Utf8ToString(path.string())));
  EXPECT_EQ(LoadResString(&kGreeting), u"huge");
}

TEST_F(ResourceStringsTest, EmptyFileInstallsAnEmptyTranslation) {
  ASSERT_TRUE(LoadResStringTranslations(WriteFile("a.txt", "61000=A\n")));
  ASSERT_TRUE(LoadResStringTranslations(WriteFile("empty.txt", "")));
  EXPECT_EQ(ResStringTranslationCount(), 0);
  EXPECT_EQ(LoadResString(&kGreeting), u"Hello");
}

}  // namespace
}  // namespace sk
