#include "platform/visual/ListBoxes.h"

#include <QtCore/QAbstractListModel>
#include <QtCore/QItemSelectionModel>
#include <QtGui/QPainter>
#include <QtWidgets/QListView>
#include <QtWidgets/QStyledItemDelegate>

#include "platform/visual/PainterSurface.h"
#include "platform/visual/QtBridge.h"
#include "platform/visual/QtConvert.h"

namespace sk {

namespace {

TListBox* ListOf(QWidget* w) {
  TWidgetBridge* b = TWidgetBridge::Of(w);
  return b != nullptr ? dynamic_cast<TListBox*>(b->Control()) : nullptr;
}

// The rows as Qt's view sees them: as many as the list box counts, with the
// row's text for lists that Qt draws.
class TListModel : public QAbstractListModel {
 public:
  explicit TListModel(QListView* view) : QAbstractListModel(view), fView(view) {}
  int rowCount(const QModelIndex& parent) const override {
    if (parent.isValid()) return 0;
    TListBox* l = ListOf(fView);
    return l != nullptr ? l->Count() : 0;
  }
  QVariant data(const QModelIndex& index, int role) const override {
    TListBox* l = ListOf(fView);
    if (l == nullptr || role != Qt::DisplayRole || l->OwnerDrawn()) return QVariant();
    return ToQString(l->RowText(index.row()));
  }
  void Reset() {
    beginResetModel();
    endResetModel();
  }

 private:
  QListView* fView;
};

class TListDelegate : public QStyledItemDelegate {
 public:
  explicit TListDelegate(QListView* view) : QStyledItemDelegate(view), fView(view) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    TListBox* l = ListOf(fView);
    if (l == nullptr || !l->OwnerDrawn()) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    TOwnerDrawState s = 0;
    if (option.state & QStyle::State_Selected) s |= OwnerDrawBit(odSelected);
    if (option.state & QStyle::State_HasFocus) s |= OwnerDrawBit(odFocused);
    if (!(option.state & QStyle::State_Enabled)) s |= OwnerDrawBit(odDisabled);
    const QPaintDevice* d = painter->device();
    l->PaintItem(painter, TSize{d->width(), d->height()}, index.row(), FromQRect(option.rect), s);
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    if (TListBox* l = ListOf(fView)) s.setHeight(l->ItemHeight());
    return s;
  }

 private:
  QListView* fView;
};

QWidget* MakeListWidget(TControl* control) {
  auto* view = new TBridgedWidget<QListView>(control);
  view->setUniformItemSizes(true);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setModel(new TListModel(view));
  view->setItemDelegate(new TListDelegate(view));
  return view;
}

QListView* ViewOf(const TControl* c) { return static_cast<QListView*>(c->Widget()); }

TListModel* ModelOf(QListView* v) { return v != nullptr ? static_cast<TListModel*>(v->model()) : nullptr; }

}  // namespace

TListBox::TListBox(TComponent* owner)
    : TWinControl(owner, &MakeListWidget), fItems(std::make_unique<TControlItems>()),
      fCanvas(std::make_unique<TCanvas>()) {
  fItems->OnEdited = [this](TItemsEdit edit, Int32 a, Int32 b) { ItemsEdited(edit, a, b); };
  QListView* v = ViewOf(this);
  QObject::connect(v->selectionModel(), &QItemSelectionModel::currentChanged, v,
                   [this, v](const QModelIndex& current, const QModelIndex&) {
                     if (ListOf(v) == this) WidgetChose(current.isValid() ? current.row() : -1);
                   });
  SetColor(clWindow);
  SetTabStop(true);
  SetBounds(0, 0, 121, 97);
}

TListBox::~TListBox() {
  Destroying();
  fItems->OnEdited = nullptr;
}

void TListBox::Choose(Int32 index) {
  fItemIndex = index;
  fChosenText = index >= 0 && !Virtual() && index < fItems->Count() ? (*fItems)[index] : String();
}

void TListBox::ItemsEdited(TItemsEdit edit, Int32 a, Int32 b) {
  if (Virtual()) return;
  Choose(fItems->Follow(fItemIndex, fChosenText, edit, a, b));
  // A batch shows its rows once, at its end.
  if (fItems->UpdateCount() == 0) RowsChanged();
}

void TListBox::SetStyle(TListBoxStyle s) {
  if (s == fStyle) return;
  fStyle = s;
  RowsChanged();
}

Int32 TListBox::Count() const { return Virtual() ? fCount : fItems->Count(); }

void TListBox::SetCount(Int32 n) {
  if (!Virtual()) return;
  fCount = n < 0 ? 0 : n;
  RowsChanged();
}

void TListBox::SetItemHeight(Int32 h) {
  if (h <= 0 || h == fItemHeight) return;
  fItemHeight = h;
  if (QListView* v = ViewOf(this)) v->doItemsLayout();
}

String TListBox::RowText(Int32 index) const {
  if (index < 0 || index >= Count()) return String();
  if (!Virtual()) return (*fItems)[index];
  String data;
  if (OnData) OnData(const_cast<TListBox*>(this), index, data);
  return data;
}

void TListBox::RowsChanged() {
  if (fItemIndex >= Count()) Choose(-1);
  QListView* v = ViewOf(this);
  if (v == nullptr) return;
  fSetting = true;
  ModelOf(v)->Reset();
  if (fItemIndex >= 0) v->setCurrentIndex(v->model()->index(fItemIndex, 0));
  fSetting = false;
}

void TListBox::SetItemIndex(Int32 index) {
  if (index < -1 || index >= Count()) index = -1;
  Choose(index);
  QListView* v = ViewOf(this);
  if (v == nullptr) return;
  fSetting = true;
  if (index < 0) {
    v->selectionModel()->clear();
  } else {
    v->setCurrentIndex(v->model()->index(index, 0));
    v->scrollTo(v->currentIndex());
  }
  fSetting = false;
  v->viewport()->update();
}

void TListBox::WidgetChose(Int32 index) {
  if (fSetting) return;
  Choose(index >= 0 && index < Count() ? index : -1);
  Click();
}

TRect TListBox::ItemRect(Int32 index) const {
  QListView* v = ViewOf(this);
  if (v == nullptr || index < 0 || index >= Count()) return TRect{};
  const QRect r = v->visualRect(v->model()->index(index, 0));
  return FromQRect(r.translated(v->viewport()->geometry().topLeft()));
}

void TListBox::PaintItem(QPainter* painter, TSize extent, Int32 index, const TRect& rect, TOwnerDrawState state) {
  if (index < 0 || index >= Count()) return;
  TCanvas& c = *fCanvas;
  TCanvasOnPainter on(c, painter, extent);
  c.Font().Assign(Font());
  const bool selected = HasOwnerDrawFlag(state, odSelected);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(selected ? clHighlight : Color());
  c.Font().SetColor(selected ? clHighlightText : Font().Color());
  c.Pen().SetColor(clWindowText);
  c.SetClipRect(rect);
  DrawItem(index, rect, state);
  c.RemoveClipRegion();
}

void TListBox::DrawItem(Int32 index, const TRect& rect, TOwnerDrawState state) {
  if (OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  TCanvas& c = *fCanvas;
  c.FillRect(rect);
  c.TextOut(rect.Left + 2, rect.Top, RowText(index));
}

}  // namespace sk
