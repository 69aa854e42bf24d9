// The example host's window: a form whose buttons show the library's
// messages, each closing itself after its seconds (the timed notices with
// their "Never show this again" box, a question that answers No when nobody
// does, a saved-file notice), and open a page of the library's controls
// (demo_controls.cpp). With a display the window stays until it is closed;
// without one (no DISPLAY or WAYLAND_DISPLAY) the window and the page are
// drawn offscreen, saved as sk_demo_window.png and sk_demo_controls.png
// beside the program, and the program ends with 0.
//
//   sk_demo --window [file] [word]   (the concordance page: word in file)
#include <QtWidgets/QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/Global_vars.h"
#include "demo_window_bars.h"
#include "demo_window_cells.h"
#include "demo_window_files.h"
#include "demo_window_results.h"
#include "library/Units.h"
#include "platform/visual/Forms.h"
#include "platform/visual/Screenshots.h"
#include "platform/visual/StandardControls.h"
#include "ui/Qmark_error_dlgs_1.h"
#include "ui/Qmark_error_dlgs_2.h"

std::unique_ptr<sk::TForm> MakeControlsPage(sk::TComponent* owner);

namespace {

using namespace sk;

bool HasDisplay() {
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x != nullptr && *x != '\0') || (wayland != nullptr && *wayland != '\0');
}

// A button on the form at row, column that runs action when clicked.
void AddButton(TForm& form, const String& name, const String& caption, int row, int column,
               std::function<void(TForm&)> action) {
  auto* b = new TButton(&form);
  b->SetName(name);
  b->SetParent(&form);
  b->SetCaption(caption);
  b->SetBounds(16 + column * 200, 56 + row * 40, 184, 30);
  b->OnClick = [&form, action](TObject*) { action(form); };
}

}  // namespace

int RunWindowDemo(int argc, char** argv) {
  const bool display = HasDisplay();
  // sk_demo --window [file] [word]: the concordance page shows word in file.
  const String textFile = Utf8ToString(argc > 2 ? argv[2] : SK_SAMPLE_TEXT);
  const String word = Utf8ToString(argc > 3 ? argv[3] : "that");
  if (!display) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  Initialize();
  int rc = 0;
  {
    TForm form(nullptr);
    form.SetCaption(u"Sharedkit messages");
    form.SetPosition(poScreenCenter);
    form.SetClientWidth(416);
    form.SetClientHeight(256);
    Application().SetMainForm(&form);
    auto* intro = new TLabel(&form);
    intro->SetParent(&form);
    intro->SetAutoSize(false);
    intro->SetWordWrap(true);
    intro->SetBounds(16, 12, 384, 36);
    intro->SetCaption(u"Each button shows a message that closes itself when nobody answers it.");
    AddButton(form, u"SavedNotice", u"Saved (8 s)", 0, 0, [](TForm& f) { SavedOK(&f, u"word list.lst"); });
    AddButton(form, u"ClipboardNotice", u"Clipboard (10 s)", 0, 1, [](TForm& f) { ClipboardHasText(&f); });
    AddButton(form, u"QuickCheck", u"Quick check? (15 s)", 1, 0, [](TForm& f) {
      const bool yes = DoQuickTextFormatCheck(&f);
      ReportedAFact(&f, yes ? u"You answered Yes." : Global_TimedOut ? u"Nobody answered: No." : u"You answered No.", 3, 0,
                    {mbOK}, false);
    });
    AddButton(form, u"Tip", u"Tip (5 s)", 1, 1, [](TForm& f) {
      TipWithDontRemind(&f, u"Tick the box and this tip stays away (while the user folder is set).", 5, 0);
    });
    AddButton(form, u"ControlsPage", u"Controls...", 2, 0, [](TForm& f) { MakeControlsPage(&f)->ShowModal(); });
    AddButton(form, u"CloseDemo", u"Close", 2, 1, [](TForm& f) { f.Close(); });
    AddButton(form, u"BarsPage", u"Bars...", 3, 0, [](TForm& f) { MakeBarsPage(&f)->ShowModal(); });
    AddButton(form, u"FilesPage", u"Files...", 3, 1, [](TForm& f) { MakeFilesPage(&f)->ShowModal(); });
    AddButton(form, u"CellsPage", u"Cells...", 4, 0, [](TForm& f) { MakeCellsPage(&f)->ShowModal(); });
    AddButton(form, u"ResultsPage", u"Concordance...", 4, 1,
              [&](TForm& f) { MakeResultsPage(&f, textFile, word)->ShowModal(); });
    form.OnClose = [](TObject*, TCloseAction&) { QCoreApplication::quit(); };

    if (display) {
      form.Show();
      rc = app.exec();
    } else {
      const std::string dir = QCoreApplication::applicationDirPath().toStdString();
      const String file = Utf8ToString(dir + "/sk_demo_window.png");
      const String pageFile = Utf8ToString(dir + "/sk_demo_controls.png");
      if (SaveControlImage(form, file) && SaveControlImage(*MakeControlsPage(&form), pageFile)) {
        std::printf("no display: the window and its page of controls were drawn offscreen and saved as %s and %s\n",
                    StringToUtf8(file).c_str(), StringToUtf8(pageFile).c_str());
      } else {
        std::fprintf(stderr, "no display, and the window's picture could not be saved as %s\n",
                     StringToUtf8(file).c_str());
        rc = 1;
      }
    }
    if (!display && rc == 0) rc = SaveBarsPagePicture(&form) ? 0 : 1;
    if (!display && rc == 0) rc = SaveFilesPagePicture(&form) ? 0 : 1;
    if (!display && rc == 0) rc = SaveCellsPagePicture(&form) ? 0 : 1;
    if (!display && rc == 0) rc = SaveResultsPagePicture(&form, textFile, word) ? 0 : 1;
    Application().SetMainForm(nullptr);
  }
  Finalize();
  return rc;
}
