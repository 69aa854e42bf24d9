// HTML helpers: escaping text, the process-wide list of character entities,
// painted word chunks as HTML, greyed-out tags, tag names and comment
// stripping.
//
// Entity file: a text file, one entry per line: the entity text (beginning
// with "&"), a TAB (or, in a line without one, a blank), then the character
// as a decimal code or as the character itself.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "core/Basic_types.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

enum THTMLtag_action : uint8_t {
  html_head,
  html_body,
  html_title,
  html_table,
  htlm_td,
  html_th,
  html_tr,
  html_div,
  html_font,
  html_b,
  html_i,
  html_u,
  html_ul,
  html_li,
  html_br,
  html_P,
  html_style,
  html_pre,
  html_unknown,
};
inline constexpr int THTMLtag_action_Count = 19;

enum THTML_attribute : uint8_t {
  html_attr_unknown,
  html_attr_size,
  html_attr_bgcolor,
  html_attr_name,
  html_attr_face,
  html_attr_color,
  html_attr_align,
};
inline constexpr int THTML_attribute_Count = 7;

enum THTML_alignment : uint8_t { align_left, align_center, align_right };
inline constexpr int THTML_alignment_Count = 3;

enum THTML_effect : uint8_t { html_on, html_off };

enum HTMLKind : uint8_t { html_tag, html_text, html_comment, html_script, html_param, html_error };

inline constexpr TEnumArray<THTMLtag_action, const Char*, THTMLtag_action_Count> html_tags = {{
    u"HEAD", u"BODY", u"TITLE", u"TABLE", u"TD", u"TH", u"TR", u"DIV", u"FONT", u"B",
    u"I", u"U", u"UL", u"LI", u"BR", u"P", u"STYLE", u"PRE", u"x",
}};
inline constexpr TEnumArray<THTML_attribute, const Char*, THTML_attribute_Count> html_attribute_names = {{
    u"x", u"SIZE", u"BGCOLOR", u"NAME", u"FACE", u"COLOR", u"ALIGN",
}};
inline constexpr TEnumArray<THTML_alignment, const Char*, THTML_alignment_Count> html_attr_align_types = {{
    u"LEFT", u"CENTER", u"RIGHT",
}};

class TEntityRecHolder : public TObject {
 public:
  explicit TEntityRecHolder(const THTMLEntity_rec& rec) : data(rec) {}
  THTMLEntity_rec data;
};

// Owns its holders.
class TEntityRecList : public TObject {
 public:
  TEntityRecList() = default;
  TEntityRecList(const TEntityRecList&) = delete;
  TEntityRecList& operator=(const TEntityRecList&) = delete;
  ~TEntityRecList() override = default;

  Int32 Count() const { return static_cast<Int32>(fItems.size()); }
  // Frees every holder and empties the list.
  virtual void Clear();
  // Appends the entity of a well-formed entry line; other lines are ignored.
  void AddIfFormatOK(const String& line);
  // Clears the list; false when the file does not exist or cannot be read,
  // otherwise adds each well-formed line and answers true.
  bool LoadedFromFile(const String& filename);
  // "&gt;" for 62 and "&lt;" for 60, in that order.
  void LoadUpDefaults();
  // A copy of item i / replaces it; i outside 0..Count-1 raises EListError.
  THTMLEntity_rec GetEntityRecs(Int32 i) const;
  void SetEntityRecs(Int32 i, const THTMLEntity_rec& rec);

  // The entity text of a character (code point), the first in list order;
  // nullptr when none. The lookups are built on first use after a change.
  const String* EntityOfChar(char32_t c) const;
  // The longest entity text that begins at index i of s, with its character;
  // 0 when none does.
  size_t EntityAt(const String& s, size_t i, char32_t& c) const;

 private:
  void Changed() { fLookupsValid = false; }
  void BuildLookups() const;

  std::vector<std::unique_ptr<TEntityRecHolder>> fItems;
  // Character to entity text, and entity text to character (first in list
  // order wins both ways), with the longest entity text.
  mutable std::unordered_map<char32_t, String> fByChar;
  mutable std::unordered_map<String, char32_t> fByText;
  mutable size_t fLongest = 0;
  mutable String fFirstUnits;  // the first unit of each entity text
  mutable bool fLookupsValid = false;
};

// The process-wide entity list, made with the defaults when the unit starts
// and freed when it stops.
inline constinit std::unique_ptr<TEntityRecList> HTMLEntityList;

// "<" "&lt;", ">" "&gt;", "&" "&amp;", double quote "&quot;", the backslash
// and the characters 160 to 255 as "&#<code>;"; everything else unchanged.
String MyHTMLEscape(const String& s);
// Each character that has an entity replaced by its entity text (the first
// in list order), in one pass over s, so that an entity written out is never
// read again: with "&amp;" in the list a quote becomes "&quot;", not
// "&amp;quot;". A character beyond U+FFFF is taken whole. Nothing changes
// while the list does not exist.
String ReadableStringToHTMLString(const String& s);
// The reverse, in one pass: at each "&" the longest entity text found there
// is replaced by its character, so that "&amp;lt;" gives "&lt;".
String HTMLStringToReadableString(const String& s);
// A painted word chunk as HTML: one nested tag per font style (b, i, u, s)
// that differs from plain text, a font tag with "#RRGGBB" when its font colour
// differs, and the text with its entities and every blank as "&nbsp;". A "&",
// "<" or ">" without an entity in the list is still written as "&amp;",
// "&lt;" or "&gt;", so that the HTML shows the chunk's text as it is.
String TPaintWordChunkToHTML(const TPaintWordChunk& chunk);
// Every complete tag of s shown greyed out:
// <font color = "#RRGGBB">&lt;tag&gt;</font>; the rest of s as it is.
String HTMLTagsGreyedOut(const String& s, TColor colour);
// "<TAG>" / "</TAG>".
String HTMLSwitchOn(THTMLtag_action action);
String HTMLSwitchOff(THTMLtag_action action);
// Removes, again and again, the first text from on to the first off after it
// (both included), until there is no on or no off after it.
String StrippedOfW(const String& on, const String& off, const String& s);
String StrippedOfHTMLComments(const String& s);
// The 8-bit form, through UTF-16 in the process's ANSI code page.
AnsiString StrippedOfHTMLComments(const AnsiString& s);

// Unit start (the entity list with its defaults) and stop (frees it).
void Html_utils_initialization();
void Html_utils_Finalization();

}  // namespace sk
