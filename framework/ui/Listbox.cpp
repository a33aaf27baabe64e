#include "framework/ui/Listbox.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableWidget>

namespace fw {
namespace {

QTableWidget* Table(QWidget* w) { return static_cast<QTableWidget*>(w); }

QTableWidget* MakeTable() {
  auto* table = new QTableWidget(0, 1);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->horizontalHeader()->hide();
  table->verticalHeader()->hide();
  table->horizontalHeader()->setStretchLastSection(true);
  return table;
}

}  // namespace

Listbox::Listbox() : RectControl(MakeTable()) {}

std::int32_t Listbox::ListCount() const { return Table(Widget())->rowCount(); }

std::int32_t Listbox::ColumnCount() const { return Table(Widget())->columnCount(); }

void Listbox::SetColumnCount(std::int32_t columns) {
  Table(Widget())->setColumnCount(columns < 1 ? 1 : columns);
}

String Listbox::Cell(std::int32_t row, std::int32_t column) const {
  const QTableWidgetItem* item = Table(Widget())->item(row, column);
  return item == nullptr ? String() : item->text().toStdString();
}

void Listbox::SetCell(std::int32_t row, std::int32_t column, const String& text) {
  QTableWidget* table = Table(Widget());
  if (row < 0 || row >= table->rowCount() || column < 0 || column >= table->columnCount()) return;
  table->setItem(row, column, new QTableWidgetItem(QString::fromStdString(text)));
}

String Listbox::List(std::int32_t row) const { return Cell(row, 0); }

void Listbox::AddRow(const String& text) {
  QTableWidget* table = Table(Widget());
  const int row = table->rowCount();
  table->insertRow(row);
  SetCell(row, 0, text);
}

std::int32_t Listbox::ListIndex() const {
  const QModelIndexList rows = Table(Widget())->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void Listbox::SetListIndex(std::int32_t row) {
  QTableWidget* table = Table(Widget());
  if (row == -1) {
    table->clearSelection();
    return;
  }
  if (row < 0 || row >= table->rowCount()) return;
  table->selectRow(row);
}

String Listbox::Text() const {
  const std::int32_t row = ListIndex();
  return row < 0 ? String() : Cell(row, 0);
}

}  // namespace fw
