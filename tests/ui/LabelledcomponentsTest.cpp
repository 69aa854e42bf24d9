// Labelled controls and their label's placement, the file and folder edits
// with their image and their choosers answered through the modal hook, the
// colour pickers' rows, the status button and the shadow label.
#include <gtest/gtest.h>

#include <QtGui/QPainter>
#include <filesystem>

#include "ScreenshotSupport.h"
#include "TestSupport.h"
#include "VisualTestSupport.h"
#include "platform/runtime/Colors.h"
#include "ui/Labelledcomponents.h"

namespace sk {
namespace {

// ---------------------------------------------------------------------------
// The placement rules.

TEST(Labelledcomponents, LabelPlaceFollowsThePositionAndTheRule) {
  const TRect r{100, 50, 220, 71};  // 120 x 21
  const TSize label{40, 15};
  const struct {
    TLabelPosition position;
    TLabelPlacementRule rule;
    TAlignment alignment;
    bool rtl;
    TPoint at;
  } cases[] = {
      {lpAbove, lpr_plain, taRightJustify, false, {100, 32}},
      {lpBelow, lpr_plain, taCenter, false, {100, 74}},
      {lpLeft, lpr_plain, taLeftJustify, false, {57, 53}},
      {lpRight, lpr_plain, taLeftJustify, false, {223, 53}},
      {lpAbove, lpr_alignment_aware, taLeftJustify, false, {100, 32}},
      {lpAbove, lpr_alignment_aware, taRightJustify, false, {180, 32}},
      {lpBelow, lpr_alignment_aware, taCenter, false, {140, 74}},
      // Right-to-left alignment swaps left and right, not the centre.
      {lpAbove, lpr_alignment_aware, taRightJustify, true, {100, 32}},
      {lpBelow, lpr_alignment_aware, taLeftJustify, true, {180, 74}},
      {lpBelow, lpr_alignment_aware, taCenter, true, {140, 74}},
      // Left and right keep the plain rule.
      {lpLeft, lpr_alignment_aware, taRightJustify, true, {57, 53}},
      {lpRight, lpr_alignment_aware, taCenter, false, {223, 53}},
  };
  for (const auto& c : cases) {
    const TPoint at = LabelPlace(r, label, c.position, 3, c.rule, c.alignment, c.rtl);
    EXPECT_EQ(at.X, c.at.X) << int(c.position) << int(c.rule) << int(c.alignment) << c.rtl;
    EXPECT_EQ(at.Y, c.at.Y) << int(c.position) << int(c.rule) << int(c.alignment) << c.rtl;
  }
  // Halves round toward zero, also when the label is the larger.
  EXPECT_EQ(LabelPlace(TRect{0, 0, 10, 10}, TSize{3, 5}, lpLeft, 0, lpr_plain, taLeftJustify, false).Y, 2);
  EXPECT_EQ(LabelPlace(TRect{0, 0, 10, 10}, TSize{3, 15}, lpRight, 0, lpr_plain, taLeftJustify, false).Y, -2);
  EXPECT_EQ(LabelPlace(TRect{0, 0, 10, 10}, TSize{15, 5}, lpAbove, 0, lpr_alignment_aware, taCenter, false).X, -2);
}

class LabelledControls : public ScratchFolderTest {
 protected:
  LabelledControls() : ScratchFolderTest("sk_labelled") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    TestApplication();
    Colour_utils_initialization();
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 400, 300);
    form->SetColor(clWhite);
  }
  void TearDown() override {
    form.reset();
    Colour_utils_Finalization();
    ScratchFolderTest::TearDown();
  }
  std::unique_ptr<TForm> form;
};

TEST_F(LabelledControls, TheLabelFollowsItsControlAndItsSpacing) {
  auto* combo = new TLabelledCombo(form.get());
  combo->SetParent(form.get());
  TMyBoundLabel* label = combo->LabelRotulo();
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->Parent(), form.get());
  EXPECT_EQ(label->FocusControl(), combo);
  EXPECT_EQ(combo->LabelPosition(), lpAbove);
  EXPECT_EQ(combo->LabelSpacing(), 3);
  label->SetCaption(u"Colour");
  combo->SetBounds(50, 100, 120, 23);
  EXPECT_EQ(label->Top(), 100 - 3 - label->Height());
  combo->SetLabelSpacing(10);
  EXPECT_EQ(label->Top(), 100 - 10 - label->Height());
  EXPECT_EQ(label->Left(), 50);
  combo->SetLeft(70);
  combo->SetTop(150);
  EXPECT_EQ(label->Left(), 70);
  EXPECT_EQ(label->Top(), 150 - 10 - label->Height());
  // The label takes the control's enabled state, visibility and direction.
  combo->SetEnabled(false);
  EXPECT_FALSE(label->Enabled());
  combo->SetVisible(false);
  EXPECT_FALSE(label->Visible());
  combo->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(label->BiDiMode(), bdRightToLeft);
  // A label freed first is let go of; the control goes on without one.
  delete label;
  EXPECT_EQ(combo->LabelRotulo(), nullptr);
  combo->SetBounds(0, 0, 50, 23);
  combo->SetLabelPosition(lpLeft);
}

TEST_F(LabelledControls, FreeingTheControlOrItsParentFreesTheLabel) {
  auto* host = new TWinControl(form.get());
  host->SetParent(form.get());
  auto* button = new TLabelledButton(form.get());
  button->SetParent(host);
  EXPECT_EQ(host->ControlCount(), 2);
  delete button;
  EXPECT_EQ(host->ControlCount(), 0);
  auto* spin = new TLabelledSpinEdit(form.get());
  spin->SetParent(host);
  auto* box = new TLabelledNumberBox(form.get());
  box->SetParent(host);
  EXPECT_EQ(box->SpinButtonPlacement(), nbspCompact);
  delete host;  // frees the controls and their labels, in whatever order
  EXPECT_EQ(form->ControlCount(), 0);
}

// A labelled control on a white form with a yellow label: the label's
// rectangle is found again in the screenshot.
template <class Control>
void CheckLabelPixels(TForm& form, Control* control, const std::string& name, TPoint expected) {
  TMyBoundLabel* label = control->LabelRotulo();
  label->SetColor(clYellow);
  label->SetCaption(u"Label");
  control->PlaceLabel();
  EXPECT_EQ(label->Left(), expected.X) << name;
  EXPECT_EQ(label->Top(), expected.Y) << name;
  const Int32 l = label->Left(), t = label->Top(), r = l + label->Width(), b = t + label->Height();
  const auto failed = ScreenshotChecked(form, name,
                                        {{"the label's top-left corner", Dot(l, t), AllOf(clYellow)},
                                         {"the label's bottom-right corner", Dot(r - 1, b - 1), AllOf(clYellow)},
                                         {"left of the label", Dot(l - 1, t), NoneOf(clYellow)},
                                         {"above the label", Dot(l, t - 1), NoneOf(clYellow)},
                                         {"past the label's corner", Dot(r, b), NoneOf(clYellow)}});
  EXPECT_TRUE(failed.empty()) << name << ": " << ::testing::PrintToString(failed);
}

TEST_F(LabelledControls, LabelsLieWhereThePlainRulePutsThemInTheScreenshot) {
  auto* combo = new TLabelledCombo(form.get());
  combo->SetParent(form.get());
  combo->SetBounds(150, 120, 100, 23);
  const Int32 w = [&] {
    combo->LabelRotulo()->SetCaption(u"Label");
    return combo->LabelRotulo()->Width();
  }();
  const Int32 h = combo->LabelRotulo()->Height();
  const struct {
    TLabelPosition position;
    const char* name;
    TPoint at;
  } cases[] = {
      {lpAbove, "label_plain_above", {150, 120 - 3 - h}},
      {lpBelow, "label_plain_below", {150, 143 + 3}},
      {lpLeft, "label_plain_left", {150 - 3 - w, 120 + (23 - h) / 2}},
      {lpRight, "label_plain_right", {250 + 3, 120 + (23 - h) / 2}},
  };
  for (const auto& c : cases) {
    combo->SetLabelPosition(c.position);
    CheckLabelPixels(*form, combo, c.name, c.at);
  }
}

TEST_F(LabelledControls, LabelsFollowTheTextAlignmentInTheScreenshotRightToLeftIncluded) {
  auto* spin = new TLabelledSpinEdit(form.get());
  spin->SetParent(form.get());
  spin->SetBounds(150, 120, 100, 22);
  spin->LabelRotulo()->SetCaption(u"Label");
  const Int32 w = spin->LabelRotulo()->Width();
  spin->SetAlignment(taRightJustify);
  CheckLabelPixels(*form, spin, "label_aware_right_above", TPoint{250 - w, 120 - 3 - spin->LabelRotulo()->Height()});
  spin->SetLabelPosition(lpBelow);
  spin->SetAlignment(taCenter);
  CheckLabelPixels(*form, spin, "label_aware_centre_below", TPoint{150 + (100 - w) / 2, 142 + 3});
  // Right-aligned text read right to left stands at the left: so does the label.
  spin->SetLabelPosition(lpAbove);
  spin->SetAlignment(taRightJustify);
  spin->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(spin->LabelRotulo()->BiDiMode(), bdRightToLeft);
  CheckLabelPixels(*form, spin, "label_aware_rtl_above", TPoint{150, 120 - 3 - spin->LabelRotulo()->Height()});
  spin->SetLabelPosition(lpRight);
  CheckLabelPixels(*form, spin, "label_aware_rtl_right",
                   TPoint{250 + 3, 120 + (22 - spin->LabelRotulo()->Height()) / 2});
}

// ---------------------------------------------------------------------------
// File and folder edits.

constexpr TColor kGlyphFront = 0x5ECDF6;  // the folder glyph's front flap

TEST_F(LabelledControls, TheEditsImageFollowsItsHeight) {
  const struct {
    Int32 height, size;
  } cases[] = {{21, 16}, {24, 16}, {25, 24}, {32, 24}, {33, 32}, {40, 32}, {64, 32}, {65, 16}};
  for (const auto& c : cases) {
    TFilenameEdit edit(nullptr, c.height);
    EXPECT_EQ(edit.Height(), c.height);
    EXPECT_EQ(edit.ButtonImages().Width(), c.size) << c.height;
    EXPECT_EQ(edit.ButtonImages().Count(), 2);
    EXPECT_EQ(edit.RightButton().ImageIndex(), 1);
    EXPECT_TRUE(edit.RightButton().Visible());
  }
  for (Int32 height : {21, 40}) {
    auto* edit = new TLabelledFileNameEdit(form.get(), height);
    edit->SetParent(form.get());
    edit->SetBounds(10, 10, 200, height);
    const TRect r = edit->RightButtonRect();
    const Int32 size = edit->ButtonImages().Width();
    const Int32 x0 = r.Left + (r.Right - r.Left - size) / 2, y0 = r.Top + (r.Bottom - r.Top - size) / 2;
    // The large glyph reaches where the small one does not.
    const auto failed = ScreenshotChecked(
        *edit, "file_edit_" + std::to_string(height),
        {{"the folder's front", Dot(x0 + size / 2, y0 + size * 5 / 8), AllOf(kGlyphFront)},
         {"where only the large folder reaches", Dot(x0 + 24, y0 + 20),
          height == 40 ? AllOf(kGlyphFront) : NoneOf(kGlyphFront)},
         {"the text left of the button", TRect{r.Left - 8, r.Top, r.Left - 1, r.Bottom}, NoneOf(kGlyphFront)}});
    EXPECT_TRUE(failed.empty()) << height << ": " << ::testing::PrintToString(failed);
    delete edit;
  }
}

TEST_F(LabelledControls, TheFolderEditsChooserIsAnsweredAndCancelledWithOneOnChosenEach) {
  std::filesystem::create_directory(Path("sub"));
  const bool saved = UseLatestCommonDialogs;
  UseLatestCommonDialogs = true;
  auto* edit = new TLabelledFolderNameEdit(form.get());
  EXPECT_FALSE(UseLatestCommonDialogs);  // every dialog from now on is Qt's own
  edit->SetParent(form.get());
  edit->SetInitialDir(Utf8ToString(fDir));
  int chosen = 0;
  edit->OnChosen = [&](TObject* sender) {
    EXPECT_EQ(sender, edit);
    ++chosen;
  };
  {
    ScopedModalHook hook([&](TForm& form) {
      auto& dialog = dynamic_cast<TFileDialogForm&>(form);
      EXPECT_EQ(dialog.Caption(), u"Folder");
      EXPECT_EQ(dialog.Directory(), Utf8ToString(fDir));
      EXPECT_TRUE(dialog.ChooseFolder(File("sub")));
    });
    edit->ClickRightButton();
  }
  EXPECT_EQ(edit->GetText(), File("sub"));
  EXPECT_EQ(chosen, 1);
  {
    ScopedModalHook hook([&](TForm& form) {
      EXPECT_EQ(dynamic_cast<TFileDialogForm&>(form).Directory(), File("sub"));
      dynamic_cast<TFileDialogForm&>(form).CancelDialog();
    });
    edit->ClickRightButton();
  }
  EXPECT_EQ(edit->GetText(), File("sub"));
  EXPECT_EQ(chosen, 2);
  // An empty edit starts at InitialDir and keeps it, even when cancelled.
  edit->SetText(u"");
  {
    ScopedModalHook hook([](TForm& form) { dynamic_cast<TFileDialogForm&>(form).CancelDialog(); });
    edit->ClickRightButton();
  }
  EXPECT_EQ(edit->GetText(), Utf8ToString(fDir));
  EXPECT_EQ(chosen, 3);
  UseLatestCommonDialogs = saved;
}

TEST_F(LabelledControls, TheFileEditsDialogFillsTheTextAndTheFilenames) {
  WriteRaw("a.txt", "a");
  WriteRaw("b.txt", "b");
  auto* edit = new TLabelledFileNameEdit(form.get());
  edit->SetParent(form.get());
  edit->SetInitialDir(Utf8ToString(fDir));
  EXPECT_EQ(edit->GetDefaultExt(), u"txt");
  EXPECT_EQ(edit->GetFilterIndex(), 1);
  int chosen = 0;
  edit->OnChosen = [&](TObject*) { ++chosen; };
  {
    ScopedModalHook hook([&](TForm& form) {
      auto& dialog = dynamic_cast<TFileDialogForm&>(form);
      EXPECT_EQ(dialog.Caption(), u"Choose a File");
      EXPECT_EQ(dialog.NameFilters(), (std::vector<String>{u"Text files (*.txt)", u"All files (*)"}));
      EXPECT_TRUE(dialog.ChooseFiles({u"a.txt"}));
    });
    edit->ClickRightButton();
  }
  EXPECT_EQ(edit->GetText(), File("a.txt"));
  EXPECT_EQ(Lines(edit->GetFilenames()), std::vector<String>{File("a.txt")});
  EXPECT_EQ(chosen, 1);
  edit->SetAnOption(ofAllowMultiSelect, true);
  {
    ScopedModalHook hook([&](TForm& form) {
      auto& dialog = dynamic_cast<TFileDialogForm&>(form);
      EXPECT_EQ(dialog.Caption(), u"Choose Files");
      EXPECT_TRUE(dialog.ChooseFiles({u"a.txt", u"b.txt"}));
    });
    edit->ClickRightButton();
  }
  EXPECT_EQ(Lines(edit->GetFilenames()), (std::vector<String>{File("a.txt"), File("b.txt")}));
  EXPECT_EQ(chosen, 2);
  // Cancelled: the text stays, the names chosen before are gone.
  {
    ScopedModalHook hook([](TForm& form) { dynamic_cast<TFileDialogForm&>(form).CancelDialog(); });
    edit->ClickRightButton();
  }
  EXPECT_EQ(edit->GetText(), File("a.txt"));
  EXPECT_EQ(edit->GetFilenames().Count(), 0);
  EXPECT_EQ(chosen, 3);
  edit->CheckTextIsInFilenames();
  edit->CheckTextIsInFilenames();
  EXPECT_EQ(Lines(edit->GetFilenames()), std::vector<String>{File("a.txt")});
  edit->SetText(File("missing.txt"));
  edit->CheckTextIsInFilenames();
  EXPECT_EQ(edit->GetFilenames().Count(), 1);
  EnsureAFilenameCountHasText(*edit, u"");
  EnsureAFilenameCountHasText(*edit, File("A.TXT"));  // file names differ by case here
  EnsureAFilenameCountHasText(*edit, File("A.TXT"));
  EXPECT_EQ(edit->GetFilenames().Count(), 2);
}

TEST_F(LabelledControls, ASaveEditNamesANewFile) {
  auto* edit = new TFilenameEdit(form.get());
  edit->SetParent(form.get());
  edit->SetIsSaveDlg(true);
  edit->SetInitialDir(Utf8ToString(fDir));
  edit->SetFileTypes({ext_xml});
  ScopedModalHook hook([](TForm& form) { EXPECT_TRUE(dynamic_cast<TFileDialogForm&>(form).ChooseFiles({u"new"})); });
  edit->ClickRightButton();
  EXPECT_EQ(edit->GetText(), File("new.xml"));
  EXPECT_EQ(Lines(edit->GetFilenames()), std::vector<String>{File("new.xml")});
}

// ---------------------------------------------------------------------------
// Colour pickers.

TEST_F(LabelledControls, TheColourListBoxShowsTheSharedColoursWithTheirTexts) {
  auto* list = new TColourSharingListbox(form.get());
  list->SetParent(form.get());
  EXPECT_EQ(list->Width(), 80);
  EXPECT_EQ(list->Height(), 70);
  EXPECT_EQ(list->DefaultColour(), clNone);
  list->SetBounds(10, 10, 200, 120);
  list->HandleNeeded();
  const TMySharedColourList& shared = *MySharedColourList;
  ASSERT_EQ(list->Count(), shared.Count());
  EXPECT_EQ(list->GetAColour(-1), clNone);
  EXPECT_EQ(list->GetAColour(shared.Count()), clNone);
  EXPECT_EQ(list->GetAColour(0), shared.GetAColour(0).c);
  EXPECT_EQ(list->RowCaption(0), u"AliceBlue");
  list->SetShowText(ShowTextBit(ts_index) | ShowTextBit(ts_hex));
  EXPECT_EQ(list->RowCaption(0), u"001 00FFF8F0");
  list->SetShowText(ShowTextBit(ts_index) | ShowTextBit(ts_hex) | ShowTextBit(ts_description));
  EXPECT_EQ(list->RowCaption(9), u"010 00FF0000 Blue");
  list->SetASelected(clRed);
  EXPECT_EQ(list->SelectedColourName(), u"Red");
  EXPECT_EQ(list->GetASelected(), clRed);
  list->SetASelected(0x123456);
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_EQ(list->SelectedColourName(), u"");
  // Sorted by value, black first; the rows follow, the list stays.
  list->SortTheColours(csaValue, true);
  EXPECT_EQ(list->GetAColour(0), clBlack);
  EXPECT_EQ(shared.GetAColour(0).name, u"AliceBlue");
  list->SetASelected(clRed);
  EXPECT_EQ(list->GetASelected(), clRed);
  list->SetItemIndex(0);  // back to the top
  list->SetItemIndex(-1);
  list->SetDefaultColour(list->GetAColour(1));
  const Int32 m = list->Canvas().TextWidth(u"M");
  std::vector<TNamedPoint> points;
  for (Int32 row = 0; row < 4; ++row) {
    const TRect r = list->ItemRect(row);
    const Int32 swatchLeft = r.Left + m + 1;
    const Int32 swatchRight = swatchLeft + std::min(list->Canvas().TextWidth(u"99999999"), list->ClientWidth() / 4);
    const Int32 middle = (r.Top + r.Bottom) / 2;
    const std::string name = "row " + std::to_string(row);
    points.push_back({name + " swatch", Dot((swatchLeft + swatchRight) / 2, middle), AllOf(list->GetAColour(row))});
    // Only the default colour's row has the marker.
    points.push_back({name + " marker", Dot(r.Left + m / 2, middle), row == 1 ? AllOf(clHighlight) : NoneOf(clHighlight)});
    points.push_back({name + " text", TRect{swatchRight + m, r.Top + 2, r.Right, r.Bottom - 2}, InkOn(clWindow, 10)});
  }
  const auto failed = ScreenshotChecked(*list, "colour_list", points);
  EXPECT_TRUE(failed.empty()) << ::testing::PrintToString(failed);
}

TEST_F(LabelledControls, TheColourComboDrawsFramedSwatchesInItsSortedOrder) {
  auto* combo = new TLabelledColourSharingCombo(form.get());
  combo->SetParent(form.get());
  combo->SetBounds(10, 30, 160, 24);
  combo->HandleNeeded();
  const TMySharedColourList& shared = *MySharedColourList;
  ASSERT_EQ(combo->Items().Count(), shared.Count());
  EXPECT_EQ(combo->Items()[0], u" ");
  EXPECT_EQ(combo->NDX(), shared.SortedColours(csaHue, false));
  EXPECT_EQ(combo->GetAColour(0), shared.GetAColour(combo->NDX()[0]).c);
  EXPECT_EQ(combo->GetAColour(-1), clNone);
  combo->SetSelected(clYellow);
  EXPECT_EQ(combo->GetSelected(), clYellow);
  EXPECT_EQ(combo->SelectedColourName(), u"Yellow");
  const auto failed = ScreenshotChecked(
      *combo, "colour_combo_closed",
      {{"the chosen colour's swatch", TRect{0, 0, combo->Height(), combo->Height()}, SomeOf(clYellow)},
       {"its name", TRect{combo->Height(), 2, combo->Width() / 2, combo->Height() - 2}, InkOn(clWindow, 10)}});
  EXPECT_TRUE(failed.empty()) << ::testing::PrintToString(failed);

  // Rows of the list: a light colour framed black, a dark one framed white
  // when selected and not at all otherwise.
  auto row = [&](TColor colour, TOwnerDrawState state, const char* name) {
    combo->SetSelected(colour);
    QImage image(120, 18, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    combo->PaintItem(&painter, TSize{120, 18}, combo->ItemIndex(), TRect{0, 0, 120, 18}, state);
    painter.end();
    SaveScreenshot(image, name);
    return image;
  };
  QImage light = row(clYellow, 0, "colour_combo_row_light");
  EXPECT_EQ(PixelOf(light, 8, 9), clYellow);
  EXPECT_EQ(PixelOf(light, 1, 9), clBlack);
  QImage dark = row(clNavy, OwnerDrawBit(odSelected), "colour_combo_row_dark_selected");
  EXPECT_EQ(PixelOf(dark, 8, 9), clNavy);
  EXPECT_EQ(PixelOf(dark, 1, 9), clWhite);
  EXPECT_EQ(PixelOf(dark, 0, 0), ColorToRGB(clHighlight));
  QImage plain = row(clNavy, 0, "colour_combo_row_dark");
  EXPECT_EQ(PixelOf(plain, 1, 9), clNavy);
  EXPECT_EQ(PixelOf(plain, 0, 0), ColorToRGB(clWindow));
}

// ---------------------------------------------------------------------------

TEST_F(LabelledControls, TheStatusButtonMarksItsCornerAndTheShadowLabelDrawsPlainly) {
  auto* plain = new TButton(form.get());
  plain->SetParent(form.get());
  auto* status = new TMyStatusButton(form.get());
  status->SetParent(form.get());
  plain->SetCaption(u"Go");
  status->SetCaption(u"Go");
  const QImage a = Screenshot(*plain, "button_plain");
  const QImage b = Screenshot(*status, "button_status");
  int differentInCorner = 0, differentElsewhere = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) ++(x < 12 && y < 16 ? differentInCorner : differentElsewhere);
  EXPECT_GT(differentInCorner, 5);
  EXPECT_EQ(differentElsewhere, 0);

  auto* label = new TLabel(form.get());
  auto* shadow = new TShadowLabel(form.get());
  for (TLabel* l : {label, static_cast<TLabel*>(shadow)}) {
    l->SetParent(form.get());
    l->SetCaption(u"Shadow");
  }
  EXPECT_EQ(Rendered(*label), Rendered(*shadow));
}

}  // namespace
}  // namespace sk
