#pragma once

// Runs a piece of a test in a forked child, for what the test process itself
// must not take on: a file-size limit (a full disk without root), another
// user (a file root could write), or being killed half-way. The child's
// answer is the text Body returns; a child that ends early answers nothing.

#include <QByteArray>

#include <functional>
#include <sys/wait.h>
#include <unistd.h>

inline QByteArray InForkedChild(const std::function<QByteArray()>& Body)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return "<no pipe>";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const QByteArray out = Body();
        for (qsizetype done = 0; done < out.size();) {
            const ssize_t n = ::write(fds[1], out.constData() + done, size_t(out.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray out;
    char buf[4096];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
        out.append(buf, n);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return out;
}
