// Workbooks written by the workbook layer, saved and read back by its reader.
//
// The input is a list of steps: cells of every kind (texts of any UTF-16
// units, numbers of any bits, booleans, errors, rich strings with runs),
// sheets and their names, formats (font names and number formats of any
// text), column widths and merges.  The workbook is saved, and then either
// the save refused it with an error that says what (an EXlsError with a
// message), or every part of the file is well-formed XML and the layer's
// reader gives back each sheet's name and each cell's value as the workbook
// held them.  Texts whose escaped form passes a cell's limit come back as a
// beginning of themselves.
#include <expat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/runtime/ZipReader.h"
#include "platform/spreadsheet/XlsWorkbook.h"
#include "support/FuzzSupport.h"

using namespace sk;
using sk::fuzz::Input;
using sk::fuzz::ScratchFiles;

namespace {

enum Step : uint8_t {
  kText,
  kNumber,
  kBoolean,
  kError,
  kRich,
  kSheetName,
  kSheet,
  kFormat,
  kWidth,
  kMerge,
  kClear,
  kStepCount
};

// Cells mostly near the top left, now and then anywhere in the sheet.
Int32 Row(Input& in) {
  const uint8_t b = in.Byte();
  return b < 250 ? b % 40 + 1 : static_cast<Int32>(in.Cardinal() % static_cast<uint32_t>(xls_MaxRow)) + 1;
}

Int32 Col(Input& in) {
  const uint8_t b = in.Byte();
  return b < 250 ? b % 12 + 1 : static_cast<Int32>(in.Word() % static_cast<uint32_t>(xls_MaxCol)) + 1;
}

// A text of UTF-16 units: a length, then the units.  Lengths now and then
// run to tens of thousands by repeating what the input gives.
String Text(Input& in) {
  const uint8_t n = in.Byte();
  String s = Input::Text(in.Bytes(static_cast<size_t>(n) * 2), true);
  if (in.Byte() == 0xFF && !s.empty()) {
    const size_t times = 1 + in.Word() % 40000 / s.size();
    String r;
    for (size_t i = 0; i < times; ++i) r += s;
    s = r;
  }
  return s;
}

TFlxFont Font(Input& in) {
  TFlxFont f;
  const uint8_t how = in.Byte();
  f.Style = static_cast<TFlxFontStyleSet>(how & 0x0F);
  if (how & 0x10) f.Name = Text(in).substr(0, 40);
  if (how & 0x20) f.Size20 = in.Word() % 8000 + 1;
  if (how & 0x40) f.Color = TExcelColor::FromColor(static_cast<TColor>(in.Cardinal() & 0xFFFFFF));
  return f;
}

// Checks that each member of the saved file is well-formed XML (pictures and
// other binary members aside).
void CheckWellFormed(const String& file) {
  TZipFile zip;
  zip.Open(file, zmRead);
  for (Int32 i = 0; i < zip.FileCount(); ++i) {
    const std::string name = StringToUtf8(zip.FileName(i));
    if (name.size() < 4 || (name.compare(name.size() - 4, 4, ".xml") != 0 && name.compare(name.size() - 5, 5, ".rels") != 0))
      continue;
    TBytes xml;
    zip.Read(i, xml);
    XML_Parser p = XML_ParserCreate(nullptr);
    const bool ok = XML_Parse(p, reinterpret_cast<const char*>(xml.data()), static_cast<int>(xml.size()), 1) ==
                    XML_STATUS_OK;
    if (!ok) std::fprintf(stderr, "%s: %s\n", name.c_str(), XML_ErrorString(XML_GetErrorCode(p)));
    XML_ParserFree(p);
    SK_FUZZ_CHECK(ok);
  }
}

// How long a text is once the file's escapes are applied, counting as the
// writer does: characters that XML cannot hold, and the underscore of a
// literal "_xHHHH_", take seven.
size_t EscapedLength(const String& s) {
  auto hex = [](Char c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); };
  size_t n = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const Char c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      ++n;
      ++i;
      continue;
    }
    auto bad = [&](size_t k) {
      const Char u = s[k];
      const bool pair = u >= 0xD800 && u <= 0xDBFF && k + 1 < s.size() && s[k + 1] >= 0xDC00 && s[k + 1] <= 0xDFFF;
      return (u < 0x20 && u != u'\t' && u != u'\n') || u == 0xFFFE || u == 0xFFFF || (u >= 0xD800 && u <= 0xDFFF && !pair);
    };
    // An underscore followed by "xHHHH" and by an underscore or by a
    // character written as an escape would read as an escape itself.
    const bool literal = c == u'_' && i + 7 <= s.size() && s[i + 1] == u'x' && hex(s[i + 2]) && hex(s[i + 3]) &&
                         hex(s[i + 4]) && hex(s[i + 5]) && (s[i + 6] == u'_' || bad(i + 6));
    const bool escaped = bad(i);
    n += escaped || literal ? 7 : 1;
  }
  return n;
}

void CheckCell(const TCellValue& want, const TCellValue& got) {
  switch (want.Kind()) {
    case cvNumber: {
      const double v = want.AsNumber();
      if (!std::isfinite(v)) {
        // The file has no form for these: they are written as their text.
        SK_FUZZ_CHECK(got.AsString().Value == want.AsString().Value);
        return;
      }
      SK_FUZZ_CHECK(got.Kind() == cvNumber);
      // The library that writes the file prints 16 significant digits.
      char buf[40];
      std::snprintf(buf, sizeof buf, "%.16G", v);
      const double printed = std::strtod(buf, nullptr);
      const double g = got.AsNumber();
      SK_FUZZ_CHECK(g == printed || (std::isinf(printed) && std::abs(g) == std::numeric_limits<double>::max()) ||
                    (printed == 0 && g == 0));
      return;
    }
    case cvBoolean:
      SK_FUZZ_CHECK(got.Kind() == cvBoolean && got.AsBoolean() == want.AsBoolean());
      return;
    case cvString:
    case cvError:
    case cvRichString: {
      const String& w = want.AsString().Value;
      const String& g = got.AsString().Value;
      const bool prefix = g.size() <= w.size() && w.compare(0, g.size(), g) == 0;
      if (!prefix) {
        size_t at = 0;
        while (at < g.size() && at < w.size() && g[at] == w[at]) ++at;
        std::fprintf(stderr, "text of %zu units read back as %zu, first difference at %zu:", w.size(), g.size(), at);
        for (size_t i = at > 2 ? at - 2 : 0; i < at + 6; ++i)
          std::fprintf(stderr, " %04X/%04X", i < w.size() ? unsigned{w[i]} : 0u, i < g.size() ? unsigned{g[i]} : 0u);
        std::fprintf(stderr, "\n");
      }
      if (EscapedLength(w) <= static_cast<size_t>(xls_MaxTextLength) && want.Kind() != cvRichString) {
        SK_FUZZ_CHECK(g == w);
      } else {
        // Cut to the cell's limit (a rich string's runs count against it too).
        SK_FUZZ_CHECK(prefix);
        if (EscapedLength(w) + 4096 <= static_cast<size_t>(xls_MaxTextLength)) SK_FUZZ_CHECK(g == w);
      }
      return;
    }
    default:
      SK_FUZZ_CHECK(got.IsEmpty() || got.AsString().Value.empty());
  }
}

void Run(Input& in) {
  TXlsWorkbook wb;
  std::vector<Int32> formats{-1};
  while (!in.Empty()) {
    const uint8_t step = in.Byte() % kStepCount;
    switch (step) {
      case kText: {
        const Int32 r = Row(in), c = Col(in);
        const String text = Text(in);
        wb.SetCellValue(r, c, text, formats[in.Byte() % formats.size()]);
        // The cell holds the text as given (a lone surrogate too), cut only
        // to the cell's limit.
        SK_FUZZ_CHECK(wb.GetCellValue(r, c).AsString().Value == XlsCutText(text));
        break;
      }
      case kNumber: {
        const Int32 r = Row(in), c = Col(in);
        const uint64_t bits = static_cast<uint64_t>(in.Cardinal()) | static_cast<uint64_t>(in.Cardinal()) << 32;
        double v;
        std::memcpy(&v, &bits, sizeof v);
        wb.SetCellValue(r, c, v, formats[in.Byte() % formats.size()]);
        break;
      }
      case kBoolean: {
        const Int32 r = Row(in), c = Col(in);
        wb.SetCellBoolean(r, c, in.Bool());
        break;
      }
      case kError: {
        const Int32 r = Row(in), c = Col(in);
        static const char16_t* const codes[] = {u"#N/A", u"#DIV/0!", u"#VALUE!", u"#REF!", u"#NAME?", u"#NUM!", u"#NULL!"};
        wb.SheetData(wb.ActiveSheet()).SetError(r, c, codes[in.Byte() % 7]);
        break;
      }
      case kRich: {
        const Int32 r = Row(in), c = Col(in);
        TRichString rs(Text(in));
        const uint8_t runs = in.Byte() % 6;
        for (uint8_t k = 0; k < runs; ++k) {
          const Int32 first = static_cast<Int32>(in.Word() % (rs.Value.size() + 1));
          rs.Runs.push_back(TRTFRun{first, Font(in)});
        }
        wb.SetCellValue(r, c, rs);
        break;
      }
      case kSheetName: wb.SetSheetName(Text(in)); break;
      case kSheet: {
        const uint8_t b = in.Byte();
        if (b < 64 && wb.SheetCount() < 8) wb.AddSheet();
        wb.SetActiveSheet(b % wb.SheetCount() + 1);
        break;
      }
      case kFormat: {
        TFlxFormat f;
        f.Font = Font(in);
        const uint8_t how = in.Byte();
        if (how & 1) f.Format = Text(in);
        f.HAlignment = static_cast<Byte>(in.Byte() % 8);
        f.VAlignment = static_cast<Byte>(in.Byte() % 4);
        if (how & 2) {
          f.FillPattern.Pattern = static_cast<Byte>(in.Byte() % 20);
          f.FillPattern.FgColor = TExcelColor::FromColor(static_cast<TColor>(in.Cardinal() & 0xFFFFFF));
        }
        if (formats.size() < 64) formats.push_back(wb.AddFormat(f));
        const Int32 xf = formats.back();
        switch (in.Byte() % 3) {
          case 0: wb.SetCellFormat(Row(in), Col(in), xf); break;
          case 1: wb.SetColFormat(Col(in), xf); break;
          default: wb.SetRowFormat(Row(in), xf); break;
        }
        break;
      }
      case kWidth: wb.SetColWidth(Col(in), in.Word() % (255 * 256 + 1)); break;
      case kMerge: wb.MergeCells(Row(in), Col(in), Row(in), Col(in)); break;
      case kClear: wb.ClearCell(Row(in), Col(in)); break;
      default: break;
    }
  }

  const String file = Utf8ToString(ScratchFiles::Instance().Path("round.xlsx"));
  try {
    wb.Save(file);
  } catch (const EXlsError& e) {
    // A refusal says why.  Nothing makes the writer's files fail here, so
    // the package read back always holds what was written.
    SK_FUZZ_CHECK(!e.Message().empty());
    SK_FUZZ_CHECK(e.Message().find(u"could not write its parts whole") == String::npos);
    return;
  }
  CheckWellFormed(file);
  TXlsWorkbook back;
  SK_FUZZ_CHECK(back.Open(file));
  SK_FUZZ_CHECK(back.SheetCount() == wb.SheetCount());
  for (Int32 s = 1; s <= wb.SheetCount(); ++s) {
    SK_FUZZ_CHECK(back.SheetNameOf(s) == wb.SheetNameOf(s));
    const TXlsSheet& written = wb.SheetData(s);
    const TXlsSheet& read = back.SheetData(s);
    for (const TXlsRow& row : written.Rows())
      for (const TXlsCell& cell : row.Cells) CheckCell(written.ValueOf(cell), read.Value(row.Row, cell.Col));
    // Nothing comes back that was not written.
    for (const TXlsRow& row : read.Rows())
      for (const TXlsCell& cell : row.Cells) {
        const TXlsCell* w = written.FindCell(row.Row, cell.Col);
        SK_FUZZ_CHECK(w != nullptr && w->Kind != cvEmpty);
      }
  }
}

// Steps as the seeds spell them.
struct TSeed {
  std::string bytes;
  TSeed& Step(Step s) { return Byte(s); }
  TSeed& Byte(uint8_t b) {
    bytes += static_cast<char>(b);
    return *this;
  }
  TSeed& Word(uint16_t w) { return Byte(w & 0xFF).Byte(w >> 8); }
  TSeed& Cell(uint8_t r, uint8_t c) { return Byte(r).Byte(c); }
  TSeed& Text(const std::u16string& s, uint8_t repeat = 0, uint16_t times = 0) {
    Byte(static_cast<uint8_t>(s.size()));
    for (char16_t u : s) Word(u);
    Byte(repeat);
    if (repeat == 0xFF) Word(times);
    return *this;
  }
  TSeed& Number(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (int k = 0; k < 8; ++k) Byte(static_cast<uint8_t>(bits >> (8 * k)));
    return *this;
  }
};

// Workbooks like the ones the exports write: a title block merged over
// rows 1 to 3, typed cells under it, bold and coloured runs, formats, widths,
// several sheets; and the texts, numbers and names that have gone wrong.
void WriteSeeds(sk::fuzz::Seeds& seeds) {
  TSeed title;
  title.Step(kText).Cell(0, 1).Text(u"Concordance of \"lord\"").Byte(0);
  title.Step(kFormat).Byte(0x31).Text(u"Arial").Word(300).Byte(1).Text(u"@").Byte(2).Byte(1).Byte(0).Cell(0, 1);
  title.Step(kMerge).Cell(0, 1).Cell(2, 7);
  title.Step(kText).Cell(0, 9).Text(u"07-Dec-2026").Byte(0);
  for (uint8_t r = 5; r < 12; ++r) {
    title.Step(kText).Cell(r, 2).Text(u"word").Byte(0);
    title.Step(kNumber).Cell(r, 3).Number(r * 1000.0).Byte(0);
    title.Step(kNumber).Cell(r, 4).Number(r * 0.25).Byte(0);
  }
  title.Step(kWidth).Byte(2).Word(20 * 256);
  seeds.Add(title.bytes);

  TSeed texts;
  texts.Step(kText).Cell(0, 0).Text(u"\uFFFF \uFFFE \x01\x1F cr\r lf\n tab\t").Byte(0);
  texts.Step(kText).Cell(1, 0).Text(u"literal _x0041_ and _xD800_").Byte(0);
  texts.Step(kText).Cell(2, 0).Text(std::u16string(u"lone \xD800 and \xDC00")).Byte(0);
  texts.Step(kRich).Cell(8, 0).Text(std::u16string(u"no runs \xDBFF\xDBFF\xDFFF")).Byte(0);
  texts.Step(kText).Cell(3, 0).Text(u"_x0041_", 0xFF, 28000).Byte(0);
  texts.Step(kText).Cell(4, 0).Text(u"\x01", 0xFF, 33000).Byte(0);
  texts.Step(kText).Cell(5, 0).Text(u"pair \U0001F600 <&>\"'").Byte(0);
  texts.Step(kError).Cell(6, 0).Byte(1);
  texts.Step(kBoolean).Cell(7, 0).Byte(1);
  seeds.Add(texts.bytes);

  TSeed numbers;
  const double values[] = {0.30000000000000004, -0.0, 5e-324, 1.7976931348623157e308, 1e21, 123456789012345678.0,
                           0.1, std::nan(""), -INFINITY};
  uint8_t r = 0;
  for (double v : values) numbers.Step(kNumber).Cell(r++, 0).Number(v).Byte(0);
  seeds.Add(numbers.bytes);

  TSeed rich;
  rich.Step(kRich).Cell(0, 0).Text(u"plain bold italic").Byte(2).Word(6).Byte(0x01).Word(11).Byte(0x42).Word(0x00FF).Word(0);
  rich.Step(kRich).Cell(1, 0).Text(u"a\x01b\uFFFF_x0041_").Byte(2).Word(1).Byte(0x01).Word(3).Byte(0x02);
  rich.Step(kRich).Cell(2, 0).Text(u"ab\x01", 0xFF, 30000).Byte(3).Word(10).Byte(1).Word(20000).Byte(0).Word(25000).Byte(2);
  seeds.Add(rich.bytes);

  TSeed sheets;
  sheets.Step(kSheetName).Text(u"tab\there [1]: a/b");
  sheets.Step(kSheet).Byte(0).Step(kSheetName).Text(u"ctl\x01\uFFFF'");
  sheets.Step(kSheet).Byte(1).Step(kSheetName).Text(u"TAB_HERE _1__ A_B");
  sheets.Step(kText).Cell(0, 0).Text(u"on the third sheet").Byte(0);
  sheets.Step(kMerge).Cell(3, 3).Cell(5, 5).Step(kMerge).Cell(5, 5).Cell(8, 2);
  seeds.Add(sheets.bytes);
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  Run(in);
  return 0;
}
