// The data module: the connection, its transactions and queries, the register's model,
// the contract file dialog and the toolbar images.
#pragma once

#include "core/dbconnection.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QObject>

class QWidget;

// The register grid's data source: the rows of qMain in the register's columns.
class TRegisterSource : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TRegisterSource(FbQuery& query, QObject* parent = nullptr);

    struct Column {
        const char* field;
        QString title;
        int width;
    };
    static const QList<Column>& columns();

    // Re-reads the query's rows (after it was reopened or closed).
    void reload();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    FbQuery& m_query;
    QList<int> m_fieldIndex;
};

// The file-open dialog for contract files.
class TOpenDialog {
public:
    QString Filter = QStringLiteral("Файлы контракта (*.dat)|*.dat");
    QString FileName;
    // Asks for a file; false when the user cancels.
    bool Execute(QWidget* parent);
    // The filter in the form the file dialog takes ("Файлы контракта (*.dat)").
    QString qtFilter() const;
};

// The connection bundle (dbTarvik, trTarvik, qTarvik, qOrgs, trMain, qMain) with what the
// windows add to it.
class TdmMain : public QObject, public DbConnection {
    Q_OBJECT
public:
    explicit TdmMain(QObject* owner);
    ~TdmMain() override;

    TRegisterSource* sMain = nullptr;
    TOpenDialog OpenDialog1;
    QList<QIcon> ImageList1;

    // True when the register is open and has rows: a contract is selected.
    bool hasSelectedContract() const { return qMain.isOpen() && !qMain.isEmpty(); }
    // The selected contract's number (the register's current row).
    int selectedContract() const;
};

// The toolbar images (our own drawings), 14 entries of 32 x 32; unused indices are empty.
QList<QIcon> makeImageList();

// The application's icon, drawn as the toolbar images are: the clipboard with a waybill and its
// symbol, size x size pixels on a transparent ground.
QImage drawApplicationIcon(int size);
// The icon at the sizes of the hicolor theme, for the windows.
QIcon applicationIcon();
