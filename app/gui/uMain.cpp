#include "gui/uMain.h"

#include "core/catalogue.h"
#include "gui/errorbox.h"
#include "gui/uAbout.h"
#include "gui/uDmMain.h"
#include "gui/uDoc.h"
#include "gui/uOutBar.h"
#include "gui/uSettings.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>

QRect ShrinkRect(const QRect& rect, int margin) {
    return QRect(QPoint(rect.left() + margin, rect.top() + margin),
                 QPoint(rect.right() - margin, rect.bottom() - margin));
}

TMain::TMain(const QString& databaseName, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Тарвик 1.4"));
    setFixedSize(718, 494);

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setFixedHeight(60);
    ToolBar1->setIconSize(QSize(32, 32));
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    // The data module comes first: the buttons take their images from it.
    dmMain = new TdmMain(this);

    ToolButton1 = addButton(QStringLiteral("Загрузить"), QStringLiteral("Загрузить контракт"), 1,
                            &TMain::ToolButton1Click);
    ToolButton3 = addButton(QStringLiteral("Удалить"), QStringLiteral("Удалить контракт"), 5,
                            &TMain::ToolButton3Click);
    addSeparator();
    ToolButton2 = addButton(QStringLiteral("Накладные"), QStringLiteral("Выписать накладную"), 2,
                            &TMain::ToolButton2Click);
    ToolButton5 = addButton(QStringLiteral("Этикетки"), QStringLiteral("Напечатать этикетки"), 3,
                            &TMain::ToolButton5Click);
    addSeparator();
    ToolButton11 = addButton(QStringLiteral("Настройки"), QStringLiteral("Настройки"), 12,
                             &TMain::ToolButton11Click);
    addSeparator();
    ToolButton9 = addButton(QStringLiteral("О программе"), QStringLiteral("Сведения о программе"),
                            8, &TMain::ToolButton9Click);
    addSeparator();
    ToolButton7 = addButton(QStringLiteral("Выход"), QStringLiteral("Выйти из программы"), 4,
                            &TMain::ToolButton7Click);

    auto* panel = new QWidget(this);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(4, 4, 4, 4);
    DBGrid1 = new QTableView(panel);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setModel(dmMain->sMain);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->verticalHeader()->setDefaultSectionSize(18);
    DBGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DBGrid1->verticalHeader()->setFixedWidth(12);
    DBGrid1->setWordWrap(false);
    DBGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    DBGrid1->horizontalHeader()->setTextElideMode(Qt::ElideRight);
    const auto& cols = TRegisterSource::columns();
    for (int i = 0; i < cols.size(); ++i)
        DBGrid1->setColumnWidth(i, cols[i].width);
    layout->addWidget(DBGrid1);
    setCentralWidget(panel);
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    dmMain->qMain.setRecordNo(current.row());
            });

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(19);
    StatusBar1->setSizeGripEnabled(false);
    setStatusBar(StatusBar1);

    // An error here is shown and start-up goes on with an empty register.
    ErrorBox::guard([&] { FormCreate(databaseName); }, this);
}

TMain::~TMain() {
    FormDestroy();
}

QToolButton* TMain::addButton(const QString& caption, const QString& hint, int image,
                              void (TMain::*handler)()) {
    auto* b = new QToolButton(ToolBar1);
    b->setText(caption);
    b->setToolTip(hint);
    b->setStatusTip(QString());
    b->setIcon(dmMain->ImageList1.value(image));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    b->setFixedSize(75, 52);
    b->setFocusPolicy(Qt::TabFocus);
    connect(b, &QToolButton::clicked, this,
            [this, handler] { ErrorBox::guard([this, handler] { (this->*handler)(); }, this); });
    ToolBar1->addWidget(b);
    return b;
}

void TMain::addSeparator() {
    auto* gap = new QWidget(ToolBar1);
    gap->setFixedWidth(8);
    ToolBar1->addWidget(gap);
}

void TMain::FormCreate(const QString& databaseName) {
    dmMain->dbTarvik.setDatabaseName(databaseName);
    dmMain->dbTarvik.open();
    RefreshRegister();
}

void TMain::FormDestroy() {
    // Frees the data module, which closes the connection (an open write is rolled back).
    delete dmMain;
    dmMain = nullptr;
}

void TMain::RefreshRegister() {
    try {
        Catalogue::openRegister(*dmMain);
    } catch (...) {
        dmMain->sMain->reload();
        throw;
    }
    dmMain->sMain->reload();
    selectRow(0);
}

void TMain::selectRow(int row) {
    if (dmMain->sMain->rowCount() > row) {
        DBGrid1->setCurrentIndex(dmMain->sMain->index(row, 0));
        dmMain->qMain.setRecordNo(row);
    }
}

bool TMain::hasSelectedContract() const {
    return dmMain && dmMain->hasSelectedContract();
}

void TMain::ToolButton3Click() {
    if (!hasSelectedContract())
        return;
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Удаление контракта"),
                    QStringLiteral("Удалить контракт ?"), QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::Yes);
    if (box.exec() != QMessageBox::Yes)
        return;
    Catalogue::deleteContract(*dmMain, dmMain->selectedContract());
    RefreshRegister();
}

void TMain::openRecipientWindow(TRecipientWindow* window) {
    if (!hasSelectedContract())
        return;
    window->setRecipients(Catalogue::recipients(dmMain->qTarvik, dmMain->selectedContract()));
    window->LoadItems();
    window->exec();
}

void TMain::ToolButton2Click() {
    openRecipientWindow(m_windows.Doc);
}

void TMain::ToolButton5Click() {
    openRecipientWindow(m_windows.OutBar);
}

void TMain::ToolButton11Click() {
    m_windows.frmSettings->exec();
}

void TMain::ToolButton9Click() {
    m_windows.frmAbout->exec();
}

void TMain::ToolButton7Click() {
    close();
}
