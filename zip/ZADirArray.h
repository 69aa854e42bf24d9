// The entry table of an open archive: the entries in directory order with a
// case-insensitive index from entry name to position, and the hashed string
// list and hash table under that index.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/runtime/FileUtils.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/Streams.h"
#include "zip/ZARecords.h"
#include "zip/ZATypes.h"

namespace sk {

// One entry of an archive in memory.
struct TDirItem {
  TZAZipCentralDir CentralDir;
  String Name;     // the name with its stored path
  String OldName;  // the name before a pending rename
  AnsiString Comment;
  std::vector<TZAExtraFieldDataBlock> ExtraFields;  // every block but zip64, each owning its data
  TZACryptoAlgorithm ZAEncryptionAlgorithm = caPkzipClassic;
  bool bHugeFile = false;  // the entry carries zip64 information
  TZAZip64ExtendedInfo Zip64ExtInfo;
  bool Modified = false;
  AnsiString Password;
  // The source of a pending store from a stream. The table drops its hold on
  // it when the entry is deleted and bDestroyStream is set; a stream the
  // caller keeps is handed in with a deleter that does nothing.
  std::shared_ptr<TStream> Stream;
  bool bDestroyStream = false;
  Int32 Position = 0;
  bool Tagged = false;
  String SrcFileName;
  // The file read from SrcFileName as it stood before its first byte was
  // read, known once its data is in the archive: a moved source is deleted
  // only while its name still holds that very file, unchanged.
  bool SrcRead = false;
  TFileStamp SrcStamp;
  Word CompressionMethod = 0;  // the real method, also for AES entries
  Byte CompressionMode = 0;    // 0 to 9 for a pending store
  TZAProcessOperation Operation = poAdd;
  bool UseOldRijndael = false;
};

// One item of a hash bucket.
struct THashItem {
  THashItem* Next = nullptr;
  String Key;
  Int32 Value = 0;
};

// A hash table from strings to 32-bit values with a fixed bucket count.
// Duplicate keys are allowed; the newest is found first.
class TZAStringHash : public TObject {
 public:
  explicit TZAStringHash(Cardinal size);
  ~TZAStringHash() override;
  TZAStringHash(const TZAStringHash&) = delete;
  TZAStringHash& operator=(const TZAStringHash&) = delete;

  // h := (h rotated left by 2) xor each UTF-16 unit, from 0.
  virtual Cardinal HashOf(const String& key) const;
  void Add(const String& key, Int32 value);
  // The link that points at the first item with the key, or the empty link
  // at the end of its bucket.
  THashItem** Find(const String& key);
  bool Modify(const String& key, Int32 value);
  // Unlinks and frees the first item with the key.
  void Remove(const String& key);
  // Unlinks and frees the first item with the key and the value.
  void Remove(const String& key, Int32 value);
  // The value of the first item with the key; -1 when none.
  Int32 ValueOf(const String& key);
  // The values of every item with the key, newest first.
  std::vector<Int32> ValuesOf(const String& key);
  void Clear();

  std::vector<THashItem*> Buckets;
  Cardinal Size = 0;
};

// A string list (not sorted) with hash indexes over its strings and over the
// names of its name=value strings. Keys are the strings lowercased, or the
// strings themselves on a case-sensitive list.
class TZAHashedStringList : public TStringList {
 public:
  TZAHashedStringList() = default;
  ~TZAHashedStringList() override = default;

  Int32 Add(const String& s) override;
  // Replaces the string at index and keeps the value index current.
  void Update(Int32 index, const String& s);
  void Delete(Int32 index) override;
  void Clear() override;
  Int32 IndexOf(const String& s) const override;
  Int32 IndexOfName(const String& name) const override;
  // Every position whose string has the key of s, the newest entered first.
  std::vector<Int32> IndexesOf(const String& s) const;

  void UpdateValueHash() const;
  void UpdateNameHash() const;
  String KeyOf(const String& s) const;

  mutable std::unique_ptr<TZAStringHash> FValueHash;
  mutable std::unique_ptr<TZAStringHash> FNameHash;
  mutable bool FValueHashValid = false;
  mutable bool FNameHashValid = false;
  // Raised by every change of the strings, so that an index built over them
  // knows when it is out of date.
  UInt64 FGeneration = 0;
};

// The positions of entries by the texts that a mask without wildcards is
// compared with when a search reaches into every folder: an entry's whole
// name and its last part, each without one trailing separator and one
// trailing dot, with every unit replaced by a representative of the units
// the name matcher takes for equal (the same upper case, or the same
// collation key under the locale the index was built in). An equal key is
// needed for a match, not enough: callers test each position found with the
// matcher itself.
class TZANameMatchIndex {
 public:
  explicit TZANameMatchIndex(std::string locale);
  // The key of a mask, or of one of the two texts of a name.
  String KeyOf(const String& text);
  void Add(Int32 position, const String& name);
  void Remove(Int32 position, const String& name);
  // The first position at or after from with the key; -1 when none.
  Int32 Next(const String& key, Int32 from) const;

  std::string Locale;
  UInt64 Generation = 0;  // of the name list it agrees with
  Int32 Count = 0;        // entries it holds

 private:
  Char ClassOf(Char c);
  static std::string CollationKeyOf(Char c);
  std::unordered_map<String, std::set<Int32>> fPositions;
  std::unordered_map<Char, Char> fClasses;
  std::unordered_map<std::string, Char> fByCollationKey;
};

// The entry table. Entry i's name, lowercased, is at position i of the name
// list; the storage grows in doubling steps up to 10,000 slots at a time.
class TZADirArray : public TObject {
 public:
  TZADirArray();
  ~TZADirArray() override;
  TZADirArray(const TZADirArray&) = delete;
  TZADirArray& operator=(const TZADirArray&) = delete;

  Int32 GetCount() const { return ItemCount; }
  Int32 Count() const { return ItemCount; }
  // Grows the storage when needed (new slots are empty entries); 0 releases
  // it. The name list is left alone: callers name new entries in order.
  void SetCount(Int32 n);
  // Engine errors 2 (GetItem), 3 (GetItemPtr), 1 (SetItem) outside 0 to count - 1.
  TDirItem GetItem(Int32 index) const;
  TDirItem* GetItemPtr(Int32 index);
  // Stores a copy of the entry (with copies of its extra blocks) and its
  // lowercased name at the same position of the name list (engine error 58
  // when the list is not that far yet).
  void SetItem(Int32 index, const TDirItem& item);
  // Renames entry index and keeps the name list at that position (engine
  // error 59 when the list is not that far yet).
  void SetItemName(Int32 index, String name);
  // Whether an entry has the name, compared without regard to case; index is
  // its position (an entry whose name matches exactly wins over others that
  // differ only in case), -1 when none.
  bool FileExists(const String& name, Int32& index) const;
  // Removes the entry (engine error 4 outside the range); the later entries
  // move down by one.
  void DeleteItem(Int32 index);
  // Removes every entry whose position is marked in doomed, keeping the
  // order of the others: one pass over the table and its name list.
  void DeleteItems(const std::vector<bool>& doomed);
  // Empties the table; the storage stays allocated.
  void Clear();
  void Assign(const TZADirArray& other);
  // Appends copies of the other table's entries, flags included.
  void Append(const TZADirArray& other);
  void ClearTags();
  // A search for a mask without wildcards in every folder: the key of the
  // mask, and the first entry at or after from whose whole name or last part
  // has that key (-1 when none). Entries before it cannot match the mask.
  String MatchKey(const String& mask) const;
  Int32 NextMatchCandidate(const String& key, Int32 from) const;
  // Index builds so far, each a pass over every entry.
  mutable Int64 MatchIndexBuilds = 0;

  std::vector<TDirItem> FItems;  // its size is AllocItemCount
  std::unique_ptr<TZAHashedStringList> FItemNamesList;
  Int32 AllocBy = 500;
  Int32 deAllocBy = 100;
  Int32 MaxAllocBy = 10000;
  Int32 AllocItemCount = 0;
  Int32 ItemCount = 0;

 private:
  // The index is built at the first search after any change of the name list
  // but a rename through SetItemName, which keeps it current.
  TZANameMatchIndex& CurrentMatchIndex() const;
  bool MatchIndexCurrent() const;
  mutable std::unique_ptr<TZANameMatchIndex> fMatchIndex;
};

// Unit start and stop (the unit has no work of its own).
void ZADirArray_initialization();
void ZADirArray_Finalization();

}  // namespace sk
