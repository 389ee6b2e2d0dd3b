// From start-up to a window the user can work in: the configuration read,
// the splash screen up, the speed probe, the main window built with its
// three pages, shown, the splash screen closed and the first frame of the
// robot page drawn. Run under a display (xvfb-run); the application object
// is made once, outside the measurement.

#include "foundation/CConfig.h"
#include "foundation/StartUp.h"
#include "platform/ProgramDir.h"
#include "scene/SceneView.h"
#include "widgets/CExWidget.h"
#include "window/CMainDlg.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QSplashScreen>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

// A program folder of the bench's own: the build's models, pictures and
// studios linked in, so start-up reads what a real start reads, and its own
// set-up file, settings and working folder, so that nothing is written into
// the build.
class ProgramFolder {
public:
    ProgramFolder() {
        m_path = fs::temp_directory_path() / ("morvane_window_bench_" + std::to_string(::getpid()));
        const fs::path bin = MORVANE_PROGRAM_DIR;
        fs::create_directories(m_path / "XML");
        for (const fs::directory_entry& entry : fs::directory_iterator(bin)) {
            const fs::path name = entry.path().filename();
            if (name != "XML" && name != "Temp")
                fs::create_symlink(entry.path(), m_path / name);
        }
        for (const fs::directory_entry& entry : fs::directory_iterator(bin / "XML")) {
            const fs::path name = entry.path().filename();
            if (name != "Settings.dat")
                fs::create_symlink(entry.path(), m_path / "XML" / name);
        }
        platform::OverrideProgramDir(m_path);
    }
    ~ProgramFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    QString Path() const { return QString::fromStdString(m_path.string()); }

private:
    fs::path m_path;
};

ProgramFolder* g_folder = nullptr;

void BM_StartToUsableWindow(benchmark::State& state) {
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        auto config = std::make_unique<CConfig>(g_folder->Path());
        auto splash = std::make_unique<QSplashScreen>(QPixmap());
        f_SplashScreen(splash.get(), *config);
        QCoreApplication::processEvents();
        RaisePriorityOnFastMachine();
        auto window = std::make_unique<Ui::CMainDlg>(*config);
        window->FrameLoop().Start();
        window->showMaximized();
        splash->finish(window.get());
        splash.reset();
        window->FrameTimer()->start(1);
        const auto* view = window->mywidget->findChild<scene::SceneView*>();
        while (view->GetDrawCount() == 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);

        window.reset();
        config.reset();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_StartToUsableWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    ProgramFolder folder;
    g_folder = &folder;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
