#include "gui/entrygrid.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPersistentModelIndex>

// ---------------------------------------------------------------- TEntryGrid

TEntryGrid::TEntryGrid(QWidget* parent) : QTableView(parent) {
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(true);
    setWordWrap(false);
}

QLineEdit* TEntryGrid::editor() const {
    if (state() != QAbstractItemView::EditingState)
        return nullptr;
    for (QLineEdit* e : viewport()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly))
        if (e->isVisible())
            return e;
    return nullptr;
}

void TEntryGrid::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && state() != QAbstractItemView::EditingState) {
        const QModelIndex current = currentIndex();
        if (current.isValid()) {
            if (current.flags() & Qt::ItemIsEditable)
                edit(current);
            else
                emit enterPressed(current);
        }
        event->accept(); // never the window's default button
        return;
    }
    // A refused character does not start editing either.
    if (auto* d = qobject_cast<TEntryDelegate*>(itemDelegate()); d && d->refusesKey(event)) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

QModelIndex TEntryGrid::nextEditable(const QModelIndex& from, int step) const {
    const QAbstractItemModel* m = model();
    if (!m || !from.isValid())
        return QModelIndex();
    const int rows = m->rowCount(rootIndex());
    const int columns = m->columnCount(rootIndex());
    int r = from.row();
    int c = from.column();
    for (;;) {
        c += step;
        if (c >= columns) {
            c = 0;
            ++r;
        } else if (c < 0) {
            c = columns - 1;
            --r;
        }
        if (r < 0 || r >= rows)
            return QModelIndex();
        const QModelIndex i = m->index(r, c, rootIndex());
        if (!isColumnHidden(c) && (i.flags() & Qt::ItemIsEditable))
            return i;
    }
}

QModelIndex TEntryGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if (action == MoveNext || action == MovePrevious)
        return nextEditable(currentIndex(), action == MoveNext ? 1 : -1);
    return QTableView::moveCursor(action, modifiers);
}

void TEntryGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (hint != QAbstractItemDelegate::SubmitModelCache) {
        QTableView::closeEditor(editor, hint);
        return;
    }
    // Enter: committed; one row down.
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    const QModelIndex current = currentIndex();
    const QModelIndex below = current.sibling(current.row() + 1, current.column());
    if (below.isValid())
        setCurrentIndex(below);
}

// ---------------------------------------------------------------- TEntryDelegate

namespace {
const char* const kFilled = "tarvikEditorFilled";
}

TEntryDelegate::TEntryDelegate(Edited edited, KeyFilter keyAllowed, QObject* parent)
    : QStyledItemDelegate(parent), m_edited(std::move(edited)),
      m_keyAllowed(std::move(keyAllowed)) {}

QWidget* TEntryDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                      const QModelIndex& index) const {
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    const QPersistentModelIndex at(index);
    connect(editor, &QLineEdit::textEdited, this, [this, editor, at](const QString& text) {
        if (!at.isValid() || !m_edited)
            return;
        const QString shown = m_edited(at, text);
        if (shown != editor->text())
            editor->setText(shown);
    });
    return editor;
}

void TEntryDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    // Filled once, when editing starts: while the user types, the editor keeps what was typed
    // even when the stored value differs (a capped quantity, say).
    auto* e = qobject_cast<QLineEdit*>(editor);
    if (!e || e->property(kFilled).toBool())
        return;
    e->setText(index.data(Qt::EditRole).toString());
    e->setProperty(kFilled, true);
}

void TEntryDelegate::setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const {}

bool TEntryDelegate::refusesKey(const QKeyEvent* event) const {
    if (!m_keyAllowed)
        return false;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return false;
    default:
        break;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return false;
    for (QChar ch : event->text())
        if (!m_keyAllowed(ch))
            return true;
    return false;
}

bool TEntryDelegate::eventFilter(QObject* watched, QEvent* event) {
    auto* editor = qobject_cast<QWidget*>(watched);
    if (editor && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
            return true;
        }
        if (refusesKey(key))
            return true;
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}
