#include "server/ServerReasons.h"

#include <cerrno>

QString SystemReason(int errorNumber) {
    switch (errorNumber) {
    case ENOSPC:
        return QStringLiteral("磁盘空间不足");
    case EDQUOT:
        return QStringLiteral("超出磁盘配额");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有写入权限");
    case EROFS:
        return QStringLiteral("文件系统只读");
    case EFBIG:
        return QStringLiteral("文件超出大小限制");
    case EIO:
        return QStringLiteral("磁盘读写出错");
    case ENOENT:
        return QStringLiteral("文件夹不存在");
    case ENOTDIR:
        return QStringLiteral("路径上有同名的文件,不是文件夹");
    case EEXIST:
        return QStringLiteral("文件已存在");
    case EISDIR:
        return QStringLiteral("同名的文件夹已存在");
    case ENAMETOOLONG:
        return QStringLiteral("文件名太长");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("打开的文件太多");
    default:
        return QStringLiteral("系统错误%1").arg(errorNumber);
    }
}

QString SocketReason(QAbstractSocket::SocketError error) {
    switch (error) {
    case QAbstractSocket::RemoteHostClosedError:
        return QStringLiteral("对方关闭了连接");
    case QAbstractSocket::AddressInUseError:
        return QStringLiteral("端口已被占用");
    case QAbstractSocket::SocketAccessError:
        return QStringLiteral("没有使用端口的权限");
    case QAbstractSocket::SocketResourceError:
        return QStringLiteral("系统资源不足(打开的连接或文件太多)");
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("超时");
    case QAbstractSocket::NetworkError:
        return QStringLiteral("网络出错");
    default:
        return QStringLiteral("网络错误%1").arg(static_cast<int>(error));
    }
}
