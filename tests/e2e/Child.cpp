#include "Child.h"

#include "support/Capture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace e2e {

namespace {

long long nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}

std::vector<std::string> ChildResult::lines() const
{
    return testsupport::splitLines(output);
}

Child::Child(const std::vector<std::string>& argv, const std::string& workingDir,
             const std::vector<std::string>& envChanges)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        throw std::runtime_error("pipe failed");
    pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(pipeFds[1], 1);
        dup2(pipeFds[1], 2);
        close(pipeFds[0]);
        close(pipeFds[1]);
        if (chdir(workingDir.c_str()) != 0)
            _exit(126);
        for (const std::string& change : envChanges) {
            const size_t eq = change.find('=');
            if (eq == std::string::npos)
                unsetenv(change.c_str());
            else
                setenv(change.substr(0, eq).c_str(), change.substr(eq + 1).c_str(), 1);
        }
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(pipeFds[1]);
    fd = pipeFds[0];
}

Child::~Child()
{
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    if (fd >= 0)
        close(fd);
}

bool Child::readSome(int timeoutMs)
{
    if (fd < 0)
        return false;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0)
        return true;
    char buffer[4096];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) {
        close(fd);
        fd = -1;
        return false;
    }
    output.append(buffer, static_cast<size_t>(n));
    return true;
}

bool Child::waitForLine(const std::string& text, int timeoutMs)
{
    const long long end = nowMs() + timeoutMs;
    for (;;) {
        for (const std::string& line : testsupport::splitLines(output))
            if (line == text)
                return true;
        const long long left = end - nowMs();
        if (left <= 0 || !readSome(static_cast<int>(left)))
            return false;
    }
}

void Child::signal(int number)
{
    if (pid > 0)
        kill(pid, number);
}

ChildResult Child::wait(int timeoutMs)
{
    ChildResult result;
    const long long end = nowMs() + timeoutMs;
    while (fd >= 0) {
        const long long left = end - nowMs();
        if (left <= 0) {
            result.timedOut = true;
            break;
        }
        readSome(static_cast<int>(left));
    }
    if (result.timedOut)
        kill(pid, SIGKILL);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) == pid)
        result.peakResidentKb = usage.ru_maxrss;
    pid = -1;
    if (!result.timedOut && WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    result.output = output;
    return result;
}

ChildResult run(const std::vector<std::string>& argv, const std::string& workingDir,
                const std::vector<std::string>& envChanges, int timeoutMs)
{
    Child child(argv, workingDir, envChanges);
    return child.wait(timeoutMs);
}

}
