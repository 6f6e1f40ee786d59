#include "uOutBar.h"

#include "uDoc.h"

#include <QComboBox>
#include <QVBoxLayout>

TOutBar::TOutBar(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("OutBar"));
    setWindowTitle(QStringLiteral("Печать этикеток"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    layout->addWidget(ComboBox1);
    layout->addStretch();
    resize(640, 420);
}

void TOutBar::LoadItems() {
    if (ComboBox1->currentIndex() < 0)
        raiseListIndexError(0);
}
