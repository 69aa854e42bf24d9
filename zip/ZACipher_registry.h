// The registries of cipher classes and of hash classes. Each is a string list
// of lines "name=comment" whose objects are the class references; it is
// created on first use and freed at shut-down.
#pragma once

#include "platform/runtime/StringList.h"
#include "zip/ZACipher_base.h"

namespace sk {

// False for a null class. The name is trimmed; an empty name becomes the
// class name without a leading "T" and without everything up to and including
// its first "_" (TCipher_Rijndael registers as "Rijndael"). A class already
// registered has its line replaced, else a line is added.
bool RegisterCipher(const TCipherClass* cls, const String& name, const String& comment);
// Removes every line of the class; true when one was removed.
bool UnregisterCipher(const TCipherClass* cls);
// The registry itself.
TStrings* CipherList();
// Adds each registered name with its class as the line's object.
void CipherNames(TStrings* strings);
// The name loses everything up to and including its first "_"; then the first
// registered class whose short class name equals it in any letter case, else
// the class of the line with that name, else null.
const TCipherClass* GetCipherClass(const String& name);
// The registered name, else the short class name.
String GetCipherName(const TCipherClass* cls);

// The same for hash classes.
bool RegisterHash(const THashClass* cls, const String& name, const String& comment);
bool UnregisterHash(const THashClass* cls);
TStrings* HashList();
void HashNames(TStrings* strings);
const THashClass* GetHashClass(const String& name);
String GetHashName(const THashClass* cls);

// Unit start and stop: start-up registers TCipher_Rijndael; shut-down frees
// both registries.
void ZACipher_initialization();
void ZACipher_Finalization();

}  // namespace sk
