// Column headings: the holder of one heading, the owning list of a results
// list's headings with its per-column accessors and its stream, and the list
// of visible headings that search and categorise choices are filled from.
//
// Header-list stream (little-endian): Int32 version (written as at least 2),
// Int32 sentinel 6789, one byte list kind, Int32 heading count, then per
// heading the 176 raw bytes of TGrid_head_fixed, its hint and its heading as
// stored strings.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk {

class TBaseGridHeaderList;

// The most headings a header-list stream may carry: original_column is 16-bit.
inline constexpr Int32 MaxGridHeadings = 32767;
// The bytes of one heading's raw part in the stream.
inline constexpr Int32 GridHeadRawSize = 176;

// The raw bytes of a heading as stored: the record's raw part with the padding
// bytes zero.
std::array<Byte, GridHeadRawSize> GridHeadRawBytes(const TGrid_head_fixed& rec);

// One heading. A blank holder has every field zero and both texts empty.
class TGridHeaderHolder : public TObject {
 public:
  TGridHeaderHolder() = default;
  explicit TGridHeaderHolder(const TGrid_head& rec) : data(rec) {}

  // The raw bytes, the hint and the heading; true when everything was
  // written whole.
  bool SaveToStream(TStream* stream, const TBaseGridHeaderList* list) const;
  // True when the 176 raw bytes were read whole; the two texts are read in
  // any case (a stored string that fails its checks raises its exception).
  // Headings of streams below version 2 get their column type repaired:
  // numerical with decimals -> ct_float, numerical "%" -> percent_data,
  // non-numerical ct_integer -> ct_date for "Date", else ct_string.
  bool ReadFromStream(TStream* stream, const TBaseGridHeaderList* list);

  TGrid_head data{};
};

struct TGridheaderSentinelRec {
  Int32 gh_version{};
  Int32 gh_sentinel{};
};

// The headings of a results list, index = displayed column (column 0 is the
// row-number column). Owns its holders.
class TBaseGridHeaderList : public TObject {
 public:
  // Version 1, sentinel 6789, the given kind; empty.
  explicit TBaseGridHeaderList(TQuillmarkList kind);
  TBaseGridHeaderList(const TBaseGridHeaderList&) = delete;
  TBaseGridHeaderList& operator=(const TBaseGridHeaderList&) = delete;
  ~TBaseGridHeaderList() override;

  Int32 Count() const { return static_cast<Int32>(fItems.size()); }
  // The holder at i; an index outside the list raises EListError.
  TGridHeaderHolder* Items(Int32 i) const;

  // Stores another kind and clears the list; the same kind changes nothing.
  void SetListType(TQuillmarkList kind);

  // A copy of heading i; an all-zero record outside the list.
  TGrid_head GetDatum(Int32 i) const;
  // Replaces heading i with a copy of rec; ignored outside the list.
  void SetDatum(Int32 i, const TGrid_head& rec);
  // Appends a copy; returns its index.
  Int32 AddOne(const TGrid_head& rec);
  // Inserts a copy at i (0..Count, else EListError); returns i.
  Int32 InsertOne(Int32 i, const TGrid_head& rec);
  // Frees and removes heading i (EListError outside the list).
  void Delete(Int32 i);
  // Frees every heading.
  virtual void Clear();
  // Copies other's headings and kind (not its sentinel record nor
  // custom_list_read); nothing when other is this list.
  void CopyFrom(const TBaseGridHeaderList& other);

  // Tolerant accessors: a fixed answer outside the list, sets ignored there.
  String GetColumnName(Int32 i) const;                 // empty
  void SetColumnName(Int32 i, const String& s);
  bool GetDatumWordWrap(Int32 i) const;                // false
  void SetDatumWordWrap(Int32 i, bool b);
  TColor GetDatumShowAsPercentColour(Int32 i) const;   // 0
  void SetDatumShowAsPercentColour(Int32 i, TColor c);
  TQMAlignment GetAlignment(Int32 i) const;            // aligned_right
  void SetAlignment(Int32 i, TQMAlignment a);
  bool GetANumerical(Int32 i) const;                   // false
  void SetANumerical(Int32 i, bool b);
  Int32 GetPixelSize(Int32 i) const;                   // the screen's pixels per inch
  void SetPixelSize(Int32 i, Int32 n);
  bool GetHidden(Int32 i) const;                       // false
  void SetHidden(Int32 i, bool b);
  Int32 OriginalColumnNumber(Int32 i) const;           // -1

  // Checked accessors: an index outside the list raises EAssertionFailed
  // "header index %d (Count = %d)" before anything is touched.
  String GetAHeading(Int32 i) const;
  void SetAHeading(Int32 i, const String& s);
  Byte GetPreviousDecimals(Int32 i) const;
  void SetPreviousDecimals(Int32 i, Byte n);
  Byte GetDecimals(Int32 i) const;
  void SetDecimals(Int32 i, Byte n);
  TEditable GetEditable(Int32 i) const;
  bool GetHasSortedThisRun(Int32 i) const;
  TOutput_results_case GetOutputCase(Int32 i) const;
  void SetOutputCase(Int32 i, TOutput_results_case c);
  void SetEditable(Int32 i, TEditable e);
  void SetHasSortedThisRun(Int32 i, bool b);
  TGridColumnDataRec GetColumnData(Int32 i) const;
  void SetColumnData(Int32 i, const TGridColumnDataRec& rec);

  // The first heading equal to text ignoring case, or -1.
  Int32 IndexOfHeader(const String& text) const;
  // The first heading whose original_column is orig, or -1.
  Int32 CurrentColumnNumber(Int32 orig) const;
  // original_column := index, for every heading.
  void ForceSequentialOriginalColumns();
  void SetDatesTimesRounded(bool rounded);
  // Heading col gets state, every other one b3_undefined.
  void SetMainSortColumn(Int32 col, T3Bool state);
  // The highest index not hidden; 0 when none.
  Int32 LastVisibleColumn() const;
  Int32 VisibleColumnCount() const;
  // A message box with the exclamation icon titled text, whose body is the
  // message "Warning".
  static void Warn(const String& text);
  // The visible headings from column 1 on (the caller owns the list).
  std::unique_ptr<class TVisibleHeaderInfoList> CurrentHeadersList() const;

  // The header-list stream. Writing: true when the four leading fields and
  // every heading were written whole. Reading clears the list first and
  // refuses (false, nothing appended, kind unchanged) a stream whose
  // sentinel is not 6789, whose kind byte is not a list kind, or whose count
  // is negative or above MaxGridHeadings; otherwise it appends one holder
  // per counted heading, reading them while they read whole and leaving the
  // rest blank after the first short one, and answers whether all read whole.
  virtual bool SaveToStream(TStream* stream);
  virtual bool ReadFromStream(TStream* stream);

  TQuillmarkList flist_type{};
  TGridheaderSentinelRec gh_SentinelRec{};
  bool custom_list_read = false;

 protected:
  // Whether the last ReadFromStream got past the leading fields (the
  // headings were then read, whole or not).
  bool fStreamAccepted = false;

  // Index check of the checked accessors.
  void CheckIndex(Int32 i, Int32 line) const;
  bool Valid(Int32 i) const { return i >= 0 && i < Count(); }

  std::vector<std::unique_ptr<TGridHeaderHolder>> fItems;
};

// The search-choice record of one visible heading.
class THeaderInfoHolder : public TObject {
 public:
  THeaderInfoHolder() = default;
  explicit THeaderInfoHolder(const TSearchHeaderInfoRec& rec) : data(rec) {}
  TSearchHeaderInfoRec data{};
};

// One line per visible heading, each owning a THeaderInfoHolder.
class TVisibleHeaderInfoList : public TIndexCheckStringlist {
 public:
  TVisibleHeaderInfoList() = default;
  ~TVisibleHeaderInfoList() override;

  // Appends a line with a new holder of info; returns its index.
  Int32 AddOne(const String& text, const TSearchHeaderInfoRec& info);
  // A copy of line i's record; all zero outside the list.
  TSearchHeaderInfoRec GetAHeaderInfo(Int32 i) const;
  void FreeAndNilOne(Int32 index) override;
};

// Unit start and stop (the unit has no work of its own).
void grid_header_listU_initialization();
void grid_header_listU_Finalization();

}  // namespace sk
