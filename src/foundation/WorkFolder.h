#pragma once

#include <QString>

// The working folder "Temp" of a running Morvane. Every Morvane started from
// one program folder works in the same "Temp" and holds it (a shared lock on
// the folder) while it runs. The one that finds no other holding it empties
// it at start: what is in it is what earlier runs left. A symbolic link or a
// file in the folder's place, or in it, is removed, never followed, so
// nothing outside the folder is touched. A Morvane started while another
// runs leaves the folder as it is, the other's files in it. Failures are
// warnings of the foundation.
class WorkFolder {
public:
    explicit WorkFolder(const QString& path);
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    // Whether this start had the folder to itself and emptied it.
    bool Emptied() const { return m_bEmptied; }

private:
    int m_fd = -1;
    bool m_bEmptied = false;
};
