// A copy of the program reduced to its single-copy lock, for tests that need
// two copies as two processes of one executable.
//
//   copy_probe hold <folder> <shown|asks|starting|nowindow|stuck>
//     takes the lock, says "held", then answers every request with the reply
//     named (saying "asked" each time); "stuck" never looks at a request, as
//     a copy busy in its start-up.
//   copy_probe start <folder> <answer-wait-ms> [host-runs]
//     claims the folder as start-up does and prints each message box,
//     followed by "--"; ends with 0 when start-up would go on, else 1.

#include "platform/FolderClaim.h"
#include "support/FakePlatform.h"
#include "support/Say.h"

#include <QCoreApplication>
#include <QThread>

using namespace tuvano;
using Reply = platform::SingleInstance::Reply;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4)
        return 2;
    platform::SingleInstance instance(args[2]);
    if (args[1] == u"hold") {
        const QString name = args[3];
        const Reply reply = name == u"shown"      ? Reply::Shown
                            : name == u"asks"     ? Reply::Asked
                            : name == u"nowindow" ? Reply::NoWindow
                                                  : Reply::Starting;
        const auto answer = [reply] {
            say("asked");
            return reply;
        };
        if (instance.acquire(answer) != platform::SingleInstance::Status::Acquired)
            return 2;
        say("held");
        if (name == u"stuck") {
            QThread::sleep(60);
            return 0;
        }
        return app.exec();
    }
    test::FakePlatform platform(args[2]);
    platform.hostRunning = args.size() > 4 && args[4] == u"host-runs";
    const bool goesOn = platform::claimProgramFolder(
        instance, platform, [] { return Reply::Starting; }, args[3].toInt());
    for (const test::Box& box : platform.boxes)
        say(box.text.toUtf8() + "\n--");
    return goesOn ? 0 : 1;
}
