// The aligner's list holder: eight language slots, each with its lines (and
// their search hits), settings, language, colours and file name, saved and
// read as one stream.
//
// The stream, per slot in order (little-endian): Int32 version (written as 2
// at least); from version 2 the 204 settings bytes; the lines as one stored
// string (Int32 count of UTF-16 units, the units; each line followed by CR
// LF); 376 bytes of language and colours; the file name as a stored string
// (at most 500 units).
#pragma once

#include <array>

#include "display/Aligner_types.h"
#include "platform/runtime/Streams.h"

namespace sk {

class TTextStringGridListHolder {
 public:
  TTextStringGridListHolder();
  ~TTextStringGridListHolder();
  TTextStringGridListHolder(const TTextStringGridListHolder&) = delete;
  TTextStringGridListHolder& operator=(const TTextStringGridListHolder&) = delete;

  // Slot i's lines emptied and every other field zeroed; an i outside the
  // slots is ignored (so are the setters' and getters' below: getters give
  // empty values).
  void ClearOneStringArray(Int32 i);
  void ClearTheStringArray();
  // The lines, each followed by CR LF.
  String Text(Int32 i) const;
  void SetText(Int32 i, const String& text);
  Tfixed_lang_details Language(Int32 i) const;
  void SetALanguage(Int32 i, const Tfixed_lang_details& lang);
  TLangFilenameAndColours GetLangFilenameAndColours(Int32 i) const;
  void SetALangFnameAndColours(Int32 i, const TLangFilenameAndColours& rec);
  void PutLanguageData(Int32 i, const TStringLangFilenameAndColours& data);
  void SetColours(Int32 i, const TMyCanvasColourRec& colours);
  void SetWindowTextColour(Int32 i, TColor c);
  void SetHighlightWordColours(Int32 i, TColor brush, TColor text);
  void SetFilename(Int32 i, const String& name);
  // A non-empty name goes into the language's font record (at most 100
  // units); the size always.
  void SetFontRecNameAndSize(Int32 i, const String& name, Int32 size);
  void SetLinesChecked(Int32 i, Int32 n);
  void SetOtherFixed(Int32 i, const TTextStringGridFixedSettingsRec& rec);
  void CheckColoursAndFont(Int32 i);
  // The list cleared, the file read into it (byte-order mark decides; UTF-8
  // without), the language set; false when the file cannot be read.
  bool LoadFromTextFile(Int32 i, const Tfixed_lang_details& lang, const String& fileName);
  // The number of leading slots in use (a list and a language name).
  Int32 LanguagesInUse() const;
  bool SlotInUse(Int32 i) const;

  // False at the first short or bad part (a count beyond the bytes left, a
  // negative count, a file name above 500 units, a preference outside its
  // values), with every slot cleared.
  bool ReadFromStream(TStream* stream);
  // False at the first short write; the slots after it are not written.
  bool SavedToStream(TStream* stream);

  THighlightUTF8Stringlist* List(Int32 i) const;
  TStringlistLangAndColour_rec& Slot(Int32 i) { return arr[static_cast<size_t>(i)]; }

  std::array<TStringlistLangAndColour_rec, kAlignerSlots> arr;

 private:
  static bool Valid(Int32 i) { return i >= 0 && i < kAlignerSlots; }
};

}  // namespace sk
