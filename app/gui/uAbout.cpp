#include "gui/uAbout.h"

#include "gui/uDmMain.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("О программе"));
    setFixedSize(298, 190);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    auto* picture = new QLabel(panel);
    picture->setFixedSize(65, 57);
    picture->setScaledContents(true);
    picture->setPixmap(makeImageList().value(2).pixmap(32, 32));
    auto* product = new QLabel(QStringLiteral("Тарвик 1.4"), panel);
    QFont bold = product->font();
    bold.setBold(true);
    bold.setPointSize(10);
    product->setFont(bold);
    auto* build = new QLabel(QStringLiteral("сборка 18 апреля 2011 года"), panel);
    auto* text = new QVBoxLayout;
    text->addWidget(product);
    text->addWidget(build);
    text->addStretch();
    auto* row = new QHBoxLayout(panel);
    row->addWidget(picture, 0, Qt::AlignTop);
    row->addLayout(text);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);
}
