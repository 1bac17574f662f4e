// What the display tests need around a game under a real X server: an Xvfb of their own (no
// window manager), the game as a separate process whose per-frame lines they read, and an X
// client that presses keys and moves the pointer through XTest, moves and resizes the game's
// window as a window manager would, and reads back what the window shows.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace xsession {

using Clock = std::chrono::steady_clock;

inline int MillisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for a child to end; false when it is still running at the deadline.
inline bool WaitForExit(pid_t pid, Clock::time_point deadline, int* status) {
    for (;;) {
        const pid_t done = waitpid(pid, status, WNOHANG);
        if (done == pid) return true;
        if (done < 0 || MillisecondsLeft(deadline) == 0) return false;
        poll(nullptr, 0, 10);  // a child's end cannot be waited for with a timeout otherwise
    }
}

// Reads what a pipe has until a line is complete or the deadline passes.
class LineReader {
public:
    void Attach(int fd) { m_fd = fd; }
    // The next line without its line break; false at the deadline or the end of the output.
    bool Next(std::string* line, Clock::time_point deadline) {
        for (;;) {
            const size_t end = m_buffer.find('\n');
            if (end != std::string::npos) {
                *line = m_buffer.substr(0, end);
                m_buffer.erase(0, end + 1);
                return true;
            }
            if (m_fd < 0) return false;
            pollfd p{m_fd, POLLIN, 0};
            if (poll(&p, 1, MillisecondsLeft(deadline)) <= 0) return false;
            char chunk[4096];
            const ssize_t n = read(m_fd, chunk, sizeof chunk);
            if (n <= 0) return false;
            m_buffer.append(chunk, static_cast<size_t>(n));
        }
    }

private:
    int m_fd = -1;
    std::string m_buffer;
};

// An Xvfb server with a 1024 × 768 screen on a display number it picks itself, reachable only
// on this machine, without a window manager.
class XServer {
public:
    ~XServer() { Stop(SIGKILL); }

    // False, with the reason, when Xvfb cannot start at all.
    bool Start(std::string* why) {
        int ready[2];
        if (pipe2(ready, O_CLOEXEC) != 0) return Fail(why, "no pipe");
        m_pid = fork();
        if (m_pid == 0) {
            fcntl(ready[1], F_SETFD, 0);  // Xvfb writes its display number here when it takes clients
            const int devnull = open("/dev/null", O_WRONLY);
            dup2(devnull, STDOUT_FILENO);
            dup2(devnull, STDERR_FILENO);
            const std::string fd = std::to_string(ready[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "1024x768x24",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(ready[1]);
        if (m_pid < 0) {
            close(ready[0]);
            return Fail(why, "fork failed");
        }
        LineReader reader;
        reader.Attach(ready[0]);
        std::string number;
        const bool got = reader.Next(&number, Clock::now() + std::chrono::seconds(20));
        close(ready[0]);
        if (!got || number.empty()) {
            Stop(SIGKILL);
            return Fail(why, "Xvfb did not start (is it installed? scripts/setup.sh installs it)");
        }
        m_name = ":" + number;
        return true;
    }

    const std::string& Name() const { return m_name; }
    pid_t Pid() const { return m_pid; }

    void Stop(int signal) {
        if (m_pid <= 0) return;
        kill(m_pid, signal);
        int status = 0;
        if (!WaitForExit(m_pid, Clock::now() + std::chrono::seconds(10), &status)) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
        }
        m_pid = -1;
    }

private:
    static bool Fail(std::string* why, const char* what) {
        *why = what;
        return false;
    }

    pid_t m_pid = -1;
    std::string m_name;
};

// One line of the game: "frame N windowed W pointer X Y".
struct Frame {
    int number = 0;
    bool windowed = true;
    int pointerX = 0, pointerY = 0;
};

// The display tests' game (tests/display/game) as a process of its own, in its own folder,
// on the given display; its standard output is read line by line, its standard error kept in
// the folder's "stderr.txt".
class GameProcess {
public:
    ~GameProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0) close(m_out);
    }

    bool Start(const std::string& program, const std::string& folder, const std::string& display,
               const std::vector<std::string>& extraEnvironment, std::vector<std::string> arguments = {}) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return false;
        // This process's environment, but on the given X display and with the extra variables.
        std::vector<std::string> env = {"DISPLAY=" + display, "SDL_VIDEODRIVER=x11"};
        env.insert(env.end(), extraEnvironment.begin(), extraEnvironment.end());
        auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
        const size_t given = env.size();
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            bool replaced = nameOf(entry) == "WAYLAND_DISPLAY";
            for (size_t i = 0; i < given; ++i) replaced = replaced || nameOf(env[i]) == nameOf(entry);
            if (!replaced) env.push_back(entry);
        }
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(&e[0]);
        envp.push_back(nullptr);
        const std::string errors = folder + "/stderr.txt";
        m_pid = fork();
        if (m_pid == 0) {
            if (chdir(folder.c_str()) != 0) _exit(126);
            dup2(out[1], STDOUT_FILENO);
            const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(err, STDERR_FILENO);
            std::vector<char*> argv = {const_cast<char*>(program.c_str())};
            for (std::string& a : arguments) argv.push_back(&a[0]);
            argv.push_back(nullptr);
            execve(program.c_str(), argv.data(), envp.data());
            _exit(127);
        }
        close(out[1]);
        if (m_pid < 0) {
            close(out[0]);
            return false;
        }
        m_out = out[0];
        m_lines.Attach(m_out);
        return true;
    }

    // Reads frames until one satisfies `wanted`; false at the deadline or when the game ends.
    bool WaitFor(const std::function<bool(const Frame&)>& wanted, int milliseconds) {
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
        std::string line;
        while (m_lines.Next(&line, deadline)) {
            Frame f;
            int windowed = 1;
            if (std::sscanf(line.c_str(), "frame %d windowed %d pointer %d %d", &f.number, &windowed, &f.pointerX,
                            &f.pointerY) != 4)
                continue;
            f.windowed = windowed != 0;
            m_last = f;
            if (wanted(f)) return true;
        }
        return false;
    }
    // Waits until `frames` more frames have been shown.
    bool WaitFrames(int frames, int milliseconds = 10000) {
        const int until = m_last.number + frames;
        return WaitFor([until](const Frame& f) { return f.number >= until; }, milliseconds);
    }
    const Frame& Last() const { return m_last; }

    // The game's exit status; false when it is still running after `milliseconds`.
    bool WaitExit(int milliseconds, int* status) {
        if (m_pid <= 0) return false;
        if (!WaitForExit(m_pid, Clock::now() + std::chrono::milliseconds(milliseconds), status)) return false;
        m_pid = -1;
        return true;
    }
    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    LineReader m_lines;
    Frame m_last;
};

// The picture of a window as the X server has it, 0xRRGGBB per pixel.
class WindowImage {
public:
    WindowImage(Display* display, Window window, int width, int height) {
        m_image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            AllPlanes, ZPixmap);
    }
    ~WindowImage() {
        if (m_image) XDestroyImage(m_image);
    }
    WindowImage(const WindowImage&) = delete;
    WindowImage& operator=(const WindowImage&) = delete;

    bool Valid() const { return m_image != nullptr; }
    unsigned long At(int x, int y) const { return XGetPixel(m_image, x, y) & 0xFFFFFF; }

private:
    XImage* m_image = nullptr;
};

// The test's own connection to the X server: XTest input and the game's window.
class XClient {
public:
    ~XClient() {
        if (m_display) XCloseDisplay(m_display);
    }
    bool Open(const std::string& name) {
        m_display = XOpenDisplay(name.c_str());
        return m_display && XTestQueryExtension(m_display, &m_event, &m_error, &m_major, &m_minor);
    }
    Display* Get() const { return m_display; }

    // The one top-level window on the screen: the game's (there is no window manager).
    Window GameWindow() {
        Window root = 0, parent = 0, *children = nullptr, found = 0;
        unsigned count = 0;
        XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count);
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes a{};
            if (XGetWindowAttributes(m_display, children[i], &a) && a.map_state == IsViewable) found = children[i];
        }
        if (children) XFree(children);
        return found;
    }

    void Size(Window window, int* width, int* height) {
        XWindowAttributes a{};
        XGetWindowAttributes(m_display, window, &a);
        *width = a.width;
        *height = a.height;
    }

    // Alt and another key, as a player presses them on the keyboard.
    void AltKey(Window window, KeySym key) {
        XSetInputFocus(m_display, window, RevertToParent, CurrentTime);
        const KeyCode alt = XKeysymToKeycode(m_display, XK_Alt_L), other = XKeysymToKeycode(m_display, key);
        XTestFakeKeyEvent(m_display, alt, True, CurrentTime);
        XTestFakeKeyEvent(m_display, other, True, CurrentTime);
        XTestFakeKeyEvent(m_display, other, False, CurrentTime);
        XTestFakeKeyEvent(m_display, alt, False, CurrentTime);
        XSync(m_display, False);
    }

    // The pointer to a pixel of the window.
    void PointAt(Window window, int x, int y) {
        int rootX = 0, rootY = 0;
        Window child = 0;
        XTranslateCoordinates(m_display, window, DefaultRootWindow(m_display), x, y, &rootX, &rootY, &child);
        XTestFakeMotionEvent(m_display, -1, rootX, rootY, CurrentTime);
        XSync(m_display, False);
    }

    // What a window manager may do to the window, whatever the game asked for.
    void MoveResize(Window window, int x, int y, int width, int height) {
        XMoveResizeWindow(m_display, window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
        XSync(m_display, False);
    }

private:
    Display* m_display = nullptr;
    int m_event = 0, m_error = 0, m_major = 0, m_minor = 0;
};

}  // namespace xsession
