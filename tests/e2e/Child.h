#pragma once
// Runs a program in a child process and collects what it prints.

#include <string>
#include <vector>

namespace e2e {

struct ChildResult {
    int status = -1;       // exit status; -1 when it did not exit by itself
    bool timedOut = false;
    std::string output;    // standard output and standard error, interleaved
    long peakResidentKb = -1;  // the child's largest resident set
    std::vector<std::string> lines() const;
};

class Child {
public:
    // argv[0] is the program path. envChanges: "NAME=value" sets a variable for
    // the child, a bare "NAME" removes it.
    Child(const std::vector<std::string>& argv, const std::string& workingDir,
          const std::vector<std::string>& envChanges = {});
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // Reads output until a line equal to text has arrived; false after timeoutMs.
    bool waitForLine(const std::string& text, int timeoutMs);
    // Sends the signal to the child.
    void signal(int number);
    // Reads until the child exits; kills it after timeoutMs.
    ChildResult wait(int timeoutMs);

private:
    // Reads what is available within timeoutMs; false at the end of the output.
    bool readSome(int timeoutMs);

    int pid = -1;
    int fd = -1;
    std::string output;
};

// Runs to the end.
ChildResult run(const std::vector<std::string>& argv, const std::string& workingDir,
                const std::vector<std::string>& envChanges = {}, int timeoutMs = 60000);

}
