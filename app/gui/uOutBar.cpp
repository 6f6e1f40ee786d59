#include "gui/uOutBar.h"

TOutBar::TOutBar(QWidget* parent)
    : TRecipientWindow(QStringLiteral("OutBar"), QStringLiteral("Печать этикеток"), parent) {}
