#include "platform/visual/Printer.h"

#include <QtCore/QMarginsF>
#include <QtGui/QPageLayout>
#include <QtGui/QPageSize>
#include <QtGui/QPainter>
#include <QtPrintSupport/QPrinter>
#include <QtPrintSupport/QPrinterInfo>

#include "platform/visual/Controls.h"
#include "platform/visual/QtConvert.h"

namespace sk {

// The canvas's surface while a document is open: a painter on the printer.
class TPrinter::TSurface : public TCanvasSurface {
 public:
  explicit TSurface(QPrinter& printer) : fPrinter(printer) {}
  QPainter* Painter() override { return fPainter.isActive() ? &fPainter : nullptr; }
  TSize Extent() const override {
    const QRect r = fPrinter.pageLayout().paintRectPixels(fPrinter.resolution());
    return TSize{r.width(), r.height()};
  }
  QPainter fPainter;

 private:
  QPrinter& fPrinter;
};

namespace {

struct TPaperEntry {
  TPrinterPaper paper;
  QPageSize::PageSizeId id;
};

constexpr TPaperEntry kPapers[] = {
    {ppLetter, QPageSize::Letter}, {ppLegal, QPageSize::Legal}, {ppA3, QPageSize::A3},
    {ppA4, QPageSize::A4},         {ppA5, QPageSize::A5},       {ppB4, QPageSize::B4},
    {ppB5, QPageSize::B5},         {ppJisB4, QPageSize::JisB4}, {ppJisB5, QPageSize::JisB5},
};

}  // namespace

TPrinter::TPrinter() {
  RequireApplication("a printer");
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  fHasSystemPrinter = !info.isNull();
  fPrinter = fHasSystemPrinter ? std::make_unique<QPrinter>(info, QPrinter::HighResolution)
                               : std::make_unique<QPrinter>(QPrinter::HighResolution);
  fCanvas = std::make_unique<TCanvas>();
  fSurface = std::make_unique<TSurface>(*fPrinter);
}

TPrinter::~TPrinter() {
  if (fPrinting) {
    fCanvas->SetSurface(nullptr);
    fSurface->fPainter.end();
  }
}

void TPrinter::SetPdfFile(const String& fileName, Int32 resolution) {
  if (fPrinting) throw EPrinter(u"Printing in progress");
  if (fileName.empty()) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    fHasSystemPrinter = !info.isNull();
    fPdfName.clear();
    fPrinter->setOutputFileName(QString());
    fPrinter->setOutputFormat(QPrinter::NativeFormat);
    if (fHasSystemPrinter) fPrinter->setPrinterName(info.printerName());
  } else {
    fPdfName = fileName;
    fPrinter->setOutputFormat(QPrinter::PdfFormat);
    fPrinter->setOutputFileName(ToQString(fileName));
  }
  if (resolution > 0) fPrinter->setResolution(resolution);
}

bool TPrinter::IsPdf() const {
  return fPrinter->outputFormat() == QPrinter::PdfFormat && !fPrinter->outputFileName().isEmpty();
}

bool TPrinter::HasPrinter() const { return IsPdf() || fHasSystemPrinter; }

Int32 TPrinter::PrinterCount() const {
  return static_cast<Int32>(QPrinterInfo::availablePrinterNames().size()) + (IsPdf() ? 1 : 0);
}

String TPrinter::PrinterName() const {
  if (IsPdf()) return fPdfName;
  return fHasSystemPrinter ? FromQString(fPrinter->printerName()) : String();
}

Int32 TPrinter::Resolution() const { return fPrinter->resolution(); }

void TPrinter::SetResolution(Int32 dpi) {
  if (dpi > 0 && !fPrinting) fPrinter->setResolution(dpi);
}

TRect TPrinter::FullPageRect() const {
  const QRect r = fPrinter->pageLayout().fullRectPixels(fPrinter->resolution());
  return TRect{0, 0, r.width(), r.height()};
}

TRect TPrinter::PaintRect() const { return FromQRect(fPrinter->pageLayout().paintRectPixels(fPrinter->resolution())); }

Int32 TPrinter::PageWidth() const { return PaintRect().Right - PaintRect().Left; }

Int32 TPrinter::PageHeight() const { return PaintRect().Bottom - PaintRect().Top; }

TPrinterPaper TPrinter::Paper() const {
  const QPageSize::PageSizeId id = fPrinter->pageLayout().pageSize().id();
  for (const TPaperEntry& e : kPapers)
    if (e.id == id) return e.paper;
  return ppOther;
}

void TPrinter::SetPaper(TPrinterPaper paper) {
  for (const TPaperEntry& e : kPapers)
    if (e.paper == paper) fPrinter->setPageSize(QPageSize(e.id));
}

TPrinterOrientation TPrinter::Orientation() const {
  return fPrinter->pageLayout().orientation() == QPageLayout::Landscape ? poLandscape : poPortrait;
}

void TPrinter::SetOrientation(TPrinterOrientation o) {
  fPrinter->setPageOrientation(o == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

void TPrinter::SetMarginsMM(Double left, Double top, Double right, Double bottom) {
  fPrinter->setPageMargins(QMarginsF(left, top, right, bottom), QPageLayout::Millimeter);
}

bool TPrinter::ColorMode() const { return fPrinter->colorMode() == QPrinter::Color; }

void TPrinter::SetColorMode(bool colour) { fPrinter->setColorMode(colour ? QPrinter::Color : QPrinter::GrayScale); }

void TPrinter::BeginDoc() {
  if (fPrinting) throw EPrinter(u"Printing in progress");
  if (!HasPrinter()) throw EPrinter(u"There is no default printer currently selected");
  if (IsPdf()) {
    // Qt would open the file by the name in UTF-8: the file is opened here by
    // its own bytes, and Qt writes to it through the open file's name.
    fPdfFile = std::make_unique<TFileOpenForQt>();
    if (!fPdfFile->OpenForWriting(fPdfName)) {
      fPdfFile.reset();
      throw EPrinter(u"Cannot write " + fPdfName);
    }
    fPrinter->setOutputFileName(fPdfFile->QtName());
  }
  if (!fSurface->fPainter.begin(fPrinter.get())) {
    EndPdfFile();
    throw EPrinter(u"Printer is not currently printing");
  }
  fPrinting = true;
  fPageNumber = 1;
  fCanvas->SetSurface(fSurface.get());
  // Text on paper keeps its size in points whatever the printer's resolution.
  fCanvas->Font().SetPixelsPerInch(Resolution());
}

void TPrinter::EndPdfFile() {
  if (!fPdfFile) return;
  fPdfFile.reset();
  fPrinter->setOutputFileName(ToQString(fPdfName));
}

void TPrinter::NewPage() {
  if (!fPrinting) throw EPrinter(u"Printer is not currently printing");
  fPrinter->newPage();
  ++fPageNumber;
}

void TPrinter::EndDoc() {
  if (!fPrinting) throw EPrinter(u"Printer is not currently printing");
  fCanvas->SetSurface(nullptr);
  fSurface->fPainter.end();
  EndPdfFile();
  fPrinting = false;
  fPageNumber = 0;
}

namespace {
// Made on first use, freed by FreePrinter (at the latest when the unit stops).
TPrinter* gPrinter = nullptr;
Int32 gStarted = 0;
}  // namespace

TPrinter* Printer() {
  if (gPrinter == nullptr && ApplicationExists()) gPrinter = new TPrinter();
  return gPrinter;
}

void FreePrinter() {
  delete gPrinter;
  gPrinter = nullptr;
}

void Printer_initialization() { ++gStarted; }

void Printer_Finalization() {
  if (gStarted == 0 || --gStarted != 0) return;
  FreePrinter();
}

}  // namespace sk
