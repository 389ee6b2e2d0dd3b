#include "foundation/StartUp.h"

#include "foundation/CConfig.h"
#include "foundation/FoundationLog.h"
#include "platform/CpuProbe.h"

#include <QPixmap>
#include <QSplashScreen>

void f_SplashScreen(QSplashScreen* splash, const CConfig& config) {
    const QString path = config.GetText("main", "f_SplashScreen", "s");
    QPixmap pixmap;
    if (!path.isEmpty())
        pixmap.load(config.InProgramDir(path));
    splash->setPixmap(pixmap);
    splash->show();
}

void InitNetWithoutHeartbeat(CConfig& config) {
    config.m_bNoHeartbeat = true;
    config.InitNet();
}

void RaisePriorityOnFastMachine() {
    // An ordinary user may not raise it: normal priority is the normal case,
    // said only to those who ask for the foundation's debug lines.
    if (platform::IsFastMachine(GetCpuPower()) && !platform::RaiseProcessPriority())
        qCDebug(lcFoundation, "Start-up: could not raise the process priority; running at normal priority");
}
