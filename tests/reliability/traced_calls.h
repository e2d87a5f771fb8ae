// The file-system calls of a run of vorn1, recorded by strace and read back
// as a list of calls with their arguments and results.
#pragma once

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "reliability/site.h"

namespace reliability {

struct traced_call {
    std::string name;
    std::vector<std::string> args;  // as printed; strings keep their quotes
    long result = -1;
};

// strace's path, or empty when it is not installed.
inline std::string find_strace() {
    std::istringstream path(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
    for (std::string folder; std::getline(path, folder, ':');)
        if (access((folder + "/strace").c_str(), X_OK) == 0) return folder + "/strace";
    return "";
}

// The calls that name, open, write, sync, rename or remove files.
inline const char* kTracedCalls =
    "trace=open,openat,creat,close,dup,dup2,dup3,fcntl,chdir,fchdir,write,pwrite64,writev,"
    "pwritev,pwritev2,copy_file_range,sendfile,ftruncate,fsync,fdatasync,syncfs,sync,rename,"
    "renameat,renameat2,unlink,unlinkat";

// A printed string argument without its quotes and escapes (strace prints
// octal escapes and the usual C ones).
inline std::string unquote(const std::string& arg) {
    std::string out;
    for (size_t i = 1; i < arg.size() && arg[i] != '"'; ++i) {
        if (arg[i] != '\\') {
            out += arg[i];
            continue;
        }
        const char c = arg[++i];
        if (c >= '0' && c <= '7') {
            int value = 0;
            for (int n = 0; n < 3 && i < arg.size() && arg[i] >= '0' && arg[i] <= '7'; ++n, ++i)
                value = value * 8 + (arg[i] - '0');
            --i;
            out += static_cast<char>(value);
        } else {
            out += c == 'n' ? '\n' : c == 't' ? '\t' : c;
        }
    }
    return out;
}

// Splits "name(a, "b, c", [d, e]) = 3 ..." into the call; false for lines
// that are no finished call (signals, exits).
inline bool parse_call(const std::string& text, traced_call& call) {
    const size_t open = text.find('(');
    if (open == std::string::npos || text.starts_with("+++") || text.starts_with("---"))
        return false;
    call.name = text.substr(0, open);
    call.args.clear();
    std::string arg;
    int depth = 0;
    bool quoted = false;
    size_t i = open + 1;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (quoted && c == '\\' && i + 1 < text.size()) {
            arg += c;
            c = text[++i];
        } else if (quoted) {
            quoted = c != '"';
        } else if (c == '"') {
            quoted = true;
        } else if (c == '(' || c == '[' || c == '{') {
            ++depth;
        } else if (c == ']' || c == '}' || (c == ')' && depth > 0)) {
            --depth;
        } else if (c == ')' || (c == ',' && depth == 0)) {
            call.args.push_back(arg.erase(0, arg.find_first_not_of(' ')));
            arg.clear();
            if (c == ')') break;
            continue;
        }
        arg += c;
    }
    const size_t equals = text.find(" = ", i);
    if (equals == std::string::npos) return false;
    call.result = std::strtol(text.c_str() + equals + 3, nullptr, 0);
    return true;
}

// The calls of an "strace -f -o" trace in their order, a call that another
// thread interrupted put together again.
inline std::vector<traced_call> read_trace(const std::string& trace) {
    std::vector<traced_call> calls;
    std::map<std::string, std::string> unfinished;  // by thread
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        const size_t space = line.find(' ');
        if (space == std::string::npos) continue;
        const std::string thread = line.substr(0, space);
        std::string text = line.substr(line.find_first_not_of(' ', space));
        if (const size_t cut = text.find(" <unfinished ...>"); cut != std::string::npos) {
            unfinished[thread] = text.substr(0, cut);
            continue;
        }
        if (text.starts_with("<... ")) {
            const size_t resumed = text.find("resumed>");
            if (resumed == std::string::npos) continue;
            text = unfinished[thread] + text.substr(resumed + 8);
        }
        traced_call call;
        if (parse_call(text, call)) calls.push_back(std::move(call));
    }
    return calls;
}

// Runs vorn1 (or program) with args in s under strace (at strace's path);
// the calls go to calls.
inline run_result run_traced(const std::string& strace, const site& s,
                             const std::vector<std::string>& args, std::vector<traced_call>& calls,
                             const std::string& program = "") {
    const temp_folder trace_folder;
    const std::string trace = trace_folder.file("trace");
    run_options options;
    options.run_under = {strace, "-f", "-q", "-s", "8", "-o", trace, "-e", kTracedCalls};
    // The leak check of a sanitizer build cannot run under ptrace.
    options.env = {{"ASAN_OPTIONS", "detect_leaks=0"}};
    options.program = program;
    const run_result r = run_vorn1(s.path(), args, options);
    calls = read_trace(read_bytes(trace));
    return r;
}

}  // namespace reliability
