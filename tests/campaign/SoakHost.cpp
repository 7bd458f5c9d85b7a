// The host of the kill soak: writes all five live files whole, each with the
// session's generation, then removes the marker file that the program made
// for it. It runs as a process of its own, so a kill of the program leaves
// it to end normally, as the real host does.
//
// Usage: soak_host <program folder> <owner id> <generation> <seed>

#include "SoakContent.h"
#include "store/HostContract.h"
#include "store/ProgramFolder.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>

using namespace tuvano;

int main(int argc, char* argv[])
{
    if (argc != 5) {
        std::fputs("usage: soak_host <program folder> <owner id> <generation> <seed>\n", stderr);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString owner = QString::fromLocal8Bit(argv[2]);
    const QString generation = QString::fromLocal8Bit(argv[3]);
    QRandomGenerator random(quint32(std::strtoul(argv[4], nullptr, 10)));
    const store::ProgramFolder program(folder);
    for (store::DataFile f : store::ProfileFileSet::listing) {
        QFile live(program.liveFile(f));
        if (live.open(QIODevice::WriteOnly | QIODevice::Truncate))
            live.write(test::soak::makeContent(owner, generation, store::fileName(f).toString(),
                                               random.generate()));
    }
    QFile::remove(folder + QStringLiteral("/lx98temp.tmp"));
    return 0;
}
