#include "gui/recipientwindow.h"

#include "core/apperror.h"

#include <QComboBox>
#include <QVBoxLayout>

void raiseListIndexError(int index) {
    throw AppError(QStringLiteral("Индекс списка вне допустимых границ (%1)").arg(index));
}

TRecipientWindow::TRecipientWindow(const QString& name, const QString& caption, QWidget* parent)
    : QDialog(parent) {
    setObjectName(name);
    setWindowTitle(caption);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    layout->addWidget(ComboBox1);
    layout->addStretch();
    resize(640, 420);
}

void TRecipientWindow::LoadItems() {
    if (ComboBox1->currentIndex() < 0)
        raiseListIndexError(0);
}
