// The application object and start-up.
#pragma once

#include <QApplication>
#include <QString>

class TMain;
class TDoc;
class TOutBar;
class TfrmSerialNum;
class TdlgInpFin;
class TfrmAbout;
class TfrmSettings;

// An error that escapes an event handler ends in the error box instead of ending the program.
class TarvikApplication : public QApplication {
public:
    TarvikApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The windows of the application, created once at start-up in this order.
struct AppForms {
    TMain* Main = nullptr;
    TDoc* Doc = nullptr;
    TOutBar* OutBar = nullptr;
    TfrmSerialNum* frmSerialNum = nullptr;
    TdlgInpFin* dlgInpFin = nullptr;
    TfrmAbout* frmAbout = nullptr;
    TfrmSettings* frmSettings = nullptr;
};
AppForms& forms();

// The database a start with these arguments opens: the first argument unchanged when present
// and not empty, otherwise the default database (defaultDatabasePath in core/dbconnection.h).
QString startupDatabaseName(const QStringList& arguments);

// Loads Qt's own Russian texts (standard buttons, file and print dialogs, context menus) from
// Qt's translations folder; before any window is created.
void installQtTranslations();

// Creates the seven windows for the database `databaseName` (errors are shown and start-up goes
// on) and shows the main window.
void createForms(const QString& databaseName);
// Destroys them again (the main window last, which closes the connection).
void destroyForms();

// Start-up: title, windows, event loop. Returns the exit code.
int runTarvik(int argc, char** argv);
