// Registries, defaults, protection chains of ciphers and hashes, the hash
// class operations and the stubs of the cipher unit.
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/runtime/FileSeam.h"
#include "tests/TestSupport.h"
#include "tests/zip/CipherTestSupport.h"

namespace sk {
namespace {

using ZACipherRegistry = CipherUnitsTest;

TEST_F(ZACipherRegistry, StartUpRegistersRijndael) {
  ASSERT_EQ(CipherList()->Count(), 1);
  EXPECT_EQ(CipherList()->Strings(0), u"Rijndael=");
  EXPECT_EQ(CipherList()->Objects(0), static_cast<const TObject*>(&TCipher_Rijndael::ClassRef()));
  EXPECT_EQ(HashList()->Count(), 0);
}

TEST_F(ZACipherRegistry, GetCipherClassInAnyCaseAndWithAClassPrefix) {
  const TCipherClass* rijndael = &TCipher_Rijndael::ClassRef();
  for (const char16_t* name : {u"Rijndael", u"rIJNDAEL", u"TCipher_Rijndael", u"tcipher_RIJNDAEL", u"X_rijndael"})
    EXPECT_EQ(GetCipherClass(name), rijndael) << StringToUtf8(name);
  EXPECT_EQ(GetCipherClass(u"Twofish"), nullptr);  // not registered
  EXPECT_EQ(GetCipherClass(u""), nullptr);
  EXPECT_EQ(GetCipherName(rijndael), u"Rijndael");
  // Unregistered classes are named by their short class name.
  EXPECT_EQ(GetCipherName(&TCipher_3TDES::ClassRef()), u"3TDES");
  EXPECT_EQ(GetCipherName(nullptr), u"");
}

TEST_F(ZACipherRegistry, NamingReplacingAndUnregistering) {
  const TCipherClass* fish = &TCipher_Twofish::ClassRef();
  EXPECT_FALSE(RegisterCipher(nullptr, u"x", u"y"));
  EXPECT_TRUE(RegisterCipher(fish, u"  Fish two ", u"128-bit block"));
  EXPECT_EQ(GetCipherName(fish), u"Fish two");
  EXPECT_EQ(GetCipherClass(u"Fish two"), fish);   // by its line
  EXPECT_EQ(GetCipherClass(u"twofish"), fish);    // by its short class name
  EXPECT_TRUE(RegisterCipher(fish, u"", u"again"));
  EXPECT_EQ(CipherList()->Count(), 2);             // replaced, not added
  EXPECT_EQ(CipherList()->Strings(1), u"Twofish=again");

  TStringList names;
  CipherNames(&names);
  ASSERT_EQ(names.Count(), 2);
  EXPECT_EQ(names.Strings(1), u"Twofish");
  EXPECT_EQ(names.Objects(1), static_cast<const TObject*>(fish));
  CipherNames(nullptr);  // no list: nothing happens

  EXPECT_TRUE(UnregisterCipher(fish));
  EXPECT_FALSE(UnregisterCipher(fish));
  EXPECT_EQ(GetCipherClass(u"Twofish"), nullptr);
  EXPECT_EQ(CipherList()->Count(), 1);
}

TEST_F(ZACipherRegistry, DefaultNameDropsTheLeadingT) {
  RegisterHash(&TChecksum::ClassRef(), u"", u"");
  RegisterHash(&THash_RipeMD256::ClassRef(), u"", u"");
  EXPECT_EQ(HashList()->Strings(0), u"Checksum=");
  EXPECT_EQ(HashList()->Strings(1), u"RipeMD256=");
  EXPECT_EQ(GetHashClass(u"Checksum"), &TChecksum::ClassRef());
  EXPECT_EQ(GetHashClass(u"THash_ripemd256"), &THash_RipeMD256::ClassRef());
  EXPECT_EQ(GetHashName(&THash_MD4::ClassRef()), u"MD4");
  EXPECT_TRUE(UnregisterHash(&TChecksum::ClassRef()));
}

TEST_F(ZACipherRegistry, ShutDownFreesTheRegistries) {
  RegisterCipher(&TCipher_Square::ClassRef(), u"", u"");
  ZACipher_Finalization();
  ZACryptUtil_Finalization();
  // A registry asked for after shut-down starts empty; the formats are gone.
  EXPECT_EQ(CipherList()->Count(), 0);
  EXPECT_EQ(StringFormat(fmtHEX), nullptr);
  ZACryptUtil_initialization();
  ZACipher_initialization();
  EXPECT_EQ(CipherList()->Count(), 1);
}

TEST(ZACipherDefaults, NullRestoresTheDefaults) {
  EXPECT_EQ(DefaultCipherClass(), &TCipher_Rijndael::ClassRef());
  EXPECT_EQ(DefaultHashClass(), &THash_RipeMD256::ClassRef());
  SetDefaultCipherClass(&TCipher_Square::ClassRef());
  SetDefaultHashClass(&THash_MD4::ClassRef());
  EXPECT_EQ(DefaultCipherClass(), &TCipher_Square::ClassRef());
  EXPECT_EQ(TCipher_Blowfish::Create()->HashClass(), &THash_MD4::ClassRef());
  SetDefaultCipherClass(nullptr);
  SetDefaultHashClass(nullptr);
  EXPECT_EQ(DefaultCipherClass(), &TCipher_Rijndael::ClassRef());
  EXPECT_EQ(DefaultHashClass(), &THash_RipeMD256::ClassRef());
}

TEST(ZACipherClasses, ClassTreeAndShortNames) {
  EXPECT_TRUE(TCipher_3TDES::ClassRef().InheritsFrom(&TCipher_1DES::ClassRef()));
  EXPECT_TRUE(TCipher_RijndaelZA::ClassRef().InheritsFrom(&TCipher::ClassRef()));
  // Both trees hang under the protection class.
  EXPECT_TRUE(TCipher::ClassRef().InheritsFrom(&TProtection::ClassRef()));
  EXPECT_TRUE(THash::ClassRef().InheritsFrom(&TProtection::ClassRef()));
  EXPECT_EQ(TCipher::ClassRef().ClassParent(), &TProtection::ClassRef());
  EXPECT_EQ(TCipher::ClassRef().Parent(), nullptr);
  EXPECT_EQ(THash::ClassRef().Parent(), nullptr);
  EXPECT_EQ(TCipher_Rijndael::ClassRef().Parent(), &TCipher::ClassRef());
  EXPECT_EQ(THash_MD4::ClassRef().Parent(), &THash::ClassRef());
  EXPECT_FALSE(TCipher_Rijndael::ClassRef().InheritsFrom(&TCipher_RijndaelZA::ClassRef()));
  EXPECT_TRUE(THash_RipeMD128::ClassRef().InheritsFrom(&THash_MD4::ClassRef()));
  EXPECT_EQ(GetShortClassName(&TCipher_RijndaelZA::ClassRef()), "RijndaelZA");
  EXPECT_EQ(GetShortClassName(&TChecksum::ClassRef()), "TChecksum");
  EXPECT_EQ(GetShortClassName(nullptr), "");

  auto za = TCipher_RijndaelZA::Create();
  EXPECT_TRUE(IsObject(za.get(), &TCipher_Rijndael::ClassRef()));
  EXPECT_TRUE(IsObject(za.get(), &TCipher::ClassRef()));
  EXPECT_FALSE(IsObject(za.get(), &TCipher_Twofish::ClassRef()));
  EXPECT_FALSE(IsObject(nullptr, &TCipher::ClassRef()));
  auto md4 = THash_MD4::ClassRef().Create();
  EXPECT_TRUE(IsObject(md4.get(), &THash::ClassRef()));
  EXPECT_FALSE(IsObject(md4.get(), &TCipher::ClassRef()));
  // Every cipher and hash object is a protection object; a plain protection
  // object is neither.
  auto plain = TProtection::Create();
  auto checksum = TChecksum::ClassRef().Create();
  for (const TProtection* p :
       {static_cast<const TProtection*>(za.get()), static_cast<const TProtection*>(md4.get()),
        static_cast<const TProtection*>(checksum.get()), static_cast<const TProtection*>(plain.get())})
    EXPECT_TRUE(IsObject(p, &TProtection::ClassRef())) << p->ClassType()->ClassName();
  EXPECT_FALSE(IsObject(plain.get(), &TCipher::ClassRef()));
  EXPECT_FALSE(IsObject(plain.get(), &THash::ClassRef()));
  // The base cipher class makes no objects (it has no block).
  EXPECT_FALSE(TCipher::ClassRef().Create());
}

// ---------------------------------------------------------------------------
// Protection chains of ciphers and hashes

TEST(ZACipherChain, CipherLinksCodeInTurn) {
  const TBytes k1 = Pattern(16, 1), k2 = Pattern(32, 2);
  auto inner = Keyed(TCipher_Twofish::ClassRef(), k2, cmCBC);
  auto outer = TCipher_Rijndael::Create({}, inner.get());
  outer->Init(k1.data(), 16, nullptr);
  outer->SetMode(cmCBC);
  const TBytes plain = Pattern(64, 3);

  TBytes data = plain;
  outer->CodeBuffer(data.data(), 64, paEncode);
  // Encoding: the link first, then the cipher itself.
  auto t = Keyed(TCipher_Twofish::ClassRef(), k2, cmCBC);
  auto r = Keyed(TCipher_Rijndael::ClassRef(), k1, cmCBC);
  EXPECT_EQ(HexOf(data), HexOf(Encoded(*r, Encoded(*t, plain))));

  outer->CodeBuffer(data.data(), 64, paDecode);
  EXPECT_EQ(HexOf(data), HexOf(plain));
}

TEST(ZACipherChain, ActionsOutsideTheSetPassThrough) {
  auto c = Keyed(TCipher_Rijndael::ClassRef(), Pattern(16), cmCBC);
  c->SetActions(PActionBit(paDecode));
  TBytes data = Pattern(32);
  c->CodeBuffer(data.data(), 32, paEncode);
  EXPECT_EQ(data, Pattern(32));
}

struct CountingProtection : TProtection {
  explicit CountingProtection(int* freed, TProtection* link = nullptr) : TProtection(link), fFreed(freed) {}
  ~CountingProtection() override { ++*fFreed; }
  int* fFreed;
};

TEST(ZACipherChain, ALinkKeepsItsObjectAlive) {
  int freed = 0;
  auto holder = MakeProtection<TProtection>();
  {
    auto link = MakeProtection<CountingProtection>(&freed);
    holder->SetProtection(link.get());
    EXPECT_EQ(link->RefCount(), 2);
  }
  EXPECT_EQ(freed, 0);
  ASSERT_NE(holder->GetProtection(), nullptr);
  holder->SetProtection(nullptr);
  EXPECT_EQ(freed, 1);
}

TEST(ZACipherChain, CircularLinksAreRefused) {
  auto first = TProtection::Create();
  auto second = TProtection::Create();
  auto third = TProtection::Create();
  first->SetProtection(second.get());
  second->SetProtection(third.get());
  try {
    third->SetProtection(first.get());
    ADD_FAILURE() << "no exception";
  } catch (const EProtection& e) {
    EXPECT_EQ(e.Message(), u"Circular Protection detected, Protection Object is invalid.");
  }
  EXPECT_EQ(third->GetProtection(), nullptr);
  EXPECT_THROW(first->SetProtection(first.get()), EProtection);
  // Setting the same link again is no change.
  first->SetProtection(second.get());
  EXPECT_EQ(second->RefCount(), 2);
}

TEST(ZACipherChain, CopyOnlyBaseLeavesDataAsItIs) {
  auto p = TProtection::Create();
  TBytes data = Pattern(10);
  EXPECT_EQ(p->CodeBuffer(data.data(), 10, paEncode), 10);
  EXPECT_EQ(data, Pattern(10));
}

using ZACipherHashChain = CipherUnitsTest;

TEST_F(ZACipherHashChain, Actions) {
  const TBytes plain = Pattern(70, 5);
  // paCalc hashes what passes.
  auto h = THash_MD4::ClassRef().Create();
  TBytes data = plain;
  h->CodeBuffer(data.data(), 70, paCalc);
  EXPECT_EQ(data, plain);
  EXPECT_EQ(h->DigestStr(fmtHEX), THash_MD4::ClassRef().CalcBuffer(plain.data(), 70, nullptr, fmtHEX));

  // paEncode and paDecode XOR with a stream of digests: they undo each other.
  auto e = THash_RipeMD128::ClassRef().Create();
  e->CodeBuffer(data.data(), 70, paEncode);
  EXPECT_NE(data, plain);
  auto d = THash_RipeMD128::ClassRef().Create();
  d->CodeBuffer(data.data(), 70, paDecode);
  EXPECT_EQ(data, plain);

  // paScramble turns each 16-byte piece into its digest.
  data = plain;
  auto s = THash_MD4::ClassRef().Create();
  s->CodeBuffer(data.data(), 70, paScramble);
  EXPECT_NE(TBytes(data.begin(), data.begin() + 16), TBytes(plain.begin(), plain.begin() + 16));
  EXPECT_NE(TBytes(data.begin() + 64, data.end()), TBytes(plain.begin() + 64, plain.end()));
}

// ---------------------------------------------------------------------------
// Hash class operations

using ZACipherHashCalc = CipherUnitsTest;

TEST_F(ZACipherHashCalc, BufferStringStreamAndFileAgree) {
  const std::string text(9000, 'q');
  const AnsiString expected = THash_RipeMD256::ClassRef().CalcString(text, nullptr, fmtHEX);
  EXPECT_EQ(expected.size(), 64u);
  EXPECT_EQ(THash_RipeMD256::ClassRef().CalcBuffer(text.data(), 9000, nullptr, fmtHEX), expected);

  TMemoryStream m;
  m.WriteBuffer(text.data(), 9000);
  std::vector<std::pair<Int64, Int64>> progress;
  Progress = [&](TObject*, Int64 current, Int64 maximal) { progress.emplace_back(current, maximal); };
  EXPECT_EQ(THash_RipeMD256::ClassRef().CalcStream(&m, -1, nullptr, fmtHEX), expected);
  Progress = nullptr;
  ASSERT_EQ(progress.size(), 5u);  // before, three blocks, end
  EXPECT_EQ(progress[0], std::make_pair(Int64(0), Int64(9000)));
  EXPECT_EQ(progress[3], std::make_pair(Int64(9000), Int64(9000)));
  EXPECT_EQ(progress[4], std::make_pair(Int64(0), Int64(0)));

  // A size beyond the stream stops where the stream ends.
  m.SetPosition(0);
  EXPECT_EQ(THash_RipeMD256::ClassRef().CalcStream(&m, 1 << 20, nullptr, fmtHEX), expected);
  // The default format is Base64.
  EXPECT_EQ(THash_MD4::ClassRef().CalcString("abc"), "pEgBeq8h2FJfwQroeqZynQ==");

  ScratchFolder dir("zacipher_hash");
  WriteFileBytes(dir.Path("f.bin"), text);
  EXPECT_EQ(THash_RipeMD256::ClassRef().CalcFile(dir.File("f.bin"), nullptr, fmtHEX), expected);
  EXPECT_THROW(THash_RipeMD256::ClassRef().CalcFile(dir.File("missing"), nullptr, fmtHEX), EFOpenError);
}

TEST_F(ZACipherHashCalc, CipherStringsStreamsAndFiles) {
  auto c = TCipher_Blowfish::Create("pass");
  c->SetMode(cmCBC);
  const AnsiString secret = "attack at dawn, attack at dusk";
  const AnsiString hex = c->CodeString(secret, paEncode, fmtHEX);
  EXPECT_EQ(hex.size(), secret.size() * 2);
  EXPECT_EQ(c->CodeString(hex, paDecode, fmtHEX), secret);
  EXPECT_EQ(c->CodeString("", paEncode, fmtHEX), "");
  EXPECT_THROW(c->CodeString("zz", paDecode, fmtHEX), EStringFormat);

  ScratchFolder dir("zacipher_file");
  const std::string body(10000, 'x');
  WriteFileBytes(dir.Path("plain"), body);
  c->CodeFile(dir.File("plain"), dir.File("coded"), paEncode);
  const std::string coded = ReadFileBytes(dir.Path("coded"));
  ASSERT_EQ(coded.size(), body.size());
  EXPECT_NE(coded, body);
  EXPECT_EQ(ReadFileBytes(dir.Path("plain")), body);
  // In place, by a second name of the same file.
  ASSERT_EQ(::link(dir.Path("coded").c_str(), dir.Path("alias").c_str()), 0);
  c->CodeFile(dir.File("coded"), dir.File("alias"), paDecode);
  EXPECT_EQ(ReadFileBytes(dir.Path("coded")), body);
  // A blank destination codes in place too.
  c->CodeFile(dir.File("coded"), u" ", paEncode);
  EXPECT_EQ(ReadFileBytes(dir.Path("coded")), coded);
}

// A read that the system fails part-way is an error for the hash and the
// cipher of a file, never an early end: a digest of part of the file, or a
// file coded only in part, would pass for the whole; the destination stays.
TEST_F(ZACipherHashCalc, AFailedReadFailsTheHashAndTheCodedFile) {
  ScratchFolder dir("zacipher_readfail");
  const std::string body(40000, 'r');
  WriteFileBytes(dir.Path("plain"), body);
  WriteFileBytes(dir.Path("coded"), "old");
  auto c = TCipher_Blowfish::Create("pass");
  // Fails the failAt-th read of the file layer with EIO.
  auto failRead = [](Int64 failAt) {
    auto reads = std::make_shared<Int64>(0);
    return SetFileSeamHook([reads, failAt](TFileSeamOp op, const std::string&) -> Int32 {
      return op == fsoRead && ++*reads == failAt ? EIO : 0;
    });
  };
  for (Int64 failAt = 1; failAt <= 3; ++failAt) {
    failRead(failAt);
    EXPECT_THROW(THash_RipeMD256::ClassRef().CalcFile(dir.File("plain"), nullptr, fmtHEX), Exception) << failAt;
    failRead(failAt);
    EXPECT_THROW(c->CodeFile(dir.File("plain"), dir.File("coded"), paEncode), Exception) << failAt;
    SetFileSeamHook(nullptr);
    EXPECT_EQ(ReadFileBytes(dir.Path("coded")), "old") << failAt;
  }
}

// A stream that claims more than it gives.
class ShortStream : public TMemoryStream {
 public:
  Int64 Size() override { return 1 << 20; }
};

TEST(ZACipherStreams, CodingStopsWhenTheSourceRunsDry) {
  auto c = Keyed(TCipher_Rijndael::ClassRef(), Pattern(16), cmCTR);
  ShortStream s;
  s.WriteBuffer(Pattern(100).data(), 100);
  TMemoryStream out;
  c->CodeStream(&s, &out, -1, paEncode);  // must end
  EXPECT_EQ(out.Size(), 100);
  s.SetPosition(0);
  c->CodeStream(&s, nullptr, 5000, paCalc);
}

// ---------------------------------------------------------------------------
// Stubs

std::string Raised(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return StringToUtf8(e.Message());
  }
  return "(nothing)";
}

TEST(ZACipherStubs, SelfTestsAndTestVectorsRaiseTheirTexts) {
  struct Row {
    const TCipherClass* cls;
    const char* text;
  };
  const Row rows[] = {{&TCipher_Rijndael::ClassRef(), "Not implemented 20"},
                      {&TCipher_RijndaelZA::ClassRef(), "Not implemented 20"},
                      {&TCipher_Blowfish::ClassRef(), "Not implemented 21"},
                      {&TCipher_1DES::ClassRef(), "Not implemented 22"},
                      {&TCipher_3DES::ClassRef(), "Not implemented 24"},
                      {&TCipher_3TDES::ClassRef(), "Not implemented 25"},
                      {&TCipher_Twofish::ClassRef(), "Not implemented 26"},
                      {&TCipher_Square::ClassRef(), "Not implemented 27"}};
  for (const auto& r : rows) {
    auto c = r.cls->Create();
    EXPECT_EQ(Raised([&] { c->SelfTest(); }), r.text);
    EXPECT_EQ(Raised([&] { c->TestVector(); }), r.text);
  }
  EXPECT_EQ(Raised([] { THash_MD4::ClassRef().Create()->SelfTest(); }), "Not implemented 28");
  EXPECT_EQ(Raised([] { THash_RipeMD128::ClassRef().Create()->TestVector(); }), "Not implemented 30");
  EXPECT_EQ(Raised([] { THash_RipeMD256::ClassRef().Create()->TestVector(); }), "Not implemented 31");
  EXPECT_EQ(Raised([] { TChecksum::ClassRef().Create()->SelfTest(); }), "Not implemented 14");
  EXPECT_EQ(Raised([] { TChecksum::ClassRef().Create()->DigestKey(); }), "Not implemented 14");
}

TEST(ZACipherStubs, WipingAndIdentityStopInTheirStubs) {
  auto c = Keyed(TCipher_Rijndael::ClassRef(), Pattern(16), cmCBC);
  Byte data[16] = {};
  EXPECT_EQ(Raised([&] { c->CodeBuffer(data, 16, paWipe); }), "Not implemented 12");
  EXPECT_EQ(Raised([&] { THash_MD4::ClassRef().Create()->CodeInit(paWipe); }), "Not implemented 12");
  EXPECT_EQ(Raised([&] { c->Identity(); }), "Not implemented 13");
}

}  // namespace
}  // namespace sk
