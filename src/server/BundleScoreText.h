#pragma once

#include <QString>
#include <QtGlobal>

// The score text that the score table shows for a stored bundle: the first
// white-space-delimited word of its result text, up to its first "<". Only
// the header and the start of the result text are read, never the robot,
// program or playground sections: a stored bundle may be hundreds of MiB and
// every bundle is read again at each refresh.

// Bytes of the result text looked at; a score word is a few dozen.
constexpr qint64 kScoreTextPrefix = 4096;

// Empty when the file can't be read, is no regular file (a pipe is never
// opened) or is no bundle the server accepts. The text is read as GBK, as
// the simulators write it.
QString ReadBundleScoreText(const QString& path);
