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
    if (platform::IsFastMachine(GetCpuPower()) && !platform::RaiseProcessPriority())
        qCInfo(lcFoundation, "Start-up: could not raise the process priority; running at normal priority");
}
