// Class references of the cipher and hash classes, their creators, the
// defaults and the two registries.
#include "zip/ZACipher_registry.h"

#include "core/UnitCounter.h"
#include "platform/runtime/Strings.h"
#include "zip/ZACipher_ciphers.h"
#include "zip/ZACipher_hash.h"

namespace sk {

namespace {

constinit TUnitCounter ZACipher_counter;

template <class T>
TProtectionPtr<TCipher> CreateWithPassword(const TCipherClass&, const AnsiString& password, TProtection* protection) {
  return T::Create(password, protection);
}

template <class T>
TProtectionPtr<TCipher> CreateWithKey(const TCipherClass&, TBytes& key, Word keyLength) {
  return T::Create(key, keyLength);
}

template <class T>
TProtectionPtr<THash> CreateHash(const THashClass& cls, TProtection* protection) {
  return TProtectionPtr<THash>(new T(&cls, protection));
}

constinit const THashClass kHashClass{"THash", &kProtectionClass, 0, &CreateHash<THash>};
constinit const THashClass kChecksumClass{"TChecksum", &kHashClass, 0, &CreateHash<TChecksum>};
constinit const THashClass kMD4Class{"THash_MD4", &kHashClass, 16, &CreateHash<THash_MD4>};
constinit const THashClass kRipeMD128Class{"THash_RipeMD128", &kMD4Class, 16, &CreateHash<THash_RipeMD128>};
constinit const THashClass kRipeMD256Class{"THash_RipeMD256", &kMD4Class, 32, &CreateHash<THash_RipeMD256>};

#define SK_CIPHER_CLASS(T) &CreateWithPassword<T>, &CreateWithKey<T>

// The base class has no block size and makes no objects.
constinit const TCipherClass kCipherClass{"TCipher", &kProtectionClass, 0, 0, 0, nullptr, nullptr};
constinit const TCipherClass kRijndaelClass{"TCipher_Rijndael", &kCipherClass, 16, 32, 480,
                                            SK_CIPHER_CLASS(TCipher_Rijndael)};
constinit const TCipherClass kRijndaelZAClass{"TCipher_RijndaelZA", &kRijndaelClass, 16, 32, 480,
                                              SK_CIPHER_CLASS(TCipher_RijndaelZA)};
constinit const TCipherClass kBlowfishClass{"TCipher_Blowfish", &kCipherClass, 8, 56, 4168,
                                            SK_CIPHER_CLASS(TCipher_Blowfish)};
constinit const TCipherClass k1DESClass{"TCipher_1DES", &kCipherClass, 8, 8, 256, SK_CIPHER_CLASS(TCipher_1DES)};
constinit const TCipherClass k3DESClass{"TCipher_3DES", &k1DESClass, 8, 24, 768, SK_CIPHER_CLASS(TCipher_3DES)};
constinit const TCipherClass k3TDESClass{"TCipher_3TDES", &k3DESClass, 24, 24, 768, SK_CIPHER_CLASS(TCipher_3TDES)};
constinit const TCipherClass kTwofishClass{"TCipher_Twofish", &kCipherClass, 16, 32, 4256,
                                           SK_CIPHER_CLASS(TCipher_Twofish)};
constinit const TCipherClass kSquareClass{"TCipher_Square", &kCipherClass, 16, 16, 288,
                                          SK_CIPHER_CLASS(TCipher_Square)};

#undef SK_CIPHER_CLASS

constinit const TCipherClass* gDefaultCipherClass = &kRijndaelClass;
constinit const THashClass* gDefaultHashClass = &kRipeMD256Class;

constinit TStringList* gCipherList = nullptr;
constinit TStringList* gHashList = nullptr;

TStringList* Registry(TStringList*& list) {
  if (!list) list = new TStringList(false);
  return list;
}

// The registry refers to class references; it never frees or changes them.
TObject* AsObject(const TProtectionClass* cls) { return const_cast<TProtectionClass*>(cls); }

String DefaultRegisteredName(const TProtectionClass* cls) {
  AnsiString name = cls->ClassName();
  if (!name.empty() && name[0] == 'T') name.erase(0, 1);
  const auto underscore = name.find('_');
  if (underscore != AnsiString::npos) name.erase(0, underscore + 1);
  return Utf8ToString(name);
}

bool Register(TStringList*& list, const TProtectionClass* cls, const String& name, const String& comment) {
  if (!cls) return false;
  String n = Trim(name);
  if (n.empty()) n = DefaultRegisteredName(cls);
  const String line = n + u"=" + comment;
  TStringList* registry = Registry(list);
  const Int32 index = registry->IndexOfObject(AsObject(cls));
  if (index >= 0)
    registry->Put(index, line);
  else
    registry->AddObject(line, AsObject(cls));
  return true;
}

bool Unregister(TStringList* list, const TProtectionClass* cls) {
  if (!list || !cls) return false;
  bool removed = false;
  for (Int32 i = list->Count() - 1; i >= 0; --i)
    if (list->Objects(i) == AsObject(cls)) {
      list->Delete(i);
      removed = true;
    }
  return removed;
}

void Names(TStringList*& list, TStrings* strings) {
  if (!strings) return;
  TStringList* registry = Registry(list);
  for (Int32 i = 0; i < registry->Count(); ++i) strings->AddObject(registry->Names(i), registry->Objects(i));
}

const TProtectionClass* Find(TStringList*& list, const String& name) {
  TStringList* registry = Registry(list);
  String n = name;
  const auto underscore = n.find(u'_');
  if (underscore != String::npos) n.erase(0, underscore + 1);
  for (Int32 i = 0; i < registry->Count(); ++i) {
    const auto* cls = static_cast<const TProtectionClass*>(registry->Objects(i));
    if (SameText(Utf8ToString(GetShortClassName(cls)), n)) return cls;
  }
  const Int32 index = registry->IndexOfName(n);
  return index >= 0 ? static_cast<const TProtectionClass*>(registry->Objects(index)) : nullptr;
}

String NameOf(TStringList*& list, const TProtectionClass* cls) {
  if (!cls) return {};
  TStringList* registry = Registry(list);
  const Int32 index = registry->IndexOfObject(AsObject(cls));
  if (index >= 0) return registry->Names(index);
  return Utf8ToString(GetShortClassName(cls));
}

}  // namespace

// ---------------------------------------------------------------------------
// Class references and typed creators

const TCipherClass& TCipher::ClassRef() { return kCipherClass; }
const THashClass& THash::ClassRef() { return kHashClass; }
const THashClass& TChecksum::ClassRef() { return kChecksumClass; }
const THashClass& THash_MD4::ClassRef() { return kMD4Class; }
const THashClass& THash_RipeMD128::ClassRef() { return kRipeMD128Class; }
const THashClass& THash_RipeMD256::ClassRef() { return kRipeMD256Class; }

#define SK_CIPHER_CREATORS_IMPL(T, descriptor)                                                        \
  const TCipherClass& T::ClassRef() { return descriptor; }                                           \
  TProtectionPtr<T> T::Create(const AnsiString& password, TProtection* protection) {                 \
    TProtectionPtr<T> cipher(new T(TCipherInit{&descriptor, protection, true}));                      \
    if (!password.empty()) cipher->InitKey(password);                                                \
    return cipher;                                                                                   \
  }                                                                                                  \
  TProtectionPtr<T> T::Create(TBytes& key, Word keyLength) {                                         \
    TProtectionPtr<T> cipher(new T(TCipherInit{&descriptor, nullptr, false}));                        \
    if (!key.empty()) cipher->InitKey(key, keyLength);                                               \
    return cipher;                                                                                   \
  }

SK_CIPHER_CREATORS_IMPL(TCipher_Rijndael, kRijndaelClass)
SK_CIPHER_CREATORS_IMPL(TCipher_RijndaelZA, kRijndaelZAClass)
SK_CIPHER_CREATORS_IMPL(TCipher_Blowfish, kBlowfishClass)
SK_CIPHER_CREATORS_IMPL(TCipher_1DES, k1DESClass)
SK_CIPHER_CREATORS_IMPL(TCipher_3DES, k3DESClass)
SK_CIPHER_CREATORS_IMPL(TCipher_3TDES, k3TDESClass)
SK_CIPHER_CREATORS_IMPL(TCipher_Twofish, kTwofishClass)
SK_CIPHER_CREATORS_IMPL(TCipher_Square, kSquareClass)

#undef SK_CIPHER_CREATORS_IMPL

// ---------------------------------------------------------------------------
// Defaults

const TCipherClass* DefaultCipherClass() { return gDefaultCipherClass; }

void SetDefaultCipherClass(const TCipherClass* cls) { gDefaultCipherClass = cls ? cls : &kRijndaelClass; }

const THashClass* DefaultHashClass() { return gDefaultHashClass; }

void SetDefaultHashClass(const THashClass* cls) { gDefaultHashClass = cls ? cls : &kRipeMD256Class; }

// ---------------------------------------------------------------------------
// Registries

bool RegisterCipher(const TCipherClass* cls, const String& name, const String& comment) {
  return Register(gCipherList, cls, name, comment);
}

bool UnregisterCipher(const TCipherClass* cls) { return Unregister(gCipherList, cls); }

TStrings* CipherList() { return Registry(gCipherList); }

void CipherNames(TStrings* strings) { Names(gCipherList, strings); }

const TCipherClass* GetCipherClass(const String& name) {
  return static_cast<const TCipherClass*>(Find(gCipherList, name));
}

String GetCipherName(const TCipherClass* cls) { return NameOf(gCipherList, cls); }

bool RegisterHash(const THashClass* cls, const String& name, const String& comment) {
  return Register(gHashList, cls, name, comment);
}

bool UnregisterHash(const THashClass* cls) { return Unregister(gHashList, cls); }

TStrings* HashList() { return Registry(gHashList); }

void HashNames(TStrings* strings) { Names(gHashList, strings); }

const THashClass* GetHashClass(const String& name) { return static_cast<const THashClass*>(Find(gHashList, name)); }

String GetHashName(const THashClass* cls) { return NameOf(gHashList, cls); }

// ---------------------------------------------------------------------------
// Unit start and stop

void ZACipher_initialization() {
  if (!ZACipher_counter.Initialization()) return;
  RegisterCipher(&kRijndaelClass, String(), String());
}

void ZACipher_Finalization() {
  if (!ZACipher_counter.Finalization()) return;
  delete gCipherList;
  gCipherList = nullptr;
  delete gHashList;
  gHashList = nullptr;
}

}  // namespace sk
