#include "gui/tarvikapp.h"

#include "core/dbconnection.h"
#include "core/firebirdenv.h"
#include "gui/errorbox.h"
#include "gui/uAbout.h"
#include "gui/uDmMain.h"
#include "gui/uDoc.h"
#include "gui/uMain.h"
#include "gui/uOutBar.h"
#include "gui/uSerialNum.h"
#include "gui/uSettings.h"

#include <QLibraryInfo>
#include <QSocketNotifier>
#include <QTranslator>

#include <QFont>
#include <QScreen>
#include <QStyle>
#include <csignal>
#include <unistd.h>
#ifdef __linux__
#include <pthread.h>
#include <sys/signalfd.h>
#endif

TarvikApplication::TarvikApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Тарвик"));
    setApplicationDisplayName(QStringLiteral("Тарвик"));
    setApplicationVersion(QStringLiteral(TARVIK_VERSION));
    setDesktopFileName(QStringLiteral("tarvik"));
    setWindowIcon(applicationIcon());
}

bool TarvikApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ErrorBox::showException(std::current_exception());
        return false;
    }
}

AppForms& forms() {
    static AppForms f;
    return f;
}

QString startupDatabaseName(const QStringList& arguments) {
    if (arguments.size() > 1 && !arguments.at(1).isEmpty())
        return arguments.at(1);
    return defaultDatabasePath();
}

void installQtTranslations() {
    // The interface is Russian whatever the system's language: Qt's own texts (the standard
    // buttons, the file and print dialogs, the text fields' menus) follow it.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_ru"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

static void centre(QWidget* w) {
    if (const QScreen* s = QGuiApplication::primaryScreen())
        w->move(s->availableGeometry().center() - w->rect().center());
}

void createForms(const QString& databaseName) {
    // The windows are laid out for a small sans-serif face at 8 points.
    QFont font(QStringLiteral("Liberation Sans"), 8);
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);
    AppForms& f = forms();
    f.Main = new TMain(databaseName);
    TdmMain& dm = *f.Main->dmMain;
    f.Doc = new TDoc(dm, f.Main);
    f.OutBar = new TOutBar(dm, f.Main);
    f.frmSerialNum = new TfrmSerialNum(f.Main);
    f.dlgInpFin = new TdlgInpFin(f.Main);
    f.frmAbout = new TfrmAbout(f.Main);
    f.frmSettings = new TfrmSettings(dm, f.Main);
    f.Main->setWindows({f.Doc, f.OutBar, f.frmAbout, f.frmSettings});
    f.Doc->setSerialDialog(f.frmSerialNum);
    f.frmSerialNum->setConfirmDialog(f.dlgInpFin);
    for (QWidget* w : std::initializer_list<QWidget*>{f.Main, f.Doc, f.frmSerialNum, f.dlgInpFin,
                                                      f.frmAbout, f.frmSettings})
        centre(w);
}

void destroyForms() {
    AppForms& f = forms();
    delete f.Main; // owns the other windows
    f = AppForms();
}

namespace {

bool quitRequested = false;

// Ends the program as the Выход command does, at any moment: the main window is closed, and
// every event loop returns, those of a box or dialog still open included (a box shown while
// the windows are being created among them), as if it had been cancelled. The connection is
// closed when the windows are destroyed (an open write rolled back).
void quitOnSignal() {
    quitRequested = true;
    if (forms().Main)
        forms().Main->close();
    QCoreApplication::exit(0);
}

#ifdef __linux__
// SIGTERM and SIGINT end the program through quitOnSignal. The signals are blocked in every
// thread from the start (the database engine's threads inherit that) and read from a signalfd on
// the GUI thread: a handler of our own that ran on an engine thread would leave the engine unable
// to detach.
int blockQuitSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    return signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
}

// Connected before the windows are created: the signals are read by whichever event loop runs.
void quitOnSignals(int fd, QObject* owner) {
    if (fd < 0)
        return;
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [fd] {
        signalfd_siginfo info;
        while (::read(fd, &info, sizeof info) == sizeof info) {
        }
        quitOnSignal();
    });
}
#else
int blockQuitSignals() {
    return -1;
}
void quitOnSignals(int, QObject*) {}
#endif

} // namespace

int runTarvik(int argc, char** argv) {
    const int quitSignals = blockQuitSignals(); // before any thread is started
    TarvikApplication app(argc, argv);
    installQtTranslations();
    FirebirdEnv::setup();
    quitOnSignals(quitSignals, &app);
    const QString databaseName = startupDatabaseName(QCoreApplication::arguments());
    // The first start of an installed program creates its database in the user's data folder.
    if (databaseName == defaultDatabasePath())
        ErrorBox::guard([] { defaultDatabase(); });
    createForms(databaseName);
    // A signal during start-up ends the program before the event loop is entered (the loop
    // would forget the request).
    int rc = 0;
    if (!quitRequested) {
        forms().Main->show();
        rc = app.exec();
    }
    destroyForms();
    return rc;
}
