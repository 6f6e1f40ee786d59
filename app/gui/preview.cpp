#include "gui/preview.h"

#include "core/apperror.h"
#include "forms/renderer.h"
#include "gui/errorbox.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>

namespace Forms {

namespace {
const int kGap = 12; // pixels between and around sheets
const double kZoomSteps[] = {25, 50, 75, 100, 150, 200, 300, 400};
} // namespace

// Paints all sheets one below the other at the dialog's scale.
class SheetView : public QWidget {
public:
    explicit SheetView(PreviewDialog* dialog) : QWidget(dialog), m_dialog(dialog) {}

    double scale = 1;

    QSize sheetPixels(const Sheet& s) const {
        return QSize(int(std::ceil(s.sizeUnits.width() * scale)),
                     int(std::ceil(s.sizeUnits.height() * scale)));
    }
    int sheetTop(int index) const {
        int y = kGap;
        for (int i = 0; i < index; ++i)
            y += sheetPixels(m_dialog->report().sheets[size_t(i)]).height() + kGap;
        return y;
    }
    void relayout() {
        int w = 0, h = kGap;
        for (const Sheet& s : m_dialog->report().sheets) {
            const QSize px = sheetPixels(s);
            w = qMax(w, px.width());
            h += px.height() + kGap;
        }
        setFixedSize(w + 2 * kGap, h);
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter p(this);
        p.fillRect(event->rect(), palette().color(QPalette::Dark));
        const auto& sheets = m_dialog->report().sheets;
        int y = kGap;
        for (size_t i = 0; i < sheets.size(); ++i) {
            const QSize px = sheetPixels(sheets[i]);
            const QRect area(kGap, y, px.width(), px.height());
            if (area.intersects(event->rect())) {
                p.fillRect(area.translated(3, 3), Qt::darkGray);
                p.fillRect(area, Qt::white);
                p.save();
                p.setClipRect(area);
                p.translate(area.topLeft());
                p.scale(scale, scale);
                p.setRenderHint(QPainter::TextAntialiasing);
                paintSheet(p, sheets[i]);
                if (const PreviewDialog::Hit* hit = m_dialog->currentHit())
                    if (hit->sheet == int(i))
                        p.fillRect(hit->rect.adjusted(-1, -1, 1, 1), QColor(255, 200, 0, 110));
                p.restore();
            }
            y += px.height() + kGap;
        }
    }

private:
    PreviewDialog* m_dialog;
};

PreviewDialog::PreviewDialog(PreparedReport report, QWidget* parent)
    : QDialog(parent), m_report(std::move(report)) {
    setWindowTitle(m_report.title.isEmpty() ? QStringLiteral("Предварительный просмотр")
                                            : m_report.title);
    setModal(true);
    resize(1000, 760);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QToolBar(this);
    layout->addWidget(bar);

    m_zoomBox = new QComboBox(bar);
    m_zoomBox->setObjectName(QStringLiteral("zoom"));
    m_zoomBox->addItem(QStringLiteral("По ширине"));
    m_zoomBox->addItem(QStringLiteral("Страница целиком"));
    for (double z : kZoomSteps)
        m_zoomBox->addItem(QStringLiteral("%1%").arg(z));
    m_zoomBox->setToolTip(QStringLiteral("Масштаб"));
    bar->addWidget(m_zoomBox);
    connect(m_zoomBox, qOverload<int>(&QComboBox::activated), this, &PreviewDialog::onZoomChosen);

    bar->addAction(QStringLiteral("Открыть"), this, &PreviewDialog::onLoad)
        ->setObjectName(QStringLiteral("load"));
    bar->addAction(QStringLiteral("Сохранить"), this, &PreviewDialog::onSave)
        ->setObjectName(QStringLiteral("save"));
    bar->addAction(QStringLiteral("Печать"), this, &PreviewDialog::onPrint)
        ->setObjectName(QStringLiteral("print"));
    bar->addSeparator();
    m_findEdit = new QLineEdit(bar);
    m_findEdit->setPlaceholderText(QStringLiteral("Текст для поиска"));
    m_findEdit->setMaximumWidth(200);
    bar->addWidget(m_findEdit);
    QAction* findAction = bar->addAction(QStringLiteral("Найти"), this, &PreviewDialog::onFind);
    findAction->setObjectName(QStringLiteral("find"));
    findAction->setShortcut(QKeySequence::FindNext);
    connect(m_findEdit, &QLineEdit::returnPressed, this, &PreviewDialog::onFind);
    bar->addSeparator();
    bar->addAction(QStringLiteral("Справка"), this, &PreviewDialog::onHelp)
        ->setObjectName(QStringLiteral("help"));
    bar->addAction(QStringLiteral("Закрыть"), this, &QDialog::accept)
        ->setObjectName(QStringLiteral("exit"));

    m_scroll = new QScrollArea(this);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_view = new SheetView(this);
    m_scroll->setWidget(m_view);
    m_scroll->viewport()->installEventFilter(this);
    layout->addWidget(m_scroll, 1);
    m_status = new QLabel(this);
    m_status->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(m_status);
    setReport(std::move(m_report));
}

PreviewDialog::~PreviewDialog() = default;

void PreviewDialog::setReport(PreparedReport report) {
    m_report = std::move(report);
    m_hits.clear();
    m_hitIndex = -1;
    m_findText.clear();
    m_status->setText(QStringLiteral("Листов: %1").arg(m_report.sheets.size()));
    updateScale();
}

double PreviewDialog::scale() const {
    return m_view->scale;
}

void PreviewDialog::setZoom(ZoomMode mode, double percent) {
    m_mode = mode;
    m_percent = qBound(10.0, percent, 800.0);
    m_zoomBox->setCurrentIndex(mode == ZoomMode::FitWidth ? 0 : mode == ZoomMode::FitPage ? 1 : -1);
    if (mode == ZoomMode::Percent) {
        const QString text = QStringLiteral("%1%").arg(std::lround(m_percent));
        if (m_zoomBox->findText(text) >= 0)
            m_zoomBox->setCurrentIndex(m_zoomBox->findText(text));
    }
    updateScale();
}

void PreviewDialog::zoomBy(int steps) {
    const double current = scale() / (logicalDpiX() / kUnitsPerInch) * 100;
    setZoom(ZoomMode::Percent, current * std::pow(1.1, steps));
}

void PreviewDialog::updateScale() {
    QSizeF largest(1, 1);
    for (const Sheet& s : m_report.sheets)
        largest = largest.expandedTo(QSizeF(s.sizeUnits));
    // Leave room for the vertical scroll bar, which a fitted width may still need.
    const QSize avail =
        m_scroll->contentsRect().size() -
        QSize(m_scroll->verticalScrollBar()->sizeHint().width() + 2 * kGap + 4, 2 * kGap + 4);
    double k = logicalDpiX() / kUnitsPerInch * m_percent / 100;
    if (m_mode == ZoomMode::FitWidth)
        k = qMax(1, avail.width()) / largest.width();
    else if (m_mode == ZoomMode::FitPage)
        k = qMin(qMax(1, avail.width()) / largest.width(),
                 qMax(1, avail.height()) / largest.height());
    m_view->scale = qMax(0.05, k);
    m_view->relayout();
}

void PreviewDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_mode != ZoomMode::Percent)
        updateScale();
}

bool PreviewDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_scroll->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const int delta = wheel->angleDelta().y();
            if (delta != 0)
                zoomBy(delta > 0 ? 1 : -1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void PreviewDialog::onZoomChosen(int index) {
    if (index == 0)
        setZoom(ZoomMode::FitWidth);
    else if (index == 1)
        setZoom(ZoomMode::FitPage);
    else if (index >= 2)
        setZoom(ZoomMode::Percent, kZoomSteps[index - 2]);
}

QList<PreviewDialog::Hit> PreviewDialog::findAll(const QString& text) const {
    QList<Hit> hits;
    if (text.isEmpty())
        return hits;
    for (size_t i = 0; i < m_report.sheets.size(); ++i)
        for (const Primitive& p : m_report.sheets[i].items)
            if (p.type == Primitive::Type::Text && p.text.contains(text, Qt::CaseInsensitive))
                hits << Hit{int(i), p.rect};
    return hits;
}

bool PreviewDialog::find(const QString& text) {
    if (text != m_findText) {
        m_findText = text;
        m_hits = findAll(text);
        m_hitIndex = -1;
    }
    if (m_hits.isEmpty()) {
        m_status->setText(QStringLiteral("Текст \"%1\" не найден").arg(text));
        m_view->update();
        return false;
    }
    m_hitIndex = (m_hitIndex + 1) % int(m_hits.size());
    m_status->setText(QStringLiteral("Найдено: %1 из %2, лист %3")
                          .arg(m_hitIndex + 1)
                          .arg(m_hits.size())
                          .arg(m_hits[m_hitIndex].sheet + 1));
    showHit();
    return true;
}

void PreviewDialog::showHit() {
    const Hit& hit = m_hits[m_hitIndex];
    const double k = scale();
    const int x = kGap + int(hit.rect.center().x() * k);
    const int y = m_view->sheetTop(hit.sheet) + int(hit.rect.center().y() * k);
    m_scroll->ensureVisible(x, y, m_scroll->viewport()->width() / 3,
                            m_scroll->viewport()->height() / 3);
    m_view->update();
}

void PreviewDialog::saveTo(const QString& file) const {
    if (file.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        writePdf(m_report, file);
    else
        m_report.save(file);
}

void PreviewDialog::loadFrom(const QString& file) {
    setReport(PreparedReport::load(file));
    reprepare = nullptr; // a loaded report prints as it was saved, not from our template
}

namespace {

// Templates name paper sources by the printer driver's bin numbers; the printer takes Qt's.
QPrinter::PaperSource printerSource(int bin) {
    switch (bin) {
    case 1:
        return QPrinter::Upper;
    case 2:
        return QPrinter::Lower;
    case 3:
        return QPrinter::Middle;
    case 4:
        return QPrinter::Manual;
    case 5:
        return QPrinter::Envelope;
    case 6:
        return QPrinter::EnvelopeManual;
    case 8:
        return QPrinter::Tractor;
    case 9:
        return QPrinter::SmallFormat;
    case 10:
        return QPrinter::LargeFormat;
    case 11:
        return QPrinter::LargeCapacity;
    case 14:
        return QPrinter::Cassette;
    case 15:
        return QPrinter::FormSource;
    default:
        return QPrinter::Auto;
    }
}

} // namespace

void PreviewDialog::printOn(QPrinter& printer) {
    PreparedReport printed = m_report;
    printer.setFullPage(true);
    if (reprepare) {
        // The printer's own non-printable margins, whatever margins a user asked for.
        QPageLayout layout = printer.pageLayout();
        layout.setUnits(QPageLayout::Point);
        const QMarginsF pt = layout.minimumMargins();
        const double k = kUnitsPerInch / 72.0;
        printed = reprepare(Margins{pt.left() * k, pt.top() * k, pt.right() * k, pt.bottom() * k});
    }
    if (printed.sheets.empty())
        throw AppError(QStringLiteral("Отчёт пуст: нечего печатать"));
    auto layoutFor = [&printer](const Sheet& s) {
        QPageLayout l = printer.pageLayout();
        l.setPageSize(QPageSize(s.sizeMm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
        l.setOrientation(QPageLayout::Portrait);
        return l;
    };
    printer.setPageLayout(layoutFor(printed.sheets.front()));
    if (printed.sheets.front().paperSource != 0)
        printer.setPaperSource(printerSource(printed.sheets.front().paperSource));
    QPainter painter;
    if (!painter.begin(&printer))
        throw AppError(QStringLiteral("Не удалось начать печать"));
    for (size_t i = 0; i < printed.sheets.size(); ++i) {
        if (i > 0) {
            printer.setPageLayout(layoutFor(printed.sheets[i]));
            printer.newPage();
        }
        painter.save();
        const double k = printer.resolution() / kUnitsPerInch;
        painter.scale(k, k);
        paintSheet(painter, printed.sheets[i]);
        painter.restore();
    }
    painter.end();
}

void PreviewDialog::onLoad() {
    const QString file =
        QFileDialog::getOpenFileName(this, QStringLiteral("Открыть отчёт"), QString(),
                                     QStringLiteral("Подготовленный отчёт (*.trp);;Все файлы (*)"));
    if (file.isEmpty())
        return;
    try {
        loadFrom(file);
    } catch (const AppError& e) {
        ErrorBox::show(e.message(), this);
    }
}

void PreviewDialog::onSave() {
    QString filter;
    QString file = QFileDialog::getSaveFileName(
        this, QStringLiteral("Сохранить отчёт"), QString(),
        QStringLiteral("PDF (*.pdf);;Подготовленный отчёт (*.trp)"), &filter);
    if (file.isEmpty())
        return;
    const QString suffix =
        filter.startsWith(QLatin1String("PDF")) ? QStringLiteral(".pdf") : QStringLiteral(".trp");
    if (!file.contains(QLatin1Char('.')))
        file += suffix;
    try {
        saveTo(file);
    } catch (const AppError& e) {
        ErrorBox::show(e.message(), this);
    }
}

void PreviewDialog::onPrint() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    try {
        printOn(printer);
    } catch (const AppError& e) {
        ErrorBox::show(e.message(), this);
    }
}

void PreviewDialog::onFind() {
    const QString text = m_findEdit->text();
    if (text.isEmpty()) {
        m_findEdit->setFocus();
        return;
    }
    find(text);
}

void PreviewDialog::onHelp() {
    QMessageBox::information(
        this, QStringLiteral("Справка"),
        QStringLiteral("Масштаб: по ширине, страница целиком или в процентах; Ctrl и колесо "
                       "мыши меняют масштаб.\n"
                       "Открыть: загрузить сохранённый подготовленный отчёт (*.trp).\n"
                       "Сохранить: в PDF или в файл подготовленного отчёта.\n"
                       "Печать: напечатать отчёт на выбранном принтере.\n"
                       "Найти: введите текст и нажимайте «Найти» (F3) для следующего места.\n"
                       "Закрыть: закрыть окно просмотра."));
}

bool showReport(Report& report, QWidget* parent) {
    std::unique_ptr<QProgressDialog> progress;
    if (report.design().progress) {
        progress = std::make_unique<QProgressDialog>(QStringLiteral("Подготовка отчёта..."),
                                                     QStringLiteral("Отмена"), 0, 0, parent);
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(300);
    }
    const auto savedProgress = report.onProgress;
    if (progress)
        report.onProgress = [&progress](int sheets) {
            progress->setLabelText(QStringLiteral("Подготовка отчёта: лист %1").arg(sheets));
            progress->setValue(0);
            QApplication::processEvents();
            return !progress->wasCanceled();
        };
    try {
        report.prepare();
    } catch (const AppError& e) {
        report.onProgress = savedProgress;
        progress.reset();
        ErrorBox::show(e.message(), parent);
        return false;
    }
    report.onProgress = savedProgress;
    progress.reset();
    PreviewDialog dialog(report.prepared(), parent);
    dialog.reprepare = [&report](const Margins& m) {
        const Margins saved = report.printerMargins();
        report.setPrinterMargins(m);
        try {
            PreparedReport p = report.prepare();
            report.setPrinterMargins(saved);
            return p;
        } catch (...) {
            report.setPrinterMargins(saved);
            throw;
        }
    };
    dialog.exec();
    return true;
}

} // namespace Forms
