#include "core/problem.h"

#include <cerrno>
#include <cstring>

namespace lumivert {

namespace {

// The system's words for an errno. On Windows qt_error_string() reads a number as a Windows error
// code, which means something else there (EACCES, 13, would read "Invalid data"): the C runtime's words.
QString errnoText(int error)
{
#ifdef Q_OS_WIN
    return QString::fromLocal8Bit(std::strerror(error));
#else
    return qt_error_string(error);
#endif
}

} // namespace

Problem systemProblem(int error)
{
    const auto cause = [error] {
        switch (error) {
        case 0:
            return Problem::Cause::None;
        case ENOENT:
        case ENOTDIR:
            return Problem::Cause::Missing;
        case EACCES:
        case EPERM:
            return Problem::Cause::NoPermission;
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return Problem::Cause::DiskFull;
        case EISDIR:
            return Problem::Cause::Folder;
        case EROFS:
            return Problem::Cause::ReadOnlyDrive;
        case ENAMETOOLONG:
            return Problem::Cause::NameTooLong;
        case EINVAL:
        case EILSEQ:
            return Problem::Cause::BadName;
        case EIO:
            return Problem::Cause::WriteFailed;
        default:
            return Problem::Cause::SystemError;
        }
    }();
    return cause == Problem::Cause::None ? Problem() : Problem(cause, errnoText(error));
}

} // namespace lumivert
