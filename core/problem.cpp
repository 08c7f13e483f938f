#include "core/problem.h"

#include <cerrno>

namespace lumivert {

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
    return cause == Problem::Cause::None ? Problem() : Problem(cause, qt_error_string(error));
}

} // namespace lumivert
