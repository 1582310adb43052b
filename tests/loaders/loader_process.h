#pragma once
// A loader program run as a child process: its keys typed into a pipe on standard input, its
// console output collected, its exit awaited with a bound.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace loader_tests {

class LoaderProcess {
  public:
    LoaderProcess(const std::string& program, std::vector<std::string> arguments) {
        int input[2], console[2];
        if (pipe2(input, O_CLOEXEC) != 0 || pipe2(console, O_CLOEXEC) != 0) return;
        child = fork();
        if (child == 0) {
            // dup2 onto itself keeps close-on-exec; a pipe end that already is 0 or 1 loses it here.
            dup2(input[0], STDIN_FILENO);
            dup2(console[1], STDOUT_FILENO);
            fcntl(STDIN_FILENO, F_SETFD, 0);
            fcntl(STDOUT_FILENO, F_SETFD, 0);
            setenv("LC_ALL", "C.UTF-8", 1);
            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (auto& argument : arguments)
                argv.push_back(argument.data());
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        close(input[0]);
        close(console[1]);
        keys = input[1];
        reader = std::thread([this, fd = console[0]] {
            char chunk[512];
            ssize_t got;
            while ((got = read(fd, chunk, sizeof chunk)) > 0) {
                std::lock_guard guard(lock);
                output.append(chunk, static_cast<std::size_t>(got));
            }
            close(fd);
        });
    }

    ~LoaderProcess() {
        if (child > 0 && !exited) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
        if (keys >= 0) close(keys);
        if (reader.joinable()) reader.join();
    }

    bool Started() const { return child > 0; }
    void Type(char key) { (void)!write(keys, &key, 1); }

    // The exit code, or -1 when the program had to be killed after `timeoutMs`.
    int Wait(int timeoutMs) {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        int status = 0;
        while (waitpid(child, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > until) {
                kill(child, SIGKILL);
                waitpid(child, &status, 0);
                exited = true;
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        exited = true;
        if (reader.joinable()) reader.join();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string Output() {
        std::lock_guard guard(lock);
        return output;
    }

    // Waits until the output holds `text`.
    bool WaitForOutput(const std::string& text, int timeoutMs) {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (Output().find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > until) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    // The processor time the running program has used so far (user and system), or -1 once it
    // has gone.
    long long CpuMs() const {
        std::ifstream stat("/proc/" + std::to_string(child) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        // The fields after the program name, which may hold blanks, begin with the state (field 3);
        // utime and stime are fields 14 and 15.
        std::size_t close = text.rfind(')');
        if (close == std::string::npos) return -1;
        std::istringstream fields(text.substr(close + 2));
        std::string field;
        long long ticks = 0;
        for (int number = 3; number <= 15 && fields >> field; ++number)
            if (number >= 14) ticks += std::stoll(field);
        return ticks * 1000 / sysconf(_SC_CLK_TCK);
    }

  private:
    pid_t child = -1;
    bool exited = false;
    int keys = -1;
    std::thread reader;
    std::mutex lock;
    std::string output;
};

} // namespace loader_tests
