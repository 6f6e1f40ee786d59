#include "gui/uDoc.h"

TDoc::TDoc(TdmMain& dm, QWidget* parent)
    : TRecipientWindow(QStringLiteral("Doc"), QStringLiteral("Накладные"), dm, parent) {}
