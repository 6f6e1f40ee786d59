// The label window.
#pragma once

#include "gui/recipientwindow.h"

class TOutBar : public TRecipientWindow {
    Q_OBJECT
public:
    explicit TOutBar(TdmMain& dm, QWidget* parent = nullptr);
};
