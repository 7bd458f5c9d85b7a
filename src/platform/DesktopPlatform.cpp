#include "DesktopPlatform.h"

#include "FolderAccess.h"
#include "HostProcesses.h"
#include "store/HostContract.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTextLayout>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#ifdef Q_OS_WIN
#include "store/WindowsFiles.h"

#include <windows.h>
#else
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace tuvano::platform {

namespace {

QMessageBox::Icon toQt(Icon icon)
{
    switch (icon) {
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

// A message box wraps plain text between words only, and never to the
// screen's height. A paragraph with a word too wide for a line is broken into
// lines here, inside the word too, and one longer than some twenty lines
// (only a name of thousands of letters makes one) is cut short in the middle.
QString fitForScreen(const QString& text, const QWidget* parent)
{
    // A box takes up to half the screen's width before it wraps, but never
    // more than 500 pixels; the lines leave room for its icon.
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const int lineWidth = qMin(400, screen->availableGeometry().width() / 2);
    constexpr int kMostLines = 20;
    const QFont font = QApplication::font("QMessageBox");
    const QFontMetrics metrics(font);
    QStringList lines;
    for (const QString& paragraph : text.split(u'\n')) {
        const QString shown =
            metrics.elidedText(paragraph, Qt::ElideMiddle, kMostLines * lineWidth);
        const QStringList words = shown.split(u' ');
        if (std::none_of(words.begin(), words.end(), [&](const QString& word) {
                return metrics.horizontalAdvance(word) > lineWidth;
            })) {
            lines << shown;
            continue;
        }
        QTextLayout layout(shown, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(lineWidth);
            lines << shown.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
    }
    return lines.join(u'\n');
}

// A host this program started. Its QProcess is kept, so that how it ended
// is known; it is never destroyed while the process runs, since that would
// end the process, and the host must outlive this program.
struct StartedHost {
    QProcess* process = nullptr; // gone once the process has ended
    QString why;                 // how it failed, once it has
    bool windows32 = false;      // a 32-bit Windows program run through Wine
};

std::map<qint64, StartedHost>& startedHosts()
{
    // Never destroyed: a running host's QProcess must not be.
    static auto* hosts = new std::map<qint64, StartedHost>;
    return *hosts;
}

#ifndef Q_OS_WIN
// Whether a Windows program is a 32-bit one: its PE header names the i386.
// Only Wine may lack what runs it; Windows itself runs both kinds.
bool isWindows32Program(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray dos = file.read(64);
    if (dos.size() < 64 || !dos.startsWith("MZ"))
        return false;
    const quint32 peAt = quint32(uchar(dos[60])) | quint32(uchar(dos[61])) << 8 |
                         quint32(uchar(dos[62])) << 16 | quint32(uchar(dos[63])) << 24;
    if (!file.seek(peAt))
        return false;
    const QByteArray pe = file.read(6);
    return pe.size() == 6 && pe.startsWith(QByteArrayView("PE\0\0", 4)) && uchar(pe[4]) == 0x4C &&
           uchar(pe[5]) == 0x01;
}
#endif

} // namespace

QString DesktopPlatform::programFolder() const { return QCoreApplication::applicationDirPath(); }

QStringList DesktopPlatform::markerPaths() const
{
    // Finding the Wine prefix's C: drive reads a link: once is enough.
    if (m_markers.isEmpty())
        m_markers = store::HostRunMarkers();
    return m_markers;
}

QDateTime DesktopPlatform::bootTime() const
{
#ifdef Q_OS_WIN
    return QDateTime::currentDateTime().addMSecs(-qint64(::GetTickCount64()));
#else
    QFile stat(u"/proc/stat"_s);
    if (stat.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : stat.readAll().split('\n')) {
            if (line.startsWith("btime "))
                return QDateTime::fromSecsSinceEpoch(line.mid(6).trimmed().toLongLong());
        }
    }
    return {};
#endif
}

bool DesktopPlatform::writeDenied(const QString& folder) const
{
    return platform::writeDenied(folder);
}

QString DesktopPlatform::virtualStore(const QString& folder) const
{
    return virtualStoreFolder(folder);
}

Answer DesktopPlatform::message(const QString& text, const QString& title, Icon icon,
                                Buttons buttons)
{
    QWidget* parent = QApplication::activeWindow();
    const QString shown = fitForScreen(text, parent);
    QMessageBox box(toQt(icon), title, shown, QMessageBox::NoButton, parent);
    // Texts carry names, which are shown as typed even when they look like markup.
    box.setTextFormat(Qt::PlainText);
    if (shown != text)
        box.setAccessibleDescription(text);
    QPushButton* yes = nullptr;
    if (buttons != Buttons::Ok) {
        yes = box.addButton(u"&Ja"_s, QMessageBox::YesRole);
        QPushButton* no = box.addButton(u"&Nej"_s, QMessageBox::NoRole);
        box.setDefaultButton(buttons == Buttons::YesNoDefaultNo ? no : yes);
        box.setEscapeButton(no);
    } else {
        box.setDefaultButton(box.addButton(u"OK"_s, QMessageBox::AcceptRole));
    }
    box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return box.clickedButton() == yes ? Answer::Yes : Answer::No;
}

QString DesktopPlatform::inputBox(const QString& prompt, const QString& title,
                                  const QString& defaultText)
{
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    for (QLabel* label : dialog.findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    dialog.setTextValue(defaultText);
    dialog.setOkButtonText(u"OK"_s);
    dialog.setCancelButtonText(u"Avbryt"_s);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue();
}

bool isWindowsProgram(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(2) == "MZ";
}

Launch DesktopPlatform::launch(const QString& path)
{
    const QFileInfo file(path);
    if (!file.isFile())
        return Launch::failed(launchFailure::kMissing.toString());
    // Not parented and never destroyed while it runs: see StartedHost.
    auto* process = new QProcess;
    process->setWorkingDirectory(file.absolutePath());
    // The host outlives this program: were it to write into this program's
    // output and that were a pipe whose reader has gone, it would be killed.
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    bool windows32 = false;
#ifdef Q_OS_WIN
    process->setProgram(path);
    process->setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* args) {
        args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        args->startupInfo->wShowWindow = SW_SHOWMINIMIZED;
    });
#else
    // Its own session, as a program started from the desktop: a signal to
    // this program's terminal or group does not reach it.
    process->setChildProcessModifier([] { ::setsid(); });
    if (isWindowsProgram(path)) {
        // Wine's own tools take the command from WINE too.
        QString wine = qEnvironmentVariable("WINE");
        if (wine.isEmpty())
            wine = u"wine"_s;
        const QString found = QStandardPaths::findExecutable(wine);
        const QString prefix = qEnvironmentVariable("WINEPREFIX");
        QString refused;
        if (found.isEmpty())
            refused = launchFailure::noWine(wine);
        else if (!prefix.isEmpty() && QDir::isRelativePath(prefix))
            refused = u"det är ett Windowsprogram, och Wine kräver att WINEPREFIX är en "
                      u"fullständig sökväg, men den är "_s +
                      prefix;
        if (!refused.isEmpty()) {
            delete process;
            return Launch::failed(refused);
        }
        windows32 = isWindows32Program(path);
        process->setProgram(found);
        process->setArguments({file.absoluteFilePath()});
    } else if (!file.isExecutable()) {
        delete process;
        return Launch::failed(launchFailure::kNotExecutable.toString());
    } else {
        process->setProgram(path);
    }
#endif
    process->start();
    if (!process->waitForStarted()) {
        delete process;
        return Launch::failed(launchFailure::kNotStarted.toString());
    }
    const qint64 pid = process->processId();
    startedHosts()[pid] = StartedHost{process, {}, windows32};
    QObject::connect(process, &QProcess::finished, process,
                     [process, pid](int code, QProcess::ExitStatus status) {
                         StartedHost& host = startedHosts()[pid];
                         if (status == QProcess::CrashExit)
                             host.why = launchFailure::kKilled.toString();
                         else if (code != 0)
                             host.why = launchFailure::exitedWith(code);
                         if (!host.why.isEmpty() && host.windows32)
                             host.why += u"; det är ett 32-bitarsprogram, och Wine kan sakna sitt "
                                         u"stöd för sådana (wine32)"_s;
                         host.process = nullptr;
                         process->deleteLater();
                     });
    return Launch::of(pid);
}

std::optional<QString> DesktopPlatform::failureOf(qint64 pid)
{
    const auto host = startedHosts().find(pid);
    if (host == startedHosts().end())
        return std::nullopt;
    if (host->second.process)
        host->second.process->waitForFinished(0); // notices an end not yet told
    if (host->second.process || host->second.why.isEmpty())
        return std::nullopt;
    return host->second.why;
}

bool DesktopPlatform::processRunning(qint64 pid)
{
    if (pid <= 0)
        return false;
    // A host this program started, whose end its QProcess tells.
    if (const auto host = startedHosts().find(pid); host != startedHosts().end()) {
        if (host->second.process)
            host->second.process->waitForFinished(0);
        return host->second.process != nullptr;
    }
#ifdef Q_OS_WIN
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return false;
    DWORD exitCode = 0;
    const bool running = ::GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
    ::CloseHandle(process);
    return running;
#else
    // A detached process is reaped by whoever adopted it, which in a
    // container may be nobody: an ended one can linger as a zombie.
    QFile stat(u"/proc/"_s + QString::number(pid) + u"/stat"_s);
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    // "pid (name) state ...": the name may hold anything, even ")".
    const QByteArray line = stat.readLine();
    const qsizetype nameEnd = line.lastIndexOf(')');
    if (nameEnd < 0 || nameEnd + 2 >= line.size())
        return false;
    const char state = line.at(nameEnd + 2);
    return state != 'Z' && state != 'X';
#endif
}

std::vector<qint64> DesktopPlatform::runningHosts()
{
    QStringList programs;
    for (QStringView executable : store::kHostExecutables)
        programs << programFolder() + u'/' + executable;
    return processesRunning(programs);
}

bool DesktopPlatform::canOpen(const QString& path)
{
#ifdef Q_OS_WIN
    // Looked at on every tick and every change on its drive: the look must
    // never refuse the host anything, so every kind of sharing is granted,
    // deletion too, and the file is closed at once. A marker another
    // program (the host itself) keeps open without sharing it is there all
    // the same: the host runs.
    const HANDLE marker = ::CreateFileW(store::windows::longPath(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE) {
        ::CloseHandle(marker);
        return true;
    }
    const DWORD why = ::GetLastError();
    return why == ERROR_SHARING_VIOLATION || why == ERROR_LOCK_VIOLATION;
#else
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
#endif
}

void DesktopPlatform::reseedRandom()
{
    m_random.seed(quint32(QDateTime::currentMSecsSinceEpoch()));
}

float DesktopPlatform::randomFraction()
{
    // 24 random bits fill a float's significand: every value is below 1.
    constexpr quint32 kSteps = 1u << 24;
    return float(m_random.bounded(kSteps)) / float(kSteps);
}

void DesktopPlatform::stayOnTop(QWidget* window, bool onTop)
{
#ifdef Q_OS_WIN
    // Only the place among the windows changes: where the window stands and
    // its size are Qt's, which knows its frame and its screen's scale.
    ::SetWindowPos(reinterpret_cast<HWND>(window->winId()), onTop ? HWND_TOPMOST : HWND_NOTOPMOST,
                   0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
#else
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible)
        window->show();
#endif
}

void DesktopPlatform::endWith(int code)
{
    if (m_beforeEnd)
        m_beforeEnd();
    // Every file is closed between events, so nothing is lost by not
    // unwinding: this is the quickest and surest end.
    std::fflush(nullptr);
    std::_Exit(code);
}

void DesktopPlatform::endProgram() { endWith(0); }

void DesktopPlatform::fatalError(const QString& text)
{
    message(text, u"Lexaro Tuvano!"_s, Icon::Critical, Buttons::Ok);
    endWith(1);
}

} // namespace tuvano::platform
