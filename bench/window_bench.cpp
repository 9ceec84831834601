// How the window copes with a big project: opening, switching list tabs,
// training ticks and answering the user while training runs. Prints medians
// with min..max in milliseconds; run offscreen, pinned to one core.
#include <QApplication>
#include <QElapsedTimer>
#include <QTabBar>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "files/data_import.h"
#include "model/settings_store.h"
#include "support/recording_prompt.h"
#include "ui/main_window.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Figures {
    std::vector<double> v;
    void Add(double x) { v.push_back(x); }
    // With a target, says whether the median meets it.
    void Print(const char* what, double target = 0) {
        std::sort(v.begin(), v.end());
        if (v.empty()) return;
        const double median = v[v.size() / 2];
        std::printf("%-50s %8.1f  (%0.1f..%0.1f, n=%zu)", what, median, v.front(), v.back(), v.size());
        if (target > 0) std::printf("  target < %.0f: %s", target, median < target ? "met" : "MISSED");
        std::printf("\n");
    }
};

// A data file of `rows` cases: four numeric inputs, three outputs.
void WriteData(const std::string& path, int rows) {
    std::ofstream out(path);
    out << "a,b,c,d,class\n";
    std::uint64_t x = 1;
    auto next = [&] {
        x = x * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(x >> 11) / 9007199254740992.0 * 10.0;
    };
    for (int i = 0; i < rows; ++i) {
        const double a = next(), b = next(), c = next(), d = next();
        const char* cls = a + b > 10 ? "x" : (c > 5 ? "y" : "z");
        out << a << ',' << b << ',' << c << ',' << d << ',' << cls << '\n';
    }
}

// Runs the event loop until nothing is pending (paints included).
void Settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int reps = argc > 2 ? std::atoi(argv[2]) : 5;
    const bool winner = argc > 3 && std::string(argv[3]) == "winner";
    const std::string dir = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    const std::string data = dir + "/kestrine_window_bench.csv", project = dir + "/kestrine_window_bench.ksm";
    WriteData(data, rows);
    {
        ks::MemorySettingsStore store;
        ks::test::RecordingPrompt prompt;
        ks::CVeltrinoDlg w(&store, &prompt);
        ks::CDataImport import;
        import.Choose(data);
        w.Session().ImportProject(import);
        const auto image = w.Session().Image();
        if (!w.Session().SaveTo(project, image).ok) return 1;
    }
    std::printf("window with %d scenarios, training by %s, ms (median, min..max)\n", rows,
                winner ? "the winner rule" : "resilient back-propagation");

    Figures open, stall, tabSwitch, tick, answer, snapshot, close;
    for (int rep = 0; rep < reps; ++rep) {
        ks::MemorySettingsStore store;
        ks::test::RecordingPrompt prompt;
        auto w = std::make_unique<ks::CVeltrinoDlg>(&store, &prompt);
        w->show();
        Settle();
        // The longest the window goes without handling its events while it opens.
        QTimer beat;
        beat.setInterval(5);
        auto last = Clock::now();
        double longest = 0;
        QObject::connect(&beat, &QTimer::timeout, [&] {
            const auto now = Clock::now();
            longest = std::max(longest, Ms(now - last));
            last = now;
        });
        beat.start();
        const auto t0 = Clock::now();
        last = t0;
        w->OpenProjectFile(project);
        const auto t1 = Clock::now();
        longest = std::max(longest, Ms(t1 - last));
        beat.stop();
        open.Add(Ms(t1 - t0));
        stall.Add(longest);
        Settle();

        for (int tab : {0, 2}) {
            const auto s = Clock::now();
            w->SelectListTab(tab);
            w->repaint();
            if (tab == 2) tabSwitch.Add(Ms(Clock::now() - s));
        }
        Settle();

        w->SetTrainingMethod(winner ? ks::TrainingMethod::Winner : ks::TrainingMethod::Rprop);
        w->OnStartStopLearning();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        for (int i = 0; i < 10; ++i) {
            const auto s = Clock::now();
            w->OnTrainingTimer();
            w->repaint();
            tick.Add(Ms(Clock::now() - s));
            // What the user waits for when clicking while training runs: an
            // event that reads the project's figures under the lock.
            const auto a = Clock::now();
            w->RefreshPanels();
            answer.Add(Ms(Clock::now() - a));
            ks::TrainingSnapshot snap;
            const auto b = Clock::now();
            w->Runner().Snapshot(snap);
            snapshot.Add(Ms(Clock::now() - b));
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        const auto c = Clock::now();
        w->StopActivity();
        close.Add(Ms(Clock::now() - c));
        w.reset();
    }
    open.Print("open (read, score, fill)");
    stall.Print("longest the window stops answering while opening", 100);
    tabSwitch.Print("switch to the Scenarios tab", 100);
    tick.Print("training tick (snapshot, panels, list)");
    answer.Print("answer while training (panels)", 100);
    snapshot.Print("snapshot alone (waits for the cycle)");
    close.Print("stop training");
    std::remove(data.c_str());
    std::remove(project.c_str());
    return 0;
}
