// The stand-in host: takes the host's place in demos and end-to-end tests.
// It lives in the program folder beside its data files, shows that it runs by
// the run marker and writes its changes into the data files as it ends.

#include "HostRun.h"
#include "HostWindow.h"
#include "RunConfig.h"
#include "TermSignal.h"
#include "store/ErrorText.h"

#include <QApplication>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <cstdio>

using namespace tuvano;
using namespace Qt::StringLiterals;

namespace {

void complain(const QString& text) { std::fputs(qPrintable(text + u'\n'), stderr); }

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // Listening before the marker exists: whoever sees it may ask us to stop at once.
    standin::TermSignal stop;
    const QString folder = QCoreApplication::applicationDirPath();
    const standin::RunConfig config =
        standin::readRunConfig(folder + u'/' + standin::kRunConfigFile);

    // A launcher's way: the real host, a copy, comes a while after this one
    // has ended.
    constexpr char kHandedOver[] = "TUVANO_STANDIN_HANDED_OVER";
    if (config.handOverMs && !qEnvironmentVariableIsSet(kHandedOver)) {
        qputenv(kHandedOver, QByteArray::number(*config.handOverMs));
        return QProcess::startDetached(QCoreApplication::applicationFilePath(), {}, folder) ? 0 : 1;
    }
    if (qEnvironmentVariableIsSet(kHandedOver))
        QThread::msleep(qEnvironmentVariableIntValue(kHandedOver));
    // A slow start: the process runs before the marker says so.
    if (config.startMs)
        QThread::msleep(ulong(*config.startMs));

    standin::HostRun run{store::ProgramFolder(folder), store::HostRunMarker()};
    for (const standin::LineToAdd& line : config.appends) {
        if (!run.addLine(line.file, line.text))
            complain(u"Raden för "_s + store::fileName(line.file) +
                     u" hoppas över: den innehåller tecken som filerna inte kan lagra."_s);
    }
    if (const store::Status started = run.start(); !started) {
        complain(u"Lexaro (ersättare) kan inte starta: körmarkeringen kunde inte skapas.\n"_s +
                 store::errorText(started.error()));
        return 1;
    }

    standin::HostWindow window(run);
    QObject::connect(&stop, &standin::TermSignal::received, &window, &QWidget::close);
    if (config.runMs)
        QTimer::singleShot(*config.runMs, &window, &QWidget::close);
    window.show();
    app.exec();

    const std::vector<store::StoreError> errors = run.finish(config.lingerMs.value_or(0));
    for (const store::StoreError& error : errors)
        complain(store::errorText(error));
    return errors.empty() ? 0 : 1;
}
