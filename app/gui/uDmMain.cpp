#include "gui/uDmMain.h"

#include "core/regional.h"

#include <QFileDialog>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

// ---------------------------------------------------------------- TRegisterSource

TRegisterSource::TRegisterSource(FbQuery& query, QObject* parent)
    : QAbstractTableModel(parent), m_query(query) {}

const QList<TRegisterSource::Column>& TRegisterSource::columns() {
    static const QList<Column> cols = {
        {"docno", QStringLiteral("№ контракта"), 122},
        {"target", QStringLiteral("№ протокола"), 100},
        {"data", QStringLiteral("Дата заключения"), 104},
        {"dataend", QStringLiteral("Дата окончания"), 93},
        {"agents", QStringLiteral("Поставщик"), 119},
        {"filename", QStringLiteral("Загружен из файла"), 136},
    };
    return cols;
}

void TRegisterSource::reload() {
    beginResetModel();
    m_fieldIndex.clear();
    if (m_query.isOpen()) {
        for (const Column& c : columns())
            m_fieldIndex << m_query.fieldIndex(QLatin1String(c.field));
    }
    endResetModel();
}

int TRegisterSource::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_query.isOpen())
        return 0;
    return m_query.recordCount();
}

int TRegisterSource::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns().size());
}

QVariant TRegisterSource::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.column() >= m_fieldIndex.size())
        return QVariant();
    const QVariant v = m_query.value(index.row(), m_fieldIndex[index.column()]);
    if (v.typeId() == QMetaType::QDate)
        return Regional::current().formatDate(v.toDate());
    if (v.typeId() == QMetaType::QDateTime)
        return Regional::current().formatDate(v.toDateTime().date());
    return v.toString();
}

QVariant TRegisterSource::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columns().size())
        return columns()[section].title;
    return QAbstractTableModel::headerData(section, orientation, role);
}

// ---------------------------------------------------------------- TOpenDialog

QString TOpenDialog::qtFilter() const {
    // "description|pattern|description|pattern" -> "description;;description"
    const QStringList parts = Filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i];
        if (!desc.contains(QLatin1Char('(')))
            desc += QStringLiteral(" (%1)").arg(parts[i + 1]);
        entries << desc;
    }
    return entries.join(QStringLiteral(";;"));
}

bool TOpenDialog::Execute(QWidget* parent) {
    const QString name = QFileDialog::getOpenFileName(parent, QString(), FileName, qtFilter());
    if (name.isEmpty())
        return false;
    FileName = name;
    return true;
}

// ---------------------------------------------------------------- TdmMain

TdmMain::TdmMain(QObject* owner) : QObject(owner) {
    sMain = new TRegisterSource(qMain, this);
    ImageList1 = makeImageList();
}

TdmMain::~TdmMain() {
    try {
        dbTarvik.close();
    } catch (...) {
        // The server undoes an open transaction of a connection that is gone.
    }
}

int TdmMain::selectedContract() const {
    return qMain.fieldByName(QStringLiteral("number")).asInteger();
}

// ---------------------------------------------------------------- images

namespace {

QPixmap canvas() {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    return pm;
}

QIcon drawDisk() {
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 70), 1.5));
    p.setBrush(QColor(150, 155, 170));
    p.drawRoundedRect(QRectF(3, 9, 26, 16), 3, 3);
    p.setBrush(QColor(200, 205, 215));
    p.drawRect(QRectF(5, 11, 22, 6));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 200, 60));
    p.drawEllipse(QRectF(22, 19.5, 4, 4));
    return QIcon(pm);
}

QIcon drawClipboard() {
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(110, 70, 30), 1.2));
    p.setBrush(QColor(190, 140, 80));
    p.drawRoundedRect(QRectF(5, 4, 20, 26), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 8, 14, 19));
    p.setBrush(QColor(160, 160, 160));
    p.drawRoundedRect(QRectF(10, 2, 10, 5), 1.5, 1.5);
    p.setPen(QPen(QColor(80, 80, 200), 1));
    for (int y = 12; y < 26; y += 4)
        p.drawLine(QPointF(10, y), QPointF(19, y));
    // pencil
    p.setPen(QPen(QColor(40, 40, 40), 0.8));
    p.setBrush(QColor(250, 200, 40));
    QPolygonF pencil;
    pencil << QPointF(30, 10) << QPointF(32, 12) << QPointF(20, 26) << QPointF(17, 27)
           << QPointF(18, 24);
    p.drawPolygon(pencil);
    return QIcon(pm);
}

QIcon drawNotepad() {
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 1.2));
    p.setBrush(QColor(255, 250, 205));
    p.drawRect(QRectF(4, 5, 20, 25));
    p.setPen(QPen(QColor(120, 120, 120), 1.5));
    for (int x = 7; x < 24; x += 4)
        p.drawLine(QPointF(x, 3), QPointF(x, 7));
    p.setPen(QPen(QColor(150, 150, 220), 1));
    for (int y = 12; y < 28; y += 4)
        p.drawLine(QPointF(6, y), QPointF(22, y));
    p.setPen(QPen(QColor(20, 20, 90), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(29, 8), QPointF(18, 25));
    return QIcon(pm);
}

QIcon drawCross() {
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(210, 30, 30), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(7, 7), QPointF(25, 25));
    p.drawLine(QPointF(25, 7), QPointF(7, 25));
    return QIcon(pm);
}

QIcon drawBin() {
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(50, 80, 50), 1.2));
    p.setBrush(QColor(120, 170, 120));
    QPolygonF body;
    body << QPointF(7, 9) << QPointF(25, 9) << QPointF(23, 30) << QPointF(9, 30);
    p.drawPolygon(body);
    p.drawRect(QRectF(5, 6, 22, 3));
    p.drawRect(QRectF(13, 3, 6, 3));
    p.setPen(QPen(QColor(40, 70, 40), 1.2));
    for (int x = 12; x <= 20; x += 4)
        p.drawLine(QPointF(x, 12), QPointF(x, 27));
    return QIcon(pm);
}

QIcon drawInfo() {
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(20, 60, 150), 1.2));
    p.setBrush(QColor(50, 110, 210));
    p.drawEllipse(QRectF(2, 2, 28, 28));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(14, 6.5, 4.5, 4.5));
    p.drawRoundedRect(QRectF(14, 13, 4.5, 13), 1, 1);
    return QIcon(pm);
}

QIcon drawSmallFolder() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QPen(QColor(140, 100, 20), 1));
    p.setBrush(QColor(240, 200, 90));
    p.drawRect(QRectF(1.5, 4.5, 13, 9));
    p.drawRect(QRectF(1.5, 2.5, 5, 2));
    return QIcon(pm);
}

QIcon drawTools() {
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // screwdriver
    p.setPen(QPen(QColor(120, 120, 130), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(6, 6), QPointF(20, 20));
    p.setPen(QPen(QColor(200, 40, 40), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(20, 20), QPointF(27, 27));
    // wrench
    p.setPen(QPen(QColor(90, 90, 100), 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(25, 7), QPointF(8, 24));
    p.setPen(QPen(QColor(90, 90, 100), 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(22, 2, 8, 8), 200 * 16, 270 * 16);
    p.drawArc(QRectF(3, 22, 8, 8), 20 * 16, 270 * 16);
    return QIcon(pm);
}

} // namespace

QImage drawApplicationIcon(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    // the clipboard of the toolbar, holding a waybill
    p.setPen(QPen(QColor(110, 70, 30), 1.2));
    p.setBrush(QColor(190, 140, 80));
    p.drawRoundedRect(QRectF(3.5, 3, 25, 28), 2.5, 2.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 6.5, 19, 22));
    p.setBrush(QColor(160, 160, 160));
    p.drawRoundedRect(QRectF(10.5, 1, 11, 5), 1.5, 1.5);
    p.setPen(QPen(QColor(80, 80, 200), 1.2));
    for (int y = 10; y <= 13; y += 3)
        p.drawLine(QPointF(9, y), QPointF(23, y));
    // the waybill's stacked symbol: three rows of 24 modules, 1 for a bar
    static const char* const rows[] = {"111010011101100101110101", "111010100111001101110101",
                                       "111010110010011101110101"};
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 20, 20));
    const double module = 16.0 / 24;
    for (int r = 0; r < 3; ++r) {
        // each bar in one piece, so that it stays solid at the small sizes
        for (int m = 0; m < 24;) {
            int end = m;
            while (end < 24 && rows[r][end] == rows[r][m])
                ++end;
            if (rows[r][m] == '1')
                p.drawRect(QRectF(8 + m * module, 16.5 + r * 3.6, (end - m) * module, 3.2));
            m = end;
        }
    }
    return img;
}

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(drawApplicationIcon(size)));
    return icon;
}

QList<QIcon> makeImageList() {
    QList<QIcon> list(14);
    list[1] = drawDisk();
    list[2] = drawClipboard();
    list[3] = drawNotepad();
    list[4] = drawCross();
    list[5] = drawBin();
    list[6] = drawSmallFolder();
    list[8] = drawInfo();
    list[12] = drawTools();
    return list;
}
