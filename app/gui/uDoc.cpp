#include "gui/uDoc.h"

TDoc::TDoc(QWidget* parent)
    : TRecipientWindow(QStringLiteral("Doc"), QStringLiteral("Накладные"), parent) {}
