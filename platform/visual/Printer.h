// The printer on Qt's print support: the current printer is the system's
// default printer, or a PDF printer that writes to a file the host names.
//
// Sizes are in printer dots at the printer's resolution: the full page is the
// paper from (0, 0); the paint rectangle is the part the printer can mark,
// placed on the paper (its corner gives the offsets, so unequal margins come
// out right). While a document is being printed the canvas draws on the
// current page, with (0, 0) at the paint rectangle's corner.
#pragma once

#include <memory>

#include "platform/visual/Graphics.h"
#include "platform/visual/QtFiles.h"

class QPrinter;

namespace sk {

enum TPrinterOrientation : uint8_t { poPortrait, poLandscape };
// The paper sizes the library knows by name; every other size is ppOther.
enum TPrinterPaper : uint8_t { ppOther, ppLetter, ppLegal, ppA3, ppA4, ppA5, ppB4, ppB5, ppJisB4, ppJisB5 };

// The print dialog's options and page range.
enum TPrintDialogOption : uint8_t { poPrintToFile, poPageNums, poSelection, poWarning, poHelp, poDisablePrintToFile };
using TPrintDialogOptions = Byte;
inline constexpr TPrintDialogOptions PrintDialogOptionBit(TPrintDialogOption o) {
  return static_cast<TPrintDialogOptions>(1u << o);
}
enum TPrintRange : uint8_t { prAllPages, prSelection, prPageNums };

class EPrinter : public Exception {
  using Exception::Exception;
};

class TPrinter : public TObject {
 public:
  // The system's default printer when there is one; otherwise no printer
  // until the host chooses a PDF file. Needs the host's application.
  TPrinter();
  ~TPrinter() override;
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // Prints into a PDF file at the resolution (dots per inch; 0 keeps the
  // present one); an empty name goes back to the system's default printer.
  void SetPdfFile(const String& fileName, Int32 resolution = 0);
  bool IsPdf() const;
  // True when there is a printer to print on (a system printer or a PDF file).
  bool HasPrinter() const;
  // The system's printers, and one more for a chosen PDF file.
  Int32 PrinterCount() const;
  // The printer's name; a PDF printer's name is its file name.
  String PrinterName() const;

  Int32 Resolution() const;
  void SetResolution(Int32 dpi);
  TRect FullPageRect() const;
  TRect PaintRect() const;
  Int32 PageWidth() const;
  Int32 PageHeight() const;
  TPrinterPaper Paper() const;
  void SetPaper(TPrinterPaper paper);
  TPrinterOrientation Orientation() const;
  void SetOrientation(TPrinterOrientation o);
  // Margins of the paint rectangle in millimetres.
  void SetMarginsMM(Double left, Double top, Double right, Double bottom);
  bool ColorMode() const;
  void SetColorMode(bool colour);

  // A document: BeginDoc opens it on the first page (raising EPrinter when
  // there is no printer or the output cannot be opened), NewPage moves to a
  // fresh page, EndDoc finishes and closes it.
  void BeginDoc();
  void NewPage();
  void EndDoc();
  bool Printing() const { return fPrinting; }
  // The page being printed, from 1; 0 outside a document.
  Int32 PageNumber() const { return fPageNumber; }
  TCanvas& Canvas() { return *fCanvas; }

  QPrinter& QtPrinter() { return *fPrinter; }

 private:
  // Closes the PDF file of a document and gives the printer its name back.
  void EndPdfFile();
  class TSurface;
  std::unique_ptr<QPrinter> fPrinter;
  std::unique_ptr<TCanvas> fCanvas;
  std::unique_ptr<TSurface> fSurface;
  // The PDF file's name as given, and the file while a document goes to it:
  // opened by the name's own bytes, so that a name that is not UTF-8 is the
  // file written.
  String fPdfName;
  std::unique_ptr<TFileOpenForQt> fPdfFile;
  bool fHasSystemPrinter = false;
  bool fPrinting = false;
  Int32 fPageNumber = 0;
};

// The process's current printer, made on first use; nullptr without the
// host's application.
TPrinter* Printer();
// Frees the current printer (the next call to Printer makes a fresh one).
void FreePrinter();

// Unit start and stop: the stop frees the current printer.
void Printer_initialization();
void Printer_Finalization();

}  // namespace sk
