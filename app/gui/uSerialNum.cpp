#include "gui/uSerialNum.h"

TfrmSerialNum::TfrmSerialNum(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSerialNum"));
    setWindowTitle(QStringLiteral("Ввод серийных номеров"));
    setModal(true);
}

TdlgInpFin::TdlgInpFin(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgInpFin"));
    setWindowTitle(QStringLiteral("Подтвердите завершение ввода"));
    setModal(true);
}
