// The label window: the item lines of one recipient, the quantity per package typed into the
// grid, and the transport and consumer labels of the current row.
#pragma once

#include "docs/labelprint.h"
#include "forms/report.h"
#include "gui/recipientwindow.h"

#include <QAbstractTableModel>
#include <QStyleOptionViewItem>
#include <optional>

class QPainter;
class QPushButton;
class QTableView;
class TOutBar;

// DrawGrid1's rows: the records of ContDataList, at least one (empty) data row.
class TOutBarItems : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TOutBarItems(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    struct Column {
        QString title;
        int width;
        bool right; // numbers: right-aligned
    };
    static const QList<Column>& columns();
    // The text of a record's cell, as the grid shows it.
    static QString cellText(const TContData& record, int column);

    // After ContDataList was refilled or a record changed.
    void reload();
    void rowChanged(int row);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
};

class TOutBar : public TRecipientWindow {
    Q_OBJECT
public:
    explicit TOutBar(TdmMain& dm, QWidget* parent = nullptr);

    QTableView* DrawGrid1 = nullptr;
    QPushButton* Button1 = nullptr; // Закрыть
    QPushButton* Button2 = nullptr; // Печать транспортной этикетки
    QPushButton* Button3 = nullptr; // Печать потребительской этикетки
    Forms::Report frReport1;        // the transport label
    Forms::Report frReport2;        // the consumer label

    // The grid's events; ACol and ARow count as the grid does, row 0 being the header.
    void LoadItems() override;
    void ComboBox1Change();
    void DrawGrid1DrawCell(QPainter& painter, const QStyleOptionViewItem& option, int ACol,
                           int ARow);
    // The editor's text for the cell, or nullopt when the cell cannot be edited.
    std::optional<QString> DrawGrid1GetEditText(int ACol, int ARow) const;
    void DrawGrid1SetEditText(int ACol, int ARow, const QString& Value);
    void Button1Click();
    void Button2Click();
    void Button3Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void printLabel(Docs::LabelKind kind, const Forms::Report& design);
    Docs::LabelData currentLabel() const;

    TOutBarItems* m_items = nullptr;
};
