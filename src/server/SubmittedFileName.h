#pragma once

#include <QDateTime>
#include <QString>

// Where and under which name the classroom server keeps a received bundle:
// <receive folder>/<submitted name>_<sender's IP>_<Y-M-D-h-m-s>.3d, the date
// and time of receipt without zero padding. A second bundle of the same name
// from the same address within the same second is kept beside the first, as
// <...>_<Y-M-D-h-m-s>(2).3d, a third as (3), and so on.

// The folder that the receive-folder text stands for. The default "StuFile",
// an empty text, and every other relative path lie under the program folder,
// never under the current directory; absolute paths stand as typed.
// Receivers and the score table both use it, so what is stored is listed.
QString ResolveReceiveFolder(const QString& folder, const QString& programDir);

// The submitted name as a plain part of a file name. Path separators, the
// characters no file name on the classroom PCs can hold and control
// characters become "_", leading dots too (no "..", no hidden files), an
// empty name becomes "未命名" ("unnamed"), and a very long name is cut so the
// whole file name stays within 255 bytes. Plain names pass unchanged.
QString SafeSubmittedName(const QString& name);

// The stored file's path for an already safe name; `copy` 2 and up is the
// copy's number after the time.
QString SubmittedFileName(const QString& folder, const QString& safeName, const QString& ip,
    const QDateTime& received, int copy = 1);

// The hidden name a bundle is written under while it comes in, in the
// receive folder: ".receiving-" and 16 hexadecimal digits, then ".part".
// Neither the score table nor the teacher takes it for a bundle.
QString ReceivingPartName(quint64 random);

// Whether a file name is one that ReceivingPartName makes, and no other:
// only such files are taken for what a killed server left behind.
bool IsReceivingPartName(const QString& fileName);
