#include "platform/spreadsheet/XlsxWriter.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/runtime/FileReplace.h"
#include "platform/runtime/OSError.h"
#include "platform/spreadsheet/XlsWorkbook.h"

namespace sk {

namespace {

// Past this many cells the archive may pass 4 GB and needs zip64.
constexpr Int64 kZip64Cells = 30'000'000;

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

// Text as the file stores it: a literal "_xHHHH_" would read back as the
// character it names, so its underscore is written as "_x005F_"; a zero
// character becomes "_x0000_" (the library escapes the other controls).
bool NeedsEscape(std::string_view s) {
  if (std::memchr(s.data(), 0, s.size()) != nullptr) return true;
  for (size_t p = s.find("_x"); p != std::string_view::npos; p = s.find("_x", p + 1)) {
    if (p + 7 > s.size() || s[p + 6] != '_') continue;
    bool hex = true;
    for (size_t k = p + 2; k < p + 6; ++k) hex = hex && std::isxdigit(static_cast<unsigned char>(s[k]));
    if (hex) return true;
  }
  return false;
}

std::string Escape(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\0') {
      out += "_x0000_";
      continue;
    }
    if (s[i] == '_' && i + 7 <= s.size() && s[i + 1] == 'x' && s[i + 6] == '_') {
      bool hex = true;
      for (size_t k = i + 2; k < i + 6; ++k) hex = hex && std::isxdigit(static_cast<unsigned char>(s[k]));
      if (hex) {
        out += "_x005F_";
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

size_t CodePoints(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

// The escaped text, its original cut further when escaping took it past the
// longest text a cell holds.
std::string EscapeWithin(std::string_view s) {
  std::string out = Escape(s);
  while (CodePoints(out) > static_cast<size_t>(xls_MaxTextLength)) {
    size_t cut = s.size() - std::min(s.size(), CodePoints(out) - static_cast<size_t>(xls_MaxTextLength));
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
    s = s.substr(0, cut);
    out = Escape(s);
  }
  return out;
}

struct TFontHash {
  size_t operator()(const TFlxFont& f) const { return HashOf(f); }
};
struct TFormatHash {
  size_t operator()(const TFlxFormat& f) const { return HashOf(f); }
};

class TWriter {
 public:
  TWriter(const TXlsWorkbook& book, lxw_workbook* out) : fBook(book), fOut(out) {
    fByIndex.assign(static_cast<size_t>(book.FormatCount()), nullptr);
  }

  void Run() {
    for (Int32 s = 1; s <= fBook.SheetCount(); ++s) WriteSheet(fBook.SheetData(s));
  }

  lxw_error Error() const { return fError; }

 private:
  void Note(lxw_error e) {
    if (e != LXW_NO_ERROR && fError == LXW_NO_ERROR) fError = e;
  }

  void Fill(lxw_format* f, const TFlxFormat& src, bool fontOnly) {
    const TFlxFormat def;
    const TFlxFont& font = src.Font;
    if (font.Name != def.Font.Name && !font.Name.empty()) format_set_font_name(f, StringToUtf8(font.Name).c_str());
    if (font.Size20 != def.Font.Size20 && font.Size20 > 0) format_set_font_size(f, font.Size20 / 20.0);
    if (HasColor(font.Color)) format_set_font_color(f, LxwColor(font.Color));
    if (font.Style & flx_Bold) format_set_bold(f);
    if (font.Style & flx_Italic) format_set_italic(f);
    if (font.Style & flx_Underline) format_set_underline(f, LXW_UNDERLINE_SINGLE);
    if (font.Style & flx_StrikeOut) format_set_font_strikeout(f);
    if (fontOnly) return;
    if (src.Format != def.Format && !src.Format.empty()) format_set_num_format(f, StringToUtf8(src.Format).c_str());
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

  void WriteRich(lxw_worksheet* ws, lxw_row_t r, lxw_col_t c, const TRichString& rs, Int32 xf) {
    std::vector<std::string> texts;
    std::vector<lxw_format*> formats;
    auto piece = [&](size_t from, size_t to, lxw_format* f) {
      if (to > from) {
        texts.push_back(EscapeWithin(StringToUtf8(rs.Value.substr(from, to - from))));
        formats.push_back(f);
      }
    };
    if (!rs.Runs.empty()) piece(0, static_cast<size_t>(rs.Runs[0].FirstChar), nullptr);
    for (size_t i = 0; i < rs.Runs.size(); ++i) {
      const size_t to = i + 1 < rs.Runs.size() ? static_cast<size_t>(rs.Runs[i + 1].FirstChar) : rs.Value.size();
      piece(static_cast<size_t>(rs.Runs[i].FirstChar), to, FontFormat(rs.Runs[i].Font));
    }
    if (texts.size() < 2) {
      // One run alone is not a rich string to the file: the cell takes the
      // run's font instead.
      TFlxFormat f = fBook.GetFormat(std::max(xf, 0));
      if (!rs.Runs.empty()) f.Font = rs.Runs[0].Font;
      const std::string text = EscapeWithin(StringToUtf8(rs.Value));
      Note(worksheet_write_string(ws, r, c, text.c_str(), Derived(f)));
      return;
    }
    std::vector<lxw_rich_string_tuple> tuples(texts.size());
    std::vector<lxw_rich_string_tuple*> list;
    for (size_t i = 0; i < texts.size(); ++i) {
      tuples[i].format = formats[i];
      tuples[i].string = texts[i].data();
      list.push_back(&tuples[i]);
    }
    list.push_back(nullptr);
    Note(worksheet_write_rich_string(ws, r, c, list.data(), Format(xf)));
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
    std::string description = StringToUtf8(image.Properties.ShapeName);
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
        Note(worksheet_merge_range(ws, static_cast<lxw_row_t>(m.Top - 1), static_cast<lxw_col_t>(m.Left - 1),
                                   static_cast<lxw_row_t>(m.Bottom - 1), static_cast<lxw_col_t>(m.Right - 1), nullptr,
                                   nullptr));
      }
    };

    std::string scratch;
    for (const TXlsRow& row : sheet.Rows()) {
      mergeUpTo(row.Row);
      const lxw_row_t r = static_cast<lxw_row_t>(row.Row - 1);
      if (row.XF >= 0) Note(worksheet_set_row(ws, r, LXW_DEF_ROW_HEIGHT, Format(row.XF)));
      for (const TXlsCell& cell : row.Cells) {
        const lxw_col_t c = static_cast<lxw_col_t>(cell.Col - 1);
        Int32 xf = cell.XF;
        if (xf < 0) xf = row.XF;
        if (xf < 0 && cell.Col < colXF.size()) xf = colXF[cell.Col];
        lxw_format* f = Format(xf);
        switch (cell.Kind) {
          case cvNumber: {
            double v;
            std::memcpy(&v, &cell.Bits, sizeof v);
            if (std::isfinite(v)) {
              Note(worksheet_write_number(ws, r, c, v, f));
            } else {
              // The file has no form for these; the cell shows them as text.
              scratch = StringToUtf8(XlsNumberToText(v, u'.'));
              Note(worksheet_write_string(ws, r, c, scratch.c_str(), f));
            }
            break;
          }
          case cvString:
          case cvError: {
            const std::string_view text = sheet.Utf8Of(cell);
            if (NeedsEscape(text)) {
              scratch = EscapeWithin(text);
              Note(worksheet_write_string(ws, r, c, scratch.c_str(), f));
            } else if (text.empty()) {
              if (f != nullptr) Note(worksheet_write_blank(ws, r, c, f));
            } else {
              Note(worksheet_write_string(ws, r, c, text.data(), f));
            }
            break;
          }
          case cvBoolean: Note(worksheet_write_boolean(ws, r, c, cell.Bits != 0, f)); break;
          case cvRichString: WriteRich(ws, r, c, sheet.RichOf(cell), xf); break;
          default:
            if (f != nullptr) Note(worksheet_write_blank(ws, r, c, f));
            break;
        }
      }
    }
    mergeUpTo(xls_MaxRow + 1);
  }

  const TXlsWorkbook& fBook;
  lxw_workbook* fOut;
  lxw_error fError = LXW_NO_ERROR;
  std::vector<lxw_format*> fByIndex;
  std::unordered_map<TFlxFont, lxw_format*, TFontHash> fByFont;
  std::unordered_map<TFlxFormat, lxw_format*, TFormatHash> fDerived;
};

// Distinct formats the file will need: those cells, rows and columns use,
// and the fonts of rich-string runs.
Int64 FormatsUsed(const TXlsWorkbook& book) {
  std::vector<bool> used(static_cast<size_t>(book.FormatCount()), false);
  Int64 extra = 0;
  for (Int32 s = 1; s <= book.SheetCount(); ++s) {
    const TXlsSheet& sheet = book.SheetData(s);
    for (const auto& [col, info] : sheet.Cols())
      if (info.XF >= 0) used[static_cast<size_t>(info.XF)] = true;
    for (const TXlsRow& row : sheet.Rows()) {
      if (row.XF >= 0) used[static_cast<size_t>(row.XF)] = true;
      for (const TXlsCell& c : row.Cells) {
        if (c.XF >= 0) used[static_cast<size_t>(c.XF)] = true;
        if (c.Kind == cvRichString) extra += std::max<Int64>(1, static_cast<Int64>(sheet.RichOf(c).Runs.size()));
      }
    }
  }
  return std::count(used.begin(), used.end(), true) + extra;
}

// Writes the workbook through libxlsxwriter into the file at path.
void WriteTo(const TXlsWorkbook& workbook, const String& fileName, const std::string& path, Int64 cells) {
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  options.tmpdir = nullptr;
  options.use_zip64 = cells > kZip64Cells ? LXW_TRUE : LXW_FALSE;
  lxw_workbook* out = workbook_new_opt(path.c_str(), &options);
  if (out == nullptr) throw EXlsError(u"Cannot save \"" + fileName + u"\": the spreadsheet writer cannot start");
  TWriter writer(workbook, out);
  try {
    writer.Run();
  } catch (...) {
    lxw_workbook_free(out);
    throw;
  }
  const lxw_error closed = workbook_close(out);
  const lxw_error failed = writer.Error() != LXW_NO_ERROR ? writer.Error() : closed;
  if (failed != LXW_NO_ERROR)
    throw EXlsError(u"Cannot save \"" + fileName + u"\": " + Utf8ToString(std::string(lxw_strerror(failed))));
}

// Appends the whole of the file at path to the stream.
void CopyInto(const std::string& path, TStream& to, const String& fileName) {
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
  }
}

}  // namespace

void WriteXlsx(const TXlsWorkbook& workbook, const String& fileName) {
  if (FormatsUsed(workbook) > xls_MaxFormats)
    throw EXlsError(u"Cannot save \"" + fileName + u"\": the workbook uses more cell formats than a file can hold");
  Int64 cells = 0;
  for (Int32 s = 1; s <= workbook.SheetCount(); ++s) cells += workbook.SheetData(s).CellCount();

  // The workbook goes to a replacement of the target, which takes the
  // target's place only once complete.
  TFileReplaceStream out(fileName);
  if (!out.Ok()) throw EXlsError(u"Cannot save \"" + fileName + u"\": " + SysErrorMessage(out.LastError()));
  // libxlsxwriter writes to a file it opens by name: the replacement's own
  // name under /proc where there is one, else a private file that is then
  // copied in.
  const std::string own = "/proc/self/fd/" + std::to_string(out.Handle());
  if (::access(own.c_str(), W_OK) == 0) {
    WriteTo(workbook, fileName, own, cells);
  } else {
    std::string temp = (std::filesystem::temp_directory_path() / "sk_xlsx_XXXXXX").string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) throw EXlsError(u"Cannot save \"" + fileName + u"\": " + SysErrorMessage(errno));
    ::close(fd);
    struct TRemove {
      const std::string& path;
      ~TRemove() { ::unlink(path.c_str()); }
    } remove{temp};
    WriteTo(workbook, fileName, temp, cells);
    CopyInto(temp, out, fileName);
  }
  if (!out.Commit()) throw EXlsError(u"Cannot save \"" + fileName + u"\": " + SysErrorMessage(out.LastError()));
}

}  // namespace sk
