#include "gui/tarvikapp.h"

#include "core/firebirdenv.h"
#include "gui/errorbox.h"
#include "gui/uAbout.h"
#include "gui/uDmMain.h"
#include "gui/uDoc.h"
#include "gui/uMain.h"
#include "gui/uOutBar.h"
#include "gui/uSerialNum.h"
#include "gui/uSettings.h"

#include <QDir>
#include <QSocketNotifier>

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
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Tarvik.gdb"));
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

#ifdef __linux__
// SIGTERM and SIGINT close the main window as the Выход command does, so the connection is
// closed and an open write rolled back. The signals are blocked in every thread from the start
// (the database engine's threads inherit that) and read from a signalfd on the GUI thread: a
// handler of our own that ran on an engine thread would leave the engine unable to detach.
int blockQuitSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    return signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
}

void closeMainWindowOnSignals(int fd, QObject* owner) {
    if (fd < 0)
        return;
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [fd] {
        signalfd_siginfo info;
        while (::read(fd, &info, sizeof info) == sizeof info) {
        }
        if (forms().Main)
            forms().Main->close();
    });
}
#else
int blockQuitSignals() {
    return -1;
}
void closeMainWindowOnSignals(int, QObject*) {}
#endif

} // namespace

int runTarvik(int argc, char** argv) {
    const int quitSignals = blockQuitSignals(); // before any thread is started
    TarvikApplication app(argc, argv);
    FirebirdEnv::setup();
    createForms(startupDatabaseName(QCoreApplication::arguments()));
    closeMainWindowOnSignals(quitSignals, &app);
    forms().Main->show();
    const int rc = app.exec();
    destroyForms();
    return rc;
}
