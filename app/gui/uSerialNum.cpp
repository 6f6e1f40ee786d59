#include "gui/uSerialNum.h"

#include "core/contractreader.h"
#include "core/waybill.h"
#include "gui/entrygrid.h"

#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStandardItemModel>
#include <QVBoxLayout>

// ---------------------------------------------------------------- TdlgInpFin

TdlgInpFin::TdlgInpFin(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgInpFin"));
    setWindowTitle(QStringLiteral("Подтвердите завершение ввода"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(330, 214);

    auto* bevel = new QFrame(this);
    bevel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    bevel->setGeometry(8, 8, 313, 161);
    auto* label1 =
        new QLabel(QStringLiteral("Не введены серийные номера в следующих строках: "), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->move(30, 16);
    label1->adjustSize();
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(16, 40, 297, 97);
    Memo1->setReadOnly(true);
    auto* label2 = new QLabel(QStringLiteral("Желаете ввести недостающие значения?"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->move(56, 144);
    label2->adjustSize();
    OKBtn = new QPushButton(QStringLiteral("Да"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(87, 180, 75, 25);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Нет"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(167, 180, 75, 25);
    connect(OKBtn, &QPushButton::clicked, this, [this] { done(mrYes); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { done(mrNo); });
    FormCreate();
}

void TdlgInpFin::FormCreate() {
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void TdlgInpFin::keyPressEvent(QKeyEvent* event) {
    // Esc answers as the cancel button does; the close box (reject) answers neither.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CancelBtn->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---------------------------------------------------------------- TfrmSerialNum

TfrmSerialNum::TfrmSerialNum(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSerialNum"));
    setWindowTitle(QStringLiteral("Ввод серийных номеров"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(347, 279);

    auto* top = new QWidget(this);
    top->setGeometry(0, 0, 347, 225);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    m_cells = new QStandardItemModel(1, 2, this);
    m_cells->setHorizontalHeaderLabels(
        {QStringLiteral("Номер по порядку"), QStringLiteral("Значение серийного номера")});
    StringGrid1 = new TEntryGrid(top);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setModel(m_cells);
    StringGrid1->setItemDelegate(new TEntryDelegate(
        [this](const QModelIndex& index, const QString& text) {
            StringGrid1SetEditText(index.column(), index.row(), text);
            return cell(index.column(), index.row());
        },
        [this](QChar ch) { return !StringGrid1KeyPress(ch).isNull(); }, StringGrid1));
    StringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    StringGrid1->setShowGrid(true);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setDefaultSectionSize(18);
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    StringGrid1->horizontalHeader()->setHighlightSections(false);
    StringGrid1->setColumnWidth(0, 110);
    StringGrid1->setColumnWidth(1, 212);
    topLayout->addWidget(StringGrid1);

    auto* bottom = new QWidget(this);
    bottom->setGeometry(0, 225, 347, 54);
    Button1 = new QPushButton(QStringLiteral("ОК"), bottom);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(56, 16, 75, 25);
    Button2 = new QPushButton(QStringLiteral("Отмена"), bottom);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(224, 16, 75, 25);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

QString TfrmSerialNum::cell(int ACol, int ARow) const {
    const QStandardItem* item = m_cells->item(ARow, ACol);
    return item ? item->text() : QString();
}

void TfrmSerialNum::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmSerialNum::FormShow() {
    const int rows = SerialCount > 0 ? SerialCount : 1;
    QStringList numbers(rows);
    if (SerialCount > 0 && SerialRowIndex >= 0 && SerialRowIndex < ContDataList.size())
        numbers = Serials::rowsFromStored(ContDataList[SerialRowIndex].serials, SerialCount);
    m_cells->removeRows(0, m_cells->rowCount());
    m_cells->setRowCount(rows);
    const QBrush fixed = palette().button();
    for (int r = 0; r < rows; ++r) {
        // The fixed column: the row's number, not editable.
        auto* number = new QStandardItem(SerialCount > 0 ? QString::number(r + 1) : QString());
        number->setFlags(Qt::ItemIsEnabled);
        number->setBackground(fixed);
        m_cells->setItem(r, 0, number);
        auto* value = new QStandardItem(numbers.value(r));
        value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        m_cells->setItem(r, 1, value);
    }
    StringGrid1->setCurrentIndex(m_cells->index(0, 1));
    StringGrid1->setFocus();
    SerialTooLong = false;
}

void TfrmSerialNum::store(const QString& serials) {
    if (SerialRowIndex >= 0 && SerialRowIndex < ContDataList.size())
        ContDataList[SerialRowIndex].serials = serials;
}

void TfrmSerialNum::Button1Click() {
    if (SerialCount == 0) {
        accept();
        return;
    }
    QStringList rows;
    for (int r = 0; r < SerialCount; ++r)
        rows << cell(1, r);
    const Serials::Collected c = Serials::collect(rows);
    if (c.emptyRows.isEmpty()) {
        store(c.serials);
        accept();
        return;
    }
    if (!m_confirm)
        return;
    m_confirm->Memo1->setPlainText(c.emptyRows);
    if (m_confirm->exec() == TdlgInpFin::mrNo) {
        store(c.serials);
        accept();
    }
    // "Да" or the close box: the dialog stays as it is, to fill the empty rows in.
}

void TfrmSerialNum::Button2Click() {
    reject();
}

QChar TfrmSerialNum::StringGrid1KeyPress(QChar key) {
    return Waybill::serialAllowed(key, SerialTooLong) ? key : QChar();
}

void TfrmSerialNum::StringGrid1SetEditText(int ACol, int ARow, const QString& value) {
    QStandardItem* item = m_cells->item(ARow, ACol);
    if (!item)
        return;
    bool cut = false;
    item->setText(Serials::cutCell(value, &cut));
    SerialTooLong = cut;
}
