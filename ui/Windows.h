#pragma once

class Form1;
class Form2;

// The two windows: one instance each, created and loaded on first use,
// destroyed when unloaded.
namespace Windows {

// Start-up: the update window loads and shows, on today's row.
void start();

Form1 *form1();  // nullptr when not loaded
Form2 *form2();

// Loads the update window without showing it (nothing when already loaded).
Form2 &loadForm2();
// Shows a window modeless, loading it first when needed.
void showForm1();
void showForm2();
// Unloading writes the grid's pending edit, closes the almanac and discards
// the window.
void unloadForm1();
void unloadForm2();

// Ends the program, after writing any edit the grid still holds.
void end();

}  // namespace Windows
