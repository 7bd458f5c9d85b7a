#pragma once

#include <QByteArray>

#include <unistd.h>

// One line to stdout at once and unbuffered, for a test that reads this
// process line by line.
inline void say(const QByteArray& line)
{
    const QByteArray bytes = line + '\n';
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n =
            ::write(STDOUT_FILENO, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            return;
        done += n;
    }
}
