#include "app/taborder.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLayout>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>
#include <algorithm>

namespace {

bool TakesTab(const QWidget* w) { return (w->focusPolicy() & Qt::TabFocus) != 0; }

// The widgets of a layout, nested layouts included, in the order they are read.
void LayoutWidgets(QLayout* layout, std::vector<QWidget*>& out) {
  struct Item {
    int row, column, index;
    QLayoutItem* item;
  };
  std::vector<Item> items;
  for (int i = 0; i < layout->count(); ++i) {
    QLayoutItem* item = layout->itemAt(i);
    if (!item) continue;
    int row = 0, column = i;
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
      int rowSpan = 0, columnSpan = 0;
      grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
    } else if (auto* box = qobject_cast<QBoxLayout*>(layout)) {
      const QBoxLayout::Direction d = box->direction();
      if (d == QBoxLayout::RightToLeft || d == QBoxLayout::BottomToTop) column = -i;
    }
    items.push_back({row, column, i, item});
  }
  std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
    return a.row != b.row ? a.row < b.row : a.column < b.column;
  });
  for (const Item& i : items) {
    if (QWidget* w = i.item->widget())
      out.push_back(w);
    else if (QLayout* inner = i.item->layout())
      LayoutWidgets(inner, out);
  }
}

// Controls placed by hand: rows from top to bottom (a control whose top lies
// above the middle of the first control of a row belongs to that row), each
// row from left to right.
void SortByPosition(std::vector<QWidget*>& widgets) {
  std::stable_sort(widgets.begin(), widgets.end(),
                   [](const QWidget* a, const QWidget* b) { return a->y() < b->y(); });
  std::vector<QWidget*> sorted;
  for (size_t start = 0; start < widgets.size();) {
    const QRect first = widgets[start]->geometry();
    size_t end = start + 1;
    while (end < widgets.size() && widgets[end]->y() < first.center().y()) ++end;
    std::stable_sort(widgets.begin() + static_cast<long>(start), widgets.begin() + static_cast<long>(end),
                     [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
    start = end;
  }
}

// The direct children of w in reading order: those of its layout first, in
// the layout's order, then the ones placed by hand.
std::vector<QWidget*> Children(QWidget* w) {
  std::vector<QWidget*> laid;
  if (w->layout()) LayoutWidgets(w->layout(), laid);
  laid.erase(std::remove_if(laid.begin(), laid.end(), [w](QWidget* c) { return c->parentWidget() != w; }),
             laid.end());
  std::vector<QWidget*> placed;
  for (QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (std::find(laid.begin(), laid.end(), c) == laid.end()) placed.push_back(c);
  SortByPosition(placed);
  laid.insert(laid.end(), placed.begin(), placed.end());
  return laid;
}

void Read(QWidget* w, std::vector<QWidget*>& out) {
  if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
    out.push_back(tabs->tabBar());
    for (int i = 0; i < tabs->count(); ++i) Read(tabs->widget(i), out);
    return;
  }
  if (auto* stack = qobject_cast<QStackedWidget*>(w)) {
    for (int i = 0; i < stack->count(); ++i) Read(stack->widget(i), out);
    return;
  }
  if (auto* scroll = qobject_cast<QScrollArea*>(w)) {
    if (scroll->widget()) Read(scroll->widget(), out);
    return;
  }
  if (TakesTab(w)) {
    out.push_back(w);
    // A control's own parts (a combo box's edit, a table's viewport) follow
    // it; only a group box that takes focus itself holds further controls.
    if (!qobject_cast<QGroupBox*>(w)) return;
  }
  for (QWidget* c : Children(w))
    if (!c->isWindow()) Read(c, out);
}

}  // namespace

std::vector<QWidget*> ReadingOrder(QWidget* window) {
  std::vector<QWidget*> out;
  if (!window) return out;
  for (QWidget* c : Children(window))
    if (!c->isWindow()) Read(c, out);
  return out;
}

void SetReadingTabOrder(QWidget* window) {
  const std::vector<QWidget*> order = ReadingOrder(window);
  for (size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}
