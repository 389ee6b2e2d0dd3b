// A whole simulation run without the main window, for the tests: loads a
// playground file and robot files with their programs into the simulation,
// starts the run as the simulation page does, steps frames until the run
// stops (or a number of frames has run), and prints what the run came to:
//
//     load <result of the robot loader: 1 loaded, 2 against the rules, 0 failed>
//     frames <the run's frame counter>
//     stop <zone | time-limit | all-fallen | none>
//     robot <index> score <score> peak <highest score it had after any frame> steps <steps>
//           at <x y z of its control unit> output <last output text>
//
// (one line for each robot)
//
// Usage: morvane_headless_run [--window] [--frames N] [--time-limit F]
//            [--studio S] [--program-folder DIR] [--playground FILE] ROBOT_FILE[=PROGRAM] ...
// --window shows the run in a 1280 x 800 view (under a display); --frames
// ends a run that has not stopped by itself after N frames (default 2000);
// --time-limit is the run's own frame limit (0, the default: none); --studio
// selects the set-up file's studio S (its parts' settings, such as "is_e");
// --program-folder runs over another program folder than the build's (runs
// side by side each need one: the simulation keeps its working files in the
// folder's "Temp"). Relative paths, of files and folders alike, are taken
// from the current folder. A robot, program or playground file that is not
// there ends the program before any run, with a message and exit code 2.

#include "apps/CEmuApp.h"
#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "scene/FrameLoop.h"
#include "scene/SceneView.h"
#include "simulation/CRcu.h"
#include "simulation/CRob.h"

#include "SetUpSensorBar.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Options {
    bool window = false;
    int frames = 2000;
    int timeLimit = 0;
    int studio = -1;
    std::string programFolder = MORVANE_PROGRAM_DIR;
    std::string playground;
    std::vector<std::string> robots;
    std::vector<std::string> programs;
};

bool Parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--window") {
            options.window = true;
        } else if (arg == "--frames" && hasValue) {
            options.frames = std::atoi(argv[++i]);
        } else if (arg == "--time-limit" && hasValue) {
            options.timeLimit = std::atoi(argv[++i]);
        } else if (arg == "--studio" && hasValue) {
            options.studio = std::atoi(argv[++i]);
        } else if (arg == "--program-folder" && hasValue) {
            options.programFolder = argv[++i];
        } else if (arg == "--playground" && hasValue) {
            options.playground = argv[++i];
        } else if (!arg.empty() && arg[0] != '-') {
            const std::size_t equals = arg.find('=');
            options.robots.push_back(arg.substr(0, equals));
            options.programs.push_back(equals == std::string::npos ? std::string() : arg.substr(equals + 1));
        } else {
            return false;
        }
    }
    return true;
}

// A path as a command-line user means it: relative to the current folder,
// whatever folder the simulation resolves its own paths against.
std::string FromCurrentFolder(const std::string& path) {
    if (path.empty())
        return path;
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
    return absolute.lexically_normal().string();
}

// Whether every file named is there; each one that is not is said.
bool FilesExist(const Options& options) {
    bool all = true;
    const auto check = [&all](const std::string& path, const char* what) {
        std::error_code failure;
        if (path.empty() || std::filesystem::is_regular_file(path, failure))
            return;
        std::fprintf(stderr, "%s file %s: %s\n", what, path.c_str(),
            failure ? failure.message().c_str() : "not a file");
        all = false;
    };
    check(options.playground, "playground");
    for (const std::string& robot : options.robots)
        check(robot, "robot");
    for (const std::string& program : options.programs)
        check(program, "program");
    return all;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fprintf(stderr,
            "usage: %s [--window] [--frames N] [--time-limit F] [--studio S] [--program-folder DIR] "
            "[--playground FILE] ROBOT[=PROGRAM] ...\n",
            argv[0]);
        return 2;
    }
    options.programFolder = FromCurrentFolder(options.programFolder);
    options.playground = FromCurrentFolder(options.playground);
    for (std::string& robot : options.robots)
        robot = FromCurrentFolder(robot);
    for (std::string& program : options.programs)
        program = FromCurrentFolder(program);
    if (!FilesExist(options))
        return 2;
    std::unique_ptr<QCoreApplication> app;
    if (options.window)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);

    // The models, the set-up file and RobotHost of the build's program folder.
    platform::OverrideProgramDir(options.programFolder);
    CConfig config(QString::fromStdString(options.programFolder));
    if (options.studio >= 0)
        config.SetStudio(options.studio, false);
    const emutest::SetUpSensorBar sensorBar(config);

    std::unique_ptr<scene::SceneView> view;
    if (options.window) {
        view = std::make_unique<scene::SceneView>();
        view->resize(1280, 800);
        view->show();
    }
    osg::ref_ptr<CEmuApp> emu = new CEmuApp("config.xml", view.get(), config);
    scene::FrameLoop loop;
    loop.AddApp(emu.get());
    loop.Start();

    SRobThreadData& block = *emu->GetLoadBlock();
    block.m_pSensorModelTable = &sensorBar;
    block.m_strPlaygroundFile = options.playground;
    block.m_vecRobotFiles = options.robots;
    block.m_vecProgramFiles = options.programs;
    emu->m_nMaxTime = options.timeLimit;

    int loadResult = -1;
    const char* stopReason = "none";
    bool finished = false;
    // As the main window: programs are handed over once the robots are in,
    // and the run starts.
    QObject::connect(emu.get(), &CEmuApp::signal_Ui_ReloadToEmuApp, [&](int result) {
        loadResult = result;
        for (std::size_t i = 0; i < block.m_vecProgramFiles.size(); ++i) {
            if (!block.m_vecProgramFiles[i].empty())
                emu->LoadRobotProgram(block.m_vecProgramFiles[i], int(i));
        }
        emu->StartRun();
    });
    // Connected directly, as the main window's: the run is over before the
    // step that said so returns.
    QObject::connect(emu.get(), &CEmuApp::signal_Ui_StopEmu, [&] {
        if (!emu->m_bRunning)
            return;
        emu->m_bRunning = false;
        if (emu->GetGameState().m_bStop)
            stopReason = "zone";
        else if (emu->m_nMaxTime > 0 && emu->GetFrameCount() == emu->m_nMaxTime)
            stopReason = "time-limit";
        else
            stopReason = "all-fallen";
        finished = true;
    });

    emu->ReloadMap(0);
    // Without robots nothing is loaded, and the run starts at once.
    if (options.robots.empty())
        emu->StartRun();
    int runningFrames = 0;
    std::vector<int> peaks;
    QTimer timer;
    timer.setInterval(options.window ? 1 : 0);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const bool wasRunning = emu->m_bRunning;
        if (!loop.Step())
            return;
        peaks.resize(std::size_t(emu->GetRobotCount()), 0);
        for (int i = 0; i < emu->GetRobotCount(); ++i)
            peaks[std::size_t(i)] = std::max(peaks[std::size_t(i)], emu->GetRobot(i)->GetScore());
        if (wasRunning && ++runningFrames >= options.frames)
            finished = true;
        if (finished) {
            timer.stop();
            app->quit();
        }
    });
    timer.start();
    app->exec();

    std::printf("load %d\n", loadResult);
    std::printf("frames %d\n", emu->GetFrameCount());
    std::printf("stop %s\n", stopReason);
    for (int i = 0; i < emu->GetRobotCount(); ++i) {
        CRob* robot = emu->GetRobot(i);
        const osg::Vec3 at = robot->GetRcu() ? robot->GetRcu()->GetTransform().GetTranslation() : osg::Vec3();
        const int peak = std::size_t(i) < peaks.size() ? peaks[std::size_t(i)] : 0;
        std::printf("robot %d score %d peak %d steps %d at %.3f %.3f %.3f output %s\n", i, robot->GetScore(),
            peak, robot->GetStepCount(), double(at.x()), double(at.y()), double(at.z()),
            robot->GetOutputText().c_str());
    }
    if (options.window)
        std::printf("drawn %d\n", view->GetDrawCount());
    std::fflush(stdout);
    emu = nullptr;
    view.reset();
    return 0;
}
