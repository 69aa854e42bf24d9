#include "platform/runtime/IniFiles.h"

#include "platform/runtime/FileReplace.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unicode/uchar.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <memory>
#include <unordered_map>

#include "platform/runtime/Encoding.h"
#include "platform/runtime/FileSeam.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/FormatSettings.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

// True when the text holds a surrogate that is not half of a pair.
bool HasLoneSurrogate(const String& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    const Char c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      ++i;
      continue;
    }
    if (c >= 0xD800 && c <= 0xDFFF) return true;
  }
  return false;
}

// A value with a blank at either end, or one that is itself held in double
// quotes, is written in double quotes, which reading takes off again: reading
// trims the blanks around a value, and a value in quotes would lose its own.
bool NeedsQuotes(const String& v) {
  if (v.empty()) return false;
  if (v.front() <= u' ' || v.back() <= u' ') return true;
  return v.size() >= 2 && v.front() == u'"' && v.back() == u'"';
}

String Unquoted(String v) {
  if (v.size() >= 2 && v.front() == u'"' && v.back() == u'"') return v.substr(1, v.size() - 2);
  return v;
}

// A line break in a name or value would end its line in the file: what
// follows it would read as other keys or sections.
bool HoldsLineBreak(const String& s) { return s.find_first_of(u"\r\n") != String::npos; }

void RefuseLineBreaks(const String& fileName, const String& section, const String& ident, const String& value) {
  if (HoldsLineBreak(section) || HoldsLineBreak(ident) || HoldsLineBreak(value))
    throw EWriteError(u"Cannot write to \"" + fileName + u"\": a section, key or value holds a line break");
}

Char FoldUnit(Char c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<Char>(c + 32) : c;
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  UChar32 f = u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT);
  return f <= 0xFFFF ? static_cast<Char>(f) : c;
}

// Names of sections and keys match without regard to case.
// A name folded unit by unit, so that names SameName calls equal fold alike.
String FoldedName(const String& s) {
  String r(s);
  for (Char& c : r) c = FoldUnit(c);
  return r;
}

bool SameName(const String& a, const String& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldUnit(a[i]) != FoldUnit(b[i])) return false;
  return true;
}

// Clears strings and fills it through fill, as one update batch that is
// ended even when fill throws.
template <typename Fill>
void RefillStrings(TStrings* strings, Fill fill) {
  strings->BeginUpdate();
  try {
    strings->Clear();
    fill();
  } catch (...) {
    strings->EndUpdate();
    throw;
  }
  strings->EndUpdate();
}

TFormatSettings DotSettings() {
  TFormatSettings fs;
  fs.DecimalSeparator = u'.';
  fs.ThousandSeparator = u',';
  return fs;
}

}  // namespace

// ---- TCustomIniFile -------------------------------------------------------------

Int32 TCustomIniFile::ReadInteger(const String& section, const String& ident, Int32 def) {
  String s = Trim(ReadString(section, ident, String()));
  Int32 v;
  if (!s.empty() && TryStrToInt(s, v)) return v;
  return def;
}

void TCustomIniFile::WriteInteger(const String& section, const String& ident, Int32 value) {
  WriteString(section, ident, Utf8ToString(std::to_string(value)));
}

bool TCustomIniFile::ReadBool(const String& section, const String& ident, bool def) {
  String s = Trim(ReadString(section, ident, String()));
  if (s.empty()) return def;
  Int32 v;
  if (TryStrToInt(s, v)) return v != 0;
  if (SameName(s, u"true")) return true;
  if (SameName(s, u"false")) return false;
  return def;
}

void TCustomIniFile::WriteBool(const String& section, const String& ident, bool value) {
  WriteString(section, ident, value ? u"1" : u"0");
}

Double TCustomIniFile::ReadFloat(const String& section, const String& ident, Double def) {
  String s = Trim(ReadString(section, ident, String()));
  if (s.empty()) return def;
  // Written with '.', but files edited by hand in other locales may use ','.
  if (s.find(u'.') == String::npos)
    for (Char& c : s)
      if (c == u',') c = u'.';
  Double v;
  if (TryStrToFloat(s, v, DotSettings())) return v;
  return def;
}

void TCustomIniFile::WriteFloat(const String& section, const String& ident, Double value) {
  WriteString(section, ident, FloatToStr(value, DotSettings()));
}

bool TCustomIniFile::SectionExists(const String& section) {
  TStringList names;
  ReadSection(section, &names);
  return names.Count() > 0;
}

bool TCustomIniFile::ValueExists(const String& section, const String& ident) {
  TStringList names;
  ReadSection(section, &names);
  for (Int32 i = 0; i < names.Count(); ++i)
    if (SameName(names[i], ident)) return true;
  return false;
}

// ---- TMemIniFile ------------------------------------------------------------------

namespace {

enum class TIniFileState { absent, present, unknown };

// Whether the file is there, links followed; a folder counts as absent, as
// for FileExists.
TIniFileState IniFileState(const String& fileName) {
  const std::string path = StringToSystemName(fileName);
  if (path.empty()) return TIniFileState::absent;
  if (const Int32 fault = FileSeamAsk(fsoStat, path); fault != 0)
    return fault == ENOENT ? TIniFileState::absent : TIniFileState::unknown;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return errno == ENOENT ? TIniFileState::absent : TIniFileState::unknown;
  return S_ISDIR(st.st_mode) ? TIniFileState::absent : TIniFileState::present;
}

}  // namespace

TMemIniFile::TMemIniFile(const String& fileName) : TCustomIniFile(fileName) { LoadValues(); }

void TMemIniFile::LoadValues() {
  fSections.clear();
  fLeading.clear();
  fUnreadable = false;
  // Only "no such file" means there is nothing to read: a file whose state
  // cannot be looked at is taken as one that could not be read.
  switch (IniFileState(fFileName)) {
    case TIniFileState::absent: return;
    case TIniFileState::unknown: fUnreadable = true; return;
    case TIniFileState::present: break;
  }
  TBytes bytes;
  try {
    TMemoryStream ms;
    ms.LoadFromFile(fFileName);
    bytes = ms.ToBytes();
  } catch (const Exception&) {
    // An unreadable file reads as empty, as a missing one does, but is never
    // written over.
    fUnreadable = true;
    return;
  }
  TEncoding* enc = nullptr;
  Int32 skip = TEncoding::GetBufferEncoding(bytes, enc, TEncoding::UTF8());
  if (skip < 0 || static_cast<size_t>(skip) > bytes.size()) skip = 0;
  const Byte* p = bytes.data() + skip;
  size_t n = bytes.size() - static_cast<size_t>(skip);
  // Without a byte-order mark the text is UTF-8 when it is valid UTF-8, else
  // it was written in the ANSI code page.
  if (skip == 0 && !IsUTF8Valid(p, n)) enc = TEncoding::ANSI();
  if (enc == nullptr) enc = TEncoding::UTF8();
  ParseText(enc->GetString(p, n));
}

void TMemIniFile::ParseText(const String& text) {
  fSections.clear();
  fLeading.clear();
  Section* current = nullptr;
  // Sections read so far by folded name, so that a file with many sections
  // is read in one pass rather than one scan of the sections per header.
  std::unordered_map<String, size_t> sectionIndex;
  size_t pos = 0;
  const size_t n = text.size();
  while (pos < n) {
    size_t start = pos;
    while (pos < n && text[pos] != u'\r' && text[pos] != u'\n') ++pos;
    String line = Trim(text.substr(start, pos - start));
    if (pos < n && text[pos] == u'\r') ++pos;
    if (pos < n && text[pos] == u'\n') ++pos;
    if (line.empty()) continue;
    if (line[0] == u';') {
      if (current != nullptr)
        current->entries.push_back(Entry{line, String(), false, true});
      else
        fLeading.push_back(line);
      continue;
    }
    if (line.front() == u'[' && line.back() == u']' && line.size() >= 2) {
      String name = Trim(line.substr(1, line.size() - 2));
      // A section that appears twice is one section: its keys are merged.
      const auto [it, added] = sectionIndex.emplace(FoldedName(name), fSections.size());
      if (added) fSections.push_back(Section{name, {}});
      current = &fSections[it->second];
      continue;
    }
    if (current == nullptr) {  // lines before the first section belong to none
      fLeading.push_back(line);
      continue;
    }
    size_t eq = line.find(u'=');
    if (eq == String::npos) {
      current->entries.push_back(Entry{line, String(), false});
    } else {
      current->entries.push_back(Entry{Trim(line.substr(0, eq)), Unquoted(Trim(line.substr(eq + 1))), true});
    }
  }
}

String TMemIniFile::BuildText() const {
  String r;
  for (const String& line : fLeading) r += line + u"\r\n";
  for (const Section& s : fSections) {
    r += u'[' + s.name + u"]\r\n";
    for (const Entry& e : s.entries) {
      r += e.name;
      if (e.hasSeparator) r += u'=' + (NeedsQuotes(e.value) ? u'"' + e.value + u'"' : e.value);
      r += u"\r\n";
    }
    r += u"\r\n";
  }
  return r;
}

TMemIniFile::Section* TMemIniFile::FindSection(const String& name) {
  for (Section& s : fSections)
    if (SameName(s.name, name)) return &s;
  return nullptr;
}

TMemIniFile::Entry* TMemIniFile::FindEntry(Section* sec, const String& ident) {
  if (sec == nullptr) return nullptr;
  for (Entry& e : sec->entries)
    if (e.hasSeparator && SameName(e.name, ident)) return &e;
  return nullptr;
}

String TMemIniFile::ReadString(const String& section, const String& ident, const String& def) {
  BeforeRead();
  Entry* e = FindEntry(FindSection(section), ident);
  return e != nullptr ? e->value : def;
}

void TMemIniFile::WriteString(const String& section, const String& ident, const String& value) {
  RefuseLineBreaks(fFileName, section, ident, value);
  const auto lock = WriteLock();
  BeforeRead();
  Section* sec = FindSection(section);
  if (sec == nullptr) {
    fSections.push_back(Section{section, {}});
    sec = &fSections.back();
  }
  if (Entry* e = FindEntry(sec, ident))
    e->value = value;
  else
    sec->entries.push_back(Entry{ident, value, true});
  AfterWrite();
}

void TMemIniFile::ReadSection(const String& section, TStrings* strings) {
  if (strings == nullptr) return;
  BeforeRead();
  RefillStrings(strings, [&] {
    if (Section* sec = FindSection(section))
      for (const Entry& e : sec->entries)
        if (e.hasSeparator) strings->Add(e.name);
  });
}

void TMemIniFile::ReadSections(TStrings* strings) {
  if (strings == nullptr) return;
  BeforeRead();
  RefillStrings(strings, [&] {
    for (const Section& s : fSections) strings->Add(s.name);
  });
}

void TMemIniFile::ReadSectionValues(const String& section, TStrings* strings) {
  if (strings == nullptr) return;
  BeforeRead();
  RefillStrings(strings, [&] {
    if (Section* sec = FindSection(section))
      for (const Entry& e : sec->entries)
        if (!e.isComment) strings->Add(e.hasSeparator ? e.name + u'=' + e.value : e.name);
  });
}

bool TMemIniFile::SectionExists(const String& section) {
  BeforeRead();
  return FindSection(section) != nullptr;
}

void TMemIniFile::EraseSection(const String& section) {
  const auto lock = WriteLock();
  BeforeRead();
  for (size_t i = 0; i < fSections.size(); ++i) {
    if (SameName(fSections[i].name, section)) {
      fSections.erase(fSections.begin() + static_cast<std::ptrdiff_t>(i));
      AfterWrite();
      return;
    }
  }
}

void TMemIniFile::DeleteKey(const String& section, const String& ident) {
  const auto lock = WriteLock();
  BeforeRead();
  Section* sec = FindSection(section);
  if (sec == nullptr) return;
  for (size_t i = 0; i < sec->entries.size(); ++i) {
    if (sec->entries[i].hasSeparator && SameName(sec->entries[i].name, ident)) {
      sec->entries.erase(sec->entries.begin() + static_cast<std::ptrdiff_t>(i));
      AfterWrite();
      return;
    }
  }
}

void TMemIniFile::UpdateFile() {
  const String text = BuildText();
  // A lone surrogate (read from a UTF-16 file, or written so) has no UTF-8
  // form: such a text is written as UTF-16LE with its mark, so that it reads
  // back unchanged.
  TEncoding* enc = HasLoneSurrogate(text) ? TEncoding::Unicode() : TEncoding::UTF8();
  TBytes bytes = enc->GetBytes(text);
  // A text that starts with U+FEFF (a line read after a blank one, or after
  // a mark of its own) would be read back with that character taken for a
  // byte-order mark, and so as another line: a mark in front keeps it.
  if (enc != TEncoding::UTF8() || (!text.empty() && text[0] == Char(0xFEFF))) {
    const TBytes mark = enc->GetPreamble();
    bytes.insert(bytes.begin(), mark.begin(), mark.end());
  }
  if (fUnreadable && IniFileState(fFileName) != TIniFileState::absent)
    throw EFCreateError(u"Cannot create file \"" + fFileName + u"\". The file could not be read");
  // A save killed part-way leaves its temporary beside the file; the next
  // save takes it away (one that a live writer holds is left alone).
  RemoveStaleTemporarySiblings(StringToSystemName(fFileName));
  ReplaceFileWith(fFileName, [&bytes](TStream& f) { f.WriteBuffer(bytes); });
}

void TMemIniFile::Rename(const String& fileName, bool reload) {
  fFileName = fileName;
  if (reload) LoadValues();
}

void TMemIniFile::Clear() {
  fSections.clear();
  fLeading.clear();
}

void TMemIniFile::GetStrings(TStrings* list) {
  if (list == nullptr) return;
  BeforeRead();
  list->SetTextStr(BuildText());
}

void TMemIniFile::SetStrings(const TStrings* list) {
  if (list == nullptr) return;
  String text;
  for (Int32 i = 0; i < list->Count(); ++i) text += list->Get(i) + u"\r\n";
  ParseText(text);
}

// ---- TIniFile -------------------------------------------------------------------

TIniFile::TIniFile(const String& fileName) : TMemIniFile(fileName) { Remember(); }

void TIniFile::Remember() {
  struct stat st;
  if (::stat(StringToSystemName(fFileName).c_str(), &st) == 0) {
    fStampSize = static_cast<Int64>(st.st_size);
    fStampTime = static_cast<Int64>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  } else {
    fStampSize = -1;
    fStampTime = 0;
  }
}

void TIniFile::BeforeRead() {
  struct stat st;
  Int64 size = -1, time = 0;
  if (::stat(StringToSystemName(fFileName).c_str(), &st) == 0) {
    size = static_cast<Int64>(st.st_size);
    time = static_cast<Int64>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  }
  if (size != fStampSize || time != fStampTime) {
    LoadValues();
    fStampSize = size;
    fStampTime = time;
  }
}

std::shared_ptr<void> TIniFile::WriteLock() {
  // The folder that holds the file is locked from the read of the file to
  // the replace, so that a write of another process (or object) is read and
  // kept rather than written over. The file itself cannot carry the lock: a
  // replace puts another file in its place.
  const String folder = ExtractFileDir(ExpandFileName(fFileName));
  const int fd = ::open(StringToSystemName(folder.empty() ? String(u"/") : folder).c_str(),
                        O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return nullptr;  // no folder: the write fails as it would anyway
  using Clock = std::chrono::steady_clock;
  const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(10);
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if ((errno != EWOULDBLOCK && errno != EINTR) || Clock::now() >= giveUp) {
      const bool busy = errno == EWOULDBLOCK;
      ::close(fd);
      if (!busy) return nullptr;  // a folder that cannot be locked at all
      throw EFCreateError(u"Cannot create file \"" + fFileName + u"\". Another program holds it");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  // What is on disk now is what the change is made to (an object that could
  // not read the file keeps refusing to write it, as UpdateFile says).
  if (!fUnreadable) fStampSize = -2;
  return std::shared_ptr<void>(nullptr, [fd](void*) { ::close(fd); });
}

void TIniFile::AfterWrite() {
  UpdateFile();
  Remember();
}

}  // namespace sk
