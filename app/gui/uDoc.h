// The waybill window.
#pragma once

#include "gui/recipientwindow.h"

class TDoc : public TRecipientWindow {
    Q_OBJECT
public:
    explicit TDoc(TdmMain& dm, QWidget* parent = nullptr);
};
