// Runs every file of the given folders (or the given files) through the same
// check as the fuzz target, without libFuzzer, so that any compiler can keep
// the corpus passing.
#include "ReaderCheck.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

#ifndef TUVANO_FUZZ_READER
#error "TUVANO_FUZZ_READER must name the reader under test"
#endif

namespace {

QStringList inputsOf(const QString& arg)
{
    if (!QFileInfo(arg).isDir())
        return {arg};
    QStringList files;
    QDirIterator it(arg, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER_OR_FILE...\n", argv[0]);
        return 2;
    }
    int checked = 0;
    int failed = 0;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QFile::decodeName(argv[i]);
        if (!QFileInfo::exists(arg)) {
            std::fprintf(stderr, "missing: %s\n", argv[i]);
            return 2;
        }
        for (const QString& path : inputsOf(arg)) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
                ++failed;
                continue;
            }
            const QByteArray bytes = file.readAll();
            ++checked;
            if (const auto failure =
                    tuvano::fuzz::check(tuvano::fuzz::Reader::TUVANO_FUZZ_READER, bytes)) {
                std::fprintf(stderr, "FAIL %s: %s\n", qPrintable(path), qPrintable(*failure));
                ++failed;
            }
        }
    }
    std::printf("%d inputs checked, %d failed\n", checked, failed);
    // An empty corpus would pass without testing anything.
    return failed == 0 && checked > 0 ? 0 : 1;
}
