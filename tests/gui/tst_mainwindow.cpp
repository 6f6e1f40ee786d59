// The main window, its register and commands, and the settings dialog, on a real database under
// the offscreen platform. Modal boxes are answered by tests/common/modal.h.
#include "core/fbdatabase.h"
#include "gui/errorbox.h"
#include "gui/tarvikapp.h"
#include "gui/uDmMain.h"
#include "gui/uDoc.h"
#include "gui/uMain.h"
#include "gui/uSettings.h"
#include "modal.h"
#include "testdb.h"

#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QtTest/QtTest>

namespace {

// Direct access to the test database, beside the application's own connection.
struct Sql {
    FbDatabase db;
    FbTransaction tr{db};
    FbQuery q{db, tr};
    explicit Sql(const QString& path) {
        db.setDatabaseName(path);
        db.open();
    }
    void exec(const QString& sql, const QVariantList& params = {}) {
        q.close();
        q.setSql({sql});
        for (int i = 0; i < params.size(); ++i)
            q.paramByName(QStringLiteral("p%1").arg(i)).setValue(params[i]);
        q.execSql();
    }
    QString one(const QString& sql) {
        if (tr.inTransaction())
            tr.commit();
        q.close();
        q.setSql({sql});
        q.open();
        const QString v = q.eof() ? QStringLiteral("<none>") : q.value(0, 0).toString();
        tr.commit();
        return v;
    }
    int contract(const QString& docno) {
        exec(QStringLiteral("INSERT INTO contract(regno, docno, target, data, dataend, agents, "
                            "filename) VALUES (0, :p0, 'П', '2011-04-18', '2011-12-31', "
                            "'Поставщик', '/x.dat')"),
             {docno});
        q.close();
        q.setSql({QStringLiteral("SELECT max(number) FROM contract")});
        q.open();
        const int n = q.value(0, 0).toInt();
        tr.commit();
        return n;
    }
    void line(int title, int recip, const QString& recipS) {
        exec(QStringLiteral("INSERT INTO contract2(title, elem, recip, recipS, quant, summa) "
                            "VALUES (:p0, 1, :p1, :p2, 1, 1)"),
             {title, recip, recipS});
        tr.commit();
    }
};

// Types text as key presses (any character, Cyrillic included), as a keyboard would.
void typeText(QWidget* w, const QString& text) {
    for (QChar ch : text) {
        const int key = ch.isLetterOrNumber() && ch.unicode() < 128 ? int(ch.toUpper().unicode())
                                                                    : int(Qt::Key_unknown);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &release);
    }
}

// Puts text into a field the way `way` names, at the cursor (a drop: at the end).
void enterText(QLineEdit* edit, const QString& way, const QString& text) {
    if (way == QLatin1String("typing")) {
        typeText(edit, text);
    } else if (way == QLatin1String("input method")) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(edit, &event);
    } else if (way == QLatin1String("drop")) {
        QMimeData data;
        data.setText(text);
        const QPoint at(edit->width() - 2, edit->height() / 2);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(edit, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(edit, &drop);
        QVERIFY(drop.isAccepted());
    } else {
        QGuiApplication::clipboard()->setText(text);
        if (way == QLatin1String("Ctrl+V")) {
            QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        } else if (way == QLatin1String("Shift+Insert")) {
            QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
        } else {
            // The context menu's command, as the right button's menu offers it.
            std::unique_ptr<QMenu> menu(edit->createStandardContextMenu());
            QAction* paste = nullptr;
            for (QAction* a : menu->actions()) {
                if (a->text().startsWith(QLineEdit::tr("&Paste")))
                    paste = a;
            }
            QVERIFY(paste && paste->isEnabled());
            paste->trigger();
        }
    }
}

QStringList registerColumn(int column) {
    QStringList out;
    auto* model = forms().Main->DBGrid1->model();
    for (int r = 0; r < model->rowCount(); ++r)
        out << model->index(r, column).data().toString();
    return out;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { destroyForms(); }
    void messageTextRule_data();
    void messageTextRule();
    void registerInNumberOrder();
    void deleteAsksFirst();
    void failedDeleteCommitsNothing();
    void emptyRegisterCommandsDoNothing();
    void recipientsAndEmptyContract();
    void startupWithBadDatabase_data();
    void startupWithBadDatabase();
    void settingsKeyFilters_data();
    void settingsKeyFilters();
    void settingsFiltersEveryWayIn_data();
    void settingsFiltersEveryWayIn();
    void settingsEditingKeys_data();
    void settingsEditingKeys();
    void settingsSavesOnlyAllowedPaste();
    void settingsSaveCancelAndMissingRow();
    void settingsFailedSaveCommitsNothing();
};

void TestMainWindow::messageTextRule_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Ошибка"
                            << "Ошибка.";
    QTest::newRow("full stop") << "Готово."
                               << "Готово.";
    QTest::newRow("exclamation") << "Файл поврежден!"
                                 << "Файл поврежден!";
    QTest::newRow("digit") << "Индекс (0"
                           << "Индекс (0.";
    QTest::newRow("bracket") << "Индекс (0)"
                             << "Индекс (0)";
    QTest::newRow("slash sorts after") << "a/"
                                       << "a/.";
    QTest::newRow("empty") << ""
                           << "";
}

void TestMainWindow::messageTextRule() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(ErrorBox::messageText(message), shown);
    // The box itself: stop icon, OK, the application's title.
    auto seen = std::make_shared<ModalSeen>();
    auto answer = ModalAnswerer::pressing(QMessageBox::Ok, seen);
    ErrorBox::guard([&] { throw AppError(message); });
    QCOMPARE(seen->count, 1);
    QCOMPARE(seen->text, shown);
    QCOMPARE(seen->title, QStringLiteral("Тарвик"));
    QCOMPARE(seen->icon, QMessageBox::Critical);
    QCOMPARE(seen->buttons, QStringList{QStringLiteral("OK")});
}

void TestMainWindow::registerInNumberOrder() {
    TestDb t;
    Sql sql(t.path());
    for (const char* d : {"В-3", "А-1", "Б-2"})
        sql.contract(QString::fromUtf8(d));
    createForms(t.path());
    TMain* m = forms().Main;
    QCOMPARE(registerColumn(0),
             (QStringList{QStringLiteral("В-3"), QStringLiteral("А-1"), QStringLiteral("Б-2")}));
    QCOMPARE(registerColumn(2).first(), QStringLiteral("18.04.2011"));
    QCOMPARE(registerColumn(3).first(), QStringLiteral("31.12.2011"));
    QStringList titles;
    for (int c = 0; c < 6; ++c)
        titles << m->DBGrid1->model()->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(titles, (QStringList{"№ контракта", "№ протокола", "Дата заключения", "Дата окончания",
                                  "Поставщик", "Загружен из файла"}));
    QCOMPARE(m->DBGrid1->currentIndex().row(), 0);
    // Moving in the grid selects the contract.
    m->DBGrid1->setCurrentIndex(m->DBGrid1->model()->index(2, 0));
    QCOMPARE(m->dmMain->qMain.fieldByName(QStringLiteral("docno")).asString(),
             QStringLiteral("Б-2"));
}

void TestMainWindow::deleteAsksFirst() {
    TestDb t;
    Sql sql(t.path());
    const int a = sql.contract(QStringLiteral("А"));
    sql.line(a, 1, QStringLiteral("Получатель"));
    sql.contract(QStringLiteral("Б"));
    createForms(t.path());
    TMain* m = forms().Main;
    auto seen = std::make_shared<ModalSeen>();
    {
        auto answer = ModalAnswerer::pressing(QMessageBox::No, seen);
        m->ToolButton3->click();
    }
    QCOMPARE(seen->count, 1);
    QCOMPARE(seen->title, QStringLiteral("Удаление контракта"));
    QCOMPARE(seen->text, QStringLiteral("Удалить контракт ?"));
    QCOMPARE(seen->icon, QMessageBox::NoIcon);
    QCOMPARE(registerColumn(0).size(), 2);
    QCOMPARE(sql.one(QStringLiteral("SELECT count(*) FROM contract")), QStringLiteral("2"));
    {
        auto answer = ModalAnswerer::pressing(QMessageBox::Yes, seen);
        m->ToolButton3->click();
    }
    QCOMPARE(registerColumn(0), QStringList{QStringLiteral("Б")});
    QCOMPARE(m->DBGrid1->currentIndex().row(), 0);
    QCOMPARE(sql.one(QStringLiteral("SELECT count(*) FROM contract2")), QStringLiteral("0"));
}

void TestMainWindow::failedDeleteCommitsNothing() {
    TestDb t;
    Sql sql(t.path());
    const int a = sql.contract(QStringLiteral("А"));
    sql.line(a, 1, QStringLiteral("Получатель"));
    // The lines go first (cascade), then the header's trigger refuses: a real database error
    // after part of the work was done.
    sql.exec(QStringLiteral("CREATE EXCEPTION E_KEEP 'Контракт нельзя удалить'"));
    sql.tr.commit();
    sql.exec(QStringLiteral("CREATE TRIGGER T_KEEP FOR CONTRACT AFTER DELETE AS "
                            "BEGIN EXCEPTION E_KEEP; END"));
    sql.tr.commit();
    createForms(t.path());
    TMain* m = forms().Main;
    auto seen = std::make_shared<ModalSeen>();
    {
        auto answer = ModalAnswerer::pressing(QMessageBox::Yes, seen);
        m->ToolButton3->click();
    }
    // The question, then the error box with the server's message.
    QCOMPARE(seen->count, 2);
    QVERIFY2(seen->text.contains(QStringLiteral("Контракт нельзя удалить")),
             qPrintable(seen->text));
    QCOMPARE(seen->icon, QMessageBox::Critical);
    QVERIFY(m->dmMain->trTarvik.inTransaction());
    QCOMPARE(registerColumn(0), QStringList{QStringLiteral("А")});
    QCOMPARE(sql.one(QStringLiteral("SELECT count(*) FROM contract2")), QStringLiteral("1"));
    // The next write begins by rolling the failed one back: the lines are never lost.
    m->dmMain->beginWrite();
    m->dmMain->trTarvik.commit();
    QCOMPARE(sql.one(QStringLiteral("SELECT count(*) FROM contract2")), QStringLiteral("1"));
    QCOMPARE(sql.one(QStringLiteral("SELECT count(*) FROM contract")), QStringLiteral("1"));
}

void TestMainWindow::emptyRegisterCommandsDoNothing() {
    TestDb t;
    createForms(t.path());
    TMain* m = forms().Main;
    auto seen = std::make_shared<ModalSeen>();
    auto answer = ModalAnswerer::pressing(QMessageBox::Ok, seen);
    for (QToolButton* b : {m->ToolButton3, m->ToolButton2, m->ToolButton5})
        b->click();
    QCOMPARE(seen->count, 0);
    QVERIFY(!m->hasSelectedContract());
}

void TestMainWindow::recipientsAndEmptyContract() {
    TestDb t;
    Sql sql(t.path());
    const int full = sql.contract(QStringLiteral("С получателями"));
    sql.line(full, 2, QStringLiteral("Б"));
    sql.line(full, 1, QStringLiteral("А"));
    sql.line(full, 1, QStringLiteral("А"));
    sql.line(full, 0, QString());
    sql.contract(QStringLiteral("Пустой"));
    createForms(t.path());
    TMain* m = forms().Main;
    TDoc* doc = forms().Doc;
    auto seen = std::make_shared<ModalSeen>();
    bool docShown = false;
    {
        ModalAnswerer answer([&](QWidget* w) {
            if (w == doc) {
                docShown = true;
                doc->reject();
            }
        });
        m->ToolButton2->click();
    }
    QVERIFY(docShown);
    QStringList texts;
    QList<int> recips;
    for (int i = 0; i < doc->ComboBox1->count(); ++i) {
        texts << doc->ComboBox1->itemText(i);
        recips << doc->ComboBox1->itemData(i).toInt();
    }
    QCOMPARE(texts, (QStringList{QString(), QStringLiteral("А"), QStringLiteral("Б")}));
    QCOMPARE(recips, (QList<int>{0, 1, 2}));
    QCOMPARE(doc->ComboBox1->currentIndex(), 0);

    // A contract with no lines: the loading fails with the list's index error, no window.
    m->DBGrid1->setCurrentIndex(m->DBGrid1->model()->index(1, 0));
    auto answer = ModalAnswerer::pressing(QMessageBox::Ok, seen);
    m->ToolButton2->click();
    QCOMPARE(seen->count, 1);
    QVERIFY(seen->text.contains(QStringLiteral("(0)")));
    QVERIFY(!doc->isVisible());
}

void TestMainWindow::startupWithBadDatabase_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("not a database") << "garbage";
}

void TestMainWindow::startupWithBadDatabase() {
    QFETCH(QString, kind);
    FirebirdEnv::setup(QStringLiteral(TARVIK_BINARY_DIR "/bin"));
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("absent.gdb"));
    if (kind == QLatin1String("garbage")) {
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(9000, '\x01'));
    }
    auto seen = std::make_shared<ModalSeen>();
    {
        auto answer = ModalAnswerer::pressing(QMessageBox::Ok, seen);
        createForms(name);
    }
    QCOMPARE(seen->count, 1);
    QCOMPARE(seen->icon, QMessageBox::Critical);
    QVERIFY(!seen->text.isEmpty());
    TMain* m = forms().Main;
    QVERIFY(m);
    QVERIFY(forms().frmSettings);
    QCOMPARE(m->DBGrid1->model()->rowCount(), 0);
    QVERIFY(!m->hasSelectedContract());
    // The commands that need a contract do nothing; the import and settings report the error.
    auto answer = ModalAnswerer::pressing(QMessageBox::Ok, seen);
    m->ToolButton3->click();
    m->ToolButton2->click();
    QCOMPARE(seen->count, 1);
}

void TestMainWindow::settingsKeyFilters_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("vat digits only") << "leNds"
                                     << "a5-б0"
                                     << "50";
    QTest::newRow("vat two characters") << "leNds"
                                        << "0512"
                                        << "05";
    QTest::newRow("name letters, dots, space") << "leOgrFio"
                                               << "Иванов И.И."
                                               << "Иванов И.И.";
    QTest::newRow("name refuses Latin, digits, hyphen, apostrophe") << "leOgpFio"
                                                                    << "Петров-Водкин D'1 Ёё"
                                                                    << "ПетровВодкин  Ёё";
    QTest::newRow("accountant") << "leGlBuh"
                                << "Сидорова A.Б."
                                << "Сидорова .Б.";
    QTest::newRow("position takes anything") << "leOgrDl"
                                             << "Dir-1 'x'"
                                             << "Dir-1 'x'";
}

void TestMainWindow::settingsKeyFilters() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    TdmMain dm(nullptr);
    TfrmSettings dlg(dm);
    auto* edit = dlg.findChild<QLineEdit*>(field);
    QVERIFY(edit);
    typeText(edit, typed);
    QCOMPARE(edit->text(), expected);
    // Backspace is discarded by every filter and works in the position fields.
    QTest::keyClick(edit, Qt::Key_Backspace);
    if (field == QLatin1String("leOgrDl"))
        expected.chop(1);
    QCOMPARE(edit->text(), expected);
}

void TestMainWindow::settingsFiltersEveryWayIn_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QString>("expected");
    struct Case {
        const char* name;
        const char* field;
        const char* before;
        const char* entered;
        const char* expected;
    };
    const Case cases[] = {
        {"vat refuses letters", "leNds", "", "Ди", ""},
        {"vat keeps the digits", "leNds", "", "a5-б0", "50"},
        {"vat limit after the filter", "leNds", "", " 1 8 %", "18"},
        {"vat limit with text there", "leNds", "1", "23", "12"},
        {"vat full", "leNds", "05", "7", "05"},
        {"name refuses Latin, hyphen, digits", "leOgrFio", "", "Иванов-Ivanov 2 И.И.",
         "Иванов  И.И."},
        {"name after text", "leOgpFio", "Петров", " D'Ёё.", "Петров Ёё."},
        {"accountant", "leGlBuh", "", "Сидорова А.Б.(гл.)", "Сидорова А.Б.гл."},
        {"position takes anything", "leOgrDl", "", "Dir-1 'x'", "Dir-1 'x'"},
    };
    for (const char* way :
         {"typing", "input method", "Ctrl+V", "Shift+Insert", "context menu", "drop"}) {
        for (const Case& c : cases)
            QTest::addRow("%s, %s", c.name, way)
                << QString::fromUtf8(c.field) << QString::fromUtf8(way)
                << QString::fromUtf8(c.before) << QString::fromUtf8(c.entered)
                << QString::fromUtf8(c.expected);
    }
}

// The key filters hold for every way text enters a field.
void TestMainWindow::settingsFiltersEveryWayIn() {
    QFETCH(QString, field);
    QFETCH(QString, way);
    QFETCH(QString, before);
    QFETCH(QString, entered);
    QFETCH(QString, expected);
    TdmMain dm(nullptr);
    TfrmSettings dlg(dm);
    auto* edit = dlg.findChild<QLineEdit*>(field);
    QVERIFY(edit);
    typeText(edit, before);
    QCOMPARE(edit->text(), before);
    enterText(edit, way, entered);
    QCOMPARE(edit->text(), expected);
    // The cursor stands after what was let in.
    QCOMPARE(edit->cursorPosition(), expected.size());
}

void TestMainWindow::settingsEditingKeys_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    for (const char* field : {"leOgrDl", "leOgrFio", "leOgpDl", "leOgpFio", "leGlBuh"})
        QTest::newRow(field) << QString::fromUtf8(field) << QStringLiteral("Ёлкин");
    QTest::newRow("leNds") << QStringLiteral("leNds") << QStringLiteral("18");
}

// Delete and selecting over text edit every field.
void TestMainWindow::settingsEditingKeys() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    TdmMain dm(nullptr);
    TfrmSettings dlg(dm);
    auto* edit = dlg.findChild<QLineEdit*>(field);
    QVERIFY(edit);
    typeText(edit, text);
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Delete);
    QCOMPARE(edit->text(), text.mid(1));
    // Selected text is replaced by what is typed over it.
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    typeText(edit, text.left(1));
    QCOMPARE(edit->text(), text.left(1));
    typeText(edit, text.mid(1));
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(edit, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QCOMPARE(edit->text(), text.chopped(2));
}

// Text pasted into the filtered fields reaches the database filtered.
void TestMainWindow::settingsSavesOnlyAllowedPaste() {
    TestDb t;
    Sql sql(t.path());
    createForms(t.path());
    TMain* m = forms().Main;
    TfrmSettings* s = forms().frmSettings;
    const std::pair<QLineEdit*, QString> pastes[] = {
        {s->leNds, QStringLiteral("Ди")},
        {s->leOgrFio, QStringLiteral("Иванов-Ivanov И.И.")},
        {s->leOgpFio, QStringLiteral("Петров2 П.П.")},
        {s->leGlBuh, QStringLiteral("Сидорова А.Б.(гл.)")},
        {s->leOgrDl, QStringLiteral("Dir-1")},
    };
    bool shown = false;
    {
        ModalAnswerer answer([&](QWidget* w) {
            if (w != s)
                return;
            shown = true;
            for (const auto& [edit, text] : pastes) {
                QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
                QGuiApplication::clipboard()->setText(text);
                QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
            }
            s->Button1->click();
        });
        m->ToolButton11->click();
    }
    QVERIFY(shown);
    QVERIFY(!s->isVisible());
    QCOMPARE(sql.one(QStringLiteral("SELECT '[' || value1 || ']' FROM nsi WHERE dt_key='nds'")),
             QStringLiteral("[]"));
    QCOMPARE(sql.one(QStringLiteral("SELECT value1 || '|' || value2 FROM nsi WHERE "
                                    "dt_key='otp_gr_raz'")),
             QStringLiteral("Dir-1|Иванов И.И."));
    QCOMPARE(sql.one(QStringLiteral("SELECT value2 FROM nsi WHERE dt_key='otp_gr_pr'")),
             QStringLiteral("Петров П.П."));
    QCOMPARE(sql.one(QStringLiteral("SELECT value1 FROM nsi WHERE dt_key='gl_buh'")),
             QStringLiteral("Сидорова А.Б.гл."));
}

void TestMainWindow::settingsSaveCancelAndMissingRow() {
    TestDb t;
    Sql sql(t.path());
    createForms(t.path());
    TMain* m = forms().Main;
    TfrmSettings* s = forms().frmSettings;
    QString loadedNds;
    {
        ModalAnswerer answer([&](QWidget* w) {
            if (w != s)
                return;
            loadedNds = s->leNds->text();
            s->leNds->setText(QStringLiteral("05"));
            s->leOgrDl->setText(QStringLiteral("Директор"));
            s->leOgrFio->setText(QStringLiteral("Иванов И.И."));
            s->leOgpDl->setText(QStringLiteral("Кладовщик"));
            s->leOgpFio->setText(QString());
            s->leGlBuh->setText(QStringLiteral("Сидорова А.Б."));
            s->Button1->click();
        });
        m->ToolButton11->click();
    }
    QCOMPARE(loadedNds, QStringLiteral("20"));
    QVERIFY(!s->isVisible());
    QCOMPARE(sql.one(QStringLiteral("SELECT value1 FROM nsi WHERE dt_key='nds'")), "05");
    QCOMPARE(sql.one(QStringLiteral("SELECT value1 || '|' || value2 FROM nsi WHERE "
                                    "dt_key='otp_gr_raz'")),
             QStringLiteral("Директор|Иванов И.И."));
    QCOMPARE(sql.one(QStringLiteral("SELECT value2 FROM nsi WHERE dt_key='otp_gr_pr'")), "");
    QCOMPARE(sql.one(QStringLiteral("SELECT value1 FROM nsi WHERE dt_key='gl_buh'")),
             QStringLiteral("Сидорова А.Б."));

    // Cancel leaves the stored values; the next showing loads them again.
    QString reloaded;
    {
        ModalAnswerer answer([&](QWidget* w) {
            if (w != s)
                return;
            if (s->leGlBuh->text() == QStringLiteral("Сидорова А.Б.") && reloaded.isEmpty()) {
                s->leGlBuh->setText(QStringLiteral("Другой"));
                reloaded = QStringLiteral("changed");
                s->Button2->click();
                return;
            }
            reloaded = s->leGlBuh->text();
            s->Button2->click();
        });
        m->ToolButton11->click();
        QCOMPARE(sql.one(QStringLiteral("SELECT value1 FROM nsi WHERE dt_key='gl_buh'")),
                 QStringLiteral("Сидорова А.Б."));
        m->ToolButton11->click();
    }
    QCOMPARE(reloaded, QStringLiteral("Сидорова А.Б."));

    // With a row missing, OK saves the other three and closes without a message.
    sql.exec(QStringLiteral("DELETE FROM nsi WHERE dt_key='otp_gr_pr'"));
    sql.tr.commit();
    auto seen = std::make_shared<ModalSeen>();
    {
        ModalAnswerer answer([&](QWidget* w) {
            if (w == s) {
                s->leNds->setText(QStringLiteral("18"));
                s->Button1->click();
            } else if (auto* box = qobject_cast<QMessageBox*>(w)) {
                ++seen->count;
                box->accept();
            }
        });
        m->ToolButton11->click();
    }
    QCOMPARE(seen->count, 0);
    QVERIFY(!s->isVisible());
    QCOMPARE(sql.one(QStringLiteral("SELECT value1 FROM nsi WHERE dt_key='nds'")), "18");
}

void TestMainWindow::settingsFailedSaveCommitsNothing() {
    TestDb t;
    Sql sql(t.path());
    createForms(t.path());
    TMain* m = forms().Main;
    TfrmSettings* s = forms().frmSettings;
    auto seen = std::make_shared<ModalSeen>();
    int attempts = 0;
    {
        ModalAnswerer answer([&](QWidget* w) {
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                ++seen->count;
                seen->text = box->text();
                box->accept();
                // The dialog stays open after the error; the second try saves.
                QTimer::singleShot(0, s, [&] {
                    QVERIFY(s->isVisible());
                    QCOMPARE(
                        sql.one(QStringLiteral("SELECT value1 FROM nsi WHERE dt_key='otp_gr_raz'")),
                        QString());
                    s->leGlBuh->setText(QStringLiteral("Петрова"));
                    ++attempts;
                    s->Button1->click();
                });
                return;
            }
            if (w != s || attempts > 0)
                return;
            s->leOgrDl->setText(QStringLiteral("Начальник"));
            // The third update fails: the text is longer than the column.
            s->leGlBuh->setText(QString(600, QChar(u'ж')));
            ++attempts;
            s->Button1->click();
        });
        m->ToolButton11->click();
    }
    QCOMPARE(attempts, 2);
    QCOMPARE(seen->count, 1);
    QVERIFY(seen->text.endsWith(QLatin1Char('.')));
    QCOMPARE(sql.one(QStringLiteral("SELECT value1 FROM nsi WHERE dt_key='otp_gr_raz'")),
             QStringLiteral("Начальник"));
    QCOMPARE(sql.one(QStringLiteral("SELECT value1 FROM nsi WHERE dt_key='gl_buh'")),
             QStringLiteral("Петрова"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
