#include "gui/uOutBar.h"

TOutBar::TOutBar(TdmMain& dm, QWidget* parent)
    : TRecipientWindow(QStringLiteral("OutBar"), QStringLiteral("Печать этикеток"), dm, parent) {}
