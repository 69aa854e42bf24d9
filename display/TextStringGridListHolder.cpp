#include "display/TextStringGridListHolder.h"

#include <cstring>

#include <algorithm>
#include "platform/runtime/FileUtils.h"
#include "services/Wdef_definitions.h"

namespace sk {

namespace {

constexpr Int32 kMostFilenameUnits = 500;
constexpr size_t kLangRawSize = TLangFilenameAndColours_fixed_size;

bool WriteInt32(TStream* s, Int32 v) {
  Byte b[4] = {static_cast<Byte>(v & 0xFF), static_cast<Byte>((v >> 8) & 0xFF), static_cast<Byte>((v >> 16) & 0xFF),
               static_cast<Byte>((static_cast<uint32_t>(v) >> 24) & 0xFF)};
  return s->Write(b, 4) == 4;
}

bool ReadInt32(TStream* s, Int32& v) { return s->TryReadValue(v); }

void LangToRaw(const TLangFilenameAndColours& rec, std::array<Byte, kLangRawSize>& raw) {
  raw.fill(0);
  std::memcpy(raw.data(), &rec.lingua, sizeof(rec.lingua));
  std::memcpy(raw.data() + sizeof(rec.lingua), &rec.cores, sizeof(rec.cores));
  // Padding is written as zeros whatever the record held there.
  raw[offsetof(Tfixed_lang_details, preference) + 1] = 0;
  raw[offsetof(Tfixed_lang_details, main_nome) + sizeof(thirtywidechar)] = 0;
  raw[offsetof(Tfixed_lang_details, main_nome) + sizeof(thirtywidechar) + 1] = 0;
}

// False when the preference byte lies outside its values.
bool LangFromRaw(const std::array<Byte, kLangRawSize>& raw, TLangFilenameAndColours& rec) {
  if (raw[offsetof(Tfixed_lang_details, preference)] >= Tlang_preference_Count) return false;
  std::memcpy(&rec.lingua, raw.data(), sizeof(rec.lingua));
  std::memcpy(&rec.cores, raw.data() + sizeof(rec.lingua), sizeof(rec.cores));
  return true;
}

bool WriteStored(TStream* s, const String& text) {
  if (text.size() > 0x7FFFFFFFu / 2) return false;
  const Int32 n = static_cast<Int32>(text.size());
  if (!WriteInt32(s, n)) return false;
  if (n == 0) return true;
  std::vector<Byte> bytes(static_cast<size_t>(n) * 2);
  for (Int32 i = 0; i < n; ++i) {
    bytes[static_cast<size_t>(i) * 2] = static_cast<Byte>(text[static_cast<size_t>(i)] & 0xFF);
    bytes[static_cast<size_t>(i) * 2 + 1] = static_cast<Byte>(text[static_cast<size_t>(i)] >> 8);
  }
  return s->Write(bytes.data(), static_cast<Int64>(bytes.size())) == static_cast<Int64>(bytes.size());
}

// A stored string whose count is checked against limit and the bytes left
// before anything is allocated.
bool ReadStored(TStream* s, Int32 limit, String& out) {
  Int32 n = 0;
  if (!ReadInt32(s, n) || n < 0 || n > limit) return false;
  const Int64 left = s->Size() - s->Position();
  if (static_cast<Int64>(n) * 2 > left) return false;
  std::vector<Byte> bytes(static_cast<size_t>(n) * 2);
  if (n > 0 && s->Read(bytes.data(), static_cast<Int64>(bytes.size())) != static_cast<Int64>(bytes.size()))
    return false;
  out.resize(static_cast<size_t>(n));
  for (Int32 i = 0; i < n; ++i)
    out[static_cast<size_t>(i)] = static_cast<Char>(bytes[static_cast<size_t>(i) * 2] |
                                                    (bytes[static_cast<size_t>(i) * 2 + 1] << 8));
  return true;
}

}  // namespace

TTextStringGridListHolder::TTextStringGridListHolder() {
  for (auto& slot : arr) slot.Stringlist = std::make_unique<THighlightUTF8Stringlist>();
}

TTextStringGridListHolder::~TTextStringGridListHolder() = default;

void TTextStringGridListHolder::ClearOneStringArray(Int32 i) {
  if (!Valid(i)) return;
  TStringlistLangAndColour_rec& s = Slot(i);
  if (!s.Stringlist) s.Stringlist = std::make_unique<THighlightUTF8Stringlist>();
  s.Stringlist->Clear();
  s.version = 0;
  s.other_fixed = TTextStringGridFixedSettingsRec{};
  s.LangFnameColours = TLangFilenameAndColours{};
}

void TTextStringGridListHolder::ClearTheStringArray() {
  for (Int32 i = 0; i < kAlignerSlots; ++i) ClearOneStringArray(i);
}

THighlightUTF8Stringlist* TTextStringGridListHolder::List(Int32 i) const {
  return Valid(i) ? arr[static_cast<size_t>(i)].Stringlist.get() : nullptr;
}

String TTextStringGridListHolder::Text(Int32 i) const {
  const THighlightUTF8Stringlist* l = List(i);
  if (l == nullptr) return String();
  String t;
  for (Int32 k = 0; k < l->Count(); ++k) {
    t += l->Get(k);
    t += u"\r\n";
  }
  return t;
}

void TTextStringGridListHolder::SetText(Int32 i, const String& text) {
  THighlightUTF8Stringlist* l = List(i);
  if (l == nullptr) return;
  l->Clear();
  l->SetText(text);
}

Tfixed_lang_details TTextStringGridListHolder::Language(Int32 i) const {
  return Valid(i) ? arr[static_cast<size_t>(i)].LangFnameColours.lingua : Tfixed_lang_details{};
}

void TTextStringGridListHolder::SetALanguage(Int32 i, const Tfixed_lang_details& lang) {
  if (Valid(i)) Slot(i).LangFnameColours.lingua = lang;
}

TLangFilenameAndColours TTextStringGridListHolder::GetLangFilenameAndColours(Int32 i) const {
  return Valid(i) ? arr[static_cast<size_t>(i)].LangFnameColours : TLangFilenameAndColours{};
}

void TTextStringGridListHolder::SetALangFnameAndColours(Int32 i, const TLangFilenameAndColours& rec) {
  if (Valid(i)) Slot(i).LangFnameColours = rec;
}

void TTextStringGridListHolder::PutLanguageData(Int32 i, const TStringLangFilenameAndColours& data) {
  if (!Valid(i)) return;
  SetText(i, data.text);
  Slot(i).LangFnameColours = data.rec;
}

void TTextStringGridListHolder::SetColours(Int32 i, const TMyCanvasColourRec& colours) {
  if (Valid(i)) Slot(i).LangFnameColours.cores = colours;
}

void TTextStringGridListHolder::SetWindowTextColour(Int32 i, TColor c) {
  if (Valid(i)) Slot(i).LangFnameColours.cores.arr[tsc_windowtext] = c;
}

void TTextStringGridListHolder::SetHighlightWordColours(Int32 i, TColor brush, TColor text) {
  if (!Valid(i)) return;
  Slot(i).LangFnameColours.cores.arr[tsc_highlight] = brush;
  Slot(i).LangFnameColours.cores.arr[tsc_highlighttext] = text;
}

void TTextStringGridListHolder::SetFilename(Int32 i, const String& name) {
  if (Valid(i)) Slot(i).LangFnameColours.filename = name;
}

void TTextStringGridListHolder::SetFontRecNameAndSize(Int32 i, const String& name, Int32 size) {
  if (!Valid(i)) return;
  Tfixed_character_format_rec& f = Slot(i).LangFnameColours.lingua.new_win_font;
  if (!name.empty()) SetARecFontname(f, name);
  f.fontsize = static_cast<Byte>(std::clamp(size, 0, 255));
}

void TTextStringGridListHolder::SetLinesChecked(Int32 i, Int32 n) {
  if (Valid(i)) Slot(i).other_fixed.lines_this_lang_checked = n;
}

void TTextStringGridListHolder::SetOtherFixed(Int32 i, const TTextStringGridFixedSettingsRec& rec) {
  if (Valid(i)) Slot(i).other_fixed = rec;
}

void TTextStringGridListHolder::CheckColoursAndFont(Int32 i) {
  if (Valid(i)) EnsureLanguageColoursAndFontOK(Slot(i).LangFnameColours.cores, Slot(i).LangFnameColours.lingua);
}

bool TTextStringGridListHolder::LoadFromTextFile(Int32 i, const Tfixed_lang_details& lang, const String& fileName) {
  THighlightUTF8Stringlist* l = List(i);
  if (l == nullptr) return false;
  l->Clear();
  if (!FileExists(fileName)) return false;
  try {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
    l->LoadFromStream(&stream);
  } catch (...) {
    l->Clear();
    return false;
  }
  SetALanguage(i, lang);
  return true;
}

bool TTextStringGridListHolder::SlotInUse(Int32 i) const {
  if (!Valid(i)) return false;
  const TStringlistLangAndColour_rec& s = arr[static_cast<size_t>(i)];
  return s.Stringlist != nullptr && s.LangFnameColours.lingua.main_nome[0] != 0;
}

Int32 TTextStringGridListHolder::LanguagesInUse() const {
  Int32 n = 0;
  while (n < kAlignerSlots && SlotInUse(n)) ++n;
  return n;
}

bool TTextStringGridListHolder::SavedToStream(TStream* stream) {
  if (stream == nullptr) return false;
  for (Int32 i = 0; i < kAlignerSlots; ++i) {
    TStringlistLangAndColour_rec& s = Slot(i);
    if (s.version < 2) s.version = 2;
    if (!WriteInt32(stream, s.version)) return false;
    if (stream->Write(&s.other_fixed, sizeof(s.other_fixed)) != static_cast<Int64>(sizeof(s.other_fixed)))
      return false;
    if (!WriteStored(stream, Text(i))) return false;
    std::array<Byte, kLangRawSize> raw{};
    LangToRaw(s.LangFnameColours, raw);
    if (stream->Write(raw.data(), static_cast<Int64>(raw.size())) != static_cast<Int64>(raw.size())) return false;
    if (!WriteStored(stream, s.LangFnameColours.filename)) return false;
  }
  return true;
}

bool TTextStringGridListHolder::ReadFromStream(TStream* stream) {
  bool ok = stream != nullptr;
  for (Int32 i = 0; ok && i < kAlignerSlots; ++i) {
    TStringlistLangAndColour_rec& s = Slot(i);
    Int32 version = 0;
    TTextStringGridFixedSettingsRec fixed{};
    String text, filename;
    std::array<Byte, kLangRawSize> raw{};
    TLangFilenameAndColours lang{};
    ok = ReadInt32(stream, version);
    if (ok && version >= 2)
      ok = stream->Read(&fixed, sizeof(fixed)) == static_cast<Int64>(sizeof(fixed));
    ok = ok && ReadStored(stream, 0x7FFFFFFF, text);
    ok = ok && stream->Read(raw.data(), static_cast<Int64>(raw.size())) == static_cast<Int64>(raw.size());
    ok = ok && LangFromRaw(raw, lang);
    ok = ok && ReadStored(stream, kMostFilenameUnits, filename);
    if (!ok) break;
    s.version = version;
    s.other_fixed = fixed;
    SetText(i, text);
    lang.filename = filename;
    s.LangFnameColours = lang;
  }
  if (!ok) ClearTheStringArray();
  return ok;
}

}  // namespace sk
