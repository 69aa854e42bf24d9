// Two lists of files for the corpus chooser and the file utilities.
//
// TFolderEfficientFileList holds a possibly large set of files by storing each
// folder path once and, per file, its short name, a folder number and its size
// and dates. Its file form (little-endian, no other header):
//   296 bytes  the info record: description (101 UTF-16 units), case_insensitive
//              (1 byte), 1 byte padding, fils (Int32), foldrs (Int32), 4 bytes
//              padding, total_bytes (Int64), 72 spare bytes
//   the folder list's text (each folder followed by CR LF) as a stored string
//   fils file records: DateTime (Double), TextualDateAndTime (Double), Size
//              (Int64), Zip_num1b (Int32), folder_num0B (Int32), an 8-byte
//              encoding slot (written as zeros, ignored on reading), then
//              ShortName as a stored string
//
// TMySearchRecList is a plain owning list of file-search records. Its stream
// form (little-endian): Int32 count, then per item DateTime (Double), Size
// (Int32), ZipfileNum1B (UInt16), Within_ZipNum1B (UInt16), then ShortName as
// a stored string.
//
// Folder paths are compared exactly, as the file system does: two folders whose
// names differ only in case are two folders.
#pragma once

#include <memory>
#include <unordered_map>

#include "core/Basic_types.h"
#include "core/Useful_classes_base_compare.h"
#include "core/Useful_classes_base_holders.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/Encoding.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/Streams.h"

namespace sk {

class TFolderEfficientFileList;

// The size of a file in bytes; -1 when it cannot be asked (missing, no
// access). A folder answers 0.
Int64 FileSize(const String& name);

struct TBasicFileFolderRec {
  TBasicFileRec bfr;
  TFolderEfficientFileList* Parentlist{};  // not owned
};

class TBasicFileFolderHolder : public TObject {
 public:
  explicit TBasicFileFolderHolder(const TBasicFileFolderRec& rec) : data(rec) {}
  // All zero, with Parentlist = parent.
  static std::unique_ptr<TBasicFileFolderHolder> CreateBlank(TFolderEfficientFileList* parent);

  // One file record of the file form. Reading: false when the 40 raw bytes or
  // the name are not all there; a stored name whose count is negative or over
  // the stored-string limit raises the stored-string read error. The encoding
  // slot is ignored: the encoding becomes nil.
  bool ReadFromStream(TStream* stream);
  // True when the 40 raw bytes and the name were written whole.
  bool WriteToStream(TStream* stream) const;
  // The holder's own file: its folder in the parent list, a path delimiter
  // and its short name (the short name alone without a parent or a folder).
  String GetFullFilename() const;
  // Asks the parent list's SetFullFilename.
  void SetFullFilename(const String& name);

  TBasicFileFolderRec data{};
};

// Each line's text is the file's short name and its object the file's
// TBasicFileFolderHolder, owned by the list.
class TBasicFileFolderHolderStringlist : public TIndexCheckStringlist {
 public:
  TBasicFileFolderHolderStringlist() = default;
  ~TBasicFileFolderHolderStringlist() override;

  // A line reads as its holder's ShortName; empty for an invalid index.
  String Get(Int32 index) const override;
  void FreeAndNilOne(Int32 index) override;

  // Line i's holder; nullptr for an invalid index or a line without one.
  TBasicFileFolderHolder* Holder(Int32 i) const;
  // 0 for an invalid index.
  Int32 GetAFolderNumber(Int32 i) const;
  // All zero for an invalid index.
  TBasicFileFolderRec GetABasicFileFolderRec(Int32 i) const;
  // The first line whose short name equals shortName exactly (case-sensitive)
  // and whose folder number is folderNumber; -1 when none. Found through an
  // index kept beside the list, so that adding many files with the duplicate
  // check stays linear.
  Int32 IndexOfFolderAndShortname(const String& shortName, Int32 folderNumber);

 protected:
  TObject* AdoptedObject(TObject* obj) const override;
  void Changed() override;

 private:
  friend class TFolderEfficientFileList;
  // Moves line i's file to another folder and short name (holder and line
  // text), keeping the lookup index right.
  void SetFolderAndShortName(Int32 i, Int32 folderNumber, const String& shortName);
  // Notes that line i, just appended, holds its holder's key.
  void NoteAppended(Int32 i, bool indexWasValid);
  bool IndexValid() const { return fIndexValid; }

  std::unordered_map<String, Int32> fIndex;
  bool fIndexValid = false;
};

class TFolderEfficientFileList : public TObject {
 public:
  TFolderEfficientFileList();
  TFolderEfficientFileList(const TFolderEfficientFileList&) = delete;
  TFolderEfficientFileList& operator=(const TFolderEfficientFileList&) = delete;
  ~TFolderEfficientFileList() override;

  // Empties the folder list and the file list (freeing the holders); the info
  // record and the sort keys stay.
  void Clear();
  Int32 FileCount() const;
  Int32 FolderCount() const;

  // Adds the file with its size read from disk, zero dates and zip number,
  // under its folder (added when absent). -1 when the size cannot be read
  // (nothing is added, not even the folder) or when the file is already
  // present; else the new line's index.
  Int32 AddOne(const String& fullName);
  // Adds a record built from bfr under folder (found or added) without a
  // duplicate check, bfr's folder number being set; returns the index.
  Int32 AddOne(const String& folder, TBasicFileRec& bfr);
  // Unless allowDuplicate, -1 when a file of the same folder and short name is
  // present; unless folderNumberSet, finds or adds the folder and sets rec's
  // folder number. Then adds rec (its Parentlist becomes this list) and
  // returns its index.
  Int32 AddOneChecked(bool folderNumberSet, bool allowDuplicate, const String& folder, TBasicFileFolderRec rec);
  // The existing index when the file is present, else AddOne(fullName).
  Int32 Add(const String& fullName);
  // Appends the folder (no duplicate check); returns its index.
  Int32 AddAFolder(const String& folder);
  // Adds each file of other that is not present here, in order (sizes are
  // read from disk again).
  void AddAnotherList(const TFolderEfficientFileList& other);
  // AddOne of folder, a delimiter and rec's short name when that file is not
  // present; else -1.
  Int32 AddIfNotInAlready(const TBasicFileRec& rec, const String& folder);
  // Deletes file i (an invalid index is ignored). Folders stay.
  void Delete(Int32 i);

  Int32 IndexOfFolder(const String& folder) const;
  // The first file of that short name in any folder, ignoring case.
  Int32 IndexOfShortName(const String& shortName) const;
  Int32 IndexOfFolderAndShortname(const String& folder, const String& shortName);
  Int32 IndexOfLongName(const String& fullName);

  // Folder i; an invalid index raises the platform list's index error.
  String GetFoldername(Int32 i) const;
  void SetFoldername(Int32 i, const String& s);
  // The folder of file i; empty when i or its folder number is invalid.
  String GetFolderForFilenum(Int32 i) const;
  // The folder of file i, a delimiter when the folder lacks one, and the
  // short name; empty for an invalid i (the short name alone when the folder
  // is empty).
  String GetFullFilename(Int32 i) const;
  // i is not consulted. Nothing when the name is present; else a file of the
  // same short name (IndexOfShortName) moves to the name's folder and takes
  // its short name; otherwise the name is added with AddOne.
  void SetFullFilename(Int32 i, const String& fullName);

  TBasicFileFolderRec GetABasicFileFolderRec(Int32 i) const;
  // The file's encoding; an invalid index raises the platform list's index
  // error.
  TEncoding* GetAnEncoding(Int32 i) const;
  void SetAnEncoding(Int32 i, TEncoding* encoding);
  // TextualDateAndTime; 0 for an invalid i, and setting ignores one.
  Double GetJulianDateWithConst(Int32 i) const;
  void SetJulianDateWithConst(Int32 i, Double d);
  // Sum of the sizes of all files (folderNumber < 0) or of one folder's, held
  // to the Int64 range (sizes read from a damaged file may add up beyond it).
  Int64 GetTotalBytes(Int32 folderNumber) const;
  // A new list (the caller's) of every full file name in list order.
  std::unique_ptr<TUTF8Stringlist> GetAsStringlist() const;

  TProgressPercentDoneTotal GetOnProgressPercentDoneTotal() const { return fProgressPercentDoneTotal; }
  void SetOnProgressPercentDoneTotal(const TProgressPercentDoneTotal& p) { fProgressPercentDoneTotal = p; }

  // Asks fOnCheckingFileFormat for each file's encoding, reporting progress
  // every 16 files, until done or global_panic_state is raised. True when an
  // encoding of the files examined differs from UTF-16LE; false without a
  // handler. An exception of the handler passes on.
  bool CheckFileFormatsVaried();

  // Sorts on sort1, ties broken by sort2, then reverses when not ascending;
  // ss_none leaves the order alone, ss_random shuffles. While global_panic_state
  // is raised every comparison answers 0.
  void DoASort(TMySimpleSearchRecSort sort1, TMySimpleSearchRecSort sort2, bool ascending);
  // Sets info_rec.case_insensitive, then DoASort(ss_shortname, ss_folder, true).
  void SortOnFilenamesAscending(bool caseInsensitive);

  // Read the file form into this list, which is emptied first. False for a
  // damaged or foreign form (what was read before the damage stays); a
  // stored string with a negative count raises the stored-string read error.
  virtual bool DoReadFromFile(const String& name);
  virtual bool DoReadFromStream(TStream* stream);
  // Write the file form; true when every write succeeded. A file that cannot
  // be opened or created raises the platform's file-stream error.
  virtual bool DoWriteToFile(const String& name);
  virtual bool DoWriteToStream(TStream* stream);

  TOnCheckFileFormat fOnCheckingFileFormat;
  std::unique_ptr<TBasicFileFolderHolderStringlist> files;
  std::unique_ptr<TStringList> folders;
  TProgressPercentDoneTotal fProgressPercentDoneTotal;
  TFolderEfficientFileStringlistInfoRec info_rec{};
  TMySimpleSearchRecSort sort_1 = ss_none;
  TMySimpleSearchRecSort sort_2 = ss_none;

 private:
  friend class TBasicFileFolderHolder;
  // The folder of a full name as the list stores it: the path without its
  // trailing delimiter, "/" for a file at the root.
  static String FolderOfName(const String& fullName);
  // The folder's index, the folder being appended when absent.
  Int32 FolderNumberOf(const String& folder);
  // The folder text of folder number n; empty when n is invalid.
  String FolderText(Int32 n) const;
  // folder + delimiter (when missing) + shortName; shortName alone for an
  // empty folder.
  static String JoinedName(const String& folder, const String& shortName);
};

// An owning list of TMySearchRecHolder objects, with the order it is known to
// be in (fSort).
class TMySearchRecList : public TIndexCheckList {
 public:
  TMySearchRecList() = default;
  ~TMySearchRecList() override;

  // Frees all items; fSort becomes sr_sort_none.
  void Clear() override;
  // Frees and removes item i; an invalid index raises EListError.
  void Delete(Int32 index) override;
  // Takes the holder; returns its index. An item that breaks the order the
  // list is known to be in makes that order unknown (sr_sort_none).
  Int32 Add(std::unique_ptr<TMySearchRecHolder> holder);
  Int32 AddOne(const TMySearchRec& rec);

  // When kind differs from fSort: records it and sorts with that key's
  // comparer (which reads global_reversed_sort); sr_sort_none only records it.
  // By date, a date that is not a number sorts after every other (before,
  // reversed), so that Find still finds every record.
  void DoASort(TMySearchRecSort kind);
  // The index of an item with the same Size, DateTime and ShortName (exact),
  // or -1. A list in a known order is searched by halving on that order's key
  // (in the direction it was sorted in); when the key matches another record,
  // and on an unsorted list, the list is scanned from the start.
  Int32 Find(const TMySearchRec& rec);
  Int32 IndexOF(const TMySearchRec& rec);

  // A copy; all zero for an invalid i.
  TMySearchRec GetAMySearchRec(Int32 i) const;
  // A new list (the caller's) of the short names.
  std::unique_ptr<TStringList> GetAsStringlist() const;

  // Appends the items of the stream form. A count the rest of the stream
  // cannot hold, or a stream that ends inside an item, raises EReadError; a
  // negative count gives false. fSort stays, unless the appended items break
  // that order.
  bool ReadFromStream(TStream* stream);
  // False when a write fell short.
  bool SaveToStream(TStream* stream);

  TMySearchRecSort fSort = sr_sort_none;

 private:
  TMySearchRecHolder* Holder(Int32 i) const;
  // The order of two records on the key of fSort, in the direction the list
  // was sorted in.
  Int32 KeyOrder(const TMySearchRec& a, const TMySearchRec& b) const;
  bool fSortReversed = false;
};

}  // namespace sk
