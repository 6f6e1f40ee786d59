// The main window: the contract register and the toolbar commands.
#pragma once

#include <QMainWindow>
#include <QRect>

class QTableView;
class QToolBar;
class QToolButton;
class QStatusBar;
class TRecipientWindow;
class TdmMain;
class TDoc;
class TOutBar;
class TfrmAbout;
class TfrmSettings;

class TMain : public QMainWindow {
    Q_OBJECT
public:
    // Creates the window and runs FormCreate on `databaseName`.
    explicit TMain(const QString& databaseName, QWidget* parent = nullptr);
    ~TMain() override;

    TdmMain* dmMain = nullptr;

    QToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButton1 = nullptr;  // Загрузить
    QToolButton* ToolButton3 = nullptr;  // Удалить
    QToolButton* ToolButton2 = nullptr;  // Накладные
    QToolButton* ToolButton5 = nullptr;  // Этикетки
    QToolButton* ToolButton11 = nullptr; // Настройки
    QToolButton* ToolButton9 = nullptr;  // О программе
    QToolButton* ToolButton7 = nullptr;  // Выход
    QTableView* DBGrid1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;

    void FormCreate(const QString& databaseName);
    void FormDestroy();
    void RefreshRegister();

    void ToolButton1Click();  // import a contract file
    void ToolButton3Click();  // delete the selected contract
    void ToolButton2Click();  // the waybill window
    void ToolButton5Click();  // the label window
    void ToolButton11Click(); // settings
    void ToolButton9Click();  // about
    void ToolButton7Click();  // exit

    // True when the register is open and has rows (a contract is selected).
    bool hasSelectedContract() const;

    // The windows the toolbar opens; they are created after the main window.
    struct Windows {
        TDoc* Doc = nullptr;
        TOutBar* OutBar = nullptr;
        TfrmAbout* frmAbout = nullptr;
        TfrmSettings* frmSettings = nullptr;
    };
    void setWindows(const Windows& windows) { m_windows = windows; }

private:
    QToolButton* addButton(const QString& caption, const QString& hint, int image,
                           void (TMain::*handler)());
    void addSeparator();
    // Fills the window's recipient list with the selected contract's recipients (recipS shown,
    // recip as data), loads the first one's item lines and shows the window.
    void openRecipientWindow(TRecipientWindow* window);
    void selectRow(int row);

    Windows m_windows;
};

// A rectangle moved inwards by `margin` on all four sides.
QRect ShrinkRect(const QRect& rect, int margin);
