// Runs a tool as a program, for the tools' tests: its exit status and what it printed.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

struct Outcome {
    int status;
    std::string output;  // standard output and standard error together
};

inline Outcome RunProgram(const std::string& program, const std::string& args) {
    const std::string command = program + " " + args + " 2>&1";
    Outcome r{-1, ""};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) r.output.append(buffer, n);
    const int raw = pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}
