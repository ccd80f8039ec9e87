#pragma once

class Form2;
class QTableView;

// The update window's commands beyond editing, on the grid's context menu
// and on their keys: search (Ctrl+F, F3, Shift+F3), export (Ctrl+E), import
// (Ctrl+I) and print (Ctrl+P).
void addGridCommands(Form2 *window, QTableView *grid);
