// The ANSI ordering and case tables built from the user's locale, and the Q_
// routines.
#include <gtest/gtest.h>

#include <functional>

#include "TestSupport.h"
#include "platform/runtime/Locale.h"
#include "zip/ZAStrUtils.h"

namespace sk {
namespace {

// Builds the tables under a locale and code page for one scope, and builds
// them again for the process's own afterwards.
class ScopedTables {
 public:
  ScopedTables(const char* locale, Cardinal acp) : fLocale(GetUserDefaultLocaleName()), fAcp(acp) {
    SetUserDefaultLocale(locale);
    BuildZAStringTables();
  }
  ~ScopedTables() {
    SetUserDefaultLocale(fLocale);
    BuildZAStringTables();
  }

 private:
  std::string fLocale;
  ScopedACP fAcp;
};

TEST(ZAStrUtils, WesternTables) {
  ScopedTables tables("en_US", 1252);
  // Control characters collate alike, so the ordering is no permutation and
  // the tables hold the code-page conversions and the case maps.
  EXPECT_FALSE(ZAAnsiTablesArePermutation());
  EXPECT_EQ(ToUpperChars['a'], 'A');
  EXPECT_EQ(ToUpperChars['A'], 'A');
  EXPECT_EQ(ToLowerChars['Z'], 'z');
  EXPECT_EQ(ToUpperChars[0xE9], 0xC9);  // é -> É
  EXPECT_EQ(ToLowerChars[0xC9], 0xE9);
  EXPECT_EQ(ToUpperChars['1'], '1');
  EXPECT_EQ(ToOemChars[0xE9], 0x82);  // é in code page 437
  EXPECT_EQ(ToAnsiChars[0x82], 0xE9);
  EXPECT_EQ(ToOemChars['A'], 'A');
  for (Word v : ToUpperChars) EXPECT_LT(v, 256);
}

TEST(ZAStrUtils, TurkishTables) {
  EXPECT_EQ(TurkishToUpperChars[0x69], 0xDD);
  EXPECT_EQ(TurkishToLowerChars[0x49], 0xFD);
  EXPECT_EQ(TurkishToUpperChars[0xFD], 0x49);
  EXPECT_EQ(TurkishToLowerChars[0xDD], 0x69);
  EXPECT_EQ(TurkishToAnsiChars[0x99], 8482);  // the trade mark sign: the largest value
  ScopedTables tables("tr_TR", 1254);
  EXPECT_FALSE(ZAAnsiTablesArePermutation());
  EXPECT_EQ(ToUpperChars['i'], 0xDD);
  EXPECT_EQ(ToLowerChars['I'], 0xFD);
}

TEST(ZAStrUtils, StubsRaise) {
  struct Case {
    std::function<void()> call;
    const char16_t* text;
  };
  char buf[4] = "abc";
  const Case cases[] = {
      {[] { Q_PCompStr("a", "b"); }, u"Not implemented 40"},
      {[] { Q_CompStrL("a", "b", 1); }, u"Not implemented 41"},
      {[] { Q_PCompText("a", "b"); }, u"Not implemented 42"},
      {[] { Q_CompTextL("a", "b", 1); }, u"Not implemented 43"},
      {[&buf] { Q_PStrToAnsi(buf); }, u"Not implemented 45"},
      {[&buf] { Q_PStrToOem(buf); }, u"Not implemented 46"},
  };
  for (const Case& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.text);
    }
  }
}

TEST(ZAStrUtils, AnsiComparisons) {
  ScopedTables tables("en_US", 1252);
  EXPECT_EQ(Q_AnsiPCompStr("abc", "abc"), 0);
  EXPECT_EQ(Q_AnsiPCompStr("abc", "abd"), -1);
  EXPECT_EQ(Q_AnsiPCompStr("b", "a"), 1);
  EXPECT_NE(Q_AnsiPCompStr("abc", "ABC"), 0);
  EXPECT_EQ(Q_AnsiPCompText("abc", "ABC"), 0);
  EXPECT_EQ(Q_AnsiCompStrL("abcX", "abcY", 3), 0);
  EXPECT_EQ(Q_AnsiCompStrL("abcX", "abcY", 4), -1);
  EXPECT_EQ(Q_AnsiCompTextL("ABCx", "abcY", 3), 0);
  EXPECT_EQ(Q_AnsiCompTextL("ABCx", "abcY", 10), -1);
  // The locale's order, not the bytes': é sorts between e and f.
  EXPECT_EQ(Q_AnsiPCompStr("\xE9", "f"), -1);
  EXPECT_EQ(Q_AnsiPCompStr("\xE9", "e"), 1);
}

}  // namespace
}  // namespace sk
