#include "program_launcher.h"

#include "context.h"
#include "messages.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QRegularExpression>
#include <QWidget>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

ProgramStarter& starter() {
    static ProgramStarter s;
    return s;
}

const QByteArray kRaiseRequest = QByteArrayLiteral("raise\n");

#ifdef Q_OS_WIN
// A hidden top-level window that carries the program's title, so the suite's programs find
// this one as they find each other. Being brought to the top brings the main window forward.
class TitleWindow : public QWidget {
public:
    TitleWindow(const QString& title, std::function<void()> forward)
        : m_forward(std::move(forward)) {
        setWindowTitle(title);
        setAttribute(Qt::WA_DontShowOnScreen);
        winId(); // a native window exists without being shown
    }

protected:
    bool nativeEvent(const QByteArray& type, void* message, qintptr* result) override {
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message == WM_WINDOWPOSCHANGED) {
            const auto* pos = reinterpret_cast<const WINDOWPOS*>(msg->lParam);
            if (pos && !(pos->flags & SWP_NOZORDER) && m_forward)
                m_forward();
        }
        return QWidget::nativeEvent(type, message, result);
    }

private:
    std::function<void()> m_forward;
};
#endif

} // namespace

QString programFilePath(const QString& folder, const QString& fileName) {
    QString path = QDir(folder).filePath(fileName);
#ifndef Q_OS_WIN
    if (path.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive) && !QFileInfo::exists(path))
        path.chop(4);
#endif
    return QDir::toNativeSeparators(path);
}

void setProgramStarter(ProgramStarter s) {
    starter() = std::move(s);
}

bool startProgram(const QString& path) {
    if (starter())
        return starter()(path);
    const QFileInfo file(path);
    bool started = false;
    if (file.isFile() && file.isExecutable())
        started = QProcess::startDetached(file.absoluteFilePath(), {}, file.absolutePath());
    if (!started) {
        showMessage(shared().spanish()
                        ? QStringLiteral("No se puede iniciar el programa %1.").arg(path)
                        : QStringLiteral("The program %1 cannot be started.").arg(path));
    }
    return started;
}

QString programTitleServerName(const QString& title) {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9_.-]"));
    QString name = QStringLiteral("orlunde-") + user + QLatin1Char('-') + title;
    return name.replace(unsafe, QStringLiteral("_"));
}

bool bringRunningProgramToTop(const QString& title) {
    if (title.isEmpty())
        return false;
#ifdef Q_OS_WIN
    const std::wstring text = title.toStdWString();
    HWND window = FindWindowExW(nullptr, nullptr, nullptr, text.c_str());
    if (!window)
        return false;
    BringWindowToTop(window);
    return true;
#else
    QLocalSocket socket;
    socket.connectToServer(programTitleServerName(title));
    if (!socket.waitForConnected(1000))
        return false;
    socket.write(kRaiseRequest);
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
#endif
}

ProgramTitleHolder::ProgramTitleHolder(const QString& title, QWidget* window)
    : QObject(window), m_title(title), m_window(window) {
#ifdef Q_OS_WIN
    m_titleWindow = new TitleWindow(title, [this] { bringForward(); });
#else
    const QString name = programTitleServerName(title);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(name)) {
        // A name left behind by a program that ended abnormally answers nobody: take it over.
        // A copy that really runs keeps it.
        QLocalSocket probe;
        probe.connectToServer(name);
        if (!probe.waitForConnected(500)) {
            QLocalServer::removeServer(name);
            m_server->listen(name);
        }
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            auto serve = [this, socket] {
                if (socket->readAll().contains(kRaiseRequest.trimmed()))
                    bringForward();
            };
            connect(socket, &QLocalSocket::readyRead, this, serve);
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (socket->bytesAvailable() > 0)
                serve();
        }
    });
#endif
}

ProgramTitleHolder::~ProgramTitleHolder() {
    delete m_titleWindow;
}

bool ProgramTitleHolder::holding() const {
#ifdef Q_OS_WIN
    return m_titleWindow != nullptr;
#else
    return m_server && m_server->isListening();
#endif
}

void ProgramTitleHolder::bringForward() {
    ++m_raised;
    if (!m_window)
        return;
    if (m_window->isMinimized())
        m_window->showNormal();
    m_window->raise();
    m_window->activateWindow();
}
