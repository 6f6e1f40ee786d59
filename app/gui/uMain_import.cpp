#include "uMain.h"

// The import of a contract file.
void TMain::ToolButton1Click() {}
