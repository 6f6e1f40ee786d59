// The about box.
#pragma once

#include <QDialog>

class QPushButton;

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);
    QPushButton* OKButton = nullptr;
};
