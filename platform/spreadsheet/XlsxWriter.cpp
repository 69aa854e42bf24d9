#include "platform/spreadsheet/XlsxWriter.h"

#include <errno.h>
#include <fcntl.h>
#include <locale.h>
#include <stdlib.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/runtime/FileReplace.h"
#include "platform/runtime/OSError.h"
#include "platform/runtime/Strings.h"
#include "platform/runtime/ZipReader.h"
#include "platform/spreadsheet/XlsWorkbook.h"

namespace sk {

namespace {

// A member or an archive past 4 GB needs zip64.  What a sheet's part may
// take at most: per row its element, per cell its element and reference,
// per text unit the longest form the file gives one (an escape "_xHHHH_"),
// per run of a rich string its properties.
constexpr Int64 kZip32Bytes = (Int64{1} << 32) - (Int64{1} << 20);
constexpr Int64 kRowBytes = 96, kCellBytes = 150, kUnitBytes = 7, kRunBytes = 400;
// Most cells that merged ranges may cover in all.
constexpr Int64 kMaxMergedCells = Int64{1} << 26;

// Sizes in pixels, as the file's readers lay a sheet out: 7 pixels to a
// character's digit plus 5 of padding, 4/3 of a pixel to a point.
constexpr double kDigitPixels = 7;
constexpr double kColumnPadding = 5;

double WidthInChars(Int32 width) { return width / 256.0; }

Int32 ColumnPixels(Int32 width) {
  const double chars = WidthInChars(width);
  if (chars <= 0) return 0;
  if (chars < 1) return static_cast<Int32>(chars * (kDigitPixels + kColumnPadding) + 0.5);
  return static_cast<Int32>(chars * kDigitPixels + 0.5) + static_cast<Int32>(kColumnPadding);
}

Int32 RowPixels() { return static_cast<Int32>(4.0 / 3.0 * xls_DefaultRowHeightPoints); }

lxw_color_t LxwColor(const TExcelColor& c) {
  const Cardinal r = c.Value & 0xFF, g = (c.Value >> 8) & 0xFF, b = (c.Value >> 16) & 0xFF;
  const lxw_color_t rgb = (r << 16) | (g << 8) | b;
  return rgb == 0 ? static_cast<lxw_color_t>(LXW_COLOR_BLACK) : rgb;  // 0 means "unset" to the library
}

bool HasColor(const TExcelColor& c) { return c.Kind == TExcelColor::Rgb; }

// Text as the file stores it.  XML cannot hold most control characters,
// U+FFFE, U+FFFF or a lone surrogate, and a reader turns a CR into a LF: each
// of these is written as "_xHHHH_", the file's escape for a character.  A
// literal "_xHHHH_" would read back as the character it names, so its
// underscore is written as "_x005F_".

bool Escaped(char32_t c) {
  return (c < 0x20 && c != u'\t' && c != u'\n') || c == 0xFFFE || c == 0xFFFF || (c >= 0xD800 && c <= 0xDFFF);
}

bool IsHex(char32_t c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }

char32_t Unit(char c) { return static_cast<unsigned char>(c); }
char32_t Unit(char16_t c) { return c; }

bool PairAt(const String& s, size_t i, size_t end) {
  return i + 1 < end && s[i] >= 0xD800 && s[i] <= 0xDBFF && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF;
}

// True when "_xHHHH" starts at s[i] (end bounds the text: a cut text holds
// only what lies before its end).
template <typename Text>
bool EscapeHeadAt(const Text& s, size_t i, size_t end) {
  if (s[i] != '_' || i + 7 > end || s[i + 1] != 'x') return false;
  for (size_t k = i + 2; k < i + 6; ++k)
    if (!IsHex(Unit(s[k]))) return false;
  return true;
}

// True when the text at s[i] would read as an escape "_xHHHH_" once
// written: its seventh character is an underscore, or a character written as
// an escape, which starts with one.
bool EscapeAt(std::string_view s, size_t i, size_t end) { return EscapeHeadAt(s, i, end) && s[i + 6] == '_'; }

bool EscapeAt(const String& s, size_t i, size_t end) {
  return EscapeHeadAt(s, i, end) && (s[i + 6] == u'_' || (Escaped(s[i + 6]) && !PairAt(s, i + 6, end)));
}

// Whether a text held as UTF-8 has anything to escape.
bool NeedsEscape(std::string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80 ? Escaped(c) || EscapeAt(s, i, s.size())
                 : c == 0xEF && i + 2 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0xBF &&
                       (static_cast<unsigned char>(s[i + 2]) & 0xFE) == 0xBE)
      return true;
  }
  return false;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The text as the file stores it (UTF-8, escaped), whole.
std::string Escape(const String& s) {
  static const char kHex[] = "0123456789ABCDEF";
  const size_t n = s.size();
  std::string out;
  for (size_t i = 0; i < n; ++i) {
    char32_t c = s[i];
    if (PairAt(s, i, n)) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (Escaped(c) || EscapeAt(s, i, n)) {
      const char32_t v = Escaped(c) ? c : u'_';
      out += "_x";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(v >> shift) & 0xF];
      out += '_';
      continue;
    }
    AppendUtf8(out, c);
  }
  return out;
}

// The text as UTF-8, a lone surrogate in the three bytes its code would
// take: the form in which the check of the finished package compares a
// cell's text with what the file gives back.
std::string LooseUtf8(const String& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (PairAt(s, i, s.size())) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    }
    AppendUtf8(out, c);
  }
  return out;
}

// The most characters libxlsxwriter takes for a cell: it counts what it is
// handed, escapes and a rich string's markup included, so a text within the
// file's limit may pass it once escaped.
constexpr size_t kLibraryTextLimit = 32767;

// The most fragments libxlsxwriter takes for a rich string, and the fewest.
// It counts them in 8 bits: from 256 on the count wraps and it loops for
// ever over the first 256; at 255 (and at 1) the count it checks is 0 (or 2)
// and it refuses.
constexpr size_t kMaxRichFragments = 254;
constexpr size_t kMinRichFragments = 2;

// A text for an attribute (a font's name, a number format, a picture's
// description): what XML cannot hold there is replaced, and the text is cut
// at a character's end to at most maxBytes of UTF-8 (the library keeps font
// names and number formats in fields of 127 bytes and would cut them
// anywhere, even inside a character).
std::string AttributeText(const String& s, size_t maxBytes = std::string::npos) {
  String clean = s;
  for (size_t i = 0; i < clean.size(); ++i) {
    if (PairAt(clean, i, clean.size())) {
      ++i;
    } else if (Escaped(clean[i])) {
      clean[i] = 0xFFFD;
    }
  }
  std::string out = StringToUtf8(clean);
  if (out.size() > maxBytes) {
    size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
    out.resize(cut);
  }
  return out;
}

// The longest font name or number format the library keeps whole.
constexpr size_t kFormatFieldBytes = LXW_FORMAT_FIELD_LEN - 1;

// ---- what a sheet part must hold -------------------------------------------

// What a sheet part holds: its <row> elements, its cells and merged ranges,
// and a sum of one hash per cell and per merged range over its place, its
// kind and its value as a reader gets it (XML entities and the file's
// escapes read; a text in LooseUtf8's form).  The writer counts what the
// workbook holds and the library took; the check of the finished package
// counts what each sheet part holds, and the two must agree.  A sum, so that
// the order in which the library lays a row's cells out does not matter.
struct TSheetTally {
  Int64 Rows = 0, Cells = 0, Merges = 0;
  UInt64 Sum = 0;
  bool operator==(const TSheetTally&) const = default;
};

// The kinds of what is counted, as both sides name them.
constexpr char kNumberItem = 'n', kTextItem = 's', kBooleanItem = 'b', kBlankItem = 'k', kMergeItem = 'm',
               kOtherItem = '?';

UInt64 Avalanche(UInt64 h) {
  h ^= h >> 30;
  h *= 0xBF58476D1CE4E5B9ull;
  h ^= h >> 27;
  h *= 0x94D049BB133111EBull;
  return h ^ (h >> 31);
}

UInt64 ItemHash(Cardinal row, Cardinal col, char kind, std::string_view value) {
  const char* p = value.data();
  const size_t n = value.size();
  UInt64 h = ((UInt64{row} << 32) | col) * 0xD6E8FEB86659FD93ull ^ (static_cast<unsigned char>(kind) | (UInt64{n} << 8));
  const auto step = [&h](UInt64 w) {
    h = (h ^ w) * 0x9E3779B97F4A7C15ull;
    h ^= h >> 29;
  };
  const auto load = [p](size_t at, size_t size) {
    UInt64 w = 0;
    std::memcpy(&w, p + at, size);
    return w;
  };
  size_t i = 0;
  for (; i + 8 <= n; i += 8) step(load(i, 8));
  // The last 1 to 7 bytes: two loads of 4 that may overlap, or bytes.
  const size_t rest = n - i;
  if (rest >= 4) {
    step(load(i, 4) | (load(n - 4, 4) << 32));
  } else if (rest > 0) {
    UInt64 w = 0;
    for (size_t k = 0; k < rest; ++k) w |= UInt64{static_cast<unsigned char>(p[i + k])} << (8 * k);
    step(w);
  }
  return Avalanche(h);
}

UInt64 MergeHash(Cardinal top, Cardinal left, Cardinal bottom, Cardinal right) {
  char far[8];
  std::memcpy(far, &bottom, 4);
  std::memcpy(far + 4, &right, 4);
  return ItemHash(top, left, kMergeItem, std::string_view(far, sizeof far));
}

// The text the library writes for a finite number (printf's "%.16G").  A
// whole number below 10^15 prints as its digits.
std::string_view NumberText(double v, std::array<char, 48>& buf) {
  char* const first = buf.data();
  char* const last = buf.data() + buf.size();
  if (std::fabs(v) < 1e15 && v == std::trunc(v) && !(v == 0 && std::signbit(v)))
    return std::string_view(first, static_cast<size_t>(std::to_chars(first, last, static_cast<Int64>(v)).ptr - first));
  char* const end = std::to_chars(first, last, v, std::chars_format::general, 16).ptr;
  for (char* p = first; p < end; ++p)
    if (*p == 'e') *p = 'E';
  return std::string_view(first, static_cast<size_t>(end - first));
}

// Thrown inside the writer when its progress answers stop; WriteTo turns
// it into the save's EXlsError once the library's workbook is freed.
struct TSaveStopped {};

[[noreturn]] void RaiseStopped(const String& fileName) {
  throw EXlsError(u"Cannot save \"" + fileName + u"\": the save was stopped");
}

// Holds this thread in the "C" locale while it lives: the library prints
// numbers with the C library, in the locale in force, and a host whose
// locale writes decimal commas would otherwise get numbers no reader takes.
struct TCLocale {
  locale_t c = ::newlocale(LC_ALL_MASK, "C", locale_t{});
  locale_t previous = c != locale_t{} ? ::uselocale(c) : locale_t{};
  TCLocale() = default;
  TCLocale(const TCLocale&) = delete;
  TCLocale& operator=(const TCLocale&) = delete;
  ~TCLocale() {
    if (c != locale_t{}) {
      ::uselocale(previous);
      ::freelocale(c);
    }
  }
  // The caller's progress runs in the caller's locale: the host may do its
  // own work from it.
  bool Report(const TXlsSaveProgress& progress, size_t work) const {
    if (c == locale_t{}) return progress(work);
    ::uselocale(previous);
    struct TBack {
      locale_t c;
      ~TBack() { ::uselocale(c); }
    } back{c};
    return progress(work);
  }
};

// The library assembles the package in one call that may take seconds for
// a large sheet.  With a progress to report to, the call runs on a thread of
// its own (which touches nothing but the library's workbook and its files)
// while this thread reports a coarse step every few milliseconds; a stop
// asked for meanwhile is kept in stopped and takes effect once the call has
// returned, as the call cannot be cut short.
lxw_error CloseReporting(lxw_workbook* out, const TXlsSaveProgress& progress, const TCLocale& locale,
                         bool& stopped) {
  if (!progress) return workbook_close(out);
  std::mutex m;
  std::condition_variable cv;
  bool done = false;
  lxw_error result = LXW_NO_ERROR;
  std::thread worker;
  try {
    worker = std::thread([&] {
      const lxw_error e = [&] {
        TCLocale cLocale;
        return workbook_close(out);
      }();
      const std::lock_guard<std::mutex> lock(m);
      result = e;
      done = true;
      cv.notify_one();
    });
  } catch (const std::system_error&) {
    return workbook_close(out);  // no thread to be had: the call runs here
  }
  // However this thread leaves (the progress may raise), the call is waited
  // for; the lock below is let go first.
  struct TJoin {
    std::thread& t;
    ~TJoin() {
      if (t.joinable()) t.join();
    }
  } join{worker};
  std::unique_lock<std::mutex> lock(m);
  while (!done) {
    if (cv.wait_for(lock, std::chrono::milliseconds(5), [&] { return done; })) break;
    if (stopped) continue;
    lock.unlock();
    stopped = locale.Report(progress, kXlsxCoarseStep);
    lock.lock();
  }
  return result;
}

TXlsxRowFileHook& RowFileHook() {
  static TXlsxRowFileHook hook;
  return hook;
}

struct TFontHash {
  size_t operator()(const TFlxFont& f) const { return HashOf(f); }
};
struct TFormatHash {
  size_t operator()(const TFlxFormat& f) const { return HashOf(f); }
};

// A piece of a rich string as the file stores it: neighbouring runs of one
// font are one piece.  Font is none for the text before the first run, which
// shows in the cell's font.
struct TRichPiece {
  size_t From, To;
  const TFlxFont* Font;
};

std::vector<TRichPiece> RichPieces(const TRichString& rs) {
  std::vector<TRichPiece> pieces;
  auto piece = [&](size_t from, size_t to, const TFlxFont* font) {
    if (to <= from) return;
    if (!pieces.empty() && font != nullptr && pieces.back().Font != nullptr && *pieces.back().Font == *font) {
      pieces.back().To = to;
    } else {
      pieces.push_back(TRichPiece{from, to, font});
    }
  };
  if (!rs.Runs.empty()) piece(0, static_cast<size_t>(rs.Runs[0].FirstChar), nullptr);
  for (size_t i = 0; i < rs.Runs.size(); ++i) {
    const size_t to = i + 1 < rs.Runs.size() ? static_cast<size_t>(rs.Runs[i + 1].FirstChar) : rs.Value.size();
    piece(static_cast<size_t>(rs.Runs[i].FirstChar), to, &rs.Runs[i].Font);
  }
  return pieces;
}

// The format a rich string of fewer than two pieces is written in: not a
// rich string to the file, the cell takes its one piece's font instead.
TFlxFormat OnePieceFormat(const TXlsWorkbook& book, const std::vector<TRichPiece>& pieces, Int32 xf) {
  TFlxFormat f = book.GetFormat(std::max(xf, 0));
  if (!pieces.empty() && pieces[0].Font != nullptr) f.Font = *pieces[0].Font;
  return f;
}

class TWriter {
 public:
  TWriter(const TXlsWorkbook& book, lxw_workbook* out, const TXlsSaveProgress& progress, const TCLocale& locale)
      : fBook(book), fOut(out), fHook(RowFileHook()), fProgress(progress), fLocale(locale) {
    fByIndex.assign(static_cast<size_t>(book.FormatCount()), nullptr);
  }

  void Run() {
    for (Int32 s = 1; s <= fBook.SheetCount(); ++s) WriteSheet(fBook.SheetData(s));
  }

  // Pushes what the library holds of each sheet's rows out to its row file,
  // and gives the error the file reports, if any (0 when none): a failed
  // write leaves rows out of the file, and nothing else would tell.
  int FlushRowFiles() {
    for (size_t i = 0; i < fSheets.size(); ++i)
      if (fHook) fHook(static_cast<Int32>(i + 1), 0, fSheets[i]->optimize_tmpfile);
    for (lxw_worksheet* ws : fSheets) {
      std::FILE* rows = ws->optimize_tmpfile;
      if (rows == nullptr) continue;
      errno = 0;
      if (std::fflush(rows) != 0) return errno != 0 ? errno : EIO;
      if (std::ferror(rows) != 0) return EIO;
    }
    return 0;
  }

  // Frees the library's workbook without writing it; its row files, which
  // the library closes only as it writes the package, are closed here.
  void Discard() {
    for (lxw_worksheet* ws : fSheets)
      if (ws->optimize_tmpfile != nullptr) {
        std::fclose(ws->optimize_tmpfile);
        ws->optimize_tmpfile = nullptr;
      }
    lxw_workbook_free(fOut);
  }

  lxw_error Error() const { return fError; }
  // The first cell whose text could not be written whole; empty when none.
  const String& FailedCell() const { return fFailedCell; }

  // What each sheet's part must hold, in the order of the sheets.
  const std::vector<TSheetTally>& Tallies() const { return fTallies; }

 private:
  lxw_error Note(lxw_error e) {
    if (e != LXW_NO_ERROR && fError == LXW_NO_ERROR) fError = e;
    return e;
  }

  // A value the library took for the cell being written (fRowNo, fColNo); a
  // later one for the same cell replaces it, as it replaces the cell.
  void Took(lxw_error e, char kind, std::string_view value) {
    if (e != LXW_NO_ERROR) return;
    fCellHash = ItemHash(fRowNo, fColNo, kind, value);
    fCellTaken = true;
  }

  // stored is the text as the file stores it, followed by a terminating
  // zero; shown is the cell's text (see LooseUtf8), which the file must give
  // back.
  lxw_error PutString(lxw_worksheet* ws, lxw_row_t r, lxw_col_t c, std::string_view stored, std::string_view shown,
                      lxw_format* f) {
    // An empty text makes a blank cell, which is written only with a format.
    if (stored.empty() && f == nullptr) return LXW_NO_ERROR;
    lxw_error e;
    if (stored.size() <= kLibraryTextLimit || lxw_utf8_strlen(stored.data()) <= kLibraryTextLimit) {
      e = worksheet_write_string(ws, r, c, stored.data(), f);
    } else {
      // Escaped past what the library takes: it is handed a stand-in, whose
      // place the whole text then takes.
      e = worksheet_write_string(ws, r, c, "_", f);
      if (e == LXW_NO_ERROR) e = ReplaceText(ws, r, c, INLINE_STRING_CELL, stored);
    }
    Took(e, stored.empty() ? kBlankItem : kTextItem, shown);
    return e;
  }

  // Puts text in place of what the library holds for the cell just written,
  // as its own copy.  The constant-memory mode keeps the open row's cells in
  // an array by column, and writes an inline text (escaping it for XML) or
  // a rich string's runs (as they are) only as the row is closed.  Should
  // the library's record not be as expected, the save fails naming the cell.
  lxw_error ReplaceText(lxw_worksheet* ws, lxw_row_t r, lxw_col_t c, cell_types type, std::string_view text) {
    lxw_cell* cell = ws->optimize && ws->array != nullptr ? ws->array[c] : nullptr;
    char* copy = nullptr;
    if (cell != nullptr && cell->row_num == r && cell->col_num == c && cell->type == type)
      copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy == nullptr) return CellFailed(r, c);
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    std::free(cell->u.string);
    cell->u.string = copy;
    return LXW_NO_ERROR;
  }

  // Keeps the name of the first cell whose text could not be written whole.
  lxw_error CellFailed(lxw_row_t r, lxw_col_t c) {
    if (fFailedCell.empty()) {
      char name[LXW_MAX_CELL_NAME_LENGTH];
      lxw_rowcol_to_cell(name, r, c);
      fFailedCell = fBook.SheetNameOf(static_cast<Int32>(fSheets.size())) + u"!" + Utf8ToString(std::string(name));
    }
    return LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED;
  }

  lxw_error PutBlank(lxw_worksheet* ws, lxw_row_t r, lxw_col_t c, lxw_format* f) {
    if (f == nullptr) return LXW_NO_ERROR;  // a blank cell with no format is not written
    const lxw_error e = worksheet_write_blank(ws, r, c, f);
    Took(e, kBlankItem, {});
    return e;
  }

  void Fill(lxw_format* f, const TFlxFormat& src, bool fontOnly) {
    const TFlxFormat def;
    const TFlxFont& font = src.Font;
    if (font.Name != def.Font.Name && !font.Name.empty())
      format_set_font_name(f, AttributeText(font.Name, kFormatFieldBytes).c_str());
    if (font.Size20 != def.Font.Size20 && font.Size20 > 0) format_set_font_size(f, font.Size20 / 20.0);
    if (HasColor(font.Color)) format_set_font_color(f, LxwColor(font.Color));
    if (font.Style & flx_Bold) format_set_bold(f);
    if (font.Style & flx_Italic) format_set_italic(f);
    if (font.Style & flx_Underline) format_set_underline(f, LXW_UNDERLINE_SINGLE);
    if (font.Style & flx_StrikeOut) format_set_font_strikeout(f);
    if (fontOnly) return;
    if (src.Format != def.Format && !src.Format.empty())
      format_set_num_format(f, AttributeText(src.Format, kFormatFieldBytes).c_str());
    // Patterns from 2 on follow the file's order of patterns from solid on.
    if (src.FillPattern.Pattern >= fps_Solid) {
      format_set_pattern(f, static_cast<uint8_t>(std::min<Int32>(src.FillPattern.Pattern - 1, LXW_PATTERN_GRAY_0625)));
      if (HasColor(src.FillPattern.FgColor)) format_set_fg_color(f, LxwColor(src.FillPattern.FgColor));
      if (HasColor(src.FillPattern.BgColor)) format_set_bg_color(f, LxwColor(src.FillPattern.BgColor));
    }
    auto border = [&](const TFlxOneBorder& b, void (*setStyle)(lxw_format*, uint8_t),
                      void (*setColor)(lxw_format*, lxw_color_t)) {
      if (b.Style == fbs_None) return;
      setStyle(f, std::min<uint8_t>(b.Style, fbs_Last));
      if (HasColor(b.Color)) setColor(f, LxwColor(b.Color));
    };
    border(src.Borders.Left, format_set_left, format_set_left_color);
    border(src.Borders.Right, format_set_right, format_set_right_color);
    border(src.Borders.Top, format_set_top, format_set_top_color);
    border(src.Borders.Bottom, format_set_bottom, format_set_bottom_color);
    switch (src.HAlignment) {
      case fha_left: format_set_align(f, LXW_ALIGN_LEFT); break;
      case fha_center: format_set_align(f, LXW_ALIGN_CENTER); break;
      case fha_right: format_set_align(f, LXW_ALIGN_RIGHT); break;
      default: break;
    }
    switch (src.VAlignment) {
      case fva_top: format_set_align(f, LXW_ALIGN_VERTICAL_TOP); break;
      case fva_center: format_set_align(f, LXW_ALIGN_VERTICAL_CENTER); break;
      default: break;  // bottom is what a cell does anyway
    }
  }

  // The library's format for a table index; none for the default format.
  lxw_format* Format(Int32 xf) {
    if (xf <= 0) return nullptr;
    lxw_format*& f = fByIndex[static_cast<size_t>(xf)];
    if (f == nullptr) {
      f = workbook_add_format(fOut);
      Fill(f, fBook.GetFormat(xf), false);
    }
    return f;
  }

  lxw_format* FontFormat(const TFlxFont& font) {
    auto it = fByFont.find(font);
    if (it != fByFont.end()) return it->second;
    lxw_format* f = workbook_add_format(fOut);
    TFlxFormat src;
    src.Font = font;
    Fill(f, src, true);
    fByFont.emplace(font, f);
    return f;
  }

  lxw_format* Derived(const TFlxFormat& format) {
    auto it = fDerived.find(format);
    if (it != fDerived.end()) return it->second;
    lxw_format* f = workbook_add_format(fOut);
    Fill(f, format, false);
    fDerived.emplace(format, f);
    return f;
  }

  // A rich string: its text whole, each run in its font.  Neighbouring runs
  // of one font are one run to the file.
  void WriteRich(lxw_worksheet* ws, lxw_row_t r, lxw_col_t c, const TRichString& rs, Int32 xf) {
    const std::vector<TRichPiece> pieces = RichPieces(rs);
    const std::string shown = LooseUtf8(rs.Value);
    if (pieces.size() < 2) {
      Note(PutString(ws, r, c, Escape(rs.Value), shown, Derived(OnePieceFormat(fBook, pieces, xf))));
      return;
    }
    std::vector<std::string> texts;
    std::vector<lxw_rich_string_tuple> tuples;
    for (const TRichPiece& p : pieces) {
      texts.push_back(Escape(rs.Value.substr(p.From, p.To - p.From)));
      tuples.push_back(lxw_rich_string_tuple{p.Font != nullptr ? FontFormat(*p.Font) : nullptr, nullptr});
    }
    for (size_t i = 0; i < texts.size(); ++i) tuples[i].string = texts[i].data();
    lxw_format* const cellFormat = Format(xf);
    lxw_error e = LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED;
    if (tuples.size() <= kMaxRichFragments) e = PutRich(ws, r, c, tuples, cellFormat);
    // Past the library's count of fragments or its limit (which counts the
    // runs' markup), the runs are written here.
    if (e == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED) e = PutRuns(ws, r, c, tuples, cellFormat);
    Took(e, kTextItem, shown);
    Note(e);
  }

  // The one way the library is handed a rich string: a count of fragments
  // it would loop over for ever, or refuse, is never passed on.
  static lxw_error PutRich(lxw_worksheet* ws, lxw_row_t r, lxw_col_t c, const std::vector<lxw_rich_string_tuple>& tuples,
                           lxw_format* f) {
    if (tuples.size() < kMinRichFragments || tuples.size() > kMaxRichFragments) return LXW_ERROR_PARAMETER_VALIDATION;
    std::vector<lxw_rich_string_tuple> own = tuples;
    std::vector<lxw_rich_string_tuple*> list;
    for (lxw_rich_string_tuple& t : own) list.push_back(&t);
    list.push_back(nullptr);
    return worksheet_write_rich_string(ws, r, c, list.data(), f);
  }

  // Writes the rich string's runs as the file stores them, each with the
  // properties the library writes for its format, and puts them in place of
  // a stand-in rich string the library takes for the cell.
  lxw_error PutRuns(lxw_worksheet* ws, lxw_row_t r, lxw_col_t c, const std::vector<lxw_rich_string_tuple>& tuples,
                    lxw_format* cellFormat) {
    std::string runs;
    for (const lxw_rich_string_tuple& t : tuples) {
      runs += "<r>";
      if (t.format != nullptr) {
        const std::string* props = RunProperties(ws, r, c, t.format, cellFormat);
        if (props == nullptr) return CellFailed(r, c);
        runs += *props;
      }
      runs += "<t xml:space=\"preserve\">";
      for (const char* p = t.string; *p != '\0'; ++p) {
        switch (*p) {
          case '&': runs += "&amp;"; break;
          case '<': runs += "&lt;"; break;
          case '>': runs += "&gt;"; break;
          default: runs += *p; break;
        }
      }
      runs += "</t></r>";
    }
    const lxw_error e = PutRich(ws, r, c, StandIn(nullptr), cellFormat);
    return e != LXW_NO_ERROR ? e : ReplaceText(ws, r, c, INLINE_RICH_STRING_CELL, runs);
  }

  // A rich string of two one-letter fragments, the second in format f.
  static std::vector<lxw_rich_string_tuple> StandIn(lxw_format* f) {
    static char first[] = "a", second[] = "b";
    return {lxw_rich_string_tuple{nullptr, first}, lxw_rich_string_tuple{f, second}};
  }

  // The run properties (<rPr>...</rPr>) the library writes for a format, as
  // it writes them for the second fragment of a stand-in written to the
  // cell; none when it writes something else.
  const std::string* RunProperties(lxw_worksheet* ws, lxw_row_t r, lxw_col_t c, lxw_format* f, lxw_format* cellFormat) {
    auto it = fRunProperties.find(f);
    if (it != fRunProperties.end()) return &it->second;
    if (PutRich(ws, r, c, StandIn(f), cellFormat) != LXW_NO_ERROR) return nullptr;
    const lxw_cell* cell = ws->optimize && ws->array != nullptr ? ws->array[c] : nullptr;
    if (cell == nullptr || cell->row_num != r || cell->col_num != c || cell->type != INLINE_RICH_STRING_CELL ||
        cell->u.string == nullptr)
      return nullptr;
    const std::string_view xml(cell->u.string), head("<r><t>a</t></r><r>"), tail("<t>b</t></r>");
    if (xml.size() < head.size() + tail.size() || !xml.starts_with(head) || !xml.ends_with(tail)) return nullptr;
    const std::string_view props = xml.substr(head.size(), xml.size() - head.size() - tail.size());
    if (!props.starts_with("<rPr>") || !props.ends_with("</rPr>")) return nullptr;
    return &fRunProperties.emplace(f, std::string(props)).first->second;
  }

  void WriteImage(lxw_worksheet* ws, const TXlsSheet& sheet, const TXlsImage& image) {
    const TClientAnchor& a = image.Properties.Anchor;
    auto colPx = [&](Int32 col) { return ColumnPixels(sheet.ColWidth(col)); };
    const Int32 x1 = static_cast<Int32>(std::lround(std::clamp(a.Dx1, 0, 1024) / 1024.0 * colPx(a.Col1)));
    const Int32 y1 = static_cast<Int32>(std::lround(std::clamp(a.Dy1, 0, 256) / 256.0 * RowPixels()));
    const Int32 x2 = static_cast<Int32>(std::lround(std::clamp(a.Dx2, 0, 1024) / 1024.0 * colPx(a.Col2)));
    const Int32 y2 = static_cast<Int32>(std::lround(std::clamp(a.Dy2, 0, 256) / 256.0 * RowPixels()));
    Int64 width = x2 - x1, height = y2 - y1;
    for (Int32 c = a.Col1; c < a.Col2; ++c) width += colPx(c);
    height += static_cast<Int64>(a.Row2 - a.Row1) * RowPixels();
    if (width <= 0 || height <= 0) return;  // an anchor with no room shows nothing
    // The library sizes a picture by its pixels at its resolution.
    const double nativeW = image.Info.Width * 96.0 / image.Info.DpiX;
    const double nativeH = image.Info.Height * 96.0 / image.Info.DpiY;
    lxw_image_options opt{};
    opt.x_offset = x1;
    opt.y_offset = y1;
    opt.x_scale = static_cast<double>(width) / nativeW;
    opt.y_scale = static_cast<double>(height) / nativeH;
    switch (a.AnchorType) {
      case 0:
      case 1: opt.object_position = LXW_OBJECT_MOVE_AND_SIZE; break;
      case 3: opt.object_position = LXW_OBJECT_DONT_MOVE_DONT_SIZE; break;
      default: opt.object_position = LXW_OBJECT_MOVE_DONT_SIZE; break;
    }
    std::string description = AttributeText(image.Properties.ShapeName);
    opt.description = description.data();
    // A picture the library refuses is left out, as an unreadable one is.
    (void)worksheet_insert_image_buffer_opt(ws, static_cast<lxw_row_t>(a.Row1 - 1), static_cast<lxw_col_t>(a.Col1 - 1),
                                            image.Data.data(), image.Data.size(), &opt);
  }

  void WriteSheet(const TXlsSheet& sheet) {
    lxw_worksheet* ws = workbook_add_worksheet(fOut, StringToUtf8(sheet.Name).c_str());
    if (ws == nullptr) {
      Note(LXW_ERROR_SHEETNAME_ALREADY_USED);
      return;
    }
    fSheets.push_back(ws);
    const Int32 sheetNo = static_cast<Int32>(fSheets.size());
    TSheetTally& tally = fTallies.emplace_back();
    // Columns: width and format.
    std::vector<Int32> colXF;
    for (const auto& [col, info] : sheet.Cols()) {
      if (info.Width < 0 && info.XF < 0) continue;
      const double width = info.Width < 0 ? LXW_DEF_COL_WIDTH : WidthInChars(info.Width);
      Note(worksheet_set_column(ws, static_cast<lxw_col_t>(col - 1), static_cast<lxw_col_t>(col - 1), width,
                                Format(info.XF)));
      if (info.XF >= 0) {
        if (colXF.size() <= static_cast<size_t>(col)) colXF.resize(static_cast<size_t>(col) + 1, -1);
        colXF[static_cast<size_t>(col)] = info.XF;
      }
    }
    for (const TXlsImage& image : sheet.Images()) WriteImage(ws, sheet, image);

    // Merges go in once the rows they cover are written and before any later
    // row is: the constant-memory mode takes a merge only while its last row
    // is still open.
    std::vector<TXlsCellRange> merges = sheet.Merges();
    std::stable_sort(merges.begin(), merges.end(),
                     [](const TXlsCellRange& a, const TXlsCellRange& b) { return a.Bottom < b.Bottom; });
    size_t nextMerge = 0;
    auto mergeUpTo = [&](Int32 row) {
      for (; nextMerge < merges.size() && merges[nextMerge].Bottom < row; ++nextMerge) {
        const TXlsCellRange& m = merges[nextMerge];
        const lxw_error e =
            worksheet_merge_range(ws, static_cast<lxw_row_t>(m.Top - 1), static_cast<lxw_col_t>(m.Left - 1),
                                  static_cast<lxw_row_t>(m.Bottom - 1), static_cast<lxw_col_t>(m.Right - 1), nullptr,
                                  nullptr);
        Note(e);
        if (e == LXW_NO_ERROR) {
          ++tally.Merges;
          tally.Sum += MergeHash(static_cast<Cardinal>(m.Top), static_cast<Cardinal>(m.Left),
                                 static_cast<Cardinal>(m.Bottom), static_cast<Cardinal>(m.Right));
        }
      }
    };

    std::string scratch;
    std::array<char, 48> digits;
    for (const TXlsRow& row : sheet.Rows()) {
      mergeUpTo(row.Row);
      const lxw_row_t r = static_cast<lxw_row_t>(row.Row - 1);
      // The row is written when it has a format of its own or a cell.
      bool rowWritten = false;
      if (row.XF >= 0) {
        const lxw_error e = worksheet_set_row(ws, r, LXW_DEF_ROW_HEIGHT, Format(row.XF));
        Note(e);
        rowWritten = e == LXW_NO_ERROR;
      }
      fRowNo = static_cast<Cardinal>(row.Row);
      for (const TXlsCell& cell : row.Cells) {
        const lxw_col_t c = static_cast<lxw_col_t>(cell.Col - 1);
        fColNo = cell.Col;
        Int32 xf = cell.XF;
        if (xf < 0) xf = row.XF;
        if (xf < 0 && cell.Col < colXF.size()) xf = colXF[cell.Col];
        lxw_format* f = Format(xf);
        switch (cell.Kind) {
          case cvNumber: {
            double v;
            std::memcpy(&v, &cell.Bits, sizeof v);
            if (std::isfinite(v)) {
              const lxw_error e = worksheet_write_number(ws, r, c, v, f);
              Note(e);
              if (e == LXW_NO_ERROR) Took(e, kNumberItem, NumberText(v, digits));
            } else {
              // The file has no form for these; the cell shows them as text.
              scratch = StringToUtf8(XlsNumberToText(v, u'.'));
              Note(PutString(ws, r, c, scratch, scratch, f));
            }
            break;
          }
          case cvString:
          case cvError: {
            const std::string_view text = sheet.Utf8Of(cell);
            if (NeedsEscape(text)) {
              scratch = Escape(Utf8ToString(text.data(), text.size()));
              Note(PutString(ws, r, c, scratch, text, f));
            } else {
              Note(PutString(ws, r, c, text, text, f));
            }
            break;
          }
          case cvBoolean: {
            const bool b = cell.Bits != 0;
            Took(Note(worksheet_write_boolean(ws, r, c, b, f)), kBooleanItem, b ? "1" : "0");
            break;
          }
          case cvRichString: WriteRich(ws, r, c, sheet.RichOf(cell), xf); break;
          default: Note(PutBlank(ws, r, c, f)); break;
        }
        if (fCellTaken) {
          fCellTaken = false;
          ++tally.Cells;
          tally.Sum += fCellHash;
          rowWritten = true;
        }
      }
      if (rowWritten) ++tally.Rows;
      if (fHook) fHook(sheetNo, row.Row, ws->optimize_tmpfile);
      if (fProgress && fLocale.Report(fProgress, 1)) throw TSaveStopped{};
    }
    mergeUpTo(xls_MaxRow + 1);
  }

  const TXlsWorkbook& fBook;
  lxw_workbook* fOut;
  const TXlsxRowFileHook fHook;
  const TXlsSaveProgress& fProgress;
  const TCLocale& fLocale;
  lxw_error fError = LXW_NO_ERROR;
  std::vector<lxw_worksheet*> fSheets;
  std::vector<TSheetTally> fTallies;
  Cardinal fRowNo = 0, fColNo = 0;  // the cell being written
  UInt64 fCellHash = 0;
  bool fCellTaken = false;
  std::vector<lxw_format*> fByIndex;
  std::unordered_map<TFlxFont, lxw_format*, TFontHash> fByFont;
  std::unordered_map<TFlxFormat, lxw_format*, TFormatHash> fDerived;
  std::unordered_map<lxw_format*, std::string> fRunProperties;  // see RunProperties
  String fFailedCell;  // the first cell whose text the library's record could not take
};

// The cell formats the file's format table will hold: the default one, each
// format that cells, rows and columns show, and for a rich string of one
// piece the cell's format in that piece's font.  A rich string of more
// pieces writes its runs' fonts inline with its text: they take no place in
// the table, whatever the number of such cells.
Int64 FormatsUsed(const TXlsWorkbook& book) {
  std::vector<bool> used(static_cast<size_t>(book.FormatCount()), false);
  std::unordered_set<TFlxFormat, TFormatHash> derived;
  auto use = [&](Int32 xf) {
    if (xf > 0) used[static_cast<size_t>(xf)] = true;
  };
  for (Int32 s = 1; s <= book.SheetCount(); ++s) {
    const TXlsSheet& sheet = book.SheetData(s);
    for (const auto& [col, info] : sheet.Cols()) use(info.XF);
    for (const TXlsRow& row : sheet.Rows()) {
      use(row.XF);
      for (const TXlsCell& c : row.Cells) {
        if (c.Kind != cvRichString) {
          use(c.XF);
          continue;
        }
        // The format the cell shows: its own, else its row's, else its column's.
        const Int32 xf = c.XF >= 0 ? c.XF : row.XF >= 0 ? row.XF : sheet.ColFormat(c.Col);
        const std::vector<TRichPiece> pieces = RichPieces(sheet.RichOf(c));
        if (pieces.size() < 2) {
          derived.insert(OnePieceFormat(book, pieces, xf));
        } else {
          use(c.XF);
        }
      }
    }
  }
  return 1 + std::count(used.begin(), used.end(), true) + static_cast<Int64>(derived.size());
}

// The most bytes the sheets' parts may take together (see kRowBytes), from
// their texts' bytes rather than only their number of cells.
Int64 PartBytesBound(const TXlsWorkbook& book) {
  Int64 bytes = 0;
  for (Int32 s = 1; s <= book.SheetCount(); ++s) {
    const TXlsSheet& sheet = book.SheetData(s);
    bytes += static_cast<Int64>(sheet.Rows().size()) * kRowBytes + sheet.CellCount() * kCellBytes +
             sheet.PoolBytes() * kUnitBytes;
    for (const TXlsRow& row : sheet.Rows())
      for (const TXlsCell& c : row.Cells)
        if (c.Kind == cvRichString)
          bytes += static_cast<Int64>(sheet.RichOf(c).Value.size()) * kUnitBytes +
                   static_cast<Int64>(sheet.RichOf(c).Runs.size()) * kRunBytes;
  }
  return bytes;
}

// Writes the workbook through libxlsxwriter into the file at path; gives
// what each sheet's part must hold.
std::vector<TSheetTally> WriteTo(const TXlsWorkbook& workbook, const String& fileName, const std::string& path,
                                 bool zip64, const TXlsSaveProgress& progress) {
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  options.tmpdir = nullptr;
  options.use_zip64 = zip64 ? LXW_TRUE : LXW_FALSE;
  // This thread writes in the "C" locale until the file is done.
  const TCLocale cLocale;
  lxw_workbook* out = workbook_new_opt(path.c_str(), &options);
  if (out == nullptr) throw EXlsError(u"Cannot save \"" + fileName + u"\": the spreadsheet writer cannot start");
  TWriter writer(workbook, out, progress, cLocale);
  int rowFileError = 0;
  try {
    writer.Run();
    rowFileError = writer.FlushRowFiles();
  } catch (const TSaveStopped&) {
    writer.Discard();
    RaiseStopped(fileName);
  } catch (...) {
    writer.Discard();
    throw;
  }
  if (rowFileError != 0) {
    writer.Discard();
    throw EXlsError(u"Cannot save \"" + fileName + u"\": the spreadsheet writer could not write its parts whole (" +
                    SysErrorMessage(rowFileError) + u")");
  }
  if (!writer.FailedCell().empty()) {
    writer.Discard();
    throw EXlsError(u"Cannot save \"" + fileName + u"\": the spreadsheet writer cannot take the text of cell " +
                    writer.FailedCell() + u" whole");
  }
  bool stopped = false;
  const lxw_error closed = CloseReporting(out, progress, cLocale, stopped);
  if (stopped) RaiseStopped(fileName);
  const lxw_error failed = writer.Error() != LXW_NO_ERROR ? writer.Error() : closed;
  if (failed != LXW_NO_ERROR)
    throw EXlsError(u"Cannot save \"" + fileName + u"\": " + Utf8ToString(std::string(lxw_strerror(failed))));
  return writer.Tallies();
}

// Counts, as a sheet part is scanned, what it holds (see TSheetTally): the
// <row> elements of its sheet data, the cells in them with their kind and
// value, and its merged ranges.  It is handed the part's elements and
// character data by the shape check; anything out of place (a cell outside
// a row, a reference that does not read, an unknown entity) makes it bad.
class TSheetCounter {
 public:
  void Open(std::string_view name, std::string_view attrs, bool empty) {
    if (fBad) return;
    switch (name.size()) {
      case 1:
        if (fInCell) {
          if (name[0] == 'v' || name[0] == 't') {
            fHasValue = true;
            fCapture = !empty;
            // A rich string's runs each have one: each is read on its own.
            Settle();
            fPartStart = fValue.size();
          }
        } else if (name[0] == 'c') {
          OpenCell(attrs, empty);
        }
        break;
      case 3:
        if (!fInCell && Is(name, "row")) {
          if (!fInData || fInRow) return Fail();
          ++fTally.Rows;
          fInRow = !empty;
        }
        break;
      case 5:
        if (Is(name, "sheet")) ++fSheetElements;
        break;
      case 9:
        if (Is(name, "sheetData")) {
          if (fInData) return Fail();
          fInData = !empty;
        } else if (Is(name, "mergeCell")) {
          OpenMerge(attrs);
        }
        break;
      default: break;
    }
  }

  void Close(std::string_view name) {
    if (fBad) return;
    if (name.size() == 1) {
      if (!fInCell) return;
      if (name[0] == 'v' || name[0] == 't') {
        if (fCapture) ReadPart(name[0] == 't');
        fCapture = false;
      } else if (name[0] == 'c') {
        EndCell();
      }
    } else if (name.size() == 3 && !fInCell && Is(name, "row")) {
      fInRow = false;
    } else if (name.size() == 9 && Is(name, "sheetData")) {
      fInData = false;
    }
  }

  // Character data of the part; it stays valid until Settle.
  void Text(const char* data, size_t size) {
    if (!fCapture || fBad) return;
    if (fView.data() == nullptr && fValue.empty()) {
      fView = std::string_view(data, size);  // most values come in one piece
      return;
    }
    Settle();
    if (fValue.size() + size > kMaxValueBytes) return Fail();
    fValue.append(data, size);
  }

  // Keeps what the character data handed over so far holds of the value
  // being read, before that data goes.
  void Settle() {
    if (fView.data() == nullptr) return;
    if (fView.size() > kMaxValueBytes) return Fail();
    fValue.assign(fView);
    fView = {};
  }

  bool Bad() const { return fBad; }
  const TSheetTally& Tally() const { return fTally; }
  // The <sheet> elements seen (the workbook part lists its sheets so).
  Int64 SheetElements() const { return fSheetElements; }

 private:
  // name is word, of the same length.
  template <size_t N>
  static bool Is(std::string_view name, const char (&word)[N]) {
    return std::memcmp(name.data(), word, N - 1) == 0;
  }

  void OpenCell(std::string_view attrs, bool empty) {
    if (!fInRow) return Fail();
    fType = kNumberItem;
    fHasValue = false;
    fValue.clear();
    fView = {};
    bool placed = false;
    for (TAttr a(attrs); a.Next();) {
      const std::string_view name = a.Name();
      if (name.size() != 1) continue;
      if (name[0] == 'r') {
        placed = ReadRef(a.Value(), fRow, fCol);
      } else if (name[0] == 't') {
        const std::string_view t = a.Value();
        fType = t == "n" ? kNumberItem : t == "b" ? kBooleanItem : t == "inlineStr" ? kTextItem : kOtherItem;
      }
    }
    if (!placed) return Fail();
    fInCell = true;
    if (empty) EndCell();
  }

  void OpenMerge(std::string_view attrs) {
    for (TAttr a(attrs); a.Next();) {
      if (a.Name() != "ref") continue;
      const std::string_view ref = a.Value();
      const size_t colon = ref.find(':');
      Cardinal top, left, bottom, right;
      if (!ReadRef(ref.substr(0, colon), top, left)) return Fail();
      if (colon == std::string_view::npos) {
        bottom = top, right = left;
      } else if (!ReadRef(ref.substr(colon + 1), bottom, right)) {
        return Fail();
      }
      ++fTally.Merges;
      fTally.Sum += MergeHash(top, left, bottom, right);
    }
  }

  // More than any value the writer makes takes as XML.
  static constexpr size_t kMaxValueBytes = size_t{1} << 22;

  // The attributes of a tag, as the shape check found them well formed.
  class TAttr {
   public:
    explicit TAttr(std::string_view text) : fText(text) {}
    bool Next() {
      const size_t n = fText.size();
      size_t i = fAt;
      while (i < n && IsBlank(fText[i])) ++i;
      const size_t name = i;
      while (i < n && fText[i] != '=' && !IsBlank(fText[i])) ++i;
      fName = fText.substr(name, i - name);
      while (i < n && fText[i] != '=') ++i;
      ++i;
      while (i < n && IsBlank(fText[i])) ++i;
      if (i >= n) return false;
      const char quote = fText[i];
      const size_t value = ++i;
      while (i < n && fText[i] != quote) ++i;
      if (i >= n) return false;
      fValue = fText.substr(value, i - value);
      fAt = i + 1;
      return true;
    }
    std::string_view Name() const { return fName; }
    std::string_view Value() const { return fValue; }

   private:
    static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    std::string_view fText, fName, fValue;
    size_t fAt = 0;
  };

  // A cell reference ("B12"): 1-based row and column.
  static bool ReadRef(std::string_view ref, Cardinal& row, Cardinal& col) {
    size_t i = 0;
    col = 0;
    for (; i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z' && i < 3; ++i) col = col * 26 + Cardinal(ref[i] - 'A' + 1);
    row = 0;
    const size_t digits = i;
    for (; i < ref.size() && ref[i] >= '0' && ref[i] <= '9' && i - digits < 7; ++i) row = row * 10 + Cardinal(ref[i] - '0');
    return i == ref.size() && digits > 0 && i > digits && col <= Cardinal(xls_MaxCol) && row >= 1 &&
           row <= Cardinal(xls_MaxRow);
  }

  // Reads the character data of the <t> or <v> just closed as a reader
  // does, in place: its entities, then, in a text, the "_xHHHH_" escapes.
  void ReadPart(bool text) {
    const std::string_view part = fView.data() != nullptr ? fView : std::string_view(fValue).substr(fPartStart);
    const bool entities = std::memchr(part.data(), '&', part.size()) != nullptr;
    const bool escapes = text && ::memmem(part.data(), part.size(), "_x", 2) != nullptr;
    if (!entities && !escapes) return;
    Settle();
    if (fBad || (entities && !Unescape(fPartStart))) return Fail();
    if (escapes) ReadEscapes(fPartStart);
  }

  // The escapes of fValue from from on turned into their characters, in
  // place (see LooseUtf8); a low surrogate after a high one, in this part or
  // the one before, makes one character with it, as in the text a reader
  // builds.
  void ReadEscapes(size_t from) {
    size_t out = from;
    for (size_t i = from; i < fValue.size();) {
      char32_t c = 0;
      bool escape = fValue[i] == '_' && i + 7 <= fValue.size() && fValue[i + 1] == 'x' && fValue[i + 6] == '_';
      for (size_t k = i + 2; escape && k < i + 6; ++k) {
        const char d = fValue[k];
        escape = IsHex(Unit(d));
        c = c * 16 + static_cast<char32_t>(d <= '9' ? d - '0' : (d | 0x20) - 'a' + 10);
      }
      if (!escape) {
        fValue[out++] = fValue[i++];
        continue;
      }
      i += 7;
      if (c >= 0xDC00 && c <= 0xDFFF && out >= 3 && static_cast<unsigned char>(fValue[out - 3]) == 0xED &&
          (static_cast<unsigned char>(fValue[out - 2]) & 0xF0) == 0xA0) {
        const char32_t high = 0xD000 | ((fValue[out - 2] & 0x3F) << 6) | (fValue[out - 1] & 0x3F);
        c = 0x10000 + ((high - 0xD800) << 10) + (c - 0xDC00);
        out -= 3;
      }
      std::string utf8;
      AppendUtf8(utf8, c);
      // Never longer than the escape it replaces.
      std::memcpy(&fValue[out], utf8.data(), utf8.size());
      out += utf8.size();
    }
    fValue.resize(out);
  }

  // The entities of fValue from from on read, in place.
  bool Unescape(size_t from) {
    size_t out = from;
    for (size_t i = from; i < fValue.size();) {
      if (fValue[i] != '&') {
        fValue[out++] = fValue[i++];
        continue;
      }
      const size_t semi = fValue.find(';', i);
      if (semi == std::string::npos || semi - i > 12) return false;
      const std::string_view e(fValue.data() + i + 1, semi - i - 1);
      char32_t c = 0;
      if (e == "amp") c = '&';
      else if (e == "lt") c = '<';
      else if (e == "gt") c = '>';
      else if (e == "quot") c = '"';
      else if (e == "apos") c = '\'';
      else if (e.size() > 1 && e[0] == '#') {
        const bool hex = e[1] == 'x';
        const std::string_view num = e.substr(hex ? 2 : 1);
        unsigned v = 0;
        const auto [end, ec] = std::from_chars(num.data(), num.data() + num.size(), v, hex ? 16 : 10);
        if (ec != std::errc() || end != num.data() + num.size() || num.empty() || v == 0 || v > 0x10FFFF ||
            (v >= 0xD800 && v <= 0xDFFF))
          return false;
        c = v;
      } else {
        return false;
      }
      std::string utf8;
      AppendUtf8(utf8, c);
      // A reference is never shorter than the character it names.
      std::memcpy(&fValue[out], utf8.data(), utf8.size());
      out += utf8.size();
      i = semi + 1;
    }
    fValue.resize(out);
    return true;
  }

  void EndCell() {
    fInCell = fCapture = false;
    if (fBad) return;
    const std::string_view value = fView.data() != nullptr ? fView : std::string_view(fValue);
    char kind = fType;
    if (kind == kNumberItem && !fHasValue) kind = kBlankItem;
    ++fTally.Cells;
    fTally.Sum += ItemHash(fRow, fCol, kind, value);
    fView = {};
  }

  void Fail() { fBad = true; }

  TSheetTally fTally;
  Int64 fSheetElements = 0;
  std::string_view fView;  // the value being read, while it lies in the data handed over
  std::string fValue;      // else the value being read
  size_t fPartStart = 0;   // where the <t> or <v> being read starts in it
  Cardinal fRow = 0, fCol = 0;
  char fType = kNumberItem;
  bool fInData = false, fInRow = false, fInCell = false, fCapture = false, fHasValue = false, fBad = false;
};

// Checks, a piece at a time, that a part the writer made is shaped as XML:
// declarations, comments and character data where they may stand, every tag
// closed in order, attributes quoted, one root element and nothing but blanks
// after it.  A part cut short or with a piece missing fails it.  It checks the
// shape only, not the characters or entities: the text is the writer's own,
// and what can go wrong is that some of it never arrived.
class TXmlShapeCheck {
 public:
  // counter, when given, is handed the part's elements and character data.
  explicit TXmlShapeCheck(TSheetCounter* counter = nullptr) : fCounter(counter) {}

  // False once the part is known to be malformed.
  bool Feed(const char* data, size_t size) {
    if (fBad) return false;
    bool ok;
    std::string text;
    if (fCarry.empty()) {
      ok = Scan(data, size, false);
    } else {
      fCarry.append(data, size);
      text.swap(fCarry);
      ok = Scan(text.data(), text.size(), false);
    }
    // The counter keeps what it needs of the piece before the piece goes.
    if (fCounter != nullptr) fCounter->Settle();
    return ok;
  }
  // The end of the part: true when it was whole.
  bool Finish() {
    if (fBad) return false;
    std::string text;
    text.swap(fCarry);
    const bool ok = Scan(text.data(), text.size(), true) && fRootDone;
    if (fCounter != nullptr) fCounter->Settle();
    return ok;
  }

 private:
  static bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
  // The bytes that end a name.
  static constexpr std::array<bool, 256> kNameEnd = [] {
    std::array<bool, 256> t{};
    for (const unsigned char c : std::string_view(" \t\r\n<>/=\"'?!")) t[c] = true;
    return t;
  }();
  static bool NameChar(char c) { return !kNameEnd[static_cast<unsigned char>(c)]; }
  bool Open() const { return !fEnds.empty(); }
  bool TopIs(std::string_view name) const {
    const size_t from = fEnds.size() > 1 ? fEnds[fEnds.size() - 2] : 0;
    return fEnds.back() - from == name.size() && std::memcmp(fNames.data() + from, name.data(), name.size()) == 0;
  }
  void Push(std::string_view name) {
    const size_t at = fEnds.empty() ? 0 : fEnds.back();
    if (fNames.size() < at + name.size()) fNames.resize(2 * (at + name.size()));
    std::memcpy(fNames.data() + at, name.data(), name.size());
    fEnds.push_back(at + name.size());
  }
  void Pop() { fEnds.pop_back(); }

  enum class TStep { done, more, bad };

  bool Fail() {
    fBad = true;
    return false;
  }

  // Scans complete tokens; an unfinished tag at the end waits for the next
  // piece (or fails at the end of the part).
  bool Scan(const char* p, size_t n, bool last) {
    size_t i = 0;
    while (i < n) {
      const char* lt = static_cast<const char*>(std::memchr(p + i, '<', n - i));
      const size_t textEnd = lt == nullptr ? n : static_cast<size_t>(lt - p);
      // Character data stands only inside the root element.
      if (!Open()) {
        for (size_t k = i; k < textEnd; ++k)
          if (!Blank(p[k])) return Fail();
      } else if (fCounter != nullptr && textEnd > i) {
        fCounter->Text(p + i, textEnd - i);
      }
      if (lt == nullptr) return true;
      size_t next = 0;
      const TStep step = Markup(p, n, textEnd, next);
      if (step == TStep::bad) return Fail();
      if (step == TStep::more) {
        if (last) return Fail();
        fCarry.assign(p + textEnd, n - textEnd);
        return true;
      }
      i = next;
    }
    return true;
  }

  // The token at p[at] ('<'): its end in next.
  TStep Markup(const char* p, size_t n, size_t at, size_t& next) {
    const auto skipTo = [&](size_t from, const char* close, size_t closeLen) {
      const void* hit = ::memmem(p + from, n - std::min(n, from), close, closeLen);
      if (hit == nullptr) return TStep::more;
      next = static_cast<size_t>(static_cast<const char*>(hit) - p) + closeLen;
      return TStep::done;
    };
    if (at + 1 >= n) return TStep::more;
    const char c = p[at + 1];
    if (c == '?') return fRootSeen ? TStep::bad : skipTo(at + 2, "?>", 2);
    if (c == '!') {
      if (n - at < 9) return TStep::more;
      if (std::memcmp(p + at, "<!--", 4) == 0) return skipTo(at + 4, "-->", 3);
      if (std::memcmp(p + at, "<![CDATA[", 9) == 0) return Open() ? skipTo(at + 9, "]]>", 3) : TStep::bad;
      return TStep::bad;  // no document type in a part
    }
    size_t i = at + 1;
    const bool closing = c == '/';
    if (closing) ++i;
    const size_t nameStart = i;
    while (i < n && NameChar(p[i])) ++i;
    if (i >= n) return TStep::more;
    if (i == nameStart) return TStep::bad;
    const std::string_view name(p + nameStart, i - nameStart);
    if (closing) {
      while (i < n && Blank(p[i])) ++i;
      if (i >= n) return TStep::more;
      if (p[i] != '>' || !Open() || !TopIs(name)) return TStep::bad;
      Pop();
      if (fCounter != nullptr) fCounter->Close(name);
      if (!Open()) fRootDone = true;
      next = i + 1;
      return TStep::done;
    }
    if (fRootDone && !Open()) return TStep::bad;  // a second root
    for (;;) {
      const size_t before = i;
      while (i < n && Blank(p[i])) ++i;
      if (i >= n) return TStep::more;
      if (p[i] == '>' || p[i] == '/') {
        const std::string_view attrs(p + nameStart + name.size(), i - nameStart - name.size());
        const bool empty = p[i] == '/';
        if (empty) {
          if (i + 1 >= n) return TStep::more;
          if (p[i + 1] != '>') return TStep::bad;
          ++i;
          if (!Open()) fRootDone = true;
        } else {
          Push(name);
        }
        if (fCounter != nullptr) fCounter->Open(name, attrs, empty);
        fRootSeen = true;
        next = i + 1;
        return TStep::done;
      }
      // An attribute: blanks before it, a name, "=", a quoted value without "<".
      if (i == before) return TStep::bad;
      const size_t attrStart = i;
      while (i < n && NameChar(p[i])) ++i;
      if (i >= n) return TStep::more;
      if (i == attrStart) return TStep::bad;
      while (i < n && Blank(p[i])) ++i;
      if (i >= n) return TStep::more;
      if (p[i] != '=') return TStep::bad;
      ++i;
      while (i < n && Blank(p[i])) ++i;
      if (i >= n) return TStep::more;
      const char quote = p[i];
      if (quote != '"' && quote != '\'') return TStep::bad;
      ++i;
      const char* end = static_cast<const char*>(std::memchr(p + i, quote, n - i));
      if (std::memchr(p + i, '<', static_cast<size_t>((end == nullptr ? p + n : end) - (p + i))) != nullptr)
        return TStep::bad;
      if (end == nullptr) return TStep::more;
      i = static_cast<size_t>(end - p) + 1;
    }
  }

  TSheetCounter* const fCounter;
  std::string fCarry;
  std::vector<char> fNames;    // the open elements' names, one after another
  std::vector<size_t> fEnds;   // where each name ends in fNames
  bool fRootSeen = false;
  bool fRootDone = false;
  bool fBad = false;
};

// Reads the finished package at path back before it takes the target's place.
// In constant-memory mode libxlsxwriter writes each part through a temporary
// file and checks neither the writes nor their reading back, so a full or
// failing temporary folder gives a package with parts cut short or empty
// while the library reports success, and the checksums of the package's
// members are taken over what the library read back, right or not.  Each
// member must inflate whole to its stated size and checksum, each XML part
// must be shaped as XML, the workbook part must list every sheet, and each
// sheet's part must hold what was handed over for it (tallies, in the order
// of the sheets).
void CheckPackage(const std::string& path, const String& fileName, const std::vector<TSheetTally>& tallies,
                  const TXlsSaveProgress& progress) {
  const String failed =
      u"Cannot save \"" + fileName + u"\": the spreadsheet writer could not write its parts whole (";
  const String sheetPart = u"xl/worksheets/sheet";
  std::vector<bool> seen(tallies.size(), false);
  bool sheetsListed = false;
  TZipFile zip;
  // The package is this process's own file, locked while it is written: it
  // is read without waiting for that lock.
  zip.LockWait = 0;
  try {
    zip.Open(Utf8ToString(path), zmRead);
    if (zip.FileCount() == 0) throw EXlsError(failed + u"the package is empty)");
    for (Int32 i = 0; i < zip.FileCount(); ++i) {
      const String name = zip.FileName(i);
      const bool xml = EndsStr(u".xml", name) || EndsStr(u".rels", name) || EndsStr(u".vml", name);
      // The number of the sheet whose part this is (sheet<n>.xml), else 0.
      size_t sheet = 0;
      if (StartsStr(sheetPart, name) && EndsStr(u".xml", name)) {
        const String digits = name.substr(sheetPart.size(), name.size() - sheetPart.size() - 4);
        for (const Char d : digits) sheet = d >= u'0' && d <= u'9' && sheet <= tallies.size() ? sheet * 10 + (d - u'0') : SIZE_MAX;
        if (sheet == 0 || sheet > tallies.size() || seen[sheet - 1]) throw EXlsError(failed + name + u")");
      }
      const bool workbookPart = name == u"xl/workbook.xml";
      TSheetCounter counter;
      TXmlShapeCheck check(sheet > 0 || workbookPart ? &counter : nullptr);
      bool whole = true;
      zip.ReadInPieces(
          i,
          [&](const Byte* data, size_t size) {
            if (xml && whole) whole = check.Feed(reinterpret_cast<const char*>(data), size);
            if (progress && progress(kXlsxCoarseStep)) RaiseStopped(fileName);
          },
          size_t{1} << 18);
      if (xml && !(whole && check.Finish())) throw EXlsError(failed + name + u")");
      if (sheet > 0) {
        if (counter.Bad() || !(counter.Tally() == tallies[sheet - 1])) throw EXlsError(failed + name + u")");
        seen[sheet - 1] = true;
      }
      if (workbookPart) {
        if (counter.SheetElements() != static_cast<Int64>(tallies.size())) throw EXlsError(failed + name + u")");
        sheetsListed = true;
      }
    }
  } catch (const EZipException& e) {
    throw EXlsError(failed + e.Message() + u")");
  }
  if (!sheetsListed) throw EXlsError(failed + u"xl/workbook.xml)");
  for (size_t k = 0; k < seen.size(); ++k)
    if (!seen[k]) throw EXlsError(failed + sheetPart + Utf8ToString(std::to_string(k + 1)) + u".xml)");
}

// Appends the whole of the file at path to the stream.
void CopyInto(const std::string& path, TStream& to, const String& fileName, const TXlsSaveProgress& progress) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw EXlsError(u"Cannot save \"" + fileName + u"\": " + SysErrorMessage(errno));
  std::vector<char> buf(1 << 16);
  for (;;) {
    const ssize_t n = ::read(fd, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || to.Write(buf.data(), n) != n) {
      const int err = n < 0 ? errno : 0;
      ::close(fd);
      if (n == 0) return;
      throw EXlsError(u"Cannot save \"" + fileName + u"\": " + SysErrorMessage(err != 0 ? err : EIO));
    }
    if (progress && progress(kXlsxCoarseStep)) {
      ::close(fd);
      RaiseStopped(fileName);
    }
  }
}

}  // namespace

TXlsxRowFileHook SetXlsxRowFileHook(TXlsxRowFileHook hook) {
  TXlsxRowFileHook previous = std::move(RowFileHook());
  RowFileHook() = std::move(hook);
  return previous;
}

void WriteXlsx(const TXlsWorkbook& workbook, const String& fileName, const TXlsSaveProgress& progress) {
  if (FormatsUsed(workbook) > xls_MaxFormats)
    throw EXlsError(u"Cannot save \"" + fileName + u"\": the workbook uses more cell formats than a file can hold");
  Int64 merged = 0;
  for (Int32 s = 1; s <= workbook.SheetCount(); ++s) {
    for (const TXlsCellRange& m : workbook.SheetData(s).Merges())
      merged += Int64{m.Bottom - m.Top + 1} * (m.Right - m.Left + 1);
  }
  // The library visits every cell of a merged range as it writes it: ranges
  // over billions of cells would never be written.
  if (merged > kMaxMergedCells)
    throw EXlsError(u"Cannot save \"" + fileName +
                    u"\": the merged ranges cover more cells than the file writer can take");

  const bool zip64 = PartBytesBound(workbook) > kZip32Bytes;

  // The workbook goes to a replacement of the target, which takes the
  // target's place only once complete.
  TFileReplaceStream out(fileName);
  if (!out.Ok()) throw EXlsError(u"Cannot save \"" + fileName + u"\": " + out.ErrorText());
  // libxlsxwriter writes to a file it opens by name: the replacement's own
  // name under /proc where there is one, else a private file that is then
  // copied in.
  const std::string own = "/proc/self/fd/" + std::to_string(out.Handle());
  if (::access(own.c_str(), W_OK) == 0) {
    CheckPackage(own, fileName, WriteTo(workbook, fileName, own, zip64, progress), progress);
  } else {
    std::string temp = (std::filesystem::temp_directory_path() / "sk_xlsx_XXXXXX").string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) throw EXlsError(u"Cannot save \"" + fileName + u"\": " + SysErrorMessage(errno));
    ::close(fd);
    struct TRemove {
      const std::string& path;
      ~TRemove() { ::unlink(path.c_str()); }
    } remove{temp};
    CheckPackage(temp, fileName, WriteTo(workbook, fileName, temp, zip64, progress), progress);
    CopyInto(temp, out, fileName, progress);
  }
  if (!out.Commit()) throw EXlsError(u"Cannot save \"" + fileName + u"\": " + out.ErrorText());
}

}  // namespace sk
