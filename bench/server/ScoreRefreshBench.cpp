// The score table's refresh (every 31 s while the server runs) over a
// class's term of stored bundles: 1,000 bundles of 30 KB in the receive
// folder, each opened and its score read, the table filled and laid out.
// The files stay in the page cache between refreshes, as they do on the
// teacher's PC. Run under a display or with QT_QPA_PLATFORM=offscreen.

#include "classlink/C3DFile.h"
#include "server/Server.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr qsizetype kBundleSize = 30 * 1000;

QByteArray Bundle(int pupil) {
    C3DFile::Sections sections;
    sections.text = QByteArrayLiteral("\xb5\xc3\xb7\xd6:100,\xcd\xea\xb3\xc9\xca\xb1\xbc\xe4:")
        + QByteArray::number(10 + pupil % 90) + QByteArrayLiteral(".50\xc3\xeb");
    sections.robot = QByteArrayLiteral("<?xml version=\"1.0\"?><data>") + QByteArray(2000, 'r');
    // The header takes about 20 bytes.
    const qsizetype program = kBundleSize - 20 - sections.text.size() - sections.robot.size();
    sections.program = QByteArray(program, Qt::Uninitialized);
    quint64 state = quint64(pupil) + 1;
    for (qsizetype i = 0; i < program; ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        sections.program[i] = char(state >> 56);
    }
    return C3DFile::Pack(sections);
}

void BM_ScoreRefresh(benchmark::State& state) {
    const int bundles = int(state.range(0));
    QTemporaryDir programDir;
    const QString folder = programDir.path() + QStringLiteral("/StuFile");
    QDir().mkpath(folder);
    for (int i = 0; i < bundles; ++i) {
        QFile file(folder
            + QStringLiteral("/pupil%1_192.168.1.%2_2024-6-%3-8-%4-0.3d")
                  .arg(i, 4, 10, QLatin1Char('0'))
                  .arg(2 + i % 50)
                  .arg(1 + i % 28)
                  .arg(i % 60));
        file.open(QIODevice::WriteOnly);
        file.write(Bundle(i));
    }
    // Updates never come by themselves here.
    Server window(ServerOptions { programDir.path(), 3600 * 1000 });
    window.show();
    QCoreApplication::processEvents();
    const QTableWidget* table = window.findChild<QTableWidget*>(QStringLiteral("m_listScore"));
    for (auto _ : state) {
        window.RefreshScores();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(table->columnWidth(2));
    }
    if (table->rowCount() != bundles || table->item(0, 2)->text().isEmpty())
        state.SkipWithError("the table does not list the bundles with their scores");
    state.SetItemsProcessed(state.iterations() * bundles);
}

} // namespace

BENCHMARK(BM_ScoreRefresh)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The window listens on the classroom port: take turns with the test
    // programs that use it, on this machine.
    const int lock = ::open("/tmp/morvane_classroom_port.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (lock >= 0)
        ::flock(lock, LOCK_EX);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
