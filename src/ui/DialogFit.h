#pragma once

class QDialog;

// A fixed dialog as a desktop expects it: no minimise or maximise button, and wide
// enough that the window manager shows its whole title.
void fitDialog(QDialog* dialog);
