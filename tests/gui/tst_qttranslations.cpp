// Qt's own texts in the Russian interface: the standard buttons of the delete question, the file
// dialog of the import, the text fields' context menu. Offscreen, on a real database.
#include "core/fbdatabase.h"
#include "gui/tarvikapp.h"
#include "gui/uMain.h"
#include "modal.h"
#include "testdb.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QtTest/QtTest>

namespace {

// The buttons' captions without their mnemonic marks.
QStringList captions(const QList<QAbstractButton*>& buttons) {
    QStringList out;
    for (const QAbstractButton* b : buttons)
        out << b->text().remove(QLatin1Char('&'));
    out.sort();
    return out;
}

} // namespace

class TestQtTranslations : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installQtTranslations(); }
    void cleanup() { destroyForms(); }
    void deleteQuestionButtons();
    void fileDialogButtons();
    void contextMenu();
};

void TestQtTranslations::deleteQuestionButtons() {
    TestDb t;
    {
        FbDatabase db;
        db.setDatabaseName(t.path());
        db.open();
        FbTransaction tr(db);
        FbQuery q(db, tr);
        q.setSql({QStringLiteral("INSERT INTO contract(regno, docno, target, data, dataend, "
                                 "agents, filename) VALUES (0, 'А-1', 'П', '2011-04-18', "
                                 "'2011-12-31', 'Поставщик', '/x.dat')")});
        q.execSql();
        tr.commit();
    }
    createForms(t.path());
    TMain* m = forms().Main;
    QVERIFY(m->hasSelectedContract());
    auto seen = std::make_shared<ModalSeen>();
    {
        auto answer = ModalAnswerer::pressing(QMessageBox::No, seen);
        m->ToolButton3->click();
    }
    QCOMPARE(seen->count, 1);
    QStringList buttons = seen->buttons.replaceInStrings(QStringLiteral("&"), QString());
    buttons.sort();
    QCOMPARE(buttons, (QStringList{QStringLiteral("Да"), QStringLiteral("Нет")}));
}

void TestQtTranslations::fileDialogButtons() {
    TestDb t;
    createForms(t.path());
    // The import's own dialog: Qt's widget dialog, as offscreen has no native one.
    QStringList buttons;
    bool fileDialog = false;
    {
        ModalAnswerer answer([&](QWidget* w) {
            if (auto* d = qobject_cast<QFileDialog*>(w)) {
                fileDialog = true;
                if (auto* box = d->findChild<QDialogButtonBox*>())
                    buttons = captions(box->buttons());
            }
            if (auto* d = qobject_cast<QDialog*>(w))
                d->reject();
        });
        forms().Main->ToolButton1->click();
    }
    QVERIFY(fileDialog);
    QCOMPARE(buttons, (QStringList{QStringLiteral("Открыть"), QStringLiteral("Отмена")}));
}

void TestQtTranslations::contextMenu() {
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (const QAction* a : menu->actions()) {
        if (!a->isSeparator())
            texts << a->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
    }
    QVERIFY2(texts.contains(QStringLiteral("Вставить")), qPrintable(texts.join(u'|')));
    QVERIFY2(texts.contains(QStringLiteral("Копировать")), qPrintable(texts.join(u'|')));
}

QTEST_MAIN(TestQtTranslations)
#include "tst_qttranslations.moc"
