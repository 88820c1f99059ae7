// Native helper for the sound end-to-end tests: feeds a PulseAudio pipe source in real time
// and shows a plain colour on the X screen that switches at the same instants as the sound.
//
//   mrv_e2e_sound_feed FIFO [--window WxH+X+Y] [--rate HZ] [--noise N]
//       16-bit mono PCM at HZ (default 44100) into FIFO, 10 ms at a time on the wall clock, until
//       killed: silence with the window black; every SIGUSR1 flips to a 440 Hz tone with the window
//       white and back. The flip takes effect with the next 10 ms. With --noise the silence is
//       faint noise of up to N steps, as a quiet room gives; SIGUSR2 turns it to exact zeros
//       and back.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr double kToneHz = 440;
constexpr double kLeadSeconds = 0.06;

volatile sig_atomic_t flips = 0;
void Flip(int) { flips = flips + 1; }
volatile sig_atomic_t noiseOff = 0;
void ToggleNoise(int) { noiseOff = !noiseOff; }

double Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

void SleepUntil(double when) {
    timespec t{};
    t.tv_sec = static_cast<time_t>(when);
    t.tv_nsec = static_cast<long>((when - static_cast<double>(t.tv_sec)) * 1e9);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) != 0) {
    }
}

struct ColourWindow {
    Display* display = nullptr;
    Window window = 0;
    unsigned long white = 0, black = 0;

    bool Open(const std::string& geometry) {
        display = XOpenDisplay(nullptr);
        if (!display) return false;
        int x = 0, y = 0;
        unsigned w = 200, h = 200;
        XParseGeometry(geometry.c_str(), &x, &y, &w, &h);
        const int s = DefaultScreen(display);
        white = WhitePixel(display, s);
        black = BlackPixel(display, s);
        XSetWindowAttributes a{};
        a.override_redirect = True;
        a.background_pixel = black;
        window = XCreateWindow(display, RootWindow(display, s), x, y, w, h, 0, CopyFromParent,
                               InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &a);
        XMapRaised(display, window);
        XSync(display, False);
        return true;
    }
    void Show(bool on) {
        XSetWindowBackground(display, window, on ? white : black);
        XClearWindow(display, window);
        XRaiseWindow(display, window);
        XSync(display, False);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: mrv_e2e_sound_feed FIFO [--window WxH+X+Y]\n");
        return 2;
    }
    const std::string fifo = argv[1];
    std::string geometry = "200x200+0+0";
    int rate = 44100;
    int noise = 0;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::string(argv[i]) == "--window") geometry = argv[i + 1];
        if (std::string(argv[i]) == "--rate") rate = std::atoi(argv[i + 1]);
        if (std::string(argv[i]) == "--noise") noise = std::atoi(argv[i + 1]);
    }
    const int chunkSamples = rate / 100;  // 10 ms

    signal(SIGPIPE, SIG_IGN);
    struct sigaction flip {};
    flip.sa_handler = Flip;
    sigaction(SIGUSR1, &flip, nullptr);
    struct sigaction toggle {};
    toggle.sa_handler = ToggleNoise;
    sigaction(SIGUSR2, &toggle, nullptr);
    ColourWindow screen;
    // Without a display (benchmarks) only the sound is fed.
    const bool shown = screen.Open(geometry);
    const int fd = open(fifo.c_str(), O_WRONLY);
    if (fd < 0) {
        std::perror("fifo");
        return 1;
    }
    std::vector<int16_t> chunk(static_cast<size_t>(chunkSamples));
    double phase = 0;
    bool on = false;
    sig_atomic_t flipped = 0;
    // Sample n of the stream is due at anchor + n / rate; the pipe is kept kLeadSeconds ahead so
    // that the source, which reads it in pipe-buffer steps, never runs dry (it would pad with
    // silence and stretch the sound).
    double anchor = Now();
    int64_t written = 0;
    struct Switch {
        double at;
        bool on;
    };
    std::vector<Switch> switches;
    std::printf("feeding\n");
    std::fflush(stdout);
    for (;;) {
        const double now = Now();
        while (written < static_cast<int64_t>((now - anchor + kLeadSeconds) * rate)) {
            int unread = 0;
            ioctl(fd, FIONREAD, &unread);
            if (unread > kLeadSeconds * rate * 2 * 2) {
                // Nobody reads: a microphone does not keep that sound for later.
                anchor = now + kLeadSeconds - static_cast<double>(written) / rate;
                break;
            }
            if (flipped != flips) {
                flipped = flips;
                on = flipped % 2 != 0;
                // The picture changes when the first sample of the new state is due.
                switches.push_back({anchor + static_cast<double>(written) / rate, on});
            }
            const int faint = noiseOff ? 0 : noise;
            for (int16_t& s : chunk) {
                s = on ? static_cast<int16_t>(12000 * std::sin(phase))
                       : static_cast<int16_t>(faint ? std::rand() % (2 * faint + 1) - faint : 0);
                phase = std::fmod(phase + 2 * M_PI * kToneHz / rate, 2 * M_PI);
            }
            if (write(fd, chunk.data(), chunk.size() * 2) < 0 && errno != EINTR) {
                std::perror("fifo write");
                return 1;
            }
            written += chunkSamples;
        }
        while (!switches.empty() && switches.front().at <= Now()) {
            if (shown) screen.Show(switches.front().on);
            switches.erase(switches.begin());
        }
        SleepUntil(Now() + 0.002);
    }
}
