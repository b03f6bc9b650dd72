#pragma once

// A piece of a test run in a forked child, for what the test process must not
// take on: a file-size limit, another user, being killed half-way. The answer
// is the text Body returns; a child that ends early answers nothing.

#include <QByteArray>

#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

inline QByteArray InForkedChild(const std::function<QByteArray()>& Body)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return "<no pipe>";
    const pid_t pid = ::fork();
    if (pid == 0) {
        const QByteArray out = Body();
        (void)!::write(fds[1], out.constData(), size_t(out.size()));   // short answers: one write
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray out;
    char buf[4096];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
        out.append(buf, n);
    ::close(fds[0]);
    ::waitpid(pid, nullptr, 0);
    return out;
}

// A full disk without root: writes past Limit bytes fail with EFBIG, as the program's
// application object ignores the signal that would end it.
inline QByteArray WithFileSizeLimit(rlim_t Limit, const std::function<QByteArray()>& Body)
{
    return InForkedChild([&] {
        const rlimit limit{Limit, Limit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return Body();
    });
}
