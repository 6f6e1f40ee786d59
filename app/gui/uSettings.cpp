#include "gui/uSettings.h"

#include "core/cp1251.h"
#include "gui/errorbox.h"
#include "gui/keyfilter.h"
#include "gui/uDmMain.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace KeyFilters {

bool digitAllowed(QChar ch) {
    return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
}

bool nameAllowed(QChar ch) {
    const int code = Cp1251::fromUnicode(ch.unicode());
    return code == 32 || code == 46 || code == 168 || code == 184 || code >= 192;
}

} // namespace KeyFilters

namespace {

QLineEdit* labelledEdit(QWidget* parent, const char* name, const QString& label, int left, int top,
                        int width) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(left, top, width, 21);
    auto* caption = new QLabel(label, parent);
    caption->setGeometry(left, top - 16, width + 60, 14);
    caption->setBuddy(edit);
    return edit;
}

} // namespace

TfrmSettings::TfrmSettings(TdmMain& dm, QWidget* parent) : QDialog(parent), m_dm(dm) {
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Настройки"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(496, 288);

    auto* top = new QWidget(this);
    top->setGeometry(0, 0, 496, 221);
    auto* l1 = new QLabel(QStringLiteral("Отпуск груза разрешил"), top);
    l1->setGeometry(16, 42, 140, 16);
    auto* l2 = new QLabel(QStringLiteral("Отпуск груза произвёл"), top);
    l2->setGeometry(17, 100, 140, 16);
    // Created in Tab order.
    leOgrDl = labelledEdit(top, "leOgrDl", QStringLiteral("Должность"), 160, 40, 145);
    leOgrFio = labelledEdit(top, "leOgrFio", QStringLiteral("ФИО"), 344, 40, 121);
    leOgpDl = labelledEdit(top, "leOgpDl", QStringLiteral("Должность"), 160, 96, 145);
    leOgpFio = labelledEdit(top, "leOgpFio", QStringLiteral("ФИО"), 344, 96, 121);
    leNds = labelledEdit(top, "leNds", QStringLiteral("Ставка НДС, %"), 344, 168, 121);
    leGlBuh =
        labelledEdit(top, "leGlBuh", QStringLiteral("Главный (старший) бухгалтер"), 16, 168, 289);
    // The VAT field holds at most 2 characters. Its filter keeps the limit, so that the
    // characters it drops do not count against it.
    const int noLimit = leOgrFio->maxLength();
    const std::pair<QLineEdit*, QChar (TfrmSettings::*)(QChar)> filters[] = {
        {leOgrFio, &TfrmSettings::leOgrFioKeyPress},
        {leOgpFio, &TfrmSettings::leOgpFioKeyPress},
        {leNds, &TfrmSettings::leNdsKeyPress},
        {leGlBuh, &TfrmSettings::leGlBuhKeyPress},
    };
    for (const auto& [edit, filter] : filters) {
        edit->setValidator(new KeyFilterValidator(
            edit, [this, filter = filter](QChar ch) { return (this->*filter)(ch); },
            edit == leNds ? 2 : noLimit));
        edit->installEventFilter(this);
    }

    auto* bottom = new QWidget(this);
    bottom->setGeometry(0, 221, 496, 67);
    Button1 = new QPushButton(QStringLiteral("ОК"), bottom);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(104, 24, 75, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Отмена"), bottom);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(314, 24, 75, 25);
    setTabOrder(leOgrDl, leOgrFio);
    setTabOrder(leOgrFio, leOgpDl);
    setTabOrder(leOgpDl, leOgpFio);
    setTabOrder(leOgpFio, leNds);
    setTabOrder(leNds, leGlBuh);
    setTabOrder(leGlBuh, Button1);
    setTabOrder(Button1, Button2);
    connect(Button1, &QPushButton::clicked, this,
            [this] { ErrorBox::guard([this] { Button1Click(); }, this); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

QChar TfrmSettings::leNdsKeyPress(QChar key) {
    return KeyFilters::digitAllowed(key) ? key : QChar();
}
QChar TfrmSettings::leOgrFioKeyPress(QChar key) {
    return KeyFilters::nameAllowed(key) ? key : QChar();
}
QChar TfrmSettings::leOgpFioKeyPress(QChar key) {
    return KeyFilters::nameAllowed(key) ? key : QChar();
}
QChar TfrmSettings::leGlBuhKeyPress(QChar key) {
    return KeyFilters::nameAllowed(key) ? key : QChar();
}

bool TfrmSettings::eventFilter(QObject* watched, QEvent* event) {
    // The filters discard Backspace in their fields. The characters themselves are filtered by
    // each field's validator, whichever way they come in; Delete, selecting, the clipboard keys
    // and the dialog's keys work as in every field.
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Backspace)
        return true;
    return QDialog::eventFilter(watched, event);
}

void TfrmSettings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        ErrorBox::guard([this] { FormShow(); }, this);
}

void TfrmSettings::FormShow() {
    using Catalogue::Setting;
    const Fields loads[] = {
        {Setting::Nds, leNds, nullptr},
        {Setting::OtpGrRaz, leOgrDl, leOgrFio},
        {Setting::OtpGrPr, leOgpDl, leOgpFio},
        {Setting::GlBuh, leGlBuh, nullptr},
    };
    for (const Fields& l : loads) {
        const auto values = Catalogue::readSetting(m_dm.qTarvik, l.key);
        if (!values)
            continue;
        setStoredText(l.value1, values->value1);
        if (l.value2)
            setStoredText(l.value2, values->value2);
    }
}

void TfrmSettings::Button1Click() {
    using Catalogue::Setting;
    const Fields saves[] = {
        {Setting::OtpGrRaz, leOgrDl, leOgrFio},
        {Setting::OtpGrPr, leOgpDl, leOgpFio},
        {Setting::GlBuh, leGlBuh, nullptr},
        {Setting::Nds, leNds, nullptr},
    };
    // One write operation: run again when another workstation gets in the way.
    m_dm.write([&] {
        for (const Fields& s : saves)
            Catalogue::writeSetting(m_dm.qTarvik, s.key,
                                    {s.value1->text(), s.value2 ? s.value2->text() : QString()});
    });
    accept();
}

void TfrmSettings::Button2Click() {
    reject();
}
