#include "gui/uOutBar.h"

#include "core/catalogue.h"
#include "core/labels.h"
#include "core/regional.h"
#include "docs/symbolcheck.h"
#include "gui/errorbox.h"
#include "gui/preview.h"
#include "gui/uDmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTableView>

// ---- the grid's rows ---------------------------------------------------------------------------

const QList<TOutBarItems::Column>& TOutBarItems::columns() {
    static const QList<Column> list = {
        {QStringLiteral("Мат. средство"), 224, false},
        {QStringLiteral("Ед. изм."), 59, false},
        {QStringLiteral("Категория"), 64, false},
        {QStringLiteral("Кол-во по контракту"), 115, true},
        {QStringLiteral("Цена"), 78, true},
        {QStringLiteral("Кол-во в единице упаковки (тары)"), 180, true},
        {QStringLiteral("Сумма"), 95, true},
        {QStringLiteral("Дата поставки"), 88, false},
    };
    return list;
}

QString TOutBarItems::cellText(const TContData& d, int column) {
    const Regional& r = Regional::current();
    switch (column) {
    case 0:
        return d.elemS;
    case 1:
        return d.unit;
    case 2:
        return d.kat;
    case 3:
        return r.formatNumber(d.quant);
    case 4:
        return r.formatNumber(d.price);
    case 5:
        return r.formatNumber(d.factQuant);
    case 6:
        return r.formatNumber(d.factSumma);
    case 7:
        return r.formatDate(d.data);
    default:
        return QString();
    }
}

void TOutBarItems::reload() {
    beginResetModel();
    endResetModel();
}

void TOutBarItems::rowChanged(int row) {
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

int TOutBarItems::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : qMax(1, int(ContDataList.size()));
}

int TOutBarItems::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns().size());
}

QVariant TOutBarItems::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= ContDataList.size())
        return QVariant();
    if (role == Qt::DisplayRole)
        return cellText(ContDataList[index.row()], index.column());
    if (role == Qt::TextAlignmentRole)
        return int((columns()[index.column()].right ? Qt::AlignRight : Qt::AlignLeft) |
                   Qt::AlignTop);
    return QVariant();
}

QVariant TOutBarItems::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columns().size())
        return QVariant();
    if (role == Qt::DisplayRole)
        return columns()[section].title;
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    return QVariant();
}

Qt::ItemFlags TOutBarItems::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 5 && index.row() < ContDataList.size())
        f |= Qt::ItemIsEditable;
    return f;
}

// ---- the grid's view and editor ----------------------------------------------------------------

namespace {

// Enter edits the current cell, and in the editor commits and moves down; a digit starts
// editing with that digit; F2 edits; Esc leaves the editor, keeping what was stored.
class OutBarGrid : public QTableView {
public:
    using QTableView::QTableView;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && state() != EditingState) {
            const QModelIndex current = currentIndex();
            if (current.isValid() && (model()->flags(current) & Qt::ItemIsEditable))
                edit(current);
            else
                moveDown();
            event->accept();
            return;
        }
        QTableView::keyPressEvent(event);
    }

    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override {
        const bool committed = hint == QAbstractItemDelegate::SubmitModelCache;
        QTableView::closeEditor(editor, committed ? QAbstractItemDelegate::NoHint : hint);
        if (committed)
            moveDown();
    }

private:
    void moveDown() {
        const QModelIndex current = currentIndex();
        if (current.isValid() && current.row() + 1 < model()->rowCount())
            setCurrentIndex(model()->index(current.row() + 1, current.column()));
    }
};

class OutBarDelegate : public QStyledItemDelegate {
public:
    OutBarDelegate(TOutBar* window, QObject* parent)
        : QStyledItemDelegate(parent), m_window(window) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        opt.text.clear();
        const QWidget* w = option.widget;
        QStyle* style = w ? w->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, w);
        m_window->DrawGrid1DrawCell(*painter, option, index.column(), index.row() + 1);
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        const int col = index.column(), row = index.row() + 1;
        if (!m_window->DrawGrid1GetEditText(col, row))
            return nullptr;
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        editor->setAlignment(Qt::AlignRight);
        TOutBar* window = m_window;
        QObject::connect(
            editor, &QLineEdit::textEdited, window, [window, col, row](const QString& t) {
                ErrorBox::guard([&] { window->DrawGrid1SetEditText(col, row, t); }, window);
            });
        return editor;
    }

    // The editor gets the stored value once, when it opens; later repaints of the row do not
    // replace what is being typed.
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* e = qobject_cast<QLineEdit*>(editor);
        if (!e || e->property("tarvikLoaded").toBool())
            return;
        e->setProperty("tarvikLoaded", true);
        e->setText(m_window->DrawGrid1GetEditText(index.column(), index.row() + 1).value_or(""));
    }

    // Every keystroke was stored already.
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}

private:
    TOutBar* m_window;
};

} // namespace

// ---- the window --------------------------------------------------------------------------------

TOutBar::TOutBar(TdmMain& dm, QWidget* parent)
    : TRecipientWindow(QStringLiteral("OutBar"), QStringLiteral("Печать этикеток"), dm, parent),
      frReport1(Forms::Report::load(QStringLiteral("frReport1"))),
      frReport2(Forms::Report::load(QStringLiteral("frReport2"))) {
    // Laid out by position, as designed: a fixed dialog of 936 x 483.
    delete layout();
    setFixedSize(936, 483);

    auto* top = new QWidget(this);
    top->setGeometry(0, 0, 936, 34);
    auto* label = new QLabel(QStringLiteral("Получатель"), top);
    label->move(5, 9);
    ComboBox1->setParent(top);
    ComboBox1->setEditable(false);
    ComboBox1->setGeometry(72, 6, 185, 21);
    ComboBox1->show();
    label->setBuddy(ComboBox1);

    DrawGrid1 = new OutBarGrid(this);
    DrawGrid1->setObjectName(QStringLiteral("DrawGrid1"));
    DrawGrid1->setGeometry(2, 36, 932, 483 - 34 - 33 - 4);
    m_items = new TOutBarItems(this);
    DrawGrid1->setModel(m_items);
    DrawGrid1->setItemDelegate(new OutBarDelegate(this, DrawGrid1));
    DrawGrid1->verticalHeader()->hide();
    DrawGrid1->verticalHeader()->setMinimumSectionSize(18);
    DrawGrid1->verticalHeader()->setDefaultSectionSize(18);
    DrawGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    DrawGrid1->horizontalHeader()->setStretchLastSection(false);
    DrawGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    DrawGrid1->horizontalHeader()->setHighlightSections(false);
    for (int c = 0; c < TOutBarItems::columns().size(); ++c)
        DrawGrid1->setColumnWidth(c, TOutBarItems::columns()[c].width);
    DrawGrid1->setShowGrid(true);
    DrawGrid1->setWordWrap(false);
    DrawGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    DrawGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    DrawGrid1->setEditTriggers(QAbstractItemView::AnyKeyPressed |
                               QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::DoubleClicked);
    DrawGrid1->setTabKeyNavigation(true);

    auto* bottom = new QWidget(this);
    bottom->setGeometry(0, 483 - 33, 936, 33);
    Button2 = new QPushButton(QStringLiteral("Печать транспортной этикетки"), bottom);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(4, 6, 181, 25);
    Button3 = new QPushButton(QStringLiteral("Печать потребительской этикетки"), bottom);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(190, 6, 195, 25);
    Button1 = new QPushButton(QStringLiteral("Закрыть"), bottom);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(852, 4, 75, 25);
    // Enter belongs to the grid: no button is pressed by it.
    for (QPushButton* b : {Button1, Button2, Button3}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    connect(ComboBox1, &QComboBox::activated, this,
            [this] { ErrorBox::guard([this] { ComboBox1Change(); }, this); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this,
            [this] { ErrorBox::guard([this] { Button2Click(); }, this); });
    connect(Button3, &QPushButton::clicked, this,
            [this] { ErrorBox::guard([this] { Button3Click(); }, this); });
}

void TOutBar::showEvent(QShowEvent* event) {
    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
    TRecipientWindow::showEvent(event);
}

void TOutBar::LoadItems() {
    if (!m_dm.hasSelectedContract())
        return;
    TContDataList items =
        Labels::loadItems(m_dm.qTarvik, m_dm.selectedContract(), selectedRecipient());
    ClearRecordList(ContDataList);
    ContDataList = std::move(items);
    m_items->reload();
    DrawGrid1->setCurrentIndex(m_items->index(0, 0));
}

void TOutBar::ComboBox1Change() {
    LoadItems();
}

void TOutBar::DrawGrid1DrawCell(QPainter& painter, const QStyleOptionViewItem& option, int ACol,
                                int ARow) {
    if (ARow < 1 || ARow > ContDataList.size())
        return;
    const QRect rect = option.rect.adjusted(2, 2, -2, -2);
    const QString text = painter.fontMetrics().elidedText(
        TOutBarItems::cellText(ContDataList[ARow - 1], ACol), Qt::ElideRight, rect.width());
    const bool right = TOutBarItems::columns().value(ACol).right;
    painter.save();
    painter.setPen(option.palette.color(
        option.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    painter.drawText(
        rect, int((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop) | Qt::TextSingleLine,
        text);
    painter.restore();
}

std::optional<QString> TOutBar::DrawGrid1GetEditText(int ACol, int ARow) const {
    if (ACol != 5 || ARow < 1 || ARow > ContDataList.size())
        return std::nullopt;
    return Regional::current().formatNumber(ContDataList[ARow - 1].factQuant);
}

void TOutBar::DrawGrid1SetEditText(int ACol, int ARow, const QString& Value) {
    if (ACol != 5 || ARow < 1 || ARow > ContDataList.size())
        return;
    // Text that is not a number is passed over without a word.
    if (Labels::setPerPackage(ContDataList[ARow - 1], Value))
        m_items->rowChanged(ARow - 1);
}

void TOutBar::Button1Click() {
    reject();
}

void TOutBar::Button2Click() {
    printLabel(Docs::LabelKind::Transport, frReport1);
}

void TOutBar::Button3Click() {
    printLabel(Docs::LabelKind::Consumer, frReport2);
}

Docs::LabelData TOutBar::currentLabel() const {
    Docs::LabelData d;
    const Catalogue::ContractRow contract = Catalogue::currentContract(m_dm.qMain);
    d.docno = contract.docno;
    d.agents = contract.agents;
    d.rem = contract.rem;
    d.recipient = ComboBox1->currentText();
    const QModelIndex current = DrawGrid1->currentIndex();
    d.record = ContDataList.value(current.isValid() ? current.row() : 0);
    return d;
}

void TOutBar::printLabel(Docs::LabelKind kind, const Forms::Report& design) {
    if (ContDataList.isEmpty())
        return;
    Docs::PreparedLabel label = Docs::prepareLabel(design, kind, currentLabel());
    if (!label.warnings.isEmpty())
        QMessageBox::warning(this, ErrorBox::applicationTitle(),
                             label.warnings.join(QLatin1Char('\n')));
    Forms::showReport(label.report, this, Docs::checkedNote(label.checked));
}
