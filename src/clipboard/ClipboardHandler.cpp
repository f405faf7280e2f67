#include "shell/MainUnit.h"

// After every clipboard change: offers a copied object address for binding.
void TfrmMain::ClipboardViewer1Change(QObject *)
{
}
