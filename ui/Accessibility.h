#pragma once

class QItemSelection;
class QModelIndex;
class QTableView;

// What screen readers hear of the windows:
// - the almanac grid as a table of the columns it shows (hidden model columns
//   left out), named after their header captions, with the current cell
//   reported focused and selected;
// - the update window as a window (frame) with its caption;
// - the greeting window's drawn surface as the text it prints, line by line.
// Installed once; windows call it before their first widget is made.
void installAccessibility();

namespace GridAccessibility {
// The grid tells screen readers of its moves with these, in place of the
// stock table view's notices, whose cell numbers count hidden columns.
void currentChanged(QTableView *view, const QModelIndex &current);
void selectionChanged(QTableView *view, const QItemSelection &selected, const QItemSelection &deselected);
}  // namespace GridAccessibility
