// A data-entry grid: a table view whose cells are edited in place with a line editor that
// reports every change of its text at once, and keyboard use as in desktop data-entry grids.
//
// - Typing a character on an editable cell starts editing with that character; F2, Enter and a
//   double click start editing with the stored text.
// - Enter in the editor commits and moves one row down; Tab and Shift+Tab commit and go on to
//   the next (previous) editable cell, along the row and then on the next row; Esc closes the
//   editor. What the editor reported stays stored in every case.
// - Enter on a cell that cannot be edited is reported by enterPressed().
#pragma once

#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>

class QLineEdit;

class TEntryGrid : public QTableView {
    Q_OBJECT
public:
    explicit TEntryGrid(QWidget* parent = nullptr);

    // The editor of the current cell, while one is open.
    QLineEdit* editor() const;
    // Typed characters edit; they do not search the column.
    void keyboardSearch(const QString&) override {}

signals:
    void enterPressed(const QModelIndex& index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    QModelIndex nextEditable(const QModelIndex& from, int step) const;
};

// The line editor of a TEntryGrid. The editor starts with the cell's edit text; each change
// the user makes is handed to `edited`, which stores it and returns the text the editor is to
// show from then on (the typed text, or a cut one). `keyAllowed` filters typed characters
// before the editor gets them. Committing stores nothing more: every change is stored already.
class TEntryDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using Edited = std::function<QString(const QModelIndex& index, const QString& text)>;
    using KeyFilter = std::function<bool(QChar ch)>;

    TEntryDelegate(Edited edited, KeyFilter keyAllowed, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

    // True when a key event carries typed characters that `keyAllowed` refuses. Keys that work
    // the grid or the window (Enter, Esc, Tab, Delete) and shortcuts with Ctrl are not typed
    // characters.
    bool refusesKey(const QKeyEvent* event) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Edited m_edited;
    KeyFilter m_keyAllowed;
};
