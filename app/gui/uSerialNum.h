// The serial number dialogs.
#pragma once

#include <QDialog>

class TfrmSerialNum : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSerialNum(QWidget* parent = nullptr);
};

class TdlgInpFin : public QDialog {
    Q_OBJECT
public:
    explicit TdlgInpFin(QWidget* parent = nullptr);
};
