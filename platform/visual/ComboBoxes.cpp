#include "platform/visual/ComboBoxes.h"

#include <QtCore/QSignalBlocker>
#include <QtGui/QPainter>
#include <QtWidgets/QAbstractItemView>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QStyleOptionComboBox>
#include <QtWidgets/QStyledItemDelegate>
#include <QtWidgets/QStylePainter>

#include "platform/runtime/Colors.h"
#include "platform/visual/PainterSurface.h"
#include "platform/visual/QtBridge.h"
#include "platform/visual/QtConvert.h"

namespace sk {

namespace {

TComboBox* ComboOf(QWidget* w) {
  TWidgetBridge* b = TWidgetBridge::Of(w);
  return b != nullptr ? dynamic_cast<TComboBox*>(b->Control()) : nullptr;
}

TOwnerDrawState StateOf(QStyle::State s) {
  TOwnerDrawState r = 0;
  if (s & QStyle::State_Selected) r |= OwnerDrawBit(odSelected);
  if (s & QStyle::State_HasFocus) r |= OwnerDrawBit(odFocused);
  if (!(s & QStyle::State_Enabled)) r |= OwnerDrawBit(odDisabled);
  return r;
}

// Rows of the dropped-down list: owner-drawn styles draw them through the
// combo box, the others as Qt does.
class TComboDelegate : public QStyledItemDelegate {
 public:
  explicit TComboDelegate(QComboBox* combo) : QStyledItemDelegate(combo), fCombo(combo) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    TComboBox* c = ComboOf(fCombo);
    if (c == nullptr || !c->OwnerDrawn()) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    const QPaintDevice* d = painter->device();
    c->PaintItem(painter, TSize{d->width(), d->height()}, index.row(), FromQRect(option.rect), StateOf(option.state));
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    if (TComboBox* c = ComboOf(fCombo); c != nullptr && c->OwnerDrawn()) s.setHeight(c->ItemHeight());
    return s;
  }

 private:
  QComboBox* fCombo;
};

// The combo box's widget: owner-drawn styles draw the chosen row in the
// closed box themselves.
class TComboWidget : public TBridgedWidget<QComboBox> {
 public:
  explicit TComboWidget(TControl* control) : TBridgedWidget<QComboBox>(control) {}

 protected:
  void paintEvent(QPaintEvent* e) override {
    auto* c = dynamic_cast<TComboBox*>(Control());
    if (c == nullptr || !c->OwnerDrawn()) {
      TBridgedWidget<QComboBox>::paintEvent(e);
      return;
    }
    Depth depth(*this);
    QStylePainter painter(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText.clear();
    opt.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, opt);
    const int index = currentIndex();
    if (index < 0) return;
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    TOwnerDrawState state = OwnerDrawBit(odComboBoxEdit);
    if (hasFocus()) state |= OwnerDrawBit(odSelected) | OwnerDrawBit(odFocused);
    if (!isEnabled()) state |= OwnerDrawBit(odDisabled);
    c->PaintItem(&painter, TSize{width(), height()}, index, FromQRect(field), state);
  }
};

QWidget* MakeComboWidget(TControl* control) {
  auto* w = new TComboWidget(control);
  w->setItemDelegate(new TComboDelegate(w));
  w->setInsertPolicy(QComboBox::NoInsert);
  return w;
}

QComboBox* QtCombo(const TControl* c) { return static_cast<QComboBox*>(c->Widget()); }

bool Editable(TComboBoxStyle s) { return s == csDropDown || s == csSimple; }

// Chooses row index of the widget. An editable box is handed the row's text
// first: a box that changes its edit's text itself also matches that text
// against every row for completion, which would make each choice cost all
// the rows.
void SetCurrentRow(QComboBox* w, int index) {
  if (w->isEditable() && index >= 0 && index < w->count()) w->lineEdit()->setText(w->itemText(index));
  w->setCurrentIndex(index);
}

}  // namespace

TComboBox::TComboBox(TComponent* owner)
    : TWinControl(owner, &MakeComboWidget), fItems(std::make_unique<TControlItems>()),
      fCanvas(std::make_unique<TCanvas>()) {
  fItems->OnEdited = [this](TItemsEdit edit, Int32 a, Int32 b) { ItemsEdited(edit, a, b); };
  QComboBox* w = QtCombo(this);
  QObject::connect(w, QOverload<int>::of(&QComboBox::activated), w, [this, w](int index) {
    if (ComboOf(w) == this) WidgetChose(index);
  });
  SetColor(clWindow);
  SetTabStop(true);
  ApplyStyle();
  SetBounds(0, 0, 145, 23);
}

TComboBox::~TComboBox() {
  Destroying();
  fItems->OnEdited = nullptr;
}

void TComboBox::ApplyStyle() {
  QComboBox* w = QtCombo(this);
  if (w == nullptr) return;
  fFilling = true;
  {
    const QSignalBlocker block(w);
    const bool editable = Editable(fStyle);
    if (w->isEditable() != editable) {
      w->setEditable(editable);
      if (editable) {
        w->setInsertPolicy(QComboBox::NoInsert);
        QLineEdit* e = w->lineEdit();
        QObject::connect(e, &QLineEdit::textEdited, w, [this, w](const QString&) {
          if (ComboOf(w) == this) WidgetTyped();
        });
      }
    }
  }
  fFilling = false;
  FillWidget();
}

void TComboBox::SetStyle(TComboBoxStyle s) {
  if (s == fStyle) return;
  fStyle = s;
  ApplyStyle();
  Invalidate();
}

void TComboBox::SetItemHeight(Int32 h) {
  if (h <= 0 || h == fItemHeight) return;
  fItemHeight = h;
  if (QComboBox* w = QtCombo(this)) w->view()->doItemsLayout();
}

void TComboBox::SetDropDownCount(Int32 n) {
  fDropDownCount = n < 1 ? 1 : n;
  if (QComboBox* w = QtCombo(this)) w->setMaxVisibleItems(fDropDownCount);
}

void TComboBox::Choose(Int32 index) {
  fItemIndex = index;
  fChosenText = index >= 0 ? (*fItems)[index] : String();
}

void TComboBox::ItemsEdited(TItemsEdit edit, Int32 a, Int32 b) {
  Choose(fItems->Follow(fItemIndex, fChosenText, edit, a, b));
  if (fItems->UpdateCount() > 0) {
    fWidgetStale = true;
    return;
  }
  QComboBox* w = QtCombo(this);
  if (w == nullptr) return;
  if (edit == ieBatchEnded && !fWidgetStale) return;
  if (edit == ieReset || edit == ieBatchEnded || fWidgetStale) {
    FillWidget();
    return;
  }
  // One row changed: the widget's list changes by that row alone, and its
  // chosen row and edit text are put back as they were.
  fFilling = true;
  {
    const QSignalBlocker block(w);
    const bool editable = w->isEditable();
    const QString text = editable ? w->lineEdit()->text() : QString();
    switch (edit) {
      case ieInserted: w->insertItem(a, ToQString((*fItems)[a])); break;
      case ieDeleted: w->removeItem(a); break;
      case iePut: w->setItemText(a, ToQString((*fItems)[a])); break;
      case ieMoved:
        w->removeItem(a);
        w->insertItem(b, ToQString((*fItems)[b]));
        break;
      case ieExchanged:
        w->setItemText(a, ToQString((*fItems)[a]));
        w->setItemText(b, ToQString((*fItems)[b]));
        break;
      default: break;
    }
    if (w->currentIndex() != fItemIndex) SetCurrentRow(w, fItemIndex);
    if (editable && w->lineEdit()->text() != text) w->lineEdit()->setText(text);
  }
  fFilling = false;
  w->update();
}

void TComboBox::FillWidget() {
  QComboBox* w = QtCombo(this);
  if (w == nullptr) return;
  fWidgetStale = false;
  fFilling = true;
  {
    const QSignalBlocker block(w);
    const bool editable = w->isEditable();
    const QString text = editable ? w->lineEdit()->text() : QString();
    w->clear();
    QStringList list;
    list.reserve(fItems->Count());
    for (Int32 i = 0; i < fItems->Count(); ++i) list.append(ToQString((*fItems)[i]));
    w->addItems(list);
    SetCurrentRow(w, fItemIndex);
    if (editable) w->lineEdit()->setText(text);
  }
  fFilling = false;
  w->update();
}

String TComboBox::GetText() const {
  QComboBox* w = QtCombo(this);
  if (w != nullptr && w->isEditable()) return FromQString(w->lineEdit()->text());
  return fItemIndex >= 0 && fItemIndex < fItems->Count() ? (*fItems)[fItemIndex] : String();
}

void TComboBox::SetText(const String& s) {
  Choose(fItems->IndexOf(s));
  QComboBox* w = QtCombo(this);
  if (w == nullptr) return;
  fFilling = true;
  {
    const QSignalBlocker block(w);
    SetCurrentRow(w, fItemIndex);
    if (w->isEditable()) w->lineEdit()->setText(ToQString(s));
  }
  fFilling = false;
  w->update();
}

void TComboBox::SetItemIndex(Int32 index) {
  if (index < -1 || index >= fItems->Count()) index = -1;
  Choose(index);
  QComboBox* w = QtCombo(this);
  if (w == nullptr) return;
  fFilling = true;
  {
    const QSignalBlocker block(w);
    SetCurrentRow(w, index);
    if (w->isEditable()) w->lineEdit()->setText(index >= 0 ? ToQString((*fItems)[index]) : QString());
  }
  fFilling = false;
  w->update();
}

void TComboBox::WidgetChose(Int32 index) {
  if (fFilling) return;
  Choose(index >= 0 && index < fItems->Count() ? index : -1);
  Click();
  Select();
}

void TComboBox::WidgetTyped() {
  if (fFilling) return;
  QComboBox* w = QtCombo(this);
  if (w == nullptr) return;
  Choose(fItems->IndexOf(FromQString(w->lineEdit()->text())));
  Change();
}

void TComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TComboBox::Select() {
  if (OnSelect)
    OnSelect(this);
  else
    Change();
}

void TComboBox::PaintItem(QPainter* painter, TSize extent, Int32 index, const TRect& rect, TOwnerDrawState state) {
  if (index < 0 || index >= fItems->Count()) return;
  TCanvas& c = *fCanvas;
  TCanvasOnPainter on(c, painter, extent);
  c.Font().Assign(Font());
  const bool selected = HasOwnerDrawFlag(state, odSelected);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(selected ? clHighlight : clWindow);
  c.Font().SetColor(selected ? clHighlightText : clWindowText);
  c.Pen().SetColor(clWindowText);
  c.SetClipRect(rect);
  DrawItem(index, rect, state);
  c.RemoveClipRegion();
}

void TComboBox::DrawItem(Int32 index, const TRect& rect, TOwnerDrawState state) {
  if (OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  TCanvas& c = *fCanvas;
  c.FillRect(rect);
  const Int32 y = rect.Top + (rect.Bottom - rect.Top - c.TextHeight((*fItems)[index])) / 2;
  c.TextOut(rect.Left + 2, y, (*fItems)[index]);
}

// ---------------------------------------------------------------------------

namespace {

constexpr TColor kStandardColors[] = {clBlack, clMaroon, clGreen, clOlive, clNavy,    clPurple, clTeal,  clGray,
                                      clSilver, clRed,   clLime,  clYellow, clBlue,   clFuchsia, clAqua, clWhite};
constexpr TColor kExtendedColors[] = {clMoneyGreen, clSkyBlue, clCream, clMedGray};

}  // namespace

TColorBox::TColorBox(TComponent* owner) : TComboBox(owner) { SetStyle(csOwnerDrawFixed); }

TColorBox::~TColorBox() { Destroying(); }

void TColorBox::SetColorStyle(TColorBoxStyle s) {
  if (s == fColorStyle) return;
  fColorStyle = s;
  if (HandleAllocated()) PopulateList();
}

TColor TColorBox::Colors(Int32 i) const {
  return i >= 0 && i < static_cast<Int32>(fColors.size()) ? fColors[static_cast<size_t>(i)] : clNone;
}

void TColorBox::SetSelected(TColor c) {
  for (size_t i = 0; i < fColors.size(); ++i)
    if (fColors[i] == c) {
      SetItemIndex(static_cast<Int32>(i));
      return;
    }
  SetItemIndex(-1);
}

void TColorBox::CreateWnd() {
  TComboBox::CreateWnd();
  PopulateList();
}

void TColorBox::PopulateList() {
  const TColor chosen = Selected();
  TStringList& items = Items();
  fColors.clear();
  {
    TUpdateScope update(items);
    items.Clear();
    if (fColorStyle & ColorBoxFlag(cbCustomColors)) {
      if (OnGetColors) OnGetColors(this, items);
      fColors.assign(static_cast<size_t>(items.Count()), clNone);
    } else {
      auto add = [&](TColor c) {
        String name;
        if (!ColorToIdent(c, name)) name = ColorToString(c);
        if ((fColorStyle & ColorBoxFlag(cbPrettyNames)) && name.rfind(u"cl", 0) == 0) name = name.substr(2);
        items.Add(name);
        fColors.push_back(c);
      };
      if (fColorStyle & ColorBoxFlag(cbIncludeNone)) add(clNone);
      if (fColorStyle & ColorBoxFlag(cbIncludeDefault)) add(clDefault);
      if (fColorStyle & ColorBoxFlag(cbStandardColors))
        for (TColor c : kStandardColors) add(c);
      if (fColorStyle & ColorBoxFlag(cbExtendedColors))
        for (TColor c : kExtendedColors) add(c);
      if (fColorStyle & ColorBoxFlag(cbSystemColors))
        for (Int32 i = 0; i < SystemColorCount; ++i) {
          String name;
          if (ColorToIdent(clSysColor | i, name)) add(clSysColor | i);
        }
    }
  }
  SetSelected(chosen);
}

void TColorBox::DrawItem(Int32 index, const TRect& rect, TOwnerDrawState state) {
  if (OnDrawItem) {
    TComboBox::DrawItem(index, rect, state);
    return;
  }
  TCanvas& c = Canvas();
  c.FillRect(rect);
  const Int32 h = rect.Bottom - rect.Top;
  const TRect swatch{rect.Left + 1, rect.Top + 1, rect.Left + h - 1, rect.Bottom - 1};
  const TColor brush = c.Brush().Color();
  const TColor colour = Colors(index);
  if (colour != clNone) {
    c.Brush().SetColor(colour);
    c.FillRect(swatch);
  }
  c.Brush().SetColor(clBlack);
  c.FrameRect(swatch);
  c.Brush().SetColor(brush);
  c.Brush().SetStyle(bsClear);
  const String& text = Items()[index];
  c.TextOut(swatch.Right + 4, rect.Top + (h - c.TextHeight(text)) / 2, text);
  c.Brush().SetStyle(bsSolid);
}

}  // namespace sk
