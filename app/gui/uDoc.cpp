#include "gui/uDoc.h"

#include "core/catalogue.h"
#include "core/contractreader.h"
#include "core/regional.h"
#include "docs/symbolcheck.h"
#include "gui/entrygrid.h"
#include "gui/errorbox.h"
#include "gui/keyfilter.h"
#include "gui/preview.h"
#include "gui/uDmMain.h"
#include "gui/uMain.h"
#include "gui/uSerialNum.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

// The item grid's rows: the records of ContDataList; one blank row when there are none.
class TDocItems : public QAbstractTableModel {
public:
    TDocItems(TDoc& doc, QObject* parent) : QAbstractTableModel(parent), m_doc(doc) {}

    // After the list was refilled.
    void reload() {
        beginResetModel();
        m_rows = std::max<int>(1, int(ContDataList.size()));
        endResetModel();
    }
    // After a record changed: the whole row is painted again.
    void rowChanged(int row) {
        emit dataChanged(index(row, 0), index(row, Waybill::ColumnCount - 1));
    }
    bool hasRecord(int row) const { return row >= 0 && row < ContDataList.size(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : m_rows;
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : Waybill::ColumnCount;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || !hasRecord(index.row()))
            return QVariant();
        switch (role) {
        case Qt::DisplayRole:
            return Waybill::cellText(ContDataList[index.row()], index.column());
        case Qt::EditRole: {
            QString text;
            return m_doc.DrawGrid1GetEditText(index.column(), index.row(), &text) ? text
                                                                                  : QVariant();
        }
        case Qt::TextAlignmentRole:
            return int(TDoc::columns()[index.column()].alignment);
        default:
            return QVariant();
        }
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags f = QAbstractTableModel::flags(index);
        if (index.isValid() && m_doc.DrawGrid1GetEditText(index.column(), index.row(), nullptr))
            f |= Qt::ItemIsEditable;
        return f;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && section >= 0 && section < Waybill::ColumnCount) {
            if (role == Qt::DisplayRole)
                return TDoc::columns()[section].title;
            if (role == Qt::TextAlignmentRole)
                return int(Qt::AlignLeft | Qt::AlignVCenter);
        }
        return QAbstractTableModel::headerData(section, orientation, role);
    }

private:
    TDoc& m_doc;
    int m_rows = 1;
};

namespace {

// The grid's editor reports to DrawGrid1SetEditText; its cells are drawn by DrawGrid1DrawCell.
class TDocDelegate : public TEntryDelegate {
public:
    explicit TDocDelegate(TDoc& doc)
        : TEntryDelegate(
              [&doc](const QModelIndex& index, const QString& text) {
                  doc.DrawGrid1SetEditText(index.column(), index.row(), text);
                  return text; // the editor shows what was typed until it closes
              },
              nullptr, &doc),
          m_doc(doc) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        // The background, the selection and the focus frame as the style draws them.
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        opt.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        painter->save();
        painter->setClipRect(option.rect);
        m_doc.DrawGrid1DrawCell(*painter, index.column(), index.row(), option.rect, option.palette,
                                option.state & QStyle::State_Selected);
        painter->restore();
    }

private:
    TDoc& m_doc;
};

// Text on one line per line break, cut with an ellipsis where it does not fit.
void drawCellText(QPainter& canvas, const QRect& rect, const QString& text,
                  Qt::Alignment alignment) {
    const QFontMetrics fm = canvas.fontMetrics();
    QString t = text;
    t.remove(QLatin1Char('\r'));
    int top = rect.top();
    for (const QString& line : t.split(QLatin1Char('\n'))) {
        if (top > rect.bottom())
            break;
        const QRect lineRect(rect.left(), top, rect.width(), fm.height());
        canvas.drawText(lineRect, int(alignment & Qt::AlignHorizontal_Mask) | Qt::AlignTop,
                        fm.elidedText(line, Qt::ElideRight, rect.width()));
        top += fm.height();
    }
}

QLabel* label(const QString& text, QWidget* parent, int left, int top) {
    auto* l = new QLabel(text, parent);
    l->move(left, top);
    l->adjustSize();
    return l;
}

} // namespace

const QList<TDoc::Column>& TDoc::columns() {
    const Qt::Alignment left = Qt::AlignLeft;
    const Qt::Alignment right = Qt::AlignRight;
    static const QList<Column> cols = {
        {QStringLiteral("Мат. средство"), 444, left},
        {QStringLiteral("Ед. изм."), 61, left},
        {QStringLiteral("Категория"), 59, right},
        {QStringLiteral("Кол-во по контракту"), 110, right},
        {QStringLiteral("Цена"), 69, right},
        {QStringLiteral("Кол-во фактически"), 102, right},
        {QStringLiteral("Серийные номера"), 98, left},
        {QStringLiteral("Сумма"), 90, right},
        {QStringLiteral("Вид упаковки"), 77, left},
        {QStringLiteral("Кол-во в одном месте"), 120, right},
        {QStringLiteral("Кол-во мест"), 74, right},
        {QStringLiteral("Масса брутто"), 83, right},
        {QStringLiteral("Дата поставки"), 92, right},
        {QStringLiteral("ГОСТ"), 74, left},
        {QStringLiteral("Примечание"), 185, left},
    };
    return cols;
}

TDoc::TDoc(TdmMain& dm, QWidget* parent)
    : TRecipientWindow(QStringLiteral("Doc"), QStringLiteral("Накладные"), dm, parent) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    resize(1024, 541);
    setMinimumSize(790, 200);

    // The shared base laid out only the recipient list; it moves into the header panel.
    auto* box = qobject_cast<QVBoxLayout*>(layout());
    while (QLayoutItem* item = box->takeAt(0))
        delete item;
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);

    auto* top = new QWidget(this);
    top->setFixedHeight(34);
    label(QStringLiteral("№ документа"), top, 6, 9);
    Edit1 = new QLineEdit(top);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(80, 6, 121, 21);
    // At most 10 characters, no Cyrillic letter, whichever way the text comes in.
    Edit1->setValidator(new KeyFilterValidator(
        Edit1, [this](QChar ch) { return Edit1KeyPress(ch); }, 10));
    label(QStringLiteral("Дата документа"), top, 224, 8);
    DateTimePicker1 = new QDateEdit(QDate::currentDate(), top);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setGeometry(320, 6, 97, 21);
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setDisplayFormat(Regional::current().shortDateFormat);
    label(QStringLiteral("Получатель"), top, 437, 9);
    ComboBox1->setParent(top);
    ComboBox1->setEditable(false); // a list to pick from, no typed text
    ComboBox1->setGeometry(512, 6, 185, 21);
    ComboBox1->show();
    label(QStringLiteral("Тип накладной"), top, 704, 8);
    cbNaklChoose = new QComboBox(top);
    cbNaklChoose->setObjectName(QStringLiteral("cbNaklChoose"));
    cbNaklChoose->setEditable(true);
    cbNaklChoose->setInsertPolicy(QComboBox::NoInsert);
    cbNaklChoose->addItems({QStringLiteral("Товарная накладная"),
                            QStringLiteral("Товарно-транспортная накладная"),
                            QStringLiteral("Только штрих-код")});
    cbNaklChoose->setCurrentIndex(0);
    cbNaklChoose->setGeometry(792, 6, 209, 21);
    box->addWidget(top);

    auto* middle = new QWidget(this);
    auto* middleLayout = new QVBoxLayout(middle);
    middleLayout->setContentsMargins(2, 2, 2, 2);
    DrawGrid1 = new TEntryGrid(middle);
    DrawGrid1->setObjectName(QStringLiteral("DrawGrid1"));
    m_items = new TDocItems(*this, this);
    DrawGrid1->setModel(m_items);
    DrawGrid1->setItemDelegate(new TDocDelegate(*this));
    DrawGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    DrawGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    DrawGrid1->setShowGrid(true);
    DrawGrid1->verticalHeader()->hide();
    DrawGrid1->verticalHeader()->setDefaultSectionSize(18);
    DrawGrid1->verticalHeader()->setMinimumSectionSize(18);
    DrawGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* header = DrawGrid1->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setMinimumSectionSize(1);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setTextElideMode(Qt::ElideRight);
    header->setHighlightSections(false);
    for (int c = 0; c < columns().size(); ++c)
        DrawGrid1->setColumnWidth(c, columns()[c].width);
    middleLayout->addWidget(DrawGrid1);
    box->addWidget(middle, 1);

    auto* bottom = new QWidget(this);
    bottom->setFixedHeight(33);
    auto* bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(4, 6, 11, 2);
    Button2 = new QPushButton(QStringLiteral("Печать"), bottom);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setFixedSize(75, 25);
    Button1 = new QPushButton(QStringLiteral("Закрыть"), bottom);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFixedSize(75, 25);
    for (QPushButton* b : {Button2, Button1})
        b->setAutoDefault(false); // Enter belongs to the grid and the fields
    bottomLayout->addWidget(Button2);
    bottomLayout->addStretch();
    bottomLayout->addWidget(Button1); // kept at the right edge
    box->addWidget(bottom);

    setTabOrder(Edit1, DateTimePicker1);
    setTabOrder(DateTimePicker1, ComboBox1);
    setTabOrder(ComboBox1, cbNaklChoose);
    setTabOrder(cbNaklChoose, DrawGrid1);
    setTabOrder(DrawGrid1, Button2);
    setTabOrder(Button2, Button1);

    connect(ComboBox1, &QComboBox::activated, this,
            [this] { ErrorBox::guard([this] { ComboBox1Change(); }, this); });
    connect(DrawGrid1, &QAbstractItemView::doubleClicked, this,
            [this] { ErrorBox::guard([this] { DrawGrid1DblClick(); }, this); });
    connect(DrawGrid1, &TEntryGrid::enterPressed, this, [this](const QModelIndex& index) {
        if (index.column() == Waybill::ColSerials)
            ErrorBox::guard([this] { DrawGrid1DblClick(); }, this);
    });
    connect(Button2, &QPushButton::clicked, this,
            [this] { ErrorBox::guard([this] { Button2Click(); }, this); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    m_items->reload();
}

void TDoc::showEvent(QShowEvent* event) {
    TRecipientWindow::showEvent(event);
    if (!event->spontaneous())
        ErrorBox::guard([this] { FormShow(); }, this);
}

void TDoc::keyPressEvent(QKeyEvent* event) {
    // Esc does not close the window: what was entered would be lost with one key.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    TRecipientWindow::keyPressEvent(event);
}

QChar TDoc::Edit1KeyPress(QChar key) {
    return Waybill::documentNumberAllowed(key) ? key : QChar();
}

void TDoc::FormShow() {
    DateTimePicker1->setDate(QDate::currentDate());
    if (!m_dm.hasSelectedContract())
        return;
    Waybill::loadShowValues(m_dm.qTarvik, m_dm.selectedContract(), m_values);
}

void TDoc::LoadItems() {
    if (!m_dm.hasSelectedContract())
        return;
    const int recip = selectedRecipient();
    {
        // The grid shows the list as it is afterwards, also when the loading failed half-way.
        struct Reload {
            TDocItems* items;
            ~Reload() { items->reload(); }
        } reload{m_items};
        Waybill::loadItems(m_dm.qTarvik, m_dm.selectedContract(), recip, ContDataList, m_values);
    }
    DrawGrid1->setCurrentIndex(m_items->index(0, Waybill::ColFactQuant));
}

void TDoc::ComboBox1Change() {
    LoadItems();
}

void TDoc::DrawGrid1DrawCell(QPainter& canvas, int ACol, int ARow, const QRect& rect,
                             const QPalette& palette, bool selected) {
    if (!m_items->hasRecord(ARow) || ACol < 0 || ACol >= Waybill::ColumnCount)
        return; // rows beyond the records stay blank
    if (ACol == Waybill::ColSerials) {
        // The column's width, grid line included, as the user sizes it.
        if (DrawGrid1->columnWidth(ACol) >= 23)
            m_dm.ImageList1.value(6).paint(
                &canvas, QRect(rect.x() + rect.width() - 30, rect.y() - 5, 32, 32));
        return;
    }
    canvas.setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    drawCellText(canvas, ShrinkRect(rect, 2), Waybill::cellText(ContDataList[ARow], ACol),
                 columns()[ACol].alignment);
}

bool TDoc::DrawGrid1GetEditText(int ACol, int ARow, QString* value) const {
    if (!m_items->hasRecord(ARow))
        return false;
    const auto text = Waybill::editText(ContDataList[ARow], ACol);
    if (!text)
        return false;
    if (value)
        *value = *text;
    return true;
}

void TDoc::DrawGrid1SetEditText(int ACol, int ARow, const QString& value) {
    if (!m_items->hasRecord(ARow))
        return;
    Waybill::setEditText(ContDataList[ARow], ACol, value);
    m_items->rowChanged(ARow);
}

void TDoc::DrawGrid1DblClick() {
    const QModelIndex current = DrawGrid1->currentIndex();
    if (!current.isValid() || current.column() != Waybill::ColSerials ||
        !m_items->hasRecord(current.row()) || !m_serialDialog)
        return;
    m_serialDialog->SerialCount = Waybill::serialCount(ContDataList[current.row()]);
    m_serialDialog->SerialRowIndex = current.row();
    m_serialDialog->exec();
}

void TDoc::Button2Click() {
    if (ContDataList.isEmpty() || !m_dm.hasSelectedContract())
        return;
    Docs::WaybillInput in;
    const Catalogue::ContractRow contract = Catalogue::currentContract(m_dm.qMain);
    in.docno = contract.docno;
    in.contractDate = contract.data;
    in.rem = contract.rem;
    in.number = Edit1->text();
    in.date = DateTimePicker1->date();
    // A type typed into the box instead of chosen is no item: nothing prints.
    in.type = cbNaklChoose->findText(cbNaklChoose->currentText(), Qt::MatchExactly);
    in.values = m_values;

    // A long waybill keeps the window alive and shows how far it has got; the 1-T shows it
    // from the start, as its form asks.
    QProgressDialog progress(QStringLiteral("Подготовка накладной..."), QStringLiteral("Отмена"), 0,
                             0, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(in.type == Docs::OneT ? 0 : 1000);
    m_printer.onProgress = [&progress](int sheets) {
        progress.setLabelText(QStringLiteral("Подготовка накладной: лист %1").arg(sheets));
        progress.setValue(0);
        QApplication::processEvents();
        return !progress.wasCanceled();
    };
    Forms::Report* report = m_printer.print(in, ContDataList);
    m_printer.onProgress = nullptr;
    progress.reset();
    if (!report)
        return;
    Forms::showReport(*report, this, Docs::checkedNote(m_printer.symbolsChecked()));
}

void TDoc::Button1Click() {
    accept();
}
