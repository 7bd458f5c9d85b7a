#pragma once

#include <QByteArray>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif
#include <unistd.h>

// One line to stdout at once and unbuffered, for a test that reads this
// process line by line.
inline void say(const QByteArray& line)
{
#ifdef Q_OS_WIN
    // The C runtime writes descriptors in text mode, which would turn each
    // line feed into CR LF; the reader looks for the bytes as said.
    static const int binary = ::_setmode(STDOUT_FILENO, _O_BINARY);
    Q_UNUSED(binary);
#endif
    const QByteArray bytes = line + '\n';
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n =
            ::write(STDOUT_FILENO, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            return;
        done += n;
    }
}
