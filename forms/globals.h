#pragma once

class TForm1;
class TForm2;
class TForm3;

/**
 * The three windows, one instance each. A reference is set before its window's creation
 * handler runs; code that may run before the dialogs exist tests the reference first.
 */
extern TForm1* Form1;
extern TForm2* Form2;
extern TForm3* Form3;
