#pragma once

#include "scene/FrameLoop.h"

#include <QMainWindow>

class QTimer;

namespace Ui {

// The simulator's main window. It owns the frame timer that drives every
// frame of the three pages, starts each run of the program with an empty
// working folder "Temp", and saves the settings when it goes.
class CMainDlg : public QMainWindow {
    Q_OBJECT

public:
    CMainDlg();
    ~CMainDlg() override;

    // Started by the entry function with a 1 ms interval.
    QTimer* FrameTimer() const { return m_pFrameTimer; }
    // The loop that steps the pages' scene applications; the entry function
    // starts it.
    scene::FrameLoop& FrameLoop() { return m_frameLoop; }

public slots:
    void slot_Update();

private:
    void f_LanguageTitle();

    QTimer* m_pFrameTimer = nullptr;
    scene::FrameLoop m_frameLoop;
};

} // namespace Ui
